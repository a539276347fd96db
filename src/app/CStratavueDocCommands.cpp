// The document's commands that open dialogs.

#include <QColorDialog>

#include "Version.h"
#include "app/BackgroundBitmapDialog.h"
#include "app/CStratavueDoc.h"
#include "app/CopyPageDialog.h"
#include "app/RenamePagesDialog.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"

namespace svu {

namespace {

constexpr int kCopyPageQuestion = 590;
constexpr int kCopyPageSamePage = 591;

}  // namespace

void CStratavueDoc::CommandBackgroundColour(QWidget* parent, PageColour which) {
    const QColor chosen = QColorDialog::getColor(ColourFromRef(Colour(currentPage, which)), parent);
    if (chosen.isValid()) {
        SetColour(currentPage, which, RefFromColour(chosen));
    }
}

void CStratavueDoc::CommandRenamePages(QWidget* parent) {
    RenamePagesDialog dialog(pageName, parent);
    if (dialog.exec() == QDialog::Accepted) {
        RenamePages(dialog.Names());
    }
}

void CStratavueDoc::CommandBackgroundBitmap(QWidget* parent) {
    const size_t i = static_cast<size_t>(currentPage - 1);
    BackgroundBitmapDialog dialog(bitmapFile[i], bitmapMode[i], parent);
    if (dialog.exec() == QDialog::Accepted) {
        SetBackgroundBitmap(currentPage, dialog.File(), dialog.Mode());
    }
}

void CStratavueDoc::CommandCopyPageElements(QWidget* parent) {
    const int source = currentPage;
    CopyPageDialog dialog(
        pageName, source,
        [this] { ui_.MessageBox(Str(kCopyPageSamePage), kProductName, MsgButtons::Ok, MsgIcon::Warning); }, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const int destination = dialog.Destination();
    const std::string question =
        FormatString(kCopyPageQuestion, source, pageName[static_cast<size_t>(source - 1)].c_str(), destination,
                     pageName[static_cast<size_t>(destination - 1)].c_str());
    if (ui_.MessageBox(question, kProductName, MsgButtons::YesNo, MsgIcon::Question) == MsgResult::Yes) {
        CopyPageElements(source, destination);
    }
}

}  // namespace svu
