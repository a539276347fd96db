#include "app/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QToolBar>
#include <algorithm>
#include <filesystem>

#include "Version.h"
#include "app/AboutBox.h"
#include "app/AlertsWindow.h"
#include "app/CStratavueApp.h"
#include "app/CStratavueDoc.h"
#include "app/CStratavueView.h"
#include "app/GuiUserInterface.h"
#include "app/LogFileDialogs.h"
#include "app/NoDataDialog.h"
#include "app/RainfallDialogs.h"
#include "app/StartupOptionDialog.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "gadgets/BitmapGadget.h"
#include "pages/GadgetPages.h"
#include "pages/Sheets.h"
#include "runtime/Runtime.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kRealtimeEnabled = 104;
constexpr int kDisplayFileFilter = 158;
constexpr int kToolbarCaption = 181;
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
    ui_->SetParentWindow(this);
    doc_->SetStations(&runtime_->Stations());
    doc_->SetBitmapFolder(settings.ProgramDir());
    view_ = new CStratavueView(*doc_, this);
    setCentralWidget(view_);
    view_->SetRuntime(runtime_.get());
    view_->SetUserInterface(*ui_);
    // The display items' pictures live in the program folder; their sheets list our stations.
    SetGadgetBitmapFolder(settings.ProgramDir());
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
    // The view observes the document: it goes before the document does.
    std::unique_ptr<QWidget> view(takeCentralWidget());
    view.reset();
    view_ = nullptr;
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

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text, void (CMainFrame::*slot)()) {
    return AddCommand(menu, command, text, [this, slot] { (this->*slot)(); });
}

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text, std::function<void()> handler) {
    auto* action = new QAction(text, this);
    action->setData(command);
    connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] {
        handler();
        UpdateCommandUI();
    });
    if (menu != nullptr) {
        menu->addAction(action);
    }
    actions_[command] = action;
    return action;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    AddCommand(file, cmd::kFileNew, tr("&New"), &CMainFrame::OnFileNew)->setShortcut(QKeySequence::New);
    AddCommand(file, cmd::kFileOpen, tr("&Open..."), &CMainFrame::OnFileOpen)->setShortcut(QKeySequence::Open);
    AddCommand(file, cmd::kFileSave, tr("&Save"), [this] { OnFileSave(); })->setShortcut(QKeySequence::Save);
    AddCommand(file, cmd::kFileSaveAs, tr("Save &As..."), [this] { OnFileSaveAs(); });
    file->addSeparator();
    AddCommand(file, cmd::kStartupOption, tr("&Default file on start-up..."), [this] {
        StartupOptionDialog dialog(this, settings_);
        dialog.exec();
    });
    file->addSeparator();
    AddCommand(file, cmd::kFilePrint, tr("&Print..."), [this] { view_->Print(); })->setShortcut(QKeySequence::Print);
    AddCommand(file, cmd::kFilePrintPreview, tr("Print Pre&view"), [this] { view_->PrintPreview(); });
    AddCommand(file, cmd::kSaveScreen, tr("Save screen as &bitmap..."), [this] { view_->SaveScreenAsBitmap(); });
    file->addSeparator();
    recentMenu_ = file->addMenu(tr("Recent &Files"));
    file->addSeparator();
    AddCommand(file, cmd::kAppExit, tr("E&xit"), [this] { close(); });

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    AddCommand(edit, cmd::kEditCopy, tr("&Copy"), [this] {
        view_->CopyToClipboard();
    })->setShortcut(QKeySequence::Copy);
    edit->addSeparator();
    AddCommand(edit, cmd::kAddDisplayItem, tr("&Add display item..."), [this] { view_->AddDisplayItem(); });
    AddCommand(edit, cmd::kLockLayout, tr("&Lock layout"), &CMainFrame::OnLockLayout)->setCheckable(true);
    edit->addSeparator();
    AddCommand(edit, cmd::kNormalColour, tr("&Normal background colour..."),
               [this] { view_->BackgroundColour(PageColour::Normal); });
    AddCommand(edit, cmd::kAlertColour, tr("Al&ert background colour..."),
               [this] { view_->BackgroundColour(PageColour::Alert); });
    AddCommand(edit, cmd::kAlarmColour, tr("Ala&rm background colour..."),
               [this] { view_->BackgroundColour(PageColour::Alarm); });
    AddCommand(edit, cmd::kBackgroundBitmap, tr("Background &bitmap..."), [this] { view_->BackgroundBitmap(); });
    AddCommand(edit, cmd::kRenamePages, tr("Re&name pages..."), [this] { view_->RenamePages(); });
    AddCommand(edit, cmd::kCopyPageElements, tr("Co&py page elements..."), [this] { view_->CopyPageElements(); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    AddCommand(view, cmd::kRealtime, tr("&Realtime"), &CMainFrame::ToggleAcquisition)->setCheckable(true);
    AddCommand(view, cmd::kAlarmDetails, tr("Alarm &details..."), &CMainFrame::OnAlarmDetails);
    view->addSeparator();
    pageMenu_ = view->addMenu(tr("&Page"));
    AddCommand(view, cmd::kPageSwitching, tr("&Automatic page switching..."), [this] { view_->PageSwitchingDialog(); });
    view->addSeparator();
    QMenu* historic = view->addMenu(tr("&Historic"));
    AddCommand(historic, cmd::kWeeklyRainfall, tr("W&eekly rainfall total..."),
               [this] { RainfallDialog::Run(this, runtime_->Stations(), RainfallDialog::Period::Week, *ui_); });
    AddCommand(historic, cmd::kMonthlyRainfall, tr("&Monthly rainfall total..."),
               [this] { RainfallDialog::Run(this, runtime_->Stations(), RainfallDialog::Period::Month, *ui_); });
    view->addSeparator();
    // The toolbar's and status bar's own toggles are added in CreateToolBar / CreateStatusBar.
    view->setObjectName(QStringLiteral("viewMenu"));

    QMenu* stations = menuBar()->addMenu(tr("&Stations"));
    AddCommand(stations, cmd::kWeatherStations, tr("&Weather stations..."), &CMainFrame::OnWeatherStations);
    AddCommand(stations, cmd::kStationProtection, tr("Station &protection..."), &CMainFrame::OnStationProtection)
        ->setCheckable(true);
    stations->addSeparator();
    AddCommand(stations, cmd::kMuteAlarms, tr("&Mute alarms"), &CMainFrame::OnMuteAlarms)->setCheckable(true);
    AddCommand(stations, cmd::kDisableAlarms, tr("&Disable all alarms"), &CMainFrame::OnDisableAlarms)
        ->setCheckable(true);
    AddCommand(stations, cmd::kNoDataWarning, tr("&No-data warning..."), &CMainFrame::OnNoDataWarning);
    stations->addSeparator();
    AddCommand(stations, cmd::kWebOutput, tr("W&eb output..."), &CMainFrame::OnWebOutput);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    AddCommand(tools, cmd::kDownload, tr("&Download logged data..."),
               [this] { RunDownloadCommand(this, runtime_->Stations(), *ui_); });
    AddCommand(tools, cmd::kConvertOldLog, tr("&Convert old log file..."),
               [this] { RunConvertOldLogCommand(this, *ui_); });
    AddCommand(tools, cmd::kCombineLogs, tr("Co&mbine log files..."),
               [this] { CombineLogFilesDialog::Run(this, runtime_->Stations(), *ui_); });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    AddCommand(help, cmd::kAppAbout, tr("&About %1...").arg(QString::fromUtf8(kProductName)), [this] {
        AboutBox box(this);
        box.exec();
    });

    for (QMenu* menu : {file, edit, view, stations, tools, help}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    }
    RebuildPageMenu();
    RebuildRecentFilesMenu();
}

void CMainFrame::CreateToolBar() {
    QToolBar* bar = addToolBar(Q(Str(kToolbarCaption)));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setMovable(true);
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    const auto icon = [this](QStyle::StandardPixmap pixmap) { return style()->standardIcon(pixmap); };
    Action(cmd::kFileNew)->setIcon(icon(QStyle::SP_FileIcon));
    Action(cmd::kFileOpen)->setIcon(icon(QStyle::SP_DialogOpenButton));
    Action(cmd::kFileSave)->setIcon(icon(QStyle::SP_DialogSaveButton));
    Action(cmd::kRealtime)->setIcon(icon(QStyle::SP_MediaPlay));
    Action(cmd::kWeatherStations)->setIcon(icon(QStyle::SP_ComputerIcon));
    Action(cmd::kAlarmDetails)->setIcon(icon(QStyle::SP_MessageBoxWarning));
    Action(cmd::kAppAbout)->setIcon(icon(QStyle::SP_MessageBoxInformation));
    Action(cmd::kEditCopy)->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy")));
    Action(cmd::kFilePrint)->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    for (int command : {cmd::kFileNew, cmd::kFileOpen, cmd::kFileSave}) {
        bar->addAction(Action(command));
    }
    bar->addSeparator();
    bar->addAction(Action(cmd::kEditCopy));
    bar->addAction(Action(cmd::kFilePrint));
    bar->addSeparator();
    for (int command : {cmd::kRealtime, cmd::kWeatherStations, cmd::kAlarmDetails}) {
        bar->addAction(Action(command));
    }
    bar->addSeparator();
    bar->addAction(Action(cmd::kAppAbout));
    if (auto* viewMenu = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))) {
        QAction* toggle = bar->toggleViewAction();
        toggle->setText(tr("&Toolbar"));
        viewMenu->addAction(toggle);
        actions_[cmd::kViewToolbar] = toggle;
    }
}

