#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resources live in a static library: the linker keeps them only when something calls this.
// (At global scope: the macro declares the resource's function in the enclosing namespace.)
static void InitResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(stratavue);
        return true;
    }();
    (void)done;
}

namespace svu {

QIcon ToolbarIcon(const QString& name) {
    InitResources();
    // Drawn here rather than by Qt's SVG icon plugin, which a machine may lack.
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (!renderer.isValid()) {
        return QIcon();
    }
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace svu
