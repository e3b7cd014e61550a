#pragma once

// Quick periods and the saved date ranges of a book, without widgets: the
// arithmetic of the quick-date buttons, the items of the date-range menu and
// of the manage list, and the edits of the DateRanges section.

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include "store/UiServices.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

// Periods (optQuick index) and directions (cmdQuickDateSelect index).
enum QuickPeriod { QuickDay = 1, QuickWeek = 2, QuickMonth = 3, QuickYear = 4 };
enum QuickDirection { QuickCurrent = 1, QuickPrevious = 2, QuickNext = 3 };

struct DatePair
{
    QDate from;
    QDate to;
    bool operator==(const DatePair&) const = default;
};

// The period before, after or around the current one. Weeks run from Sunday
// to Saturday; adding months or years to a day the target month lacks gives
// that month's last day. Previous steps from the from date, next from the to
// date; the current period is the one holding today. An unknown period or
// direction leaves the dates as they are.
DatePair GetQuickDates(
    int period, int direction, const QDate& from, const QDate& to, const QDate& today);

// Caption of cmdQuickDateSelect(1) for a period: "Today", "This week",
// "This Month", "This Year". It carries no access key: the letters of these
// captions are all taken by the period controls beside it or by the menu bar.
QString QuickCurrentCaption(int period);

// One DR element of the DateRanges section.
struct DateRange
{
    int position = 0; // among the section's elements, from 0
    int fromNumber = 0;
    int toNumber = 0;
    QString caption; // as stored
    QDate from() const;
    QDate to() const;
    // The trimmed caption is "-".
    bool isSeparator() const;
    // The trimmed caption is not empty.
    bool hasCaption() const;
};

QList<DateRange> ReadDateRanges(const XmlNode& section);

// Command numbers of the date-range menu.
enum DateRangeCommand {
    DateRangeFirst = 100, // + position of the range in the section
    DateRangeLast = 999,
    DateRangeSeparator = 1000,
    DateRangeAdd = 1001,
    DateRangeManage = 1002,
    DateRangeCancel = 1009,
};

// The menu's items: one per range (a separator line for "-"), or a greyed
// "(No date ranges defined)" when there is none; then a separator, "Add Date
// Range...", "Manage Date Ranges...", a separator and "Cancel Menu".
QList<MenuItem> DateRangeMenuItems(
    const QList<DateRange>& ranges, const QLocale& locale = QLocale::system());

// Text of a range in the manage list: the dates joined by " - " without a
// caption, 107 dashes for "-", else caption + " : " + the dates.
QString DateRangeListText(const DateRange& range, const QLocale& locale = QLocale::system());

// Appends a DR element (From, To, Caption through the allowed-character filter)
// at the end of the section; returns it.
// Given a history, the addition is one undo step.
XmlNode AppendDateRange(XmlNode section, const QDate& from, const QDate& to, const QString& caption,
    UndoHistory* history = nullptr);

// A copy of the section in a document of its own (its root is the copy).
XmlDocument CopyOfDateRanges(const XmlNode& section);
// Empties the section, then appends for each position a copy of the
// attributes of the element at that position of source (a copy made by
// CopyOfDateRanges); positions outside it are skipped. Given a history, the
// rebuild is one undo step.
void RebuildDateRanges(XmlNode section, const XmlDocument& source, const QList<int>& positions,
    UndoHistory* history = nullptr);
// Rebuilds the section from its own elements: the element that was at
// positions[i] becomes the i-th; elements not listed are dropped.
void ReorderDateRanges(XmlNode section, const QList<int>& positions);

} // namespace qb
