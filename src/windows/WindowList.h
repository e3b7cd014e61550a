#pragma once

// The list of open data windows kept at the end of the Window menu: a hidden
// placeholder entry 0, then one entry per open data window captioned
// "&" + n + " " + the window's caption, with the window's id as the entry's
// data and a check mark on the active window's entry. A separator
// (mnuWindowSep) above the list is shown while a data window is open.

#include <QAction>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QMenu;
class QWidget;

namespace qb {

class WindowList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowList)

public:
    // Appends the separator and the placeholder to menu (not owned; the
    // actions are the menu's). The menu must outlive the list.
    explicit WindowList(QMenu* menu, QObject* parent = nullptr);
    ~WindowList() override;

    QMenu* menu() const { return m_menu; }
    QAction* separator() const { return m_separator; } // mnuWindowSep
    QAction* placeholder() const { return m_placeholder; } // mnuWindowList(0)

    // Adds w's entry as element upper bound + 1, shows the separator.
    QAction* AddWindowListEntry(QWidget* w);
    // Keeps the "&n" prefix and puts text after it.
    void SetWindowListCaption(QAction* entry, const QString& text);
    // Deletes the entry at once; the separator stays visible while any entry
    // besides the placeholder is left. A null or foreign entry does nothing.
    void RemoveWindowListEntry(QAction* entry);
    // Unchecks every entry, then checks this one.
    void CheckWindowListEntry(QAction* entry);

    // The entries after the placeholder, in menu order.
    QList<QAction*> entries() const;
    // The entry whose data is w's id, or nullptr.
    QAction* entryOf(const QWidget* w) const;
    // The open window whose id the entry holds, or nullptr.
    QWidget* windowOf(const QAction* entry) const;

    // The stable id of a window (given on first request, kept as a property).
    static qint64 windowId(QWidget* w);
    static qint64 existingWindowId(const QWidget* w); // 0 when none was given

Q_SIGNALS:
    // An entry other than the placeholder was chosen in the menu.
    void windowChosen(QWidget* w);

private:
    struct Element
    {
        int index;
        QPointer<QAction> action;
        QPointer<QWidget> window;
    };
    int upperBound() const;
    void updateSeparator();

    QMenu* m_menu;
    QPointer<QAction> m_separator;
    QPointer<QAction> m_placeholder;
    QList<Element> m_elements; // element 1 and up, in index order
};

} // namespace qb
