#pragma once

// What every data window shares: the HTML view WebBrowser1, the busy flag
// that lets the window's own page writing through, mblnDisableRefreshReport,
// the "Please wait" panel shown while a page is built, the decoding of link
// tokens (date, account, edit and delete), the account and date link menus,
// the key preview (Enter as Tab where the window wants it), the program's
// icon, a quiet teardown, and the window's Window-menu entry.

#include <functional>

#include <QAction>
#include <QDate>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "windows/BookChanges.h"

class QKeyEvent;

namespace qb {

class XmlNode;

// Asks before a reconciled transaction is changed or deleted, naming the
// date of its statement: true when it is not reconciled or the user says Yes.
bool AskBeforeChangingReconciled(const XmlNode& transaction);

class HtmlView;
class KeyPreview;
class WindowList;
class sesPanel;

// The entries of the account link menu a window leaves out.
struct AccountMenuHides
{
    bool transactionList = false;
    bool periodSummary = false;
};

class DataWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DataWindow)

public:
    // Creates WebBrowser1 (objectName "WebBrowser1"); the window lays it out.
    // The window takes the main window's icon, when there is a main window.
    // The window is deleted when it is closed.
    explicit DataWindow(QWidget* parent = nullptr);
    // Removes the Window-menu entry. Controls of the window that are taken
    // down after the window's own members no longer reach the window.
    ~DataWindow() override;

    // While true the window's refresh routine returns at once; the openers
    // set it while they fill the window in.
    bool mblnDisableRefreshReport = false;

    HtmlView* WebBrowser1 = nullptr;

    bool isBusy() const { return m_busy; }

    // The link token of a navigation target: every "about:blank", then every
    // "about:", then every character 1 removed.
    static QString DecodeLinkToken(const QString& href);
    // "[*[date]*]"
    static QString DateTokenPrefix();
    static bool IsDateToken(const QString& token);
    // The date of a date token (the prefix removed, the rest read as yyyymmdd);
    // invalid when the rest is not such a number.
    static QDate DateOfToken(const QString& token);
    // The integer of an account token; ok false when it is not one.
    static int AccountOfToken(const QString& token, bool* ok = nullptr);
    // "[*[E]*]" and "[*[D]*]": the marks of a row's edit and delete links.
    static QString EditTokenMark();
    static QString DeleteTokenMark();
    enum class RecordLink { None, Edit, Delete };
    // Which of a row's links a token is (the edit mark is looked for first);
    // rest, when given, receives the token with every copy of the mark removed.
    static RecordLink RecordLinkOf(const QString& token, QString* rest = nullptr);

    // The "Please wait" panel (objectName "fraPleaseWait"), or nullptr before
    // setUpPleaseWait().
    sesPanel* pleaseWaitPanel() const { return m_pleaseWait; }

    // The window's Window-menu entry, or nullptr before joinWindowList().
    QAction* windowListEntry() const { return m_windowEntry; }

    // True once the window is closing or being taken down: focus leaving a
    // control then is no user leaving it.
    bool isClosing() const { return m_closing; }

    // Closing the window would lose what was typed into it: asks "Save",
    // "Discard" or "Cancel" (without Cancel when mayCancel is false, as when
    // the book goes anyway) and does what was chosen. False when the window
    // is to stay open: Cancel, or a save the window refused and said why.
    // Every way of closing a data window passes here (the window's close
    // event, and SettleDataWindows before the book is closed or the
    // program ends).
    bool settleUnsaved(bool mayCancel = true);

