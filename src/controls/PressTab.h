#pragma once

// Enter-as-Tab: entry windows call PressTab when Enter is pressed, so Enter
// walks through the fields the way Tab does.

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace qb {

// Sends a Tab press and release to the focused control, unless Alt is held
// down at this moment (Alt+Enter keeps its own meaning).
inline void PressTab()
{
    if (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier)
        return;
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    QCoreApplication::sendEvent(target, &press);
    // The press may have moved the focus; the release goes where the key now is.
    if (QWidget* now = QApplication::focusWidget())
        QCoreApplication::sendEvent(now, &release);
}

} // namespace qb
