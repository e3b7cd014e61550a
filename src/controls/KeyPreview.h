#pragma once

// Key preview for one window: sees the keys of every control inside the
// window (those added later too) before the control's own filters do,
// without a filter on the whole application: the control that takes the
// focus is watched from then on. It turns Enter into Tab where the window asks
// for it, and hands every key press to the window's own handler first.

#include <functional>

#include <QList>
#include <QObject>
#include <QPointer>

class QKeyEvent;
class QWidget;

namespace qb {

class KeyPreview final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyPreview)

public:
    // The window's own key handling: true when it used the key.
    using Handler = std::function<bool(QWidget* target, QKeyEvent* key)>;

    // Owned by the window.
    explicit KeyPreview(QWidget* window);
    ~KeyPreview() override;

    // Enter (either key) moves on like Tab unless Alt is held; Enter on a
    // focused push button presses that button.
    void setEnterAsTab(bool on) { m_enterAsTab = on; }
    bool enterAsTab() const { return m_enterAsTab; }
    // Enter reaches this control (and those inside it) as itself: the HTML
    // view follows its links with it.
    void keepEnter(QWidget* widget);
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // From now on nothing is handled (the window is being taken down).
    void stop() { m_stopped = true; }

    // True for a key press that the preview turns into Tab.
    static bool IsEnter(const QKeyEvent* key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget);
    bool keepsEnter(const QWidget* widget) const;
    bool handleKey(QWidget* target, QKeyEvent* key);

    QWidget* m_window;
    Handler m_handler;
    QList<QPointer<QWidget>> m_keepEnter;
    bool m_enterAsTab = false;
    bool m_stopped = false;
};

} // namespace qb
