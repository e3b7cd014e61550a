#pragma once

// The date box: the program's date picker ("dd-MM-yyyy", calendar pop-up) and
// the one-day spin bar that steps it.
//
// A date picker changes its date once per typed digit (15012013 gives five
// dates on the way), so windows do not follow its raw changes. They follow
// dateSettled, which comes once per real change: at once when the date is set
// from code, stepped or picked in the calendar, and for typed dates once
// typing pauses for settleDelay() or the box is left.

#include <QDate>
#include <QDateEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

namespace qb {

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

    int settleDelay() const { return m_settle.interval(); }
    void setSettleDelay(int milliseconds) { m_settle.setInterval(milliseconds); }
    // True while a typed date waits for the delay.
    bool isSettling() const { return m_settle.isActive(); }
    // Settles a typed date that is waiting, now; true when that changed the
    // settled date (dateSettled came).
    bool settleNow();

signals:
    // The date has changed and is meant: the window refreshes what shows it.
    void dateSettled(const QDate& date);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onDateChanged();
    bool settle();

    QTimer m_settle;
    QDate m_settled; // the date last settled (or set quietly)
    bool m_typing = false;
};

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
