#include "app/CStratavueView.h"

#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>

#include "Version.h"
#include "framework/StartupTrace.h"
#include "framework/UserInterface.h"
#include "gadgets/GadgetKinds.h"
#include "pages/GadgetSheetRegistry.h"
#include "runtime/Runtime.h"
#include "stations/Alarm.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kCopyOffset = 20;
constexpr const char* kDeleteQuestion = "Are you sure you want to delete this display item?";

size_t PageIndex(int page) {
    return static_cast<size_t>(std::clamp(page, 1, CStratavueDoc::kPageCount) - 1);
}

}  // namespace

CStratavueView::CStratavueView(CStratavueDoc& doc, QWidget* parent) : QAbstractScrollArea(parent), doc_(doc) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    refreshTimer_.setSingleShot(true);  // re-armed at the end of each tick, so ticks never overlap
    connect(&refreshTimer_, &QTimer::timeout, this, &CStratavueView::RefreshTick);
    connect(&switchTimer_, &QTimer::timeout, this, &CStratavueView::NextSwitchPage);
    doc_.AddObserver(this);
}

CStratavueView::~CStratavueView() {
    doc_.RemoveObserver(this);
    if (runtime_ != nullptr) {
        runtime_->SetRewindHook({});
    }
}

void CStratavueView::SetRuntime(Runtime* runtime) {
    if (runtime_ != nullptr) {
        runtime_->SetRewindHook({});
    }
    runtime_ = runtime;
    if (runtime_ == nullptr) {
        return;
    }
    doc_.SetStations(&runtime_->Stations());
    // A replayed input started again (on a station thread): the items restart their history on
    // the GUI thread.
    runtime_->SetRewindHook([this](WeatherStation&) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                doc_.ResetHistory();
                viewport()->update();
            },
            Qt::QueuedConnection);
    });
}

void CStratavueView::InitialUpdate() {
    if (initialised_) {
        return;
    }
    initialised_ = true;
    SyncWindows();
    ShowCurrentPage();
    emit pageNamesChanged();
    refreshTimer_.start(kRefreshPeriodMs);
}

// ---- Windows of the items ----

GadgetWindow* CStratavueView::WindowOf(const Gadget& gadget) const {
    auto it = windows_.find(&gadget);
    return it == windows_.end() ? nullptr : it->second;
}

void CStratavueView::CreateWindowFor(Gadget& gadget) {
    auto* window = new GadgetWindow(gadget, *this, viewport());
    window->setObjectName(QString("gadget%1").arg(nextChildId_++));
    window->setVisible(gadget.page == doc_.currentPage);
    windows_[&gadget] = window;
}

void CStratavueView::SyncWindows() {
    // Windows whose item has gone: hidden now, destroyed once control is back in the event loop
    // (the item's own context menu may be the caller).
    for (auto it = windows_.begin(); it != windows_.end();) {
        const bool present =
            std::any_of(doc_.gadgets.begin(), doc_.gadgets.end(), [&](const auto& g) { return g.get() == it->first; });
        if (present) {
            ++it;
            continue;
        }
        it->second->hide();
        it->second->deleteLater();
        it = windows_.erase(it);
    }
    if (!initialised_) {
        return;
    }
    for (const auto& gadget : doc_.gadgets) {
        if (windows_.count(gadget.get()) == 0) {
            CreateWindowFor(*gadget);
        }
    }
}

void CStratavueView::PlaceWindows() {
    for (auto& [gadget, window] : windows_) {
        window->PlaceFromGadget();
    }
}

// ---- Pages ----

void CStratavueView::ShowPage(int page) {
    if (page < 1 || page > CStratavueDoc::kPageCount || page == doc_.currentPage) {
        return;
    }
    doc_.SetCurrentPage(page);
    ShowCurrentPage();
}

void CStratavueView::ShowCurrentPage() {
    viewport()->update();
    for (auto& [gadget, window] : windows_) {
        const bool shown = gadget->page == doc_.currentPage;
        window->setVisible(shown);
        if (shown) {
            window->update();
        }
    }
    RecalcLayout();
    emit pageShown(doc_.currentPage, QString::fromStdString(doc_.pageName[PageIndex(doc_.currentPage)]));
}

