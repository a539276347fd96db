#include "app/HistoricGraphWindow.h"

#include <QApplication>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>
#include <QStatusBar>
#include <cmath>

#include "app/HistoricSupport.h"
#include "framework/UserInterface.h"
#include "gadgets/Chart2D.h"
#include "pages/HistoricPages.h"

namespace svu {

namespace {

constexpr int kChartTop = 2;
constexpr double kDirectionMaximum = 720.0;

QColor FromColourRef(uint32_t colour) {
    return QColor(static_cast<int>(colour & 0xff), static_cast<int>((colour >> 8) & 0xff),
                  static_cast<int>((colour >> 16) & 0xff));
}

// The client area: a black line along y = 1 and a grey one along y = 0 above the chart, which
// fills the rest and follows the size.
class GraphArea : public QWidget {
public:
    explicit GraphArea(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
    void SetChart(QWidget* chart) { chart_ = chart; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QColor(128, 128, 128));
        painter.drawLine(0, 0, width(), 0);
        painter.setPen(Qt::black);
        painter.drawLine(0, 1, width(), 1);
    }
    void resizeEvent(QResizeEvent* event) override {
        if (chart_ != nullptr) {
            chart_->setGeometry(0, kChartTop, event->size().width(), std::max(0, event->size().height() - kChartTop));
        }
    }

private:
    QWidget* chart_ = nullptr;
};

}  // namespace

HistoricGraphWindow::HistoricGraphWindow(QWidget* parent, UserInterface& ui, RangeChooser chooser)
    : QMainWindow(parent), ui_(ui), chooser_(std::move(chooser)) {
    setWindowTitle(tr("Historic Graph"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("x-office-spreadsheet")));
    setAttribute(Qt::WA_DeleteOnClose);
    traces_ = {HistoricTrace::Default(0), HistoricTrace::Default(1)};
    traceEditor_ = [](QWidget* owner, const std::vector<std::string>& names, std::array<HistoricTrace, 2>& traces) {
        return EditHistoricTraces(owner, names, traces);
    };
    auto* area = new GraphArea(this);
    area_ = area;
    chart_ = new Chart2D(area_);
    area->SetChart(chart_);
    setCentralWidget(area_);
    QFont header(QStringLiteral("Arial"));
    header.setBold(true);
    header.setPixelSize(12);
    chart_->SetHeaderFont(header);
    chart_->SetBackgroundColour(QColor(192, 192, 192));
    chart_->SetZoomEnabled(true);
    connect(chart_, &Chart2D::MouseReleased, this, &HistoricGraphWindow::OnChartRelease);
    CreateMenus();
    resize(800, 500);
}

HistoricGraphWindow::~HistoricGraphWindow() = default;

void HistoricGraphWindow::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), this, [this] {
        if (!Open() && !log_.HaveData()) {
            close();
        }
    });
    file->addAction(tr("&Print..."), this, &HistoricGraphWindow::Print);
    file->addAction(tr("P&rint Setup..."), this, [this] { HistoricPrintSetup(this); });
    file->addSeparator();
    file->addAction(tr("&Close"), this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Copy"), this, &HistoricGraphWindow::CopyToClipboard)->setShortcut(QKeySequence::Copy);
    edit->addAction(tr("&Properties..."), this, &HistoricGraphWindow::EditProperties);
}

bool HistoricGraphWindow::Open() {
    HistoricRangeChoice choice;
    if (!chooser_ || !chooser_(choice) || !Load(choice)) {
        return false;
    }
    traceEditor_(this, log_.channelNames, traces_);
    BuildChart();
    return true;
}

