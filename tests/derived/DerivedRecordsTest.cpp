// The stored record of every derived kind, byte for byte, against records written out by hand from
// the documented field order. A round trip alone would pass with two fields swapped in both the
// writing and the reading; these do not: every field holds a value no other field of its record
// holds.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "derived/ProcessedAbsolute.h"
#include "derived/ProcessedAngleAverage.h"
#include "derived/ProcessedBeaufort.h"
#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedCompareFixed.h"
#include "derived/ProcessedCrossWind.h"
#include "derived/ProcessedDew.h"
#include "derived/ProcessedExtreme.h"
#include "derived/ProcessedHeadWind.h"
#include "derived/ProcessedIntegrationDay.h"
#include "derived/ProcessedQFE.h"
#include "derived/ProcessedQNH.h"
#include "derived/ProcessedRollingAverage.h"
#include "derived/ProcessedRollingMaximum.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedSectorSpeed.h"
#include "derived/ProcessedSum.h"
#include "derived/ProcessedSunshineHours.h"
#include "derived/ProcessedTimeInSector.h"
#include "derived/ProcessedVapour.h"
#include "derived/ProcessedWetBulb.h"
#include "derived/ProcessedWindTo.h"
#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/JsonFieldVisitor.h"
#include "runtime/DerivedKinds.h"
#include "stations/StationTestSupport.h"

namespace svu {
namespace {

using test::Bytes;

const ClassRegistry& Registry() {
    static const ClassRegistry reg = [] {
        ClassRegistry r;
        RegisterDerivedClasses(r);
        return r;
    }();
    return reg;
}

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
        out += ' ';
    }
    return out;
}

nlohmann::ordered_json Settings(ProcessedData& d) {
    nlohmann::ordered_json j;
    JsonFieldVisitor writer = JsonFieldVisitor::Writer(j, ProcessedData::kSchema);
    d.VisitFields(writer);
    return j;
}

// `d` stored on its own (no owning station: a null reference) must give the class tag, the base
// fields and then exactly `own`; and those bytes must read back into the same settings.
void ExpectRecord(ProcessedData& d, const char* className, uint32_t typeCode, const Bytes& own) {
    SCOPED_TRACE(className);
    d.name = std::string("Ch") + std::to_string(typeCode);
    Bytes expected;
    expected.NewClass(className, 1).Str(d.name).U32(typeCode).U16(0x0000);
    expected.b += own.b;

    Archive out = Archive::ForStoring(Registry());
    out.WriteObject(&d);
    EXPECT_EQ(Hex(test::AsString(out.Bytes())), Hex(expected.b));

    Archive in = Archive::ForLoading(expected.Vec(), Registry());
    std::unique_ptr<ProcessedData> loaded = in.ReadObjectAs<ProcessedData>();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(in.AtEnd());
    EXPECT_STREQ(loaded->ClassName(), className);
    EXPECT_EQ(loaded->typeCode, typeCode);
    EXPECT_EQ(loaded->name, d.name);
    EXPECT_EQ(Settings(*loaded).dump(), Settings(d).dump());
}

