#include <gtest/gtest.h>

#include <QStringList>

#include "gadgets/GadgetKinds.h"
#include "gadgets/TextGadget.h"
#include "pages/GadgetPages.h"
#include "pages/GadgetSheetRegistry.h"
#include "pages/PagesTestSupport.h"

namespace svu {
namespace {

TEST(GadgetSheetRegistry, EveryKindOpensItsOwnSheet) {
    // By type code: the sheet's caption and its tabs.
    const std::vector<std::pair<QString, QStringList>> expected = {
        {"Properties - Text", {"Basic", "Extended"}},
        {"Properties - Basic", {"Basic"}},
        {"Properties - Basic", {"Basic"}},
        {"Properties - Value", {"Basic", "Data source", "Format"}},
        {"Properties - Bitmap", {"Basic", "Bitmap"}},
        {"Properties - Multistate bitmap", {"Basic", "Bitmap", "Data source", "States"}},
        {"Properties - Overlay", {"Basic", "Bitmap", "Data source", "Overlay"}},
        {"Properties - Windrose", {"Basic", "Wind direction", "WindRose"}},
        {"Properties - Graph", {"Basic", "Data Source 1", "Data Source 2", "Trace 1", "Trace 2", "Timebase"}},
        {"Properties - Realtime windrose", {"Basic", "Bitmap", "Windrose", "Wind speed", "Wind direction", "Units"}},
        {"Properties - Realtime dustrose", {"Basic", "Bitmap", "DustRose", "Dust concentration", "Wind direction"}},
        {"Properties - Multistate text", {"Basic", "Data source", "Text"}},
    };
    const GadgetSheetRegistry& registry = GadgetSheetRegistry::Instance();
    ASSERT_EQ(GadgetKinds().size(), expected.size());
    for (const GadgetKind& kind : GadgetKinds()) {
        SCOPED_TRACE(kind.listName);
        std::unique_ptr<Gadget> gadget = CreateGadget(kind.typeCode);
        ASSERT_TRUE(gadget);
        EXPECT_TRUE(registry.Has(kind.typeCode));
        std::unique_ptr<PropertySheet> sheet = registry.MakeSheet(nullptr, *gadget, GadgetSheetContext{});
        ASSERT_NE(sheet, nullptr);
        const auto& [caption, tabs] = expected[static_cast<size_t>(kind.typeCode)];
        EXPECT_EQ(sheet->windowTitle(), caption);
        EXPECT_EQ(test::TabNames(*sheet), tabs);
    }
    EXPECT_FALSE(registry.Has(static_cast<int>(GadgetKinds().size())));
    EXPECT_FALSE(registry.Has(-1));
}

TEST(GadgetSheetRegistry, AnItemWhoseCodeDisagreesWithItsClassGetsNoSheet) {
    TextGadget text;
    text.typeCode = 3;  // says "Value"
    EXPECT_EQ(GadgetSheetRegistry::Instance().MakeSheet(nullptr, text, GadgetSheetContext{}), nullptr);
    text.typeCode = 99;
    EXPECT_EQ(GadgetSheetRegistry::Instance().MakeSheet(nullptr, text, GadgetSheetContext{}), nullptr);
    EXPECT_FALSE(GadgetSheetRegistry::Instance().Edit(nullptr, text));
}

}  // namespace
}  // namespace svu
