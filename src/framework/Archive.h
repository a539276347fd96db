#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/ArchiveObjectMap.h"
#include "framework/ClassRegistry.h"
#include "framework/Serializable.h"

namespace svu {

/// Raised only while loading/saving an archive; loaders catch it and report.
class ArchiveError : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

/// Reader/writer of the binary archive format of the station definition and display files
/// (the MFC CArchive encodings: little-endian scalars, counts, strings, tagged objects).
/// A loading archive never trusts its bytes: every damage ends in an ArchiveError.
class Archive {
public:
    /// Objects may nest this deep while loading; deeper input is refused rather than exhausting the stack.
    static constexpr int kMaxDepth = 64;
    /// Longest class name a class tag may carry (the original reader's limit is 63 characters).
    static constexpr size_t kMaxClassNameLength = 63;

    /// An archive reading the given bytes, creating objects through the registry.
    static Archive ForLoading(std::vector<uint8_t> bytes, const ClassRegistry& reg = ClassRegistry::Global());
    /// An empty archive to store into; Bytes() holds the result.
    static Archive ForStoring(const ClassRegistry& reg = ClassRegistry::Global());
    // The archive keeps a reference to its registry, so a temporary one would dangle.
    static Archive ForLoading(std::vector<uint8_t> bytes, const ClassRegistry&& reg) = delete;
    static Archive ForStoring(const ClassRegistry&& reg) = delete;

    Archive(Archive&&) noexcept = default;
    Archive& operator=(Archive&&) noexcept = default;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsLoading() const { return loading; }
    bool IsStoring() const { return !loading; }
    /// What has been stored (or, when loading, the bytes being read).
    const std::vector<uint8_t>& Bytes() const { return data; }
    /// Loading: all bytes consumed.
    bool AtEnd() const { return readPos >= data.size(); }
    /// Loading: bytes not yet read.
    size_t Remaining() const { return data.size() - readPos; }
    /// Loading: offset of the next byte to read.
    size_t Position() const { return readPos; }

    /// Scalars, little-endian; floats as their IEEE bytes.
    void WriteU8(uint8_t v);
    void WriteU16(uint16_t v);
    void WriteU32(uint32_t v);
    void WriteU64(uint64_t v);
    void WriteI16(int16_t v);
    void WriteI32(int32_t v);
    void WriteI64(int64_t v);
    void WriteF32(float v);
    void WriteF64(double v);
    void WriteBytes(const void* p, size_t n);
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();
    uint64_t ReadU64();
    int16_t ReadI16();
    int32_t ReadI32();
    int64_t ReadI64();
    float ReadF32();
    double ReadF64();
    void ReadBytes(void* p, size_t n);

    /// Stores or loads the field, whichever way the archive goes.
    void Field(int32_t& v);
    void Field(uint32_t& v);
    void Field(int64_t& v);
    void Field(uint16_t& v);
    void Field(int16_t& v);
    void Field(uint8_t& v);
    void Field(float& v);
    void Field(double& v);
    void Field(std::string& v);
    /// Booleans are stored as int32 0/1; any non-zero value loads as true.
    void Field(bool& v);

    /// Archive string: Windows-1252 when it can hold the text, else the UTF-16 form. Malformed UTF-8
    /// is written with '?' in place of each bad sequence.
    void WriteString(const std::string& utf8);
    /// Reads either string form and returns UTF-8.
    std::string ReadString();

    /// Counts: 16 bits, or 0xFFFF then 32 bits.
    void WriteCount(uint32_t n);
    /// Refuses a count larger than the bytes left, since every counted element takes at least one byte.
    uint32_t ReadCount();
    /// Refuses a count whose elements (each at least minBytesEach long) cannot fit in the bytes left.
    void CheckCount(uint64_t count, size_t minBytesEach) const;

    /// Writes the null tag, a back-reference to an object already written, or a class tag and the object.
    /// Objects are recognised by address, so everything written must stay alive while the archive is in use.
    void WriteObject(const Serializable* obj);
    /// Reads an object the caller will own; nullptr for the null tag. A back-reference is accepted
    /// only to an object that was read through ReadObjectRef and is not owned yet (it is handed over);
    /// one object is never owned twice. Objects handed out must live until loading ends.
    std::unique_ptr<Serializable> ReadObject();
    /// Reads a reference to an object the caller does not own: an object already read (such as the one
    /// whose record is being read) or a new one, which the archive keeps until an owning read claims it.
    Serializable* ReadObjectRef();
    /// Loading: refuses a file that referred to objects no list owns (they would dangle).
    void FinishLoading();
    /// ReadObject, refusing an object that is not a T.
    template <class T>
    std::unique_ptr<T> ReadObjectAs();
    /// While loading inside Serialize: the schema of the class tag of the object being read.
    /// While storing: the schema of the object being written.
    uint16_t ObjectSchema() const { return objects_.ObjectSchema(); }

    /// CObList / CObArray: count then objects. Loading replaces the list and refuses null entries.
    template <class T>
    void ObList(std::vector<std::unique_ptr<T>>& list);
    /// CDWordArray: count then uint32s.
    void DWordArray(std::vector<uint32_t>& v);
    /// CStringArray: count then strings.
    void StringArray(std::vector<std::string>& v);

private:
    // Capacity reserved up front for a collection is capped; the rest grows with the data actually read.
    static constexpr uint32_t kReserveLimit = 1024;

    Archive(bool isLoading, std::vector<uint8_t> bytes, const ClassRegistry& reg);

    [[noreturn]] void Fail(size_t offset, const std::string& what) const;
    void Need(size_t n) const;
    void RequireStoring() const;
    uint64_t ReadStringLength(bool& unicode);
    void WriteStringLength(uint64_t n);
    [[noreturn]] void FailWrongClass(const Serializable& obj) const;

    const ClassRegistry* registry;
    bool loading;
    std::vector<uint8_t> data;
    size_t readPos = 0;

    ArchiveObjectMap objects_;

    friend class ArchiveObjectMap;  // reads and writes through Fail, RequireStoring and the registry
};

template <class T>
std::unique_ptr<T> Archive::ReadObjectAs() {
    std::unique_ptr<Serializable> obj = ReadObject();
    if (!obj) {
        return nullptr;
    }
    T* typed = dynamic_cast<T*>(obj.get());
    if (typed == nullptr) {
        FailWrongClass(*obj);
    }
    obj.release();
    return std::unique_ptr<T>(typed);
}

template <class T>
void Archive::ObList(std::vector<std::unique_ptr<T>>& list) {
    if (IsStoring()) {
        WriteCount(static_cast<uint32_t>(list.size()));
        for (const auto& item : list) {
            WriteObject(item.get());
        }
        return;
    }
    const size_t countPos = readPos;
    const uint32_t n = ReadCount();
    CheckCount(n, 2);
    list.clear();
    list.reserve(std::min(n, kReserveLimit));
    for (uint32_t i = 0; i < n; ++i) {
        std::unique_ptr<T> item = ReadObjectAs<T>();
        if (!item) {
            Fail(countPos, "object list holds a null entry");
        }
        list.push_back(std::move(item));
    }
}

}  // namespace svu
