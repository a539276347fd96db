#pragma once

// "Historic Data Range": the period and the source (a station's logged data, or a downloaded or
// converted log file) that the historic graph and wind rose read.

#include <QDialog>

#include "historic/HistoricLog.h"
#include "stations/StationFile.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace svu {

class UserInterface;

/// What the range dialog chose.
struct HistoricRangeChoice {
    HistoricSource source;
    TimeT from = 0;
    TimeT to = 0;
};

class HistoricRangeDialog : public QDialog {
    Q_OBJECT

public:
    /// Today from 00:00:00 to `now`, logged data of the first station.
    HistoricRangeDialog(QWidget* parent, const StationList& stations, UserInterface& ui, TimeT now);

    /// The choice as it stands.
    HistoricRangeChoice Choice() const;

    /// Takes a chosen log file: shows its path and, while no picker was touched, sets the period to
    /// the file's first and last readings.
    void SetFile(const QString& path);
    /// Whether the user changed a date or time picker.
    bool RangeEdited() const { return rangeEdited_; }

    /// Runs the dialog; false on Cancel.
    static bool Ask(QWidget* parent, const StationList& stations, UserInterface& ui, HistoricRangeChoice& choice);

    QRadioButton* LoggedButton() const { return logged_; }
    QRadioButton* DownloadedButton() const { return downloaded_; }
    QComboBox* StationBox() const { return station_; }
    QPushButton* BrowseButton() const { return browse_; }
    QLabel* PathLabel() const { return path_; }
    QDateEdit* FromDate() const { return fromDate_; }
    QTimeEdit* FromTime() const { return fromTime_; }
    QDateEdit* ToDate() const { return toDate_; }
    QTimeEdit* ToTime() const { return toTime_; }

    void accept() override;

private:
    void UpdateSource();
    void Browse();
    void SetPickers(TimeT from, TimeT to);

    const StationList& stations_;
    UserInterface& ui_;
    QString file_;
    bool rangeEdited_ = false;
    bool settingPickers_ = false;
    QTimeEdit* fromTime_;
    QDateEdit* fromDate_;
    QTimeEdit* toTime_;
    QDateEdit* toDate_;
    QRadioButton* logged_;
    QRadioButton* downloaded_;
    QLabel* stationLabel_;
    QComboBox* station_;
    QPushButton* browse_;
    QLabel* hint_;
    QLabel* path_;
};

}  // namespace svu
