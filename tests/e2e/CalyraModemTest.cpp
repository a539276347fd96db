// The data logger behind a dial-up modem, end to end against the simulated modem with the
// simulated logger behind it: the memory download is one call and equals the card conversion of
// the logger's memory image, and a run calls the logger for a real-time line that it logs (a
// logger without checksums is asked again for its plain stream); every hang-up leaves the logger
// with its configured command format.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "e2e/FaultProcess.h"
#include "e2e/RuntimeCliSupport.h"
#include "framework/TextUtil.h"
#include "loggers/ConvertLoggerData.h"
#include "loggers/InstrumentLines.h"
#include "loggers/WSCalyraModem.h"
#include "sim/ModemDevice.h"
#include "sim/NdrBehindModem.h"
#include "sim/PtyDeviceRunner.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using test::ReadFileBytes;

const std::vector<std::string> kNames = {"Temp", "Humidity", "Wind", "Rain"};

TEST(CalyraModem, DownloadIsACallEqualToTheCardConversionAndARunLogsTheLoggersLine) {
    if (!std::filesystem::exists(test::CliProgram())) {
        GTEST_SKIP() << "stratavue-cli is not built";
    }
    test::ProgramFolder folder;
    const test::RuntimeDirScope runtimeDir(folder.File("run"));
    sim::ModemSimOptions modemOptions;
    modemOptions.guardMs = 100;
    sim::NdrLoggerOptions loggerOptions;
    loggerOptions.channels = 4;
    loggerOptions.records = 250;
    loggerOptions.periodMs = 200;
    loggerOptions.noChecksum = true;
    auto device = std::make_unique<sim::NdrBehindModem>(loggerOptions);
    sim::NdrBehindModem* logger = device.get();
    sim::ModemDevice modem(modemOptions, std::move(device));
    sim::PtyDeviceRunner runner(modem);
    std::string error;
    ASSERT_TRUE(runner.Start(folder.File("modem"), &error)) << error;
    const auto calls = [&] { return runner.WithDevice([&](sim::SimDevice&) { return modem.Calls(); }); };
    {
        std::ofstream(folder.File("memory.bin"), std::ios::binary)
            << runner.WithDevice([&](sim::SimDevice&) { return logger->Logger().Memory(); });
    }

    std::filesystem::create_directories(folder.File("logs"));
    StationList stations;
    auto station = std::make_unique<WSCalyraModem>("Logger");
    station->SetLoggerChannels(kNames);
    station->modemName = folder.File("modem");
    station->ndr.commandFormat = 1;  // put back at every hang-up
    station->phoneNumber = "01234";
    station->active = station->logErrors = station->loggingEnabled = station->logAllValues = 1;
    station->logFolder = folder.File("logs");
    stations.push_back(std::move(station));
    folder.Save(stations);

    const test::CliResult r = test::RunCli({"--program-dir", folder.Path(), "instrument", "--station", "Logger",
                                            "--yes", "download", folder.File("download.log")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("250 records"), std::string::npos) << r.out;
    ASSERT_EQ(ConvertLoggerRecords(kNames, folder.File("memory.bin"), folder.File("expected.log")).error,
              LoggerConversionError::None);
    EXPECT_EQ(ReadFileBytes(folder.File("download.log")), ReadFileBytes(folder.File("expected.log")));
    ASSERT_EQ(calls().size(), 1u);
    EXPECT_EQ(calls()[0].dialled, "01234");
    EXPECT_EQ(calls()[0].ended, "ATH");

    const pid_t run = test::SpawnProgram(test::CliProgram(), {"--program-dir=" + folder.Path(), "run"},
                                         folder.File("run.out"), folder.File("run.err"));
    ASSERT_GT(run, 0);
    // The first call is due at once; the next only after the call interval.
    const auto logged = [&] { return test::LoggedValues(folder.File("logs"), "Logger"); };
    EXPECT_TRUE(test::WaitUntil([&] { return !logged().empty() && calls().size() >= 2 && calls()[1].endTick >= 0; }))
        << ReadFileBytes(folder.File("error.txt"));
    ::kill(run, SIGTERM);
    const int status = test::WaitForExit(run);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    const std::vector<std::string> records = logged();
    ASSERT_EQ(records.size(), 1u);
    const std::vector<std::string> sent =
        runner.WithDevice([&](sim::SimDevice&) { return logger->Logger().TakeSentLines(); });
    EXPECT_EQ(std::set<std::string>(sent.begin(), sent.end()).count(records[0]), 1u) << records[0];
    ASSERT_EQ(calls().size(), 2u);
    EXPECT_EQ(calls()[1].ended, "ATH");
    EXPECT_EQ(ReadFileBytes(folder.File("error.txt")).find("corrupt"), std::string::npos);
    EXPECT_EQ(runner.WithDevice([&](sim::SimDevice&) { return logger->Logger().CommandFormat(); }), 1);
}

}  // namespace
}  // namespace svu
