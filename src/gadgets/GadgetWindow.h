#pragma once

// The on-screen side of a display item: a child window of the view with a sizing frame, painted
// by its Gadget, moved by dragging and resized by its frame while the layout may change, with
// the item's context menu.

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace svu {

class Gadget;

/// What a gadget window needs from the view that holds it.
class GadgetHost {
public:
    virtual ~GadgetHost() = default;
    /// Moving, resizing, copying, deleting and properties are refused while either is set.
    virtual bool LayoutLocked() const = 0;
    virtual bool AcquisitionRunning() const = 0;
    /// The page the view shows (1 to 8).
    virtual int CurrentPage() const = 0;
    /// The view's scroll position (page coordinates of the client area's top-left corner).
    virtual QPoint ScrollPosition() const = 0;
    /// The item moved or was resized (its `rect` is stored): the document is modified and the
    /// view recomputes its scroll extent.
    virtual void GadgetMoved(Gadget& gadget) = 0;
    /// "&Delete...": asks, then removes and destroys the item (and this window).
    virtual void DeleteGadget(Gadget& gadget) = 0;
    /// "&Copy": a copy 20 pixels right of and below it, on the same page.
    virtual void CopyGadget(Gadget& gadget) = 0;
    /// "&Properties...": the item's property sheet.
    virtual void EditGadgetProperties(Gadget& gadget) = 0;
};

class GadgetWindow : public QWidget {
    Q_OBJECT

public:
    /// A window for `gadget` (not owned; it must outlive the window) inside `parent`, placed at
    /// the gadget's rectangle less the host's scroll position.
    GadgetWindow(Gadget& gadget, GadgetHost& host, QWidget* parent);

    Gadget& GetGadget() const { return gadget_; }
    /// Places the window at the gadget's rectangle (after the view scrolled or the rect changed)
    /// and applies its border style.
    void PlaceFromGadget();
    /// Records the window's placement, plus the scroll position, into the gadget's `rect`.
    void StoreWindowRect();
    /// Whether a drag or resize is in progress.
    bool Dragging() const { return mode_ != Mode::None; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Mode { None, Move, Resize };
    // Which frame edges a resize moves.
    enum Edge { kLeft = 1, kTop = 2, kRight = 4, kBottom = 8 };

    bool LayoutFixed() const;
    int EdgesAt(const QPoint& pos) const;
    void UpdateCursor(const QPoint& pos);
    void EndDrag();
    void ApplyMask();

    Gadget& gadget_;
    GadgetHost& host_;
    Mode mode_ = Mode::None;
    int edges_ = 0;
    QPoint originInParent_;  // window top-left when the drag started
    QRect startGeometry_;    // window geometry when the resize started
    QPoint startMouse_;      // global mouse position when the drag started
    QPoint lastMouse_;
};

}  // namespace svu
