#pragma once

// One tab of a property sheet. A page declares its fields in its constructor (or in the function
// that builds it): groups, rows, and bound fields with their object names; the page lays out the
// widgets, keeps the binders, and applies its enabling rules whenever a field changes. Pages with
// behaviour of their own derive from it and add to Load/Validate/Store.

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "pages/FieldBinder.h"
#include "pages/PathField.h"

class QBoxLayout;
class QFormLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;

namespace svu {

class PropertySheet;
class UserInterface;

class PropertyPage : public QWidget {
public:
    explicit PropertyPage(const QString& tabName);
    ~PropertyPage() override;

    /// The tab caption.
    const QString& TabName() const { return tabName_; }

    /// Object to widgets: every bound field, then the enabling rules.
    virtual void Load();
    /// Checks every bound field in declaration order; on the first refusal gives its message and
    /// the widget to focus.
    virtual bool Validate(QString& message, QWidget*& focus);
    /// Widgets to object: every bound field, then the page's after-store actions.
    virtual void Store();
    /// The edited object changed underneath the page (an instrument was read, a channel added):
    /// pages that show object state rather than pending edits refill themselves.
    virtual void Refresh() {}

    /// The sheet the page is on (set when it is added), for message boxes and nested dialogs.
    PropertySheet* Sheet() const { return sheet_; }
    UserInterface& Ui() const;

    // ---- Declaring the layout ----

    /// Subsequent fields go into a new group box with this caption.
    QGroupBox* BeginGroup(const QString& title, const QString& objectName = {});
    void EndGroup();
    /// Subsequent fields share one row, headed by `label` when not empty.
    void BeginRow(const QString& label = {});
    void EndRow();
    /// A text in the current row or container (a unit after an edit box, a note).
    QLabel* AddText(const QString& text);
    /// A widget the page manages itself, with an optional label.
    void AddWidget(QWidget* widget, const QString& label = {});
    /// A push button with an object name and its action.
    QPushButton* AddButton(const QString& text, const QString& objectName, std::function<void()> action);
    /// Fills the rest of the page with empty space (fields stay at the top).
    void AddStretch();

    // ---- Declaring bound fields; each widget gets `objectName` ----

    TextField& Text(const QString& objectName, const QString& label, Accessor<std::string> access,
                    bool password = false);
    IntegerField& Integer(const QString& objectName, const QString& label, Accessor<long long> access,
                          long long minimum, long long maximum);
    IntegerField& Spin(const QString& objectName, const QString& label, Accessor<long long> access, long long minimum,
                       long long maximum);
    DecimalField& Decimal(const QString& objectName, const QString& label, Accessor<double> access);
    DecimalField& Decimal(const QString& objectName, const QString& label, Accessor<double> access, double minimum,
                          double maximum);
    CheckField& Check(const QString& objectName, const QString& text, Accessor<bool> access);
    RadioField& Radio(const QString& objectName, const QStringList& texts, Accessor<long long> access,
                      std::vector<long long> values = {}, bool vertical = true);
    ChoiceField& Choice(const QString& objectName, const QString& label, const QStringList& entries,
                        Accessor<long long> access, std::vector<long long> values = {});
    /// A drop-down of channel or station names; nothing selected stores -1.
    ChoiceField& NameList(const QString& objectName, const QString& label, const QStringList& names,
                          Accessor<long long> access);
    ComboTextField& ComboText(const QString& objectName, const QString& label, const QStringList& suggestions,
                              Accessor<std::string> access);
    PathField& Path(const QString& objectName, const QString& label, Accessor<std::string> access, PathField::Kind kind,
                    const QString& title, const std::string& filter = {});

    /// Enables `targets` exactly while `rule` holds; rules are re-applied on every change.
    void EnableWhen(std::vector<FieldBinder*> targets, std::function<bool()> rule);
    /// The same for widgets that are not bound fields (buttons).
    void EnableWidgetsWhen(std::vector<QWidget*> targets, std::function<bool()> rule);
    /// Runs after the page's fields were stored (derived settings such as a next log time).
    void AfterStore(std::function<void()> action);
    /// Re-applies the enabling rules.
    void ApplyRules();

private:
    friend class PropertySheet;

    template <class Binder>
    Binder& Add(const QString& objectName, const QString& label, std::unique_ptr<Binder> binder, QWidget* widget);
    void Place(QWidget* widget, const QString& label, QLabel** labelOut = nullptr);
    QBoxLayout* Container() const;

    struct Rule {
        std::vector<FieldBinder*> fields;
        std::vector<QWidget*> widgets;
        std::function<bool()> holds;
    };

    QString tabName_;
    PropertySheet* sheet_ = nullptr;
    QBoxLayout* pageLayout_;
    QBoxLayout* groupLayout_ = nullptr;
    QFormLayout* form_ = nullptr;
    QHBoxLayout* row_ = nullptr;
    std::vector<std::unique_ptr<FieldBinder>> binders_;
    std::vector<Rule> rules_;
    std::vector<std::function<void()>> afterStore_;
};

}  // namespace svu
