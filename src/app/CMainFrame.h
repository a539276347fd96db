#pragma once

// The main window. It owns the runtime (the stations, acquisition, the refresh steps), the display
// document and its view, and carries the commands that are not about the page layout: real-time
// acquisition, the stations dialog and its password, the alarm switches, the alerts window, the
// no-data warning and the log-file and rainfall tools, plus the File and Help menus.
// CMainFrame.cpp holds the runtime side, CMainFrameCommands.cpp the menus, bars and documents.

#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/AlertsWindow.h"
#include "app/InstallConfiguration.h"
#include "app/PasswordDialog.h"
#include "app/StationsDialog.h"
#include "framework/LocalTime.h"

class QAction;
class QLabel;
class QMenu;

namespace svu {

class AlarmSounds;
class AudioOutput;
class ChannelEditListener;
class RecordedSoundsWindow;
class WebDisplayLink;
class CStratavueDoc;
class CStratavueView;
class Clock;
class DesktopOutputs;
class GuiUserInterface;
class HelpWindow;
class RecentFileList;
class Runtime;
class Settings;

/// The command numbers of the menus and the toolbar.
namespace cmd {
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintDirect = 57608;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru1 = 57616;
inline constexpr int kAppExit = 57665;
inline constexpr int kEditCopy = 57634;
inline constexpr int kAppAbout = 57664;
inline constexpr int kHelp = 57670;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kAddDisplayItem = 32783;
inline constexpr int kNormalColour = 32787;
inline constexpr int kRealtime = 32794;
inline constexpr int kWeatherStations = 32795;
inline constexpr int kAlarmDetails = 32796;
inline constexpr int kMuteAlarms = 32798;
inline constexpr int kDisableAlarms = 32799;
inline constexpr int kViewPage1 = 32804;
inline constexpr int kRenamePages = 32812;
inline constexpr int kBackgroundBitmap = 32814;
inline constexpr int kPageSwitching = 32815;
inline constexpr int kStartupOption = 32816;
inline constexpr int kStationProtection = 32817;
inline constexpr int kDownload = 32827;
inline constexpr int kWeeklyRainfall = 32829;
inline constexpr int kMonthlyRainfall = 32830;
inline constexpr int kConvertOldLog = 32831;
inline constexpr int kSaveScreen = 32833;
inline constexpr int kAlertColour = 32834;
inline constexpr int kAlarmColour = 32835;
inline constexpr int kNoDataWarning = 32837;
inline constexpr int kWebOutput = 32841;
inline constexpr int kCombineLogs = 32844;
inline constexpr int kLockLayout = 32845;
inline constexpr int kCopyPageElements = 32846;
inline constexpr int kRecordedSounds = 32839;
}  // namespace cmd

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    /// Status bar pane widths.
    static constexpr int kPagePaneWidth = 110;
    static constexpr int kRealtimePaneWidth = 160;
    /// How often a stop in progress checks whether the station threads have ended.
    static constexpr int kStopPollMs = 20;

    /// Reads the frame's settings; the stations are loaded by LoadStationFile. `settings` and
    /// `recentFiles` must outlive the frame.
    CMainFrame(Settings& settings, RecentFileList& recentFiles, Clock& clock);
    ~CMainFrame() override;

    /// Loads the station definition file, first installing the configuration files when there is
    /// none. False when the program must end (installation not completed, or message 263 shown).
    bool LoadStationFile(const FolderChooser& chooseFolder);

    Runtime& GetRuntime() { return *runtime_; }
    CStratavueDoc& GetDocument() { return *doc_; }
    CStratavueView& GetView() { return *view_; }
    GuiUserInterface& Ui() { return *ui_; }
    AlertsWindow& Alerts() { return *alerts_; }
    /// The help window, once "Help Topics" has opened it (null before).
    HelpWindow* Help() const { return help_; }
    StationProtection& Protection() { return *protection_; }
    /// Alarm e-mail and the FTP upload of the web page.
    DesktopOutputs& Outputs() { return *outputs_; }
    /// The action of a command number, or null.
    QAction* Action(int command) const;
    /// The status pane of identifier 104 ("Realtime data collection enabled") or 105 (page name).
    QLabel* StatusPane(int id) const;

    /// Opens a display file as "Open" does (the recent-file list takes it). False when it cannot
    /// be read (reported); the document is then empty.
    bool OpenDocumentFile(const QString& path);
    /// "New" without asking to save.
    void NewDocument();

