#include "shell/WindowArrangement.h"

#include <QList>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace qb {

void TileWindows(QMdiArea* area, Qt::Orientation orientation)
{
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (sub->isVisible() && !sub->isMinimized())
            windows.append(sub);
    }
    if (windows.isEmpty())
        return;
    const QRect space = area->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* sub = windows.at(i);
        if (sub->isMaximized())
            sub->showNormal();
        QRect r;
        if (orientation == Qt::Horizontal) {
            const int h = space.height() / n;
            r = QRect(0, i * h, space.width(), i == n - 1 ? space.height() - i * h : h);
        } else {
            const int w = space.width() / n;
            r = QRect(i * w, 0, i == n - 1 ? space.width() - i * w : w, space.height());
        }
        sub->setGeometry(r);
    }
}

void ArrangeIcons(QMdiArea* area)
{
    const QRect space = area->viewport()->rect();
    int x = 0;
    int y = space.height();
    int rowHeight = 0;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isVisible() || !sub->isMinimized())
            continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > space.width()) {
            x = 0;
            y -= rowHeight;
            rowHeight = 0;
        }
        if (rowHeight == 0)
            rowHeight = size.height();
        sub->move(x, y - size.height());
        x += size.width();
    }
}

} // namespace qb
