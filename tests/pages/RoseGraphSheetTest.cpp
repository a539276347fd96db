#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "framework/RecordingUserInterface.h"
#include "gadgets/GraphGadget.h"
#include "gadgets/RTDustRoseGadget.h"
#include "gadgets/RTWindRoseGadget.h"
#include "gadgets/WindRoseGadget.h"
#include "pages/GadgetPages.h"
#include "pages/GraphPages.h"
#include "pages/PagesTestSupport.h"
#include "pages/RosePages.h"

namespace svu {
namespace {

class Colours : public GadgetPrompter {
public:
    bool AskColour(QWidget*, QColor& colour) override {
        colour = Qt::green;
        return true;
    }
    bool AskFont(QWidget*, QFont&, QColor&) override { return false; }
};

class RoseGraphSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        stations.push_back(test::MakeStation({"Speed", "Direction", "Dust"}));
        context.stations = &stations;
        context.ui = &ui;
        previous = SetGadgetPrompter(&colours);
    }
    void TearDown() override { SetGadgetPrompter(previous); }

    WeatherStation& station() { return *stations[0]; }
    void Reading(TimeT time, const std::string& speed, const std::string& direction) {
        std::lock_guard guard(station().lock);
        station().readingTime = time;
        station().values[0] = speed;
        station().values[1] = direction;
    }
    static void Ok(PropertySheet& sheet) { sheet.OkButton()->click(); }

    std::vector<std::unique_ptr<WeatherStation>> stations;
    GadgetSheetContext context;
    test::RecordingUserInterface ui;
    Colours colours;
    GadgetPrompter* previous = nullptr;
};

TEST_F(RoseGraphSheetTest, RealtimeWindRoseKeepsHistoryUnlessWhatItDependsOnChanged) {
    RTWindRoseGadget rose;
    rose.SetSource(0, &station(), 1);
    rose.SetSource(1, &station(), 2);
    Reading(1000, "1", "90");
    rose.UpdateFromChannels();
    Reading(1060, "1", "90");
    rose.UpdateFromChannels();
    ASSERT_EQ(rose.History().Size(), 2u);

    auto sheet = MakeRTWindRoseSheet(nullptr, rose, context);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Realtime windrose");
    EXPECT_EQ(test::TabNames(*sheet),
              (QStringList{"Basic", "Bitmap", "Windrose", "Wind speed", "Wind direction", "Units"}));
    EXPECT_FALSE(test::Find<QPushButton>(test::Page(*sheet, "Basic"), "mainFont")->isEnabled());
    test::Click(test::Page(*sheet, "Windrose"), "fillColour");
    test::Type(test::Page(*sheet, "Windrose"), "radius", "120");
    Ok(*sheet);
    EXPECT_EQ(rose.fillColour, 0x00FF00u);
    EXPECT_EQ(rose.radius, 120);
    EXPECT_EQ(rose.History().Size(), 2u);
    EXPECT_NEAR(rose.History().Sums()[4], 60, 1e-9);

    sheet = MakeRTWindRoseSheet(nullptr, rose, context);
    test::Choose(test::Page(*sheet, "Units"), "speedUnit", "KPH");
    Ok(*sheet);
    EXPECT_TRUE(rose.History().Empty());
    EXPECT_EQ(rose.needsBackFill, 1);

    rose.UpdateFromChannels();  // the reading time was forgotten: the same reading starts again
    EXPECT_EQ(rose.History().Size(), 1u);
    sheet = MakeRTWindRoseSheet(nullptr, rose, context);
    test::Choose(test::Page(*sheet, "Wind direction"), "dataChannel", "Dust");
    Ok(*sheet);
    EXPECT_EQ(rose.source2.channel, 3);
    EXPECT_TRUE(rose.History().Empty());
}

