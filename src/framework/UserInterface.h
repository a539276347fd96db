#pragma once

// What the model asks of the person using the program: message boxes, progress texts and the
// wait cursor. The desktop program shows them (marshalled to the GUI thread); the headless
// service answers every question with its safe choice. Any thread may call these.

#include <string>

namespace svu {

/// The buttons of a message box.
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };

/// The icon of a message box.
enum class MsgIcon { None, Info, Warning, Question, Stop };

/// The button chosen; the values are those of the Windows dialog results.
enum class MsgResult { Ok = 1, Cancel = 2, Retry = 4, Yes = 6, No = 7 };

/// The result of button `index` (1-based, left to right) of a button set; Cancel when out of range.
constexpr MsgResult ButtonResult(MsgButtons buttons, int index) {
    switch (buttons) {
        case MsgButtons::Ok:
            return index == 1 ? MsgResult::Ok : MsgResult::Cancel;
        case MsgButtons::OkCancel:
            return index == 1 ? MsgResult::Ok : MsgResult::Cancel;
        case MsgButtons::YesNo:
            return index == 1 ? MsgResult::Yes : index == 2 ? MsgResult::No : MsgResult::Cancel;
        case MsgButtons::YesNoCancel:
            return index == 1 ? MsgResult::Yes : index == 2 ? MsgResult::No : MsgResult::Cancel;
        case MsgButtons::RetryCancel:
            return index == 1 ? MsgResult::Retry : MsgResult::Cancel;
    }
    return MsgResult::Cancel;
}

/// The answer that never starts anything irreversible: Ok for a plain notice, else Cancel, or No
/// where there is no Cancel.
constexpr MsgResult SafeResult(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::Ok:
            return MsgResult::Ok;
        case MsgButtons::YesNo:
            return MsgResult::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel:
        case MsgButtons::RetryCancel:
            return MsgResult::Cancel;
    }
    return MsgResult::Cancel;
}

class UserInterface {
public:
    virtual ~UserInterface() = default;

    /// Shows a message and waits for the answer. `defaultButton` is the 1-based button that has
    /// the focus, 0 for the first one; an interface that cannot ask answers with the named
    /// default button, or with SafeResult when none is named.
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon,
                                 int defaultButton = 0) = 0;

    /// Shows a progress line of a running transfer.
    virtual void ShowProgress(const std::string& text) = 0;

    /// Shows the busy cursor until the matching EndWaitCursor.
    virtual void BeginWaitCursor() = 0;

    /// Ends one BeginWaitCursor.
    virtual void EndWaitCursor() = 0;
};

}  // namespace svu
