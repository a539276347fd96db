// The data logger's bytes: replies, real-time lines, the download size and progress, and the
// session's dialogue played against the simulated logger on a manual clock.

#include <gtest/gtest.h>

#include "framework/Clock.h"
#include "framework/StringTable.h"
#include "loggers/NdrProtocol.h"
#include "loggers/NdrRealtimeRequest.h"
#include "loggers/NdrSession.h"
#include "sim/NdrLogger.h"

namespace svu {
namespace {

TEST(NdrReplies, PromptsAndLinesAreCutFromWhatArrives) {
    std::string pending = "\r\n> rsdl()\r\n12,2";
    std::string reply;
    ASSERT_TRUE(TakeNdrReply(pending, reply));
    EXPECT_EQ(reply, "> ");
    ASSERT_TRUE(TakeNdrReply(pending, reply));
    EXPECT_EQ(reply, "rsdl()");
    EXPECT_FALSE(TakeNdrReply(pending, reply)) << "a line without its end is not yet a reply";
    pending += "7\r\n>";
    ASSERT_TRUE(TakeNdrReply(pending, reply));
    EXPECT_EQ(reply, "12,27");
    EXPECT_FALSE(TakeNdrReply(pending, reply)) << "half a prompt";
    EXPECT_EQ(pending, ">");

    EXPECT_TRUE(IsNdrEcho("> clirt(cs)", "clirt(cs)\r"));
    EXPECT_FALSE(IsNdrEcho("clirt()", "clirt(cs)\r"));
    EXPECT_TRUE(IsNdrError("ERROR - unknown command"));
    EXPECT_FALSE(IsNdrError("ERRORS: 0"));
    EXPECT_TRUE(IsNdrMainMenu("  * NDR - Main menu *"));
}

TEST(NdrRealtimeLine, TheChecksumDecidesWhetherALineIsAReading) {
    // '1'+'2'+','+'3' = 49+50+44+51 = 194 = 0xC2
    std::vector<std::string> values;
    EXPECT_EQ(ParseNdrRealtimeLine("12,3,C2", true, values), LineVerdict::Ok);
    EXPECT_EQ(values, (std::vector<std::string>{"12", "3"}));
    EXPECT_EQ(ParseNdrRealtimeLine("12,3,c2", true, values), LineVerdict::Ok) << "either case";
    EXPECT_EQ(ParseNdrRealtimeLine("12,4,C2", true, values), LineVerdict::Corrupt);
    EXPECT_EQ(ParseNdrRealtimeLine("12,3,CG", true, values), LineVerdict::Corrupt);
    EXPECT_EQ(ParseNdrRealtimeLine("C2", true, values), LineVerdict::Corrupt);
    // A checksum below 16 keeps its leading 0: "\x01" is no text, so use a sum that wraps: 256 + 5.
    const std::string wrap = std::string(1, static_cast<char>(200)) + "=";  // 200 + 61 = 261 -> 0x05
    EXPECT_EQ(ParseNdrRealtimeLine(wrap + ",05", true, values), LineVerdict::Ok);
    EXPECT_EQ(ParseNdrRealtimeLine(wrap + ",5", true, values), LineVerdict::Corrupt);

    EXPECT_EQ(ParseNdrRealtimeLine(" 1.5 , -2,x ", false, values), LineVerdict::Ok);
    EXPECT_EQ(values, (std::vector<std::string>{"1.5", "-2", "x"}));
    EXPECT_EQ(ParseNdrRealtimeLine("> ", false, values), LineVerdict::Ignored);
    EXPECT_EQ(ParseNdrRealtimeLine("", true, values), LineVerdict::Ignored);
}

TEST(NdrDownloadSize, TheProductOfTheFirstTwoFieldsAndNothingElse) {
    int64_t bytes = -1;
    EXPECT_TRUE(ParseNdrDownloadSize("50000,27", bytes));
    EXPECT_EQ(bytes, 1350000);
    EXPECT_TRUE(ParseNdrDownloadSize(" 3 , 23 ,extra", bytes));
    EXPECT_EQ(bytes, 69);
    EXPECT_TRUE(ParseNdrDownloadSize("0,0", bytes));
    EXPECT_EQ(bytes, 0);
    for (const char* bad : {"", "12", "ERROR - busy", "a,b", "-3,27", "3,-27", "99999999999,99999999999", "1.5,2"}) {
        EXPECT_FALSE(ParseNdrDownloadSize(bad, bytes)) << bad;
    }
}

TEST(NdrTransferProgress, PercentAndTimeLeft) {
    EXPECT_EQ(NdrDownloadPercent(0, 1000), 0);
    EXPECT_EQ(NdrDownloadPercent(505, 1000), 50);
    EXPECT_EQ(NdrDownloadPercent(2000, 1000), 100);
    EXPECT_EQ(NdrDownloadPercent(5, 0), 100);
    EXPECT_EQ(NdrSecondsLeft(1000, 0, 1000), -1);
    EXPECT_EQ(NdrSecondsLeft(10000, 250, 1000), 30);  // 40 ms a byte, 750 bytes left
    EXPECT_EQ(NdrSecondsLeft(10000, 1000, 1000), 0);
}

// The simulated logger behind an in-memory line; time moves only when the session sleeps.
class SimLine : public NdrByteStream {
public:
    SimLine(sim::NdrLogger& logger, ManualClock& clock) : logger_(logger), clock_(clock) {}
    bool Write(std::string_view bytes) override {
        arrived_ += logger_.OnInput(bytes, clock_.TickMs());
        return true;
    }
    bool Read(std::string& into) override {
        arrived_ += logger_.OnTick(clock_.TickMs());
        into += arrived_;
        arrived_.clear();
        return !silent;
    }
    void Discard() override {
        arrived_ += logger_.OnTick(clock_.TickMs());
        arrived_.clear();
    }
    bool silent = false;

private:
    sim::NdrLogger& logger_;
    ManualClock& clock_;
    std::string arrived_;
};

class NdrSessionTest : public ::testing::Test {
protected:
    void Make(sim::NdrLoggerOptions options) {
        logger = std::make_unique<sim::NdrLogger>(options);
        cancelAfter = -1;
        received = 0;
        line = std::make_unique<SimLine>(*logger, clock);
        NdrSessionHooks hooks;
        hooks.cancelled = [this] { return cancelAfter >= 0 && received >= cancelAfter; };
        hooks.report = [this](const std::string& text) { reports.push_back(text); };
        hooks.refused = [this](const std::string& command, const std::string& reply) {
            refusals.push_back(command + "|" + reply);
        };
        session = std::make_unique<NdrSession>(*line, clock, std::move(hooks));
    }
    std::string ReceiveAll(int64_t total, NdrSession::ReceiveResult expected = NdrSession::ReceiveResult::Done) {
        std::string image;
        const auto result = session->Receive(
            total,
            [&](std::string_view bytes) {
                image += bytes;
                return true;
            },
            [&](int64_t count) { received = count; });
        EXPECT_EQ(result, expected);
        return image;
    }

