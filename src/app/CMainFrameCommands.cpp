// The main window's menus, toolbar and status bar, the enabling of their commands, the title, and
// the File menu's document commands. The runtime side of the frame is in CMainFrame.cpp.

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QRegularExpression>
#include <QToolBar>
#include <algorithm>

#include "Version.h"
#include "app/AboutBox.h"
#include "app/CMainFrame.h"
#include "app/CStratavueApp.h"
#include "app/CStratavueDoc.h"
#include "app/CStratavueView.h"
#include "app/GuiUserInterface.h"
#include "app/HelpWindow.h"
#include "app/HistoricCommands.h"
#include "app/LogFileDialogs.h"
#include "app/RainfallDialogs.h"
#include "app/StartupOptionDialog.h"
#include "app/ToolbarIcons.h"
#include "framework/StringTable.h"
#include "pages/LiveOutputPages.h"
#include "runtime/Runtime.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kRealtimeEnabled = 104;
constexpr int kLiveOutputsCommand = 32850;  // live values and MQTT settings
constexpr int kMailSettingsCommand = 32853;  // the mail server of alarm e-mail
constexpr int kDisplayFileFilter = 158;
constexpr int kToolbarCaption = 181;
constexpr int kUnableToOpen = 234;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The tool tip of a menu text: without its mnemonic and its trailing "...".
QString ToolTipOf(QString text) {
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    if (text.endsWith(QStringLiteral("..."))) {
        text.chop(3);
    }
    return text;
}

}  // namespace

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text, const QString& prompt,
                                void (CMainFrame::*slot)()) {
    return AddCommand(menu, command, text, prompt, [this, slot] { (this->*slot)(); });
}