void CMainFrame::CreateStatusBar() {
    pagePane_ = new QLabel(this);
    pagePane_->setMinimumWidth(kPagePaneWidth);
    pagePane_->setFrameShape(QFrame::StyledPanel);
    realtimePane_ = new QLabel(Q(Str(kRealtimeEnabled)), this);
    // At least the classic width, wider where the font needs it to show the whole text.
    realtimePane_->setMinimumWidth(std::max(kRealtimePaneWidth, realtimePane_->sizeHint().width()));
    realtimePane_->setFrameShape(QFrame::StyledPanel);
    statusBar()->addPermanentWidget(pagePane_);
    statusBar()->addPermanentWidget(realtimePane_);
    if (auto* viewMenu = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))) {
        QAction* toggle = AddCommand(viewMenu, cmd::kViewStatusBar, tr("&Status bar"),
                                     [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
        toggle->setCheckable(true);
    }
}

void CMainFrame::RebuildPageMenu() {
    for (QAction* old : pageMenu_->actions()) {
        actions_.erase(old->data().toInt());
        old->deleteLater();
    }
    pageMenu_->clear();
    for (int n = 0; n < CStratavueDoc::kPageCount; ++n) {
        QAction* page = AddCommand(pageMenu_, cmd::kViewPage1 + n, Q(doc_->pageName[static_cast<size_t>(n)]),
                                   [this, n] { view_->ShowPage(n + 1); });
        page->setCheckable(true);
    }
    UpdateCommandUI();
}

void CMainFrame::RebuildRecentFilesMenu() {
    for (QAction* old : recentMenu_->actions()) {
        actions_.erase(old->data().toInt());
        old->deleteLater();
    }
    recentMenu_->clear();
    const auto& entries = recentFiles_.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
        const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(Q(RecentFileList::DisplayName(entries[i])));
        AddCommand(recentMenu_, cmd::kFileMru1 + static_cast<int>(i), text, [this, i] { OnOpenRecent(i); });
    }
    recentMenu_->setEnabled(!entries.empty());
}

