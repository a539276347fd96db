#pragma once

// The list of settings an upload will change, with Upload and Cancel.

#include <QDialog>
#include <vector>

#include "loggers/NdrConfigDiff.h"

class QPushButton;
class QTreeWidget;

namespace svu {

class NdrDiffDialog : public QDialog {
public:
    NdrDiffDialog(QWidget* parent, const std::vector<NdrConfigDiff::Change>& changes);

    QTreeWidget* List() const { return list_; }
    QPushButton* UploadButton() const { return upload_; }

private:
    QTreeWidget* list_;
    QPushButton* upload_;
};

}  // namespace svu
