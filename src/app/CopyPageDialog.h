#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QListWidget;

namespace svu {

/// "Copy page elements": picks the destination page. OK with the source page selected calls
/// `refuse` (message 591) and keeps the dialog open.
class CopyPageDialog : public QDialog {
public:
    CopyPageDialog(const std::array<std::string, 8>& names, int sourcePage, std::function<void()> refuse,
                   QWidget* parent);
    /// The destination page, 1 to 8.
    int Destination() const;
    void SetDestination(int page);
    void accept() override;

private:
    QListWidget* list_ = nullptr;
    int source_;
    std::function<void()> refuse_;
};

}  // namespace svu
