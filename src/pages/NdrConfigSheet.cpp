#include "pages/NdrConfigSheet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "framework/StringTable.h"
#include "loggers/NdrConfigDiff.h"
#include "loggers/NdrLoggerLink.h"
#include "pages/NdrChannelPages.h"
#include "pages/NdrDiffDialog.h"
#include "pages/NdrGeneralPages.h"
#include "pages/NdrTransferDialog.h"
#include "pages/PropertyPage.h"

namespace svu {

namespace {

constexpr int kDownloading = 109;
constexpr int kAskClearMemory = 231;
constexpr int kClearFailed = 232;
constexpr int kUploading = 477;
constexpr const char* kCaption = "Stratavue";
// Problems listed in one message box at most; the rest are counted.
constexpr size_t kListedProblems = 12;

}  // namespace

NdrConfigSheet::NdrConfigSheet(QWidget* parent, NDR& target, NdrLoggerLink* link, UserInterface* ui)
    : PropertySheet(parent, QStringLiteral("Calyra Configuration"), ui), target_(target), edit_(target), link_(link) {
    setObjectName(QStringLiteral("ndrConfigSheet"));
    // Six tabs and the eight polynomial boxes need more room than the usual sheet.
    setMinimumWidth(660);
    AddPage(MakeNdrGeneralPage(edit_));
    AddPage(MakeNdrChannelsPage(edit_));
    AddPage(MakeNdrAlarmsPage(edit_));
    AddPage(MakeNdrCommsPage(edit_));
    AddPage(MakeNdrModemPage(edit_));
    AddPage(MakeNdrCommandsPage(edit_));

    auto* row = new QHBoxLayout;
    download_ = new QPushButton(QStringLiteral("Download"));
    upload_ = new QPushButton(QStringLiteral("Upload"));
    download_->setObjectName(QStringLiteral("download"));
    upload_->setObjectName(QStringLiteral("upload"));
    download_->setEnabled(link_ != nullptr);
    upload_->setEnabled(link_ != nullptr);
    row->addWidget(download_);
    row->addWidget(upload_);
    row->addStretch();
    static_cast<QVBoxLayout*>(layout())->insertLayout(1, row);
    connect(download_, &QPushButton::clicked, this, [this] { Download(); });
    connect(upload_, &QPushButton::clicked, this, [this] { Upload(); });
    connect(Tabs(), &QTabWidget::currentChanged, this, [this](int index) { LeavingPage(index); });
    AfterApply([this] { target_ = edit_; });
}

void NdrConfigSheet::LeavingPage(int index) {
    if (returning_ || index == current_) {
        return;
    }
    // The general page's rates are checked as the page is left, and it cannot be left while one
    // is out of its limits.
    PropertyPage* leaving = current_ >= 0 && current_ < static_cast<int>(Pages().size()) ? Pages()[static_cast<size_t>(current_)] : nullptr;
    QString message;
    QWidget* focus = nullptr;
    if (leaving != nullptr && leaving == Pages().front() && !leaving->Validate(message, focus)) {
        returning_ = true;
        Tabs()->setCurrentIndex(current_);
        returning_ = false;
        Ui().MessageBox(FromQt(message), kCaption, MsgButtons::Ok, MsgIcon::Warning);
        if (focus != nullptr) {
            focus->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    current_ = index;
}

bool NdrConfigSheet::Transfer(NdrTransferDialog& window, const std::function<bool(NdrCommandLine&)>& work) {
    if (onTransferWindow) {
        onTransferWindow(window);
    }
    return window.Run(*link_, work);
}

void NdrConfigSheet::ReportProblems(const std::vector<std::string>& problems) {
    if (problems.empty()) {
        return;
    }
    std::string text = "These settings were left as they were:\n";
    for (size_t i = 0; i < problems.size() && i < kListedProblems; ++i) {
        text += problems[i] + "\n";
    }
    if (problems.size() > kListedProblems) {
        text += "... and " + std::to_string(problems.size() - kListedProblems) + " more.\n";
    }
    Ui().MessageBox(text, kCaption, MsgButtons::Ok, MsgIcon::Warning);
}

bool NdrConfigSheet::Download() {
    if (link_ == nullptr) {
        return false;
    }
    NDR read = edit_;
    NdrTransferDialog window(this, ToQt(Str(kDownloading)), NDR::kReadCommands);
    const bool ok = Transfer(window, [&](NdrCommandLine& line) { return read.ReadFromLogger(line); });
    ReportProblems(read.TransferProblems());
    if (!ok) {
        // Half a set-up mixed with the old one would be uploaded as if it were the logger's.
        if (!window.Cancelled()) {
            Ui().MessageBox("The configuration could not be read from the logger; nothing was changed.", kCaption,
                            MsgButtons::Ok, MsgIcon::Warning);
        }
        return false;
    }
    edit_ = read;
    target_ = read;
    ReloadAll();
    return true;
}

bool NdrConfigSheet::Upload() {
    if (link_ == nullptr || !ApplyAll()) {
        return false;
    }
    NDR current = edit_;
    NdrTransferDialog reading(this, ToQt(Str(kDownloading)), NDR::kReadCommands);
    if (!Transfer(reading, [&](NdrCommandLine& line) { return current.ReadFromLogger(line); })) {
        if (!reading.Cancelled()) {
            Ui().MessageBox("The logger's configuration could not be read, so nothing was uploaded.", kCaption,
                            MsgButtons::Ok, MsgIcon::Warning);
        }
        return false;
    }
    NdrDiffDialog diff(this, NdrConfigDiff::Between(current, edit_));
    if (onDiffWindow) {
        onDiffWindow(diff);
    }
    if (diff.exec() != QDialog::Accepted) {
        return false;
    }
    NdrTransferDialog writing(this, ToQt(Str(kUploading)), edit_.WriteCommandCount());
    const bool ok = Transfer(writing, [&](NdrCommandLine& line) { return edit_.WriteToLogger(line); });
    if (writing.Cancelled()) {
        return false;
    }
    ReportProblems(edit_.TransferProblems());
    if (!ok) {
        Ui().MessageBox("The upload did not complete; the logger may hold part of the new configuration.", kCaption,
                        MsgButtons::Ok, MsgIcon::Warning);
        return false;
    }
    target_ = edit_;
    if (Ui().MessageBox(Str(kAskClearMemory), kCaption, MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes &&
        !link_->ClearLoggerMemory()) {
        Ui().MessageBox(Str(kClearFailed), kCaption, MsgButtons::Ok, MsgIcon::Warning);
    }
    return true;
}

}  // namespace svu
