#pragma once

// The about box: product, copyright, part number and issue from the build's version, and links
// to the maker's web site and mail address.

#include <QDialog>
#include <string>

namespace svu {

class CHyperLink;

/// The lines of the about box.
struct AboutTexts {
    std::string copyright;
    std::string product;
    std::string partNumber;  // "Part number: " + the version before its last hyphen
    std::string issue;       // "Issue: " + the version after it, then " [special build]" when there is one
};

/// Splits a "part-issue" version at its last hyphen; without one the whole version is the part number
/// and the issue is empty.
AboutTexts MakeAboutTexts(const std::string& copyright, const std::string& product, const std::string& version,
                          const std::string& specialBuild);

class AboutBox : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kWebAddress = "https://www.example.com/stratavue";
    static constexpr const char* kMailAddress = "mailto:support@example.com";

    explicit AboutBox(QWidget* parent);

    CHyperLink* WebLink() const { return web_; }
    CHyperLink* MailLink() const { return mail_; }

private:
    CHyperLink* web_;
    CHyperLink* mail_;
};

}  // namespace svu
