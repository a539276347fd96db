#include "framework/JsonFieldVisitor.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "framework/TextUtil.h"

namespace svu {

using Json = nlohmann::ordered_json;

namespace {

uint32_t FloatBits(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float BitsFloat(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Halfway between FLT_MAX and 2^128: decimals below it still round to the largest float.
constexpr double kFloatOverflow = 3.4028235677973366e38;

bool DoubleToFloat(double d, float& out) {
    if (!std::isfinite(d) || std::fabs(d) >= kFloatOverflow) {
        return false;
    }
    if (std::fabs(d) > FLT_MAX) {
        out = d < 0 ? -FLT_MAX : FLT_MAX;
        return true;
    }
    out = static_cast<float>(d);
    return true;
}

bool ParseHex(const std::string& text, int digits, uint64_t& out) {
    if (text.size() != static_cast<size_t>(digits) + 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    out = 0;
    for (size_t i = 2; i < text.size(); ++i) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            return false;
        }
        out = out * 16 + static_cast<uint64_t>(d);
    }
    return true;
}

}  // namespace

Json FloatToJson(float value) {
    if (!std::isfinite(value)) {
        return FormatC("0x%08X", FloatBits(value));
    }
    for (int precision = 1; precision <= 9; ++precision) {
        const double d = AtoF(FormatC("%.*g", precision, static_cast<double>(value)));
        float back;
        if (DoubleToFloat(d, back) && FloatBits(back) == FloatBits(value)) {
            return d;
        }
    }
    return static_cast<double>(value);  // exact, only longer
}

bool FloatFromJson(const Json& j, float& value) {
    if (j.is_number()) {
        return DoubleToFloat(j.get<double>(), value);
    }
    uint64_t bits;
    if (j.is_string() && ParseHex(j.get<std::string>(), 8, bits)) {
        value = BitsFloat(static_cast<uint32_t>(bits));
        return true;
    }
    return false;
}

JsonFieldVisitor JsonFieldVisitor::Writer(Json& object, int schema) {
    if (!object.is_object()) {
        object = Json::object();
    }
    return JsonFieldVisitor(&object, nullptr, schema);
}

JsonFieldVisitor JsonFieldVisitor::Reader(const Json& object, int schema) {
    JsonFieldVisitor v(nullptr, &object, schema);
    if (!object.is_object()) {
        v.error_ = "a JSON object was expected";
    }
    return v;
}

const Json* JsonFieldVisitor::Member(const char* name) {
    if (!error_.empty()) {
        return nullptr;
    }
    const auto it = in_->find(name);
    return it == in_->end() ? nullptr : &*it;
}

void JsonFieldVisitor::Fail(const char* name, const std::string& what) {
    if (error_.empty()) {
        error_ = std::string(name) + ": " + what;
    }
}

bool JsonFieldVisitor::ReadInteger(const char* name, const Json& j, int64_t min, int64_t max, int64_t& out) {
    if (j.is_number_unsigned()) {
        const uint64_t u = j.get<uint64_t>();
        if (u <= static_cast<uint64_t>(max)) {
            out = static_cast<int64_t>(u);
            return true;
        }
    } else if (j.is_number_integer()) {
        const int64_t i = j.get<int64_t>();
        if (i >= min && i <= max) {
            out = i;
            return true;
        }
    } else {
        Fail(name, "a whole number was expected");
        return false;
    }
    Fail(name, "the number is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
    return false;
}

void JsonFieldVisitor::Int32(const char* name, int32_t& v) {
    if (out_) {
        (*out_)[name] = v;
    } else if (const Json* j = Member(name)) {
        int64_t x;
        if (ReadInteger(name, *j, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), x)) {
            v = static_cast<int32_t>(x);
        }
    }
}

void JsonFieldVisitor::UInt32(const char* name, uint32_t& v) {
    if (out_) {
        (*out_)[name] = v;
    } else if (const Json* j = Member(name)) {
        int64_t x;
        if (ReadInteger(name, *j, 0, std::numeric_limits<uint32_t>::max(), x)) {
            v = static_cast<uint32_t>(x);
        }
    }
}

void JsonFieldVisitor::UInt8(const char* name, uint8_t& v) {
    if (out_) {
        (*out_)[name] = v;
    } else if (const Json* j = Member(name)) {
        int64_t x;
        if (ReadInteger(name, *j, 0, std::numeric_limits<uint8_t>::max(), x)) {
            v = static_cast<uint8_t>(x);
        }
    }
}

void JsonFieldVisitor::UInt16(const char* name, uint16_t& v) {
    if (out_) {
        (*out_)[name] = v;
    } else if (const Json* j = Member(name)) {
        int64_t x;
        if (ReadInteger(name, *j, 0, std::numeric_limits<uint16_t>::max(), x)) {
            v = static_cast<uint16_t>(x);
        }
    }
}

void JsonFieldVisitor::Bool32(const char* name, int32_t& v) {
    if (out_) {
        (*out_)[name] = v;
    } else if (const Json* j = Member(name)) {
        if (j->is_boolean()) {
            v = j->get<bool>() ? 1 : 0;
        } else {
            Int32(name, v);
        }
    }
}

void JsonFieldVisitor::Float(const char* name, float& v) {
    if (out_) {
        (*out_)[name] = FloatToJson(v);
    } else if (const Json* j = Member(name)) {
        if (!FloatFromJson(*j, v)) {
            Fail(name, "a number within the range of a float was expected");
        }
    }
}

void JsonFieldVisitor::Double(const char* name, double& v) {
    if (out_) {
        if (std::isfinite(v)) {
            (*out_)[name] = v;
        } else {
            uint64_t bits;
            std::memcpy(&bits, &v, sizeof bits);
            (*out_)[name] = FormatC("0x%016llX", static_cast<unsigned long long>(bits));
        }
    } else if (const Json* j = Member(name)) {
        uint64_t bits;
        if (j->is_number()) {
            v = j->get<double>();
        } else if (j->is_string() && ParseHex(j->get<std::string>(), 16, bits)) {
            std::memcpy(&v, &bits, sizeof v);
        } else {
            Fail(name, "a number was expected");
        }
    }
}

void JsonFieldVisitor::String(const char* name, std::string& v) {
    if (out_) {
        (*out_)[name] = v;
    } else if (const Json* j = Member(name)) {
        if (j->is_string()) {
            v = j->get<std::string>();
        } else {
            Fail(name, "a text was expected");
        }
    }
}

void JsonFieldVisitor::UInt32Array(const char* name, std::vector<uint32_t>& v) {
    if (out_) {
        (*out_)[name] = v;
        return;
    }
    const Json* j = Member(name);
    if (!j) {
        return;
    }
    if (!j->is_array()) {
        Fail(name, "a list of numbers was expected");
        return;
    }
    std::vector<uint32_t> result;
    result.reserve(j->size());
    for (const Json& e : *j) {
        int64_t x;
        if (!ReadInteger(name, e, 0, std::numeric_limits<uint32_t>::max(), x)) {
            return;
        }
        result.push_back(static_cast<uint32_t>(x));
    }
    v = std::move(result);
}

void JsonFieldVisitor::FloatBitsArray(const char* name, std::vector<uint32_t>& v) {
    if (out_) {
        Json list = Json::array();
        for (uint32_t bits : v) {
            list.push_back(FloatToJson(BitsFloat(bits)));
        }
        (*out_)[name] = std::move(list);
        return;
    }
    const Json* j = Member(name);
    if (!j) {
        return;
    }
    if (!j->is_array()) {
        Fail(name, "a list of numbers was expected");
        return;
    }
    std::vector<uint32_t> result;
    result.reserve(j->size());
    for (const Json& e : *j) {
        float f;
        if (!FloatFromJson(e, f)) {
            Fail(name, "a number within the range of a float was expected");
            return;
        }
        result.push_back(FloatBits(f));
    }
    v = std::move(result);
}

void JsonFieldVisitor::StringArray(const char* name, std::vector<std::string>& v) {
    if (out_) {
        (*out_)[name] = v;
        return;
    }
    const Json* j = Member(name);
    if (!j) {
        return;
    }
    if (!j->is_array()) {
        Fail(name, "a list of texts was expected");
        return;
    }
    std::vector<std::string> result;
    result.reserve(j->size());
    for (const Json& e : *j) {
        if (!e.is_string()) {
            Fail(name, "a list of texts was expected");
            return;
        }
        result.push_back(e.get<std::string>());
    }
    v = std::move(result);
}

void JsonFieldVisitor::Colour(const char* name, uint32_t& v) {
    if (out_) {
        (*out_)[name] = FormatC("0x%06X", v);
        return;
    }
    const Json* j = Member(name);
    if (!j) {
        return;
    }
    if (j->is_number()) {
        UInt32(name, v);
        return;
    }
    const std::string text = j->is_string() ? j->get<std::string>() : std::string();
    uint64_t bits = 0;
    for (int digits = 1; digits <= 8; ++digits) {
        if (ParseHex(text, digits, bits)) {
            v = static_cast<uint32_t>(bits);
            return;
        }
    }
    Fail(name, "a colour such as \"0x0000FF\" was expected");
}

}  // namespace svu
