// Endurance: a year of one-minute records (525,600 a station) through 10 file stations at full
// speed, all at once, with logging, the web page, the live-value server (one client advised on a
// channel of every station) and MQTT (to the broker on the port in SVU_SOAK_MQTT_PORT, which
// bench/soak/soak.sh starts). Afterwards: every record logged exactly once, as many descriptors
// open as before, resident memory flat. Run through bench/soak/soak.sh; it is not a test.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "framework/Clock.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/LocalTime.h"
#include "framework/Settings.h"
#include "outputs/LiveClient.h"
#include "outputs/LiveSettings.h"
#include "outputs/WebOutput.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"
#include "stations/WSFile.h"
#include "../support/YearLog.h"

namespace {

namespace fs = std::filesystem;

constexpr int kStations = 10;
constexpr int kChannels = 12;
constexpr long kRecords = svu::bench::kYearOfMinutes;

long ResidentKiB() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

long OpenDescriptors() {
    long n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        ++n;
    }
    return n;
}

// Every record of a station's daily logs, in file order, must be the next minute of the year.
std::string CheckLogs(const fs::path& folder, const std::string& station) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(station + "-", 0) == 0 && name.ends_with(".log")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    svu::TimeT expected = svu::FromLocal(2025, 1, 1, 0, 0, 0);
    long records = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        std::getline(in, line);
        for (long names = std::atol(line.c_str()); names > 0 && std::getline(in, line); --names) {
        }
        while (std::getline(in, line)) {
            const svu::LocalTm tm = svu::ToLocal(expected);
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "%02d/%02d/%02d, %02d:%02d:%02d,", tm.day, tm.month, tm.year % 100,
                          tm.hour, tm.minute, tm.second);
            if (line.rfind(stamp, 0) != 0) {
                return station + ": record " + std::to_string(records + 1) + " is \"" + line.substr(0, 20) +
                       "\", expected " + stamp;
            }
            ++records;
            expected += 60;
        }
    }
    return records == kRecords ? std::string()
                               : station + ": " + std::to_string(records) + " records logged of " +
                                     std::to_string(kRecords);
}

