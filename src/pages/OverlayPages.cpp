#include "pages/OverlayPages.h"

#include "gadgets/OverlayGadget.h"
#include "pages/GadgetPages.h"
#include "pages/PropertySheet.h"

namespace svu {

std::unique_ptr<PropertyPage> MakeOverlayPage(OverlayGadget& gadget) {
    auto page = std::make_unique<GadgetPage>(QStringLiteral("Overlay"));
    page->BeginGroup(QStringLiteral("Pointer"));
    page->Spin(QStringLiteral("pointerWidth"), QStringLiteral("Width:"), Bind<long long>(gadget.pointerWidth), 1, 100);
    page->Spin(QStringLiteral("pointerLength"), QStringLiteral("Length(%):"), Bind<long long>(gadget.pointerLength), 1,
               100);
    page->BeginRow();
    page->ColourChooser(QStringLiteral("pointerColour"), {}, gadget.pointerColour);
    page->EndRow();
    page->Check(QStringLiteral("pointInwards"), QStringLiteral("Point inwards:"), BindFlag(gadget.pointInwards));
    page->BeginGroup(QStringLiteral("Rose"));
    page->Spin(QStringLiteral("radius"), QStringLiteral("Radius:"), Bind<long long>(gadget.radius), 1, 1000);
    page->Spin(QStringLiteral("originX"), QStringLiteral("Origin X:"), Bind<long long>(gadget.originX), 0, 1000);
    page->Spin(QStringLiteral("originY"), QStringLiteral("Origin Y:"), Bind<long long>(gadget.originY), 0, 1000);
    page->BeginRow();
    page->ColourChooser(QStringLiteral("roseColour"), {}, gadget.roseColour);
    page->EndRow();
    page->BeginGroup(QStringLiteral("Background"));
    page->Check(QStringLiteral("transparent"), QStringLiteral("Transparent"), BindFlag(gadget.transparent));
    return page;
}

std::unique_ptr<PropertySheet> MakeOverlaySheet(QWidget* parent, OverlayGadget& gadget,
                                                const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Overlay"), context);
    sheet->AddPage(std::make_unique<BitmapProperties>(gadget, context));
    sheet->AddPage(MakeDataSourcePage(gadget, 0, {}, context));
    sheet->AddPage(MakeOverlayPage(gadget));
    return sheet;
}

}  // namespace svu
