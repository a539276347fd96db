#include "app/HistoricWindroseWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMenuBar>
#include <QPainter>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/HistoricSupport.h"
#include "framework/UserInterface.h"
#include "pages/HistoricPages.h"

namespace svu {

namespace {

constexpr double kDegreesToRadians = 0.01745329252;
constexpr double kSectorDegrees = 22.5;
constexpr int kSectorColumn = 45;
constexpr int kRunColumn = 55;
constexpr int kPercentColumn = 40;
constexpr int kCellMargin = 10;

QColor FromColourRef(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xff), static_cast<int>((colour >> 8) & 0xff),
                  static_cast<int>((colour >> 16) & 0xff));
}

// The window's client area: it draws the rose and keeps the table at its right edge.
class RoseCanvas : public QWidget {
public:
    RoseCanvas(HistoricWindroseWindow& window, QWidget* parent) : QWidget(parent), window_(window) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        window_.PaintRose(painter, rect());
    }
    void resizeEvent(QResizeEvent*) override {
        if (QWidget* table = window_.Table()) {
            table->move(width() - table->width(), table->y());
        }
    }

private:
    HistoricWindroseWindow& window_;
};

}  // namespace

HistoricWindroseWindow::HistoricWindroseWindow(QWidget* parent, UserInterface& ui, RangeChooser chooser)
    : QMainWindow(parent), ui_(ui), chooser_(std::move(chooser)) {
    setWindowTitle(tr("Historic Windrose"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("weather-windy")));
    setAttribute(Qt::WA_DeleteOnClose);
    sheetEditor_ = [](QWidget* owner, const std::vector<std::string>& names, RoseSettings& settings,
                      RoseDrawing& drawing) { return EditHistoricWindrose(owner, names, settings, drawing); };
    table_ = nullptr;
    canvas_ = new RoseCanvas(*this, this);
    setCentralWidget(canvas_);
    table_ = new QTableWidget(kRoseSectors + 1, 3, canvas_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    table_->setColumnWidth(0, kSectorColumn);
    table_->setColumnWidth(1, kRunColumn);
    table_->setColumnWidth(2, kPercentColumn);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int height = table_->horizontalHeader()->sizeHint().height() +
                       (kRoseSectors + 1) * table_->verticalHeader()->defaultSectionSize() + 2 * table_->frameWidth();
    table_->setGeometry(0, 2, kTableWidth, height);
    RebuildTable();

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), this, [this] {
        if (!Open() && !log_.HaveData()) {
            close();
        }
    });
    file->addAction(tr("&Print..."), this, &HistoricWindroseWindow::Print);
    file->addAction(tr("P&rint Setup..."), this, [this] { HistoricPrintSetup(this); });
    file->addSeparator();
    file->addAction(tr("&Close"), this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Copy"), this, &HistoricWindroseWindow::CopyToClipboard)->setShortcut(QKeySequence::Copy);
    edit->addAction(tr("&Properties..."), this, &HistoricWindroseWindow::EditProperties);
    resize(620, 460);
}

bool HistoricWindroseWindow::Open() {
    HistoricRangeChoice choice;
    if (!chooser_ || !chooser_(choice) || !Load(choice)) {
        return false;
    }
    EditProperties();
    return true;
}

bool HistoricWindroseWindow::Load(const HistoricRangeChoice& choice) {
    ui_.BeginWaitCursor();
    const HistoricLoadStatus status = LoadHistoricRange(choice.source, choice.from, choice.to, log_);
    ui_.EndWaitCursor();
    heading_ = HistoricHeading(choice.source.Name(), choice.from, choice.to);
    // Channel choices persist between loads unless the new file has fewer channels.
    const int count = static_cast<int>(log_.channelNames.size());
    if (settings_.directionChannel >= count) {
        settings_.directionChannel = -1;
    }
    if (settings_.speedChannel >= count) {
        settings_.speedChannel = -1;
    }
    if (status == HistoricLoadStatus::UnableToOpen) {
        ShowHistoricMessage(ui_, kUnableToOpenFile);
    } else if (status == HistoricLoadStatus::NoData) {
        ShowHistoricMessage(ui_, kNoDataInRange);
    }
    Apply();
    return status == HistoricLoadStatus::Ok;
}

