#include "pages/NdrDiffDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/FieldBinder.h"

namespace svu {

namespace {

// Line ends of the special commands shown as such, so a row stays one line high.
QString OneLine(const std::string& text) {
    QString shown = ToQt(text);
    shown.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    shown.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return shown;
}

}  // namespace

NdrDiffDialog::NdrDiffDialog(QWidget* parent, const std::vector<NdrConfigDiff::Change>& changes)
    : QDialog(parent), list_(new QTreeWidget), upload_(nullptr) {
    setWindowTitle(QStringLiteral("Upload Calyra configuration"));
    setObjectName(QStringLiteral("uploadDiff"));
    setMinimumSize(560, 300);
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(changes.empty() ? QStringLiteral("The logger already holds this configuration.")
                                               : QStringLiteral("The upload changes these settings of the logger:"));
    heading->setObjectName(QStringLiteral("heading"));
    layout->addWidget(heading);
    list_->setObjectName(QStringLiteral("changes"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({QStringLiteral("Setting"), QStringLiteral("In the logger"), QStringLiteral("After upload")});
    for (const NdrConfigDiff::Change& c : changes) {
        list_->addTopLevelItem(new QTreeWidgetItem({ToQt(c.name), OneLine(c.before), OneLine(c.after)}));
    }
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    upload_ = buttons->addButton(QStringLiteral("Upload"), QDialogButtonBox::AcceptRole);
    upload_->setObjectName(QStringLiteral("upload"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace svu
