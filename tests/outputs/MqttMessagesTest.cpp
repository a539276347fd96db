#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "outputs/LiveTestSupport.h"
#include "outputs/MqttMessages.h"

namespace svu {
namespace {

MqttStation Hill() {
    test::TickStation station("Hill/Top", 4);
    station.channelNames = {"Temperature (F)  ", "Rain", "Temperature (F)", ""};
    station.channelTypes = {0, 13, 0, 0};
    return MqttStation::From(station);
}

TEST(MqttMessages, TopicsFollowTheNamesWithRepeatsAndWildcardsMadeSafe) {
    const MqttStation s = Hill();
    EXPECT_EQ(s.channelNames, (std::vector<std::string>{"Temperature (F)", "Rain", "Temperature (F) 3", "Channel4"}));
    MqttSettings settings;
    EXPECT_EQ(MqttStationTopic(settings, s), "stratavue/Hill_Top");
    EXPECT_EQ(MqttChannelTopic(settings, s, 2), "stratavue/Hill_Top/Temperature (F) 3");
    EXPECT_EQ(MqttStatusTopic(settings), "stratavue/status");
    EXPECT_EQ(MqttTopicLevel("a+b#c\x01"), "a_b_c_");
    EXPECT_EQ(MqttTopicLevel(""), "_");
    EXPECT_EQ(MqttSlug("Wind speed (m/s)"), "wind_speed_m_s");
    EXPECT_EQ(MqttSlug("***"), "x");
}

TEST(MqttMessages, AReadingIsOneRetainedMessagePerChannelAndOneJsonDocument) {
    MqttSettings settings;
    std::vector<MqttMessage> out;
    AppendReadingMessages(settings, Hill(), FromLocal(2026, 7, 5, 14, 5, 0), {" 21.5 ", "0.2", "abc", ""}, out);
    ASSERT_EQ(out.size(), 5u);
    EXPECT_EQ(out[0].topic, "stratavue/Hill_Top/Temperature (F)");
    EXPECT_EQ(out[0].payload, "21.5");
    EXPECT_TRUE(out[0].retain);
    EXPECT_EQ(out[4].topic, "stratavue/Hill_Top");
    const auto doc = nlohmann::json::parse(out[4].payload);
    EXPECT_EQ(doc["station"], "Hill/Top");
    EXPECT_EQ(doc["time"], "2026-07-05T14:05:00+01:00");  // summer time in London
    EXPECT_EQ(doc["values"]["Temperature (F)"], 21.5);
    EXPECT_EQ(doc["values"]["Rain"], 0.2);
    EXPECT_EQ(doc["values"]["Temperature (F) 3"], "abc");
    EXPECT_TRUE(doc["values"]["Channel4"].is_null());

    settings.retain = 0;
    out.clear();
    AppendReadingMessages(settings, Hill(), 0, {"1", "2", "3", "4"}, out);
    EXPECT_FALSE(out[0].retain);
    EXPECT_EQ(IsoTimeWithOffset(FromLocal(2026, 12, 5, 9, 1, 2)), "2026-12-05T09:01:02+00:00");
}

TEST(MqttMessages, ValuesAreNumbersOnlyWhenTheWholeTextIsOne) {
    EXPECT_EQ(JsonValue("12"), "12");
    EXPECT_EQ(JsonValue(" -3.25 "), "-3.25");
    EXPECT_EQ(JsonValue("1e3"), "1000");
    EXPECT_EQ(JsonValue("12abc"), "\"12abc\"");
    EXPECT_EQ(JsonValue("nan"), "\"nan\"");
    EXPECT_EQ(JsonValue("0x10"), "\"0x10\"");
    EXPECT_EQ(JsonValue("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(JsonValue("  "), "null");
}

TEST(MqttMessages, ChannelsAreClassedByTypeCodeThenByName) {
    const auto cls = [](std::string_view name, uint32_t type = 0) {
        const MqttSensorClass c = ClassifyChannel(name, type);
        return c.deviceClass + "|" + c.unit;
    };
    EXPECT_EQ(cls("Anything", 13), "precipitation|mm");
    EXPECT_EQ(cls("Anything (in)", 13), "precipitation|in");
    EXPECT_EQ(cls("Rain rate"), "precipitation_intensity|mm/h");
    EXPECT_EQ(cls("Wind heading", 3), "|\u00b0");
    EXPECT_EQ(cls("Air temperature"), "temperature|\u00b0C");
    EXPECT_EQ(cls("Temperature (F)"), "temperature|\u00b0F");
    EXPECT_EQ(cls("Dew point"), "temperature|\u00b0C");
    EXPECT_EQ(cls("Relative humidity (%)"), "humidity|%");
    EXPECT_EQ(cls("QNH (mb)"), "pressure|hPa");
    EXPECT_EQ(cls("Wind speed (knots)"), "wind_speed|kn");
    EXPECT_EQ(cls("Highest gust"), "wind_speed|m/s");
    EXPECT_EQ(cls("Global solar"), "irradiance|W/m\u00b2");
    EXPECT_EQ(cls("Beaufort force"), "|");
}

TEST(MqttMessages, DiscoveryMakesOneSensorPerChannelUnderOneDevicePerStation) {
    MqttSettings settings;
    std::vector<MqttMessage> out;
    AppendDiscoveryMessages(settings, Hill(), out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].topic, "homeassistant/sensor/stratavue_hill_top/temperature_f/config");
    EXPECT_EQ(out[2].topic, "homeassistant/sensor/stratavue_hill_top/temperature_f_3/config");
    EXPECT_TRUE(out[0].retain);
    const auto config = nlohmann::json::parse(out[0].payload);
    EXPECT_EQ(config["name"], "Temperature (F)");
    EXPECT_EQ(config["state_topic"], "stratavue/Hill_Top/Temperature (F)");
    EXPECT_EQ(config["device_class"], "temperature");
    EXPECT_EQ(config["unit_of_measurement"], "\u00b0F");
    EXPECT_EQ(config["availability_topic"], "stratavue/status");
    EXPECT_EQ(config["device"]["name"], "Hill/Top");
    EXPECT_EQ(config["device"]["identifiers"][0], "stratavue_hill_top");
    const auto plain = nlohmann::json::parse(out[3].payload);
    EXPECT_FALSE(plain.contains("device_class"));
    EXPECT_FALSE(plain.contains("unit_of_measurement"));
}

}  // namespace
}  // namespace svu
