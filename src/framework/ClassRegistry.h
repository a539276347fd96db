#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "framework/Serializable.h"

namespace svu {

/// Maps the class names found in archive class tags to factories. Filled by explicit Register calls
/// at start-up; read-only (and so safe to share between threads) afterwards.
class ClassRegistry {
public:
    using Factory = std::function<std::unique_ptr<Serializable>()>;

    /// The registry used by the program's own files.
    static ClassRegistry& Global();

    /// Adds or replaces the factory for a class name.
    void Register(const std::string& className, Factory f);

    /// Registers a default-constructible class under the given name.
    template <class T>
    void RegisterClass(const std::string& className) {
        Register(className, [] { return std::make_unique<T>(); });
    }

    bool Contains(const std::string& className) const;

    /// A new object of the named class, or nullptr if the name is unknown.
    std::unique_ptr<Serializable> Create(const std::string& className) const;

private:
    std::map<std::string, Factory, std::less<>> factories;
};

}  // namespace svu
