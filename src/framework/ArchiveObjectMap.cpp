#include "framework/ArchiveObjectMap.h"

#include <algorithm>
#include <utility>

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/Serializable.h"

namespace svu {

namespace {

constexpr uint16_t kNullTag = 0x0000;
constexpr uint16_t kNewClassTag = 0xFFFF;
constexpr uint16_t kClassTag = 0x8000;
constexpr uint16_t kBigObjectTag = 0x7FFF;
constexpr uint32_t kBigClassTag = 0x80000000;
// The original writer stops well short of the 31-bit index space; so do we, on both sides.
constexpr uint32_t kMaxMapCount = 0x3FFFFFFE;
constexpr int32_t kObjectEntry = -1;

// Keeps ObjectSchema() and the nesting depth right for the object being (de)serialised,
// also when its Serialize throws.
class ObjectScope {
public:
    ObjectScope(uint16_t& schemaRef, int& depthRef, uint16_t schema)
        : schemaRef(schemaRef), depthRef(depthRef), savedSchema(schemaRef) {
        schemaRef = schema;
        ++depthRef;
    }
    ~ObjectScope() {
        schemaRef = savedSchema;
        --depthRef;
    }
    ObjectScope(const ObjectScope&) = delete;
    ObjectScope& operator=(const ObjectScope&) = delete;

private:
    uint16_t& schemaRef;
    int& depthRef;
    uint16_t savedSchema;
};

}  // namespace

std::string PrintableClassName(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto b = static_cast<unsigned char>(c);
        out.push_back(b >= 0x20 && b < 0x7F ? c : '?');
    }
    return out;
}

ArchiveObjectMap::ArchiveObjectMap(bool loading) {
    if (loading) {
        loadMap_.push_back(kObjectEntry);  // index 0: the null object
    }
}

// ---- storing ----------------------------------------------------------------------------------

void ArchiveObjectMap::WriteTag(Archive& ar, uint32_t index, bool isClass) {
    if (index < kBigObjectTag) {
        ar.WriteU16(static_cast<uint16_t>(isClass ? (kClassTag | index) : index));
    } else {
        ar.WriteU16(kBigObjectTag);
        ar.WriteU32(isClass ? (kBigClassTag | index) : index);
    }
}

void ArchiveObjectMap::Write(Archive& ar, const Serializable* obj) {
    ar.RequireStoring();
    if (obj == nullptr) {
        ar.WriteU16(kNullTag);
        return;
    }
    if (const auto it = storedObjects_.find(obj); it != storedObjects_.end()) {
        WriteTag(ar, it->second, false);
        return;
    }
    if (mapCount_ >= kMaxMapCount - 1) {
        throw ArchiveError("archive: too many objects to store");
    }
    const std::string name = obj->ClassName();
    if (const auto it = storedClasses_.find(name); it != storedClasses_.end()) {
        WriteTag(ar, it->second, true);
    } else {
        if (name.empty() || name.size() > Archive::kMaxClassNameLength) {
            throw ArchiveError("archive: class name '" + PrintableClassName(name) + "' cannot be stored");
        }
        ar.WriteU16(kNewClassTag);
        ar.WriteU16(obj->Schema());
        ar.WriteU16(static_cast<uint16_t>(name.size()));
        ar.WriteBytes(name.data(), name.size());
        storedClasses_.emplace(name, mapCount_++);
    }
    storedObjects_.emplace(obj, mapCount_++);
    ObjectScope scope(objectSchema_, depth_, obj->Schema());
    // Storing does not change the object; Serialize is simply one function for both directions.
    const_cast<Serializable*>(obj)->Serialize(ar);
}

// ---- loading ----------------------------------------------------------------------------------

