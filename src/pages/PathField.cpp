#include "pages/PathField.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace svu {

QString QtFileFilter(const std::string& filter) {
    // "Text (*.a)|*.a|All Files (*.*)|*.*||": descriptions at even positions; Qt reads the
    // patterns from the description's brackets.
    const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        QString description = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open >= 0) {
            description = description.left(open).trimmed();
        }
        out << QStringLiteral("%1 (%2)").arg(description, patterns.simplified());
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

class QtPathPrompter : public PathPrompter {
public:
    QString AskFile(QWidget* parent, const QString& title, const QString& filter, const QString& current,
                    bool save) override {
        return save ? QFileDialog::getSaveFileName(parent, title, current, filter)
                    : QFileDialog::getOpenFileName(parent, title, current, filter);
    }
    QString AskFolder(QWidget* parent, const QString& prompt, const QString& current) override {
        return QFileDialog::getExistingDirectory(parent, prompt, current);
    }
};

QtPathPrompter gQtPrompter;
PathPrompter* gPrompter = &gQtPrompter;

}  // namespace

PathPrompter* SetPathPrompter(PathPrompter* prompter) {
    PathPrompter* previous = gPrompter;
    gPrompter = prompter != nullptr ? prompter : &gQtPrompter;
    return previous;
}

PathPrompter& CurrentPathPrompter() {
    return *gPrompter;
}

PathField::PathField(Accessor<std::string> access, Kind kind, QString title, std::string filter)
    : access_(std::move(access)),
      kind_(kind),
      title_(std::move(title)),
      filter_(std::move(filter)),
      edit_(new QLineEdit),
      browse_(new QPushButton(QStringLiteral("Browse..."))) {
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    edit_->setMinimumWidth(220);
    row->addWidget(edit_, 1);
    row->addWidget(browse_);
    widgets_.push_back(box);
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] { Changed(); });
    QObject::connect(browse_, &QPushButton::clicked, edit_, [this] { Browse(); });
}

void PathField::Browse() {
    PathPrompter& prompter = CurrentPathPrompter();
    const QString chosen = kind_ == Kind::Folder ? prompter.AskFolder(edit_->window(), title_, edit_->text())
                                                 : prompter.AskFile(edit_->window(), title_, QtFileFilter(filter_),
                                                                    edit_->text(), kind_ == Kind::SaveFile);
    if (!chosen.isEmpty()) {
        edit_->setText(chosen);
        Changed();
    }
}

void PathField::Load() {
    edit_->setText(ToQt(access_.get()));
}

void PathField::Store() {
    access_.set(FromQt(edit_->text()));
}

QWidget* PathField::FocusWidget() const {
    return edit_;
}

}  // namespace svu
