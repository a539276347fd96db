#pragma once

// The log-file commands: "Download logged data", "Convert old log file" and "Combine log files".

#include <QDialog>

#include "stations/StationFile.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;

namespace svu {

class UserInterface;

/// "Combine Log Files": a station, a period and the output file.
class CombineLogFilesDialog : public QDialog {
    Q_OBJECT

public:
    CombineLogFilesDialog(QWidget* parent, const StationList& stations);

    /// Joins the chosen day files into the output and reports how it went through `ui`.
    void Combine(UserInterface& ui) const;

    /// Runs the dialog and, on OK, the combination.
    static void Run(QWidget* parent, const StationList& stations, UserInterface& ui);

    QComboBox* StationBox() const { return station_; }
    QDateEdit* StartDate() const { return start_; }
    QDateEdit* EndDate() const { return end_; }
    QLineEdit* OutputEdit() const { return output_; }
    QPushButton* OkButton() const { return ok_; }

private:
    void Browse();
    void UpdateOk();

    const StationList& stations_;
    QComboBox* station_;
    QDateEdit* start_;
    QDateEdit* end_;
    QLineEdit* output_;
    QPushButton* ok_;
};

/// "Download logged data": a station of a kind that keeps a logger, then the file to write.
void RunDownloadCommand(QWidget* parent, const StationList& stations, UserInterface& ui);

/// "Convert old log file": the old data file and the new log file, then the conversion.
void RunConvertOldLogCommand(QWidget* parent, UserInterface& ui);

/// True for the station kinds that can download their logged data.
bool CanDownload(int typeCode);

}  // namespace svu
