#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedIntegrationDay.h"
#include "derived/ProcessedRollingAverage.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedSum.h"
#include "derived/TestStation.h"
#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "framework/FieldVisitor.h"
#include "framework/JsonFieldVisitor.h"
#include "runtime/DerivedKinds.h"

namespace svu {
namespace {

using test::TestStation;

// Gives every setting a value different from its default (and from every other field).
class Scramble final : public FieldVisitor {
public:
    bool IsLoading() const override { return true; }
    int Schema() const override { return 1; }
    void Int32(const char*, int32_t& v) override { v = next++; }
    void UInt32(const char*, uint32_t& v) override { v = static_cast<uint32_t>(next++ % 2); }
    void UInt16(const char*, uint16_t& v) override { v = static_cast<uint16_t>(next++); }
    void UInt8(const char*, uint8_t& v) override { v = static_cast<uint8_t>(next++); }
    void Bool32(const char*, int32_t& v) override { v = 1; }
    void Float(const char*, float& v) override { v = static_cast<float>(next++) + 0.25f; }
    void Double(const char*, double& v) override { v = next++; }
    void String(const char*, std::string& v) override { v = "s" + std::to_string(next++); }
    void UInt32Array(const char*, std::vector<uint32_t>& v) override { v = {3, 1, 4}; }
    void FloatBitsArray(const char*, std::vector<uint32_t>& v) override { v = {1}; }
    void StringArray(const char*, std::vector<std::string>& v) override { v = {"a"}; }
    int next = 1;
};

// Every field as text, so two objects' settings compare in one go.
std::string Fields(ProcessedData& d) {
    nlohmann::ordered_json fields;
    JsonFieldVisitor writer = JsonFieldVisitor::Writer(fields, 1);
    d.VisitFields(writer);
    return d.name + "|" + std::to_string(d.typeCode) + "|" + fields.dump();
}

ClassRegistry Registry() {
    ClassRegistry reg;
    RegisterDerivedClasses(reg);
    reg.RegisterClass<TestStation>(TestStation::kClassName);
    return reg;
}

// The station stored (its bytes into `bytes`) and read back.
std::unique_ptr<TestStation> StoreAndLoad(TestStation& station, std::vector<uint8_t>& bytes) {
    const ClassRegistry reg = Registry();
    Archive out = Archive::ForStoring(reg);
    out.WriteObject(&station);
    bytes = out.Bytes();
    Archive in = Archive::ForLoading(bytes, reg);
    auto loaded = in.ReadObjectAs<TestStation>();
    in.FinishLoading();
    return loaded;
}

TEST(DerivedKinds, TableIsInTypeCodeOrder) {
    const auto& kinds = DerivedKinds();
    ASSERT_EQ(kinds.size(), 22u);
    EXPECT_STREQ(kinds[0].chooserEntry, "Scale");
    EXPECT_STREQ(kinds[13].className, "ProcessedChannelRatio");
    EXPECT_STREQ(kinds[18].sheetTitle, "Properties - Headwind");
    EXPECT_STREQ(kinds[21].chooserEntry, "QNH");
    TestStation st;
    for (uint32_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(kinds[i].typeCode, i);
        EXPECT_EQ(FindDerivedKind(i), &kinds[i]);
        auto d = kinds[i].create(&st);
        EXPECT_EQ(d->typeCode, i);
        EXPECT_STREQ(d->ClassName(), kinds[i].className);
        EXPECT_EQ(std::string("Processed") + kinds[i].chooserEntry, kinds[i].className);
        EXPECT_EQ(d->station, &st);
        EXPECT_EQ(d->name, "Data1");
    }
    EXPECT_EQ(FindDerivedKind(22), nullptr);
}

TEST(DerivedKinds, EveryKindRoundTripsThroughTheStationFile) {
    TestStation st(4, "Hilltop");
    std::vector<std::string> expected;
    for (const DerivedKind& kind : DerivedKinds()) {
        auto d = kind.create(&st);
        Scramble scramble;
        d->VisitFields(scramble);
        st.channelNames.push_back(d->name);
        st.derived.push_back(std::move(d));
        ++st.channelCount;
    }
    static_cast<ProcessedChannelRatio&>(*st.derived[13]).remoteStation = &st;
    for (auto& d : st.derived) {
        expected.push_back(Fields(*d));
    }

    std::vector<uint8_t> bytes;
    auto loaded = StoreAndLoad(st, bytes);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->derived.size(), 22u);
    for (size_t i = 0; i < 22; ++i) {
        EXPECT_EQ(Fields(*loaded->derived[i]), expected[i]);
        EXPECT_EQ(loaded->derived[i]->station, loaded.get());
    }
    EXPECT_EQ(static_cast<ProcessedChannelRatio&>(*loaded->derived[13]).remoteStation, loaded.get());

