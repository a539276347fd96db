#include <QListWidget>

#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedQFE.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedSum.h"
#include "framework/RecordingUserInterface.h"
#include "pages/DerivedListPage.h"
#include "pages/DerivedPages.h"
#include "pages/PagesTestSupport.h"
#include "pages/PropertyPage.h"
#include "pages/Sheets.h"
#include "runtime/DerivedKinds.h"

namespace svu {
namespace {

// Stands in for the display document: moves a display item's 1-based channel number, then lets
// the station's derived channels follow, as the document does.
class FakeDocument : public ChannelEditListener {
public:
    void OnChannelDeleted(WeatherStation& station, int index) override {
        deleted.emplace_back(&station, index);
        if (itemChannel == index + 1) {
            itemChannel = -1;
        } else if (itemChannel > index + 1) {
            --itemChannel;
        }
        for (auto& data : station.derived) {
            data->OnChannelDeleted(index);
        }
    }
    void OnChannelInserted(WeatherStation&, int) override {}

    std::vector<std::pair<WeatherStation*, int>> deleted;
    int itemChannel = -1;
};

class DerivedSheetTest : public ::testing::Test {
protected:
    DerivedSheetTest() {
        context.ui = &ui;
        context.listener = &document;
    }

    ProcessedScale& AddScale(const std::string& name, int32_t source) {
        auto scale = std::make_unique<ProcessedScale>(station.get());
        scale->name = name;
        scale->sourceChannel = source;
        ProcessedScale& ref = *scale;
        AppendDerivedChannel(*station, std::move(scale));
        return ref;
    }

    std::unique_ptr<PropertySheet> OpenStation() {
        auto sheet = MakeStationSheet(nullptr, *station, true, context);
        sheet->show();
        return sheet;
    }

