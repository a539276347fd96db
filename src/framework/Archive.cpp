#include "framework/Archive.h"

#include <cstring>
#include <utility>

#include "framework/ArchiveText.h"

namespace svu {

Archive::Archive(bool isLoading, std::vector<uint8_t> bytes, const ClassRegistry& reg)
    : registry(&reg), loading(isLoading), data(std::move(bytes)), objects_(isLoading) {}

Archive Archive::ForLoading(std::vector<uint8_t> bytes, const ClassRegistry& reg) {
    return Archive(true, std::move(bytes), reg);
}

Archive Archive::ForStoring(const ClassRegistry& reg) {
    return Archive(false, {}, reg);
}

void Archive::Fail(size_t offset, const std::string& what) const {
    throw ArchiveError("archive offset " + std::to_string(offset) + ": " + what);
}

void Archive::Need(size_t n) const {
    if (!loading) {
        throw ArchiveError("archive: read from an archive opened for storing");
    }
    if (n > Remaining()) {
        Fail(readPos, "truncated (" + std::to_string(n) + " bytes needed, " + std::to_string(Remaining()) + " left)");
    }
}

void Archive::RequireStoring() const {
    if (loading) {
        throw ArchiveError("archive: write to an archive opened for loading");
    }
}

// ---- scalars --------------------------------------------------------------------------------

void Archive::WriteBytes(const void* p, size_t n) {
    RequireStoring();
    const auto* bytes = static_cast<const uint8_t*>(p);
    data.insert(data.end(), bytes, bytes + n);
}

void Archive::ReadBytes(void* p, size_t n) {
    Need(n);
    if (n > 0) {
        std::memcpy(p, data.data() + readPos, n);
    }
    readPos += n;
}

void Archive::WriteU8(uint8_t v) {
    WriteBytes(&v, 1);
}

void Archive::WriteU16(uint16_t v) {
    const uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    WriteBytes(b, 2);
}

void Archive::WriteU32(uint32_t v) {
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                          static_cast<uint8_t>(v >> 24)};
    WriteBytes(b, 4);
}

void Archive::WriteU64(uint64_t v) {
    WriteU32(static_cast<uint32_t>(v));
    WriteU32(static_cast<uint32_t>(v >> 32));
}

void Archive::WriteI16(int16_t v) {
    WriteU16(static_cast<uint16_t>(v));
}

void Archive::WriteI32(int32_t v) {
    WriteU32(static_cast<uint32_t>(v));
}

void Archive::WriteI64(int64_t v) {
    WriteU64(static_cast<uint64_t>(v));
}

void Archive::WriteF32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteU32(bits);
}

void Archive::WriteF64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    WriteU64(bits);
}

uint8_t Archive::ReadU8() {
    Need(1);
    return data[readPos++];
}

uint16_t Archive::ReadU16() {
    Need(2);
    const uint16_t v = static_cast<uint16_t>(data[readPos] | (data[readPos + 1] << 8));
    readPos += 2;
    return v;
}

uint32_t Archive::ReadU32() {
    Need(4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) {
        v = (v << 8) | data[readPos + static_cast<size_t>(i)];
    }
    readPos += 4;
    return v;
}

uint64_t Archive::ReadU64() {
    const uint64_t low = ReadU32();
    const uint64_t high = ReadU32();
    return low | (high << 32);
}

int16_t Archive::ReadI16() {
    return static_cast<int16_t>(ReadU16());
}

int32_t Archive::ReadI32() {
    return static_cast<int32_t>(ReadU32());
}

int64_t Archive::ReadI64() {
    return static_cast<int64_t>(ReadU64());
}

float Archive::ReadF32() {
    const uint32_t bits = ReadU32();
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

double Archive::ReadF64() {
    const uint64_t bits = ReadU64();
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// ---- two-way fields ---------------------------------------------------------------------------

void Archive::Field(int32_t& v) {
    loading ? void(v = ReadI32()) : WriteI32(v);
}

void Archive::Field(uint32_t& v) {
    loading ? void(v = ReadU32()) : WriteU32(v);
}

void Archive::Field(int64_t& v) {
    loading ? void(v = ReadI64()) : WriteI64(v);
}

void Archive::Field(uint16_t& v) {
    loading ? void(v = ReadU16()) : WriteU16(v);
}

void Archive::Field(int16_t& v) {
    loading ? void(v = ReadI16()) : WriteI16(v);
}

void Archive::Field(uint8_t& v) {
    loading ? void(v = ReadU8()) : WriteU8(v);
}

void Archive::Field(float& v) {
    loading ? void(v = ReadF32()) : WriteF32(v);
}

void Archive::Field(double& v) {
    loading ? void(v = ReadF64()) : WriteF64(v);
}

void Archive::Field(std::string& v) {
    loading ? void(v = ReadString()) : WriteString(v);
}

void Archive::Field(bool& v) {
    loading ? void(v = ReadI32() != 0) : WriteI32(v ? 1 : 0);
}

// ---- strings ----------------------------------------------------------------------------------

void Archive::WriteStringLength(uint64_t n) {
    if (n < 0xFF) {
        WriteU8(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<uint16_t>(n));
    } else if (n < 0xFFFFFFFF) {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<uint32_t>(n));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(0xFFFFFFFF);
        WriteU64(n);
    }
}

void Archive::WriteString(const std::string& utf8) {
    RequireStoring();
    const bool ascii =
        std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        WriteStringLength(utf8.size());
        WriteBytes(utf8.data(), utf8.size());
        return;
    }
    const std::u32string codePoints = DecodeUtf8Lenient(utf8);
    if (const auto ansi = CodePointsToWindows1252(codePoints)) {
        WriteStringLength(ansi->size());
        WriteBytes(ansi->data(), ansi->size());
        return;
    }
    const std::u16string units = CodePointsToUtf16(codePoints);
    WriteU8(0xFF);
    WriteU16(0xFFFE);  // marks the UTF-16 form
    WriteStringLength(units.size());
    for (char16_t u : units) {
        WriteU16(u);
    }
}