    /// 32794: starts acquisition, or begins stopping it (the window stays responsive; the stop
    /// completes from a timer once every station thread has ended).
    void ToggleAcquisition();
    void StartAcquisition();
    void StopAcquisition();
    /// True between the stop request and the end of the last station thread.
    bool Stopping() const { return stopping_; }
    /// Waits, serving the event loop, until a stop in progress has completed.
    void WaitForStop();

    /// Brings every action's enabling and mark up to date.
    void UpdateCommandUI();

    /// Replaces the station property sheet and the dialogs' file choosers (tests, and the full
    /// property sheets).
    void SetStationsDialogHooks(StationsDialog::Hooks hooks) { stationsHooks_ = std::move(hooks); }
    /// Replaces the password dialog (tests).
    void SetPasswordPrompt(PasswordPrompt prompt) { passwordPrompt_ = std::move(prompt); }

    // ---- Commands ----
    void OnWeatherStations();
    void OnStationProtection();
    void OnAlarmDetails();
    void OnMuteAlarms();
    void OnDisableAlarms();
    void OnNoDataWarning();
    void OnLockLayout();
    void OnWebOutput();
    void OnMailSettings();
    /// 32839: "Recorded Sounds", created or brought to the front; with a time, the recording
    /// nearest to it is selected (the historic graph's right click).
    RecordedSoundsWindow* OpenRecordedSounds(std::optional<TimeT> at = std::nullopt);
    /// Alarm recordings and spoken alarms.
    AlarmSounds& Sounds() { return *sounds_; }
    /// 57670 and F1: the user guide in the help window.
    void OnHelpTopics();
    bool OnFileSave();
    bool OnFileSaveAs();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// A command of the menus: `prompt` goes to the status bar while the command is highlighted,
    /// the text without its mnemonic is the tool tip.
    QAction* AddCommand(QMenu* menu, int command, const QString& text, const QString& prompt,
                        void (CMainFrame::*slot)());
    QAction* AddCommand(QMenu* menu, int command, const QString& text, const QString& prompt,
                        std::function<void()> handler);
    QMenu* AddSubmenu(QMenu* parent, const QString& text, const QString& prompt);
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void RebuildPageMenu();
    void RebuildRecentFilesMenu();
    void UpdateTitle();
    void UpdateRealtimePane();
    void PollStop();
    /// Asks whether to save a modified document; false when the user cancelled.
    bool SaveModified();
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecent(size_t index);
    void OnAlertsChanged();
    /// The page on the screen and its visible items, which the alerts window keeps clear of.
    AlertsWindow::PageArea CurrentPageArea() const;
    bool SaveStations();
    /// Starts the recorder and speech threads and hands them to the runtime (CMainFrameSounds.cpp).
    void SetUpSounds();
    /// Takes them back from the runtime once acquisition has stopped.
    void ShutDownSounds();

    Settings& settings_;
    RecentFileList& recentFiles_;
    Clock& clock_;
    std::unique_ptr<GuiUserInterface> ui_;  // before the runtime: stations ask it until they stop
    std::unique_ptr<Runtime> runtime_;
    std::unique_ptr<DesktopOutputs> outputs_;  // after the runtime: it unhooks itself first
    std::unique_ptr<CStratavueDoc> doc_;
    CStratavueView* view_;  // the central widget
    AlertsWindow* alerts_;
    HelpWindow* help_ = nullptr;  // created on first use; a child, Qt owns it
    std::string previousReportFolder_;
    std::unique_ptr<StationProtection> protection_;
    std::unique_ptr<ChannelEditListener> channelListener_;  // the document follows channel edits
    StationsDialog::Hooks stationsHooks_;
    PasswordPrompt passwordPrompt_;
    int stationSelection_ = -1;
    bool layoutLocked_ = false;

    std::map<int, QAction*> actions_;
    QMenu* pageMenu_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QLabel* pagePane_ = nullptr;
    QLabel* realtimePane_ = nullptr;

    std::unique_ptr<AlarmSounds> sounds_;
    std::unique_ptr<AudioOutput> player_;
    QPointer<RecordedSoundsWindow> soundsWindow_;

    QTimer stopTimer_;
    bool stopping_ = false;
    bool closePending_ = false;
    bool initialised_ = false;
    std::unique_ptr<WebDisplayLink> webDisplay_;  // last: it watches the document
};

}  // namespace svu
