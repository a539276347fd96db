#pragma once

// A bound path setting: an edit box with its "Browse..." button, and the file and folder dialogs
// that button asks through (replaceable, so tests answer them without dialogs).

#include <QString>
#include <string>

#include "pages/FieldBinder.h"

class QLineEdit;
class QPushButton;
class QWidget;

namespace svu {

/// A file-dialog filter in the program's "Text (*.x)|*.x|...||" form, as Qt wants it.
QString QtFileFilter(const std::string& filter);

/// What "Browse..." asks; the default shows the Qt dialogs. Tests replace it.
class PathPrompter {
public:
    virtual ~PathPrompter() = default;
    /// A file path, or an empty text when cancelled. `save` asks for a file to write.
    virtual QString AskFile(QWidget* parent, const QString& title, const QString& filter, const QString& current,
                            bool save) = 0;
    /// A folder, or an empty text when cancelled.
    virtual QString AskFolder(QWidget* parent, const QString& prompt, const QString& current) = 0;
};

/// The prompter "Browse..." uses; `prompter` null restores the Qt dialogs. Returns the previous one.
PathPrompter* SetPathPrompter(PathPrompter* prompter);
PathPrompter& CurrentPathPrompter();

/// A path edit box with its "Browse..." button.
class PathField : public FieldBinder {
public:
    enum class Kind { OpenFile, SaveFile, Folder };
    /// `title` is the dialog's title (the prompt for a folder), `filter` the program's filter text.
    PathField(Accessor<std::string> access, Kind kind, QString title, std::string filter = {});
    void Load() override;
    void Store() override;
    QWidget* FocusWidget() const override;
    QLineEdit* Edit() const { return edit_; }
    QPushButton* BrowseButton() const { return browse_; }
    QWidget* Widget() const { return widgets_.front(); }

private:
    void Browse();

    Accessor<std::string> access_;
    Kind kind_;
    QString title_;
    std::string filter_;
    QLineEdit* edit_;
    QPushButton* browse_;
};

}  // namespace svu
