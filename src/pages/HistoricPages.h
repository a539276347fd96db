#pragma once

// The property sheets of the historic graph ("Trace 1", "Trace 2") and of the historic wind rose
// ("Data", "Rose", "Table", "Bitmap"). Each edits copies and writes back only on OK.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "historic/HistoricTraces.h"
#include "historic/HistoricWindrose.h"

class QWidget;

namespace svu {

class PropertySheet;

/// "Properties - Historical graph" over `traces` (edited in place while the sheet lives).
std::unique_ptr<PropertySheet> MakeHistoricGraphSheet(QWidget* parent, const std::vector<std::string>& channelNames,
                                                      std::array<HistoricTrace, 2>& traces);

/// Runs the graph's sheet; on OK the traces take the edits (and each chosen channel's name).
bool EditHistoricTraces(QWidget* parent, const std::vector<std::string>& channelNames,
                        std::array<HistoricTrace, 2>& traces);

/// "Properties - Historical windrose" over `settings` and `drawing` (edited in place).
std::unique_ptr<PropertySheet> MakeHistoricWindroseSheet(QWidget* parent, const std::vector<std::string>& channelNames,
                                                         RoseSettings& settings, RoseDrawing& drawing);

/// Runs the wind rose's sheet; true for OK, when both take the edits.
bool EditHistoricWindrose(QWidget* parent, const std::vector<std::string>& channelNames, RoseSettings& settings,
                          RoseDrawing& drawing);

}  // namespace svu
