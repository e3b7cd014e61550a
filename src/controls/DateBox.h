#pragma once

// The date box: the program's date picker ("dd-MM-yyyy", calendar pop-up) and
// the one-day spin bar that steps it.
//
// Typing is the box's own, not the picker's section by section editing: any
// digit starts a new date, written as the box shows it (day, month, year in
// the box's order) with "-", "/", "." or a blank between the parts, or as
// digits alone (30112026, 301126). Parts left out are taken from the date the
// box held (typing 15 gives the 15th of the same month). The typed date is
// taken when it is complete (four-digit year), or on Enter, Tab or leaving
// the box; a date that does not exist or whose year lies outside 1900-2999 is
// refused: the box keeps its previous date and is marked until the next date.
// "T" sets today, "+" and "-" (before any digit) step a day as the spin does.
//
// A date picker changes its date once per typed digit, so windows do not
// follow its raw changes. They follow dateSettled, which comes once per real
// change: at once when the date is set from code, stepped or picked in the
// calendar, and for typed dates once typing pauses for settleDelay() or the
// box is left.

#include <optional>

#include <QDate>
#include <QDateEdit>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

namespace qb {

class Clock;

// A date as typed, read in an order of "d", "M" and "y" ("dMy" day first).
// Parts not typed come from base; a two-digit year is the one nearest today
// (2000-2099 up to twenty years ahead of today, else 1900-1999).
struct TypedDate
{
    QDate date; // valid when the text is a date the box takes
    QString problem; // why not, for the box's mark
};
TypedDate ReadTypedDate(
    const QString& text, const QString& order, const QDate& base, const QDate& today);

class DateBox final : public QDateEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DateBox)

public:
    // The window gives the box its objectName (debTrans, debFrom ...).
    explicit DateBox(QWidget* parent = nullptr);
    ~DateBox() override;

    // Sets the date; a change settles at once.
    void setDate(const QDate& date);
    // Sets the date without dateSettled; a typed date still waiting is dropped.
    // For openers that fill a window in before it builds its page once.
    void setDateQuietly(const QDate& date);
    // Steps the date by whole days; settles at once.
    void stepDays(int days);

    // "Today" for the T key: the window's clock (the system date without one).
    void setClock(const Clock* clock) { m_clock = clock; }
    QDate today() const;

    int settleDelay() const { return m_settle.interval(); }
    void setSettleDelay(int milliseconds) { m_settle.setInterval(milliseconds); }
    // True while a typed date waits: being typed, or taken and waiting for the delay.
    bool isSettling() const { return m_settle.isActive() || m_typing; }
    // Takes a date being typed and settles a typed date that is waiting, now;
    // true when that changed the settled date (dateSettled came). A typed
    // text that is no date is refused (marked) and the date stays.
    bool settleNow();

    // The picker's text box (for a click in it).
    QLineEdit* textBox() const { return lineEdit(); }

    // The text being typed (empty when no date is being typed).
    bool isTyping() const { return m_typing; }
    QString typedText() const { return m_typed; }
    // Why the last typed date was refused; empty when the box is not marked.
    QString markText() const { return m_mark; }

signals:
    // The date has changed and is meant: the window refreshes what shows it.
    void dateSettled(const QDate& date);
    // A typed date was refused (the box keeps its date and shows the reason).
    void typingRefused(const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    bool focusNextPrevChild(bool next) override;

private:
    void onDateChanged();
    bool settle();
    void showTyped();
    bool takeTyped(); // ends typing; false when the text was refused
    void cancelTyped();
    void setMark(const QString& reason);
    void refuseKey();
    QString order() const;

    QTimer m_settle;
    QDate m_settled; // the date last settled (or set quietly)
    const Clock* m_clock = nullptr;
    QString m_typed;
    QString m_mark;
    QPalette m_normalPalette;
    bool m_typing = false; // a date is being typed
    bool m_fromKeys = false; // the date changes by a key
    bool m_quiet = false; // the date is set without dateSettled
};

// The line shown beside a from date and a to date while the from date is
// after the to date, and the routine that keeps it so: a period that runs
// backwards has nothing in it, and the user should see why.
QString DateOrderText();
void WatchDateOrder(DateBox* from, DateBox* to, QWidget* line);

// The one-day spin bar beside a date box: a vertical bar 0..2 resting at 1.
// The upper arrow (value 0) makes the date one day later, the lower arrow
// (value 2) one day earlier; the bar is put back to 1 at once. The window
// names it (VScroll1, VScrollFrom, VScrollTo).
class DaySpin final : public QScrollBar
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DaySpin)

public:
    explicit DaySpin(DateBox* box, QWidget* parent = nullptr);
    ~DaySpin() override;

    DateBox* dateBox() const { return m_box; }
    // As tall as its date box: the two arrows sit beside the date.
    QSize sizeHint() const override;

private:
    void onValueChanged(int value);

    QPointer<DateBox> m_box;
};

} // namespace qb
