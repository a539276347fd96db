#pragma once

// The application: where the program keeps its files, the settings file, the recent-file list,
// start-up (stations, the display file named on the command line or the default one, the splash,
// acquisition) and shut-down.

#include <QStringList>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/InstallConfiguration.h"

namespace svu {

class CMainFrame;
class Settings;

/// The recent display files: eight entries, the newest first, kept in the settings file's "MRU"
/// section as "File1" .. "File8".
class RecentFileList {
public:
    static constexpr int kSize = 8;
    static constexpr int kDisplayLength = 30;

    /// Reads "File1" .. "File8"; empty and repeated entries are dropped.
    void Read(const Settings& settings);
    /// Deletes the section and writes every entry under the key of its position.
    void Write(Settings& settings) const;
    /// Puts `path` first (moving it when it is already listed); the oldest entry drops off.
    void Add(const std::string& path);
    /// Removes an entry (a file that no longer opens).
    void Remove(size_t index);
    const std::vector<std::string>& Entries() const { return entries_; }
    /// The menu text of an entry: the path shortened to kDisplayLength characters by leaving out
    /// folders in its middle; the file name itself is always kept.
    static std::string DisplayName(const std::string& path, size_t maxLength = kDisplayLength);

private:
    std::vector<std::string> entries_;
};

/// What the command line asks for.
struct CommandLine {
    std::string programDir;  // --program-dir DIR; empty: the current folder
    std::string fileName;    // a display file to open
    bool noSplash = false;   // --nosplash
};

/// Reads the program's arguments (without the program name). Unknown options are ignored.
CommandLine ParseCommandLine(const QStringList& arguments);

class CStratavueApp {
public:
    CStratavueApp();
    ~CStratavueApp();
    CStratavueApp(const CStratavueApp&) = delete;
    CStratavueApp& operator=(const CStratavueApp&) = delete;

    /// Start-up. Returns the exit code when the program ends without running (an installation
    /// that did not complete, a station file or display file that cannot be read), nullopt when
    /// the main window is up and the event loop should run.
    std::optional<int> InitInstance(const QStringList& arguments);
    /// Shut-down after the event loop: the recent files and the preview page count are written.
    int ExitInstance();

    /// Replaces the folder chooser of the first-run installation (tests).
    void SetFolderChooser(FolderChooser chooser) { folderChooser_ = std::move(chooser); }

    // ---- The settings operations ----

    int GetSettingInt(std::string_view section, std::string_view key, int defaultValue) const;
    std::string GetSettingString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    void WriteSettingInt(std::string_view section, std::string_view key, int value);
    void WriteSettingString(std::string_view section, std::string_view key, std::string_view value);
    void DeleteSettingSection(std::string_view section);

    Settings& GetSettings() { return *settings_; }
    /// The program folder, ending in a separator.
    const std::string& ProgramDir() const;
    RecentFileList& RecentFiles() { return recentFiles_; }
    CMainFrame* MainFrame() const { return frame_.get(); }
    /// True when start-up opened the default display file (and started acquisition).
    bool DefaultFileTaken() const { return defaultFileTaken_; }

    /// 57664: the about box.
    void OnAppAbout();
    /// 32816: the start-up option dialog.
    void OnStartupOption();

private:
    std::unique_ptr<Settings> settings_;
    RecentFileList recentFiles_;
    int previewPages_ = 0;
    std::unique_ptr<CMainFrame> frame_;
    FolderChooser folderChooser_;
    bool defaultFileTaken_ = false;
};

/// The one application object (null before it is made and after it is gone).
CStratavueApp* TheApp();

}  // namespace svu