uint64_t Archive::ReadStringLength(bool& unicode) {
    unicode = false;
    uint8_t b = ReadU8();
    if (b < 0xFF) {
        return b;
    }
    uint16_t w = ReadU16();
    if (w == 0xFFFE) {
        unicode = true;
        b = ReadU8();
        if (b < 0xFF) {
            return b;
        }
        w = ReadU16();
    }
    if (w < 0xFFFF) {
        return w;
    }
    const uint32_t d = ReadU32();
    if (d < 0xFFFFFFFF) {
        return d;
    }
    return ReadU64();
}

std::string Archive::ReadString() {
    const size_t start = readPos;
    bool unicode = false;
    const uint64_t length = ReadStringLength(unicode);
    if (!unicode) {
        CheckCount(length, 1);
        std::string raw(static_cast<size_t>(length), '\0');
        ReadBytes(raw.data(), raw.size());
        return Windows1252ToUtf8(raw);
    }
    CheckCount(length, 2);
    std::u16string units(static_cast<size_t>(length), u'\0');
    for (char16_t& u : units) {
        u = ReadU16();
    }
    auto utf8 = Utf16ToUtf8(units);
    if (!utf8) {
        Fail(start, "string holds invalid UTF-16 (unpaired surrogate)");
    }
    return std::move(*utf8);
}

// ---- counts and collections ---------------------------------------------------------------------

void Archive::WriteCount(uint32_t n) {
    if (n < 0xFFFF) {
        WriteU16(static_cast<uint16_t>(n));
    } else {
        WriteU16(0xFFFF);
        WriteU32(n);
    }
}

uint32_t Archive::ReadCount() {
    const uint16_t w = ReadU16();
    if (w != 0xFFFF) {
        CheckCount(w, 1);
        return w;
    }
    const uint32_t d = ReadU32();
    CheckCount(d, 1);
    return d;
}

void Archive::CheckCount(uint64_t count, size_t minBytesEach) const {
    if (minBytesEach > 0 && count > Remaining() / minBytesEach) {
        Fail(readPos, "count " + std::to_string(count) + " exceeds the " + std::to_string(Remaining()) + " bytes left");
    }
}

void Archive::DWordArray(std::vector<uint32_t>& v) {
    if (!loading) {
        WriteCount(static_cast<uint32_t>(v.size()));
        for (uint32_t x : v) {
            WriteU32(x);
        }
        return;
    }
    const uint32_t n = ReadCount();
    CheckCount(n, 4);
    v.resize(n);
    for (uint32_t& x : v) {
        x = ReadU32();
    }
}

void Archive::StringArray(std::vector<std::string>& v) {
    if (!loading) {
        WriteCount(static_cast<uint32_t>(v.size()));
        for (const std::string& s : v) {
            WriteString(s);
        }
        return;
    }
    const uint32_t n = ReadCount();
    v.clear();
    v.reserve(std::min(n, kReserveLimit));
    for (uint32_t i = 0; i < n; ++i) {
        v.push_back(ReadString());
    }
}

// ---- objects (the graph is ArchiveObjectMap's) ----------------------------------------------------

void Archive::WriteObject(const Serializable* obj) {
    objects_.Write(*this, obj);
}

std::unique_ptr<Serializable> Archive::ReadObject() {
    size_t tagPos = 0;
    Serializable* obj = objects_.Read(*this, tagPos);
    return obj != nullptr ? objects_.Claim(*this, obj, tagPos) : nullptr;
}

Serializable* Archive::ReadObjectRef() {
    size_t tagPos = 0;
    return objects_.Read(*this, tagPos);
}

void Archive::FinishLoading() {
    if (loading && objects_.UnclaimedCount() != 0) {
        throw ArchiveError("archive: the file refers to " + std::to_string(objects_.UnclaimedCount()) +
                           " object(s) that no list holds");
    }
}

void Archive::FailWrongClass(const Serializable& obj) const {
    throw ArchiveError("archive offset " + std::to_string(readPos) + ": object of class '" +
                       PrintableClassName(obj.ClassName()) + "' is not of the expected kind");
}

}  // namespace svu
