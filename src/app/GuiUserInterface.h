#pragma once

// The desktop program's UserInterface: message boxes, progress lines and the wait cursor on the
// GUI thread. A station thread's question is carried over to the GUI thread and the station thread
// waits for the answer; once the program is shutting down every question, waiting or new, gets its
// safe answer at once, so a thread can never hang on a window that will not come.

#include <QObject>
#include <QPointer>
#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "framework/UserInterface.h"

class QWidget;

namespace svu {

class GuiUserInterface : public QObject, public UserInterface {
    Q_OBJECT

public:
    /// Lives on (and must be created on) the GUI thread.
    GuiUserInterface();
    ~GuiUserInterface() override;

    /// The window message boxes belong to (may be null).
    void SetParentWindow(QWidget* parent) { parent_ = parent; }
    /// Where progress lines go (the status bar); without it they are dropped.
    void SetProgressSink(std::function<void(const std::string&)> sink) { progressSink_ = std::move(sink); }
    /// The program is closing: questions are no longer shown; waiting and later ones get their
    /// default answer.
    void Shutdown();
    bool IsShutDown() const;

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                         int defaultButton = 0) override;
    void ShowProgress(const std::string& text) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;

    /// Shows a message box now (GUI thread only); used by MessageBox and by the program's own
    /// dialogs.
    static MsgResult ShowMessageBox(QWidget* parent, const std::string& text, const std::string& caption,
                                    MsgButtons buttons, MsgIcon icon, int defaultButton);

private:
    struct Question;

    bool OnGuiThread() const;
    /// Runs the questions waiting for the GUI thread (queued to it).
    void ServeQuestions();
    /// Runs `task` on the GUI thread without waiting.
    void Post(std::function<void()> task);

    QPointer<QWidget> parent_;
    std::function<void(const std::string&)> progressSink_;

    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<std::shared_ptr<Question>> waiting_;
    bool shutDown_ = false;
    int waitCursorDepth_ = 0;  // GUI thread only
};

/// A file-dialog filter from a numbered filter text ("Name (*.x)|*.x|All Files (*.*)|*.*||").
QString FileDialogFilter(int stringId);

}  // namespace svu
