#pragma once

// The rows of a log file for a table view, parsed only when the view asks for a cell, so a file
// of a year of records opens at once.

#include <QAbstractTableModel>
#include <QStringList>

#include "historic/HistoricLog.h"

namespace svu {

class HistoricTableModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit HistoricTableModel(QObject* parent = nullptr);

    /// Reads a log file; false (and empty) when it cannot be read.
    bool Open(const QString& path);

    const LogFileView& File() const { return file_; }
    /// "Date", "Time", then the channel names with trailing blanks removed.
    const QStringList& Headings() const { return headings_; }
    /// The text of a cell: the date, the time, or the channel's field.
    QString CellText(int row, int column) const;
    /// Tab-separated rows of the cells of `rows` x `columns` (both ascending), one line per row.
    QString CopyText(const std::vector<int>& rows, const std::vector<int>& columns) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    LogFileView file_;
    QStringList headings_;
};

}  // namespace svu
