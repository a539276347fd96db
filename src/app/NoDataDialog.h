#pragma once

// "No-data warning": how long a station may stay silent before the alerts window says so.

#include <QDialog>

class QSpinBox;

namespace svu {

class Settings;

class NoDataDialog : public QDialog {
    Q_OBJECT

public:
    /// Shows the hours and minutes of `periodSeconds` (whole days are not shown).
    NoDataDialog(QWidget* parent, int periodSeconds);
    /// The period chosen, in seconds.
    int PeriodSeconds() const;
    int Hours() const;
    int Minutes() const;

    QSpinBox* HoursBox() const { return hours_; }
    QSpinBox* MinutesBox() const { return minutes_; }

    /// Runs the dialog; on OK writes "NoDataWarning" and returns the new period, else -1.
    static int Edit(QWidget* parent, Settings& settings, int periodSeconds);

private:
    QSpinBox* hours_;
    QSpinBox* minutes_;
};

}  // namespace svu
