// The main window's runtime side: construction, the station file, acquisition and its stop, the
// station and alarm commands and the alerts window. Menus, toolbar and documents are in
// CMainFrameCommands.cpp.

#include "app/CMainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QStatusBar>
#include <QThread>
#include <filesystem>

#include "Version.h"
#include "app/AlertsWindow.h"
#include "app/CStratavueDoc.h"
#include "app/CStratavueView.h"
#include "app/DesktopOutputs.h"
#include "app/GuiUserInterface.h"
#include "app/NoDataDialog.h"
#include "app/RecordedSoundsWindow.h"
#include "app/WebDisplayLink.h"
#include "framework/Settings.h"
#include "outputs/AlarmSounds.h"
#include "platform/AudioDevice.h"
#include "framework/StringTable.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/Gadget.h"
#include "pages/GadgetPages.h"
#include "pages/MailSettingsPage.h"
#include "pages/Sheets.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kRealtimeEnabled = 104;
constexpr int kUnableToOpen = 234;
constexpr int kErrorCaption = 259;
constexpr int kStationFileCorrupt = 263;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Display items follow the channels that the derived-channel page deletes and inserts.
class DocumentChannelListener : public ChannelEditListener {
public:
    explicit DocumentChannelListener(CStratavueDoc& doc) : doc_(doc) {}
    void OnChannelDeleted(WeatherStation& station, int index) override { doc_.OnChannelDeleted(station, index); }
    void OnChannelInserted(WeatherStation& station, int index) override { doc_.OnChannelInserted(station, index); }

private:
    CStratavueDoc& doc_;
};

}  // namespace

CMainFrame::CMainFrame(Settings& settings, RecentFileList& recentFiles, Clock& clock)
    : settings_(settings),
      recentFiles_(recentFiles),
      clock_(clock),
      ui_(std::make_unique<GuiUserInterface>()),
      runtime_(std::make_unique<Runtime>(settings, *ui_, clock)),
      doc_(std::make_unique<CStratavueDoc>(*ui_)) {
    // error.txt, alarms.txt and the port table belong to the program folder, whatever folder the
    // program was started from or a file dialog has moved to since.
    previousReportFolder_ = ReportFolder();
    SetReportFolder(settings.ProgramDir());
    ui_->SetParentWindow(this);
    doc_->SetStations(&runtime_->Stations());
    doc_->SetBitmapFolder(settings.ProgramDir());
    view_ = new CStratavueView(*doc_, this);
    setCentralWidget(view_);
    view_->SetRuntime(runtime_.get());
    view_->SetUserInterface(*ui_);
    outputs_ = std::make_unique<DesktopOutputs>(settings, *runtime_, clock, this);
    // The display items' pictures live in the program folder; their sheets list our stations.
    SetGadgetBitmapFolder(settings.ProgramDir());
    SetGadgetClock(&clock);
    SetGadgetSheetContext(
        {&runtime_->Stations(), &doc_->pageName, ui_.get(), [doc = doc_.get()] { doc->SetModifiedFlag(); }});

    protection_ = std::make_unique<StationProtection>(settings, *ui_);
    channelListener_ = std::make_unique<DocumentChannelListener>(*doc_);
    passwordPrompt_ = DialogPasswordPrompt(this);
    layoutLocked_ =
        settings.GetSettingString(kSectionSettings, kKeyLockLayout, kLockLayoutDefault) == std::string(kLockLayoutYes);
    view_->SetLayoutLocked(layoutLocked_);
    alerts_ = new AlertsWindow(this, [this] {
        runtime_->ResetAlerts();
        UpdateCommandUI();
    });
    alerts_->SetPageArea([this] { return CurrentPageArea(); });
    SetUpSounds();

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(view_, &CStratavueView::pageShown, this, [this](int, const QString& name) {
        pagePane_->setText(name);
        UpdateCommandUI();
    });
    connect(view_, &CStratavueView::pageNamesChanged, this, &CMainFrame::RebuildPageMenu);
    connect(view_, &CStratavueView::refreshed, this, [this](bool alertsChanged) {
        if (alertsChanged) {
            OnAlertsChanged();
        }
    });
    connect(view_, &CStratavueView::modifiedChanged, this, [this](bool) { UpdateTitle(); });
    ui_->SetProgressSink([this](const std::string& text) { statusBar()->showMessage(Q(text)); });
    stopTimer_.setInterval(kStopPollMs);
    connect(&stopTimer_, &QTimer::timeout, this, &CMainFrame::PollStop);
    setAcceptDrops(true);
    resize(1024, 720);
    UpdateTitle();
    UpdateRealtimePane();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // From here on no station thread may wait for a window: they get their default answers.
    ui_->Shutdown();
    SetGadgetSheetContext({});
    stopTimer_.stop();
    if (runtime_->AcquisitionRunning()) {
        runtime_->StopAcquisition();
    }
    ShutDownSounds();
    // The view observes the document: it goes before the document does.
    std::unique_ptr<QWidget> view(takeCentralWidget());
    view.reset();
    view_ = nullptr;
    SetGadgetClock(nullptr);
    SetReportFolder(previousReportFolder_);
}