QAction* CMainFrame::AddCommand(QMenu* menu, int command, const QString& text, const QString& prompt,
                                std::function<void()> handler) {
    auto* action = new QAction(text, this);
    action->setData(command);
    action->setStatusTip(prompt);
    action->setToolTip(ToolTipOf(text));
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

QMenu* CMainFrame::AddSubmenu(QMenu* parent, const QString& text, const QString& prompt) {
    QMenu* menu = parent->addMenu(text);
    menu->menuAction()->setStatusTip(prompt);
    menu->menuAction()->setToolTip(ToolTipOf(text));
    return menu;
}

void CMainFrame::CreateMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    AddCommand(file, cmd::kFileNew, tr("&New"), tr("Create a new display document"), &CMainFrame::OnFileNew)
        ->setShortcut(QKeySequence::New);
    AddCommand(file, cmd::kFileOpen, tr("&Open..."), tr("Open an existing display document"), &CMainFrame::OnFileOpen)
        ->setShortcut(QKeySequence::Open);
    AddCommand(file, cmd::kFileSave, tr("&Save"), tr("Save the display document"), [this] { OnFileSave(); })
        ->setShortcut(QKeySequence::Save);
    AddCommand(file, cmd::kFileSaveAs, tr("Save &As..."), tr("Save the display document under a new name"),
               [this] { OnFileSaveAs(); });
    file->addSeparator();
    AddCommand(file, cmd::kStartupOption, tr("&Default file on start-up..."),
               tr("Choose a display document to open, with acquisition on, at start-up"), [this] {
                   StartupOptionDialog dialog(this, settings_);
                   dialog.exec();
               });
    file->addSeparator();
    AddCommand(file, cmd::kFilePrint, tr("&Print..."), tr("Print the page shown"), [this] { view_->Print(); })
        ->setShortcut(QKeySequence::Print);
    AddCommand(file, cmd::kFilePrintDirect, tr("Print &direct"),
               tr("Print the page shown on the current printer without asking"), [this] { view_->PrintDirect(); });
    AddCommand(file, cmd::kFilePrintPreview, tr("Print Pre&view"), tr("Show the page shown as it would be printed"),
               [this] { view_->PrintPreview(); });
    AddCommand(file, cmd::kFilePrintSetup, tr("P&rint Setup..."), tr("Choose the printer, the paper and its layout"),
               [this] { view_->PrintSetup(); });
    AddCommand(file, cmd::kSaveScreen, tr("Save screen as &bitmap..."), tr("Save a picture of the page as a bitmap file"),
               [this] { view_->SaveScreenAsBitmap(); });
    file->addSeparator();
    recentMenu_ = AddSubmenu(file, tr("Recent &Files"), tr("Open a display document used recently"));
    file->addSeparator();
    AddCommand(file, cmd::kAppExit, tr("E&xit"), tr("Quit the program; acquisition stops first"), [this] { close(); });

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    AddCommand(edit, cmd::kEditCopy, tr("&Copy"), tr("Copy a picture of the page to the clipboard"), [this] {
        view_->CopyToClipboard();
    })->setShortcut(QKeySequence::Copy);
    edit->addSeparator();
    AddCommand(edit, cmd::kAddDisplayItem, tr("&Add display item..."), tr("Add a display item to the page"),
               [this] { view_->AddDisplayItem(); });
    AddCommand(edit, cmd::kLockLayout, tr("&Lock layout"), tr("Lock or unlock the layout of the pages"),
               &CMainFrame::OnLockLayout)
        ->setCheckable(true);
    edit->addSeparator();
    AddCommand(edit, cmd::kNormalColour, tr("&Normal background colour..."),
               tr("Choose the page's colour while no alarm or alert is raised"),
               [this] { view_->BackgroundColour(PageColour::Normal); });
    AddCommand(edit, cmd::kAlertColour, tr("Al&ert background colour..."),
               tr("Choose the page's colour while an alert is raised"),
               [this] { view_->BackgroundColour(PageColour::Alert); });
    AddCommand(edit, cmd::kAlarmColour, tr("Ala&rm background colour..."),
               tr("Choose the page's colour while an alarm is raised"),
               [this] { view_->BackgroundColour(PageColour::Alarm); });
    AddCommand(edit, cmd::kBackgroundBitmap, tr("Background &bitmap..."), tr("Choose a picture behind the page"),
               [this] { view_->BackgroundBitmap(); });
    AddCommand(edit, cmd::kRenamePages, tr("Re&name pages..."), tr("Rename the eight pages"),
               [this] { view_->RenamePages(); });
    AddCommand(edit, cmd::kCopyPageElements, tr("Co&py page elements..."),
               tr("Copy the display items and colours of one page to another"), [this] { view_->CopyPageElements(); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    AddCommand(view, cmd::kRealtime, tr("&Realtime"), tr("Start or stop real-time data collection"),
               &CMainFrame::ToggleAcquisition)
        ->setCheckable(true);
    AddCommand(view, cmd::kAlarmDetails, tr("Alarm &details..."), tr("Show the alerts and alarms raised"),
               &CMainFrame::OnAlarmDetails);
    AddCommand(view, cmd::kRecordedSounds, tr("Recorded &sounds..."),
               tr("List, play and delete the messages recorded by alarms"), [this] { OpenRecordedSounds(); });
    view->addSeparator();
    pageMenu_ = AddSubmenu(view, tr("&Page"), tr("Show another page"));
    AddCommand(view, cmd::kPageSwitching, tr("&Automatic page switching..."),
               tr("Show pages in turn while acquisition runs"), [this] { view_->PageSwitchingDialog(); });
    view->addSeparator();
    QMenu* historic = AddSubmenu(view, tr("&Historic"), tr("Totals from the daily log files"));
    AddCommand(historic, cmd::kWeeklyRainfall, tr("W&eekly rainfall total..."),
               tr("Add up a channel's rainfall over seven days from the daily logs"),
               [this] { RainfallDialog::Run(this, runtime_->Stations(), RainfallDialog::Period::Week, *ui_); });
    AddCommand(historic, cmd::kMonthlyRainfall, tr("&Monthly rainfall total..."),
               tr("Add up a channel's rainfall over a month from the daily logs"),
               [this] { RainfallDialog::Run(this, runtime_->Stations(), RainfallDialog::Period::Month, *ui_); });
    view->addSeparator();
    // The toolbar's and status bar's own toggles are added in CreateToolBar / CreateStatusBar.
    view->setObjectName(QStringLiteral("viewMenu"));

    QMenu* stations = menuBar()->addMenu(tr("&Stations"));
    AddCommand(stations, cmd::kWeatherStations, tr("&Weather stations..."),
               tr("Add, remove and set up the weather stations"), &CMainFrame::OnWeatherStations);
    AddCommand(stations, cmd::kStationProtection, tr("Station &protection..."),
               tr("Protect the station settings with a password, or remove the protection"),
               &CMainFrame::OnStationProtection)
        ->setCheckable(true);
    stations->addSeparator();
    AddCommand(stations, cmd::kMuteAlarms, tr("&Mute alarms"), tr("Silence or sound the alarms' beeps"),
               &CMainFrame::OnMuteAlarms)
        ->setCheckable(true);
    AddCommand(stations, cmd::kDisableAlarms, tr("&Disable all alarms"),
               tr("Stop or resume showing alerts and alarms"), &CMainFrame::OnDisableAlarms)
        ->setCheckable(true);
    AddCommand(stations, cmd::kNoDataWarning, tr("&No-data warning..."),
               tr("Set how long a station may stay silent before a warning"), &CMainFrame::OnNoDataWarning);
    stations->addSeparator();
    AddCommand(stations, cmd::kWebOutput, tr("W&eb output..."), tr("Set up the web page written from the readings"),
               &CMainFrame::OnWebOutput);
    AddCommand(stations, kLiveOutputsCommand, tr("&Live values and MQTT..."),
               tr("Serve live values to other programs and publish them by MQTT"),
               [this] { EditLiveOutputs(this, settings_, *runtime_, ui_.get()); });
    AddCommand(stations, kMailSettingsCommand, tr("M&ail..."), tr("Set up the mail server that sends alarm e-mail"),
               &CMainFrame::OnMailSettings);

    QMenu* tools = menuBar()->addMenu(tr("&Tools"));
    AddCommand(tools, cmd::kDownload, tr("&Download logged data..."),
               tr("Download the data logged by a station's instrument"),
               [this] { RunDownloadCommand(this, runtime_->Stations(), *ui_); });
    AddCommand(tools, cmd::kConvertOldLog, tr("&Convert old log file..."),
               tr("Convert a log file of the old format to a daily log file"),
               [this] { RunConvertOldLogCommand(this, *ui_); });
    AddCommand(tools, cmd::kCombineLogs, tr("Co&mbine log files..."),
               tr("Join a station's daily log files over a period into one file"),
               [this] { CombineLogFilesDialog::Run(this, runtime_->Stations(), *ui_); });
    HistoricCommands::Install(this, runtime_->Stations(), *ui_, historic, tools,
                              [this](QMenu* m, int id, const QString& text, std::function<void()> run) {
                                  QString prompt = text;
                                  prompt.remove(QLatin1Char('&')).remove(QStringLiteral("..."));
                                  return AddCommand(m, id, text, tr("Open: %1").arg(prompt), std::move(run));
                              });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    AddCommand(help, cmd::kHelp, tr("&Help Topics"), tr("Open the user guide"), &CMainFrame::OnHelpTopics)
        ->setShortcut(QKeySequence::HelpContents);
    help->addSeparator();
    AddCommand(help, cmd::kAppAbout, tr("&About %1...").arg(QString::fromUtf8(kProductName)),
               tr("Show the program's version and copyright"), [this] {
                   AboutBox box(this);
                   box.exec();
               });

    for (QMenu* menu : {file, edit, view, stations, tools, help}) {
        menu->menuAction()->setStatusTip(ToolTipOf(menu->title()) + tr(" commands"));
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
    // Our own pictures: a desktop's icon theme may lack some of them, and then a button shows text.
    const std::pair<int, const char*> icons[] = {
        {cmd::kFileNew, "new"},          {cmd::kFileOpen, "open"},     {cmd::kFileSave, "save"},
        {cmd::kEditCopy, "copy"},        {cmd::kFilePrint, "print"},   {cmd::kRealtime, "realtime"},
        {cmd::kWeatherStations, "stations"}, {cmd::kAlarmDetails, "alarms"}, {cmd::kHelp, "help"},
        {cmd::kAppAbout, "about"},
    };
    for (const auto& [command, name] : icons) {
        Action(command)->setIcon(ToolbarIcon(QString::fromLatin1(name)));
    }
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
    bar->addAction(Action(cmd::kHelp));
    bar->addAction(Action(cmd::kAppAbout));
    if (auto* viewMenu = menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))) {
        QAction* toggle = bar->toggleViewAction();
        toggle->setText(tr("&Toolbar"));
        toggle->setStatusTip(tr("Show or hide the toolbar"));
        toggle->setToolTip(tr("Toolbar"));
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
        QAction* toggle = AddCommand(viewMenu, cmd::kViewStatusBar, tr("&Status bar"), tr("Show or hide the status bar"),
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
                                   tr("Show page %1").arg(n + 1), [this, n] { view_->ShowPage(n + 1); });
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
        AddCommand(recentMenu_, cmd::kFileMru1 + static_cast<int>(i), text, tr("Open %1").arg(Q(entries[i])),
                   [this, i] { OnOpenRecent(i); });
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

void CMainFrame::OnHelpTopics() {
    if (help_ == nullptr) {
        help_ = new HelpWindow(this, HelpDocsFolder());
    }
    help_->ShowDocument(QStringLiteral("user-guide.md"));
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

}  // namespace svu

