#pragma once

// First run: the configuration files (the station definition file and whatever the supplier adds)
// are copied from the supplier's configuration disks, as listed by "stratavue.inf" on the first disk.
// Each kept line of the list is a disk number and a file name; disk numbers rise one at a time and
// the first line of the next disk asks for that disk.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace svu {

class UserInterface;

/// One step of an installation, in list order.
struct InstallStep {
    enum class Kind {
        InsertDisk,  // ask for disk `disk`
        CopyFile,    // copy `fileName` from the current disk
        Invalid,     // the list is broken here: the installation ends
    };
    Kind kind = Kind::Invalid;
    int disk = 0;
    std::string fileName;

    bool operator==(const InstallStep&) const = default;
};

/// The steps a list file asks for. Blank lines and lines starting with ";" are skipped. The steps end
/// with an Invalid step at the first line whose disk number is neither the current disk nor the
/// next one, or that names no file; the steps before it are still carried out.
std::vector<InstallStep> PlanInstallation(std::string_view listText);

/// How an installation ended. Every ending but Installed ends the program.
enum class InstallOutcome { Installed, Cancelled, NoListFile, InvalidList };

/// Asks for the folder of the first disk (the title is the prompt); nullopt when cancelled.
using FolderChooser = std::function<std::optional<std::string>(const std::string& title)>;

/// Runs the whole installation into `destinationFolder`: the introduction, the folder of the first
/// disk, the list file, then the disk prompts and copies. A file that cannot be copied is reported
/// and skipped. A copied file is made writable (it may come from read-only media).
InstallOutcome InstallConfiguration(UserInterface& ui, const FolderChooser& chooseFolder,
                                    const std::string& destinationFolder);

}  // namespace svu
