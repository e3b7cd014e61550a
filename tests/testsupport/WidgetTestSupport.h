#pragma once

// Helpers of the window tests: typing and keys into whatever has the focus,
// clicks on the text and links of a report page, message boxes that take the
// focus as real ones do, the check that a window's controls stay apart, a
// transaction list window that records what the openers ask of it, and the
// setting every window test starts from and leaves behind.

#include <functional>
#include <optional>

#include <QDate>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <Qt>

#include "TestBook.h"
#include "TestSupport.h"
#include "store/UiServices.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"

class QWidget;

namespace qb {
class HtmlView;
}

namespace qb::test {

// Types text into, or presses a key on, the widget that has the focus.
void typeText(const QString& text);
void pressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A point inside the first occurrence of text on the page (null when absent).
QPoint pointOfText(HtmlView* view, const QString& text);
// Clicks the first occurrence of text; false when the page does not show it.
bool clickText(HtmlView* view, const QString& text);
// Clicks the link whose href is exactly href; false when there is none.
bool clickLink(HtmlView* view, const QString& href);

// Makes w the active window and waits until it is.
bool activate(QWidget* w);

// The pairs ("a/b" by object name) of visible labels, boxes and buttons of
// a window that overlap one another.
QStringList overlappingControls(QWidget* window);

// Message boxes that are real modal windows for a moment: each takes the
// activation from the window that was active and hands it back when it
// closes, as the program's boxes and the window manager do. Answers the
// default button (Yes or Ok without one) and records the titles.
class FocusTakingPrompt final : public Prompt
{
public:
    FocusTakingPrompt();
    ~FocusTakingPrompt() override;
    MsgResult show(const Message& message) override;
    QStringList titles;
};

// A transaction list window as the openers see it, recording what it was
// asked and how often it was refreshed.
class RecordingListWindow final : public DataWindow, public TransactionListForm
{
public:
    std::optional<int> selectedAccount() const override { return account; }
    void SelectAccount(int code) override { account = code; }
    void setFromDate(const QDate& date) override { from = date; }
    void setToDate(const QDate& date) override { to = date; }
    void RefreshReport() override { ++refreshed; }
    std::optional<int> account;
    QDate from, to;
    int refreshed = 0;
};

// The setting of a window test, undone when it goes: a book in a temporary
// folder (with a fixed today) that the openers hand to every factory, and
// recorders for message boxes, file dialogs and pop-up menus. On the way out
// every data window is deleted, the factories registered through the fixture
// are removed, the openers forget the book and the recorders are taken away.
class WindowTestFixture
{
public:
    explicit WindowTestFixture(QDate today = kTestToday);
    ~WindowTestFixture();
    WindowTestFixture(const WindowTestFixture&) = delete;
    WindowTestFixture& operator=(const WindowTestFixture&) = delete;

    // Registers a factory for the test's lifetime (replacing the one there).
    void registerFactory(WindowKind kind, Openers::Factory factory);
    // Registers the window class W, made with the book the openers hand over.
    template <class W>
    void registerWindow(WindowKind kind)
    {
        registerFactory(kind, [](const BookContext& book) { return new W(book); });
    }

    // Deletes every data window the host holds.
    static void deleteWindows();

    TestBook book;
    RecordingPrompt prompt;
    RecordingFileDialogs dialogs;
    ScriptedPopupMenus menus;

private:
    QList<WindowKind> m_registered;
};

} // namespace qb::test
