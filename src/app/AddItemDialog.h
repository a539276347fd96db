#pragma once

#include <QDialog>

class QListWidget;

namespace svu {

/// "Add Display Item": the display-item kinds in type-code order.
class AddItemDialog : public QDialog {
public:
    explicit AddItemDialog(QWidget* parent);
    /// The chosen type code (-1 when none is selected).
    int Selected() const;
    void Select(int typeCode);

private:
    QListWidget* list_ = nullptr;
};

}  // namespace svu
