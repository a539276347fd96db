#include "pages/FieldBinder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "framework/TextUtil.h"

namespace svu {

QString ToQt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
    return text.toUtf8().toStdString();
}

bool ParseInteger(const QString& text, long long& value) {
    const std::string s = FromQt(text.trimmed());
    if (s.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || end != s.c_str() + s.size()) {
        return false;
    }
    value = v;
    return true;
}

bool ParseDecimal(const QString& text, double& value) {
    const std::string s = FromQt(text.trimmed());
    if (s.empty()) {
        return false;
    }
    // Hexadecimal, "inf" and "nan" are not numbers a person types into a setting.
    for (char c : s) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' || c == 'e' ||
              c == 'E')) {
            return false;
        }
    }
    char* end = nullptr;
    const double v = strtod_l(s.c_str(), &end, CLocale());
    if (end != s.c_str() + s.size() || !std::isfinite(v)) {
        return false;
    }
    value = v;
    return true;
}

QString FormatDecimal(double value) {
    return ToQt(FormatC("%.6g", value));
}

QString IntegerRangeMessage(long long minimum, long long maximum) {
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

QString DecimalRangeMessage(double minimum, double maximum) {
    return QStringLiteral("Please enter a number between %1 and %2.")
        .arg(FormatDecimal(minimum), FormatDecimal(maximum));
}

QString NotIntegerMessage() {
    return QStringLiteral("Please enter an integer.");
}

QString NotDecimalMessage() {
    return QStringLiteral("Please enter a number.");
}

void FieldBinder::SetEnabled(bool enabled) {
    for (QWidget* w : widgets_) {
        w->setEnabled(enabled);
    }
    if (label != nullptr) {
        label->setEnabled(enabled);
    }
}

// ---- TextField ----

TextField::TextField(Accessor<std::string> access, bool password) : access_(std::move(access)), edit_(new QLineEdit) {
    if (password) {
        edit_->setEchoMode(QLineEdit::Password);
    }
    widgets_.push_back(edit_);
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] { Changed(); });
}

void TextField::Load() {
    edit_->setText(ToQt(access_.get()));
}

bool TextField::Validate(QString& message) {
    if (!check) {
        return true;
    }
    const std::string problem = check(FromQt(edit_->text()));
    message = ToQt(problem);
    return problem.empty();
}

void TextField::Store() {
    access_.set(FromQt(edit_->text()));
}

QWidget* TextField::FocusWidget() const {
    return edit_;
}

// ---- IntegerField ----

IntegerField::IntegerField(Accessor<long long> access, long long minimum, long long maximum, bool spin)
    : access_(std::move(access)), minimum_(minimum), maximum_(maximum), edit_(new QLineEdit) {
    edit_->setMaximumWidth(90);
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] { Changed(); });
    if (!spin) {
        widgets_.push_back(edit_);
        return;
    }
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(edit_);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    for (int delta : {1, -1}) {
        auto* button = new QToolButton;
        button->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setFixedSize(16, 11);
        button->setAutoRepeat(true);
        QObject::connect(button, &QToolButton::clicked, edit_, [this, delta] { Step(delta); });
        arrows->addWidget(button);
    }
    row->addLayout(arrows);
    widgets_.push_back(box);
}

void IntegerField::Step(int delta) {
    long long v = minimum_;
    if (ParseInteger(edit_->text(), v)) {
        v = std::clamp(v + delta, minimum_, maximum_);
    }
    edit_->setText(QString::number(v));
    Changed();
}

void IntegerField::Load() {
    edit_->setText(QString::number(access_.get()));
}

bool IntegerField::Validate(QString& message) {
    long long v = 0;
    if (!ParseInteger(edit_->text(), v)) {
        message = NotIntegerMessage();
        return false;
    }
    if (v < minimum_ || v > maximum_) {
        message = IntegerRangeMessage(minimum_, maximum_);
        return false;
    }
    return true;
}

void IntegerField::Store() {
    long long v = 0;
    QString ignored;
    // A field left disabled may hold anything; only an acceptable value is written.
    if (Validate(ignored) && ParseInteger(edit_->text(), v)) {
        access_.set(v);
    }
}

QWidget* IntegerField::FocusWidget() const {
    return edit_;
}

// ---- DecimalField ----

DecimalField::DecimalField(Accessor<double> access) : access_(std::move(access)), edit_(new QLineEdit) {
    edit_->setMaximumWidth(110);
    widgets_.push_back(edit_);
    QObject::connect(edit_, &QLineEdit::textEdited, edit_, [this] { Changed(); });
}

DecimalField::DecimalField(Accessor<double> access, double minimum, double maximum) : DecimalField(std::move(access)) {
    ranged_ = true;
    minimum_ = minimum;
    maximum_ = maximum;
}

void DecimalField::Load() {
    edit_->setText(FormatDecimal(access_.get()));
}

bool DecimalField::Validate(QString& message) {
    double v = 0;
    if (!ParseDecimal(edit_->text(), v)) {
        message = NotDecimalMessage();
        return false;
    }
    if (ranged_ && (v < minimum_ || v > maximum_)) {
        message = DecimalRangeMessage(minimum_, maximum_);
        return false;
    }
    return true;
}