void CStratavueView::RecalcLayout() {
    const size_t page = PageIndex(doc_.currentPage);
    int width = 0;
    int height = 0;
    for (const auto& gadget : doc_.gadgets) {
        if (gadget->page == doc_.currentPage) {
            width = std::max(width, gadget->rect[2]);
            height = std::max(height, gadget->rect[3]);
        }
    }
    const bool hasBitmap = doc_.showBitmap[page] != 0 && !doc_.bitmap[page].IsEmpty();
    if (hasBitmap && doc_.bitmapMode[page] == 2) {
        width = std::max(width, static_cast<int>(doc_.bitmap[page].Width()));
        height = std::max(height, static_cast<int>(doc_.bitmap[page].Height()));
    }
    extent_ = QSize(width, height);
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, width - client.width()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    horizontalScrollBar()->setSingleStep(std::max(1, client.width() / 10));
    verticalScrollBar()->setRange(0, std::max(0, height - client.height()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    verticalScrollBar()->setSingleStep(std::max(1, client.height() / 10));
    if (hasBitmap && doc_.bitmapMode[page] == 3 && client != lastClientSize_) {
        viewport()->update();
    }
    lastClientSize_ = client;
}

QPoint CStratavueView::ScrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CStratavueView::scrollContentsBy(int, int) {
    PlaceWindows();
    viewport()->update();  // the background depends on the scroll position
}

void CStratavueView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RecalcLayout();
}

// ---- Background ----

AlarmState CStratavueView::CurrentAlarmState() const {
    if (runtime_ == nullptr) {
        return AlarmState::Normal;
    }
    bool alert = false;
    for (const auto& station : runtime_->Stations()) {
        if (station->active == 0) {
            continue;
        }
        std::lock_guard guard(station->lock);
        for (const auto& alarm : station->alarms) {
            if (alarm->enabled == 0 || alarm->triggered == 0) {
                continue;
            }
            if (alarm->IsAlarm()) {
                return AlarmState::Alarm;
            }
            alert = true;
        }
    }
    return alert ? AlarmState::Alert : AlarmState::Normal;
}

uint32_t CStratavueView::CurrentBackgroundColour() const {
    switch (CurrentAlarmState()) {
        case AlarmState::Alarm:
            return doc_.Colour(doc_.currentPage, PageColour::Alarm);
        case AlarmState::Alert:
            return doc_.Colour(doc_.currentPage, PageColour::Alert);
        case AlarmState::Normal:
            break;
    }
    return doc_.Colour(doc_.currentPage, PageColour::Normal);
}

void CStratavueView::PaintBackground(QPainter& painter, const QRect& area, const QPoint& scroll, const QSize& client) {
    const size_t page = PageIndex(doc_.currentPage);
    const QColor colour = ColourFromRef(CurrentBackgroundColour());
    const Dib& dib = doc_.bitmap[page];
    if (doc_.showBitmap[page] == 0 || dib.IsEmpty() || dib.Image().isNull()) {
        painter.fillRect(area, colour);
        return;
    }
    const QSize pageArea(std::max(extent_.width(), client.width()), std::max(extent_.height(), client.height()));
    const QSize size(static_cast<int>(dib.Width()), static_cast<int>(dib.Height()));
    const QRect source(QPoint(0, 0), size);
    switch (doc_.bitmapMode[page]) {
        case 1: {  // tile from the page origin
            painter.save();
            painter.setBrushOrigin(-scroll);
            painter.fillRect(area, QBrush(dib.Image()));
            painter.restore();
            return;
        }
        case 2:  // top left
            painter.fillRect(area, colour);
            dib.Paint(painter, QRect(-scroll, size), source);
            return;
        case 3:  // stretched over the client area
            dib.Paint(painter, QRect(QPoint(0, 0), client), source);
            return;
        default: {  // centred in the page area
            painter.fillRect(area, colour);
            const QPoint origin((pageArea.width() - size.width()) / 2, (pageArea.height() - size.height()) / 2);
            dib.Paint(painter, QRect(origin - scroll, size), source);
            return;
        }
    }
}

void CStratavueView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    PaintBackground(painter, event->rect(), ScrollPosition(), viewport()->size());
    static std::atomic<bool> painted{false};
    TraceStartup(painted, "first painted page");
}

void CStratavueView::RenderPage(QPainter& painter, const QSize& size) {
    PaintBackground(painter, QRect(QPoint(0, 0), size), QPoint(0, 0), size);
    // Items in reverse list order, so the front of the list ends on top as the windows do.
    for (auto it = doc_.gadgets.rbegin(); it != doc_.gadgets.rend(); ++it) {
        Gadget& gadget = **it;
        if (gadget.page != doc_.currentPage) {
            continue;
        }
        const QRect window = gadget.Rect();
        painter.save();
        painter.translate(window.topLeft());
        const QRect local(QPoint(0, 0), window.size());
        gadget.PaintBorder(painter, local);
        const QRect client =
            local.adjusted(kGadgetFrameWidth, kGadgetFrameWidth, -kGadgetFrameWidth, -kGadgetFrameWidth);
        if (!client.isEmpty()) {
            painter.setClipRect(client);
            painter.translate(client.topLeft());
            gadget.Paint(painter, QRect(QPoint(0, 0), client.size()));
        }
        painter.restore();
    }
}

