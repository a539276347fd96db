// The view's commands: adding items, page switching, the screen image, printing, the context
// menu of the page background, panning, the layout lock and the acquisition state.

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCursor>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>

#include "Version.h"
#include "app/AddItemDialog.h"
#include "app/CStratavueView.h"
#include "app/PageSwitchingDialog.h"
#include "gadgets/GadgetKinds.h"
#include "pages/GadgetSheetRegistry.h"

namespace svu {

namespace {

constexpr int kDeferMs = 1;
constexpr int kKeyboardMenuOffset = 5;
// A file may hold any interval; the timer never runs faster than this.
constexpr int kMinimumSwitchMs = 1000;

}  // namespace

// ---- Adding items ----

void CStratavueView::AddDisplayItem() {
    // The mouse position at the moment of the command, kept inside the client area.
    QPoint at = viewport()->mapFromGlobal(QCursor::pos());
    at.setX(std::clamp(at.x(), 0, std::max(0, viewport()->width() - 1)));
    at.setY(std::clamp(at.y(), 0, std::max(0, viewport()->height() - 1)));
    ChooseAndAdd(at);
}

void CStratavueView::ChooseAndAdd(const QPoint& at) {
    if (LayoutLocked() || AcquisitionRunning()) {
        return;
    }
    AddItemDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    AddDisplayItemAt(dialog.Selected(), at);
}

Gadget* CStratavueView::AddDisplayItemAt(int typeCode, const QPoint& at) {
    const GadgetKind* kind = FindGadgetKind(typeCode);
    if (kind == nullptr) {
        return nullptr;
    }
    std::string error;
    std::unique_ptr<Gadget> gadget = CreateGadget(typeCode, &error);
    if (!gadget) {
        if (ui_ != nullptr) {
            ui_->MessageBox(error, kProductName, MsgButtons::Ok, MsgIcon::Warning);
        }
        return nullptr;
    }
    // Page coordinates, so an item added while the page is scrolled appears where it was asked for.
    const QPoint topLeft = at + ScrollPosition();
    gadget->rect = {topLeft.x(), topLeft.y(), topLeft.x() + kind->width, topLeft.y() + kind->height};
    gadget->page = doc_.currentPage;
    GadgetSheetRegistry::Instance().Edit(this, *gadget);  // whatever the sheet returns, the item is added
    Gadget& added = doc_.AddGadget(std::move(gadget));
    RecalcLayout();
    return &added;
}

// ---- Page switching ----

void CStratavueView::PageSwitchingDialog() {
    svu::PageSwitchingDialog dialog(doc_.switchEnabled != 0,
                                    QString::fromStdString(CStratavueDoc::FormatPageNumbers(doc_.switchSequence)),
                                    std::clamp(doc_.switchInterval / 1000, 1, 3600), this);
    if (dialog.exec() == QDialog::Accepted) {
        ApplyPageSwitching(dialog.Enabled(), dialog.PageNumbers(), dialog.Seconds());
    }
}

void CStratavueView::ApplyPageSwitching(bool enable, const QString& pageNumbers, int seconds) {
    switchTimer_.stop();
    doc_.switchEnabled = enable ? 1 : 0;
    doc_.switchInterval = std::clamp(seconds, 1, 3600) * 1000;
    doc_.switchSequence = CStratavueDoc::ParsePageNumbers(pageNumbers.toStdString());
    if (AcquisitionRunning()) {
        StartPageSwitching();
    }
    doc_.SetModifiedFlag();
}

void CStratavueView::StartPageSwitching() {
    switchTimer_.stop();
    if (doc_.switchEnabled == 0 || doc_.switchSequence.empty()) {
        return;
    }
    doc_.switchPosition = 0;
    doc_.SetCurrentPage(static_cast<int>(doc_.switchSequence.front()));
    ShowCurrentPage();
    switchTimer_.start(std::max(doc_.switchInterval, kMinimumSwitchMs));
}

void CStratavueView::StopPageSwitching() {
    switchTimer_.stop();
}

void CStratavueView::NextSwitchPage() {
    const auto& sequence = doc_.switchSequence;
    if (sequence.empty()) {
        switchTimer_.stop();
        return;
    }
    ++doc_.switchPosition;
    if (doc_.switchPosition < 0 || static_cast<size_t>(doc_.switchPosition) >= sequence.size()) {
        doc_.switchPosition = 0;
    }
    doc_.SetCurrentPage(static_cast<int>(sequence[static_cast<size_t>(doc_.switchPosition)]));
    ShowCurrentPage();
}

// ---- Screen image, clipboard, printing ----

bool CStratavueView::SaveScreenImage(const QString& path, QString* error) {
    Dib dib;
    if (!dib.SetImage(ScreenImage()) || !dib.Save(path)) {
        if (error != nullptr) {
            *error = "Unable to write " + path;
        }
        return false;
    }
    return true;
}

void CStratavueView::SaveScreenAsBitmap() {
    // Deferred so the menu has closed before the picture is taken.
    QTimer::singleShot(kDeferMs, this, [this] {
        Dib dib;
        dib.SetImage(ScreenImage());
        QFileDialog dialog(this, QString(), QString(), QStringLiteral("Bitmap Files (*.bmp)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The dialog adds the suffix itself, so the name it asks about replacing is the one written.
        dialog.setDefaultSuffix(QStringLiteral("bmp"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return;
        }
        QString path = dialog.selectedFiles().front();
        if (QFileInfo(path).suffix().isEmpty()) {
            // A desktop's own dialog may return the name as typed: ask here what it could not.
            path += QStringLiteral(".bmp");
            if (QFileInfo::exists(path) &&
                QMessageBox::question(this, kProductName, QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                                              .arg(QFileInfo(path).fileName())) != QMessageBox::Yes) {
                return;
            }
        }
        if (!dib.Save(path)) {
            QMessageBox::warning(this, kProductName, "Unable to write " + path);
        }
    });
}

void CStratavueView::CopyToClipboard() {
    QApplication::clipboard()->setImage(ScreenImage());
}

void CStratavueView::Print() {
    QTimer::singleShot(kDeferMs, this, [this] { DoPrint(PrintMode::Dialog); });
}

void CStratavueView::PrintDirect() {
    QTimer::singleShot(kDeferMs, this, [this] { DoPrint(PrintMode::Direct); });
}

void CStratavueView::PrintPreview() {
    QTimer::singleShot(kDeferMs, this, [this] { DoPrint(PrintMode::Preview); });
}

void CStratavueView::PrintSetup() {
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

QPrinter& CStratavueView::Printer() {
    // One printer for the whole session, so that the setup chosen holds for every print.
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void CStratavueView::DoPrint(PrintMode mode) {
    printImage_ = ScreenImage();
    QPrinter& printer = Printer();
    printer.setFromTo(1, 1);  // one page: the view's image
    auto paint = [this](QPrinter* target) {
        QPainter painter;
        if (!painter.begin(target)) {
            return false;
        }
        const QRect page = painter.viewport();
        QSize size = printImage_.size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(page.topLeft(), size), printImage_);
        return true;
    };
    if (mode == PrintMode::Preview) {
        QPrintPreviewDialog dialog(&printer, this);
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* target) { paint(target); });
        dialog.exec();
    } else if (mode == PrintMode::Direct) {
        if (!paint(&printer)) {
            QMessageBox::warning(this, kProductName,
                                 QStringLiteral("Unable to print: no printer is set up. Choose one with Print Setup."));
        }
    } else {
        QPrintDialog dialog(&printer, this);
        dialog.setMinMax(1, 1);
        if (dialog.exec() == QDialog::Accepted) {
            paint(&printer);
        }
    }
    printImage_ = QImage();
}

// ---- Layout lock and acquisition ----

void CStratavueView::SetLayoutLocked(bool locked) {
    layoutLocked_ = locked;
}

void CStratavueView::SetAcquisitionRunning(bool running) {
    acquisitionRunning_ = running;
    doc_.SetRunning(running);
    if (running) {
        StartPageSwitching();
    } else {
        StopPageSwitching();
    }
}

// ---- The document's commands ----

void CStratavueView::BackgroundColour(PageColour which) {
    if (!LayoutLocked() && !AcquisitionRunning()) {
        doc_.CommandBackgroundColour(this, which);
    }
}

void CStratavueView::RenamePages() {
    doc_.CommandRenamePages(this);
}

void CStratavueView::BackgroundBitmap() {
    if (!LayoutLocked() && !AcquisitionRunning()) {
        doc_.CommandBackgroundBitmap(this);
    }
}

void CStratavueView::CopyPageElements() {
    if (!LayoutLocked() && !AcquisitionRunning()) {
        doc_.CommandCopyPageElements(this);
    }
}

// ---- Context menu and panning ----

void CStratavueView::contextMenuEvent(QContextMenuEvent* event) {
    const bool keyboard = event->reason() == QContextMenuEvent::Keyboard;
    const QPoint local =
        keyboard ? QPoint(kKeyboardMenuOffset, kKeyboardMenuOffset) : viewport()->mapFromGlobal(event->globalPos());
    QMenu menu(this);
    QAction* add = menu.addAction("&Add...");
    menu.addAction("&Copy")->setEnabled(false);
    QAction* copyAll = menu.addAction("Copy a&ll...");
    menu.addAction("&Delete...")->setEnabled(false);
    menu.addAction("&Properties...")->setEnabled(false);
    QMenu* colours = menu.addMenu("Background &colour");
    QAction* normal = colours->addAction("&Normal &colour...");
    QAction* alert = colours->addAction("A&lert colour...");
    QAction* alarm = colours->addAction("&Alarm colour...");
    QAction* bitmap = menu.addAction("Background &bitmap...");
    const bool editable = !LayoutLocked() && !AcquisitionRunning();
    for (QAction* action : {add, copyAll, normal, alert, alarm, bitmap}) {
        action->setEnabled(editable);
    }
    QAction* chosen = menu.exec(viewport()->mapToGlobal(local));
    if (chosen == add) {
        ChooseAndAdd(local);
    } else if (chosen == copyAll) {
        CopyPageElements();
    } else if (chosen == normal) {
        BackgroundColour(PageColour::Normal);
    } else if (chosen == alert) {
        BackgroundColour(PageColour::Alert);
    } else if (chosen == alarm) {
        BackgroundColour(PageColour::Alarm);
    } else if (chosen == bitmap) {
        BackgroundBitmap();
    }
}

bool CStratavueView::Panning() const {
    const size_t page = static_cast<size_t>(std::clamp(doc_.currentPage, 1, CStratavueDoc::kPageCount) - 1);
    return doc_.showBitmap[page] != 0 && doc_.bitmapMode[page] == 2 && !doc_.bitmap[page].IsEmpty();
}

void CStratavueView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && Panning()) {
        panning_ = true;
        panLast_ = event->globalPosition().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
        return;
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CStratavueView::mouseMoveEvent(QMouseEvent* event) {
    if (!panning_) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    // The page follows the mouse.
    const QPoint mouse = event->globalPosition().toPoint();
    const QPoint delta = mouse - panLast_;
    panLast_ = mouse;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - delta.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() - delta.y());
}

void CStratavueView::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_ && event->button() == Qt::LeftButton) {
        panning_ = false;
        viewport()->unsetCursor();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

}  // namespace svu