void CMainFrame::UpdateCommandUI() {
    const bool running = runtime_->AcquisitionRunning();
    const bool layoutEditable = !running && !layoutLocked_;
    const auto set = [this](int command, bool enabled, int checked = -1) {
        if (QAction* a = Action(command)) {
            a->setEnabled(enabled);
            if (checked >= 0) {
                a->setChecked(checked != 0);
            }
        }
    };
    set(cmd::kRealtime, !stopping_, running && !stopping_);
    set(cmd::kWeatherStations, !running);
    set(cmd::kAlarmDetails, !runtime_->AlertsText().empty());
    set(cmd::kMuteAlarms, true, MuteAllAlarms().load() != 0);
    set(cmd::kDisableAlarms, true, DisableAllAlarms().load() != 0);
    set(cmd::kStationProtection, true, protection_->Protected());
    set(cmd::kDownload, !running);
    for (int command : {cmd::kAddDisplayItem, cmd::kNormalColour, cmd::kAlertColour, cmd::kAlarmColour,
                        cmd::kBackgroundBitmap, cmd::kCopyPageElements}) {
        set(command, layoutEditable);
    }
    set(cmd::kLockLayout, true, layoutLocked_);
    set(cmd::kEditCopy, !doc_->gadgets.empty());
    for (int n = 0; n < CStratavueDoc::kPageCount; ++n) {
        set(cmd::kViewPage1 + n, true, doc_->currentPage == n + 1);
    }
    set(cmd::kViewStatusBar, true, statusBar()->isVisible());
}

