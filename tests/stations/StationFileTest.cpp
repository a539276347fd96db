#include <gtest/gtest.h>

#include <bit>

#include "StationTestSupport.h"
#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/FieldVisitor.h"
#include "stations/Alarm.h"
#include "stations/ProcessedData.h"
#include "stations/StationFile.h"
#include "stations/StationJson.h"
#include "stations/WSDirect.h"
#include "stations/WSFile.h"
#include "stations/WSGenericSerial.h"
#include "stations/WSModem.h"
#include "stations/WSModemVela.h"
#include "stations/WSNetwork.h"

namespace svu {
namespace {

using test::Bytes;

// A derived kind that refers to another station, as the channel ratio does.
class Linker : public ProcessedData {
public:
    explicit Linker(WeatherStation* owner = nullptr) : ProcessedData(owner, 13) {}
    const char* ClassName() const override { return "Linker"; }
    std::unique_ptr<ProcessedData> Clone() const override { return std::make_unique<Linker>(*this); }
    void Calculate(int) override {}
    void VisitFields(FieldVisitor& v) override { v.Int32("remoteChannel", remoteChannel); }
    StationLink LinkedStation() override { return {"remoteStation", &remote}; }
    int32_t remoteChannel = -1;
    WeatherStation* remote = nullptr;
};

ClassRegistry& Registry() {
    static ClassRegistry reg = [] {
        ClassRegistry r;
        r.RegisterClass<Alarm>("Alarm");
        r.RegisterClass<WSDirect>("WSDirect");
        r.RegisterClass<WSModem>("WSModem");
        r.RegisterClass<WSModemVela>("WSModemVela");
        r.RegisterClass<WSNetwork>("WSNetwork");
        r.RegisterClass<WSFile>("WSFile");
        r.RegisterClass<WSGenericSerial>("WSGenericSerial");
        r.RegisterClass<Linker>("Linker");
        return r;
    }();
    return reg;
}

uint32_t FloatToBits(float f) {
    return std::bit_cast<uint32_t>(f);
}

std::unique_ptr<WSDirect> Hilltop() {
    auto s = std::make_unique<WSDirect>("Hilltop");
    s->channelNames = {"Temp", "Rain"};
    s->channelTypes = {0, 13};
    s->channelOffsets = {FloatToBits(0.0f), FloatToBits(0.5f)};
    s->channelMultipliers = {FloatToBits(1.0f), FloatToBits(2.0f)};
    s->rawChannelCount = s->channelCount = 2;
    s->active = 1;
    s->loggingEnabled = 1;
    s->logFolder = "/var/log/wx";
    s->logAlarms = 1;
    s->logErrors = 1;
    s->port = 3;
    auto alarm = std::make_unique<Alarm>();
    alarm->name = "High";
    alarm->threshold = 30.0f;
    alarm->enabled = 1;
    alarm->channel = 0;
    s->alarms.push_back(std::move(alarm));
    return s;
}

// The alarm record of Hilltop's alarm up to its schema-1 fields.
Bytes& HighAlarmSchema1(Bytes& b) {
    return b.Str("High").F32(30.0f).I32(1).I32(0).I32(5).I32(1).Str("");
}

// The station record of Hilltop up to its schema-1 fields (the alarm list already written).
Bytes& HilltopTablesAndSettings(Bytes& b) {
    b.U16(2).Str("Temp").Str("Rain");
    b.U16(2).U32(0).U32(13);
    b.U16(2).F32(0.0f).F32(0.5f);
    b.U16(2).F32(1.0f).F32(2.0f);
    b.U16(0);  // no derived channels
    b.I32(0).Str("Hilltop").I32(1).I32(0).I32(0).I32(0).I32(1).I32(60).Str("/var/log/wx");
    b.I32(2).I32(2).I32(0).Str("").I32(0);
    return b;
}

TEST(StationFile, StoresTheDocumentedLayout) {
    Bytes b;
    b.U16(1).NewClass("WSDirect", 9);
    b.U16(1).NewClass("Alarm", 3);
    HighAlarmSchema1(b).U16(10).Str("c:\\").I32(8000).U16(8).I32(0).U16(0).U16(60);
    HilltopTablesAndSettings(b).I32(1).I32(1).I32(2).I32(10).I32(0);
    b.I32(3).I32(9600);  // port, baudRate

    test::ReportScope scope;
    auto station = Hilltop();
    EXPECT_EQ(test::AsString(StationListBytes({station.get()})), b.b);

    StationFileResult loaded = ReadStationList(b.Vec(), Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    ASSERT_EQ(loaded.stations.size(), 1u);
    EXPECT_EQ(test::AsString(StationListBytes({loaded.stations[0].get()})), b.b);
}

TEST(StationFile, OldSchemasReadWithTheirDefaults) {
    Bytes b;
    b.U16(1).NewClass("WSDirect", 1);
    b.U16(1).NewClass("Alarm", 1);
    HilltopTablesAndSettings(HighAlarmSchema1(b));
    b.I32(3).I32(19200);

    test::ReportScope scope;
    StationFileResult loaded = ReadStationList(b.Vec(), Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    auto& s = dynamic_cast<WSDirect&>(*loaded.stations.at(0));
    EXPECT_EQ(s.schema, 1);
    EXPECT_EQ(s.logAlarms, 0);
    EXPECT_EQ(s.logErrors, 0);
    EXPECT_EQ(s.loggerInterval, 2);
    EXPECT_EQ(s.gustPeriod, 10);
    EXPECT_EQ(s.passive, 0);
    EXPECT_EQ(s.port, 3);
    EXPECT_EQ(s.baudRate, 19200);
    EXPECT_EQ(s.values, std::vector<std::string>(2));
    EXPECT_EQ(std::bit_cast<float>(s.channelMultipliers[1]), 2.0f);
    const Alarm& a = *s.alarms.at(0);
    EXPECT_EQ(a.recordLength, 10);
    EXPECT_EQ(a.recordFolder, "c:\\");
    EXPECT_EQ(a.recordRate, 8000);
    EXPECT_EQ(a.recordBits, 8);
    EXPECT_EQ(a.recordSound, 0);
    EXPECT_EQ(a.reactivationDelay, 0);
    EXPECT_EQ(a.resendDelay, 60);
}

// One station of every general kind, with settings away from their defaults.
StationList EveryGeneralKind() {
    StationList list;
    list.push_back(Hilltop());
    auto modem = std::make_unique<WSModem>("Valley");
    modem->phoneNumber = "01234 567890";
    modem->modemName = "/dev/ttyACM0";
    modem->callInterval = 15;
    list.push_back(std::move(modem));
    auto vela = std::make_unique<WSModemVela>("Ridge");
    vela->baudRate = 2400;
    list.push_back(std::move(vela));
    auto net = std::make_unique<WSNetwork>("Remote");
    net->inputFile = "/srv/wx/remote.nws";
    net->networkOutput = 1;
    net->networkFile = "/srv/wx/out.nws";
    list.push_back(std::move(net));
    auto file = std::make_unique<WSFile>("Replay \xC3\xA9t\xC3\xA9");  // "été": stored as Windows-1252
    file->inputFile = "/srv/wx/Hilltop-20261205.log";
    file->loop = 0;
    file->speed = WSFile::kActualSpeed;
    list.push_back(std::move(file));
    auto generic = std::make_unique<WSGenericSerial>("Script \xE2\x82\xAC\xE4\xB8\xAD");  // needs the UTF-16 form
    generic->channelNames = {"A", "B", "C"};
    generic->rawChannelCount = generic->channelCount = 3;
    generic->connection = WSGenericSerial::kModem;
    generic->realtimeScript = "send \"R\\r\"\r\nget \"\\r\"\r\nmask \"5,x,B\"";
    list.push_back(std::move(generic));
    return list;
}

TEST(StationFile, FilesWrittenByTheProgramRoundTripByteForByte) {
    test::ReportScope scope;
    test::TempDir dir;
    StationList list = EveryGeneralKind();
    MuteAllAlarms() = 1;
    ASSERT_TRUE(SaveStationFile(dir.File("a.wsf"), list));
    MuteAllAlarms() = 0;

    StationFileResult loaded = LoadStationFile(dir.File("a.wsf"), Registry());
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    EXPECT_EQ(MuteAllAlarms().load(), 1);  // the last record read decides
    ASSERT_EQ(loaded.stations.size(), list.size());
    EXPECT_EQ(loaded.stations[4]->name, list[4]->name);
    EXPECT_EQ(loaded.stations[5]->name, list[5]->name);
    EXPECT_EQ(loaded.stations[5]->channelTypes.size(), 3u);  // fitted to N
    ASSERT_TRUE(SaveStationFile(dir.File("b.wsf"), loaded.stations));
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.wsf")), test::ReadFileBytes(dir.File("b.wsf")));

    // The text form carries every field: turned back into a file it gives the same bytes.
    const auto json = StationListToJson(loaded.stations);
    StationJsonResult fromJson = StationListFromJson(nlohmann::ordered_json::parse(json.dump()), Registry());
    ASSERT_TRUE(fromJson.Ok()) << fromJson.error;
    ASSERT_TRUE(SaveStationFile(dir.File("c.wsf"), fromJson.stations));
    EXPECT_EQ(test::ReadFileBytes(dir.File("a.wsf")), test::ReadFileBytes(dir.File("c.wsf")));
    EXPECT_EQ(StationListToJson(fromJson.stations), json);
}

TEST(StationFile, DamagedFilesAreRefusedAndChangeNothing) {
    test::ReportScope scope;
    StationList list = EveryGeneralKind();
    MuteAllAlarms() = 1;
    const std::vector<uint8_t> good = StationListBytes({list[0].get(), list[1].get()});
    MuteAllAlarms() = 0;
    DisableAllAlarms() = 1;
    for (size_t n = 0; n < good.size(); ++n) {
        StationFileResult r = ReadStationList(std::vector<uint8_t>(good.begin(), good.begin() + n), Registry());
        ASSERT_EQ(r.failure, StationFileResult::Failure::Damaged) << "prefix of " << n << " bytes";
        EXPECT_TRUE(r.stations.empty());
    }
    std::vector<uint8_t> trailing = good;
    trailing.push_back(0);
    EXPECT_EQ(ReadStationList(trailing, Registry()).failure, StationFileResult::Failure::Damaged);
    EXPECT_EQ(MuteAllAlarms().load(), 0);
    EXPECT_EQ(DisableAllAlarms().load(), 1);

    Bytes negative;  // a channel count of -1 would size the value table from garbage
    negative.U16(1).NewClass("WSDirect", 9).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0);
    negative.I32(0).Str("X").I32(0).I32(0).I32(0).I32(0).I32(0).I32(60).Str("").I32(0).I32(-1);
    negative.I32(0).Str("").I32(0).I32(0).I32(0).I32(2).I32(10).I32(0).I32(1).I32(9600);
    StationFileResult r = ReadStationList(negative.Vec(), Registry());
    EXPECT_EQ(r.failure, StationFileResult::Failure::Damaged);
    EXPECT_NE(r.error.find("channel count"), std::string::npos);

    test::TempDir dir;
    EXPECT_EQ(LoadStationFile(dir.File("missing.wsf"), Registry()).failure, StationFileResult::Failure::Unreadable);
}

TEST(StationList, AddCopyDeleteExportImport) {
    test::ReportScope scope;
    StationList list;
    list.push_back(std::make_unique<WSDirect>("WS1"));
    list.push_back(std::make_unique<WSDirect>("WS3"));
    EXPECT_EQ(NextStationName(list), "WS2");
    list.push_back(std::make_unique<WSDirect>("WS2"));
    EXPECT_EQ(NextStationName(list), "WS4");

    list.push_back(Hilltop());
    list[3]->values = {"12.5", "0.2"};
    list[3]->alarmText = "Alarm: ...\r\n";
    WeatherStation& copy = CopyStation(list, 3);
    EXPECT_EQ(&copy, list.back().get());
    EXPECT_EQ(copy.name, "Copy of Hilltop");
    EXPECT_EQ(copy.values, std::vector<std::string>(2));
    EXPECT_EQ(copy.alarmText, list[3]->alarmText);
    ASSERT_EQ(copy.alarms.size(), 1u);
    EXPECT_NE(copy.alarms[0].get(), list[3]->alarms[0].get());
    EXPECT_EQ(copy.alarms[0]->name, "High");
    EXPECT_EQ(dynamic_cast<WSDirect&>(copy).port, 3);
    // Apart from the name, the copy's record is the original's.
    copy.name = list[3]->name;
    EXPECT_EQ(StationListBytes({&copy}), StationListBytes({list[3].get()}));

    test::TempDir dir;
    ASSERT_TRUE(ExportStation(dir.File("one.wsf"), *list[3]));
    DeleteStation(list, 3);
    EXPECT_EQ(list.size(), 4u);
    StationFileResult imported = ImportStations(dir.File("one.wsf"), Registry(), list);
    ASSERT_TRUE(imported.Ok()) << imported.error;
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list.back()->name, "Hilltop");
    EXPECT_FALSE(ImportStations(dir.File("none.wsf"), Registry(), list).Ok());
    EXPECT_EQ(list.size(), 5u);
}

TEST(StationJson, ShowsFieldsUnderTheirNamesAndRejectsBadValues) {
    test::ReportScope scope;
    StationList list;
    list.push_back(Hilltop());
    list[0]->channelOffsets[1] = FloatToBits(0.1f);
    list[0]->channelMultipliers[0] = 0x7FC00001;  // a NaN pattern has no JSON number; it keeps its bits
    const auto j = StationListToJson(list);
    const auto& s = j["stations"][0];
    EXPECT_EQ(s["class"], "WSDirect");
    EXPECT_EQ(s["typeCode"], 0);
    EXPECT_EQ(s["channelOffsets"][1].dump(), "0.1");
    EXPECT_EQ(s["channelMultipliers"][0], "0x7FC00001");
    EXPECT_EQ(s["alarms"][0]["threshold"].dump(), "30.0");
    EXPECT_EQ(s["port"], 3);
    EXPECT_EQ(s["logInterval"], 60);

    StationJsonResult back = StationListFromJson(j, Registry());
    ASSERT_TRUE(back.Ok()) << back.error;
    EXPECT_EQ(back.stations[0]->channelOffsets[1], FloatToBits(0.1f));
    EXPECT_EQ(back.stations[0]->channelMultipliers[0], 0x7FC00001u);

    auto broken = j;
    broken["stations"][0]["logInterval"] = "sixty";
    EXPECT_NE(StationListFromJson(broken, Registry()).error.find("stations[0].logInterval"), std::string::npos);
    broken = j;
    broken["stations"][0]["alarms"][0]["resendDelay"] = 70000;
    EXPECT_NE(StationListFromJson(broken, Registry()).error.find("alarms[0].resendDelay"), std::string::npos);
    broken = j;
    broken["stations"][0]["class"] = "WSTriscan";
    EXPECT_FALSE(StationListFromJson(broken, Registry()).Ok());
    broken = j;
    broken["MuteAllAlarms"] = 1;
    broken["stations"][0]["channelCount"] = -3;
    EXPECT_FALSE(StationListFromJson(broken, Registry()).Ok());
    EXPECT_EQ(MuteAllAlarms().load(), 0);  // a refused file changes nothing
}

TEST(StationJson, LinksBetweenStationsAreWrittenAsPositionsInTheList) {
    test::ReportScope scope;
    StationList list;
    list.push_back(std::make_unique<WSDirect>("A"));
    list.push_back(std::make_unique<WSNetwork>("B"));
    auto forward = std::make_unique<Linker>(list[0].get());
    forward->remote = list[1].get();
    auto none = std::make_unique<Linker>(list[0].get());
    list[0]->derived.push_back(std::move(forward));
    list[0]->derived.push_back(std::move(none));
    list[0]->channelNames = {"Data1", "Data2"};
    list[0]->channelCount = 2;
    auto self = std::make_unique<Linker>(list[1].get());
    self->remote = list[1].get();
    list[1]->derived.push_back(std::move(self));
    list[1]->channelNames = {"Data1"};
    list[1]->channelCount = 1;

    const auto j = StationListToJson(list);
    EXPECT_EQ(j["stations"][0]["derived"][0]["remoteStation"], 1);
    EXPECT_TRUE(j["stations"][0]["derived"][1]["remoteStation"].is_null());
    EXPECT_EQ(j["stations"][1]["derived"][0]["remoteStation"], 1);

    StationJsonResult back = StationListFromJson(j, Registry());
    ASSERT_TRUE(back.Ok()) << back.error;
    auto linkOf = [&](size_t s, size_t d) { return dynamic_cast<Linker&>(*back.stations[s]->derived[d]).remote; };
    EXPECT_EQ(linkOf(0, 0), back.stations[1].get());
    EXPECT_EQ(linkOf(0, 1), nullptr);
    EXPECT_EQ(linkOf(1, 0), back.stations[1].get());
    EXPECT_EQ(back.stations[0]->derived[0]->station, back.stations[0].get());

    auto broken = j;
    broken["stations"][1]["derived"][0]["remoteStation"] = 2;
    EXPECT_NE(StationListFromJson(broken, Registry()).error.find("stations[1].derived[0].remoteStation"),
              std::string::npos);
}

}  // namespace
}  // namespace svu
