#pragma once

// Where the data windows live. The main window installs its own host (child
// windows of its MDI area, its Window menu); without one, the default host
// shows each window as a top-level window and keeps a Window-menu list in a
// menu of its own, so that windows work and can be tested on their own.

#include <QList>

class QWidget;

namespace qb {

class WindowList;

class WindowHost
{
public:
    virtual ~WindowHost() = default;

    // The open data windows, in the order they were created.
    virtual QList<QWidget*> childWindows() const = 0;
    // Makes w one of the host's windows (when it is not yet) and shows it.
    virtual void showChild(QWidget* w) = 0;
    // Brings w to the front and activates it.
    virtual void activateChild(QWidget* w) = 0;
    // The main window, or nullptr when there is none.
    virtual QWidget* mainWindow() = 0;
    // The Window-menu list of the data windows.
    virtual WindowList& windowList() = 0;

    static WindowHost& current();
    static void install(WindowHost* host); // not owned; nullptr restores the default
};

} // namespace qb
