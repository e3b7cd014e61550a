#include "MdiWindowHost.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

#include "WindowList.h"

namespace qb {

MdiWindowHost::MdiWindowHost(QMdiArea* area, QMenu* windowMenu, QWidget* mainWindow)
    : QObject(mainWindow), m_area(area), m_mainWindow(mainWindow),
      m_windowList(new WindowList(windowMenu, this))
{
    connect(m_windowList, &WindowList::windowChosen, this, &MdiWindowHost::activateChild);
    // The active data window's entry carries the check mark.
    connect(m_area, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* sub) {
        if (!sub || !sub->widget())
            return;
        if (QAction* entry = m_windowList->entryOf(sub->widget()))
            m_windowList->CheckWindowListEntry(entry);
    });
}

MdiWindowHost::~MdiWindowHost()
{
    if (&WindowHost::current() == this)
        WindowHost::install(nullptr);
}

QMdiSubWindow* MdiWindowHost::subWindowOf(const QWidget* w) const
{
    if (!w)
        return nullptr;
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (sub->widget() == w)
            return sub;
    }
    return nullptr;
}

QList<QWidget*> MdiWindowHost::childWindows() const
{
    QList<QWidget*> list;
    for (QMdiSubWindow* sub : m_area->subWindowList(QMdiArea::CreationOrder)) {
        if (sub != m_panelWindow && sub->widget())
            list.append(sub->widget());
    }
    return list;
}

void MdiWindowHost::showChild(QWidget* w)
{
    if (!w)
        return;
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub) {
        // A window inside a frame is not held at its layout's minimum size as
        // a top-level window is: a small frame (tiling) would squeeze its
        // controls over one another. A window that sets no minimum of its
        // own keeps its layout's; a smaller frame clips it.
        if (w->minimumSize().isNull())
            w->setMinimumSize(w->minimumSizeHint());
        sub = m_area->addSubWindow(w);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->setWindowIcon(w->windowIcon().isNull() ? m_mainWindow->windowIcon() : w->windowIcon());
        // The frame's own menu would claim Ctrl+W (and other keys) beside
        // the main window's menu; the menu's shortcuts win.
        for (QAction* action : sub->systemMenu()->actions())
            action->setShortcuts({});
        // A window that closes itself takes its frame with it. The frame is
        // the receiver, so nothing is asked of a frame already on its way out.
        connect(w, &QObject::destroyed, sub, &QObject::deleteLater);
    }
    w->show();
    sub->show();
    m_area->setActiveSubWindow(sub);
}

void MdiWindowHost::activateChild(QWidget* w)
{
    QMdiSubWindow* sub = subWindowOf(w);
    if (!sub)
        return;
    if (sub->isMinimized())
        sub->showNormal();
    sub->show();
    m_area->setActiveSubWindow(sub);
    sub->raise();
}

void MdiWindowHost::closeDataWindows()
{
    for (QMdiSubWindow* sub : m_area->subWindowList()) {
        if (sub == m_panelWindow)
            continue;
        const QPointer<QWidget> w = sub->widget();
        // The windows go when the event loop next runs; their Window-menu
        // entries go now, so the menu never lists a closed window.
        if (sub->close() && w)
            m_windowList->RemoveWindowListEntry(m_windowList->entryOf(w));
    }
}

} // namespace qb
