// The "Calyra Configuration" sheet: its pages, the general page's rate checks, and the download and
// upload buttons against a logger answered by the simulator's set-up store.

#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "framework/RecordingUserInterface.h"
#include "framework/StringTable.h"
#include "loggers/NdrStoreLink.h"
#include "pages/NdrConfigSheet.h"
#include "pages/NdrDiffDialog.h"
#include "pages/NdrTransferDialog.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertyPage.h"

namespace svu {
namespace {

using StoreLink = test::NdrStoreLink;

class NdrConfigSheetTest : public ::testing::Test {
protected:
    test::RecordingUserInterface ui;
    NDR station;
    StoreLink link;
};

TEST_F(NdrConfigSheetTest, GeneralPageRefusesRatesOutsideTheirLimitsAndOkWritesEveryPage) {
    NdrConfigSheet sheet(nullptr, station, &link, &ui);
    EXPECT_EQ(test::TabNames(sheet), (QStringList{"General", "Channels", "Alarms", "Communications", "Modem",
                                                  "Special Commands"}));
    test::Type(&sheet, "normalRatem", "0");
    test::Type(&sheet, "normalRates", "3");
    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(test::CurrentTab(sheet), "General");
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, Str(280));
    test::Type(&sheet, "normalRateh", "24");
    test::Type(&sheet, "normalRates", "1");
    EXPECT_FALSE(sheet.ApplyAll());
    test::Type(&sheet, "normalRateh", "1");
    test::Type(&sheet, "normalRatem", "2");
    test::Type(&sheet, "normalRates", "5");
    test::Type(&sheet, "fastRatem", "0");
    test::Type(&sheet, "fastRates", "4");
    sheet.Tabs()->setCurrentIndex(2);
    EXPECT_EQ(ui.Messages().back().text, Str(281));
    test::Type(&sheet, "fastRates", "7");
    test::Type(&sheet, "fastScanRate", "8");
    sheet.Tabs()->setCurrentIndex(2);
    EXPECT_EQ(ui.Messages().size(), 4u);
    EXPECT_EQ(test::CurrentTab(sheet), "General");
    test::Type(&sheet, "fastRates", "8");
    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_EQ(test::CurrentTab(sheet), "Channels");

    // Edits of two channels both survive switching between them.
    PropertyPage* channels = sheet.FindPage("Channels");
    test::Choose(channels, "picker", "Channel 5");
    test::Type(channels, "unit", "km/h");
    test::Choose(channels, "picker", "Channel 6");
    test::Type(channels, "description", "Gust");
    PropertyPage* alarms = sheet.FindPage("Alarms");
    test::Choose(alarms, "picker", "Alarm 7");
    test::Find<QAbstractButton>(alarms, "enabled")->click();
    test::Type(alarms, "channelList", "2,5,64");
    EXPECT_EQ(station.dataChannels.channels[4].unit, "");
    ASSERT_TRUE(sheet.ApplyAll());
    sheet.accept();
    EXPECT_EQ(station.logRate, 3725);
    EXPECT_EQ(station.fastLogRate, 8);
    EXPECT_EQ(station.dataChannels.channels[4].unit, "km/h");
    EXPECT_EQ(station.dataChannels.channels[5].description, "Gust");
    EXPECT_EQ(station.alarms[6].enabled, 1);
    EXPECT_EQ(station.alarms[6].channelList[63], 1u);
}

TEST_F(NdrConfigSheetTest, DownloadFillsThePagesAndUploadShowsTheChangesFirst) {
    NdrConfigSheet sheet(nullptr, station, &link, &ui);
    int windows = 0;
    sheet.onTransferWindow = [&](NdrTransferDialog& window) {
        ++windows;
        window.onStep = [&window, first = windows == 1](int done) {
            if (first && done == 200) {
                test::SaveScreenshot(window, "dialog-ndr-config-transfer.png");
            }
        };
    };
    ASSERT_TRUE(sheet.Download());
    EXPECT_EQ(station.dataChannels.channels[0].description, "Air temperature");
    PropertyPage* channels = sheet.FindPage("Channels");
    EXPECT_EQ(test::TextOf(channels, "description"), "Air temperature");
    EXPECT_TRUE(ui.Messages().empty());
    const char* shots[] = {"general", "channels", "alarms", "communications", "modem", "commands"};
    for (int i = 0; i < sheet.Tabs()->count(); ++i) {
        sheet.Tabs()->setCurrentIndex(i);
        test::SaveScreenshot(sheet, std::string("sheet-ndr-config-") + shots[i] + ".png");
    }
    sheet.Tabs()->setCurrentIndex(1);

    test::Choose(channels, "picker", "Channel 4");
    test::Type(channels, "unit", "knots");
    PropertyPage* alarms = sheet.FindPage("Alarms");
    test::Choose(alarms, "picker", "Alarm 2");
    test::Type(alarms, "channelList", "3,4,64");
    test::Type(sheet.FindPage("General"), "normalRatem", "15");
    sheet.onDiffWindow = [](NdrDiffDialog& diff) {
        test::WhenModal([&diff](QWidget*) {
            ASSERT_EQ(diff.List()->topLevelItemCount(), 3);
            EXPECT_EQ(diff.List()->topLevelItem(0)->text(0), "Channel 4 unit");
            EXPECT_EQ(diff.List()->topLevelItem(0)->text(1), "m/s");
            EXPECT_EQ(diff.List()->topLevelItem(0)->text(2), "knots");
            EXPECT_EQ(diff.List()->topLevelItem(1)->text(0), "Alarm 2 channel list");
            EXPECT_EQ(diff.List()->topLevelItem(2)->text(2), "00h15m00s");
            test::SaveScreenshot(diff, "dialog-ndr-upload-changes.png");
            diff.UploadButton()->click();
        });
    };
    ui.Answer(MsgResult::Yes);
    ASSERT_TRUE(sheet.Upload());
    EXPECT_EQ(link.store.Get("scunit(4)"), "knots");
    EXPECT_EQ(link.store.Saves(), 1);
    EXPECT_EQ(link.clears, 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, Str(231));
    EXPECT_EQ(ui.Messages()[0].icon, MsgIcon::Question);
    EXPECT_EQ(station.dataChannels.channels[3].unit, "knots");
    EXPECT_EQ(link.store.Get("salist(2)"), "3,4,64");
    EXPECT_EQ(link.store.Get("sllograte"), "00h15m00s");
}

TEST_F(NdrConfigSheetTest, CancelledTransfersChangeNothing) {
    station.loggerText = "before";
    NdrConfigSheet sheet(nullptr, station, &link, &ui);
    sheet.onTransferWindow = [](NdrTransferDialog& window) {
        window.onStep = [&window](int done) {
            if (done == 40) {
                window.CancelButton()->click();
            }
        };
    };
    EXPECT_FALSE(sheet.Download());
    EXPECT_EQ(sheet.Edited().loggerText, "before");
    EXPECT_EQ(station.loggerText, "before");
    EXPECT_FALSE(sheet.Upload());
    EXPECT_EQ(link.store.Saves(), 0);
    EXPECT_TRUE(ui.Messages().empty());
}

}  // namespace
}  // namespace svu