void DecimalField::Store() {
    double v = 0;
    QString ignored;
    if (Validate(ignored) && ParseDecimal(edit_->text(), v)) {
        access_.set(v);
    }
}

QWidget* DecimalField::FocusWidget() const {
    return edit_;
}

// ---- CheckField ----

CheckField::CheckField(const QString& text, Accessor<bool> access)
    : access_(std::move(access)), box_(new QCheckBox(text)) {
    widgets_.push_back(box_);
    QObject::connect(box_, &QAbstractButton::toggled, box_, [this] { Changed(); });
}

void CheckField::Load() {
    box_->setChecked(access_.get());
}

void CheckField::Store() {
    access_.set(box_->isChecked());
}

QWidget* CheckField::FocusWidget() const {
    return box_;
}

bool CheckField::Checked() const {
    return box_->isChecked();
}

// ---- RadioField ----

RadioField::RadioField(const QStringList& texts, Accessor<long long> access, std::vector<long long> values,
                       bool vertical)
    : access_(std::move(access)), values_(std::move(values)) {
    auto* box = new QWidget;
    group_ = new QButtonGroup(box);
    QBoxLayout* layout = vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < texts.size(); ++i) {
        auto* button = new QRadioButton(texts[i]);
        button->setObjectName(QStringLiteral("radio%1").arg(i));
        group_->addButton(button, i);
        layout->addWidget(button);
    }
    if (!vertical) {
        layout->addStretch();
    }
    widgets_.push_back(box);
    QObject::connect(group_, &QButtonGroup::idToggled, box, [this](int, bool on) {
        if (on) {
            Changed();
        }
    });
}

void RadioField::Load() {
    const long long value = access_.get();
    int position = -1;
    if (values_.empty()) {
        position = value >= 0 && value < group_->buttons().size() ? static_cast<int>(value) : -1;
    } else {
        for (size_t i = 0; i < values_.size(); ++i) {
            if (values_[i] == value) {
                position = static_cast<int>(i);
            }
        }
    }
    if (position >= 0) {
        group_->button(position)->setChecked(true);
    }
}

void RadioField::Store() {
    const int position = Current();
    if (position < 0) {
        return;
    }
    access_.set(values_.empty() ? position : values_[static_cast<size_t>(position)]);
}

QWidget* RadioField::FocusWidget() const {
    return widgets_.front();
}

int RadioField::Current() const {
    return group_->checkedId();
}

// ---- ChoiceField ----

ChoiceField::ChoiceField(const QStringList& entries, Accessor<long long> access, std::vector<long long> values,
                         bool noneIsMinusOne)
    : access_(std::move(access)), values_(std::move(values)), noneIsMinusOne_(noneIsMinusOne), combo_(new QComboBox) {
    combo_->addItems(entries);
    combo_->setMinimumContentsLength(12);
    combo_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    widgets_.push_back(combo_);
    QObject::connect(combo_, &QComboBox::currentIndexChanged, combo_, [this] { Changed(); });
}

int ChoiceField::PositionOf(long long value) const {
    if (values_.empty()) {
        return value >= 0 && value < combo_->count() ? static_cast<int>(value) : -1;
    }
    for (size_t i = 0; i < values_.size() && static_cast<int>(i) < combo_->count(); ++i) {
        if (values_[i] == value) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ChoiceField::Load() {
    loaded_ = PositionOf(access_.get());
    combo_->setCurrentIndex(loaded_);
}

void ChoiceField::Store() {
    const int position = combo_->currentIndex();
    // Two pages may offer the same setting (a baud rate on "Comms" and on "Modem"): the one the
    // user changed decides.
    if (!noneIsMinusOne_ && position == loaded_) {
        return;
    }
    if (position < 0) {
        if (noneIsMinusOne_) {
            access_.set(-1);
        }
        return;
    }
    access_.set(values_.empty() ? position : values_[static_cast<size_t>(position)]);
}

QWidget* ChoiceField::FocusWidget() const {
    return combo_;
}

void ChoiceField::Refill(const QStringList& entries, int select) {
    const QSignalBlocker blocker(combo_);
    combo_->clear();
    combo_->addItems(entries);
    combo_->setCurrentIndex(select < combo_->count() ? select : -1);
}

int ChoiceField::Current() const {
    return combo_->currentIndex();
}

void ChoiceField::SetCurrent(int position) {
    combo_->setCurrentIndex(position);
}

// ---- ComboTextField ----

ComboTextField::ComboTextField(const QStringList& suggestions, Accessor<std::string> access)
    : access_(std::move(access)), combo_(new QComboBox) {
    combo_->setEditable(true);
    combo_->addItems(suggestions);
    combo_->setMinimumContentsLength(16);
    widgets_.push_back(combo_);
    QObject::connect(combo_, &QComboBox::currentTextChanged, combo_, [this] { Changed(); });
}

void ComboTextField::Load() {
    combo_->setEditText(ToQt(access_.get()));
}

void ComboTextField::Store() {
    access_.set(FromQt(combo_->currentText()));
}

QWidget* ComboTextField::FocusWidget() const {
    return combo_;
}

}  // namespace svu
