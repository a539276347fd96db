// "Channels" of the data logger stations: reached by "Advanced..." on each logger kind's sheet, it
// names a new logger's channels and edits an existing station's list with its alarms following.

#include <gtest/gtest.h>

#include <QTableWidget>

#include "framework/RecordingUserInterface.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "loggers/WSCalyraModem.h"
#include "loggers/WSCalyraWandDRadio.h"
#include "loggers/WSNDR.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "stations/Alarm.h"

namespace svu {
namespace {

void SetCell(QWidget* sheet, int row, int column, const QString& text) {
    auto* table = test::Find<QTableWidget>(sheet, "channelTable");
    ASSERT_LT(row, table->rowCount());
    table->item(row, column)->setText(text);
}

TEST(LoggerChannelSheet, EachLoggerKindNamesTheChannelsOfANewStation) {
    test::RecordingUserInterface ui;
    StationPagesContext context;
    context.ui = &ui;
    WSNDR cable("Cable");
    WSCalyraHarburyRadio harbury("Harbury");
    WSCalyraModem modem("Modem");
    WSCalyraWandDRadio wd("WandD");
    for (WeatherStation* station : std::initializer_list<WeatherStation*>{&cable, &harbury, &modem, &wd}) {
        auto sheet = MakeStationSheet(nullptr, *station, false, context);
        test::WhenModal([station, &cable](QWidget* channels) {
            EXPECT_EQ(channels->windowTitle(), "Channels");
            for (int i = 0; i < 3; ++i) {
                test::Click(channels, "addChannel");
            }
            SetCell(channels, 0, 1, "Air temperature (C)");
            SetCell(channels, 2, 1, "Rain (mm)");
            SetCell(channels, 2, 2, "13");
            if (station == &cable) {
                test::SaveScreenshot(*channels, "sheet-logger-channels.png");
            }
            test::ClickOk(channels);
        });
        test::Click(sheet.get(), "advanced");
        test::ClickOk(sheet.get());
        EXPECT_EQ(station->channelNames,
                  (std::vector<std::string>{"Air temperature (C)", "Channel 2", "Rain (mm)"}))
            << station->ClassName();
        EXPECT_EQ(station->channelTypes, (std::vector<uint32_t>{0, 0, 13})) << station->ClassName();
        EXPECT_EQ(station->rawChannelCount, 3);
        EXPECT_EQ(station->channelCount, 3);
        EXPECT_EQ(station->values.size(), 3u);
    }
}

TEST(LoggerChannelSheet, DeletingAChannelMovesTheAlarmsAndBlankNamesAreRefused) {
    test::RecordingUserInterface ui;
    StationPagesContext context;
    context.ui = &ui;
    WSCalyraHarburyRadio station("Ridge");
    station.channelNames = {"Temp", "Wind", "Rain"};
    station.rawChannelCount = station.channelCount = 3;
    station.ResetValues();
    station.alarms.push_back(std::make_unique<Alarm>());
    station.alarms.back()->channel = 2;  // on "Rain"

    // Through the station's sheet, whose "Alarms" page holds copies of the alarms meanwhile.
    auto sheet = MakeStationSheet(nullptr, station, false, context);
    test::WhenModal([&](QWidget* channels) {
        test::Find<QTableWidget>(channels, "channelTable")->setCurrentCell(0, 1);
        test::Click(channels, "deleteChannel");
        test::Click(channels, "addChannel");
        SetCell(channels, 2, 1, " ");
        test::ClickOk(channels);
        EXPECT_EQ(ui.Messages().back().text, "Every channel needs a name.");
        EXPECT_EQ(station.channelNames.size(), 3u);  // nothing written while refused
        SetCell(channels, 2, 1, "Gust");
        test::ClickOk(channels);
    });
    test::Click(sheet.get(), "advanced");
    EXPECT_EQ(station.channelNames, (std::vector<std::string>{"Wind", "Rain", "Gust"}));
    test::ClickOk(sheet.get());
    EXPECT_EQ(station.channelCount, 3);
    EXPECT_EQ(station.alarms[0]->channel, 1);  // still on "Rain"
}

}  // namespace
}  // namespace svu
