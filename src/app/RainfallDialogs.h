#pragma once

// "Weekly rainfall total" and "Monthly rainfall total": pick a station, its rainfall channel, the
// units and the period; the total of the day files is shown in a message box.

#include <QDialog>

#include "historic/RainfallTotals.h"
#include "stations/StationFile.h"

class QCalendarWidget;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace svu {

class UserInterface;

class RainfallDialog : public QDialog {
    Q_OBJECT

public:
    enum class Period { Week, Month };

    /// The stations fill "AWS:"; the first one is chosen. `today` bounds the period choices.
    RainfallDialog(QWidget* parent, const StationList& stations, Period period, CalendarDay today);

    /// The total for the choices made (reads the day files).
    RainfallReport Compute() const;

    /// Runs the dialog and, on OK, shows the total through `ui`.
    static void Run(QWidget* parent, const StationList& stations, Period period, UserInterface& ui);

    QComboBox* StationBox() const { return station_; }
    QComboBox* ChannelBox() const { return channel_; }
    QComboBox* LoggedUnitBox() const { return loggedUnit_; }
    QComboBox* ShownUnitBox() const { return shownUnit_; }
    QCalendarWidget* Calendar() const { return calendar_; }
    QComboBox* MonthBox() const { return month_; }
    QSpinBox* YearBox() const { return year_; }
    QPushButton* OkButton() const { return ok_; }

private:
    /// Lists the chosen station's channels and picks its first rainfall channel.
    void StationChosen(int index);
    void UpdateOk();

    const StationList& stations_;
    Period period_;
    QComboBox* station_;
    QComboBox* channel_;
    QComboBox* loggedUnit_;
    QComboBox* shownUnit_;
    QCalendarWidget* calendar_ = nullptr;
    QComboBox* month_ = nullptr;
    QSpinBox* year_ = nullptr;
    QPushButton* ok_;
};

}  // namespace svu
