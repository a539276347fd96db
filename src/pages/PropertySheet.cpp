#include "pages/PropertySheet.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "pages/PropertyPage.h"

namespace svu {

namespace {

constexpr const char* kMessageCaption = "Stratavue";

// Qt message boxes on the calling (user-interface) thread.
class QtUserInterface : public UserInterface {
public:
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                         int defaultButton) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(ToQt(caption));
        box.setText(ToQt(text));
        switch (icon) {
            case MsgIcon::None:
                break;
            case MsgIcon::Info:
                box.setIcon(QMessageBox::Information);
                break;
            case MsgIcon::Warning:
                box.setIcon(QMessageBox::Warning);
                break;
            case MsgIcon::Question:
                box.setIcon(QMessageBox::Question);
                break;
            case MsgIcon::Stop:
                box.setIcon(QMessageBox::Critical);
                break;
        }
        std::vector<std::pair<QMessageBox::StandardButton, MsgResult>> set;
        switch (buttons) {
            case MsgButtons::Ok:
                set = {{QMessageBox::Ok, MsgResult::Ok}};
                break;
            case MsgButtons::OkCancel:
                set = {{QMessageBox::Ok, MsgResult::Ok}, {QMessageBox::Cancel, MsgResult::Cancel}};
                break;
            case MsgButtons::YesNo:
                set = {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}};
                break;
            case MsgButtons::YesNoCancel:
                set = {{QMessageBox::Yes, MsgResult::Yes},
                       {QMessageBox::No, MsgResult::No},
                       {QMessageBox::Cancel, MsgResult::Cancel}};
                break;
            case MsgButtons::RetryCancel:
                set = {{QMessageBox::Retry, MsgResult::Retry}, {QMessageBox::Cancel, MsgResult::Cancel}};
                break;
        }
        QMessageBox::StandardButtons standard;
        for (const auto& entry : set) {
            standard |= entry.first;
        }
        box.setStandardButtons(standard);
        const size_t chosenDefault = defaultButton >= 1 ? static_cast<size_t>(defaultButton - 1) : 0;
        if (chosenDefault < set.size()) {
            box.setDefaultButton(set[chosenDefault].first);
        }
        const int pressed = box.exec();
        for (const auto& entry : set) {
            if (pressed == entry.first) {
                return entry.second;
            }
        }
        return MsgResult::Cancel;
    }
    void ShowProgress(const std::string&) override {}
    void BeginWaitCursor() override { QApplication::setOverrideCursor(Qt::WaitCursor); }
    void EndWaitCursor() override { QApplication::restoreOverrideCursor(); }
};

}  // namespace

UserInterface& DefaultUserInterface() {
    static QtUserInterface ui;
    return ui;
}

void ShowMessage(UserInterface& ui, const QString& text, MsgIcon icon) {
    ui.MessageBox(FromQt(text), kMessageCaption, MsgButtons::Ok, icon);
}

bool AskYesNo(UserInterface& ui, const QString& text) {
    return ui.MessageBox(FromQt(text), kMessageCaption, MsgButtons::YesNo, MsgIcon::Question, 2) == MsgResult::Yes;
}

PropertySheet::PropertySheet(QWidget* parent, const QString& caption, UserInterface* ui)
    : QDialog(parent), ui_(ui != nullptr ? ui : &DefaultUserInterface()), tabs_(new QTabWidget) {
    setWindowTitle(caption);
    setMinimumWidth(360);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    ok_->setObjectName(QStringLiteral("ok"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
}

PropertySheet::~PropertySheet() = default;

PropertyPage& PropertySheet::AddPage(std::unique_ptr<PropertyPage> page) {
    PropertyPage* raw = page.release();
    raw->sheet_ = this;
    raw->AddStretch();
    tabs_->addTab(raw, raw->TabName());
    // Every tab stays in sight: the sheet is at least as wide as its row of tabs.
    tabs_->setMinimumWidth(tabs_->tabBar()->sizeHint().width() + 8);
    pages_.push_back(raw);
    raw->Load();
    return *raw;
}

void PropertySheet::HideTabs() {
    tabs_->tabBar()->hide();
    tabs_->setDocumentMode(true);
}

PropertyPage* PropertySheet::FindPage(const QString& tabName) const {
    for (PropertyPage* page : pages_) {
        if (page->TabName() == tabName) {
            return page;
        }
    }
    return nullptr;
}

bool PropertySheet::ValidateAll() {
    for (PropertyPage* page : pages_) {
        QString message;
        QWidget* focus = nullptr;
        if (!page->Validate(message, focus)) {
            tabs_->setCurrentWidget(page);
            ShowMessage(*ui_, message, MsgIcon::Warning);
            if (focus != nullptr) {
                focus->setFocus(Qt::OtherFocusReason);
                if (auto* edit = qobject_cast<QLineEdit*>(focus)) {
                    edit->selectAll();
                }
            }
            return false;
        }
    }
    return true;
}

bool PropertySheet::ApplyAll() {
    if (!ValidateAll()) {
        return false;
    }
    {
        std::unique_lock<std::recursive_mutex> guard;
        if (storeLock_ != nullptr) {
            guard = std::unique_lock(*storeLock_);
        }
        for (PropertyPage* page : pages_) {
            page->Store();
        }
    }
    return true;
}

void PropertySheet::ReloadAll() {
    for (PropertyPage* page : pages_) {
        page->Load();
    }
}

void PropertySheet::RefreshAll() {
    for (PropertyPage* page : pages_) {
        page->Refresh();
    }
}

void PropertySheet::accept() {
    if (!ApplyAll()) {
        return;
    }
    for (auto& action : afterApply_) {
        action();
    }
    QDialog::accept();
}

int PropertySheet::Run() {
    return exec() == QDialog::Accepted ? 1 : 2;
}

}  // namespace svu
