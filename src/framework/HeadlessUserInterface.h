#pragma once

#include <iosfwd>
#include <mutex>

#include "framework/UserInterface.h"

namespace svu {

/// The user interface of the service: messages and progress go to a text stream (stderr by
/// default), questions are answered without waiting.
class HeadlessUserInterface : public UserInterface {
public:
    /// Writes to std::cerr.
    HeadlessUserInterface();
    /// Writes to `out`, which must outlive this object.
    explicit HeadlessUserInterface(std::ostream& out);

    /// Writes the caption and text; answers the named default button, else SafeResult.
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                         int defaultButton = 0) override;
    /// Writes the progress text.
    void ShowProgress(const std::string& text) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}

    /// The answer MessageBox gives for these buttons without asking anybody.
    static MsgResult DefaultAnswer(MsgButtons buttons, int defaultButton);

private:
    std::ostream& out_;
    std::mutex mutex_;
};

}  // namespace svu
