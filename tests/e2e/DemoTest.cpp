// The embedded demo end to end: its stations file is made from demo/stations.json, the service runs
// on a copy of the demo folder against the instrument simulator, and within a short run both
// stations log with derived values, the alert and the alarm trigger and clear, and the web page is
// written. The demo's display file is made from demo/display.json and reads back as it was written.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#ifdef SVU_HAVE_UI
#include "gadgets/GadgetKinds.h"
#endif

extern char** environ;

namespace svu {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::RunCli;

const std::string kSourceDir = std::string(SVU_TEST_DATA_DIR) + "/../..";
const std::string kBuildDir = SVU_BINARY_DIR;

// A program of the build started in `folder`, its standard output into `outFile`.
pid_t SpawnIn(const std::string& folder, const std::string& program, const std::vector<std::string>& args,
              const std::string& outFile) {
    std::vector<char*> argv = {const_cast<char*>(program.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

int WaitExit(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The simulator's options as demo/simulator.args lists them (one option and its value a line).
std::vector<std::string> SimulatorArgs() {
    std::vector<std::string> args;
    std::ifstream in(kSourceDir + "/demo/simulator.args");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t space = line.find(' ');
        args.push_back(line.substr(0, space));
        if (space != std::string::npos) {
            args.push_back(line.substr(space + 1));
        }
    }
    return args;
}

std::vector<std::vector<std::string>> Records(const std::string& log) {
    std::vector<std::vector<std::string>> records;
    size_t start = 0;
    for (size_t end = log.find("\r\n"); end != std::string::npos; end = log.find("\r\n", start)) {
        const std::string line = log.substr(start, end - start);
        start = end + 2;
        if (line.size() < 9 || line[2] != '/') {
            continue;  // the header
        }
        std::vector<std::string> fields;
        for (size_t from = 0, comma = 0; comma != std::string::npos; from = comma + 2) {
            comma = line.find(", ", from);
            fields.push_back(line.substr(from, comma == std::string::npos ? comma : comma - from));
        }
        records.push_back(fields);
    }
    return records;
}

// The field of `channel` in a record (the date and time come first).
const std::string& Field(const std::vector<std::string>& record, size_t channel) {
    static const std::string kNone = "(none)";
    return channel + 2 < record.size() ? record[channel + 2] : kNone;
}

TEST(Demo, BothStationsLogTheAlarmsTripAndTheWebPageIsWritten) {
    const std::string cli = kBuildDir + "/stratavue-cli";
    const std::string sim = kBuildDir + "/stratavue-sim";
    const std::string week = kBuildDir + "/demo/archive/hilltop-week.log";
    if (!fs::exists(cli) || !fs::exists(sim) || !fs::exists(week)) {
        GTEST_SKIP() << "stratavue-cli, stratavue-sim and the demo target are not built";
    }
    test::ProgramFolder folder;
    for (const char* sub : {"archive", "logs", "network", "www"}) {
        fs::create_directories(folder.File(sub));
    }
    fs::copy_file(week, folder.File("archive/hilltop-week.log"));
    fs::copy_file(kSourceDir + "/demo/www/template.html", folder.File("www/template.html"));
    const test::CliResult made =
        RunCli({"stations", "import-json", kSourceDir + "/demo/stations.json", folder.File("stratavue.wsf")});
    ASSERT_EQ(made.code, 0) << made.err;
    {
        Profile ini(folder.File("stratavue.ini"));
        ini.WriteString("Ports", "COM9", folder.File("ttyDEMO"));
        ini.WriteString("WebOutput", "Active", "1");
        ini.WriteString("WebOutput", "Interval", "10");
        ini.WriteString("WebOutput", "Template", folder.File("www/template.html"));
        ini.WriteString("WebOutput", "Output", folder.File("www/index.html"));
    }

    std::vector<std::string> simArgs = {"direct", "--link", folder.File("ttyDEMO")};
    for (const std::string& a : SimulatorArgs()) {
        simArgs.push_back(a);
    }
    const pid_t simulator = SpawnIn(folder.Path(), sim, simArgs, "/dev/null");
    ASSERT_GT(simulator, 0);
    for (int i = 0; i < 500 && !fs::exists(folder.File("ttyDEMO")); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const pid_t service = SpawnIn(folder.Path(), cli, {"run", "--for", "20"}, folder.File("alerts.txt"));
    ASSERT_GT(service, 0);
    const int code = WaitExit(service);
    ::kill(simulator, SIGTERM);
    WaitExit(simulator);
    EXPECT_EQ(code, 0);

    // Hilltop replays the week from its first minute: 28 channels, the derived ones filled.
    const std::string hilltop = ReadFileBytes(folder.File("logs/Hilltop-20260601.log"));
    EXPECT_EQ(hilltop.rfind("28\r\nDate\r\nTime\r\nTemperature\r\n", 0), 0u);
    const auto hill = Records(hilltop);
    ASSERT_GE(hill.size(), 10u);
    EXPECT_EQ(Field(hill[0], 0), "01/06/26");
    for (const auto& r : {hill[1], hill.back()}) {
        EXPECT_EQ(r.size(), 30u);
        for (size_t c = 12; c <= 25; ++c) {  // vapour pressure .. sunshine hours
            EXPECT_FALSE(Field(r, c).empty()) << "Hilltop channel " << c;
        }
    }
    EXPECT_EQ(Field(hill[0], 17), "4");  // 6.7 m/s
    EXPECT_EQ(Field(hill[0], 18), "Moderate breeze");

    // Airfield logs what the instrument sends, with its derived channels.
    std::string airfield;
    for (const auto& entry : fs::directory_iterator(folder.File("logs"))) {
        if (entry.path().filename().string().rfind("Airfield-", 0) == 0) {
            airfield += ReadFileBytes(entry.path().string());
        }
    }
    const auto air = Records(airfield);
    ASSERT_GE(air.size(), 1u);
    EXPECT_EQ(air.back().size(), 2u + 27u);
    for (size_t c = 9; c <= 21; ++c) {  // vapour pressure .. global solar
        EXPECT_FALSE(Field(air.back(), c).empty()) << "Airfield channel " << c;
    }
    EXPECT_TRUE(fs::exists(folder.File("network/Airfield.nws")));

    // The squall at the start of the week trips the alert and the alarm, and both clear.
    const std::string alarms = ReadFileBytes(folder.File("alarms.txt"));
    for (const char* text :
         {"Alert: \"Heavy shower\" triggered at 00:03:00", "Alarm: \"Severe gust\" triggered at 00:03:00",
          "Alarm: \"Severe gust\" cleared at 00:06:00", "Alert: \"Heavy shower\" cleared at 00:07:00"}) {
        EXPECT_NE(alarms.find(text), std::string::npos) << text << "\n" << alarms;
    }
    EXPECT_NE(ReadFileBytes(folder.File("alerts.txt")).find("Heavy shower"), std::string::npos);

    // The web page carries both stations' current values.
    const std::string page = ReadFileBytes(folder.File("www/index.html"));
    EXPECT_EQ(page.find("{STRATAVUE:"), std::string::npos);
    EXPECT_NE(page.find("now at 01/06/26 00:"), std::string::npos);
    const size_t airSection = page.find("<h2>Airfield</h2>");
    ASSERT_NE(airSection, std::string::npos);
    EXPECT_TRUE(std::regex_search(page.substr(airSection), std::regex("<b>1[0-9]{3}\\.[0-9] mb</b>")));
}

#ifdef SVU_HAVE_UI

TEST(Demo, DisplayFileIsMadeFromItsJsonAndReadsBackTheSame) {
    test::ProgramFolder folder;
    ASSERT_EQ(
        RunCli({"stations", "import-json", kSourceDir + "/demo/stations.json", folder.File("stratavue.wsf")}).code, 0);
    const std::string dir = "--program-dir=" + folder.Path();
    const test::CliResult made = RunCli({dir, "display", "import-json", "--skip-unavailable",
                                         kSourceDir + "/demo/display.json", folder.File("demo.svu")});
    ASSERT_EQ(made.code, 0) << made.err;
    const test::CliResult shown = RunCli({dir, "display", "show", "--json", folder.File("demo.svu")});
    ASSERT_EQ(shown.code, 0) << shown.err;
    const auto json = nlohmann::ordered_json::parse(shown.out);
    EXPECT_EQ(json["switchEnabled"], 1);
    EXPECT_EQ(json["switchSequence"], nlohmann::ordered_json({1, 2, 3, 4}));
    EXPECT_EQ(json["pages"][3]["name"], "Alarms");
    ASSERT_FALSE(json["gadgets"].empty());
    EXPECT_EQ(json["gadgets"][0]["text"], "Stratavue demo: Hilltop (a week replayed) and Airfield (live)");
    // Every item of a kind this build has is there; the others are listed as left out.
    const auto source = nlohmann::ordered_json::parse(ReadFileBytes(kSourceDir + "/demo/display.json"));
    size_t available = 0;
    for (const auto& item : source["gadgets"]) {
        for (const GadgetKind& kind : GadgetKinds()) {
            available += item["class"] == kind.className && kind.create ? 1 : 0;
        }
    }
    EXPECT_EQ(json["gadgets"].size(), available);
    EXPECT_EQ(source["gadgets"].size() - available,
              static_cast<size_t>(std::count(made.err.begin(), made.err.end(), '\n')))
        << made.err;

    // What show --json prints is read back into the same file, byte for byte.
    { std::ofstream(folder.File("shown.json")) << shown.out; }
    const test::CliResult again =
        RunCli({dir, "display", "import-json", folder.File("shown.json"), folder.File("again.svu")});
    ASSERT_EQ(again.code, 0) << again.err;
    EXPECT_EQ(ReadFileBytes(folder.File("again.svu")), ReadFileBytes(folder.File("demo.svu")));
}

TEST(Demo, DisplayJsonMistakesNameTheItem) {
    test::ProgramFolder folder;
    ASSERT_EQ(
        RunCli({"stations", "import-json", kSourceDir + "/demo/stations.json", folder.File("stratavue.wsf")}).code, 0);
    const std::string dir = "--program-dir=" + folder.Path();
    const auto import = [&](const std::string& json, bool skip) {
        std::ofstream(folder.File("in.json")) << json;
        std::vector<std::string> words = {dir, "display", "import-json", folder.File("in.json"),
                                          folder.File("out.svu")};
        if (skip) {
            words.push_back("--skip-unavailable");
        }
        return RunCli(words);
    };
    const std::string ok = R"({"class": "TextGadget", "text": "Hello"})";
    auto r = import(R"({"gadgets": [)" + ok + R"(, {"class": "NoSuchGadget"}]})", false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("gadgets[1].class: no display item of this class"), std::string::npos) << r.err;

    r = import(R"({"gadgets": [{"class": "TextGadget", "source1": {"station": "Nowhere", "channel": 1}}]})", true);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("gadgets[0].source1.station: there is no station named \"Nowhere\""), std::string::npos)
        << r.err;

    r = import(R"({"gadgets": [{"class": "TextGadget", "page": 9}]})", false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("gadgets[0].page: a whole number from 1 to 8"), std::string::npos) << r.err;

    r = import(R"({"pages": [{"normalColour": "red"}], "gadgets": [)" + ok + "]}", false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("pages[0].normalColour: a colour such as"), std::string::npos) << r.err;

    r = import(R"({"gadgets": [{"class": "ValueGadget", "width": "40",
                 "source1": {"station": "Airfield", "channelName": "QNH"}}]})",
               false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("gadgets[0].width: a whole number was expected"), std::string::npos) << r.err;

    r = import(R"({"gadgets": [{"class": "ValueGadget", "widths": 4}]})", false);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("gadgets[0].widths: the display item ValueGadget has no such setting"), std::string::npos)
        << r.err;

    r = import(R"({"gadgets": [{"class": "ValueGadget", "precision": 3,
                 "source1": {"station": "Airfield", "channelName": "QNH"}}]})",
               false);
    ASSERT_EQ(r.code, 0) << r.err;
    const auto shown =
        nlohmann::ordered_json::parse(RunCli({dir, "display", "show", "--json", folder.File("out.svu")}).out);
    EXPECT_EQ(shown["gadgets"][0]["precision"], 3);
    EXPECT_EQ(shown["gadgets"][0]["source1"]["channelName"], "QNH");
}

#endif

}  // namespace
}  // namespace svu