Serializable* ArchiveObjectMap::Read(Archive& ar, size_t& tagPos) {
    tagPos = ar.Position();
    const uint16_t shortTag = ar.ReadU16();
    uint32_t tag;
    if (shortTag == kBigObjectTag) {
        tag = ar.ReadU32();
    } else {
        tag = (static_cast<uint32_t>(shortTag & kClassTag) << 16) | (shortTag & ~kClassTag & 0xFFFF);
    }

    if ((tag & kBigClassTag) == 0) {
        if (tag == 0) {
            return nullptr;
        }
        if (tag >= loadMap_.size()) {
            ar.Fail(tagPos, "reference to object " + std::to_string(tag) + ", which has not been read");
        }
        if (loadMap_[tag] != kObjectEntry) {
            ar.Fail(tagPos, "index " + std::to_string(tag) + " names a class where an object was expected");
        }
        return loadedObjects_.at(tag);
    }
    return ReadNewObject(ar, ReadClass(ar, shortTag, tag, tagPos), tagPos);
}

size_t ArchiveObjectMap::ReadClass(Archive& ar, uint16_t shortTag, uint32_t tag, size_t tagPos) {
    if (shortTag == kNewClassTag) {
        const uint16_t schema = ar.ReadU16();
        const uint16_t nameLength = ar.ReadU16();
        if (nameLength > Archive::kMaxClassNameLength) {
            ar.Fail(tagPos, "class name length " + std::to_string(nameLength) + " is too long");
        }
        std::string name(nameLength, '\0');
        ar.ReadBytes(name.data(), name.size());
        if (!ar.registry->Contains(name)) {
            ar.Fail(tagPos, "unknown class '" + PrintableClassName(name) + "'");
        }
        if (loadMap_.size() >= kMaxMapCount) {
            ar.Fail(tagPos, "too many objects");
        }
        const size_t classSlot = loadedClasses_.size();
        loadedClasses_.push_back({std::move(name), schema});
        loadMap_.push_back(static_cast<int32_t>(classSlot));
        return classSlot;
    }
    const uint32_t classIndex = tag & ~kBigClassTag;
    if (classIndex == 0 || classIndex >= loadMap_.size()) {
        ar.Fail(tagPos, "class index " + std::to_string(classIndex) + " does not exist");
    }
    if (loadMap_[classIndex] == kObjectEntry) {
        ar.Fail(tagPos, "index " + std::to_string(classIndex) + " names an object where a class was expected");
    }
    return static_cast<size_t>(loadMap_[classIndex]);
}

Serializable* ArchiveObjectMap::ReadNewObject(Archive& ar, size_t classSlot, size_t tagPos) {
    if (depth_ >= Archive::kMaxDepth) {
        ar.Fail(tagPos, "objects nested too deeply");
    }
    if (loadMap_.size() >= kMaxMapCount) {
        ar.Fail(tagPos, "too many objects");
    }
    const LoadedClass cls = loadedClasses_[classSlot];
    std::unique_ptr<Serializable> obj = ar.registry->Create(cls.name);
    if (!obj) {
        ar.Fail(tagPos, "class '" + PrintableClassName(cls.name) + "' could not be created");
    }
    const auto index = static_cast<uint32_t>(loadMap_.size());
    loadMap_.push_back(kObjectEntry);
    // Registered before its record is read, so the record may refer back to the object itself.
    Serializable* raw = obj.get();
    loadedObjects_.emplace(index, raw);
    unclaimed_.emplace(raw, std::move(obj));
    ObjectScope scope(objectSchema_, depth_, cls.schema);
    inProgress_.push_back(raw);
    raw->Serialize(ar);
    inProgress_.pop_back();
    return raw;
}

std::unique_ptr<Serializable> ArchiveObjectMap::Claim(Archive& ar, Serializable* obj, size_t tagPos) {
    auto it = unclaimed_.find(obj);
    if (it == unclaimed_.end()) {
        // The program's files never share an owned object; a second owner would delete it twice.
        ar.Fail(tagPos, "second owning reference to one object");
    }
    if (std::find(inProgress_.begin(), inProgress_.end(), obj) != inProgress_.end()) {
        ar.Fail(tagPos, "owning reference to an object whose record is still being read");
    }
    std::unique_ptr<Serializable> owned = std::move(it->second);
    unclaimed_.erase(it);
    return owned;
}

}  // namespace svu
