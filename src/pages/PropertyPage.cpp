#include "pages/PropertyPage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/PropertySheet.h"

namespace svu {

PropertyPage::PropertyPage(const QString& tabName) : tabName_(tabName), pageLayout_(new QVBoxLayout(this)) {}

PropertyPage::~PropertyPage() {
    // The widgets' signals call into the binders; let the widgets go first.
    const QObjectList kids = children();
    for (QObject* child : kids) {
        if (child->isWidgetType()) {
            delete child;
        }
    }
}

UserInterface& PropertyPage::Ui() const {
    return sheet_ != nullptr ? sheet_->Ui() : DefaultUserInterface();
}

void PropertyPage::Load() {
    for (auto& binder : binders_) {
        binder->Load();
    }
    ApplyRules();
}

bool PropertyPage::Validate(QString& message, QWidget*& focus) {
    for (auto& binder : binders_) {
        // A disabled field is not in use; what it holds does not stop the sheet.
        if (!binder->FocusWidget()->isEnabled()) {
            continue;
        }
        if (!binder->Validate(message)) {
            focus = binder->FocusWidget();
            return false;
        }
    }
    return true;
}

void PropertyPage::Store() {
    for (auto& binder : binders_) {
        binder->Store();
    }
    for (auto& action : afterStore_) {
        action();
    }
}

QBoxLayout* PropertyPage::Container() const {
    return groupLayout_ != nullptr ? groupLayout_ : pageLayout_;
}

QGroupBox* PropertyPage::BeginGroup(const QString& title, const QString& objectName) {
    EndGroup();
    auto* group = new QGroupBox(title);
    group->setObjectName(objectName);
    groupLayout_ = new QVBoxLayout(group);
    pageLayout_->addWidget(group);
    return group;
}

void PropertyPage::EndGroup() {
    EndRow();
    groupLayout_ = nullptr;
    form_ = nullptr;
}

void PropertyPage::BeginRow(const QString& label) {
    EndRow();
    if (form_ == nullptr) {
        form_ = new QFormLayout;
        Container()->addLayout(form_);
    }
    row_ = new QHBoxLayout;
    if (label.isEmpty()) {
        form_->addRow(row_);
    } else {
        form_->addRow(new QLabel(label), row_);
    }
}

void PropertyPage::EndRow() {
    if (row_ != nullptr) {
        row_->addStretch();
        row_ = nullptr;
    }
}

void PropertyPage::Place(QWidget* widget, const QString& label, QLabel** labelOut) {
    QLabel* labelWidget = label.isEmpty() ? nullptr : new QLabel(label);
    if (labelOut != nullptr) {
        *labelOut = labelWidget;
    }
    if (row_ != nullptr) {
        if (labelWidget != nullptr) {
            row_->addWidget(labelWidget);
        }
        row_->addWidget(widget);
        return;
    }
    if (form_ == nullptr) {
        form_ = new QFormLayout;
        Container()->addLayout(form_);
    }
    if (labelWidget != nullptr) {
        form_->addRow(labelWidget, widget);
    } else {
        form_->addRow(widget);
    }
}

QLabel* PropertyPage::AddText(const QString& text) {
    auto* label = new QLabel(text);
    Place(label, {});
    return label;
}

void PropertyPage::AddWidget(QWidget* widget, const QString& label) {
    Place(widget, label);
}

QPushButton* PropertyPage::AddButton(const QString& text, const QString& objectName, std::function<void()> action) {
    auto* button = new QPushButton(text);
    button->setObjectName(objectName);
    QObject::connect(button, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
    // A button keeps its own width; on a row of its own it sits at the left.
    const bool ownRow = row_ == nullptr;
    if (ownRow) {
        BeginRow();
    }
    Place(button, {});
    if (ownRow) {
        EndRow();
    }
    return button;
}

void PropertyPage::AddStretch() {
    EndGroup();
    pageLayout_->addStretch();
}

template <class Binder>
Binder& PropertyPage::Add(const QString& objectName, const QString& label, std::unique_ptr<Binder> binder,
                          QWidget* widget) {
    binder->FocusWidget()->setObjectName(objectName);
    if (widget != binder->FocusWidget()) {
        widget->setObjectName(objectName + QStringLiteral("Box"));
    }
    Place(widget, label, &binder->label);
    binder->onChanged = [this] { ApplyRules(); };
    Binder& ref = *binder;
    binders_.push_back(std::move(binder));
    return ref;
}

TextField& PropertyPage::Text(const QString& objectName, const QString& label, Accessor<std::string> access,
                              bool password) {
    auto binder = std::make_unique<TextField>(std::move(access), password);
    QWidget* w = binder->Edit();
    return Add(objectName, label, std::move(binder), w);
}

IntegerField& PropertyPage::Integer(const QString& objectName, const QString& label, Accessor<long long> access,
                                    long long minimum, long long maximum) {
    auto binder = std::make_unique<IntegerField>(std::move(access), minimum, maximum);
    QWidget* w = binder->Widget();
    return Add(objectName, label, std::move(binder), w);
}

IntegerField& PropertyPage::Spin(const QString& objectName, const QString& label, Accessor<long long> access,
                                 long long minimum, long long maximum) {
    auto binder = std::make_unique<IntegerField>(std::move(access), minimum, maximum, true);
    QWidget* w = binder->Widget();
    return Add(objectName, label, std::move(binder), w);
}

DecimalField& PropertyPage::Decimal(const QString& objectName, const QString& label, Accessor<double> access) {
    auto binder = std::make_unique<DecimalField>(std::move(access));
    QWidget* w = binder->Edit();
    return Add(objectName, label, std::move(binder), w);
}

DecimalField& PropertyPage::Decimal(const QString& objectName, const QString& label, Accessor<double> access,
                                    double minimum, double maximum) {
    auto binder = std::make_unique<DecimalField>(std::move(access), minimum, maximum);
    QWidget* w = binder->Edit();
    return Add(objectName, label, std::move(binder), w);
}

CheckField& PropertyPage::Check(const QString& objectName, const QString& text, Accessor<bool> access) {
    auto binder = std::make_unique<CheckField>(text, std::move(access));
    QWidget* w = binder->Box();
    return Add(objectName, {}, std::move(binder), w);
}

RadioField& PropertyPage::Radio(const QString& objectName, const QStringList& texts, Accessor<long long> access,
                                std::vector<long long> values, bool vertical) {
    auto binder = std::make_unique<RadioField>(texts, std::move(access), std::move(values), vertical);
    QWidget* w = binder->Widget();
    return Add(objectName, {}, std::move(binder), w);
}

ChoiceField& PropertyPage::Choice(const QString& objectName, const QString& label, const QStringList& entries,
                                  Accessor<long long> access, std::vector<long long> values) {
    auto binder = std::make_unique<ChoiceField>(entries, std::move(access), std::move(values));
    QWidget* w = binder->Combo();
    return Add(objectName, label, std::move(binder), w);
}

ChoiceField& PropertyPage::NameList(const QString& objectName, const QString& label, const QStringList& names,
                                    Accessor<long long> access) {
    auto binder = std::make_unique<ChoiceField>(names, std::move(access), std::vector<long long>{}, true);
    QWidget* w = binder->Combo();
    return Add(objectName, label, std::move(binder), w);
}

ComboTextField& PropertyPage::ComboText(const QString& objectName, const QString& label, const QStringList& suggestions,
                                        Accessor<std::string> access) {
    auto binder = std::make_unique<ComboTextField>(suggestions, std::move(access));
    QWidget* w = binder->Combo();
    return Add(objectName, label, std::move(binder), w);
}

PathField& PropertyPage::Path(const QString& objectName, const QString& label, Accessor<std::string> access,
                              PathField::Kind kind, const QString& title, const std::string& filter) {
    auto binder = std::make_unique<PathField>(std::move(access), kind, title, filter);
    binder->BrowseButton()->setObjectName(objectName + QStringLiteral("Browse"));
    QWidget* w = binder->Widget();
    return Add(objectName, label, std::move(binder), w);
}

void PropertyPage::EnableWhen(std::vector<FieldBinder*> targets, std::function<bool()> rule) {
    rules_.push_back({std::move(targets), {}, std::move(rule)});
}

void PropertyPage::EnableWidgetsWhen(std::vector<QWidget*> targets, std::function<bool()> rule) {
    rules_.push_back({{}, std::move(targets), std::move(rule)});
}

void PropertyPage::AfterStore(std::function<void()> action) {
    afterStore_.push_back(std::move(action));
}

void PropertyPage::ApplyRules() {
    for (const Rule& rule : rules_) {
        const bool on = rule.holds();
        for (FieldBinder* field : rule.fields) {
            field->SetEnabled(on);
        }
        for (QWidget* widget : rule.widgets) {
            widget->setEnabled(on);
        }
    }
}

}  // namespace svu
