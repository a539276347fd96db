#include "app/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Version.h"
#include "framework/Settings.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"

namespace svu {

namespace {

constexpr int kDisablePrompt = 160;
constexpr int kInvalidPassword = 162;
constexpr int kNewPasswordPrompt = 163;
constexpr int kRepeatPasswordPrompt = 164;
constexpr int kPasswordsDiffer = 165;
constexpr int kPasswordPrompt = 166;

}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent, const QString& prompt) : QDialog(parent) {
    setWindowTitle(tr("Password"));
    auto* label = new QLabel(prompt, this);
    edit_ = new QLineEdit(this);
    edit_->setEchoMode(QLineEdit::Password);
    label->setBuddy(edit_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
}

std::string PasswordDialog::Password() const {
    return edit_->text().toStdString();
}

PasswordPrompt DialogPasswordPrompt(QWidget* parent) {
    return [parent](const std::string& prompt) -> std::optional<std::string> {
        PasswordDialog dialog(parent, QString::fromStdString(prompt));
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.Password();
    };
}

StationProtection::StationProtection(Settings& settings, UserInterface& ui)
    : settings_(settings),
      ui_(ui),
      password_(settings.GetSettingString(kSectionSettings, kKeyPassword, kPasswordDefault)),
      protected_(!password_.empty()) {}

bool StationProtection::CheckAccess(const PasswordPrompt& prompt) {
    if (!protected_) {
        return true;
    }
    const std::optional<std::string> typed = prompt(Str(kPasswordPrompt));
    if (!typed) {
        return false;
    }
    if (*typed != password_) {
        ui_.MessageBox(Str(kInvalidPassword), kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }
    return true;
}

void StationProtection::Toggle(const PasswordPrompt& prompt) {
    if (protected_) {
        const std::optional<std::string> typed = prompt(Str(kDisablePrompt));
        if (!typed) {
            return;
        }
        if (*typed != password_) {
            ui_.MessageBox(Str(kInvalidPassword), kProductName, MsgButtons::Ok, MsgIcon::Stop);
            return;
        }
        password_.clear();
        settings_.WriteSettingString(kSectionSettings, kKeyPassword, "");
        protected_ = false;
        return;
    }
    const std::optional<std::string> first = prompt(Str(kNewPasswordPrompt));
    if (!first) {
        return;
    }
    const std::optional<std::string> second = prompt(Str(kRepeatPasswordPrompt));
    if (!second) {
        return;
    }
    if (*first != *second) {
        ui_.MessageBox(Str(kPasswordsDiffer), kProductName, MsgButtons::Ok, MsgIcon::Warning);
        return;
    }
    settings_.WriteSettingString(kSectionSettings, kKeyPassword, *first);
    password_ = *first;
    protected_ = true;
}

}  // namespace svu
