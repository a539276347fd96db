#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "framework/FieldVisitor.h"

namespace svu {

/// The JSON form of a record: each visited field becomes a member named after the field, in
/// record order. Numbers stay numbers (floats and float bit patterns are shown as decimal numbers
/// that read back to the same bits); a float that is not finite is kept as the text "0x" followed
/// by its hexadecimal bit pattern, since JSON has no number for it.
class JsonFieldVisitor final : public FieldVisitor {
public:
    /// A visitor that writes the visited fields into `object` (which becomes an object).
    static JsonFieldVisitor Writer(nlohmann::ordered_json& object, int schema);
    /// A visitor that reads the visited fields from `object`. A member that is missing leaves its
    /// field as it is; a member of the wrong kind or out of range is an error (see Error()).
    static JsonFieldVisitor Reader(const nlohmann::ordered_json& object, int schema);

    bool IsLoading() const override { return in_ != nullptr; }
    int Schema() const override { return schema_; }

    void Int32(const char* name, int32_t& v) override;
    void UInt32(const char* name, uint32_t& v) override;
    void UInt16(const char* name, uint16_t& v) override;
    void UInt8(const char* name, uint8_t& v) override;
    void Bool32(const char* name, int32_t& v) override;
    void Float(const char* name, float& v) override;
    void Double(const char* name, double& v) override;
    void String(const char* name, std::string& v) override;
    void UInt32Array(const char* name, std::vector<uint32_t>& v) override;
    void FloatBitsArray(const char* name, std::vector<uint32_t>& v) override;
    void StringArray(const char* name, std::vector<std::string>& v) override;
    /// Written as "0x%06X" text; read from such a text (up to 8 digits) or a plain number.
    void Colour(const char* name, uint32_t& v) override;

    /// Reading: the first problem met, as "field: what is wrong"; empty when there was none.
    const std::string& Error() const { return error_; }

private:
    JsonFieldVisitor(nlohmann::ordered_json* out, const nlohmann::ordered_json* in, int schema)
        : out_(out), in_(in), schema_(schema) {}

    // The member to read, or nullptr when it is absent or an error has already been met.
    const nlohmann::ordered_json* Member(const char* name);
    void Fail(const char* name, const std::string& what);
    bool ReadInteger(const char* name, const nlohmann::ordered_json& j, int64_t min, int64_t max, int64_t& out);

    nlohmann::ordered_json* out_;
    const nlohmann::ordered_json* in_;
    int schema_;
    std::string error_;
};

/// JSON value of a float: the shortest decimal number that reads back to the same float, or the
/// "0x%08X" bit-pattern text when the float is not finite.
nlohmann::ordered_json FloatToJson(float value);

/// Reads a value written by FloatToJson (any JSON number is accepted); false when it is neither.
bool FloatFromJson(const nlohmann::ordered_json& j, float& value);

}  // namespace svu
