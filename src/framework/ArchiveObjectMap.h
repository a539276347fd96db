#pragma once

// The object side of an archive: the tags that name classes and objects, the one index space they
// share (0 is the null object; classes and objects are numbered in the order they first appear),
// and the objects read until an owner claims them. Archive does the bytes; this does the graph.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace svu {

class Archive;
class Serializable;

class ArchiveObjectMap {
public:
    explicit ArchiveObjectMap(bool loading);

    ArchiveObjectMap(ArchiveObjectMap&&) noexcept = default;
    ArchiveObjectMap& operator=(ArchiveObjectMap&&) noexcept = default;
    ArchiveObjectMap(const ArchiveObjectMap&) = delete;
    ArchiveObjectMap& operator=(const ArchiveObjectMap&) = delete;

    /// Stores the null tag, a back-reference to an object already stored, or a class tag (the
    /// class's first appearance, or a reference to it) followed by the object's record.
    void Write(Archive& ar, const Serializable* obj);
    /// Reads a tag and what follows it: nullptr for the null tag, an object read before, or a new
    /// object read from its record, kept here until Claim. `tagPos` is where the tag began.
    Serializable* Read(Archive& ar, size_t& tagPos);
    /// Hands a new object read to its owner; refuses an object already owned or one whose own
    /// record is still being read (ownership from inside it would be a cycle).
    std::unique_ptr<Serializable> Claim(Archive& ar, Serializable* obj, size_t tagPos);
    /// Objects read that no owner has claimed.
    size_t UnclaimedCount() const { return unclaimed_.size(); }

    /// The schema of the object being read or written (0 outside any record).
    uint16_t ObjectSchema() const { return objectSchema_; }

private:
    struct LoadedClass {
        std::string name;
        uint16_t schema;
    };

    void WriteTag(Archive& ar, uint32_t index, bool isClass);
    // Reads the rest of a class tag: a new class's schema and name, or the index of a class read before.
    size_t ReadClass(Archive& ar, uint16_t shortTag, uint32_t tag, size_t tagPos);
    Serializable* ReadNewObject(Archive& ar, size_t classSlot, size_t tagPos);

    // Storing.
    uint32_t mapCount_ = 1;
    std::unordered_map<const Serializable*, uint32_t> storedObjects_;
    std::unordered_map<std::string, uint32_t> storedClasses_;

    // Loading: per index, -1 for an object, else the slot in loadedClasses_ (index 0 is the null object).
    std::vector<int32_t> loadMap_;
    std::vector<LoadedClass> loadedClasses_;
    // Every object read, by its index; those not yet handed to an owner are kept here.
    std::unordered_map<uint32_t, Serializable*> loadedObjects_;
    std::unordered_map<const Serializable*, std::unique_ptr<Serializable>> unclaimed_;
    std::vector<const Serializable*> inProgress_;  // objects whose records are being read, outermost first

    uint16_t objectSchema_ = 0;
    int depth_ = 0;
};

/// A class name from a file, with anything unprintable shown as '?', for messages.
std::string PrintableClassName(const std::string& name);

}  // namespace svu