void CMainFrame::UpdateTitle() {
    const std::string& path = doc_->PathName();
    const QString name = path.empty() ? tr("Untitled") : QFileInfo(Q(path)).fileName();
    setWindowTitle(
        QStringLiteral("%1%2 - %3")
            .arg(name, doc_->IsModified() ? QStringLiteral("*") : QString(), QString::fromUtf8(kProductName)));
}

void CMainFrame::UpdateRealtimePane() {
    realtimePane_->setEnabled(runtime_->AcquisitionRunning() && !stopping_);
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!initialised_) {
        initialised_ = true;
        view_->InitialUpdate();
        RebuildPageMenu();
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

// ---- Documents ----

bool CMainFrame::SaveModified() {
    if (!doc_->IsModified()) {
        return true;
    }
    const std::string& path = doc_->PathName();
    const QString name = path.empty() ? tr("Untitled") : QFileInfo(Q(path)).fileName();
    const MsgResult answer = ui_->MessageBox(tr("Save changes to %1?").arg(name).toStdString(), kProductName,
                                             MsgButtons::YesNoCancel, MsgIcon::Question);
    if (answer == MsgResult::Yes) {
        return OnFileSave();
    }
    return answer == MsgResult::No;
}

void CMainFrame::NewDocument() {
    doc_->OnNewDocument();
    doc_->SetRunning(runtime_->AcquisitionRunning());
    UpdateTitle();
    UpdateCommandUI();
}

bool CMainFrame::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    std::string error;
    if (!doc_->Load(full.toStdString(), &error)) {
        ui_->MessageBox(Str(kUnableToOpen) + "\n" + full.toStdString() + (error.empty() ? "" : "\n" + error),
                        kProductName, MsgButtons::Ok, MsgIcon::Stop);
        UpdateTitle();
        UpdateCommandUI();
        return false;
    }
    doc_->SetRunning(runtime_->AcquisitionRunning());
    recentFiles_.Add(full.toStdString());
    RebuildRecentFilesMenu();
    UpdateTitle();
    UpdateCommandUI();
    return true;
}

void CMainFrame::OnFileNew() {
    if (SaveModified()) {
        NewDocument();
    }
}

void CMainFrame::OnFileOpen() {
    if (!SaveModified()) {
        return;
    }
    const QString path =
        QFileDialog::getOpenFileName(this, tr("Open"), QString(), FileDialogFilter(kDisplayFileFilter));
    if (!path.isEmpty()) {
        OpenDocumentFile(path);
    }
}

void CMainFrame::OnOpenRecent(size_t index) {
    if (index >= recentFiles_.Entries().size() || !SaveModified()) {
        return;
    }
    const QString path = Q(recentFiles_.Entries()[index]);
    if (!OpenDocumentFile(path)) {
        recentFiles_.Remove(index);  // gone or damaged: it leaves the list, as a failed open should
        RebuildRecentFilesMenu();
    }
}

bool CMainFrame::OnFileSave() {
    if (doc_->PathName().empty()) {
        return OnFileSaveAs();
    }
    std::string error;
    if (!doc_->Save(doc_->PathName(), &error)) {
        ui_->MessageBox(Str(kUnableToOpen) + "\n" + error, kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    UpdateTitle();
    return true;
}

bool CMainFrame::OnFileSaveAs() {
    QFileDialog dialog(this, tr("Save As"), Q(doc_->PathName()), FileDialogFilter(kDisplayFileFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("svu"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog.selectedFiles().front();
    std::string error;
    if (!doc_->Save(path.toStdString(), &error)) {
        ui_->MessageBox(Str(kUnableToOpen) + "\n" + error, kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    recentFiles_.Add(QFileInfo(path).absoluteFilePath().toStdString());
    RebuildRecentFilesMenu();
    UpdateTitle();
    return true;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            if (SaveModified()) {
                OpenDocumentFile(url.toLocalFile());
            }
            return;
        }
    }
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
    alerts_->show();
    alerts_->raise();
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
    }
}

void CMainFrame::OnLockLayout() {
    layoutLocked_ = !layoutLocked_;
    settings_.WriteSettingString(kSectionSettings, kKeyLockLayout, layoutLocked_ ? kLockLayoutYes : kLockLayoutDefault);
    view_->SetLayoutLocked(layoutLocked_);
}

}  // namespace svu