TEST_F(RoseGraphSheetTest, DurationShownInTheLargestWholeUnit) {
    RTDustRoseGadget dust;
    auto shown = [&](int32_t window) {
        dust.window = window;
        auto sheet = MakeRTDustRoseSheet(nullptr, dust, context);
        QWidget* page = test::Page(*sheet, "DustRose");
        return std::make_pair(test::Find<QSpinBox>(page, "duration")->value(),
                              test::Find<QComboBox>(page, "durationUnit")->currentText());
    };
    EXPECT_EQ(shown(3600), std::make_pair(1, QStringLiteral("Hours")));
    EXPECT_EQ(shown(7300), std::make_pair(2, QStringLiteral("Hours")));
    EXPECT_EQ(shown(90), std::make_pair(1, QStringLiteral("Minutes")));
    EXPECT_EQ(shown(45), std::make_pair(45, QStringLiteral("Seconds")));

    auto sheet = MakeRTDustRoseSheet(nullptr, dust, context);
    EXPECT_EQ(test::TabNames(*sheet),
              (QStringList{"Basic", "Bitmap", "DustRose", "Dust concentration", "Wind direction"}));
    QWidget* page = test::Page(*sheet, "DustRose");
    auto* count = test::Find<QSpinBox>(page, "duration");
    count->setValue(59);
    test::Choose(page, "durationUnit", "Hours");
    EXPECT_EQ(count->value(), 24);
    Ok(*sheet);
    EXPECT_EQ(dust.window, 24 * 3600);
}

TEST_F(RoseGraphSheetTest, WindDialSheetReadsTheChannelAgainAfterOk) {
    WindRoseGadget dial;
    dial.SetSource(0, &station(), 2);
    Reading(1000, "0", "45");
    ASSERT_TRUE(dial.UpdateFromChannels());
    auto sheet = MakeWindRoseSheet(nullptr, dial, context);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Windrose");
    EXPECT_EQ(test::TabNames(*sheet), (QStringList{"Basic", "Wind direction", "WindRose"}));
    test::Click(test::Page(*sheet, "WindRose"), "pointerColour");
    Ok(*sheet);
    EXPECT_EQ(dial.pointerColour, 0x00FF00u);
    dial.direction = 0;
    EXPECT_TRUE(dial.UpdateFromChannels());
    EXPECT_FLOAT_EQ(dial.direction, 45);
}

TEST_F(RoseGraphSheetTest, GraphSheetEditsTracesAndTimeBase) {
    GraphGadget graph;
    graph.rect = {0, 0, 406, 206};
    graph.SetSource(0, &station(), 1);
    Reading(1000, "4", "0");
    graph.UpdateFromChannels();
    ASSERT_EQ(graph.traces[0].points.back(), 4);

    auto sheet = MakeGraphSheet(nullptr, graph, context);
    EXPECT_EQ(sheet->windowTitle(), "Properties - Graph");
    EXPECT_EQ(test::TabNames(*sheet),
              (QStringList{"Basic", "Data Source 1", "Data Source 2", "Trace 1", "Trace 2", "Timebase"}));
    QWidget* trace = test::Page(*sheet, "Trace 1");
    auto* minimum = test::Find<QLineEdit>(trace, "minimum");
    EXPECT_FALSE(minimum->isEnabled());
    for (QRadioButton* button : trace->findChildren<QRadioButton*>()) {
        if (button->text() == "Manual Y range") {
            button->click();
        }
    }
    EXPECT_TRUE(minimum->isEnabled());
    test::Type(trace, "minimum", "-10");
    test::Type(trace, "title", "Speed");
    test::Click(trace, "colour");
    QWidget* timebase = test::Page(*sheet, "Timebase");
    EXPECT_EQ(test::TextOf(timebase, "hours"), "1");
    EXPECT_EQ(test::TextOf(timebase, "minutes"), "0");
    Ok(*sheet);
    EXPECT_EQ(graph.traces[0].autoRange, 0);
    EXPECT_EQ(graph.traces[0].minimum, -10);
    EXPECT_EQ(graph.traces[0].title, "Speed");
    EXPECT_EQ(graph.traces[0].colour, 0x00FF00u);
    EXPECT_EQ(graph.traces[0].points.back(), 4);  // only the look changed: the trace stays
    EXPECT_EQ(graph.traces[0].starting, 0);

    sheet = MakeGraphSheet(nullptr, graph, context);
    timebase = test::Page(*sheet, "Timebase");
    test::Type(timebase, "hours", "0");
    test::Type(timebase, "minutes", "2");
    test::Type(timebase, "seconds", "3");
    Ok(*sheet);
    EXPECT_EQ(graph.timeBase, 123);
    EXPECT_EQ(graph.Interval(), 1);
    EXPECT_TRUE(IsChartHole(graph.traces[0].points.back()));
    EXPECT_EQ(graph.traces[0].starting, 1);

    sheet = MakeGraphSheet(nullptr, graph, context);
    test::Type(test::Page(*sheet, "Timebase"), "hours", "24");
    sheet->OkButton()->click();  // refused: the sheet stays open and nothing changes
    EXPECT_EQ(graph.timeBase, 123);
}

}  // namespace
}  // namespace svu
