#pragma once

// The one table from display-item type code to class: the "Add Display Item" list, the size of a
// new item, the refresh the view gives it and the archive class name. Adding a kind is one entry
// here plus its class files.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gadgets/Gadget.h"

namespace svu {

class ClassRegistry;

/// One kind of display item; its index in the table is its type code.
struct GadgetKind {
    int typeCode;
    const char* listName;  // in the "Add Display Item" list
    int width;             // size when added
    int height;
    RefreshPolicy refresh;  // what the view's timer does with it
    const char* className;  // the archive class tag
    /// A new item with the kind's defaults; empty while the kind is not built yet.
    std::function<std::unique_ptr<Gadget>()> create;
};

/// Every kind, in type-code order.
const std::vector<GadgetKind>& GadgetKinds();

/// The kind of a type code, or nullptr.
const GadgetKind* FindGadgetKind(int typeCode);

/// A new item of a kind, or nullptr with `error` set (no such kind, or not available in this
/// version).
std::unique_ptr<Gadget> CreateGadget(int typeCode, std::string* error = nullptr);

/// Registers every display-item class for the archive; reading the class tag of a kind that is
/// not built yet fails with an archive error saying so.
void RegisterGadgetClasses(ClassRegistry& reg);

}  // namespace svu
