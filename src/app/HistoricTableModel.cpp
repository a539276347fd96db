#include "app/HistoricTableModel.h"

#include "framework/TextUtil.h"

namespace svu {

namespace {

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

HistoricTableModel::HistoricTableModel(QObject* parent) : QAbstractTableModel(parent) {}

bool HistoricTableModel::Open(const QString& path) {
    beginResetModel();
    const bool ok = file_.Open(path.toStdString());
    headings_.clear();
    // Without a header count the file has no columns to show.
    if (ok && file_.HeaderCount() > 0) {
        headings_ << tr("Date") << tr("Time");
        for (const std::string& name : file_.ChannelNames()) {
            headings_ << FromView(TrimRight(name));
        }
    }
    endResetModel();
    return ok;
}

QString HistoricTableModel::CellText(int row, int column) const {
    if (row < 0 || static_cast<std::size_t>(row) >= file_.Count()) {
        return {};
    }
    const std::string_view line = file_.Line(static_cast<std::size_t>(row));
    if (column == 0) {
        return FromView(LogDateText(line));
    }
    if (column == 1) {
        return FromView(LogTimeText(line));
    }
    return FromView(LogFieldText(line, column - 2));
}

QString HistoricTableModel::CopyText(const std::vector<int>& rows, const std::vector<int>& columns) const {
    QString text;
    for (int row : rows) {
        QStringList cells;
        for (int column : columns) {
            cells << CellText(row, column);
        }
        text += cells.join(QLatin1Char('\t'));
        text += QLatin1Char('\n');
    }
    return text;
}

int HistoricTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || headings_.isEmpty() ? 0 : static_cast<int>(file_.Count());
}

int HistoricTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant HistoricTableModel::data(const QModelIndex& index, int role) const {
    if (role == Qt::DisplayRole && index.isValid()) {
        return CellText(index.row(), index.column());
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant(static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

QVariant HistoricTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < headings_.size()) {
        return headings_[section];
    }
    if (role == Qt::DisplayRole && orientation == Qt::Vertical) {
        return section + 1;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

}  // namespace svu
