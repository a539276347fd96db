#pragma once

// The help window: the documents of the docs folder (the user guide first) rendered from their
// Markdown, a contents list, links between and within them, and a search that runs through every
// document in turn.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QUrl>

class QLabel;
class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace svu {

/// The folder of the help documents: "docs" beside the program when it is there (an installed
/// program), else the source tree's documents (a program run from its build folder).
QString HelpDocsFolder();

/// The anchor a Markdown heading gets: lower case, spaces as hyphens, punctuation dropped
/// ("Program folder and files" -> "program-folder-and-files").
QString HeadingAnchor(const QString& heading);

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kFirstDocument = "user-guide.md";

    /// Lists the .md files of `folder`, the user guide first, the others by name.
    HelpWindow(QWidget* parent, const QString& folder);

    /// Shows the window with document `fileName` of the folder (the first listed when there is no
    /// such file), in front.
    void ShowDocument(const QString& fileName);
    /// Selects the next place holding `text` (any case), after the selection in the document shown
    /// and then through the following documents, coming round to the start; false when no
    /// document holds it.
    bool Find(const QString& text);

    /// The file name of the document shown (empty when the folder has none).
    QString CurrentDocument() const { return current_; }
    QStringList Documents() const { return files_; }
    QTextBrowser* Browser() const { return browser_; }
    QLineEdit* SearchEdit() const { return search_; }
    QListWidget* Contents() const { return contents_; }

private:
    void Load(int index);
    void FollowLink(const QUrl& url);
    void ScrollToAnchor(const QString& anchor);
    QString PlainText(int index) const;

    QString folder_;
    QStringList files_;
    QString current_;
    QListWidget* contents_;
    QTextBrowser* browser_;
    QLineEdit* search_;
    QLabel* searchState_;
};

}  // namespace svu
