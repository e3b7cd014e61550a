#include "controls/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

#include "controls/PressTab.h"

namespace qb {

KeyPreview::KeyPreview(QWidget* window)
    : QObject(window)
    , m_window(window)
{
    // The control that takes the focus gets the preview as its last installed
    // filter, which runs before the control's own ones (the number box keeps
    // Enter from its text otherwise).
    connect(
        qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { watch(now); });
    watch(QApplication::focusWidget());
}

KeyPreview::~KeyPreview() = default;

void KeyPreview::watch(QWidget* widget)
{
    if (widget && (widget == m_window || m_window->isAncestorOf(widget)))
        widget->installEventFilter(this); // again for a widget watched already: moved to the front
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
    if (event->type() != QEvent::KeyPress || m_stopped)
        return false;
    // Only where the key is delivered first: a control that had the focus
    // before may be the parent that a key ignored by a control is passed on to.
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
