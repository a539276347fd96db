#include "app/HistoricTableWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenuBar>
#include <QTableView>
#include <algorithm>
#include <vector>

#include "app/HistoricSupport.h"
#include "app/HistoricTableModel.h"
#include "framework/UserInterface.h"

namespace svu {

namespace {

constexpr int kDateTimeWidth = 55;
constexpr double kWidthFactor = 1.3;
constexpr int kCellMargin = 6;

}  // namespace

HistoricTableWindow::HistoricTableWindow(QWidget* parent, UserInterface& ui, FileChooser chooser)
    : QMainWindow(parent), ui_(ui), chooser_(std::move(chooser)) {
    setWindowTitle(tr("Historic Table"));
    setAttribute(Qt::WA_DeleteOnClose);
    model_ = new HistoricTableModel(this);
    view_ = new QTableView(this);
    view_->setModel(model_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setShowGrid(true);
    view_->setWordWrap(false);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 4);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setCentralWidget(view_);
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open..."), this, [this] { Open(); });
    file->addAction(tr("&Close"), this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Copy"), this, &HistoricTableWindow::CopySelection)->setShortcut(QKeySequence::Copy);
    resize(760, 480);
}

bool HistoricTableWindow::Open() {
    const QString path = chooser_ ? chooser_() : QString();
    return !path.isEmpty() && Load(path);
}

bool HistoricTableWindow::Load(const QString& path) {
    ui_.BeginWaitCursor();
    const bool ok = model_->Open(path);
    ui_.EndWaitCursor();
    if (!ok) {
        ShowHistoricMessage(ui_, kUnableToOpenFile);
        return false;
    }
    SizeColumns();
    setWindowTitle(tr("Historic Table - ") + path);
    return true;
}

void HistoricTableWindow::SizeColumns() {
    const QFontMetrics metrics(view_->font());
    const QStringList& headings = model_->Headings();
    for (int c = 0; c < headings.size(); ++c) {
        // The classic 55 pixels for date and time, wider when the font needs it to show them whole.
        const int width = c < 2 ? std::max(kDateTimeWidth, metrics.horizontalAdvance(QStringLiteral("00/00/00")) +
                                                                2 * kCellMargin)
                                : static_cast<int>(kWidthFactor * metrics.horizontalAdvance(headings[c]));
        view_->setColumnWidth(c, width);
    }
}

QString HistoricTableWindow::SelectionText() const {
    // Ranges rather than single indexes: selecting a year of rows must not list every cell.
    std::vector<char> rowMarks(static_cast<std::size_t>(model_->rowCount()));
    std::vector<char> columnMarks(static_cast<std::size_t>(model_->columnCount()));
    for (const QItemSelectionRange& range : view_->selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) {
            rowMarks[static_cast<std::size_t>(r)] = 1;
        }
        for (int c = range.left(); c <= range.right(); ++c) {
            columnMarks[static_cast<std::size_t>(c)] = 1;
        }
    }
    std::vector<int> rows;
    std::vector<int> columns;
    for (std::size_t r = 0; r < rowMarks.size(); ++r) {
        if (rowMarks[r] != 0) {
            rows.push_back(static_cast<int>(r));
        }
    }
    for (std::size_t c = 0; c < columnMarks.size(); ++c) {
        if (columnMarks[c] != 0) {
            columns.push_back(static_cast<int>(c));
        }
    }
    return model_->CopyText(rows, columns);
}

void HistoricTableWindow::CopySelection() const {
    QApplication::clipboard()->setText(SelectionText());
}

}  // namespace svu
