// stratavue-cli instrument on the data logger behind a Harbury radio: the download and the
// clearing each tune the radio and address the logger for themselves; the download equals the
// card conversion of the logger's memory, and the other remote on the air is left alone.

#include <gtest/gtest.h>

#include "e2e/FaultProcess.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/Profile.h"
#include "framework/StringTable.h"
#include "loggers/ConvertLoggerData.h"
#include "loggers/WSCalyraHarburyRadio.h"
#include "sim/PtyDeviceRunner.h"
#include "sim/RadioAir.h"
#include "sim/RadioModemPort.h"

namespace svu {
namespace {

using test::CliResult;
using test::ReadFileBytes;

sim::RadioRemote NdrRemote(int address, double mhz, int records) {
    sim::RadioRemote r;
    r.kind = sim::RadioRemote::Kind::Ndr;
    r.address = address;
    r.frequency = mhz;
    r.loggerChannels = 2;
    r.loggerRecords = records;
    r.values = "2,40";
    return r;
}

TEST(RadioInstrumentCli, HarburyLoggerDownloadsAndClearsOverTheRadio) {
    if (!std::filesystem::exists(test::CliProgram())) {
        GTEST_SKIP() << "stratavue-cli is not built";
    }
    test::ProgramFolder folder;
    sim::RadioSimOptions options;
    // A second logger on the same address, another frequency: it must keep its memory.
    options.remotes = {NdrRemote(4, 458.525, 10), NdrRemote(4, 458.6, 30)};
    options.firstLineMs = 100;
    options.periodMs = 300;
    options.startTime = FromLocal(2026, 3, 1, 12, 0, 0);
    sim::RadioAir air(options);
    sim::RadioModemPort port(air, 1, SystemClock().TickMs());
    sim::PtyDeviceRunner runner(port);
    std::string error;
    ASSERT_TRUE(runner.Start(folder.File("radio"), &error)) << error;
    Profile(folder.File("stratavue.ini")).WriteString("Ports", "COM1", runner.DevicePath());
    const sim::RadioRemote& logger = air.Options().remotes[1];
    const sim::RadioRemote& other = air.Options().remotes[0];
    const std::string otherMemory = air.LoggerMemory(other);
    test::WriteFileBytes(folder.File("memory.bin"), air.LoggerMemory(logger));
    ASSERT_EQ(ConvertLoggerRecords({"Temp", "Wind"}, folder.File("memory.bin"), folder.File("expected.log")).error,
              LoggerConversionError::None);

    StationList stations;
    auto ridge = std::make_unique<WSCalyraHarburyRadio>("Ridge");
    ridge->port = 1;
    ridge->address = 4;
    ridge->frequency = 458.6f;
    ridge->logErrors = 1;
    ridge->rawChannelCount = ridge->channelCount = 2;
    ridge->channelNames = {"Temp", "Wind"};
    ridge->ResetValues();
    auto absent = ridge->Duplicate();  // tuned where nobody answers
    absent->name = "Absent";
    static_cast<WSCalyraHarburyRadio&>(*absent).frequency = 458.65f;
    stations.push_back(std::move(ridge));
    stations.push_back(std::move(absent));
    folder.Save(stations);
    const auto run = [&](std::vector<std::string> words, const char* station = "Ridge") {
        words.insert(words.begin(), {"--program-dir", folder.Path(), "instrument", "--station", station});
        return test::RunCli(words);
    };

    CliResult r = run({"download", folder.File("ridge.log")});
    ASSERT_EQ(r.code, 0) << r.err << ReadFileBytes(folder.File("error.txt"));
    EXPECT_NE(r.out.find("30 records written to"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("Downloading logged data"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFileBytes(folder.File("ridge.log")), ReadFileBytes(folder.File("expected.log")));

    r = run({"--yes", "clear-memory"});
    ASSERT_EQ(r.code, 0) << r.err << ReadFileBytes(folder.File("error.txt"));
    EXPECT_NE(r.out.find("was cleared"), std::string::npos) << r.out;
    EXPECT_TRUE(air.LoggerMemory(logger).empty());
    EXPECT_EQ(air.LoggerMemory(other), otherMemory);

    // An empty memory writes no file.
    r = run({"download", folder.File("empty.log")});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("The logger is empty."), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder.File("empty.log")));

    // A logger that does not answer fails the download, says so and leaves no file.
    r = run({"download", folder.File("absent.log")}, "Absent");
    EXPECT_NE(r.code, 0);
    EXPECT_NE(r.err.find(Str(557)), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(folder.File("absent.log")));
}

}  // namespace
}  // namespace svu
