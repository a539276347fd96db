#include <gtest/gtest.h>

#include <set>

#include "framework/StringTable.h"

namespace svu {
namespace {

TEST(StringTable, TextsByNumber) {
    EXPECT_STREQ(LoadString(157), "Page %i");
    EXPECT_STREQ(LoadString(220), "Copy of ");
    EXPECT_STREQ(LoadString(248), "%s on %s, data has not been received from this weather station.\r\n");
    EXPECT_STREQ(LoadString(263),
                 "Your weather station definition file (Stratavue.wsf) is corrupt.\n"
                 "Please re-install it from your configuration disk(s).");
    EXPECT_STREQ(LoadString(536),
                 "This display file uses an old format. It is recomended that you re-save it now in the new "
                 "format used in this version of Stratavue.");
    EXPECT_STREQ(LoadString(551), "Real time data is corrupt");
    EXPECT_STREQ(LoadString(152), "Alarm: \"%s\" triggered at %s on %s\r\n");
    EXPECT_STREQ(LoadString(278), "Enter option number:  ");
    EXPECT_STREQ(LoadString(61458), "spdata(67,%d)\r");
    EXPECT_EQ(LoadString(0), nullptr);
    EXPECT_EQ(LoadString(99999), nullptr);
    EXPECT_EQ(Str(12345), "");
}

TEST(StringTable, NumbersAreUniqueAndEveryTextIsFound) {
    std::set<int> ids;
    for (const StringEntry& entry : AllStrings()) {
        EXPECT_TRUE(ids.insert(entry.id).second) << entry.id;
        ASSERT_NE(entry.text, nullptr);
        EXPECT_EQ(LoadString(entry.id), entry.text);
    }
    EXPECT_GT(ids.size(), 150u);
}

TEST(StringTable, FormattedTexts) {
    EXPECT_EQ(FormatString(157, 8), "Page 8");
    EXPECT_EQ(FormatString(248, "14:05:00", "05/12/2026"),
              "14:05:00 on 05/12/2026, data has not been received from this weather station.\r\n");
    EXPECT_EQ(FormatString(590, 1, "Page 1", 2, "Wind"), "Copy all elements from page 1 [Page 1] to page 2 [Wind]?");
    EXPECT_EQ(FormatString(225, "01/12/2026", 12.345, "mm"),
              "Starting 01/12/2026: 12.35 mm\n\nNOTE: data is not available for all days!");
    EXPECT_EQ(FormatStringMessage(119, {"42", "index.htm"}), "42% of index.htm Completed");
    EXPECT_EQ(FormatStringMessage(563, {"2 min", FormatStringMessage(121, {"3 KB", "9 KB"})}),
              "2 min (3 KB of 9 KB copied)");
}

}  // namespace
}  // namespace svu
