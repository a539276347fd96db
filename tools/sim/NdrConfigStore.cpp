#include "sim/NdrConfigStore.h"

namespace svu::sim {

NdrConfigStore::NdrConfigStore() = default;

bool NdrConfigStore::Answer(std::string_view command, std::string* reply, bool* changed) {
    *changed = false;
    return false;
}

std::string NdrConfigStore::Dump() const { return {}; }

bool NdrConfigStore::Load(std::string_view text) { return text.empty(); }

}  // namespace svu::sim
