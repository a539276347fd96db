#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace svu {

class Archive;

/// One description of a record's fields, in record order, drives every form it is kept in: the binary
/// archive (names ignored, order significant) and the JSON text form (names significant).
/// A class lists its fields once in `VisitFields(FieldVisitor&)`.
class FieldVisitor {
public:
    virtual ~FieldVisitor() = default;

    virtual bool IsLoading() const = 0;
    /// The schema of the record being read, or the current schema while writing.
    virtual int Schema() const = 0;

    virtual void Int32(const char* name, int32_t& v) = 0;
    virtual void UInt32(const char* name, uint32_t& v) = 0;
    /// A 16-bit unsigned field (two bytes on disk).
    virtual void UInt16(const char* name, uint16_t& v) = 0;
    /// An 8-bit unsigned field (one byte on disk).
    virtual void UInt8(const char* name, uint8_t& v) = 0;
    /// A boolean kept as a 32-bit integer on disk.
    virtual void Bool32(const char* name, int32_t& v) = 0;
    virtual void Float(const char* name, float& v) = 0;
    virtual void Double(const char* name, double& v) = 0;
    virtual void String(const char* name, std::string& v) = 0;
    /// A double-word array (count, then each uint32).
    virtual void UInt32Array(const char* name, std::vector<uint32_t>& v) = 0;
    /// A double-word array whose elements hold IEEE single bit patterns; the text form shows numbers.
    virtual void FloatBitsArray(const char* name, std::vector<uint32_t>& v) = 0;
    /// A string array (count, then each string).
    virtual void StringArray(const char* name, std::vector<std::string>& v) = 0;
    /// A colour (COLORREF, 0x00BBGGRR) kept as a 32-bit unsigned field; the text form shows it
    /// in hexadecimal.
    virtual void Colour(const char* name, uint32_t& v) { UInt32(name, v); }
};

/// Reads or writes the fields straight through an archive, in the order visited.
class ArchiveFieldVisitor final : public FieldVisitor {
public:
    /// `currentSchema` is reported while storing; while loading the archive's object schema is used.
    ArchiveFieldVisitor(Archive& ar, int currentSchema);

    bool IsLoading() const override;
    int Schema() const override;
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

private:
    Archive& ar_;
    int schema_;
};

}  // namespace svu
