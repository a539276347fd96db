#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace svu {

class FieldVisitor;
class NdrTransfer;

/// One measurement channel of the data logger.
class NDR_Channel {
public:
    static constexpr const char* kTypes[] = {"analogue", "counter", "data", "instrument", "passive", "parameter"};
    static constexpr const char* kCountTypes[] = {"pulse count", "frequency"};
    static constexpr const char* kCountResets[] = {"reset on scan", "reset on log", "reset at midnight"};
    static constexpr const char* kAnalogueTypes[] = {"single ended", "differential"};
    static constexpr const char* kInstrumentTypes[] = {"none", "wxr 310-320", "wxr 310-320 reset"};
    /// The function texts as far as their arguments start.
    static constexpr const char* kFunctions[] = {"none()",  "minhold()",     "maxhold()", "rollingavg(",
                                                 "vectoravg(", "degreeday(", "windto()",  "crosswind()",
                                                 "vapour()", "dewpoint()",   "sum()",     "sunshinehours("};
    /// Settings read and written per channel (one command each).
    static constexpr int kCommands = 17;

    /// The record; `prefix` names the fields in the text form ("channel5.").
    void VisitFields(FieldVisitor& v, const std::string& prefix);

    bool ReadFromLogger(NdrTransfer& t, int c);
    bool WriteToLogger(NdrTransfer& t, int c) const;

    /// The "scformat" text: "%" then "-" (left aligned) and "0" (zero padded) when flagged, the
    /// width when above 0 and, when not negative, "." and the decimals, then "f" ("%6.1f").
    std::string FormatText() const;
    bool SetFormatText(std::string_view text);
    /// The "scfunc" text with its arguments.
    std::string FunctionText() const;
    bool SetFunctionText(std::string_view text);
    /// The used input numbers (those before the first 0), comma-separated.
    std::string InputsText() const;
    bool SetInputsText(std::string_view text);

    std::string description;
    std::string unit;
    int32_t formatWidth = 6;
    int32_t formatDecimals = 1;
    uint8_t formatLeftAligned = 0;
    uint8_t formatZeroPadded = 0;
    std::array<double, 8> polynomial{0, 1, 0, 0, 0, 0, 0, 0};
    std::array<int32_t, 4> inputs{};
    int32_t function = 0;
    int32_t countType = 0;
    int32_t countReset = 0;
    int32_t analogueType = 0;
    int32_t instrumentType = 0;
    double dataValue = 0;
    int32_t enabled = 0;
    int32_t logging = 0;
    /// Kept for the logger's own use; stored and read back unchanged.
    std::array<uint8_t, 3> reserved{};
    int32_t functionLoss = 0;
    uint8_t functionCount = 1;
    double degreeDayBase = 0;
    int32_t type = 0;
    uint8_t analogueGain = 1;
    uint8_t analogueCurrent = 0;
    float limitLow = 0;
    float limitHigh = 0;
    double sunshineThreshold = 0;

    bool operator==(const NDR_Channel&) const = default;

private:
    bool ReadPolynomial(NdrTransfer& t, const std::string& command);
    bool ReadGain(NdrTransfer& t, const std::string& command);
    bool ReadLimits(NdrTransfer& t, const std::string& command);
    bool WriteFunction(NdrTransfer& t, const std::string& head) const;
};

}  // namespace svu
