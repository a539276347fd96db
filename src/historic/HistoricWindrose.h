#pragma once

// The wind run of a period per compass sector: every interval between two kept lines is the
// distance the wind of the later line carried in that time, added to the sector of its direction.

#include <cstdint>
#include <string>
#include <vector>

#include "historic/HistoricLog.h"

namespace svu {

inline constexpr int kRoseSectors = 16;

/// How the speed channel is logged (the positions in the "Read as:" list).
enum class RoseSpeedUnit { Mps = 0, Kph = 1, Mph = 2, Knots = 3 };
/// How the run is shown (the positions in the "Display as:" list).
enum class RoseRunUnit { Metres = 0, Km = 1, Miles = 2, NauticalMiles = 3 };

/// "N", "NNE", ... "NNW" for sector 0-15 of 16. With 4 or 8 sectors the names of the main points;
/// with any other count the centre's bearing in degrees.
std::string RoseSectorName(int sector, int sectors = kRoseSectors);
/// "MPS", "KPH", "MPH", "KNOTS".
const char* RoseSpeedUnitName(RoseSpeedUnit unit);
/// The "Display as:" entries: "Meters", "km", "Miles", "Nautical Miles".
const char* RoseRunUnitChoice(RoseRunUnit unit);
/// The table's column heading: "Metres", "km", "Miles", "N. Miles".
const char* RoseRunUnitHeading(RoseRunUnit unit);

/// The sector (0-15 of 16, clockwise from north) of a direction in degrees; a boundary belongs to
/// the sector before it, so 11.25 is "N" and 11.26 "NNE".
int RoseSector(double degrees, int sectors = kRoseSectors);

/// The choices of the rose computation.
struct RoseSettings {
    int directionChannel = -1;
    int speedChannel = -1;
    RoseSpeedUnit readAs = RoseSpeedUnit::Mps;
    RoseRunUnit displayAs = RoseRunUnit::Km;
    int sectors = kRoseSectors;  // the windows use 16; the command line may ask for others
};

/// How the window draws the rose: centre, radius and ring step in pixels, colours (0x00BBGGRR),
/// the table and an optional background bitmap.
struct RoseDrawing {
    int originX = 200;
    int originY = 200;
    int radius = 150;
    int step = 25;
    uint32_t roseColour = 0x000000;  // black
    uint32_t fillColour = 0x0000ff;  // red
    bool displayTable = true;
    bool displayBitmap = false;
    std::string bitmapFile;
};

/// Runs and shares per sector.
struct RoseResult {
    explicit RoseResult(int sectors = kRoseSectors)
        : run(static_cast<std::size_t>(sectors)), percent(static_cast<std::size_t>(sectors)) {}

    int Sectors() const { return static_cast<int>(run.size()); }

    std::vector<float> run;
    std::vector<float> percent;
    float total = 0.0f;

    /// The largest run (0 when there is none).
    float Largest() const;
};

/// The rose of the kept lines; all zero with fewer than two lines or a channel not chosen.
RoseResult ComputeRose(const HistoricLog& log, const RoseSettings& settings);

/// One row of the sector table (rows 0-15 the sectors, 16 "Total"): sector, run and percent
/// texts ("%.1f"); the total row, the sum of the runs, has no percent.
struct RoseTableRow {
    std::string sector;
    std::string run;
    std::string percent;
};
RoseTableRow RoseTableRowText(const RoseResult& rose, int row);

}  // namespace svu
