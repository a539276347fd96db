// The generic serial station's script language on bytes: escapes, masks, trim, checksums, and
// scripts run against a scripted line with a manual clock.

#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "framework/Clock.h"
#include "stations/ScriptLanguage.h"
#include "stations/SerialScript.h"

namespace svu {
namespace {

using namespace script;

// A line whose device answers each send with the next queued reply (or nothing).
class FakeLine : public ScriptPort {
public:
    explicit FakeLine(ManualClock& clock) : clock_(clock) {}
    bool Send(std::string_view bytes) override {
        sent += bytes;
        ++sends;
        if (!replies.empty()) {
            incoming += replies.front();
            replies.pop_front();
        }
        return !failSend;
    }
    int ReadByte(int waitMs) override {
        if (incoming.empty()) {
            clock_.SleepFor(std::chrono::milliseconds(waitMs));
            return failRead ? -2 : -1;
        }
        const auto b = static_cast<unsigned char>(incoming.front());
        incoming.erase(0, 1);
        return b;
    }
    void Flush() override { incoming.clear(); }
    bool StopRequested() const override { return stopAt >= 0 && clock_.TickMs() >= stopAt; }

    std::string sent;
    std::string incoming;
    std::deque<std::string> replies;
    int sends = 0;
    bool failSend = false;
    bool failRead = false;
    int64_t stopAt = -1;

private:
    ManualClock& clock_;
};

struct Runner {
    ManualClock clock{1000};
    FakeLine line{clock};
    ScriptState state;
    SerialScript::End Run(const std::string& text) { return SerialScript(text).Run(line, clock, state); }
};

TEST(ScriptLanguage, EscapesDecodeAsTheLanguageSays) {
    EXPECT_EQ(DecodeEscapes("\\x02AB\\r"), std::string("\x02" "AB\r"));
    EXPECT_EQ(DecodeEscapes("\\\\\\e\\f\\n\\t\\q"), std::string("\\\x1b\f\n\tq"));
    // \x needs exactly two hexadecimal digits; a lone backslash at the end gives nothing.
    EXPECT_EQ(DecodeEscapes("\\xG1\\x4"), "xG1x4");
    EXPECT_EQ(DecodeEscapes("a\\"), "a");
    EXPECT_EQ(DecodeEscapes("\\xff\\x00"), std::string("\xff\0", 2));
}

TEST(ScriptLanguage, MaskTurnsBytesIntoValues) {
    const std::string rx = std::string("12.503.1,") + '\xC8';
    EXPECT_EQ(ApplyMask(rx, "5,x,B"), "12.5,3.1,200,");
    // The number takes the character after it: the x is lost and "3" is read as a byte.
    EXPECT_EQ(ApplyMask(rx, "5x,B"), "12.5,51,");
    const std::string words("\x01\x02\xFF\xFE\x80", 5);
    EXPECT_EQ(ApplyMask(words, "IWiwC"), "258,65534,-128,");
    EXPECT_EQ(ApplyMask(words, "Ww"), "258,65279,");
    EXPECT_EQ(ApplyMask(words, "ii"), "513,-257,");
    EXPECT_EQ(ApplyMask(words, "bbbbc"), "1,2,255,254,-128,");
    // A text item at the end takes what is left; a word item needing more takes nothing.
    EXPECT_EQ(ApplyMask("7.25", "10,W"), "7.25,");
    EXPECT_EQ(ApplyMask("1;2;-3.5", "x;x;x"), "1.0,2.0,-3.5,");
    EXPECT_EQ(ApplyMask("abc", "?zB"), "97,");
    EXPECT_EQ(FormatMaskNumber(" 100"), "100.0");
    EXPECT_EQ(FormatMaskNumber("junk"), "0.0");
}

TEST(ScriptLanguage, TrimChecksumAndPatterns) {
    std::string ten = "ABCDEFGHIJ";
    TrimBuffer(ten, 1, 4, 2);
    EXPECT_EQ(ten, "BCDE");
    std::string last = "ABCDEFGHIJ";
    TrimBuffer(last, 0, 3, 1);
    EXPECT_EQ(last, "GHI");
    std::string shortOne = "AB";
    TrimBuffer(shortOne, 3, 5, 1);
    EXPECT_EQ(shortOne, "A");

    EXPECT_EQ(ReadReceivedChecksum("xyz7F"), 127);
    EXPECT_EQ(ReadReceivedChecksum("7f"), 127);
    EXPECT_EQ(ReadReceivedChecksum("F"), -1);
    EXPECT_EQ(ReadReceivedChecksum("zz"), -1);
    EXPECT_EQ(ByteSum("\x7f"), 127);
    EXPECT_EQ(ByteSum(std::string(3, '\xff')), 253);

    EXPECT_TRUE(ContainsPattern("xxOK\r\nyy", "OK\r?"));
    EXPECT_FALSE(ContainsPattern("O", "OK"));
    EXPECT_TRUE(EndsWithPattern("abc", "?c"));
    EXPECT_EQ(ResultField("12.5,3.1,200,", 1), "3.1");
    EXPECT_EQ(ResultField("12.5,3.1,200,", 3), "");
    EXPECT_EQ(ResultField("", 0), "");
}

TEST(SerialScript, SendGetMaskAndChecksumInOneScript) {
    Runner r;
    // The device's reply: values, then the two hexadecimal digits of their byte sum.
    const std::string body = std::string("12.503.1,") + '\xC8';
    r.line.replies.push_back(body + "7c\r\n");
    ASSERT_EQ(ByteSum(body), 0x7C);
    const auto end = r.Run(
        "# read the instrument\r\n"
        "  SEND \"\\x02R\\r\"\r\n"
        "timeout 500\r\n"
        "get \"\\r\\n\"\r\n"
        "if false break\r\n"
        "trim 0 0 2\r\n"
        "getrxchecksum\r\n"
        "trim 0 0 2\r\n"
        "testchecksum\r\n"
        "if false break\r\n"
        "mask \"5,x,B\"\r\n");
    EXPECT_EQ(end, SerialScript::End::Completed);
    EXPECT_EQ(r.line.sent, "\x02R\r");
    EXPECT_EQ(r.state.result, "12.5,3.1,200,");
    EXPECT_EQ(r.state.rxChecksum, 0x7C);
    EXPECT_TRUE(r.state.ReadingValid());
}

TEST(SerialScript, AFailureTheScriptDoesNotHandleSpoilsTheReading) {
    Runner timedOut;
    timedOut.state.BeginPoll();
    EXPECT_EQ(timedOut.Run("timeout 200\r\nget 4\r\nmask \"4\""), SerialScript::End::Completed);
    EXPECT_FALSE(timedOut.state.lastResult);
    EXPECT_FALSE(timedOut.state.ReadingValid());

    Runner badSum;
    badSum.line.incoming = "1.5X00";
    badSum.Run("timeout 100\r\nget 6\r\ngetrxchecksum\r\ntrim 0 0 2\r\ntestchecksum\r\nmask \"x\"");
    EXPECT_EQ(badSum.state.result, "1.5,");
    EXPECT_FALSE(badSum.state.ReadingValid());

    // A break outside any loop ends the script: no mask, nothing to store.
    Runner broken;
    broken.Run("timeout 100\r\nget 1\r\nif false break\r\nmask \"B\"");
    EXPECT_FALSE(broken.state.masked);
    EXPECT_FALSE(broken.state.ReadingValid());

    // A time-out the script tested and recovered from does not.
    Runner handled;
    handled.line.incoming = "42";
    handled.Run("timeout 100\r\nloop\r\ngetappend 1\r\nif false break\r\nloop end\r\nmask \"x\"");
    EXPECT_EQ(handled.state.result, "42.0,");
    EXPECT_TRUE(handled.state.ReadingValid());
}

TEST(SerialScript, LoopsCountBreakAndNest) {
    Runner counted;
    EXPECT_EQ(counted.Run("loop 3\r\nsend \"a\"\r\nwait 10\r\nloop end\r\nsend \"b\""),
              SerialScript::End::Completed);
    EXPECT_EQ(counted.line.sent, "aaab");

    Runner zero;
    zero.Run("loop 0\r\nsend \"z\"\r\nwait 1\r\nloop end");
    EXPECT_EQ(zero.line.sent, "z");

    // An endless loop left by a break; the nested loop inside the skipped part does not end it.
    Runner endless;
    endless.line.incoming = "xxxxE";
    EXPECT_EQ(endless.Run("timeout 50\r\nloop\r\nget 1\r\ntestfor \"E\"\r\nif true break\r\n"
                          "loop 2\r\nsend \"n\"\r\nwait 1\r\nloop end\r\nloop end\r\nsend \"done\""),
              SerialScript::End::Completed);
    EXPECT_EQ(endless.line.sent, "nnnnnnnndone");

    Runner nested;
    nested.Run("loop 2\r\nloop 3\r\nsend \"i\"\r\nwait 1\r\nloop end\r\nsend \"o\"\r\nloop end");
    EXPECT_EQ(nested.line.sent, "iiioiiio");
}

TEST(SerialScript, NeverSpinsNorOutlivesAStopRequest) {
    Runner spin;
    EXPECT_EQ(spin.Run("loop\r\nsend \"x\"\r\nloop end"), SerialScript::End::Runaway);
    EXPECT_EQ(spin.line.sends, 1);

    std::string deepScript;
    for (int i = 0; i < 70; ++i) {
        deepScript += "loop\r\n";
    }
    Runner deep;
    EXPECT_EQ(deep.Run(deepScript + "wait 1\r\nloop end"), SerialScript::End::Runaway);

    // Waiting forever for bytes ends at the stop request, and so does a long wait.
    Runner forever;
    forever.line.stopAt = forever.clock.TickMs() + 5000;
    EXPECT_EQ(forever.Run("get \"never\""), SerialScript::End::Stopped);
    Runner sleeper;
    sleeper.line.stopAt = sleeper.clock.TickMs() + 100;
    EXPECT_EQ(sleeper.Run("wait 100000\r\nsend \"late\""), SerialScript::End::Stopped);
    EXPECT_TRUE(sleeper.line.sent.empty());

    Runner failed;
    failed.line.failRead = true;
    EXPECT_EQ(failed.Run("timeout 100\r\nget 1"), SerialScript::End::LineFailed);
}

TEST(SerialScript, ParsesWordsCaseAndQuotesAsWritten) {
    const ScriptLine trim = ParseScriptLine("\t TRIM  1\t4 2");
    EXPECT_EQ(trim.op, ScriptLine::Op::Trim);
    EXPECT_EQ(trim.numbers[1], 4);
    EXPECT_EQ(ParseScriptLine("timeout 65537").numbers[0], 1);
    EXPECT_EQ(ParseScriptLine("loop").numbers[0], -1);
    EXPECT_EQ(ParseScriptLine("loop END").op, ScriptLine::Op::LoopEnd);
    EXPECT_EQ(ParseScriptLine("if maybe").op, ScriptLine::Op::None);
    EXPECT_EQ(ParseScriptLine("sending \"x\"").op, ScriptLine::Op::None);
    // The quoted text runs from the first to the last quote.
    EXPECT_EQ(ParseScriptLine("send \"say \"hi\"\" now").text, "say \"hi\"");
    EXPECT_EQ(SerialScript("send \"a\"\nsend \"b\"\r\n").Lines().size(), 2u);
}

}  // namespace
}  // namespace svu