    ManualClock clock{1700000000};
    std::unique_ptr<sim::NdrLogger> logger;
    std::unique_ptr<SimLine> line;
    std::unique_ptr<NdrSession> session;
    std::vector<std::string> reports;
    std::vector<std::string> refusals;
    int64_t received = 0;
    int64_t cancelAfter = -1;
};

TEST_F(NdrSessionTest, WalksTheMenuIntoTheCommandLineAndTakesTheAnswers) {
    Make({.channels = 4, .records = 3});
    ASSERT_TRUE(session->EnterCommandMode(1));
    std::string reply;
    ASSERT_TRUE(session->Transact("rsdlsize()\r", &reply));
    EXPECT_EQ(reply, "3,23");
    EXPECT_FALSE(session->Transact("nosuch()\r", &reply));
    EXPECT_EQ(refusals, (std::vector<std::string>{"nosuch()|ERROR - unknown command"}));
    ASSERT_TRUE(session->Transact("rsmode(open)\r", &reply));
    EXPECT_EQ(reply, "OK");
    EXPECT_EQ(reports.size(), 1u) << "the refusal";
}

TEST_F(NdrSessionTest, ALateEchoDoesNotShiftTheMemoryImage) {
    Make({.channels = 3, .records = 500, .echoDelayMs = 700});
    const int64_t total = 500 * logger->RecordSize();
    // Taking whatever comes first for the answer and dropping the rest lets the echo, arriving
    // late, lead the image: the logger plays the trap.
    ASSERT_TRUE(session->EnterCommandMode(1));
    ASSERT_TRUE(session->Transact("rsdlsize()\r", nullptr));
    line->Write("rsdl()\r");
    std::string first;
    session->ReadReply(first, 100);
    session->DiscardInput();
    EXPECT_NE(ReceiveAll(total), logger->Memory());

    Make({.channels = 3, .records = 500, .echoDelayMs = 700});
    ASSERT_TRUE(session->EnterCommandMode(1));
    std::string reply;
    ASSERT_TRUE(session->Transact("rsdlsize()\r", &reply));
    int64_t announced = 0;
    ASSERT_TRUE(ParseNdrDownloadSize(reply, announced));
    ASSERT_EQ(announced, total);
    ASSERT_TRUE(session->SendOnly("rsdl()\r"));
    EXPECT_EQ(ReceiveAll(total), logger->Memory());
    EXPECT_TRUE(reports.empty());
}

TEST_F(NdrSessionTest, SilenceAndCancellingEndTheWork) {
    Make({.records = 100});
    line->silent = true;
    EXPECT_FALSE(session->EnterCommandMode(2));
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[0], "Invalid response from weather station");

