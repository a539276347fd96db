#include "app/GuiUserInterface.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include "Version.h"
#include "framework/HeadlessUserInterface.h"
#include "framework/StringTable.h"

namespace svu {

struct GuiUserInterface::Question {
    std::string text;
    std::string caption;
    MsgButtons buttons;
    MsgIcon icon;
    int defaultButton;
    MsgResult result = MsgResult::Cancel;
    bool done = false;
};

namespace {

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return QMessageBox::Ok;
        case MsgButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MsgButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MsgButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MsgButtons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The buttons of a set, left to right as ButtonResult counts them.
QMessageBox::StandardButton NthButton(MsgButtons buttons, int index) {
    switch (ButtonResult(buttons, index)) {
        case MsgResult::Ok:
            return QMessageBox::Ok;
        case MsgResult::Yes:
            return QMessageBox::Yes;
        case MsgResult::No:
            return QMessageBox::No;
        case MsgResult::Retry:
            return QMessageBox::Retry;
        case MsgResult::Cancel:
            return QMessageBox::Cancel;
    }
    return QMessageBox::NoButton;
}

MsgResult ResultOf(int button) {
    switch (button) {
        case QMessageBox::Ok:
            return MsgResult::Ok;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        case QMessageBox::Retry:
            return MsgResult::Retry;
        default:
            return MsgResult::Cancel;
    }
}

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return QMessageBox::NoIcon;
        case MsgIcon::Info:
            return QMessageBox::Information;
        case MsgIcon::Warning:
            return QMessageBox::Warning;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Stop:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The program's texts end their lines Windows fashion.
QString PlainText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.remove(QLatin1Char('\r'));
    return s;
}

}  // namespace

GuiUserInterface::GuiUserInterface() = default;

GuiUserInterface::~GuiUserInterface() {
    Shutdown();
}

MsgResult GuiUserInterface::ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                                           MsgButtons buttons, MsgIcon icon, int defaultButton) {
    QMessageBox box(IconOf(icon), caption.empty() ? QString(kProductName) : QString::fromStdString(caption),
                    PlainText(text), ButtonsOf(buttons), parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(NthButton(buttons, defaultButton > 0 ? defaultButton : 1));
    return ResultOf(box.exec());
}

bool GuiUserInterface::OnGuiThread() const {
    return QThread::currentThread() == thread();
}

void GuiUserInterface::Shutdown() {
    std::lock_guard lock(mutex_);
    shutDown_ = true;
    for (const auto& q : waiting_) {
        q->result = HeadlessUserInterface::DefaultAnswer(q->buttons, q->defaultButton);
        q->done = true;
    }
    waiting_.clear();
    answered_.notify_all();
}

bool GuiUserInterface::IsShutDown() const {
    std::lock_guard lock(mutex_);
    return shutDown_;
}

MsgResult GuiUserInterface::MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                       MsgIcon icon, int defaultButton) {
    if (OnGuiThread()) {
        if (IsShutDown()) {
            return HeadlessUserInterface::DefaultAnswer(buttons, defaultButton);
        }
        return ShowMessageBox(parent_, text, caption, buttons, icon, defaultButton);
    }
    auto question = std::make_shared<Question>(Question{text, caption, buttons, icon, defaultButton});
    std::unique_lock lock(mutex_);
    if (shutDown_) {
        return HeadlessUserInterface::DefaultAnswer(buttons, defaultButton);
    }
    waiting_.push_back(question);
    lock.unlock();
    QMetaObject::invokeMethod(this, &GuiUserInterface::ServeQuestions, Qt::QueuedConnection);
    lock.lock();
    answered_.wait(lock, [&] { return question->done; });
    return question->result;
}

void GuiUserInterface::ServeQuestions() {
    for (;;) {
        std::shared_ptr<Question> q;
        {
            std::lock_guard lock(mutex_);
            if (shutDown_ || waiting_.empty()) {
                return;
            }
            q = waiting_.front();
            waiting_.pop_front();
        }
        const MsgResult result = ShowMessageBox(parent_, q->text, q->caption, q->buttons, q->icon, q->defaultButton);
        std::lock_guard lock(mutex_);
        q->result = result;
        q->done = true;
        answered_.notify_all();
    }
}

void GuiUserInterface::Post(std::function<void()> task) {
    if (OnGuiThread()) {
        task();
    } else {
        QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
    }
}

void GuiUserInterface::ShowProgress(const std::string& text) {
    Post([this, text] {
        if (progressSink_) {
            progressSink_(text);
        }
    });
}

void GuiUserInterface::BeginWaitCursor() {
    Post([this] {
        ++waitCursorDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    });
}

void GuiUserInterface::EndWaitCursor() {
    Post([this] {
        if (waitCursorDepth_ > 0) {
            --waitCursorDepth_;
            QApplication::restoreOverrideCursor();
        }
    });
}

QString FileDialogFilter(int stringId) {
    // Descriptions and patterns alternate; the descriptions already name their patterns.
    const QStringList parts = QString::fromStdString(Str(stringId)).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString filter = parts[i];
        filter.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));  // "*.*" misses names without a dot here
        filters.push_back(filter);
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace svu