    // Saving the loaded station again gives the same bytes.
    std::vector<uint8_t> again;
    ASSERT_TRUE(StoreAndLoad(*loaded, again));
    EXPECT_EQ(again, bytes);
}

TEST(DerivedKinds, LoadedChannelsStartWithEmptyWindowsAndFreshTotals) {
    TestStation st(1);
    auto& avg = st.Add<ProcessedRollingAverage>();
    avg.sourceChannel = 0;
    auto& day = st.Add<ProcessedIntegrationDay>();
    day.sourceChannel = 0;
    auto& ratio = st.Add<ProcessedChannelRatio>();
    ratio.numeratorChannel = 0;
    ratio.remoteChannel = 0;
    st.Reading(1000, {"10"});
    st.Reading(1010, {"20"});
    ASSERT_EQ(avg.Samples().Size(), 2u);

    std::vector<uint8_t> bytes;
    auto loaded = StoreAndLoad(st, bytes);
    ASSERT_TRUE(loaded);
    auto& loadedAvg = static_cast<ProcessedRollingAverage&>(*loaded->derived[0]);
    EXPECT_EQ(loadedAvg.Samples().Size(), 0u);
    EXPECT_EQ(static_cast<ProcessedChannelRatio&>(*loaded->derived[2]).remoteStation, nullptr);
    loaded->Reading(1020, {"30"});
    EXPECT_EQ(loaded->Out(0), "30");
    EXPECT_EQ(loaded->Out(1), "");  // a new period starts: nothing yet
}

TEST(DerivedKinds, RecordLayout) {
    ClassRegistry reg;
    RegisterDerivedClasses(reg);
    ProcessedScale scale(nullptr);
    scale.sourceChannel = 3;
    scale.gain = 2.0f;
    scale.offset = -1.0f;
    ProcessedSum sum(nullptr);
    sum.name = "Total";
    sum.channels = {1, 2};
    Archive out = Archive::ForStoring(reg);
    out.WriteObject(&scale);
    out.WriteObject(&sum);
    const std::vector<uint8_t> expected = {
        0xFF, 0xFF, 0x01, 0x00, 0x0E, 0x00, 'P', 'r', 'o', 'c', 'e', 's', 's', 'e', 'd', 'S', 'c', 'a', 'l', 'e', 0x05,
        'D', 'a', 't', 'a', '1',  // name
        0x00, 0x00, 0x00, 0x00,   // typeCode 0
        0x00, 0x00,               // no station
        0x03, 0x00, 0x00, 0x00,   // sourceChannel
        0x00, 0x00, 0x00, 0x40,   // gain 2.0
        0x00, 0x00, 0x80, 0xBF,   // offset -1.0
        0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00, 'P', 'r', 'o', 'c', 'e', 's', 's', 'e', 'd', 'S', 'u', 'm', 0x05, 'T', 'o',
        't', 'a', 'l', 0x09, 0x00, 0x00, 0x00, 0x00, 0x00,           // name, typeCode 9, no
                                                                     // station
        0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // channels
    };
    EXPECT_EQ(out.Bytes(), expected);
}

}  // namespace
}  // namespace svu
