#pragma once

// "Historic Graph": two traces of logged channels over a chosen period, drawn by Chart2D (which
// reduces any number of points to a few per pixel column, so a month of one-second readings draws
// at once). A right click looks up the recorded sounds of the time under the pointer.

#include <QMainWindow>
#include <array>
#include <functional>

#include "app/HistoricRangeDialog.h"
#include "historic/HistoricLog.h"
#include "historic/HistoricTraces.h"

class QLabel;

namespace svu {

class Chart2D;
class UserInterface;

class HistoricGraphWindow : public QMainWindow {
    Q_OBJECT

public:
    /// Asks for the period and source ("Historic Data Range"); false on Cancel.
    using RangeChooser = std::function<bool(HistoricRangeChoice&)>;
    /// Edits both traces over the channel names ("Properties - Historical graph"); false on Cancel.
    using TraceEditor = std::function<bool(QWidget*, const std::vector<std::string>&, std::array<HistoricTrace, 2>&)>;
    /// Opens the recorded sounds at a time.
    using TimeLookup = std::function<void(TimeT)>;

    HistoricGraphWindow(QWidget* parent, UserInterface& ui, RangeChooser chooser);
    ~HistoricGraphWindow() override;

    /// "Open...": the range dialog, loading, then the trace sheet and the chart. False when the
    /// window holds no data afterwards (it should then close).
    bool Open();
    /// Loads a period (reporting "Unable to open file" or "No data in range"), resets the traces
    /// and sets the heading. True when lines were kept.
    bool Load(const HistoricRangeChoice& choice);
    /// "Properties...": the trace sheet, then the chart again on OK.
    void EditProperties();
    /// Draws the kept lines with the current traces.
    void BuildChart();

    HistoricTrace& Trace(int which) { return traces_[static_cast<std::size_t>(which & 1)]; }
    const HistoricLog& Log() const { return log_; }
    const std::string& Heading() const { return heading_; }
    Chart2D* Chart() const { return chart_; }
    /// The time of a chart pixel as the right click takes it (origin plus whole time units); false
    /// outside the plot or without data.
    bool TimeAt(const QPoint& chartPixel, TimeT& time) const;

    void SetTraceEditor(TraceEditor editor) { traceEditor_ = std::move(editor); }
    void SetTimeLookup(TimeLookup lookup) { timeLookup_ = std::move(lookup); }

    void CopyToClipboard();
    void Print();

private:
    void CreateMenus();
    void OnChartRelease(const QPoint& pixel, Qt::MouseButton button);
    void ConfigureAxis(int axis, const HistoricTrace& trace);

    UserInterface& ui_;
    RangeChooser chooser_;
    TraceEditor traceEditor_;
    TimeLookup timeLookup_;
    HistoricLog log_;
    std::array<HistoricTrace, 2> traces_;
    std::string heading_;
    QWidget* area_;
    Chart2D* chart_;
};

}  // namespace svu
