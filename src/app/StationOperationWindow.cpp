#include "app/StationOperationWindow.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>

#include "framework/Clock.h"
#include "framework/UserInterface.h"
#include "stations/StationHost.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kRefreshMs = 200;

// The host of the operation: progress lines are kept for the window, everything else goes to the
// program's user interface; Cancel is its stop request.
class OperationHost : public StationHost, public UserInterface {
public:
    explicit OperationHost(UserInterface& ui) : ui_(ui) {}

    bool StopRequested() const override { return cancelled.load(); }
    UserInterface& Ui() override { return *this; }
    Clock& GetClock() override { return SystemClock(); }

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                         int defaultButton) override {
        return ui_.MessageBox(text, caption, buttons, icon, defaultButton);
    }
    void ShowProgress(const std::string& text) override {
        std::lock_guard lock(mutex_);
        progress_ = text;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

    std::string Progress() const {
        std::lock_guard lock(mutex_);
        return progress_;
    }

    std::atomic<bool> cancelled{false};
    std::atomic<bool> done{false};

private:
    UserInterface& ui_;
    mutable std::mutex mutex_;
    std::string progress_;
};

}  // namespace

void RunStationOperation(QWidget* parent, WeatherStation& station, UserInterface& ui, const std::string& title,
                         const std::function<void()>& operation) {
    OperationHost host(ui);
    QProgressDialog window(QString::fromStdString(title), QObject::tr("Cancel"), 0, 0, parent);
    window.setWindowTitle(QString::fromStdString(title));
    window.setWindowModality(Qt::WindowModal);
    window.setMinimumDuration(0);
    QObject::connect(&window, &QProgressDialog::canceled, [&host] { host.cancelled.store(true); });
    QEventLoop loop;
    QTimer refresh;
    QObject::connect(&refresh, &QTimer::timeout, [&] {
        const std::string text = host.Progress();
        if (!text.empty()) {
            window.setLabelText(QString::fromStdString(text));
        }
        if (window.wasCanceled()) {
            host.cancelled.store(true);  // Escape and the close box cancel as the button does
        }
        if (host.done.load()) {
            loop.quit();
        }
    });
    refresh.start(kRefreshMs);
    window.show();
    StationHost* const previous = station.host;
    station.host = &host;
    std::thread worker([&] {
        operation();
        host.done.store(true);
    });
    // Message boxes the operation asks for are served by this loop.
    loop.exec();
    worker.join();
    station.host = previous;
    refresh.stop();
    window.reset();
}

}  // namespace svu
