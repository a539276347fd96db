#pragma once

// "Monitoring Systems": the station list with "Add...", "Delete...", "Properties...", "Copy",
// "Export..." and "Import...". It edits the frame's list in place; the frame saves it afterwards.

#include <QDialog>
#include <functional>
#include <string>

#include "stations/StationFile.h"

class QListWidget;
class QPushButton;

namespace svu {

class ClassRegistry;
class UserInterface;

/// Opens a station's property sheet; 1 (OK) when the changes were taken.
using StationPropertiesEditor = std::function<int(QWidget* parent, WeatherStation& station, bool withDerivedPage)>;

/// A property sheet with just the station's "Name" page.
int EditStationName(QWidget* parent, WeatherStation& station, bool withDerivedPage);


class StationsDialog : public QDialog {
    Q_OBJECT

public:
    /// What the dialog asks of the program around it; empty members take the ordinary dialogs.
    struct Hooks {
        StationPropertiesEditor editProperties;             // default: EditStationName
        std::function<int(QWidget*)> chooseType;            // default: ChooseStationType (pages/Sheets.h)
        std::function<QString(QWidget*)> exportPath;        // save dialog; empty when cancelled
        std::function<QString(QWidget*)> importPath;        // open dialog; empty when cancelled
        std::function<void(WeatherStation&)> beforeDelete;  // display items let go of the station
    };

    /// `selection` (a row, or -1) is shown selected and receives the selection when the dialog
    /// closes, so the frame remembers it between openings.
    StationsDialog(QWidget* parent, StationList& stations, const ClassRegistry& classes, UserInterface& ui,
                   int& selection, Hooks hooks = {});

    void Add();
    void Delete();
    void Properties();
    void Copy();
    void Export();
    void Import();

    QListWidget* List() const { return list_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* DeleteButton() const { return delete_; }
    QPushButton* PropertiesButton() const { return properties_; }
    QPushButton* CopyButton() const { return copy_; }
    QPushButton* ExportButton() const { return export_; }
    QPushButton* ImportButton() const { return import_; }

protected:
    void done(int result) override;

private:
    /// Shows the list's names and selects `row`.
    void Refill(int row);
    void UpdateButtons();
    int Selected() const;

    StationList& stations_;
    const ClassRegistry& classes_;
    UserInterface& ui_;
    int& selection_;
    Hooks hooks_;
    QListWidget* list_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* properties_;
    QPushButton* copy_;
    QPushButton* export_;
    QPushButton* import_;
};

}  // namespace svu