bool HistoricGraphWindow::Load(const HistoricRangeChoice& choice) {
    ui_.BeginWaitCursor();
    const HistoricLoadStatus status = LoadHistoricRange(choice.source, choice.from, choice.to, log_);
    ui_.EndWaitCursor();
    traces_ = {HistoricTrace::Default(0), HistoricTrace::Default(1)};
    heading_ = HistoricHeading(choice.source.Name(), choice.from, choice.to);
    chart_->SetHeader(QString::fromStdString(heading_));
    if (status == HistoricLoadStatus::UnableToOpen) {
        ShowHistoricMessage(ui_, kUnableToOpenFile);
        return false;
    }
    if (status == HistoricLoadStatus::NoData) {
        ShowHistoricMessage(ui_, kNoDataInRange);
        return false;
    }
    return true;
}

void HistoricGraphWindow::EditProperties() {
    if (traceEditor_(this, log_.channelNames, traces_)) {
        BuildChart();
    }
}

void HistoricGraphWindow::ConfigureAxis(int axis, const HistoricTrace& trace) {
    const ChartAxis which = axis == 0 ? ChartAxis::Y1 : ChartAxis::Y2;
    chart_->SetAxisTitle(which, QString::fromStdString(trace.channelName));
    chart_->ClearValueLabels(which);
    if (trace.windDirection) {
        chart_->SetAxisRange(which, 0.0, kDirectionMaximum);
        static constexpr const char* kPoints[] = {"N", "E", "S", "W"};
        for (int k = 0; k <= 8; ++k) {
            chart_->AddValueLabel(which, k * 90.0, QString::fromLatin1(kPoints[k % 4]));
        }
    } else if (trace.autoRange) {
        chart_->SetAxisAuto(which);
    } else {
        chart_->SetAxisRange(which, trace.minimum, trace.maximum);
    }
}

void HistoricGraphWindow::BuildChart() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    chart_->SetRepaint(false);
    chart_->ClearData(ChartAxis::Y1);
    chart_->ClearData(ChartAxis::Y2);
    chart_->SetSecondAxisShown(traces_[1].channel >= 0);
    const int unit = HistoricTimeUnit(log_);
    chart_->SetTimeUnit(unit);
    chart_->SetTimeBase(log_.HaveData() ? log_.FirstTime() : 0);
    chart_->SetTimeAuto();
    for (int axis = 0; axis < 2; ++axis) {
        const HistoricTrace& trace = traces_[static_cast<std::size_t>(axis)];
        ConfigureAxis(axis, trace);
        if (trace.channel < 0) {
            continue;
        }
        const ChartAxis which = axis == 0 ? ChartAxis::Y1 : ChartAxis::Y2;
        TraceSeries series = BuildTraceSeries(log_, trace, unit);
        chart_->SetPoints(which, 0, std::move(series.x), std::move(series.y));
        chart_->SetLineColour(which, 0, FromColourRef(trace.colour));
    }
    chart_->SetHeader(QString::fromStdString(heading_));
    chart_->SetRepaint(true);
    QApplication::restoreOverrideCursor();
}

bool HistoricGraphWindow::TimeAt(const QPoint& chartPixel, TimeT& time) const {
    const ChartPosition position = chart_->MapPixel(chartPixel);
    if (!position.inPlot || !log_.HaveData()) {
        return false;
    }
    const int unit = HistoricTimeUnit(log_);
    time = log_.FirstTime() + static_cast<TimeT>(std::llround(position.x)) * unit;
    return true;
}

void HistoricGraphWindow::OnChartRelease(const QPoint& pixel, Qt::MouseButton button) {
    TimeT time = 0;
    if (button != Qt::RightButton || !TimeAt(pixel, time)) {
        return;
    }
    if (timeLookup_) {
        timeLookup_(time);
    } else {
        statusBar()->showMessage(QString::fromStdString(FormatUserTime(time) + " " + FormatUserDate(time)));
    }
}

void HistoricGraphWindow::CopyToClipboard() {
    chart_->CopyToClipboard();
}

void HistoricGraphWindow::Print() {
    PrintWidgetPicture(this, area_, windowTitle());
}

}  // namespace svu