void BM_SoakYearTenFileStations(benchmark::State& state) {
    // Local time without daylight saving, so a year's stamps never repeat an hour.
    setenv("TZ", "UTC", 1);
    tzset();
    const char* mqttPort = std::getenv("SVU_SOAK_MQTT_PORT");
    std::string pattern = (fs::temp_directory_path() / "svu-soak-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const fs::path folder = pattern;
    svu::SetReportFolder(folder.string());
    const std::string year = (folder / "year.log").string();
    svu::bench::WriteYearLog(year, kChannels, kChannels - 2);
    {
        std::ofstream(folder / "template.html") << "<p>{STRATAVUE:#DATE} {STRATAVUE:#TIME}</p>\n"
                                                << "<p>{STRATAVUE:Soak1:Channel 2} {STRATAVUE:Soak10:Channel 11}</p>\n";
    }
    svu::Settings settings(folder.string());
    svu::WebOutputSettings web;
    web.active = 1;
    web.interval = 1;
    web.templateFile = (folder / "template.html").string();
    web.outputFile = (folder / "index.html").string();
    svu::SaveWebOutputSettings(settings, web);
    svu::LiveValuesSettings live;
    live.active = 1;
    svu::SaveLiveValuesSettings(settings, live);
    svu::MqttSettings mqtt;
    mqtt.active = mqttPort != nullptr ? 1 : 0;
    mqtt.host = "127.0.0.1";
    mqtt.port = mqttPort != nullptr ? std::atoi(mqttPort) : 0;
    svu::SaveMqttSettings(settings, mqtt);

    svu::HeadlessUserInterface ui(std::cerr);
    svu::Runtime runtime(settings, ui, svu::SystemClock());
    fs::create_directories(folder / "logs");
    for (int s = 1; s <= kStations; ++s) {
        auto station = std::make_unique<svu::WSFile>("Soak" + std::to_string(s));
        station->inputFile = year;
        station->ReadConfiguration();
        station->loggingEnabled = 1;
        station->logAllValues = 1;
        station->logFolder = (folder / "logs").string();
        station->active = 1;
        runtime.Stations().push_back(std::move(station));
    }
    for (const std::string& problem : runtime.StartLiveOutputs()) {
        std::fprintf(stderr, "soak: %s\n", problem.c_str());
    }
    // One client of the live-value server, advised on a channel of every station.
    svu::LiveClient client;
    std::string error;
    std::atomic<long> notices{0};
    std::atomic<bool> stop{false};
    std::thread reader;
    if (client.ConnectUnix(settings.FilePath("stratavue.live"), error)) {
        for (int s = 1; s <= kStations; ++s) {
            client.Send({"ADVISE", "Soak" + std::to_string(s), "Channel3"});
            std::vector<std::string> fields;
            client.ReadLine(fields, 5000);
        }
        reader = std::thread([&] {
            std::vector<std::string> fields;
            while (!stop.load()) {
                if (client.ReadLine(fields, 50) == svu::LiveClient::Read::Line && fields[0] == "NOTICE") {
                    notices.fetch_add(1);
                }
            }
        });
    } else {
        std::fprintf(stderr, "soak: no live-value client: %s\n", error.c_str());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // MQTT connected, announcements sent

    const long descriptorsBefore = OpenDescriptors();
    const long residentStart = ResidentKiB();
    long residentEarly = 0;
    long residentPeak = residentStart;
    long webPages = 0;
    long records = 0;
    double seconds = 0;
    for (auto _ : state) {
        std::atomic<int> running{kStations};
        std::vector<long> counts(kStations, 0);
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::thread> threads;
        for (int s = 0; s < kStations; ++s) {
            threads.emplace_back([&, s] {
                auto* station = static_cast<svu::WSFile*>(runtime.Stations()[static_cast<size_t>(s)].get());
                counts[static_cast<size_t>(s)] = station->ReplayOnce(runtime).records;
                running.fetch_sub(1);
            });
        }
        auto nextSample = start + std::chrono::seconds(2);
        while (running.load() > 0) {
            // The page as the main loop writes it (Refresh only does while acquisition runs).
            if (runtime.Web().Tick(svu::SystemClock().TickMs(), svu::SystemClock().Now(), runtime.Values())) {
                ++webPages;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const long resident = ResidentKiB();
            residentPeak = std::max(residentPeak, resident);
            if (residentEarly == 0 && std::chrono::steady_clock::now() >= nextSample) {
                residentEarly = resident;  // the working set once every buffer has grown
            }
        }
        for (std::thread& t : threads) {
            t.join();
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        for (const long c : counts) {
            records += c;
        }
    }
    const long residentEnd = ResidentKiB();
    const long descriptorsAfter = OpenDescriptors();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the last notices and messages
    const uint64_t messages = runtime.Live().Mqtt() != nullptr ? runtime.Live().Mqtt()->MessagesSent() : 0;
    stop.store(true);
    if (reader.joinable()) {
        reader.join();
    }

    std::string problems;
    for (int s = 1; s <= kStations; ++s) {
        const std::string problem = CheckLogs(folder / "logs", "Soak" + std::to_string(s));
        if (!problem.empty()) {
            problems += problem + "; ";
        }
    }
    if (descriptorsAfter != descriptorsBefore) {
        problems += "descriptors " + std::to_string(descriptorsBefore) + " before, " +
                    std::to_string(descriptorsAfter) + " after; ";
    }
    if (residentEarly > 0 && residentEnd - residentEarly > 1024) {
        problems += "resident memory grew by " + std::to_string(residentEnd - residentEarly) + " KiB; ";
    }
    std::printf("soak: %ld records through %d stations in %.1f s (%.0f records/s); every record logged once: %s\n",
                records, kStations, seconds, static_cast<double>(records) / seconds,
                problems.find("record") == std::string::npos ? "yes" : "NO");
    std::printf("soak: descriptors %ld before, %ld after; resident %.1f MB at start, %.1f MB after 2 s, %.1f MB at "
                "the end, highest %.1f MB\n",
                descriptorsBefore, descriptorsAfter, residentStart / 1024.0, residentEarly / 1024.0,
                residentEnd / 1024.0, residentPeak / 1024.0);
    std::printf("soak: %ld web pages written, %ld live-value notices, %llu MQTT messages\n", webPages,
                notices.load(), static_cast<unsigned long long>(messages));
    state.counters["records_per_second"] = benchmark::Counter(static_cast<double>(records) / seconds);
    runtime.StopLiveOutputs();
    svu::SetReportFolder("");
    fs::remove_all(folder);
    if (!problems.empty()) {
        state.SkipWithError(problems.c_str());
    }
}

BENCHMARK(BM_SoakYearTenFileStations)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
