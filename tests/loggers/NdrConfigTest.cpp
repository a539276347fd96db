// The logger set-up: its commands in order, its replies, its record, and a whole transfer against
// the simulator's store of settings.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "loggers/NdrCommandLine.h"
#include "loggers/NdrConfig.h"
#include "loggers/NdrConfigDiff.h"
#include "loggers/NdrReplies.h"
#include "sim/NdrConfigStore.h"

namespace svu {
namespace {

// A command line that answers from a simulated logger's store and records what went out.
class StoreLine : public NdrCommandLine {
public:
    bool Transact(const std::string& command, std::string* reply) override {
        sent.push_back(command);
        if (auto it = replies.find(command); it != replies.end()) {
            *reply = it->second;
            return true;
        }
        bool changed = false;
        if (!store.Answer(Strip(command), reply, &changed) || reply->starts_with("ERROR - ")) {
            return false;
        }
        return true;
    }
    bool SendOnly(const std::string& command) override {
        sent.push_back(command);
        std::string reply;
        bool changed = false;
        store.Answer(Strip(command), &reply, &changed);
        return true;
    }
    bool ShowProgress(const std::string& text, int steps) override {
        shown.push_back(text);
        progress += steps;
        return cancelAfter < 0 || progress <= cancelAfter;
    }

    static std::string_view Strip(const std::string& c) {
        return std::string_view(c).substr(0, c.size() - (c.ends_with("\r") ? 1 : 0));
    }
    bool Sent(const std::string& command) const { return std::count(sent.begin(), sent.end(), command) > 0; }

