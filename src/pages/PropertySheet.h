#pragma once

// A property sheet: a caption, a list of pages as tabs, and OK and Cancel. OK checks every page
// (a refused value shows its message, brings its page to the front and focuses the field) and only
// then writes every page back; Cancel writes nothing.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "framework/UserInterface.h"

class QPushButton;
class QTabWidget;

namespace svu {

class PropertyPage;

/// The message boxes of the desktop program when no other interface is given.
UserInterface& DefaultUserInterface();

/// Shows a notice through `ui`, captioned with the program's name.
void ShowMessage(UserInterface& ui, const QString& text, MsgIcon icon = MsgIcon::Warning);
/// Asks a Yes/No question (No the default); true for Yes.
bool AskYesNo(UserInterface& ui, const QString& text);

class PropertySheet : public QDialog {
public:
    /// `ui` answers the sheet's message boxes (null: Qt message boxes).
    PropertySheet(QWidget* parent, const QString& caption, UserInterface* ui = nullptr);
    ~PropertySheet() override;

    /// Appends a page as the next tab and fills it from its object.
    PropertyPage& AddPage(std::unique_ptr<PropertyPage> page);
    /// A dialog of one page shows no tab.
    void HideTabs();
    /// Pages in tab order.
    const std::vector<PropertyPage*>& Pages() const { return pages_; }
    /// The page with this tab caption, or nullptr.
    PropertyPage* FindPage(const QString& tabName) const;

    /// Held while the pages write back (the edited object's lock, so a running station's worker
    /// thread never sees half a change).
    void SetStoreLock(std::recursive_mutex* lock) { storeLock_ = lock; }
    /// Runs once every page was stored (after OK), outside the store lock.
    void AfterApply(std::function<void()> action) { afterApply_.push_back(std::move(action)); }

    /// Checks every page; on a refusal shows the message, selects the page and focuses the field.
    bool ValidateAll();
    /// ValidateAll, then stores every page; false when a page refused.
    bool ApplyAll();
    /// Fills every page from its object again (pending edits are dropped).
    void ReloadAll();
    /// Tells every page that its object changed underneath it.
    void RefreshAll();

    /// Runs the sheet modally: 1 for OK (everything written back), 2 for Cancel.
    int Run();

    UserInterface& Ui() const { return *ui_; }
    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    void accept() override;

private:
    UserInterface* ui_;
    QTabWidget* tabs_;
    QPushButton* ok_;
    QPushButton* cancel_;
    std::vector<PropertyPage*> pages_;  // owned by the tab widget
    std::recursive_mutex* storeLock_ = nullptr;
    std::vector<std::function<void()>> afterApply_;
};

}  // namespace svu
