#include <gtest/gtest.h>

#include <thread>

#include "runtime/Runtime.h"
#include "runtime/RuntimeTestSupport.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// A station whose thread ignores the stop request until released, as one stuck in a system call.
class Stuck : public WeatherStation {
public:
    explicit Stuck(std::atomic<bool>& release) : WeatherStation("Stuck"), release_(release) { active = 1; }
    const char* ClassName() const override { return "Stuck"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    bool InitComms(StationHost&) override { return true; }
    void ThreadFunction(StationHost&) override {
        while (!release_.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    std::atomic<bool>& release_;
};

// Adds a line to its alert text on every poll, as a station with a flapping alarm does.
class Chatty : public WeatherStation {
public:
    Chatty() : WeatherStation("Chatty\x1b") { active = 1; }
    const char* ClassName() const override { return "Chatty"; }
    std::unique_ptr<WeatherStation> Duplicate() const override { return nullptr; }
    bool InitComms(StationHost&) override { return true; }
    void ThreadFunction(StationHost& host) override {
        while (!host.StopRequested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Say(const std::string& line) {
        std::lock_guard guard(lock);
        alarmText += line + "\r\n";
    }
};

using RuntimeFaults = test::RuntimeFixture;

TEST_F(RuntimeFaults, AStopThatDoesNotEndInTimeIsReportedNotWaitedForEver) {
    std::atomic<bool> release{false};
    Runtime runtime(settings, ui, clock);
    runtime.Stations().push_back(std::make_unique<Stuck>(release));
    ASSERT_TRUE(runtime.StartAcquisition());
    runtime.SetStopTimeout(std::chrono::milliseconds(50));
    EXPECT_FALSE(runtime.StopAcquisition());
    EXPECT_TRUE(runtime.AcquisitionRunning());
    EXPECT_NE(ReadFileBytes(reports.dir.File("error.txt")).find("The acquisition thread of Stuck did not end"),
              std::string::npos);
    release = true;
    runtime.SetStopTimeout(std::chrono::seconds(60));
    EXPECT_TRUE(runtime.StopAcquisition());
    TakeNotices();
}

TEST_F(RuntimeFaults, OnlyNewAlertsAreHandedOutAndTheTextStaysBounded) {
    Runtime runtime(settings, ui, clock);
    runtime.Stations().push_back(std::make_unique<Chatty>());
    auto& chatty = static_cast<Chatty&>(*runtime.Stations().back());
    ASSERT_TRUE(runtime.StartAcquisition());
    chatty.Say("first");
    RefreshResult r = runtime.Refresh();
    EXPECT_EQ(r.newAlerts, "Chatty\\e:\r\nfirst\r\n");
    chatty.Say("second");
    EXPECT_EQ(runtime.Refresh().newAlerts, "Chatty\\e:\r\nsecond\r\n");
    EXPECT_EQ(runtime.Refresh().newAlerts, "");
    const std::string line(100, 'x');
    int wrong = 0;
    for (int i = 0; i < 2000; ++i) {
        chatty.Say(std::to_string(i) + line);
        wrong += runtime.Refresh().newAlerts != "Chatty\\e:\r\n" + std::to_string(i) + line + "\r\n";
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(runtime.AlertsText().size(), Runtime::kMaxAlertBytesPerStation + 16);
    EXPECT_TRUE(runtime.AlertsText().ends_with("1999" + line + "\r\n"));
    EXPECT_EQ(runtime.AlertsText().rfind("Chatty\\e:\r\n1", 0), 0u);  // cut at a line end
    runtime.StopAcquisition();
}

TEST_F(RuntimeFaults, ASecondRuntimeOnTheSameFolderDoesNotStart) {
    Runtime first(settings, ui, clock);
    Runtime second(settings, ui, clock);
    ASSERT_TRUE(first.StartAcquisition());
    EXPECT_FALSE(second.StartAcquisition());
    EXPECT_FALSE(second.AcquisitionRunning());
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("(process " + std::to_string(::getpid()) + ")"), std::string::npos);
    first.StopAcquisition();
    EXPECT_TRUE(second.StartAcquisition());
    second.StopAcquisition();
}

TEST_F(RuntimeFaults, WebOutputFailuresAreReportedOncePerChange) {
    const std::string page = reports.dir.File("page.htm");
    WriteFileBytes(page, "<p>{STRATAVUE:#TIME}</p>\n");
    Runtime runtime(settings, ui, clock);
    runtime.Web().Config() = WebOutputSettings{1, 1, page, page, 0};  // the page is its own template
    runtime.Stations().push_back(std::make_unique<Chatty>());
    ASSERT_TRUE(runtime.StartAcquisition());
    for (int i = 0; i < 3; ++i) {
        runtime.Refresh();
        clock.Advance(std::chrono::seconds(2));
    }
    EXPECT_EQ(ReadFileBytes(page), "<p>{STRATAVUE:#TIME}</p>\n");  // not overwritten
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("is the template itself"), std::string::npos);

    runtime.Web().Config().outputFile = reports.dir.File("out.htm");
    runtime.Refresh();
    clock.Advance(std::chrono::seconds(2));
    runtime.Web().Config().templateFile = reports.dir.Path().string();  // a folder
    runtime.Refresh();
    ASSERT_EQ(ui.Messages().size(), 3u);
    EXPECT_EQ(ui.Messages()[1].text, "Web output: pages are written again");
    EXPECT_NE(ui.Messages()[2].text.find("cannot be read"), std::string::npos);
    runtime.StopAcquisition();
}

}  // namespace
}  // namespace svu
