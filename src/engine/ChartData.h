#pragma once

// The figures the charts draw: the exact sums the report pages show, taken
// from the same walks over the book (the summary's account figures, the
// transaction list's running balance) or, for month buckets and a group's
// balance, from one walk of ListingRows. Amounts stay Money here; only the
// drawing turns them into screen positions.

#include <optional>

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include "store/Money.h"
#include "store/Xml.h"

namespace qb {

struct SummaryResult;

// One pair of bars: the money into and out of an account, or of an account
// within one month. Nothing where a figure cannot be given (the page shows
// the error mark there).
struct ChartBar
{
    QString label;
    std::optional<Money> in;
    std::optional<Money> out;
};

struct InOutChartData
{
    // Per account (horizontal bars, largest first) or per month (in date order).
    enum Layout { PerAccount, PerMonth };
    Layout layout = PerAccount;
    QString title;
    QList<ChartBar> bars;
    // No transaction of the subject falls within the period.
    bool empty = true;
    // A figure could not be given; the chart says so.
    bool trouble = false;
};

// A balance at the end of a day; the first point of a chart is the balance
// before the period (opening), dated the day before its first day.
struct BalancePoint
{
    QDate date;
    std::optional<Money> balance;
    bool opening = false;
};

struct BalanceChartData
{
    QString title;
    // The period: the line runs on to its last day.
    QDate from, to;
    // A balance that holds until the next point (a step line), as a day's
    // balance does; month-end figures are joined straight.
    bool steps = true;
    QList<BalancePoint> points;
    bool empty = true;
    bool trouble = false;
};

// How many accounts get bars of their own; the rest are summed as "Other".
inline constexpr int kChartTopAccounts = 15;

QString ChartOtherLabel(); // "Other"
QString ChartNoTransactionsText(); // "No transactions in this period"

// "WHAT - From d To d", the dates in the short date format.
QString ChartTitle(const QString& what, const QDate& from, const QDate& to,
    const QLocale& locale = QLocale::system());

// The accounts of a built summary with transactions in the period, sorted by
// the larger of their In and Out (a figure that cannot be given first, then
// larger first; equal ones in book order): the first kChartTopAccounts with
// bars of their own, the rest summed into one bar "Other". Titled with
// ChartTitle("Money in and out - " + subject, ...).
InOutChartData SummaryChartData(const SummaryResult& result, const QString& subject,
    const QDate& from, const QDate& to, const QLocale& locale = QLocale::system());

// The money into and out of one account per calendar month of the period,
// every month of it present (empty ones as zero), labelled "MMM yyyy".
InOutChartData MonthlyChartData(const XmlDocument& data, int code, const QString& name,
    const QDate& from, const QDate& to, const QLocale& locale = QLocale::system());

// The running balance of one account as the transaction list works it out
// (LedgerReport::ListingBook hands its points), titled for the chart.
BalanceChartData LedgerChartData(const QList<BalancePoint>& points, const QString& name,
    const QDate& from, const QDate& to, const QLocale& locale = QLocale::system());

// The summed balance of a group's member accounts (money into a member
// counts positive; moves between members cancel) before the period and at
// the end of each month of it, the last point on the period's last day.
// Nothing when the book has no group of that name.
std::optional<BalanceChartData> GroupBalanceChartData(const XmlDocument& data, const QString& group,
    const QDate& from, const QDate& to, const QLocale& locale = QLocale::system());

} // namespace qb
