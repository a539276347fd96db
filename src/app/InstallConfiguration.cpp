#include "app/InstallConfiguration.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "Version.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "framework/UserInterface.h"

namespace svu {

namespace {

constexpr int kChooseFirstDisk = 253;
constexpr int kNoListCaption = 254;
constexpr int kNoListText = 255;
constexpr int kInsertDiskText = 256;
constexpr int kInsertDiskCaption = 257;
constexpr int kInvalidListText = 258;
constexpr int kErrorCaption = 259;
constexpr int kCopyFailed = 260;
constexpr int kIntroText = 261;
constexpr int kIntroCaption = 262;

namespace fs = std::filesystem;

std::string_view SkipDigits(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        ++i;
    }
    return text.substr(i);
}

// The lists come from Windows disks: names may use backslashes. A name must stay inside the
// destination folder, whatever the list says.
std::optional<fs::path> SafeRelativePath(const std::string& name) {
    std::string portable = name;
    for (char& c : portable) {
        if (c == '\\') {
            c = '/';
        }
    }
    fs::path path(portable);
    if (path.empty() || path.is_absolute() || path.has_root_name()) {
        return std::nullopt;
    }
    for (const fs::path& part : path) {
        if (part == "..") {
            return std::nullopt;
        }
    }
    return path;
}

bool CopyOne(const fs::path& source, const fs::path& destination) {
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        return false;
    }
    if (destination.has_parent_path()) {
        fs::create_directories(destination.parent_path(), ec);
    }
    if (!fs::copy_file(source, destination, fs::copy_options::overwrite_existing, ec)) {
        return false;
    }
    // Copies from read-only media keep their read-only mode; the program rewrites these files.
    fs::permissions(destination,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                    fs::perm_options::add, ec);
    return true;
}

}  // namespace

std::vector<InstallStep> PlanInstallation(std::string_view listText) {
    std::vector<InstallStep> steps;
    int currentDisk = 1;
    std::istringstream in{std::string(listText)};
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (Trim(line).empty() || line.front() == ';') {
            continue;
        }
        const int disk = AtoI(line);
        if (disk == currentDisk + 1) {
            steps.push_back({InstallStep::Kind::InsertDisk, disk, {}});
            currentDisk = disk;
        }
        const std::string name(Trim(SkipDigits(TrimLeft(line))));
        if (disk != currentDisk || name.empty()) {
            steps.push_back({InstallStep::Kind::Invalid, disk, {}});
            break;
        }
        steps.push_back({InstallStep::Kind::CopyFile, disk, name});
    }
    return steps;
}

InstallOutcome InstallConfiguration(UserInterface& ui, const FolderChooser& chooseFolder,
                                    const std::string& destinationFolder) {
    ui.MessageBox(Str(kIntroText), Str(kIntroCaption), MsgButtons::Ok, MsgIcon::Info);
    const std::optional<std::string> chosen = chooseFolder(Str(kChooseFirstDisk));
    if (!chosen) {
        return InstallOutcome::Cancelled;
    }
    const fs::path source(*chosen);
    std::ifstream list(source / kInstallListFileName, std::ios::binary);
    if (!list) {
        ui.MessageBox(Str(kNoListText), Str(kNoListCaption), MsgButtons::Ok, MsgIcon::Stop);
        return InstallOutcome::NoListFile;
    }
    std::ostringstream text;
    text << list.rdbuf();

    const fs::path destination(destinationFolder);
    for (const InstallStep& step : PlanInstallation(text.str())) {
        switch (step.kind) {
            case InstallStep::Kind::InsertDisk:
                ui.MessageBox(FormatString(kInsertDiskText, step.disk), Str(kInsertDiskCaption), MsgButtons::Ok,
                              MsgIcon::Info);
                break;
            case InstallStep::Kind::Invalid:
                ui.MessageBox(Str(kInvalidListText), Str(kErrorCaption), MsgButtons::Ok, MsgIcon::Stop);
                return InstallOutcome::InvalidList;
            case InstallStep::Kind::CopyFile: {
                const std::optional<fs::path> relative = SafeRelativePath(step.fileName);
                if (!relative || !CopyOne(source / *relative, destination / *relative)) {
                    ui.MessageBox(FormatString(kCopyFailed, step.fileName, step.disk), kProductName, MsgButtons::Ok,
                                  MsgIcon::Warning);
                }
                break;
            }
        }
    }
    return InstallOutcome::Installed;
}

}  // namespace svu
