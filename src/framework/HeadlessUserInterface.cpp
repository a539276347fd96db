#include "framework/HeadlessUserInterface.h"

#include <iostream>

namespace svu {

namespace {

int ButtonCount(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return 1;
        case MsgButtons::YesNoCancel:
            return 3;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNo:
        case MsgButtons::RetryCancel:
            return 2;
    }
    return 1;
}

const char* IconLabel(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Warning:
            return "warning: ";
        case MsgIcon::Stop:
            return "error: ";
        case MsgIcon::None:
        case MsgIcon::Info:
        case MsgIcon::Question:
            break;
    }
    return "";
}

}  // namespace

HeadlessUserInterface::HeadlessUserInterface() : HeadlessUserInterface(std::cerr) {}

HeadlessUserInterface::HeadlessUserInterface(std::ostream& out) : out_(out) {}

MsgResult HeadlessUserInterface::DefaultAnswer(MsgButtons buttons, int defaultButton) {
    if (defaultButton >= 1 && defaultButton <= ButtonCount(buttons)) {
        return ButtonResult(buttons, defaultButton);
    }
    return SafeResult(buttons);
}

MsgResult HeadlessUserInterface::MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                                            MsgIcon icon, int defaultButton) {
    const MsgResult answer = DefaultAnswer(buttons, defaultButton);
    std::lock_guard lock(mutex_);
    out_ << IconLabel(icon);
    if (!caption.empty()) {
        out_ << caption << ": ";
    }
    out_ << text << '\n';
    out_.flush();
    return answer;
}

void HeadlessUserInterface::ShowProgress(const std::string& text) {
    std::lock_guard lock(mutex_);
    out_ << text << '\n';
    out_.flush();
}

}  // namespace svu