AlertsWindow::PageArea CMainFrame::CurrentPageArea() const {
    AlertsWindow::PageArea area;
    const QWidget* page = view_->viewport();
    area.page = QRect(page->mapToGlobal(QPoint(0, 0)), page->size());
    for (const QWidget* item : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (item->isVisible()) {
            area.items.push_back(QRect(item->mapToGlobal(QPoint(0, 0)), item->size()));
        }
    }
    return area;
}

bool CMainFrame::LoadStationFile(const FolderChooser& chooseFolder) {
    if (!std::filesystem::exists(settings_.StationFilePath())) {
        // The configuration goes where the program looks for it: the program folder.
        if (InstallConfiguration(*ui_, chooseFolder, settings_.ProgramDir()) != InstallOutcome::Installed) {
            return false;
        }
    }
    const StationFileResult result = runtime_->LoadStations();
    if (!result.Ok()) {
        ui_->MessageBox(Str(kStationFileCorrupt), Str(kErrorCaption), MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    return true;
}

QAction* CMainFrame::Action(int command) const {
    const auto it = actions_.find(command);
    return it != actions_.end() ? it->second : nullptr;
}

QLabel* CMainFrame::StatusPane(int id) const {
    return id == kRealtimeEnabled ? realtimePane_ : id == 105 ? pagePane_ : nullptr;
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!initialised_) {
        initialised_ = true;
        view_->InitialUpdate();
        RebuildPageMenu();
        webDisplay_ = std::make_unique<WebDisplayLink>(*doc_, *runtime_);
        runtime_->StartLiveOutputs();  // other programs are served once the window is up
    }
}

// ---- Acquisition ----

void CMainFrame::ToggleAcquisition() {
    if (stopping_) {
        return;
    }
    if (runtime_->AcquisitionRunning()) {
        StopAcquisition();
    } else {
        StartAcquisition();
    }
}

void CMainFrame::StartAcquisition() {
    if (runtime_->AcquisitionRunning()) {
        return;
    }
    if (!runtime_->StartAcquisition()) {
        return;  // another copy holds the program folder; the runtime said so
    }
    view_->SetAcquisitionRunning(true);
    UpdateRealtimePane();
    UpdateCommandUI();
}

void CMainFrame::StopAcquisition() {
    if (!runtime_->AcquisitionRunning() || stopping_) {
        return;
    }
    view_->SetAcquisitionRunning(false);
    stopping_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    runtime_->RequestStop();
    UpdateRealtimePane();
    UpdateCommandUI();
    // The threads end at their next poll; meanwhile the event loop keeps serving them (a thread
    // may be waiting for an answer from this window).
    stopTimer_.start();
    PollStop();
}

void CMainFrame::PollStop() {
    if (!stopping_ || !runtime_->FinishStop()) {
        return;
    }
    stopTimer_.stop();
    stopping_ = false;
    QApplication::restoreOverrideCursor();
    UpdateRealtimePane();
    UpdateCommandUI();
    if (closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void CMainFrame::WaitForStop() {
    while (stopping_) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kStopPollMs);
        QThread::msleep(2);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (runtime_->AcquisitionRunning()) {
        // Refused for now: the close is tried again once every station thread has ended.
        closePending_ = true;
        StopAcquisition();
        event->ignore();
        return;
    }
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    alerts_->hide();
    event->accept();
}

// ---- Station commands ----

bool CMainFrame::SaveStations() {
    std::string error;
    if (!runtime_->SaveStations(&error)) {
        ui_->MessageBox(Str(kUnableToOpen) + "\n" + error, kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    return true;
}

void CMainFrame::OnWeatherStations() {
    if (runtime_->AcquisitionRunning() || !protection_->CheckAccess(passwordPrompt_)) {
        return;
    }
    StationsDialog::Hooks hooks = stationsHooks_;
    if (!hooks.editProperties) {
        hooks.editProperties = [this](QWidget* parent, WeatherStation& station, bool withDerivedPage) {
            StationPagesContext context;
            context.stations = &runtime_->Stations();
            context.listener = channelListener_.get();
            context.ui = ui_.get();
            context.clock = &clock_;
            return EditStationProperties(parent, station, withDerivedPage, context);
        };
    }
    if (!hooks.beforeDelete) {
        hooks.beforeDelete = [this](WeatherStation& station) { doc_->OnStationRemoved(station); };
    }
    StationsDialog dialog(this, runtime_->Stations(), runtime_->Classes(), *ui_, stationSelection_, hooks);
    dialog.exec();
    SaveStations();
    view_->viewport()->update();
}

void CMainFrame::OnStationProtection() {
    protection_->Toggle(passwordPrompt_);
}

void CMainFrame::OnAlarmDetails() {
    // Asked for: shown in front and given the focus.
    alerts_->ShowPlaced();
    alerts_->raise();
    alerts_->activateWindow();
}

void CMainFrame::OnAlertsChanged() {
    alerts_->ShowAlerts(runtime_->AlertsText());
    UpdateCommandUI();
}

void CMainFrame::OnMuteAlarms() {
    MuteAllAlarms().store(MuteAllAlarms().load() != 0 ? 0 : 1);
    SaveStations();  // every station record carries the switch
}

void CMainFrame::OnDisableAlarms() {
    DisableAllAlarms().store(DisableAllAlarms().load() != 0 ? 0 : 1);
}

void CMainFrame::OnNoDataWarning() {
    const int period = NoDataDialog::Edit(this, settings_, runtime_->NoDataPeriod());
    if (period >= 0) {
        runtime_->SetNoDataPeriod(period);
    }
}

void CMainFrame::OnWebOutput() {
    if (EditWebOutput(this, settings_, ui_.get()) == kSheetOk) {
        // The new settings take effect at once; the interval still counts from the last page.
        runtime_->Web().Config() = LoadWebOutputSettings(settings_);
        outputs_->ReloadSettings();
    }
}

void CMainFrame::OnMailSettings() {
    if (EditMailSettings(this, settings_, clock_, ui_.get()) == kSheetOk) {
        outputs_->ReloadSettings();
    }
}

void CMainFrame::OnLockLayout() {
    layoutLocked_ = !layoutLocked_;
    settings_.WriteSettingString(kSectionSettings, kKeyLockLayout, layoutLocked_ ? kLockLayoutYes : kLockLayoutDefault);
    view_->SetLayoutLocked(layoutLocked_);
}

}  // namespace svu
