#include "KeyPreview.h"

#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

#include "PressTab.h"

namespace qb {

KeyPreview::KeyPreview(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    watch(window);
}

KeyPreview::~KeyPreview() = default;

void KeyPreview::watch(QWidget* widget)
{
    widget->installEventFilter(this); // again for a widget watched already: still once
    for (QObject* child : widget->children()) {
        if (child->isWidgetType())
            watch(static_cast<QWidget*>(child));
    }
}

void KeyPreview::keepEnter(QWidget* widget)
{
    m_keepEnter.append(widget);
}

bool KeyPreview::keepsEnter(const QWidget* widget) const
{
    for (const QPointer<QWidget>& kept : m_keepEnter) {
        if (kept && (kept == widget || kept->isAncestorOf(widget)))
            return true;
    }
    return false;
}

bool KeyPreview::IsEnter(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ChildAdded) {
        QObject* child = static_cast<QChildEvent*>(event)->child();
        if (child->isWidgetType())
            watch(static_cast<QWidget*>(child));
        return false;
    }
    if (event->type() != QEvent::KeyPress || m_stopped)
        return false;
    // A key goes to the focused control first; a control that ignores it passes
    // it on to its parents, which are watched too: the key is handled only once,
    // where it was first delivered.
    auto* target = static_cast<QWidget*>(watched);
    if (target != QApplication::focusWidget())
        return false;
    return handleKey(target, static_cast<QKeyEvent*>(event));
}

bool KeyPreview::handleKey(QWidget* target, QKeyEvent* key)
{
    if (m_handler && m_handler(target, key))
        return true;
    if (!m_enterAsTab || !IsEnter(key) || keepsEnter(target))
        return false;
    if ((key->modifiers() & Qt::AltModifier)
        || (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier))
        return false;
    // A focused button is pressed, as the platform's buttons are with Enter.
    if (auto* button = qobject_cast<QPushButton*>(target)) {
        if (button->isEnabled())
            button->click();
        return true;
    }
    PressTab();
    return true;
}

} // namespace qb
