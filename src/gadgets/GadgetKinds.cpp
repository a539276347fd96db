#include "gadgets/GadgetKinds.h"

#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/DateGadget.h"
#include "gadgets/GraphGadget.h"
#include "gadgets/MultiStateGadget.h"
#include "gadgets/MultiTextGadget.h"
#include "gadgets/OverlayGadget.h"
#include "gadgets/RTDustRoseGadget.h"
#include "gadgets/RTWindRoseGadget.h"
#include "gadgets/TextGadget.h"
#include "gadgets/TimeGadget.h"
#include "gadgets/ValueGadget.h"
#include "gadgets/WindRoseGadget.h"

namespace svu {

namespace {

template <class T>
std::function<std::unique_ptr<Gadget>()> Maker() {
    return []() -> std::unique_ptr<Gadget> { return std::make_unique<T>(); };
}

constexpr RefreshPolicy kNever = RefreshPolicy::Never;
constexpr RefreshPolicy kEveryTick = RefreshPolicy::EveryTick;
constexpr RefreshPolicy kRunning = RefreshPolicy::WhileRunning;

}  // namespace

const std::vector<GadgetKind>& GadgetKinds() {
    static const std::vector<GadgetKind> kinds = {
        {0, "Text", 200, 100, kNever, TextGadget::kClassName, Maker<TextGadget>()},
        {1, "Date", 200, 100, kEveryTick, DateGadget::kClassName, Maker<DateGadget>()},
        {2, "Time", 200, 100, kEveryTick, TimeGadget::kClassName, Maker<TimeGadget>()},
        {3, "Value", 200, 100, kRunning, ValueGadget::kClassName, Maker<ValueGadget>()},
        {4, "Bitmap", 200, 100, kNever, BitmapGadget::kClassName, Maker<BitmapGadget>()},
        {5, "Multi-state", 200, 100, kRunning, MultiStateGadget::kClassName, Maker<MultiStateGadget>()},
        {6, "Overlay", 150, 150, kRunning, OverlayGadget::kClassName, Maker<OverlayGadget>()},
        {7, "WindRose", 150, 150, kRunning, WindRoseGadget::kClassName, Maker<WindRoseGadget>()},
        {8, "Graph", 400, 200, kRunning, GraphGadget::kClassName, Maker<GraphGadget>()},
        {9, "Realtime wind rose", 350, 350, kRunning, RTWindRoseGadget::kClassName, Maker<RTWindRoseGadget>()},
        {10, "Realtime dust rose", 350, 350, kRunning, RTDustRoseGadget::kClassName, Maker<RTDustRoseGadget>()},
        {11, "Multi-text", 200, 100, kRunning, MultiTextGadget::kClassName, Maker<MultiTextGadget>()},
    };
    return kinds;
}

const GadgetKind* FindGadgetKind(int typeCode) {
    const auto& kinds = GadgetKinds();
    if (typeCode < 0 || static_cast<size_t>(typeCode) >= kinds.size()) {
        return nullptr;
    }
    return &kinds[static_cast<size_t>(typeCode)];
}

std::unique_ptr<Gadget> CreateGadget(int typeCode, std::string* error) {
    const GadgetKind* kind = FindGadgetKind(typeCode);
    if (kind == nullptr || !kind->create) {
        if (error != nullptr) {
            *error = kind == nullptr
                         ? "There is no display item of type " + std::to_string(typeCode) + "."
                         : std::string("The display item \"") + kind->listName + "\" is not available in this version.";
        }
        return nullptr;
    }
    return kind->create();
}

void RegisterGadgetClasses(ClassRegistry& reg) {
    for (const GadgetKind& kind : GadgetKinds()) {
        if (kind.create) {
            auto create = kind.create;
            reg.Register(kind.className, [create] { return std::unique_ptr<Serializable>(create()); });
        } else {
            const std::string className = kind.className;
            reg.Register(className, [className]() -> std::unique_ptr<Serializable> {
                throw ArchiveError("archive: the display item " + className + " is not available in this version");
            });
        }
    }
}

}  // namespace svu
