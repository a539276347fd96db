#pragma once

#include <cstdint>

namespace svu {

class Archive;

/// Base of every class stored in an archive as an object (stations, alarms, derived channels, gadgets).
class Serializable {
public:
    virtual ~Serializable() = default;
    /// Name stored in the class tag; the class registry maps it back to a factory when loading.
    virtual const char* ClassName() const = 0;
    /// Schema written in the class tag; loaders see the stored one through Archive::ObjectSchema().
    virtual uint16_t Schema() const = 0;
    /// Writes the record when ar.IsStoring(), reads it otherwise.
    virtual void Serialize(Archive& ar) = 0;
};

}  // namespace svu
