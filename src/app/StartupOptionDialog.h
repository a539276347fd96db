#pragma once

// "Default file on start-up": whether a display file opens (and acquisition starts) at start-up,
// and which. Takes effect at the next start.

#include <QDialog>

class QCheckBox;
class QLabel;

namespace svu {

class Settings;

class StartupOptionDialog : public QDialog {
    Q_OBJECT

public:
    /// Shows "Settings"/"EnableDefault" and "DefaultFilename".
    StartupOptionDialog(QWidget* parent, Settings& settings);

    /// Sets the path as the browse button would.
    void SetPath(const QString& path);
    QString Path() const { return path_; }
    QCheckBox* EnableBox() const { return enable_; }

    void accept() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Browse();
    void ShowPath();

    Settings& settings_;
    QCheckBox* enable_;
    QLabel* pathLabel_;
    QString path_;
};

}  // namespace svu
