#include "app/HelpWindow.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "Version.h"

namespace svu {

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

// The first "# " heading of a Markdown document, else its file name.
QString TitleOf(const QString& path) {
    const QString text = ReadText(path);
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("# "))) {
            return line.mid(2).trimmed();
        }
    }
    return QFileInfo(path).fileName();
}

}  // namespace

QString HelpDocsFolder() {
    // Beside the program (a copied folder), or where the packages install them (PREFIX/share).
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/docs");
    const QString installed = QCoreApplication::applicationDirPath() + QStringLiteral("/../share/stratavue/docs");
    for (const QString& folder : {beside, installed}) {
        if (QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(HelpWindow::kFirstDocument))) {
            return QFileInfo(folder).canonicalFilePath();
        }
    }
#ifdef SVU_SOURCE_DOCS_DIR
    if (QFileInfo::exists(QStringLiteral(SVU_SOURCE_DOCS_DIR))) {
        return QStringLiteral(SVU_SOURCE_DOCS_DIR);
    }
#endif
    return beside;
}

QString HeadingAnchor(const QString& heading) {
    QString anchor;
    for (const QChar c : heading.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) {
            anchor += c;
        } else if (c == QLatin1Char(' ')) {
            anchor += QLatin1Char('-');
        }
    }
    return anchor;
}

HelpWindow::HelpWindow(QWidget* parent, const QString& folder) : QDialog(parent), folder_(folder) {
    setWindowTitle(tr("%1 Help").arg(QString::fromUtf8(kProductName)));
    setModal(false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);

    QStringList names = QDir(folder).entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name);
    if (names.removeAll(QLatin1String(kFirstDocument)) > 0) {
        names.prepend(QLatin1String(kFirstDocument));
    }
    files_ = names;

    contents_ = new QListWidget(this);
    for (const QString& name : files_) {
        contents_->addItem(TitleOf(folder_ + QLatin1Char('/') + name));
    }
    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);  // links go through FollowLink: other documents and anchors
    search_ = new QLineEdit(this);
    search_->setPlaceholderText(tr("Search the help"));
    search_->setClearButtonEnabled(true);
    auto* findButton = new QPushButton(tr("Find &next"), this);
    searchState_ = new QLabel(this);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(new QLabel(tr("&Search:"), this));
    searchRow->addWidget(search_, 1);
    searchRow->addWidget(findButton);
    searchRow->addWidget(searchState_);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({200, 700});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(splitter, 1);
    resize(960, 700);

    const auto find = [this] {
        const bool found = Find(search_->text());
        searchState_->setText(found || search_->text().isEmpty() ? QString() : tr("Not found"));
    };
    connect(search_, &QLineEdit::returnPressed, this, find);
    connect(findButton, &QPushButton::clicked, this, find);
    connect(contents_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < files_.size() && files_[row] != current_) {
            Load(row);
        }
    });
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
}

void HelpWindow::ShowDocument(const QString& fileName) {
    const int index = files_.indexOf(fileName);
    if (index >= 0 || current_.isEmpty()) {
        Load(std::max(0, index));
    }
    show();
    raise();
    activateWindow();
    search_->setFocus();
}

void HelpWindow::Load(int index) {
    if (index < 0 || index >= files_.size()) {
        browser_->setPlainText(tr("The help documents were not found in %1.").arg(folder_));
        return;
    }
    current_ = files_[index];
    // Loaded as a source so that pictures and links resolve against the document's folder.
    browser_->setSource(QUrl::fromLocalFile(folder_ + QLatin1Char('/') + current_), QTextDocument::MarkdownResource);
    const QSignalBlocker block(contents_);
    contents_->setCurrentRow(index);
}

void HelpWindow::FollowLink(const QUrl& url) {
    const QString scheme = url.scheme();
    if (!scheme.isEmpty() && scheme != QLatin1String("file")) {
        QDesktopServices::openUrl(url);  // the web and mail
        return;
    }
    const QString path = url.path();
    if (!path.isEmpty() && path.endsWith(QStringLiteral(".md"))) {
        const int index = files_.indexOf(QFileInfo(path).fileName());
        if (index < 0) {
            return;
        }
        if (files_[index] != current_) {
            Load(index);
        }
    }
    if (url.hasFragment()) {
        ScrollToAnchor(url.fragment());
    }
}

void HelpWindow::ScrollToAnchor(const QString& anchor) {
    QTextDocument* document = browser_->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && HeadingAnchor(block.text()) == anchor) {
            browser_->setTextCursor(QTextCursor(block));
            const QRectF place = document->documentLayout()->blockBoundingRect(block);
            browser_->verticalScrollBar()->setValue(static_cast<int>(place.top()));
            return;
        }
    }
}

QString HelpWindow::PlainText(int index) const {
    QTextDocument document;
    document.setMarkdown(ReadText(folder_ + QLatin1Char('/') + files_[index]));
    return document.toPlainText();
}

bool HelpWindow::Find(const QString& text) {
    if (text.isEmpty() || files_.isEmpty()) {
        return false;
    }
    if (browser_->find(text)) {
        return true;
    }
    // Not further on in this document: the next document that holds it, from its start.
    const int shown = std::max(0, static_cast<int>(files_.indexOf(current_)));
    for (int step = 1; step <= files_.size(); ++step) {
        const int index = (shown + step) % static_cast<int>(files_.size());
        if (!PlainText(index).contains(text, Qt::CaseInsensitive)) {
            continue;
        }
        if (files_[index] != current_) {
            Load(index);
        }
        browser_->moveCursor(QTextCursor::Start);
        return browser_->find(text);
    }
    return false;
}

}  // namespace svu
