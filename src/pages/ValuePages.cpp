#include "pages/ValuePages.h"

#include "gadgets/ValueGadget.h"
#include "pages/GadgetPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"

namespace svu {

std::unique_ptr<PropertyPage> MakeValueFormatPage(ValueGadget& gadget) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Format"));
    page->BeginGroup(QStringLiteral("Format"));
    CheckField& raw = page->Check(QStringLiteral("raw"), QStringLiteral("Display as raw data"), BindFlag(gadget.raw));
    IntegerField& width = page->Spin(QStringLiteral("width"), QStringLiteral("Minimum width:"),
                                     Bind<long long>(gadget.width), ValueGadget::kMinWidth, ValueGadget::kMaxWidth);
    IntegerField& precision =
        page->Spin(QStringLiteral("precision"), QStringLiteral("Decimal places:"), Bind<long long>(gadget.precision),
                   ValueGadget::kMinPrecision, ValueGadget::kMaxPrecision);
    CheckField& zeros =
        page->Check(QStringLiteral("leadingZeros"), QStringLiteral("Leading 0's"), BindFlag(gadget.leadingZeros));
    CheckField& sign = page->Check(QStringLiteral("signed"), QStringLiteral("Signed"), BindFlag(gadget.showSign));
    // The number settings apply only when the value is formatted.
    page->EnableWhen({&width, &precision, &zeros, &sign}, [&raw] { return !raw.Checked(); });
    return page;
}

std::unique_ptr<PropertySheet> MakeValueSheet(QWidget* parent, ValueGadget& gadget, const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Value"), context);
    sheet->AddPage(MakeDataSourcePage(gadget, 0, {}, context));
    sheet->AddPage(MakeValueFormatPage(gadget));
    return sheet;
}

}  // namespace svu
