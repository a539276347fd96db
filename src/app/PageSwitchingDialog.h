#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace svu {

/// "Automatic page switching": the enable flag, the page numbers and the interval in seconds.
class PageSwitchingDialog : public QDialog {
public:
    PageSwitchingDialog(bool enabled, const QString& pageNumbers, int seconds, QWidget* parent);
    bool Enabled() const;
    QString PageNumbers() const;
    /// 1 to 3600.
    int Seconds() const;

private:
    QCheckBox* enable_ = nullptr;
    QLineEdit* pages_ = nullptr;
    QSpinBox* seconds_ = nullptr;
};

}  // namespace svu
