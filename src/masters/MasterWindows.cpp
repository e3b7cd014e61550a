#include "masters/MasterWindows.h"

#include <QBoxLayout>

#include "controls/sesPanel.h"

namespace qb {

void CentreOver(QWidget* panel, QWidget* view)
{
    const QRect area = view->geometry();
    const QPoint topLeft = view->parentWidget()->mapTo(panel->parentWidget(), area.topLeft());
    panel->move(topLeft.x() + (area.width() - panel->width()) / 2, topLeft.y() + 20);
}

void FitLayoutBelowCaption(sesPanel* panel, QBoxLayout* layout)
{
    // The border and caption strip do not depend on the panel's size.
    const QSize was = panel->size();
    panel->resize(400, 120);
    const QRect inner = panel->contentsRectBelowCaption();
    layout->setContentsMargins(inner.left() + 4, inner.top() + 2,
        panel->width() - inner.right() + 3, panel->height() - inner.bottom() + 3);
    panel->resize(was);
}

} // namespace qb
