#include "app/CStratavueApp.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <algorithm>

#include "app/AboutBox.h"
#include "app/CMainFrame.h"
#include "app/Splash.h"
#include "app/StartupOptionDialog.h"
#include "framework/Clock.h"
#include "framework/Settings.h"
#include "framework/TextUtil.h"

namespace svu {

namespace {

CStratavueApp* theApp = nullptr;

constexpr int kExitStartupFailed = 1;

std::optional<std::string> ChooseFolderWithDialog(const std::string& title) {
    const QString folder = QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder.toStdString();
}

}  // namespace

CStratavueApp* TheApp() {
    return theApp;
}

// ---- Recent files ----

void RecentFileList::Read(const Settings& settings) {
    entries_.clear();
    for (int i = 1; i <= kSize; ++i) {
        const std::string path = settings.GetSettingString(kSectionMru, FormatC(kMruKeyFormat, i), "");
        if (!path.empty() && std::find(entries_.begin(), entries_.end(), path) == entries_.end()) {
            entries_.push_back(path);
        }
    }
}

void RecentFileList::Write(Settings& settings) const {
    settings.DeleteSettingSection(kSectionMru);
    for (size_t i = 0; i < entries_.size(); ++i) {
        settings.WriteSettingString(kSectionMru, FormatC(kMruKeyFormat, static_cast<int>(i + 1)), entries_[i]);
    }
}

void RecentFileList::Add(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::erase(entries_, path);
    entries_.insert(entries_.begin(), path);
    if (entries_.size() > static_cast<size_t>(kSize)) {
        entries_.resize(kSize);
    }
}

void RecentFileList::Remove(size_t index) {
    if (index < entries_.size()) {
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::string RecentFileList::DisplayName(const std::string& path, size_t maxLength) {
    if (path.size() <= maxLength) {
        return path;
    }
    std::vector<std::string> parts;
    for (size_t begin = 0; begin <= path.size();) {
        const size_t slash = std::min(path.find('/', begin), path.size());
        if (slash > begin) {
            parts.push_back(path.substr(begin, slash - begin));
        }
        begin = slash + 1;
    }
    if (parts.empty()) {
        return path;
    }
    // The root, "...", then as many of the last folders as fit; at the least the file name.
    const std::string root = path.front() == '/' ? "/" : "";
    for (size_t keep = parts.size() - 1; keep >= 1; --keep) {
        std::string candidate = root + "...";
        for (size_t i = parts.size() - keep; i < parts.size(); ++i) {
            candidate += "/" + parts[i];
        }
        if (candidate.size() <= maxLength) {
            return candidate;
        }
    }
    return parts.back();
}

// ---- Command line ----

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QStringLiteral("--program-dir") && i + 1 < arguments.size()) {
            line.programDir = arguments[++i].toStdString();
        } else if (a.startsWith(QStringLiteral("--program-dir="))) {
            line.programDir = a.mid(14).toStdString();
        } else if (a == QStringLiteral("--nosplash") || a == QStringLiteral("/nosplash")) {
            line.noSplash = true;
        } else if (!a.startsWith(QLatin1Char('-')) && line.fileName.empty()) {
            line.fileName = a.toStdString();
        }
    }
    // A station definition file opened from a file manager: its folder is the program folder.
    if (line.fileName.size() > 4 && QString::fromStdString(line.fileName).endsWith(QStringLiteral(".wsf"), Qt::CaseInsensitive)) {
        if (line.programDir.empty()) {
            line.programDir = QFileInfo(QString::fromStdString(line.fileName)).absolutePath().toStdString();
        }
        line.fileName.clear();
    }
    return line;
}

// ---- The application ----

CStratavueApp::CStratavueApp() : folderChooser_(ChooseFolderWithDialog) {
    theApp = this;
}

CStratavueApp::~CStratavueApp() {
    frame_.reset();
    if (theApp == this) {
        theApp = nullptr;
    }
}

const std::string& CStratavueApp::ProgramDir() const {
    return settings_->ProgramDir();
}

int CStratavueApp::GetSettingInt(std::string_view section, std::string_view key, int defaultValue) const {
    return settings_->GetSettingInt(section, key, defaultValue);
}

std::string CStratavueApp::GetSettingString(std::string_view section, std::string_view key,
                                            std::string_view defaultValue) const {
    return settings_->GetSettingString(section, key, defaultValue);
}

void CStratavueApp::WriteSettingInt(std::string_view section, std::string_view key, int value) {
    settings_->WriteSettingInt(section, key, value);
}

void CStratavueApp::WriteSettingString(std::string_view section, std::string_view key, std::string_view value) {
    settings_->WriteSettingString(section, key, value);
}

void CStratavueApp::DeleteSettingSection(std::string_view section) {
    settings_->DeleteSettingSection(section);
}

std::optional<int> CStratavueApp::InitInstance(const QStringList& arguments) {
    const CommandLine commandLine = ParseCommandLine(arguments);
    // The settings path is fixed here: file dialogs may change the current folder later.
    settings_ = std::make_unique<Settings>(commandLine.programDir);
    recentFiles_.Read(*settings_);
    previewPages_ = settings_->GetSettingInt(kSectionSettings, kKeyPreviewPages, kPreviewPagesDefault);

    frame_ = std::make_unique<CMainFrame>(*settings_, recentFiles_, SystemClock());
    if (!frame_->LoadStationFile(folderChooser_)) {
        return 0;  // the installation was not completed, or the station file is damaged (reported)
    }

    std::string fileName = commandLine.fileName;
    bool splash = !commandLine.noSplash;
    if (fileName.empty() && GetSettingInt(kSectionSettings, kKeyEnableDefault, kEnableDefaultDefault) != 0) {
        fileName = GetSettingString(kSectionSettings, kKeyDefaultFilename, kDefaultFilenameDefault);
        splash = false;
        defaultFileTaken_ = true;
    }
    if (!fileName.empty() || defaultFileTaken_) {
        if (!frame_->OpenDocumentFile(QString::fromStdString(fileName))) {
            return kExitStartupFailed;
        }
    } else {
        frame_->NewDocument();
    }

    // Without a window manager "maximised" means nothing: start with the whole screen anyway.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        frame_->setGeometry(screen->availableGeometry());
    }
    frame_->showMaximized();
    frame_->repaint();
    if (splash) {
        CMainFrame* frame = frame_.get();
        Splash::ShowSplash([frame] { frame->update(); });
    }
    if (defaultFileTaken_) {
        frame_->ToggleAcquisition();
    }
    return std::nullopt;
}

int CStratavueApp::ExitInstance() {
    if (settings_) {
        recentFiles_.Write(*settings_);
        if (previewPages_ != 0) {
            settings_->WriteSettingInt(kSectionSettings, kKeyPreviewPages, previewPages_);
        }
    }
    frame_.reset();
    return 0;
}

void CStratavueApp::OnAppAbout() {
    AboutBox box(frame_.get());
    box.exec();
}

void CStratavueApp::OnStartupOption() {
    StartupOptionDialog dialog(frame_.get(), *settings_);
    dialog.exec();
}

}  // namespace svu
