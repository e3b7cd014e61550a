#include "windows/WindowList.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace qb {

namespace {

const char* const kIdProperty = "qbWindowId";

} // namespace

WindowList::WindowList(QMenu* menu, QObject* parent)
    : QObject(parent)
    , m_menu(menu)
{
    m_separator = m_menu->addSeparator();
    m_separator->setObjectName(QStringLiteral("mnuWindowSep"));
    m_separator->setVisible(false);
    m_placeholder = m_menu->addAction(QStringLiteral("..."));
    m_placeholder->setObjectName(QStringLiteral("mnuWindowList"));
    m_placeholder->setVisible(false);
}

WindowList::~WindowList()
{
    // The entries go with the list; the menu may already have taken them.
    for (const Element& e : std::as_const(m_elements))
        delete e.action.data();
}

int WindowList::upperBound() const
{
    return m_elements.isEmpty() ? 0 : m_elements.last().index;
}

qint64 WindowList::windowId(QWidget* w)
{
    static qint64 counter = 0;
    qint64 id = existingWindowId(w);
    if (id == 0) {
        id = ++counter;
        w->setProperty(kIdProperty, id);
    }
    return id;
}

qint64 WindowList::existingWindowId(const QWidget* w)
{
    return w ? w->property(kIdProperty).toLongLong() : 0;
}

QAction* WindowList::AddWindowListEntry(QWidget* w)
{
    const int n = upperBound() + 1;
    auto* action = new QAction(
        QLatin1Char('&') + QString::number(n) + QLatin1Char(' ') + w->windowTitle(), m_menu);
    action->setObjectName(QStringLiteral("mnuWindowList"));
    action->setCheckable(true);
    action->setData(QString::number(windowId(w)));
    action->setVisible(true);
    m_menu->addAction(action);
    m_elements.append({n, action, w});
    connect(action, &QAction::triggered, this, [this, action](bool checked) {
        // The check mark follows the active window, not clicks on the entry.
        action->setChecked(!checked);
        if (QWidget* window = windowOf(action))
            Q_EMIT windowChosen(window);
    });
    m_separator->setVisible(true);
    return action;
}

void WindowList::SetWindowListCaption(QAction* entry, const QString& text)
{
    if (!entry)
        return;
    const QString prefix = entry->text().split(QLatin1Char(' ')).constFirst().trimmed();
    entry->setText(prefix + QLatin1Char(' ') + text);
}

void WindowList::RemoveWindowListEntry(QAction* entry)
{
    for (qsizetype i = 0; i < m_elements.size(); ++i) {
        if (m_elements.at(i).action == entry) {
            m_elements.removeAt(i);
            // Deleted at once: the menu may be queried again before the event loop runs.
            delete entry;
            break;
        }
    }
    updateSeparator();
}

void WindowList::CheckWindowListEntry(QAction* entry)
{
    for (const Element& e : std::as_const(m_elements)) {
        if (e.action)
            e.action->setChecked(e.action == entry);
    }
}

QList<QAction*> WindowList::entries() const
{
    QList<QAction*> list;
    for (const Element& e : m_elements) {
        if (e.action)
            list.append(e.action);
    }
    return list;
}

QAction* WindowList::entryOf(const QWidget* w) const
{
    const qint64 id = existingWindowId(w);
    if (id == 0)
        return nullptr;
    for (const Element& e : m_elements) {
        if (e.action && e.action->data().toString().toLongLong() == id)
            return e.action;
    }
    return nullptr;
}

QWidget* WindowList::windowOf(const QAction* entry) const
{
    if (!entry)
        return nullptr;
    const qint64 id = entry->data().toString().toLongLong();
    for (const Element& e : m_elements) {
        if (e.action == entry && e.window && existingWindowId(e.window) == id)
            return e.window;
    }
    return nullptr;
}

void WindowList::updateSeparator()
{
    // The placeholder counts as one element.
    if (m_separator)
        m_separator->setVisible(1 + m_elements.size() > 1);
}

} // namespace qb
