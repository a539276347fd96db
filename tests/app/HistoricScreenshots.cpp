// Pictures of the three historic windows for the documentation: run under a real X server
// (xvfb-run) with SVU_SCREENSHOT_DIR, SVU_HISTORIC_LOG (a log file) and SVU_SCREENSHOT_TAG set;
// each window is shown at the top left of the screen and captured with ImageMagick's import.
// Skipped in ordinary test runs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <string>

#include "app/HistoricGraphWindow.h"
#include "app/HistoricTableWindow.h"
#include "app/HistoricWindroseWindow.h"
#include "framework/RecordingUserInterface.h"

namespace svu {
namespace {

struct ScreenshotSetup {
    std::string dir;
    std::string log;
    std::string tag;

    static bool Read(ScreenshotSetup& setup) {
        const char* dir = std::getenv("SVU_SCREENSHOT_DIR");
        const char* log = std::getenv("SVU_HISTORIC_LOG");
        const char* tag = std::getenv("SVU_SCREENSHOT_TAG");
        if (dir == nullptr || log == nullptr || tag == nullptr) {
            return false;
        }
        setup = {dir, log, tag};
        return true;
    }
};

void Capture(QWidget& window, const ScreenshotSetup& setup, const std::string& kind) {
    window.move(0, 0);
    window.resize(1000, 640);
    window.show();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 800) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const std::string file = setup.dir + "/historic-" + kind + "-" + setup.tag + ".png";
    const std::string command = "import -window root -crop 1000x640+0+0 +repage '" + file + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    window.hide();
}

HistoricRangeChoice WholeFile(const std::string& path) {
    HistoricRangeChoice choice;
    choice.source.downloaded = true;
    choice.source.filePath = path;
    LogFileTimeSpan(path, choice.from, choice.to);
    return choice;
}

TEST(HistoricScreenshots, ThreeWindows) {
    ScreenshotSetup setup;
    if (!ScreenshotSetup::Read(setup)) {
        GTEST_SKIP() << "set SVU_SCREENSHOT_DIR, SVU_HISTORIC_LOG and SVU_SCREENSHOT_TAG to take the pictures";
    }
    test::RecordingUserInterface ui;
    {
        HistoricGraphWindow graph(nullptr, ui, nullptr);
        graph.setAttribute(Qt::WA_DeleteOnClose, false);
        ASSERT_TRUE(graph.Load(WholeFile(setup.log)));
        graph.Trace(0).channel = 0;
        graph.Trace(0).channelName = graph.Log().channelNames.at(0);
        graph.Trace(1).channel = 5;
        graph.Trace(1).channelName = graph.Log().channelNames.at(5);
        graph.Trace(1).windDirection = true;
        graph.BuildChart();
        Capture(graph, setup, "graph");
    }
    {
        HistoricTableWindow table(nullptr, ui, nullptr);
        table.setAttribute(Qt::WA_DeleteOnClose, false);
        ASSERT_TRUE(table.Load(QString::fromStdString(setup.log)));
        Capture(table, setup, "table");
    }
    {
        HistoricWindroseWindow rose(nullptr, ui, nullptr);
        rose.setAttribute(Qt::WA_DeleteOnClose, false);
        rose.Settings().directionChannel = 5;
        rose.Settings().speedChannel = 3;
        rose.Drawing().originX = 300;
        rose.Drawing().originY = 320;
        rose.Drawing().radius = 260;
        ASSERT_TRUE(rose.Load(WholeFile(setup.log)));
        Capture(rose, setup, "windrose");
    }
}

}  // namespace
}  // namespace svu
