#pragma once

// "Historic Windrose": the wind run of a period per compass sector, drawn as 16 petals (over an
// optional bitmap) with a table of the sectors' runs and shares at the right edge.

#include <QMainWindow>
#include <functional>

#include "app/HistoricRangeDialog.h"
#include "gadgets/Dib.h"
#include "historic/HistoricLog.h"
#include "historic/HistoricWindrose.h"

class QTableWidget;

namespace svu {

class UserInterface;

class HistoricWindroseWindow : public QMainWindow {
    Q_OBJECT

public:
    using RangeChooser = std::function<bool(HistoricRangeChoice&)>;
    /// Edits the rose's settings over the channel names; false on Cancel.
    using SheetEditor = std::function<bool(QWidget*, const std::vector<std::string>&, RoseSettings&, RoseDrawing&)>;

    /// Width kept for the table at the right edge (more when long runs need it).
    static constexpr int kTableWidth = 145;

    HistoricWindroseWindow(QWidget* parent, UserInterface& ui, RangeChooser chooser);

    /// "Open...": the range dialog, loading, then the sheet. False when the window holds no data.
    bool Open();
    /// Loads a period ("Unable to open file" when nothing opens); true when lines were kept.
    bool Load(const HistoricRangeChoice& choice);
    /// "Properties...": the sheet, then Apply on OK.
    void EditProperties();
    /// Computes the rose, rebuilds the table, shows or hides it, selects "Total" and repaints.
    void Apply();

    RoseSettings& Settings() { return settings_; }
    RoseDrawing& Drawing() { return drawing_; }
    const RoseResult& Rose() const { return rose_; }
    const HistoricLog& Log() const { return log_; }
    const std::string& Heading() const { return heading_; }
    QTableWidget* Table() const { return table_; }
    QWidget* Canvas() const { return canvas_; }

    void SetSheetEditor(SheetEditor editor) { sheetEditor_ = std::move(editor); }

    /// The canvas's picture onto the clipboard (a moment later, once menus have closed).
    void CopyToClipboard();
    void Print();

    /// Draws the rose as the window shows it (background, rings, spokes, heading, petals).
    void PaintRose(QPainter& painter, const QRect& area) const;

private:
    void RebuildTable();
    void PlaceTable();

    UserInterface& ui_;
    RangeChooser chooser_;
    SheetEditor sheetEditor_;
    HistoricLog log_;
    std::string heading_;
    RoseSettings settings_;
    RoseDrawing drawing_;
    RoseResult rose_;
    Dib bitmap_;
    QWidget* canvas_;
    QTableWidget* table_;
};

}  // namespace svu
