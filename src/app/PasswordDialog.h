#pragma once

// The password that protects the stations dialog: the prompt dialog and the two flows that use
// it (opening the stations dialog, and switching the protection on or off).

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QLineEdit;

namespace svu {

class Settings;
class UserInterface;

/// A prompt and a masked edit.
class PasswordDialog : public QDialog {
    Q_OBJECT

public:
    PasswordDialog(QWidget* parent, const QString& prompt);
    std::string Password() const;
    QLineEdit* Edit() const { return edit_; }

private:
    QLineEdit* edit_;
};

/// Asks for a password with the given prompt; nullopt when cancelled.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& prompt)>;

/// A prompt through PasswordDialog.
PasswordPrompt DialogPasswordPrompt(QWidget* parent);

/// "Settings"/"Password": empty means the stations dialog is open to everyone.
class StationProtection {
public:
    /// Reads the password from the settings; both must outlive this object.
    StationProtection(Settings& settings, UserInterface& ui);

    bool Protected() const { return protected_; }

    /// Before the stations dialog opens: asks for the password when protected. False when the
    /// prompt was cancelled or the password is wrong (after saying so).
    bool CheckAccess(const PasswordPrompt& prompt);
    /// "Station protection": with the password, switches protection off; without protection, asks
    /// for a new password twice and switches it on when both agree.
    void Toggle(const PasswordPrompt& prompt);

private:
    Settings& settings_;
    UserInterface& ui_;
    std::string password_;
    bool protected_ = false;
};

}  // namespace svu