protected:
    // Called for every link activated while the window is not busy; the
    // navigation is cancelled afterwards whatever the window did. Here: a date
    // token shows the date menu ("Show Entries On" opens the entry window of
    // that date), any other token read as an account code shows the account
    // menu and opens the chosen report over linkPeriod(). Windows with tokens
    // of their own handle those and pass the rest here.
    virtual void linkClicked(const QString& token);
    // What the account menu leaves out for a link to code (nothing here).
    virtual AccountMenuHides accountMenuHides(int code) const;
    // The first and last date that account links open reports over (no dates here).
    virtual QDate linkFromDate() const { return {}; }
    virtual QDate linkToDate() const { return {}; }

    // Enter moves on like Tab in this window (Alt held: not; on a focused
    // push button Enter presses it; the HTML view keeps Enter for its links).
    void setEnterAsTab(bool on);
    // Every key pressed in the window comes here first; true when the window
    // used it. Nothing here.
    virtual bool previewKey(QWidget* target, QKeyEvent* key);
    KeyPreview* keyPreview() const { return m_keyPreview; }

    void closeEvent(QCloseEvent* event) override;
    // What closing the window would lose, said as the object of "Do you want
    // to save ...": empty when nothing (here: always).
    virtual QString unsavedWork() const { return {}; }
    // Saves it; false when refused (the window has told why).
    virtual bool saveUnsavedWork() { return true; }
    // Drops it.
    virtual void discardUnsavedWork() { }
    // The control that has the focus when the window is first shown, so
    // that the keyboard starts where the user begins; nothing: the first
    // control in the tab order that takes the focus.
    virtual QWidget* firstInput() const { return nullptr; }
    // The first show gives firstInput() the focus.
    void showEvent(QShowEvent* event) override;
    // Keeps the wait panel over the view.
    void resizeEvent(QResizeEvent* event) override;

    // Where the wait panel stands over the view: centred across, 20 pixels
    // below its top edge, or in its middle.
    enum class WaitPlace { NearTop, Middle };
    // Makes the hidden wait panel fraPleaseWait with its caption.
    void setUpPleaseWait(const QString& caption, WaitPlace place = WaitPlace::NearTop);
    // With the busy flag set: shows the wait panel over the view (painted at
    // once), runs build, hides the panel again.
    void withPleaseWait(const std::function<void()>& build);

    void setBusy(bool busy) { m_busy = busy; }

    // Sets the busy flag for its lifetime and restores the previous state on
    // every way out.
    class BusyScope
    {
    public:
        explicit BusyScope(DataWindow* window)
            : m_window(window)
            , m_was(window->m_busy)
        {
            m_window->m_busy = true;
        }
        ~BusyScope() { m_window->m_busy = m_was; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        DataWindow* m_window;
        bool m_was;
    };

    // Called once the event loop runs after a change to the book was
    // announced (several changes told together); each window looks at the
    // book again here: its lists, and its page where the page shows what
    // changed. Nothing here.
    virtual void bookChanged(const BookChange& change);
    // Called as the change is delivered, before any window refreshes: the
    // part of this window's refresh that only reads the book, to run on
    // every core with the other windows' (BookChanges::prepare), or nothing.
    // The work must not touch widgets or show anything; it keeps its result
    // for bookChanged. Nothing here.
    virtual std::function<void()> prepareForChange(const BookChange& change);
    // Runs rebuild (which writes a new page) and scrolls the new page to
    // where the old one was, also once a long page has arrived in full.
    void keepingScroll(const std::function<void()>& rebuild);

    // Load-time step: with the busy flag set, blank the view and, unless
    // mblnDisableRefreshReport is set, show PlaceholderPage(message).
    void showPlaceholder(const QString& message);
    // ShowReportHtml into WebBrowser1 with the busy flag set.
    void showPage(QString& page);
    // The Print button: prints the page; a failure or a cancelled dialog is ignored.
    void printPage();

    // Adds the window to the host's Window-menu list (at the end of load).
    void joinWindowList();
    // Sets the window caption and the entry's caption.
    void setCaption(const QString& caption);

private:
    void onBeforeNavigate(const QString& href, bool* cancel);
    void onBookChanged(const BookChange& change);
    void placePleaseWait();

    bool m_busy = false;
    sesPanel* m_pleaseWait = nullptr;
    WaitPlace m_waitPlace = WaitPlace::NearTop;
    bool m_closing = false;
    bool m_shown = false;
    KeyPreview* m_keyPreview = nullptr;
    QPointer<QAction> m_windowEntry;
    QPointer<WindowList> m_windowList; // the list the entry belongs to
    BookChange m_unheard; // told to bookChanged() when m_bookTimer fires
    bool m_hasUnheard = false;
    QTimer m_bookTimer;
    QMetaObject::Connection m_scrollBack;
};

// Asks each data window that holds typed work whether to save it
// (settleUnsaved); false when the person chose Cancel in one, which then
// stays in front: the book is not to be closed nor the program ended.
bool SettleDataWindows();

} // namespace qb