QImage CStratavueView::ScreenImage() {
    return viewport()->grab().toImage();
}

// ---- The refresh cycle ----

void CStratavueView::RefreshTick() {
    RefreshResult result;
    bool someEnabled = false;
    if (runtime_ != nullptr) {
        result = runtime_->Refresh();
        for (const auto& station : runtime_->Stations()) {
            if (station->active != 0) {
                someEnabled = true;
                break;
            }
        }
    }
    const bool running = AcquisitionRunning();
    // Every item of every page, so a page shows current values the moment it is shown.
    for (const auto& gadget : doc_.gadgets) {
        const GadgetKind* kind = FindGadgetKind(gadget->typeCode);
        const RefreshPolicy policy = kind != nullptr ? kind->refresh : RefreshPolicy::WhileRunning;
        const bool due =
            policy == RefreshPolicy::EveryTick || (policy == RefreshPolicy::WhileRunning && running && someEnabled);
        if (due && gadget->UpdateFromChannels()) {
            if (GadgetWindow* window = WindowOf(*gadget)) {
                window->update();
            }
        }
    }
    const AlarmState state = CurrentAlarmState();
    if (state != shownState_) {
        shownState_ = state;
        viewport()->update();
    }
    emit refreshed(result.alertsChanged);
    if (initialised_) {
        refreshTimer_.start(kRefreshPeriodMs);
    }
}

// ---- GadgetHost ----

bool CStratavueView::AcquisitionRunning() const {
    return acquisitionRunning_ || (runtime_ != nullptr && runtime_->AcquisitionRunning());
}

void CStratavueView::GadgetMoved(Gadget&) {
    doc_.SetModifiedFlag();
    RecalcLayout();
}

MsgResult CStratavueView::Ask(const std::string& text, MsgButtons buttons, int defaultButton) {
    if (ui_ != nullptr) {
        return ui_->MessageBox(text, kProductName, buttons, MsgIcon::Question, defaultButton);
    }
    const auto answer = QMessageBox::question(this, kProductName, QString::fromStdString(text),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    return answer == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
}

void CStratavueView::DeleteGadget(Gadget& gadget) {
    if (LayoutLocked() || AcquisitionRunning()) {
        return;
    }
    if (Ask(kDeleteQuestion, MsgButtons::YesNo, 2) != MsgResult::Yes) {
        return;
    }
    std::unique_ptr<Gadget> removed = doc_.RemoveGadget(gadget);  // its window goes with it
    RecalcLayout();
}

void CStratavueView::CopyGadget(Gadget& gadget) {
    if (LayoutLocked() || AcquisitionRunning()) {
        return;
    }
    std::unique_ptr<Gadget> copy = gadget.Clone();
    if (!copy) {
        return;
    }
    copy->OffsetRect(kCopyOffset, kCopyOffset);
    doc_.AddGadget(std::move(copy));
    RecalcLayout();
}

void CStratavueView::EditGadgetProperties(Gadget& gadget) {
    if (LayoutLocked() || AcquisitionRunning()) {
        return;
    }
    if (GadgetSheetRegistry::Instance().Edit(this, gadget)) {
        doc_.SetModifiedFlag();
        if (GadgetWindow* window = WindowOf(gadget)) {
            window->PlaceFromGadget();
        }
        ShowCurrentPage();  // the item may have moved to another page
    }
    if (GadgetWindow* window = WindowOf(gadget)) {
        window->update();
    }
}

// ---- CStratavueDoc::Observer ----

void CStratavueView::DocumentReset() {
    for (auto& [gadget, window] : windows_) {
        window->hide();
        window->deleteLater();
    }
    windows_.clear();
    if (!initialised_) {
        return;
    }
    SyncWindows();
    ShowCurrentPage();
    emit pageNamesChanged();
}

void CStratavueView::GadgetsChanged() {
    SyncWindows();
    RecalcLayout();
}

void CStratavueView::PagesRenamed() {
    emit pageNamesChanged();
    emit pageShown(doc_.currentPage, QString::fromStdString(doc_.pageName[PageIndex(doc_.currentPage)]));
}

void CStratavueView::BackgroundChanged() {
    RecalcLayout();
    viewport()->update();
}

void CStratavueView::ModifiedChanged(bool modified) {
    emit modifiedChanged(modified);
}

}  // namespace svu
