#pragma once

// The main window's host of the data windows: each is shown in a frame of
// the MDI area and listed in the Window menu. The background panel's frame
// is part of the area but never one of the data windows.

#include <QHash>
#include <QList>
#include <QObject>
#include <QRect>
#include <QTimer>

#include "windows/WindowHost.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace qb {

class MdiWindowHost final : public QObject, public WindowHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MdiWindowHost)

public:
    // The list of windows goes at the end of windowMenu.
    MdiWindowHost(QMdiArea* area, QMenu* windowMenu, QWidget* mainWindow);
    ~MdiWindowHost() override;

    // The frame that stays out of the list and is never closed with the data windows.
    void setPanelWindow(QMdiSubWindow* panel) { m_panelWindow = panel; }

    QList<QWidget*> childWindows() const override;
    void showChild(QWidget* w) override;
    void activateChild(QWidget* w) override;
    QWidget* mainWindow() override { return m_mainWindow; }
    WindowList& windowList() override { return *m_windowList; }

    // Closes every data window; their Window-menu entries go at once.
    void closeDataWindows();
    QMdiSubWindow* subWindowOf(const QWidget* w) const;

    // Writes the places of the windows moved or sized lately.
    void flushPlaces() { savePlaces(); }

    // Where a window of a kind last stood, and its size, in the area
    // (section "Windows", key the kind's name); invalid when not kept.
    static QRect SavedPlace(const QString& kind);

protected:
    // Keeps each kind's place and size as the user leaves it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMdiArea* m_area;
    QWidget* m_mainWindow;
    WindowList* m_windowList;
    QMdiSubWindow* m_panelWindow = nullptr;
    // Places not yet in the settings: written together once moving stops.
    QHash<QString, QRect> m_unsavedPlaces;
    QTimer m_savePlaces;
    void savePlaces();
    void fitColumnsLater(QMdiSubWindow* sub);
};

} // namespace qb
