#pragma once

#include <QDialog>
#include <array>
#include <string>

class QLineEdit;

namespace svu {

/// "Rename pages": the eight page names for editing.
class RenamePagesDialog : public QDialog {
public:
    RenamePagesDialog(const std::array<std::string, 8>& names, QWidget* parent);
    /// The names as edited.
    std::array<std::string, 8> Names() const;
    QLineEdit* Edit(int index) const { return edits_[static_cast<size_t>(index)]; }

private:
    std::array<QLineEdit*, 8> edits_{};
};

}  // namespace svu
