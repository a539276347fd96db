#include "framework/ClassRegistry.h"

#include <utility>

namespace svu {

ClassRegistry& ClassRegistry::Global() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::Register(const std::string& className, Factory f) {
    factories[className] = std::move(f);
}

bool ClassRegistry::Contains(const std::string& className) const {
    return factories.find(className) != factories.end();
}

std::unique_ptr<Serializable> ClassRegistry::Create(const std::string& className) const {
    const auto it = factories.find(className);
    if (it == factories.end() || !it->second) {
        return nullptr;
    }
    return it->second();
}

}  // namespace svu
