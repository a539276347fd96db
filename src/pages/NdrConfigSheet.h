#pragma once

// "Calyra Configuration": the data logger's own set-up, edited on a copy and written back on OK,
// with Download and Upload buttons that transfer it through the station's command line.

#include <functional>

#include "loggers/NdrConfig.h"
#include "pages/PropertySheet.h"

class QPushButton;

namespace svu {

class NdrDiffDialog;
class NdrLoggerLink;
class NdrTransferDialog;

class NdrConfigSheet : public PropertySheet {
public:
    /// Edits `target`; `link` (may be null: no transfer buttons) reaches the logger.
    NdrConfigSheet(QWidget* parent, NDR& target, NdrLoggerLink* link, UserInterface* ui = nullptr);

    /// Reads the logger's set-up into the sheet (and the station); false when it was not read.
    bool Download();
    /// Writes the sheet's set-up to the logger after showing what changes; false when nothing or
    /// not all was written.
    bool Upload();

    /// The set-up as the pages hold it after the last store.
    const NDR& Edited() const { return edit_; }
    QPushButton* DownloadButton() const { return download_; }
    QPushButton* UploadButton() const { return upload_; }

    /// Hooks for tests and screenshots: each window before it runs (the transfer window, the
    /// upload's list of changes).
    std::function<void(NdrTransferDialog&)> onTransferWindow;
    std::function<void(NdrDiffDialog&)> onDiffWindow;

private:
    bool Transfer(NdrTransferDialog& window, const std::function<bool(NdrCommandLine&)>& work);
    void ReportProblems(const std::vector<std::string>& problems);
    void LeavingPage(int index);

    NDR& target_;
    NDR edit_;
    NdrLoggerLink* link_;
    QPushButton* download_ = nullptr;
    QPushButton* upload_ = nullptr;
    int current_ = 0;
    bool returning_ = false;
};

}  // namespace svu
