#include "windows/WindowHost.h"

#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "windows/WindowList.h"

namespace qb {

namespace {

// Shows data windows as top-level windows, in the order they were first
// shown, and keeps their Window-menu list in a menu of its own.
class TopLevelHost final : public QObject, public WindowHost
{
public:
    TopLevelHost()
        : m_list(&m_menu)
    {
        m_menu.setTitle(QStringLiteral("&Window"));
        QObject::connect(
            &m_list, &WindowList::windowChosen, this, [this](QWidget* w) { activateChild(w); });
    }

    QList<QWidget*> childWindows() const override
    {
        QList<QWidget*> list;
        for (const QPointer<QWidget>& w : m_windows) {
            if (w)
                list.append(w);
        }
        return list;
    }

    void showChild(QWidget* w) override
    {
        if (!w)
            return;
        m_windows.removeIf([](const QPointer<QWidget>& p) { return p.isNull(); });
        bool known = false;
        for (const QPointer<QWidget>& p : std::as_const(m_windows))
            known = known || p == w;
        if (!known) {
            m_windows.append(w);
            w->installEventFilter(this);
        }
        w->show();
    }

    void activateChild(QWidget* w) override
    {
        if (!w)
            return;
        if (w->isMinimized())
            w->showNormal();
        w->show();
        w->raise();
        w->activateWindow();
    }

    QWidget* mainWindow() override { return nullptr; }
    WindowList& windowList() override { return m_list; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The active window's entry carries the check mark.
        if (event->type() == QEvent::WindowActivate) {
            if (auto* w = qobject_cast<QWidget*>(watched)) {
                if (QAction* entry = m_list.entryOf(w))
                    m_list.CheckWindowListEntry(entry);
            }
        }
        return false;
    }

private:
    QMenu m_menu;
    WindowList m_list;
    QList<QPointer<QWidget>> m_windows;
};

WindowHost* g_host = nullptr;

} // namespace

WindowHost& WindowHost::current()
{
    if (g_host)
        return *g_host;
    static TopLevelHost* fallback = new TopLevelHost; // lives until the program ends
    return *fallback;
}

void WindowHost::install(WindowHost* host)
{
    g_host = host;
}

} // namespace qb