TEST(DerivedRecords, FormulaKindsStoreTheirFieldsInRecordOrder) {
    ProcessedScale scale;
    scale.sourceChannel = 3;
    scale.gain = 2.5f;
    scale.offset = -1.25f;
    ExpectRecord(scale, "ProcessedScale", 0, Bytes().I32(3).F32(2.5f).F32(-1.25f));

    ProcessedVapour vapour;
    vapour.temperatureChannel = 4;
    vapour.humidityChannel = 6;
    ExpectRecord(vapour, "ProcessedVapour", 2, Bytes().I32(4).I32(6));

    ProcessedDew dew;
    dew.vapourChannel = 9;
    ExpectRecord(dew, "ProcessedDew", 3, Bytes().I32(9));

    ProcessedCrossWind cross;
    cross.directionChannel = 2;
    cross.speedChannel = 1;
    cross.referenceAngle = 265.5f;
    ExpectRecord(cross, "ProcessedCrossWind", 7, Bytes().I32(2).I32(1).F32(265.5f));

    ProcessedWindTo windTo;
    windTo.sourceChannel = 12;
    ExpectRecord(windTo, "ProcessedWindTo", 8, Bytes().I32(12));

    ProcessedCompareFixed compare;
    compare.fixedValue = 7.0f;
    compare.sourceChannel = 5;
    compare.operatorIndex = 4;
    ExpectRecord(compare, "ProcessedCompareFixed", 11, Bytes().F32(7.0f).I32(5).U32(4));

    ProcessedChannelRatio ratio;
    ratio.numeratorChannel = 3;
    ratio.remoteChannel = 8;
    ExpectRecord(ratio, "ProcessedChannelRatio", 13, Bytes().I32(3).I32(8).U16(0x0000));

    ProcessedWetBulb wet;
    wet.pressureChannel = 7;
    wet.humidityChannel = 1;
    wet.temperatureChannel = 0;
    ExpectRecord(wet, "ProcessedWetBulb", 16, Bytes().I32(7).I32(1).I32(0));

    ProcessedBeaufort beaufort;
    beaufort.sourceChannel = 6;
    beaufort.textDescription = 1;
    ExpectRecord(beaufort, "ProcessedBeaufort", 17, Bytes().I32(6).U32(1));

    ProcessedHeadWind head;
    head.directionChannel = 5;
    head.speedChannel = 4;
    head.referenceAngle = 90.25f;
    ExpectRecord(head, "ProcessedHeadWind", 18, Bytes().I32(5).I32(4).F32(90.25f));

    ProcessedAbsolute absolute;
    absolute.sourceChannel = -1;
    ExpectRecord(absolute, "ProcessedAbsolute", 19, Bytes().U32(0xFFFFFFFF));

    ProcessedQFE qfe;
    qfe.pressureChannel = 2;
    qfe.temperatureChannel = 3;
    qfe.sensorHeight = 12.5f;
    ExpectRecord(qfe, "ProcessedQFE", 20, Bytes().I32(2).I32(3).F32(12.5f));

    ProcessedQNH qnh;
    qnh.sourceChannel = 10;
    qnh.runwayHeight = 84.0f;
    ExpectRecord(qnh, "ProcessedQNH", 21, Bytes().I32(10).F32(84.0f));
}

TEST(DerivedRecords, WindowAndDailyKindsStoreTheirFieldsInRecordOrder) {
    ProcessedExtreme extreme;
    extreme.sourceChannel = 2;
    extreme.maximum = 0;
    ExpectRecord(extreme, "ProcessedExtreme", 1, Bytes().I32(2).U32(0));

    ProcessedIntegrationDay integration;
    integration.sourceChannel = 3;
    integration.above = 0;
    integration.referenceValue = 15.5f;
    ExpectRecord(integration, "ProcessedIntegrationDay", 4, Bytes().I32(3).U32(0).F32(15.5f));

    ProcessedRollingAverage average;
    average.sourceChannel = 1;
    average.windowSeconds = 600;
    ExpectRecord(average, "ProcessedRollingAverage", 5, Bytes().I32(1).I32(600));

    ProcessedAngleAverage angle;
    angle.sourceChannel = 2;
    angle.windowSeconds = 120;
    ExpectRecord(angle, "ProcessedAngleAverage", 6, Bytes().I32(2).I32(120));

    ProcessedSum sum;
    sum.channels = {6, 3, 4};
    ExpectRecord(sum, "ProcessedSum", 9, Bytes().U16(3).U32(6).U32(3).U32(4));

    ProcessedSectorSpeed sector;
    sector.directionChannel = 1;
    sector.speedChannel = 0;
    sector.sectorFrom = 350.0f;
    sector.sectorTo = 10.0f;
    sector.speedThreshold = 5.5f;
    ExpectRecord(sector, "ProcessedSectorSpeed", 10, Bytes().I32(1).I32(0).F32(350.0f).F32(10.0f).F32(5.5f));

    ProcessedTimeInSector time;
    time.directionChannel = 4;
    time.sectorFrom = 90.0f;
    time.sectorTo = 180.0f;
    time.windowSeconds = 1800;
    ExpectRecord(time, "ProcessedTimeInSector", 12, Bytes().I32(4).F32(90.0f).F32(180.0f).I32(1800));

    ProcessedRollingMaximum maximum;
    maximum.sourceChannel = 7;
    maximum.windowSeconds = 3;
    ExpectRecord(maximum, "ProcessedRollingMaximum", 14, Bytes().I32(7).I32(3));

    ProcessedSunshineHours sunshine;
    sunshine.sourceChannel = 8;
    sunshine.threshold = 120.0f;
    ExpectRecord(sunshine, "ProcessedSunshineHours", 15, Bytes().I32(8).F32(120.0f));
}

}  // namespace
}  // namespace svu
