#include "pages/NdrTransferDialog.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

#include "loggers/NdrCommandLine.h"
#include "loggers/NdrLoggerLink.h"
#include "pages/FieldBinder.h"

namespace svu {

namespace {

// The station's command line with its progress sent to the window (queued: the worker never
// touches a widget) and the window's Cancel read back.
class WindowLine : public NdrCommandLine {
public:
    WindowLine(NdrCommandLine& inner, NdrTransferDialog* window, const std::atomic<bool>& cancelled)
        : inner_(inner), window_(window), cancelled_(cancelled) {}
    bool Transact(const std::string& command, std::string* reply) override { return inner_.Transact(command, reply); }
    bool SendOnly(const std::string& command) override { return inner_.SendOnly(command); }
    bool ShowProgress(const std::string& text, int steps) override {
        done_ += steps;
        const QString shown = ToQt(text);
        const int done = done_;
        NdrTransferDialog* window = window_;
        QMetaObject::invokeMethod(
            window,
            [window, shown, done] {
                window->CommandText()->setText(shown);
                window->Progress()->setValue(std::min(done, window->Progress()->maximum()));
                if (window->onStep) {
                    window->onStep(done);
                }
            },
            Qt::QueuedConnection);
        return !cancelled_;
    }

private:
    NdrCommandLine& inner_;
    NdrTransferDialog* window_;
    const std::atomic<bool>& cancelled_;
    int done_ = 0;
};

}  // namespace

NdrTransferDialog::NdrTransferDialog(QWidget* parent, const QString& title, int steps)
    : QDialog(parent), command_(new QLabel), progress_(new QProgressBar), cancel_(new QPushButton(QStringLiteral("Cancel"))) {
    setWindowTitle(title);
    setObjectName(QStringLiteral("transferWindow"));
    setMinimumWidth(360);
    command_->setObjectName(QStringLiteral("command"));
    progress_->setObjectName(QStringLiteral("progress"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    progress_->setRange(0, steps > 0 ? steps : 1);
    progress_->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(command_);
    layout->addWidget(progress_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, &NdrTransferDialog::reject);
}

void NdrTransferDialog::reject() {
    // The worker stops at its next command; the window closes when it has.
    cancelled_ = true;
    cancel_->setEnabled(false);
}

bool NdrTransferDialog::Run(NdrLoggerLink& link, const std::function<bool(NdrCommandLine&)>& work) {
    bool ok = false;
    std::thread worker([&] {
        ok = link.WithCommandLine([&](NdrCommandLine& line) {
            WindowLine shown(line, this, cancelled_);
            return work(shown);
        });
        QMetaObject::invokeMethod(this, [this] { done(QDialog::Accepted); }, Qt::QueuedConnection);
    });
    exec();
    worker.join();
    return ok && !cancelled_;
}

}  // namespace svu