    sim::NdrConfigStore store;
    std::map<std::string, std::string> replies;  // answers that override the store
    std::vector<std::string> sent;
    std::vector<std::string> shown;
    int progress = 0;
    int cancelAfter = -1;
};

// Stores or loads the record through an archive at a chosen station schema.
class SchemaVisitor final : public FieldVisitor {
public:
    SchemaVisitor(Archive& ar, int schema) : ar_(ar), schema_(schema) {}
    bool IsLoading() const override { return ar_.IsLoading(); }
    int Schema() const override { return schema_; }
    void Int32(const char*, int32_t& v) override { ar_.Field(v); }
    void UInt32(const char*, uint32_t& v) override { ar_.Field(v); }
    void UInt16(const char*, uint16_t& v) override { ar_.Field(v); }
    void UInt8(const char*, uint8_t& v) override { ar_.Field(v); }
    void Bool32(const char*, int32_t& v) override { ar_.Field(v); }
    void Float(const char*, float& v) override { ar_.Field(v); }
    void Double(const char*, double& v) override { ar_.Field(v); }
    void String(const char*, std::string& v) override { ar_.Field(v); }
    void UInt32Array(const char*, std::vector<uint32_t>&) override {}
    void FloatBitsArray(const char*, std::vector<uint32_t>&) override {}
    void StringArray(const char*, std::vector<std::string>&) override {}

private:
    Archive& ar_;
    int schema_;
};

std::vector<uint8_t> Store(NDR ndr, int schema) {
    Archive ar = Archive::ForStoring();
    SchemaVisitor v(ar, schema);
    ndr.VisitFields(v);
    return ar.Bytes();
}

NDR EditedSetup() {
    NDR ndr;
    ndr.loggerText = "Harbour mast";
    ndr.loggerNumber = 7;
    ndr.logRate = 3725;
    ndr.fastLogRate = 30;
    ndr.alarmMode = 1;
    ndr.pwm[1] = {1, 9};
    ndr.comms[1] = {38400, 7, 2, 2, 1};
    ndr.dataChannels.scanRate = 2;
    NDR_Channel& c = ndr.dataChannels.channels[4];
    c.enabled = 1;
    c.logging = 1;
    c.type = 1;
    c.description = "Gust, 3 s";
    c.unit = "knots";
    c.formatWidth = 8;
    c.formatDecimals = 2;
    c.formatZeroPadded = 1;
    c.polynomial = {0.5, 1.25, -0.001, 0, 0, 0, 0, 2e-07};
    c.inputs = {3, 4, 0, 0};
    c.function = 5;
    c.degreeDayBase = 15.5;
    c.functionLoss = 1;
    c.countType = 1;
    c.countReset = 2;
    c.analogueType = 1;
    c.instrumentType = 2;
    c.dataValue = 12.75;
    c.analogueGain = 4;
    c.analogueCurrent = 2;
    c.limitLow = -2.5f;
    c.limitHigh = 99.5f;
    ndr.dataChannels.channels[63].function = 11;
    ndr.dataChannels.channels[63].sunshineThreshold = 120;
    NDR_Alarm& a = ndr.alarms[6];
    a.enabled = 1;
    a.text = "Gale";
    a.inputChannel = 5;
    a.test = 5;
    a.action = 2;
    a.limitLow = 34;
    a.limitHigh = 47.5;
    a.delayOn = 30;
    a.delayOff = 600;
    a.dataOutput = 3;
    a.valueOn = 1;
    a.valueOff = 0.5;
    a.telephone = "01632 960001";
    a.fast = 1;
    a.sms = 1;
    a.smsNumbers = {"+441632960002", "", "+441632960003", ""};
    a.channelList[1] = a.channelList[4] = a.channelList[63] = 1;
    a.digitalOutput = 2;
    ndr.modem.text = "";
    ndr.modem.port = 2;
    ndr.modem.strings[2] = "AT&F";
    ndr.modem.connectTime = 300;
    ndr.modem.enabled = 1;
    ndr.modem.smsText = "AT+CMGF=1";
    ndr.modem.smsEnterTime = 3;
    ndr.autoMode = 1;
    ndr.autoIdle = 120;
    ndr.autoInterval = 3600;
    return ndr;
}

TEST(NdrCommands, WritesTheExamplesAndTheOrder) {
    NDR ndr = EditedSetup();
    ndr.alarms[2].enabled = 0;
    ndr.specialCommands = "sxreset(all)\r\nsxbeep(2)";
    StoreLine line;
    ASSERT_TRUE(ndr.WriteToLogger(line));
    EXPECT_TRUE(line.Sent("sllograte(01h02m05s)\r"));
    EXPECT_TRUE(line.Sent("salist(7,2,5,64)\r"));
    EXPECT_TRUE(line.Sent("sasmsphone(7,2,\"\")\r"));
    EXPECT_TRUE(line.Sent("smtext(1,\"\")\r"));
    EXPECT_TRUE(line.Sent("scformat(5,%08.2f)\r"));
    EXPECT_TRUE(line.Sent("scfunc(5,degreeday(15.5,loss))\r"));
    EXPECT_TRUE(line.Sent("scinput(5,3,4)\r"));
    EXPECT_TRUE(line.Sent("scpoly(5,0.5,1.25,-0.001,0,0,0,0,2e-07)\r"));
    EXPECT_TRUE(line.Sent("scanagain(5,x4)\r"));
    EXPECT_TRUE(line.Sent("scinput(1,)\r"));
    // number before text; the first special command only; the save last
    ASSERT_GE(line.sent.size(), 3u);
    EXPECT_EQ(line.sent[0], "slnumber(7)\r");
    EXPECT_EQ(line.sent[1], "sltext(Harbour mast)\r");
    EXPECT_EQ(line.sent[line.sent.size() - 2], "sxreset(all)\r");
    EXPECT_EQ(line.sent.back(), "slprofile(save)\r");
    EXPECT_FALSE(std::any_of(line.sent.begin(), line.sent.end(), [](const std::string& s) { return s.starts_with("sxbeep"); }));
    // a disabled alarm gets its flag and nothing else
    EXPECT_TRUE(line.Sent("saflag(3,channel,disable)\r"));
    EXPECT_EQ(std::count_if(line.sent.begin(), line.sent.end(), [](const std::string& s) { return s.find("(3,") != std::string::npos && s.starts_with("sa"); }), 1);
    EXPECT_EQ(static_cast<int>(line.sent.size()), ndr.WriteCommandCount());
    EXPECT_EQ(line.progress, ndr.WriteCommandCount());
    EXPECT_TRUE(ndr.TransferProblems().empty());

    // A stored value with no word (a damaged file) is left out and reported, not sent as another word.
    ndr.comms[0].parity = 7;
    ndr.loggerText = "two\rcommands";
    StoreLine again;
    ASSERT_TRUE(ndr.WriteToLogger(again));
    EXPECT_FALSE(std::any_of(again.sent.begin(), again.sent.end(), [](const std::string& s) { return s.starts_with("ssciparity(1,"); }));
    EXPECT_TRUE(again.Sent("sltext(two commands)\r"));
    EXPECT_EQ(again.progress, ndr.WriteCommandCount());
    ASSERT_EQ(ndr.TransferProblems().size(), 1u);
    EXPECT_NE(ndr.TransferProblems()[0].find("ssciparity(1,"), std::string::npos);
}

TEST(NdrCommands, ReadsRepliesAndKeepsWhatMatchesNothing) {
    StoreLine line;
    line.replies["saflag(3,channel)\r"] = "disabled";
    line.replies["salist(7)\r"] = "2,5,64";
    line.replies["saflag(7,channel)\r"] = "enabled";
    line.replies["sllograte\r"] = "01h02m05s";
    line.replies["sctype(5)\r"] = "thermometer";
    line.replies["scflag(6,channel)\r"] = "on";
    line.replies["sccountreset(2)\r"] = "reset on log";
    line.replies["scfunc(9)\r"] = "rollingavg(12)";
    line.replies["scfunc(10)\r"] = "degreeday(5.5,gain)";
    line.replies["scfunc(11)\r"] = "sunshinehours(abc)";
    line.replies["sadelay(7)\r"] = "70000,5";  // beyond 16 bits
    line.replies["scanagain(5)\r"] = "x8";
    NDR ndr;
    ndr.alarms[2].text = "kept";
    ndr.alarms[6].channelList.fill(1);
    ndr.dataChannels.channels[4].type = 4;
    ndr.dataChannels.channels[5].enabled = 1;
    ASSERT_TRUE(ndr.ReadFromLogger(line));
    EXPECT_EQ(ndr.logRate, 3725);
    EXPECT_EQ(ndr.alarms[2].text, "kept");
    EXPECT_FALSE(std::any_of(line.sent.begin(), line.sent.end(), [](const std::string& s) { return s.starts_with("satext(3)"); }));
    EXPECT_EQ(line.progress, NDR::kReadCommands);
    ndr::ChannelFlags expected{};
    expected[1] = expected[4] = expected[63] = 1;
    EXPECT_EQ(ndr.alarms[6].channelList, expected);
    EXPECT_EQ(ndr.dataChannels.channels[4].type, 4);
    EXPECT_EQ(ndr.dataChannels.channels[5].enabled, 1);
    EXPECT_EQ(ndr.dataChannels.channels[1].countReset, 1);
    EXPECT_EQ(ndr.dataChannels.channels[8].function, 3);
    EXPECT_EQ(ndr.dataChannels.channels[8].functionCount, 12);
    EXPECT_EQ(ndr.dataChannels.channels[9].degreeDayBase, 5.5);
    EXPECT_EQ(ndr.dataChannels.channels[10].function, 0);
    EXPECT_EQ(ndr.dataChannels.channels[4].analogueGain, 8);
    const auto& problems = ndr.TransferProblems();
    ASSERT_EQ(problems.size(), 4u);
    EXPECT_NE(problems[0].find("sctype(5)"), std::string::npos);
    EXPECT_NE(problems[0].find("thermometer"), std::string::npos);
    EXPECT_NE(problems[1].find("scflag(6,channel)"), std::string::npos);
    EXPECT_NE(problems[2].find("scfunc(11)"), std::string::npos);
    EXPECT_NE(problems[3].find("sadelay(7)"), std::string::npos);
}

TEST(NdrCommands, StopsWhenCancelledOrTheLinkFails) {
    StoreLine line;
    line.cancelAfter = 3;
    NDR ndr;
    EXPECT_FALSE(ndr.ReadFromLogger(line));
    EXPECT_EQ(line.sent.size(), 3u);
    StoreLine writing;
    writing.cancelAfter = 10;
    EXPECT_FALSE(ndr.WriteToLogger(writing));
    EXPECT_FALSE(writing.Sent("slprofile(save)\r"));
}

TEST(NdrReplies, ParseOnlyWhatTheyNameAndFormatInTheCLocale) {
    EXPECT_EQ(ndr::RateText(3725), "01h02m05s");
    EXPECT_EQ(ndr::RateText(86400), "24h00m00s");
    EXPECT_EQ(ndr::ParseRate("01h02m05s\r\n"), 3725);
    EXPECT_EQ(ndr::ParseRate("1h2m5s"), std::nullopt);
    EXPECT_EQ(ndr::ParseNumber(" 2.5 "), 2.5);
    EXPECT_EQ(ndr::ParseNumber("2,5"), std::nullopt);
    EXPECT_EQ(ndr::ParseNumber("nan"), std::nullopt);
    EXPECT_EQ(ndr::ParseInteger("12abc"), std::nullopt);
    EXPECT_EQ(ndr::NumberText(0.000012), "1.2e-05");
    EXPECT_EQ(ndr::ParseChannelList("2,5,64"), ndr::ParseChannelList("64,5,2"));
    EXPECT_EQ(ndr::ParseChannelList("0"), std::nullopt);
    EXPECT_EQ(ndr::ParseChannelList("65"), std::nullopt);
    EXPECT_EQ(ndr::ParseChannelList("2,,3"), std::nullopt);
    EXPECT_EQ(ndr::MatchWord(" differential\r", NDR_Channel::kAnalogueTypes), 1);
    EXPECT_EQ(ndr::CommandSafe("a\rb\nc"), "a b c");

    NDR_Channel c;
    for (const char* text : {"none()", "rollingavg(12)", "degreeday(15.5,loss)", "sunshinehours(120)", "sum()"}) {
        ASSERT_TRUE(c.SetFunctionText(text)) << text;
        EXPECT_EQ(c.FunctionText(), text);
    }
    for (const char* bad : {"rollingavg()", "rollingavg(300)", "degreeday(5,warm)", "sum(1)", "sunshine()"}) {
        EXPECT_FALSE(c.SetFunctionText(bad)) << bad;
    }
    for (const char* text : {"%6.1f", "%-08.3f", "%.2f", "%5f"}) {
        ASSERT_TRUE(c.SetFormatText(text)) << text;
        EXPECT_EQ(c.FormatText(), text);
    }
    EXPECT_FALSE(c.SetFormatText("%6.1g"));
    EXPECT_FALSE(c.SetFormatText("%6.-1f"));
    EXPECT_TRUE(c.SetInputsText("3,4"));
    EXPECT_EQ(c.inputs, (std::array<int32_t, 4>{3, 4, 0, 0}));
    EXPECT_FALSE(c.SetInputsText("1,2,3,4,5"));
    EXPECT_FALSE(c.SetInputsText("1,"));
    EXPECT_EQ(c.InputsText(), "3,4");
}

TEST(NdrRecord, RoundTripsAtEachStationSchema) {
    const NDR edited = [] {
        NDR n = EditedSetup();
        n.specialCommands = "a\nb\n";
        n.commandFormat = 1;
        n.dataChannels.channels[2].reserved = {1, 2, 3};
        return n;
    }();
    size_t previous = 0;
    for (const int schema : {2, 3, 5, 7}) {
        SCOPED_TRACE(schema);
        const std::vector<uint8_t> bytes = Store(edited, schema);
        Archive ar = Archive::ForLoading(bytes);
        SchemaVisitor v(ar, schema);
        NDR loaded;
        loaded.VisitFields(v);
        EXPECT_TRUE(ar.AtEnd());
        EXPECT_EQ(Store(loaded, schema), bytes);
        EXPECT_EQ(loaded.autoIdle, schema >= 3 ? 120 : NDR().autoIdle);
        EXPECT_EQ(loaded.specialCommands, schema >= 5 ? "a\nb\n" : "");
        EXPECT_EQ(loaded.commandFormat, schema >= 7 ? 1 : 0);
        EXPECT_GT(bytes.size(), previous);
        previous = bytes.size();
        if (schema == 7) {
            EXPECT_EQ(loaded, edited);
        }
    }
    // The fixed part: ports, 64 channels, 16 alarms with empty texts, an empty modem, general and PWM.
    const size_t port = 4 + 1 + 1 + 4 + 4;
    const size_t channel = 1 + 1 + 4 + 4 + 1 + 1 + 8 * 8 + 4 * 4 + 4 * 5 + 8 + 4 + 4 + 3 + 4 + 1 + 8 + 4 + 1 + 1 + 4 + 4 + 8;
    const size_t alarm = 1 + 6 * 4 + 4 + 4 + 4 + 16 + 4 + 4 + 16 + 1 + 4 + 4 * 1 + 64 * 4 + 1;
    const size_t modem = 1 + 1 + 13 + 1 + 1 + 2 + 1 + 1 + 1 + 3 + 1;
    const size_t general = 2 + 1 + 4 * 4 + 2 * (4 + 1);
    EXPECT_EQ(Store(NDR(), 2).size(), 2 * port + 64 * channel + 8 + 16 * alarm + modem + general);
}

TEST(NdrTransferWithSimulator, DownloadReadsEverySettingAndUploadWritesThemBack) {
    StoreLine line;
    NDR downloaded;
    ASSERT_TRUE(downloaded.ReadFromLogger(line));
    EXPECT_TRUE(downloaded.TransferProblems().empty()) << downloaded.TransferProblems().front();
    EXPECT_EQ(downloaded.loggerText, line.store.Get("sltext"));
    EXPECT_EQ(downloaded.dataChannels.channels[3].description, line.store.Get("scdesc(4)"));
    EXPECT_EQ(downloaded.dataChannels.channels[3].FunctionText(), line.store.Get("scfunc(4)"));
    EXPECT_EQ(downloaded.dataChannels.channels[1].analogueType, 1);
    EXPECT_EQ(downloaded.alarms[1].channelList[2], 1u);
    EXPECT_EQ(downloaded.modem.strings[2], line.store.Get("sminit(1)"));

    // Every setting the store holds was asked for, but those of the disabled alarms (3 to 16).
    const std::string dump = line.store.Dump();
    size_t settings = 0;
    for (size_t at = 0; at < dump.size(); at = dump.find('\n', at) + 1) {
        const std::string key = dump.substr(at, dump.find('=', at) - at);
        const int alarm = key.starts_with("sa") && key != "samode" ? std::atoi(key.c_str() + key.find('(') + 1) : 0;
        if (alarm < 3 || key == "saflag(" + std::to_string(alarm) + ",channel)") {
            EXPECT_TRUE(line.Sent(key + "\r")) << key;
        }
        ++settings;
    }
    EXPECT_EQ(line.sent.size(), settings - 14 * (NDR_Alarm::kCommands - 1));

    const NDR edited = EditedSetup();
    StoreLine upload;
    upload.store = line.store;
    ASSERT_TRUE(edited.WriteToLogger(upload));
    EXPECT_EQ(upload.store.Saves(), 1);
    NDR back;
    ASSERT_TRUE(back.ReadFromLogger(upload));
    EXPECT_TRUE(back.TransferProblems().empty());
    EXPECT_EQ(NdrConfigDiff::Text(NdrConfigDiff::Between(edited, back)), "No settings differ.\n");
    EXPECT_TRUE(back == edited);

    sim::NdrConfigStore restored;
    ASSERT_TRUE(restored.Load(upload.store.Dump()));
    EXPECT_EQ(restored.Dump(), upload.store.Dump());
    EXPECT_FALSE(restored.Load("nosuchsetting=1\n"));
}

TEST(NdrSimulatorStore, RefusesBadValuesWithAnError) {
    sim::NdrConfigStore store;
    std::string reply;
    bool changed = false;
    for (const char* bad : {"sctype(5,thermometer)", "scunit(65)", "saflag(1,loud,enable)", "sllograte(1h2m3s)",
                            "salist(7,5,2)", "sclimit(1,1)", "sasmsphone(1,5,x)"}) {
        ASSERT_TRUE(store.Answer(bad, &reply, &changed)) << bad;
        EXPECT_TRUE(reply.starts_with("ERROR - ")) << bad;
        EXPECT_FALSE(changed);
    }
    EXPECT_FALSE(store.Answer("rsdlsize()", &reply, &changed));
    ASSERT_TRUE(store.Answer("scunit(5,m/s, gust)", &reply, &changed));
    EXPECT_TRUE(changed);
    ASSERT_TRUE(store.Answer("scunit(5)", &reply, &changed));
    EXPECT_EQ(reply, "m/s, gust");
}

}  // namespace
}  // namespace svu
