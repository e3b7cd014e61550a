#include "shell/MdiWindowHost.h"

#include <algorithm>
#include <optional>

#include <QAction>
#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>

#include "store/Utilities.h"
#include "windows/DataWindow.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowList.h"

namespace qb {

MdiWindowHost::MdiWindowHost(QMdiArea* area, QMenu* windowMenu, QWidget* mainWindow)
    : QObject(mainWindow)
    , m_area(area)
    , m_mainWindow(mainWindow)
    , m_windowList(new WindowList(windowMenu, this))
{
    connect(m_windowList, &WindowList::windowChosen, this, &MdiWindowHost::activateChild);
    m_savePlaces.setSingleShot(true);
    m_savePlaces.setInterval(500);
    connect(&m_savePlaces, &QTimer::timeout, this, &MdiWindowHost::savePlaces);
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
    savePlaces();
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

namespace {

const char* const kKindOfFrame = "qbKindOfFrame";

QString placeText(const QRect& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

QRect MdiWindowHost::SavedPlace(const QString& kind)
{
    const QStringList parts = GetSetting(QStringLiteral("Windows"), kind).split(QLatin1Char(','));
    if (parts.size() != 4)
        return {};
    int v[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toInt(&ok);
        if (!ok)
            return {};
    }
    const QRect place(v[0], v[1], v[2], v[3]);
    return place.width() > 0 && place.height() > 0 ? place : QRect();
}

bool MdiWindowHost::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Move || type == QEvent::Resize) {
        auto* sub = qobject_cast<QMdiSubWindow*>(watched);
        const QString kind = sub ? sub->property(kKindOfFrame).toString() : QString();
        // A maximized or minimized window keeps the place it had before.
        if (!kind.isEmpty() && sub->isVisible() && !sub->isMaximized() && !sub->isMinimized()) {
            m_unsavedPlaces.insert(kind, sub->geometry());
            m_savePlaces.start();
        }
    }
    return QObject::eventFilter(watched, event);
}

void MdiWindowHost::fitColumnsLater(QMdiSubWindow* sub)
{
    // The page is written once the opener has chosen what the window shows:
    // the frame is widened when it has come and does not show every column.
    const QPointer<QMdiSubWindow> frame = sub;
    QTimer::singleShot(0, this, [this, frame] {
        auto* report = frame ? qobject_cast<DataWindow*>(frame->widget()) : nullptr;
        if (!report)
            return;
        const int hidden = report->WebBrowser1->horizontalScrollBar()->maximum();
        const int room = m_area->viewport()->width() - frame->x();
        if (hidden > 0 && room > frame->width())
            frame->resize(std::min(frame->width() + hidden + 8, room), frame->height());
    });
}

void MdiWindowHost::savePlaces()
{
    m_savePlaces.stop();
    QList<SettingValue> values;
    for (auto it = m_unsavedPlaces.cbegin(); it != m_unsavedPlaces.cend(); ++it)
        values.append({QStringLiteral("Windows"), it.key(), placeText(it.value())});
    m_unsavedPlaces.clear();
    if (!values.isEmpty())
        SaveSettings(values);
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
        // Each kind opens where and as large as the user last left one; the
        // first time at the window's own size, which shows its columns.
        if (const std::optional<WindowKind> kind = Openers::kindOf(w)) {
            const QString name = Openers::kindName(*kind);
            const QRect saved = SavedPlace(name);
            if (saved.isValid()) {
                // Kept inside the area, so that a smaller screen still shows it.
                const QSize room = m_area->viewport()->size();
                const QSize size = saved.size().boundedTo(room.isEmpty() ? saved.size() : room);
                sub->resize(size.expandedTo(sub->minimumSizeHint()));
                QPoint at = saved.topLeft();
                if (!room.isEmpty()) {
                    at.setX(std::clamp(at.x(), 0, std::max(0, room.width() - sub->width())));
                    at.setY(std::clamp(at.y(), 0, std::max(0, room.height() - sub->height())));
                }
                sub->move(at);
            } else {
                fitColumnsLater(sub);
            }
            sub->setProperty(kKindOfFrame, name);
            sub->installEventFilter(this);
        }
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
        // The book goes whatever is answered: typed work is saved or dropped,
        // never kept in a window over a book that is no longer there.
        if (auto* window = qobject_cast<DataWindow*>(w.data()))
            window->settleUnsaved(false);
        // The windows go when the event loop next runs; their Window-menu
        // entries go now, so the menu never lists a closed window.
        if (sub->close() && w)
            m_windowList->RemoveWindowListEntry(m_windowList->entryOf(w));
    }
}

} // namespace qb
