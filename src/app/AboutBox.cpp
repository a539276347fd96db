#include "app/AboutBox.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "Version.h"
#include "app/CHyperLink.h"
#include "framework/StringTable.h"

namespace svu {

namespace {

constexpr int kPartNumberLabel = 585;
constexpr int kIssueLabel = 586;

std::string Label(int id) {
    const char* text = LoadString(id);
    return text != nullptr ? text : kLoadStringFailed;
}

}  // namespace

AboutTexts MakeAboutTexts(const std::string& copyright, const std::string& product, const std::string& version,
                          const std::string& specialBuild) {
    const size_t hyphen = version.rfind('-');
    const std::string part = hyphen == std::string::npos ? version : version.substr(0, hyphen);
    const std::string issue = hyphen == std::string::npos ? std::string() : version.substr(hyphen + 1);
    AboutTexts texts;
    texts.copyright = copyright;
    texts.product = product;
    texts.partNumber = Label(kPartNumberLabel) + " " + part;
    texts.issue = Label(kIssueLabel) + " " + issue;
    if (!specialBuild.empty()) {
        texts.issue += " [" + specialBuild + "]";
    }
    return texts;
}

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About %1").arg(QString::fromUtf8(kProductName)));
    const AboutTexts texts = MakeAboutTexts(kCopyright, kProductName, kProductVersion, "");

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(48, 48));
    auto* product = new QLabel(QString::fromStdString(texts.product), this);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    product->setFont(big);
    auto* lines = new QVBoxLayout;
    lines->addWidget(product);
    for (const std::string* line : {&texts.partNumber, &texts.issue, &texts.copyright}) {
        lines->addWidget(new QLabel(QString::fromStdString(*line), this));
    }
    web_ = new CHyperLink(this, QString::fromUtf8(kWebAddress));
    mail_ = new CHyperLink(this, QString::fromUtf8(kMailAddress), QStringLiteral("support@example.com"));
    lines->addSpacing(8);
    lines->addWidget(web_);
    lines->addWidget(mail_);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace svu
