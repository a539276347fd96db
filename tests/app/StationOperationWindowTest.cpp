// The transfer window of a long station operation: its progress line, and Cancel reaching the
// operation on its worker thread as the stop request.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressDialog>
#include <QTimer>
#include <thread>

#include "app/StationOperationWindow.h"
#include "framework/RecordingUserInterface.h"
#include "stations/StationHost.h"
#include "stations/WeatherStation.h"

namespace svu {
namespace {

class SlowStation : public WeatherStation {
public:
    const char* ClassName() const override { return "SlowStation"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    // Reports progress, then waits for the stop request (bounded, so a fault cannot hang the run).
    void Download(const std::string&) override {
        host->Ui().ShowProgress("Time remaining 1:05 (approx.)");
        for (int i = 0; i < 1000 && !host->StopRequested(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        stopped = host->StopRequested();
    }
    bool stopped = false;
};

TEST(StationOperationWindow, ShowsProgressAndCancelStopsTheOperation) {
    SlowStation station;
    test::RecordingUserInterface ui;
    QString shown;
    std::function<void()> cancelWhenShown;
    cancelWhenShown = [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<QProgressDialog*>(w);
            if (window != nullptr && window->isVisible() && window->labelText().startsWith("Time remaining")) {
                shown = window->labelText();
                window->cancel();
                return;
            }
        }
        QTimer::singleShot(20, cancelWhenShown);
    };
    QTimer::singleShot(0, cancelWhenShown);
    RunStationOperation(nullptr, station, ui, "Downloading logged data", [&] { station.Download("x"); });
    EXPECT_TRUE(station.stopped);
    EXPECT_EQ(shown, "Time remaining 1:05 (approx.)");
    EXPECT_EQ(station.host, nullptr) << "the lent host is taken back";
}

}  // namespace
}  // namespace svu