    std::unique_ptr<WSDirect> station = test::MakeStation({"Temp", "Humidity", "Pressure", "Wind"});
    test::RecordingUserInterface ui;
    FakeDocument document;
    StationPagesContext context;
};

TEST_F(DerivedSheetTest, AddOffersTheFirstFreeNameAndAppendsTheChannelOnOk) {
    AddScale("Data1", 0);
    AddScale("Data3", 1);
    auto sheet = OpenStation();

    test::WhenModal([](QWidget* chooser) {
        EXPECT_EQ(chooser->windowTitle(), "Data type");
        EXPECT_EQ(test::Find<QComboBox>(chooser, "type")->count(), 22);
        test::WhenModal([](QWidget* scale) {
            EXPECT_EQ(scale->windowTitle(), "Properties - Scale");
            EXPECT_EQ(test::TextOf(scale, "name"), "Data2");
            test::Choose(scale, "dataChannel", "Pressure");
            test::Type(scale, "gain", "0.5");
            test::ClickOk(scale);
        });
        test::Choose(chooser, "type", "Scale");
        test::ClickOk(chooser);
    });
    test::Click(sheet.get(), "addDerived");

    ASSERT_EQ(station->derived.size(), 3u);
    const auto& added = dynamic_cast<const ProcessedScale&>(*station->derived[2]);
    EXPECT_EQ(added.sourceChannel, 2);
    EXPECT_FLOAT_EQ(added.gain, 0.5f);
    EXPECT_EQ(station->channelCount, 7);
    EXPECT_EQ(station->channelNames.back(), "Data2");
    EXPECT_EQ(station->values.size(), 7u);
    EXPECT_EQ(test::Find<QListWidget>(sheet.get(), "derivedList")->item(2)->text(), "Data2");
}

TEST_F(DerivedSheetTest, CancelledAddCreatesNothing) {
    auto sheet = OpenStation();
    test::WhenModal([](QWidget* chooser) { test::ClickCancel(chooser); });
    test::Click(sheet.get(), "addDerived");
    test::WhenModal([](QWidget* chooser) {
        test::WhenModal([](QWidget* sheetOfKind) { test::ClickCancel(sheetOfKind); });
        test::Choose(chooser, "type", "QNH");
        test::ClickOk(chooser);
    });
    test::Click(sheet.get(), "addDerived");

    EXPECT_TRUE(station->derived.empty());
    EXPECT_EQ(station->channelCount, 4);
    EXPECT_EQ(station->channelNames.size(), 4u);
    EXPECT_EQ(test::Find<QListWidget>(sheet.get(), "derivedList")->count(), 0);
}

TEST_F(DerivedSheetTest, DeletingTheFirstOfThreeMovesTheOthersAndTheirDisplayItems) {
    AddScale("Data1", 1);                           // channel 4
    ProcessedScale& second = AddScale("Data2", 4);  // channel 5, reads the first
    ProcessedScale& third = AddScale("Data3", 5);   // channel 6, reads the second
    document.itemChannel = 6;                       // a display item on the second (1-based)
    auto sheet = OpenStation();
    auto* list = test::Find<QListWidget>(sheet.get(), "derivedList");
    EXPECT_FALSE(test::Find<QAbstractButton>(sheet.get(), "deleteDerived")->isEnabled());
    list->item(0)->setSelected(true);
    test::Click(sheet.get(), "deleteDerived");

    ASSERT_EQ(document.deleted.size(), 1u);
    EXPECT_EQ(document.deleted[0], std::make_pair(static_cast<WeatherStation*>(station.get()), 4));
    EXPECT_EQ(document.itemChannel, 5);
    EXPECT_EQ(second.sourceChannel, -1);
    EXPECT_EQ(third.sourceChannel, 4);
    EXPECT_EQ(station->channelCount, 6);
    EXPECT_EQ(station->channelNames,
              std::vector<std::string>({"Temp", "Humidity", "Pressure", "Wind", "Data2", "Data3"}));
    EXPECT_EQ(list->count(), 2);
    EXPECT_FALSE(test::Find<QAbstractButton>(sheet.get(), "deleteDerived")->isEnabled());
}

TEST_F(DerivedSheetTest, PropertiesRenamesTheChannel) {
    AddScale("Data1", 0);
    auto sheet = OpenStation();
    test::Find<QListWidget>(sheet.get(), "derivedList")->item(0)->setSelected(true);
    test::WhenModal([](QWidget* scale) {
        test::Type(scale, "name", "Scaled");
        test::ClickOk(scale);
    });
    test::Click(sheet.get(), "derivedProperties");
    EXPECT_EQ(station->channelNames[4], "Scaled");
    EXPECT_EQ(test::Find<QListWidget>(sheet.get(), "derivedList")->item(0)->text(), "Scaled");
}

TEST_F(DerivedSheetTest, EveryKindOpensWithItsTitleAndPages) {
    const QStringList expected[ProcessedData::kTypeCount] = {
        {"Input", "Calculation"},
        {"Input", "Extreme"},
        {"Temperature (°C)", "Relative humidity (%)"},
        {"Vapour pressure (mb)"},
        {"Input", "Reference"},
        {"Input", "Time span"},
        {"Input", "Time span"},
        {"Wind direction", "Wind speed", "Reference"},
        {"Wind direction"},
        {"Sum"},
        {"Wind direction", "Wind speed", "Reference"},
        {"Input", "Comparison"},
        {"Wind direction", "Reference", "Time span"},
        {"Local channel", "Remote channel"},
        {"Input", "Time span"},
        {"Input", "Threshold"},
        {"Air Temperature (°C)", "Relative Humidity", "Air Pressure (mb)"},
        {"Wind speed (m/s)", "Beaufort"},
        {"Wind direction", "Wind speed", "Reference"},
        {"Input channel"},
        {"Air pressure (mb)", "Temperature (°C)", "Height"},
        {"QFE (mb)", "Height"},
    };
    for (const DerivedKind& kind : DerivedKinds()) {
        auto data = kind.create(station.get());
        auto sheet = MakeDerivedSheet(nullptr, *data, context);
        EXPECT_EQ(sheet->windowTitle(), kind.sheetTitle);
        EXPECT_EQ(test::TabNames(*sheet), QStringList({"Name"}) + expected[kind.typeCode]) << kind.chooserEntry;
        // Every default is inside its page's range, so an untouched sheet closes with OK.
        sheet->show();
        test::ClickOk(sheet.get());
        EXPECT_EQ(sheet->result(), QDialog::Accepted) << kind.chooserEntry;
    }
}

TEST_F(DerivedSheetTest, ClassPagesRefuseValuesOutsideTheirRange) {
    ProcessedQFE qfe(station.get());
    auto sheet = MakeDerivedSheet(nullptr, qfe, context);
    sheet->show();
    test::Type(sheet.get(), "height", "-10001");
    test::ClickOk(sheet.get());
    EXPECT_EQ(ui.Messages().back().text, "Please enter a number between -10000 and 10000.");
    EXPECT_EQ(test::CurrentTab(*sheet), "Height");
    test::Type(sheet.get(), "height", "125.5");
    test::Choose(sheet->Pages()[1], "dataChannel", "Pressure");  // "Air pressure (mb)"
    test::ClickOk(sheet.get());
    EXPECT_FLOAT_EQ(qfe.sensorHeight, 125.5f);
    EXPECT_EQ(qfe.pressureChannel, 2);
    test::SaveScreenshot(*sheet, "sheet-derived-qfe.png");
}

TEST_F(DerivedSheetTest, SumPageMovesNamesBetweenItsListsAndStoresAscendingIndexes) {
    ProcessedSum sum(station.get());
    sum.channels = {3, 1};
    auto sheet = MakeDerivedSheet(nullptr, sum, context);
    sheet->show();
    sheet->Tabs()->setCurrentIndex(1);
    auto* included = test::Find<QListWidget>(sheet.get(), "included");
    auto* available = test::Find<QListWidget>(sheet.get(), "available");
    ASSERT_EQ(included->count(), 2);
    EXPECT_EQ(included->item(0)->text(), "Wind");
    EXPECT_EQ(available->count(), 2);
    EXPECT_FALSE(test::Find<QAbstractButton>(sheet.get(), "include")->isEnabled());

    available->setCurrentRow(0);  // Temp
    test::Click(sheet.get(), "include");
    EXPECT_FALSE(test::Find<QAbstractButton>(sheet.get(), "include")->isEnabled());
    included->setCurrentRow(0);  // Wind
    test::Click(sheet.get(), "exclude");
    test::SaveScreenshot(*sheet, "sheet-derived-sum.png");
    test::ClickOk(sheet.get());
    EXPECT_EQ(sum.channels, std::vector<uint32_t>({0, 1}));
}

TEST_F(DerivedSheetTest, RemoteChannelPageListsTheChosenStationsChannels) {
    std::vector<std::unique_ptr<WeatherStation>> stations;
    stations.push_back(test::MakeStation({"Temp"}, "Hilltop"));
    stations.push_back(test::MakeStation({"Flow", "Level"}, "River"));
    ProcessedChannelRatio ratio(stations[0].get());
    ratio.remoteStation = stations[0].get();
    ratio.remoteChannel = 0;

    StationPagesContext none = context;
    auto lonely = MakeDerivedSheet(nullptr, ratio, none);
    EXPECT_FALSE(test::Find<QComboBox>(lonely.get(), "aws")->isEnabled());

    context.stations = &stations;
    auto sheet = MakeDerivedSheet(nullptr, ratio, context);
    sheet->show();
    auto* channel = test::Find<QComboBox>(sheet.get(), "remoteChannel");
    EXPECT_EQ(channel->currentText(), "Temp");
    test::Choose(sheet.get(), "aws", "River");
    EXPECT_EQ(channel->count(), 2);
    EXPECT_EQ(channel->currentIndex(), -1);
    test::ClickOk(sheet.get());
    EXPECT_EQ(ratio.remoteStation, nullptr);  // a station without a channel is no reference
    EXPECT_EQ(ratio.remoteChannel, -1);

    auto again = MakeDerivedSheet(nullptr, ratio, context);
    again->show();
    test::Choose(again.get(), "aws", "River");
    test::Choose(again.get(), "remoteChannel", "Level");
    test::ClickOk(again.get());
    EXPECT_EQ(ratio.remoteStation, stations[1].get());
    EXPECT_EQ(ratio.remoteChannel, 1);
}

}  // namespace
}  // namespace svu
