// stratavue-cli instrument against the Direct instrument simulator on a pseudo-terminal.

#include <gtest/gtest.h>

#include "e2e/RuntimeCliSupport.h"
#include "framework/ClassRegistry.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "runtime/ClassTables.h"
#include "sim/DirectSimulator.h"
#include "stations/WSDirect.h"

namespace svu {
namespace {

using test::CliResult;
using test::ReadFileBytes;

class InstrumentCli : public ::testing::Test {
protected:
    InstrumentCli() {
        sim::DirectSimOptions options;
        for (int c = 0; c < 6; ++c) {
            options.channels.push_back({FormatC("Ch%d", c + 1), 0, {}, 1, {}, {}});
        }
        options.records = 30;
        options.startTime = FromLocal(2026, 3, 1, 0, 10, 0);
        simulator = std::make_unique<sim::DirectSimulator>(options);
        std::string error;
        EXPECT_TRUE(simulator->Start(&error)) << error;
        Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM3", simulator->DevicePath());

        StationList stations;
        auto mast = std::make_unique<WSDirect>("Mast");
        mast->port = 3;
        mast->logErrors = 1;
        stations.push_back(std::move(mast));
        auto lost = std::make_unique<WSDirect>("Lost");
        lost->port = 9;
        stations.push_back(std::move(lost));
        stations.push_back(folder.HillStation());
        folder.Save(stations);
        Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM9", folder.File("missing"));
    }

    CliResult Run(std::vector<std::string> words) {
        words.insert(words.begin(), {"--program-dir", folder.Path(), "instrument"});
        return test::RunCli(words);
    }
    std::unique_ptr<WeatherStation> SavedMast() {
        ClassRegistry classes;
        RegisterAllClasses(classes);
        StationFileResult file = LoadStationFile(folder.File("stratavue.wsf"), classes);
        EXPECT_TRUE(file.Ok()) << file.error;
        return file.Ok() ? std::move(file.stations.front()) : nullptr;
    }
    template <class T>
    T Instrument(T (*get)(sim::DirectInstrument&)) {
        return simulator->WithInstrument(get);
    }

    test::ProgramFolder folder;
    std::unique_ptr<sim::DirectSimulator> simulator;
};

TEST_F(InstrumentCli, EachActionReachesTheInstrument) {
    CliResult r = Run({"--station", "Mast", "read-config"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Channels: 6, counters: 0"), std::string::npos) << r.out;
    std::unique_ptr<WeatherStation> saved = SavedMast();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->rawChannelCount, 6);
    EXPECT_EQ(saved->channelNames.back(), "Ch6");

    r = Run({"--station", "Mast", "set-interval", "15"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.LoggerInterval(); }), 15);
    r = Run({"--station", "Mast", "set-gust", "3"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.GustPeriod(); }), 3);
    r = Run({"--station", "Mast", "get-interval"});
    EXPECT_EQ(r.out, "Logging interval: 15 minutes\n");
    r = Run({"--station", "Mast", "get-gust"});
    EXPECT_EQ(r.out, "Gust period: 3 seconds\n");
    EXPECT_EQ(SavedMast()->gustPeriod, 3);

    r = Run({"--station", "Mast", "download", folder.File("mast.log")});
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string log = ReadFileBytes(folder.File("mast.log"));
    EXPECT_EQ(log.rfind("6\r\nCh1\r\n", 0), 0u) << log.substr(0, 100);
    EXPECT_NE(log.find("01/03/26,00:10:00,"), std::string::npos) << log;

    // The question after sending the configuration is answered no unless --yes is given.
    r = Run({"--station", "Mast", "write-config"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find(Str(231) + " no"), std::string::npos) << r.err;
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Memory().RecordCount(); }), 30u);
    r = Run({"--station", "Mast", "clear-memory", "--no"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Memory().RecordCount(); }), 30u);
    r = Run({"--station", "Mast", "clear-memory", "--yes"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Instrument(+[](sim::DirectInstrument& i) { return i.Memory().RecordCount(); }), 0u);
}

// Waits for the computer's clock to show a whole minute, so this may take a minute.
TEST_F(InstrumentCli, SetClock) {
    const CliResult r = Run({"--station", "Mast", "set-clock"});
    EXPECT_EQ(r.code, 0) << r.err;
    const TimeT instrument = Instrument(+[](sim::DirectInstrument& i) { return i.InstrumentTime(RealClock().Now()); });
    EXPECT_LE(std::llabs(instrument - RealClock().Now()), 2);
}

TEST_F(InstrumentCli, RefusesWhatItCannotDo) {
    EXPECT_EQ(Run({"--station", "Mast", "set-interval", "0"}).code, 2);
    EXPECT_EQ(Run({"--station", "Mast", "set-gust", "11"}).code, 2);
    EXPECT_EQ(Run({"--station", "Mast", "reboot"}).code, 2);
    EXPECT_EQ(Run({"--station", "Mast", "clear-memory", "--yes", "--no"}).code, 2);
    EXPECT_EQ(Run({"--station", "Nowhere", "get-gust"}).code, 2);
    EXPECT_EQ(Run({"--station", "Hill", "get-gust"}).code, 2);
    const CliResult r = Run({"--station", "Lost", "read-config"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(Str(239)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(Str(227)), std::string::npos) << r.err;
}

}  // namespace
}  // namespace svu
