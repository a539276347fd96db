#pragma once

// The display document: the display items of all eight pages, the pages' names, colours and
// background bitmaps, the current page and the automatic page switching, stored as a display
// file (".svu"). The model side loads and saves without any widget or application object, so
// the service and stratavue-cli read display files too; the commands that open dialogs take a
// parent widget.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gadgets/Dib.h"
#include "gadgets/Gadget.h"

class QWidget;

namespace svu {

class Archive;
class ClassRegistry;
class UserInterface;
class WeatherStation;

/// Which of a page's three background colours.
enum class PageColour { Normal, Alert, Alarm };

class CStratavueDoc {
public:
    static constexpr uint16_t kSchema = 1;
    static constexpr int kPageCount = 8;
    static constexpr uint32_t kDefaultColour = 0xC0C0C0;
    static constexpr int32_t kDefaultSwitchInterval = 10000;

    /// Told about changes that windows must follow. Every call comes on the GUI thread.
    class Observer {
    public:
        virtual ~Observer() = default;
        /// The whole content was replaced (new, loaded, emptied): recreate every item window.
        virtual void DocumentReset() {}
        /// Items were added or removed (windows to create or destroy).
        virtual void GadgetsChanged() {}
        /// The page names changed (the page menu).
        virtual void PagesRenamed() {}
        /// A page's colours or bitmap changed (repaint, scroll extent).
        virtual void BackgroundChanged() {}
        /// The modified flag changed (the title bar).
        virtual void ModifiedChanged(bool modified) {}
    };

    /// The interface shows message 536 and the questions of the commands; it must outlive the
    /// document.
    explicit CStratavueDoc(UserInterface& ui);
    ~CStratavueDoc();
    CStratavueDoc(const CStratavueDoc&) = delete;
    CStratavueDoc& operator=(const CStratavueDoc&) = delete;

    /// The station list that item sources are linked to by name when a file is read (nullptr:
    /// none). It must outlive the document or be replaced first.
    void SetStations(const std::vector<std::unique_ptr<WeatherStation>>* stations) { stations_ = stations; }
    /// Folder in which relative background bitmap names are looked up (the program folder);
    /// empty: the current folder.
    void SetBitmapFolder(std::string folder) { bitmapFolder_ = std::move(folder); }
    /// Whether reading a file loads the page background bitmaps (on by default; tools that only
    /// look at the file switch it off).
    void SetLoadBitmaps(bool on) { loadBitmaps_ = on; }

    void AddObserver(Observer* observer);
    void RemoveObserver(Observer* observer);

    // ---- Document life ----

    /// Empties the document to its defaults (before every new document and every load).
    void DeleteContents();
    /// "New": the defaults, not modified, no file name.
    void OnNewDocument();
    /// Reads a display file, replacing the content. On failure the document is empty and
    /// `error` says why (the file cannot be read, or where it is damaged). Message 536 is shown
    /// once when an item was stored in an older layout.
    bool Load(const std::string& path, std::string* error = nullptr);
    /// The same for the bytes of a file.
    bool LoadBytes(std::vector<uint8_t> bytes, std::string* error = nullptr);
    /// Writes the display file (a temporary file renamed over the old one). On success the
    /// document takes the path and is no longer modified; on failure nothing changes.
    bool Save(const std::string& path, std::string* error = nullptr);
    /// The bytes of the display file.
    std::vector<uint8_t> Bytes();
    /// The display file, either way the archive goes.
    void Serialize(Archive& ar);
    /// The file last loaded or saved (empty for a new document).
    const std::string& PathName() const { return pathName_; }

    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true);

    /// The archive classes of display files (every display-item kind; tests add their own).
    static ClassRegistry& Classes();

    // ---- Operations other parts call ----

    /// The channel at `index` (0-based) of `station` was deleted: item sources follow, then the
    /// station's derived channels.
    void OnChannelDeleted(WeatherStation& station, int index);
    /// A channel was inserted at `index` of `station`.
    void OnChannelInserted(WeatherStation& station, int index);
    /// A station is about to be removed: item sources on it are cleared.
    void OnStationRemoved(const WeatherStation& station);

