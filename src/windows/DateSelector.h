#pragma once

// The period controls every report window shares: the from and to date
// fields with their one-day spin bars, the quick-period frame (optQuick 1-4,
// cmdQuickDateSelect 1-3) and the date-range menu button cmdDateSelect.
//
// The controls are children of the owner window. standardLayout() arranges
// them in one row; a window that wants another arrangement places the public
// controls in layouts of its own instead.
//
// periodChanged() is raised once per change made by the user: at once for
// the spin bars, the quick-date buttons, the calendar and the date-range menu
// (after the menu in every case); for typed dates once typing settles (the
// date boxes' settled dates), since a typed date changes digit by digit.
// Dates set from code raise nothing.

#include <QDate>
#include <QObject>

#include "store/BookContext.h"

class QBoxLayout;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace qb {

class DateBox;
class DaySpin;

class DateSelector final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DateSelector)

public:
    // Both dates start at today; Month is the chosen period.
    DateSelector(const BookContext& book, QWidget* owner);
    ~DateSelector() override;

    QDate fromDate() const;
    QDate toDate() const;
    // From code: no periodChanged, and a pending typed change is dropped.
    void setFromDate(const QDate& date);
    void setToDate(const QDate& date);
    void setDates(const QDate& from, const QDate& to);

    // The optQuick index that is chosen (1 day ... 4 year).
    int quickPeriod() const;

    // Drops a typed change that has not yet raised periodChanged (the window
    // refreshes for another reason anyway).
    void cancelPendingChange();

    // The controls in one row: the two dates, the menu button, the quick frame.
    QBoxLayout* standardLayout();

    // The controls, named as their objectName.
    QLabel* lblFrom = nullptr;
    DateBox* debFrom = nullptr;
    DaySpin* VScrollFrom = nullptr;
    QLabel* lblTo = nullptr;
    DateBox* debTo = nullptr;
    DaySpin* VScrollTo = nullptr;
    QToolButton* cmdDateSelect = nullptr;
    QLabel* lblDateOrder = nullptr; // "From is after To", shown only then
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optQuick[5] = {}; // 1 to 4
    QPushButton* cmdQuickDateSelect[4] = {}; // 1 to 3

Q_SIGNALS:
    void periodChanged();

private:
    void optQuick_Click(int index);
    void cmdQuickDateSelect_Click(int index);
    void cmdDateSelect_Click();
    void date_Change();
    void changed();

    BookContext m_book;
    QWidget* m_owner;
    bool m_fromCode = false;
};

} // namespace qb
