#pragma once

// "Historic Table": one log file as a grid of dates, times and channel values, on a model that
// reads a row only when it is shown.

#include <QMainWindow>
#include <functional>

class QTableView;

namespace svu {

class HistoricTableModel;
class UserInterface;

class HistoricTableWindow : public QMainWindow {
    Q_OBJECT

public:
    /// Asks for the file to show (a card data file is converted first); empty on Cancel.
    using FileChooser = std::function<QString()>;

    HistoricTableWindow(QWidget* parent, UserInterface& ui, FileChooser chooser);

    /// Asks for a file and shows it; false when nothing was chosen or it cannot be read.
    bool Open();
    /// Shows a log file; false (after "Unable to open file") when it cannot be read.
    bool Load(const QString& path);

    HistoricTableModel* Model() const { return model_; }
    QTableView* View() const { return view_; }
    /// The selected cells as tab-separated text, one line per row.
    QString SelectionText() const;
    void CopySelection() const;

private:
    void SizeColumns();

    UserInterface& ui_;
    FileChooser chooser_;
    HistoricTableModel* model_;
    QTableView* view_;
};

}  // namespace svu
