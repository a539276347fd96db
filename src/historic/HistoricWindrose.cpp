#include "historic/HistoricWindrose.h"

#include <cmath>
#include <algorithm>
#include <cstdio>

namespace svu {

namespace {

constexpr const char* kSectorNames[kRoseSectors] = {"N",  "NNE", "NE", "ENE", "E",  "ESE", "SE", "SSE",
                                                    "S",  "SSW", "SW", "WSW", "W",  "WNW", "NW", "NNW"};
constexpr float kToMetresPerSecond[] = {1.0f, 0.2777778f, 0.44702777f, 0.5147903f};
constexpr float kFromMetres[] = {1.0f, 0.001f, 0.00062138820f, 0.00053959410f};

std::string OneDecimal(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

}  // namespace

std::string RoseSectorName(int sector, int sectors) {
    if (sector < 0 || sector >= sectors) {
        return {};
    }
    if (sectors == 4 || sectors == 8 || sectors == kRoseSectors) {
        return kSectorNames[sector * (kRoseSectors / sectors)];
    }
    char text[32];
    std::snprintf(text, sizeof text, "%g", 360.0 * sector / sectors);
    return text;
}

const char* RoseSpeedUnitName(RoseSpeedUnit unit) {
    static constexpr const char* kNames[] = {"MPS", "KPH", "MPH", "KNOTS"};
    return kNames[static_cast<int>(unit) & 3];
}

const char* RoseRunUnitChoice(RoseRunUnit unit) {
    static constexpr const char* kNames[] = {"Meters", "km", "Miles", "Nautical Miles"};
    return kNames[static_cast<int>(unit) & 3];
}

const char* RoseRunUnitHeading(RoseRunUnit unit) {
    static constexpr const char* kNames[] = {"Metres", "km", "Miles", "N. Miles"};
    return kNames[static_cast<int>(unit) & 3];
}

int RoseSector(double degrees, int sectors) {
    if (!std::isfinite(degrees) || sectors < 1) {
        return 0;
    }
    // fmod rather than repeated steps, so a huge logged value cannot hold the loop.
    degrees = std::fmod(degrees, 360.0);
    if (degrees < 0.0) {
        degrees += 360.0;
    }
    if (degrees >= 360.0) {
        degrees -= 360.0;
    }
    const double width = 360.0 / sectors;
    int sector = 0;
    while (sector < sectors && degrees > width / 2 + width * sector) {
        ++sector;
    }
    return sector >= sectors ? 0 : sector;
}

float RoseResult::Largest() const {
    float largest = 0.0f;
    for (float r : run) {
        largest = std::max(largest, r);
    }
    return largest;
}

RoseResult ComputeRose(const HistoricLog& log, const RoseSettings& settings) {
    const int sectors = std::max(1, settings.sectors);
    RoseResult rose(sectors);
    if (log.Count() < 2 || settings.directionChannel < 0 || settings.speedChannel < 0) {
        return rose;
    }
    const float toMps = kToMetresPerSecond[static_cast<int>(settings.readAs) & 3];
    const float fromMetres = kFromMetres[static_cast<int>(settings.displayAs) & 3];
    TimeT previous = log.Time(0);
    for (std::size_t i = 1; i < log.Count(); ++i) {
        const std::string_view line = log.Line(i);
        const auto dt = static_cast<float>(log.Time(i) - previous);
        const int sector = RoseSector(static_cast<float>(ParseLogValue(line, settings.directionChannel)), sectors);
        const float speed = static_cast<float>(ParseLogValue(line, settings.speedChannel)) * toMps;
        const float distance = speed * dt * fromMetres;
        rose.run[static_cast<std::size_t>(sector)] += distance;
        rose.total += distance;
        previous = log.Time(i);
    }
    if (rose.total != 0.0f) {
        for (std::size_t s = 0; s < rose.run.size(); ++s) {
            rose.percent[s] = rose.run[s] / rose.total * 100.0f;
        }
    }
    return rose;
}

RoseTableRow RoseTableRowText(const RoseResult& rose, int row) {
    if (row >= 0 && row < rose.Sectors()) {
        const auto s = static_cast<std::size_t>(row);
        return {RoseSectorName(row, rose.Sectors()), OneDecimal(rose.run[s]), OneDecimal(rose.percent[s])};
    }
    double sum = 0.0;
    for (float r : rose.run) {
        sum += r;
    }
    return {"Total", OneDecimal(sum), ""};
}

}  // namespace svu
