#pragma once

// "Recorded Sounds": the alarm recordings of the catalogue, with their date, time and file, to play
// ("Play", on the sound output's own thread), to delete ("Delete" removes the file and its record)
// and to tidy ("Remove no wav" drops the records whose file has gone). One such window at a time;
// a recording that ends while it is open is added to its list.

#include <QDialog>
#include <string>
#include <vector>

#include "framework/LocalTime.h"
#include "outputs/SoundCatalogue.h"

class QPushButton;
class QTreeWidget;

namespace svu {

class AudioOutput;
class UserInterface;

class RecordedSoundsWindow : public QDialog {
    Q_OBJECT

public:
    /// Column widths of "Date", "Time" and "File".
    static constexpr int kDateWidth = 55;
    static constexpr int kTimeWidth = 55;
    static constexpr int kFileWidth = 340;

    /// `output` plays the files (none: "Play" does nothing); `ui` shows problems. Both must outlive
    /// the window. Reads the catalogue at once.
    RecordedSoundsWindow(QWidget* parent, std::string cataloguePath, AudioOutput* output, UserInterface& ui);
    ~RecordedSoundsWindow() override;

    /// Reads the catalogue again; a damaged one is reported and listed up to the damage.
    void Reload();
    /// A recording has just been catalogued (call on the GUI thread).
    void AddEntry(const CatalogueEntry& entry);
    /// Selects the recording whose start is nearest to `time` (none when the list is empty).
    void SelectNearest(TimeT time);

    void Play();
    void Delete();
    void RemoveNoWav();

    const std::vector<CatalogueEntry>& Entries() const { return entries_; }
    QTreeWidget* List() const { return list_; }
    QPushButton* PlayButton() const { return play_; }
    QPushButton* DeleteButton() const { return delete_; }

private:
    void Fill();
    void UpdateButtons();
    void ShowProblem(const std::string& text);

    std::string cataloguePath_;
    AudioOutput* output_;
    UserInterface& ui_;
    std::vector<CatalogueEntry> entries_;
    QTreeWidget* list_;
    QPushButton* play_;
    QPushButton* delete_;
};

}  // namespace svu
