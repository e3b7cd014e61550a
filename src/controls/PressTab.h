#pragma once

// Enter-as-Tab: entry windows call PressTab when Enter is pressed, so Enter
// walks through the fields the way Tab does.

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace qb {

// Moves the focus to the next control as a Tab key would, unless Alt is held
// down at this moment (Alt+Enter keeps its own meaning). The Tab goes to the
// window (or MDI child) that holds the focus rather than to the focused
// control itself, so that controls which use Tab inside (the sections of a
// date box) are left as Tab leaves any other control.
inline void PressTab()
{
    if (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier)
        return;
    QWidget* target = QApplication::focusWidget();
    while (target && !target->isWindow() && target->windowType() != Qt::SubWindow)
        target = target->parentWidget();
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(target, &press);
    if (QWidget* now = QApplication::focusWidget())
        QCoreApplication::sendEvent(now, &release);
}

} // namespace qb