    Make({.records = 100});
    ASSERT_TRUE(session->EnterCommandMode(1));
    ASSERT_TRUE(session->SendOnly("rsdl()\r"));
    cancelAfter = 0;
    ReceiveAll(100 * logger->RecordSize(), NdrSession::ReceiveResult::Cancelled);

    // The logger stops part-way: the transfer is given up, not awaited for ever.
    Make({.records = 10});
    ASSERT_TRUE(session->EnterCommandMode(1));
    ASSERT_TRUE(session->SendOnly("rsdl()\r"));
    ReceiveAll(11 * logger->RecordSize(), NdrSession::ReceiveResult::Silent);
}

// One real-time line asked of the logger, as the modem and radio kinds do once per call or turn.
TEST_F(NdrSessionTest, OneRealtimeLineWithOrWithoutChecksumAndDamagedLinesRefused) {
    std::vector<std::string> values;
    bool checksum = false;
    int corrupt = 0;
    const auto countCorrupt = [&] { ++corrupt; };
    sim::NdrLoggerOptions options;
    options.channels = 3;
    Make(options);
    ASSERT_TRUE(session->EnterCommandMode(1));
    ASSERT_TRUE(TakeNdrRealtimeLine(*session, 5, countCorrupt, values, &checksum));
    EXPECT_TRUE(checksum);
    ASSERT_EQ(logger->TakeSentLines().front(), values[0] + "," + values[1] + "," + values[2]);

    options.noChecksum = true;  // "clirt(cs)" is refused: the plain stream is asked for
    Make(options);
    ASSERT_TRUE(session->EnterCommandMode(1));
    ASSERT_TRUE(TakeNdrRealtimeLine(*session, 5, countCorrupt, values, &checksum));
    EXPECT_FALSE(checksum);
    EXPECT_EQ(values.size(), 3u);
    EXPECT_EQ(corrupt, 0);

    options.noChecksum = false;
    options.corruptEvery = 1;  // every line damaged: each is told, none taken
    Make(options);
    ASSERT_TRUE(session->EnterCommandMode(1));
    EXPECT_FALSE(TakeNdrRealtimeLine(*session, 5, countCorrupt, values, &checksum));
    EXPECT_EQ(corrupt, 5);

    options.corruptEvery = 0;
    Make(options);
    ASSERT_TRUE(session->EnterCommandMode(1));
    line->silent = true;  // the link fails after the command line was reached
    reports.clear();
    EXPECT_FALSE(TakeNdrRealtimeLine(*session, 5, countCorrupt, values, &checksum));
    EXPECT_EQ(reports, std::vector<std::string>{Str(557)});
}

}  // namespace
}  // namespace svu