    /// Calls SetRunning on every item.
    void SetRunning(bool on);
    /// Calls ResetHistory on every item.
    void ResetHistory();

    // ---- Model side of the commands ----

    /// The colour of `page` (1 to 8); setting a different one sets the modified flag and tells
    /// observers. True when it changed.
    uint32_t Colour(int page, PageColour which) const;
    bool SetColour(int page, PageColour which, uint32_t colour);
    /// "Rename pages": OK with the eight names.
    void RenamePages(const std::array<std::string, kPageCount>& names);
    /// "Background Bitmap" OK for `page`: the file name (empty: none) and the placement mode.
    void SetBackgroundBitmap(int page, const std::string& file, int32_t mode);
    /// Appends, in list order, a copy of every item of page `from` placed on page `to`; returns
    /// the copies (owned by the document).
    std::vector<Gadget*> CopyPageElements(int from, int to);
    /// Inserts a new item at the front of the list; sets the modified flag.
    Gadget& AddGadget(std::unique_ptr<Gadget> gadget);
    /// Appends an item at the end of the list; sets the modified flag.
    Gadget& AppendGadget(std::unique_ptr<Gadget> gadget);
    /// Removes and returns an item (nullptr when it is not in the list); sets the modified flag.
    std::unique_ptr<Gadget> RemoveGadget(const Gadget& gadget);
    /// Sets `currentPage` (1 to 8; others are ignored).
    void SetCurrentPage(int page);
    /// Parses the "Page numbers:" text of the page switching dialog: numbers from 1 to 8, in
    /// order, one before each ",".
    static std::vector<uint32_t> ParsePageNumbers(const std::string& text);
    /// The sequence as the dialog shows it ("2,5").
    static std::string FormatPageNumbers(const std::vector<uint32_t>& sequence);
    /// Loads (or, with showBitmap clear, discards) the decoded bitmap of a page.
    void ReloadBitmap(int page);
    /// Full path of a bitmap name (relative names are in the bitmap folder).
    std::string BitmapPath(const std::string& file) const;

    // ---- Commands with dialogs (need a GUI application) ----

    /// 32787, 32834, 32835: the colour chooser for the current page's colour.
    void CommandBackgroundColour(QWidget* parent, PageColour which);
    /// 32812: "Rename pages".
    void CommandRenamePages(QWidget* parent);
    /// 32814: "Background Bitmap" for the current page.
    void CommandBackgroundBitmap(QWidget* parent);
    /// 32846: "Copy page elements" (messages 590 and 591); observers are told of the new items.
    void CommandCopyPageElements(QWidget* parent);

    // ---- Fields ----

    int32_t oldFormat = 0;  // an item was read in an older layout during the last load
    std::array<std::string, kPageCount> pageName;
    std::array<uint32_t, kPageCount> normalColour{};
    std::array<uint32_t, kPageCount> alarmColour{};
    std::array<uint32_t, kPageCount> alertColour{};
    std::array<std::string, kPageCount> bitmapFile;
    std::array<int32_t, kPageCount> bitmapMode{};  // 0 centre, 1 tile, 2 top left, 3 stretch
    std::array<Dib, kPageCount> bitmap;
    std::array<int32_t, kPageCount> showBitmap{};
    int32_t currentPage = 1;
    int32_t switchEnabled = 0;
    int32_t switchInterval = kDefaultSwitchInterval;  // milliseconds
    std::vector<uint32_t> switchSequence;
    int32_t switchPosition = 0;
    std::vector<std::unique_ptr<Gadget>> gadgets;  // every item of every page

private:
    void Notify(void (Observer::*what)());
    void ReadPage(Archive& ar, int index);
    void WritePage(Archive& ar, int index);

    UserInterface& ui_;
    const std::vector<std::unique_ptr<WeatherStation>>* stations_ = nullptr;
    std::vector<Observer*> observers_;
    std::string bitmapFolder_;
    std::string pathName_;
    bool loadBitmaps_ = true;
    bool modified_ = false;
};

}  // namespace svu
