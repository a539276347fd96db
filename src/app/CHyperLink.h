#pragma once

// A label that opens a web address or starts a mail when clicked (or when space is pressed while it
// has the focus). Blue while unvisited, purple once visited, teal while it has the focus.

#include <QLabel>
#include <QUrl>
#include <functional>

namespace svu {

class CHyperLink : public QLabel {
    Q_OBJECT

public:
    static constexpr QRgb kUnvisitedColour = qRgb(0, 0, 255);
    static constexpr QRgb kVisitedColour = qRgb(128, 0, 128);
    static constexpr QRgb kFocusColour = qRgb(0, 128, 128);

    /// Shows `caption`, or the target itself when the caption is empty.
    CHyperLink(QWidget* parent, const QString& target, const QString& caption = QString());

    /// Opens the target; marks the link visited on success, beeps on failure.
    bool Open();
    bool Visited() const { return visited_; }
    /// The colour the text is drawn in now.
    QColor TextColour() const;
    /// Replaces the way targets are opened (the desktop's handler by default).
    void SetOpener(std::function<bool(const QUrl&)> opener) { opener_ = std::move(opener); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UpdateColour();

    QString target_;
    bool visited_ = false;
    std::function<bool(const QUrl&)> opener_;
};

}  // namespace svu
