#pragma once

namespace svu {

class ClassRegistry;

/// Fills the archive's class table with every class the program's files may hold: the station
/// kinds, the alarm and the derived-channel kinds.
void RegisterAllClasses(ClassRegistry& reg);

}  // namespace svu
