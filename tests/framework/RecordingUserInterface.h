#pragma once

// A UserInterface for tests: records every message and progress line and answers questions
// from a queue (or, when the queue is empty, as the headless service would).

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "framework/HeadlessUserInterface.h"
#include "framework/UserInterface.h"

namespace svu::test {

class RecordingUserInterface : public UserInterface {
public:
    struct Message {
        std::string text;
        std::string caption;
        MsgButtons buttons;
        MsgIcon icon;
        int defaultButton;
    };

    /// Queues the answer to the next question.
    void Answer(MsgResult result) {
        std::lock_guard lock(mutex_);
        answers_.push_back(result);
    }

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                         int defaultButton = 0) override {
        std::lock_guard lock(mutex_);
        messages_.push_back({text, caption, buttons, icon, defaultButton});
        if (answers_.empty()) {
            return HeadlessUserInterface::DefaultAnswer(buttons, defaultButton);
        }
        const MsgResult result = answers_.front();
        answers_.pop_front();
        return result;
    }
    void ShowProgress(const std::string& text) override {
        std::lock_guard lock(mutex_);
        progress_.push_back(text);
    }
    void BeginWaitCursor() override {
        std::lock_guard lock(mutex_);
        ++waitDepth_;
    }
    void EndWaitCursor() override {
        std::lock_guard lock(mutex_);
        --waitDepth_;
    }

    std::vector<Message> Messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<std::string> Progress() const {
        std::lock_guard lock(mutex_);
        return progress_;
    }
    int WaitDepth() const {
        std::lock_guard lock(mutex_);
        return waitDepth_;
    }

private:
    mutable std::mutex mutex_;
    std::deque<MsgResult> answers_;
    std::vector<Message> messages_;
    std::vector<std::string> progress_;
    int waitDepth_ = 0;
};

}  // namespace svu::test
