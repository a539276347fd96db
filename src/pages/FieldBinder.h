#pragma once

// The bound fields of a property page. A binder owns the widgets of one setting, fills them from
// the object (Load), checks what was typed (Validate) and writes it back (Store) only when the
// sheet is closed with OK. The object is reached through an Accessor, so a field may be a plain
// member of any width or a value computed from several members.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QWidget;

namespace svu {

/// Reads and writes one value of type T of the edited object.
template <class T>
struct Accessor {
    std::function<T()> get;
    std::function<void(const T&)> set;
};

/// An accessor over a member of any arithmetic or string type, converted to and from T.
template <class T, class Field>
Accessor<T> Bind(Field& field) {
    return {[&field] { return static_cast<T>(field); }, [&field](const T& v) { field = static_cast<Field>(v); }};
}

/// A boolean kept as a 0/1 integer.
template <class Field>
Accessor<bool> BindFlag(Field& field) {
    return {[&field] { return field != 0; }, [&field](const bool& v) { field = v ? 1 : 0; }};
}

/// Text as the model keeps it (UTF-8) and as Qt shows it.
QString ToQt(const std::string& text);
std::string FromQt(const QString& text);

/// Strict number parsing of what was typed: surrounding spaces allowed, nothing else. C rules
/// whatever the locale, so "1,5" is not a number.
bool ParseInteger(const QString& text, long long& value);
bool ParseDecimal(const QString& text, double& value);
/// A decimal as the edit boxes show it ("%.6g" in the C locale, as a float setting holds it).
QString FormatDecimal(double value);

/// The range messages the pages show when OK is refused.
QString IntegerRangeMessage(long long minimum, long long maximum);
QString DecimalRangeMessage(double minimum, double maximum);
QString NotIntegerMessage();
QString NotDecimalMessage();

/// One bound setting and its widgets.
class FieldBinder {
public:
    virtual ~FieldBinder() = default;

    /// Object to widgets.
    virtual void Load() = 0;
    /// Whether the widgets hold an acceptable value; otherwise `message` says why.
    virtual bool Validate(QString& message) { return true; }
    /// Widgets to object.
    virtual void Store() = 0;
    /// The widget that takes the focus when the value is refused.
    virtual QWidget* FocusWidget() const = 0;
    /// Enables or disables every widget of the field (its label included).
    virtual void SetEnabled(bool enabled);

    /// Called whenever the user changes the value (the page re-applies its enabling rules).
    std::function<void()> onChanged;
    /// The label placed in front of the field, if any.
    QLabel* label = nullptr;

protected:
    void Changed() const {
        if (onChanged) {
            onChanged();
        }
    }
    std::vector<QWidget*> widgets_;
};

/// A single-line edit of a text.
class TextField : public FieldBinder {
public:
    TextField(Accessor<std::string> access, bool password = false);
    void Load() override;
    bool Validate(QString& message) override;
    void Store() override;
    QWidget* FocusWidget() const override;
    QLineEdit* Edit() const { return edit_; }

    /// Optional check of the typed text: empty when it is acceptable, else why not.
    std::function<std::string(const std::string&)> check;

private:
    Accessor<std::string> access_;
    QLineEdit* edit_;
};

/// An integer edit box with an inclusive range, optionally with up/down arrows (a spin control).
class IntegerField : public FieldBinder {
public:
    IntegerField(Accessor<long long> access, long long minimum, long long maximum, bool spin = false);
    void Load() override;
    bool Validate(QString& message) override;
    void Store() override;
    QWidget* FocusWidget() const override;
    QLineEdit* Edit() const { return edit_; }
    /// The main widget (the edit box, or the box with its arrows).
    QWidget* Widget() const { return widgets_.front(); }

private:
    void Step(int delta);

    Accessor<long long> access_;
    long long minimum_;
    long long maximum_;
    QLineEdit* edit_;
};

/// A decimal edit box; without a range any number is accepted.
class DecimalField : public FieldBinder {
public:
    explicit DecimalField(Accessor<double> access);
    DecimalField(Accessor<double> access, double minimum, double maximum);
    void Load() override;
    bool Validate(QString& message) override;
    void Store() override;
    QWidget* FocusWidget() const override;
    QLineEdit* Edit() const { return edit_; }

private:
    Accessor<double> access_;
    bool ranged_ = false;
    double minimum_ = 0;
    double maximum_ = 0;
    QLineEdit* edit_;
};

/// A check box.
class CheckField : public FieldBinder {
public:
    CheckField(const QString& text, Accessor<bool> access);
    void Load() override;
    void Store() override;
    QWidget* FocusWidget() const override;
    bool Checked() const;
    QAbstractButton* Box() const { return box_; }

private:
    Accessor<bool> access_;
    QAbstractButton* box_;
};

/// Radio buttons in one row or column; the value is the position of the chosen button, or the
/// matching entry of `values` when given.
class RadioField : public FieldBinder {
public:
    RadioField(const QStringList& texts, Accessor<long long> access, std::vector<long long> values = {},
               bool vertical = true);
    void Load() override;
    void Store() override;
    QWidget* FocusWidget() const override;
    /// The chosen position, -1 for none.
    int Current() const;
    QWidget* Widget() const { return widgets_.front(); }

private:
    Accessor<long long> access_;
    std::vector<long long> values_;
    QButtonGroup* group_;
};

/// A drop-down list. Entries are fixed texts, or filled by the page (stations, channel names).
/// The value is the position of the selection (-1 for none), or the matching entry of `values`.
/// With nothing selected Store writes -1 when `noneIsMinusOne`, else leaves the value alone.
class ChoiceField : public FieldBinder {
public:
    ChoiceField(const QStringList& entries, Accessor<long long> access, std::vector<long long> values = {},
                bool noneIsMinusOne = false);
    void Load() override;
    void Store() override;
    QWidget* FocusWidget() const override;
    /// Replaces the entries, selecting position `select` (-1 for none).
    void Refill(const QStringList& entries, int select);
    int Current() const;
    void SetCurrent(int position);
    QComboBox* Combo() const { return combo_; }

private:
    int PositionOf(long long value) const;

    Accessor<long long> access_;
    std::vector<long long> values_;
    bool noneIsMinusOne_;
    int loaded_ = -1;
    QComboBox* combo_;
};

/// A text typed or picked from suggestions (an editable drop-down).
class ComboTextField : public FieldBinder {
public:
    ComboTextField(const QStringList& suggestions, Accessor<std::string> access);
    void Load() override;
    void Store() override;
    QWidget* FocusWidget() const override;
    QComboBox* Combo() const { return combo_; }

private:
    Accessor<std::string> access_;
    QComboBox* combo_;
};

}  // namespace svu
