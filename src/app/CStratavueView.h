#pragma once

// The one view of the display document: a scrolling page showing the items of the current page
// over the page background (its colour by alarm state, an optional bitmap), the item windows,
// automatic page switching, the screen image (save, clipboard, print), the layout lock, panning,
// "Add display item" and the 10 ms refresh cycle that drives the runtime and the items.
//
// The main frame owns the view (as its central widget), the document and the runtime. Wiring:
//   view->SetRuntime(&runtime); view->SetUserInterface(ui); view->SetLayoutLocked(locked);
//   then InitialUpdate() once the window is shown (it starts the refresh timer).
// Menu commands call the public slots; the view reports through its signals.

#include <QAbstractScrollArea>
#include <QPoint>
#include <QSize>
#include <QTimer>
#include <map>
#include <memory>

#include "app/CStratavueDoc.h"
#include "framework/UserInterface.h"
#include "gadgets/GadgetWindow.h"

class QPainter;
class QPrinter;

namespace svu {

class Runtime;

/// The background state of the stations' alarms.
enum class AlarmState { Normal, Alert, Alarm };

class CStratavueView : public QAbstractScrollArea, public GadgetHost, public CStratavueDoc::Observer {
    Q_OBJECT

public:
    static constexpr int kRefreshPeriodMs = 10;

    /// A view of `doc` (which must outlive it).
    explicit CStratavueView(CStratavueDoc& doc, QWidget* parent = nullptr);
    ~CStratavueView() override;

    CStratavueDoc& GetDocument() const { return doc_; }

    /// The runtime whose refresh steps each tick runs and whose stations the items and the
    /// background colour read (nullptr: none). Installs the runtime's rewind hook (items reset
    /// their history on the GUI thread).
    void SetRuntime(Runtime* runtime);
    /// Where the view's questions ("delete this display item?", 590, 591) go.
    void SetUserInterface(UserInterface& ui) { ui_ = &ui; }

    /// First showing: creates the item windows, shows the current page and starts the refresh
    /// timer (timer 1).
    void InitialUpdate();

    /// The alarm state the page background shows now: alarm beats alert beats normal.
    AlarmState CurrentAlarmState() const;
    /// The colour the current page's background has now.
    uint32_t CurrentBackgroundColour() const;

    /// The view's image (client area) as the screen shows it.
    QImage ScreenImage();
    /// Paints the current page (background and items) into `painter` at the given size, as
    /// the screen shows it without scrolling; used for images and printing.
    void RenderPage(QPainter& painter, const QSize& size);

    /// The window of an item, or nullptr.
    GadgetWindow* WindowOf(const Gadget& gadget) const;
    /// One refresh tick (timer 1), also callable directly: the runtime's steps, then the items.
    void RefreshTick();

    // ---- GadgetHost ----

    bool LayoutLocked() const override { return layoutLocked_; }
    bool AcquisitionRunning() const override;
    int CurrentPage() const override { return doc_.currentPage; }
    QPoint ScrollPosition() const override;
    void GadgetMoved(Gadget& gadget) override;
    void DeleteGadget(Gadget& gadget) override;
    void CopyGadget(Gadget& gadget) override;
    void EditGadgetProperties(Gadget& gadget) override;

    // ---- CStratavueDoc::Observer ----

    void DocumentReset() override;
    void GadgetsChanged() override;
    void PagesRenamed() override;
    void BackgroundChanged() override;
    void ModifiedChanged(bool modified) override;

public slots:
    /// Shows page `page` (1 to 8; 32804 to 32811) when it is not the current one.
    void ShowPage(int page);
    /// Re-shows the current page: item visibility, scroll extent, status text.
    void ShowCurrentPage();
    /// The scroll extent from the current page's items (and a top-left bitmap).
    void RecalcLayout();
    /// 32783: "Add Display Item" at the last context-menu (or mouse) position.
    void AddDisplayItem();
    /// Adds an item of kind `typeCode` at `at` (client coordinates) on the current page, with
    /// its property sheet first; nullptr when the kind is not available.
    Gadget* AddDisplayItemAt(int typeCode, const QPoint& at);
    /// 32815: the "Automatic page switching" dialog.
    void PageSwitchingDialog();
    /// Applies the dialog's values (the OK step): enable, "Page numbers:" text, seconds.
    void ApplyPageSwitching(bool enable, const QString& pageNumbers, int seconds);
    /// Starts timer 2 when switching is enabled with a sequence (first page shown at once).
    void StartPageSwitching();
    void StopPageSwitching();
    /// Timer 2: the next page of the sequence.
    void NextSwitchPage();
    /// 32833: asks for a file and saves the view's image as a bitmap (deferred, timer 5).
    void SaveScreenAsBitmap();
    /// Writes the view's image to a bitmap file; false with `error` when it cannot be written.
    bool SaveScreenImage(const QString& path, QString* error = nullptr);
    /// 57634: puts the view's image on the clipboard.
    void CopyToClipboard();
    /// 57607: prints the view's image (deferred, timer 4).
    void Print();
    /// 57608: prints the view's image on the current printer without a dialog (deferred).
    void PrintDirect();
    /// 57609: print preview of the view's image (deferred, timer 3).
    void PrintPreview();
    /// 57606: the printer, paper and orientation used by the print commands.
    void PrintSetup();
    /// The printer the print commands use (kept for the session).
    QPrinter& Printer();
    /// 32845's effect on the view (the frame stores the setting).
    void SetLayoutLocked(bool locked);
    /// Acquisition started or stopped: the items' running flag, page switching (timer 2).
    void SetAcquisitionRunning(bool running);
    /// The document's commands with dialogs, parented on the view.
    void BackgroundColour(PageColour which);
    void RenamePages();
    void BackgroundBitmap();
    void CopyPageElements();

signals:
    /// The page shown changed (status pane 1 shows the name; the page menu marks it).
    void pageShown(int page, const QString& name);
    /// The page names changed (the page menu lists them).
    void pageNamesChanged();
    /// One refresh tick ran the runtime's steps; `alertsChanged` when the alerts text was
    /// replaced (the frame shows it and starts the attention signal).
    void refreshed(bool alertsChanged);
    /// The document's modified flag changed.
    void modifiedChanged(bool modified);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    MsgResult Ask(const std::string& text, MsgButtons buttons, int defaultButton);
    void ChooseAndAdd(const QPoint& at);
    void PaintBackground(QPainter& painter, const QRect& area, const QPoint& scroll, const QSize& client);
    void CreateWindowFor(Gadget& gadget);
    void SyncWindows();
    void PlaceWindows();
    bool Panning() const;
    enum class PrintMode { Dialog, Direct, Preview };
    void DoPrint(PrintMode mode);

    CStratavueDoc& doc_;
    Runtime* runtime_ = nullptr;
    UserInterface* ui_ = nullptr;
    std::map<const Gadget*, GadgetWindow*> windows_;  // children; Qt owns them
    int nextChildId_ = 1;
    bool layoutLocked_ = false;
    bool acquisitionRunning_ = false;
    bool initialised_ = false;
    AlarmState shownState_ = AlarmState::Normal;
    QSize extent_;
    QSize lastClientSize_;
    bool panning_ = false;
    QPoint panLast_;
    QTimer refreshTimer_;  // timer 1
    QTimer switchTimer_;   // timer 2
    QImage printImage_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace svu