void HistoricWindroseWindow::EditProperties() {
    if (sheetEditor_(this, log_.channelNames, settings_, drawing_)) {
        bitmap_.Free();
        if (drawing_.displayBitmap) {
            bitmap_.Load(drawing_.bitmapFile);
        }
        Apply();
    }
}

void HistoricWindroseWindow::Apply() {
    rose_ = ComputeRose(log_, settings_);
    RebuildTable();
    table_->setVisible(drawing_.displayTable);
    table_->selectRow(kRoseSectors);
    canvas_->update();
}

void HistoricWindroseWindow::RebuildTable() {
    table_->setHorizontalHeaderLabels({tr("Sector"), QString::fromLatin1(RoseRunUnitHeading(settings_.displayAs)),
                                       QStringLiteral("%")});
    for (int row = 0; row <= kRoseSectors; ++row) {
        const RoseTableRow texts = RoseTableRowText(rose_, row);
        const std::string* cells[] = {&texts.sector, &texts.run, &texts.percent};
        for (int column = 0; column < 3; ++column) {
            table_->setItem(row, column, new QTableWidgetItem(QString::fromStdString(*cells[column])));
        }
    }
    // The classic widths, the run column wider when a long period's runs need it to show whole.
    const QFontMetrics metrics(table_->font());
    int runWidth = kRunColumn;
    for (int row = 0; row <= kRoseSectors; ++row) {
        runWidth = std::max(runWidth, metrics.horizontalAdvance(table_->item(row, 1)->text()) + kCellMargin);
    }
    table_->setColumnWidth(1, runWidth);
    const int width = std::max(kTableWidth, kSectorColumn + runWidth + kPercentColumn + 2 * table_->frameWidth() + 3);
    table_->setGeometry(canvas_->width() - width, table_->y(), width, table_->height());
}

void HistoricWindroseWindow::PaintRose(QPainter& painter, const QRect& area) const {
    const QImage& picture = bitmap_.Image();
    const bool withBitmap = drawing_.displayBitmap && !picture.isNull();
    painter.fillRect(area, QColor(192, 192, 192));
    if (withBitmap) {
        painter.drawImage(0, 0, picture);
    }
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(0, 0, area.width(), 0);
    painter.setPen(Qt::black);
    painter.drawLine(0, 1, area.width(), 1);

    const QPoint origin(drawing_.originX, drawing_.originY);
    const int radius = drawing_.radius;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(FromColourRef(drawing_.roseColour), 1));
    painter.drawEllipse(origin, radius, radius);
    for (int ring = drawing_.step; drawing_.step > 0 && ring < radius; ring += drawing_.step) {
        painter.drawEllipse(origin, ring, ring);
    }
    for (int s = 0; s < kRoseSectors; ++s) {
        const double a = (s + 0.5) * kSectorDegrees * kDegreesToRadians;
        painter.drawLine(origin, QPoint(origin.x() + static_cast<int>(radius * std::sin(a) - 0.5),
                                        origin.y() + static_cast<int>(radius * std::cos(a) - 0.5)));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, area.width(), painter.fontMetrics().height()), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromStdString(heading_));

    const float largest = rose_.Largest();
    if (largest <= 0.0f) {
        return;  // nothing to scale the petals by
    }
    painter.setPen(QPen(FromColourRef(drawing_.fillColour), 1));
    painter.setBrush(FromColourRef(drawing_.fillColour));
    for (int s = 0; s < kRoseSectors; ++s) {
        const int r = static_cast<int>(std::lround(rose_.run[static_cast<std::size_t>(s)] * radius / largest));
        if (r <= 0) {
            continue;
        }
        // Compass bearings run clockwise from north; Qt's angles counter-clockwise from east.
        const double start = 90.0 - (s + 0.5) * kSectorDegrees;
        painter.drawPie(QRect(origin.x() - r, origin.y() - r, 2 * r, 2 * r), static_cast<int>(std::lround(start * 16)),
                        static_cast<int>(kSectorDegrees * 16));
    }
}

void HistoricWindroseWindow::CopyToClipboard() {
    // A moment later, so that the menu that chose "Copy" has gone from the picture.
    QTimer::singleShot(1, this, [this] { QApplication::clipboard()->setImage(canvas_->grab().toImage()); });
}

void HistoricWindroseWindow::Print() {
    PrintWidgetPicture(this, canvas_, windowTitle());
}

}  // namespace svu
