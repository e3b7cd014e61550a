#include "engine/ChartData.h"

#include <algorithm>

#include <QSet>

#include "engine/ListingBook.h"
#include "engine/PageFigures.h"
#include "engine/ShortDate.h"
#include "engine/SummaryReport.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"

namespace qb {

namespace {

// Orders the larger of In and Out; a figure that cannot be given ranks above any.
struct Rank
{
    bool unknown = false;
    Money largest;
};

Rank rankOf(const SummaryAccount& a)
{
    const std::optional<Money> in = a.in.value(), out = a.out.value();
    if (!in || !out || a.in.isError() || a.out.isError())
        return {true, {}};
    return {false, std::max(*in, *out)};
}

std::optional<Money> figure(const FigureSum& sum)
{
    return sum.isError() ? std::nullopt : sum.value();
}

// The first day of the month after this one.
QDate nextMonth(const QDate& day)
{
    return QDate(day.year(), day.month(), 1).addMonths(1);
}

} // namespace

QString ChartOtherLabel()
{
    return QStringLiteral("Other");
}

QString ChartNoTransactionsText()
{
    return QStringLiteral("No transactions in this period");
}

QString ChartTitle(const QString& what, const QDate& from, const QDate& to, const QLocale& locale)
{
    return what + QStringLiteral(" - From ") + ShortDateText(from, locale) + QStringLiteral(" To ")
        + ShortDateText(to, locale);
}

InOutChartData SummaryChartData(const SummaryResult& result, const QString& subject,
    const QDate& from, const QDate& to, const QLocale& locale)
{
    InOutChartData chart;
    chart.layout = InOutChartData::PerAccount;
    chart.title = ChartTitle(QStringLiteral("Money in and out - ") + subject, from, to, locale);

    QList<const SummaryAccount*> active;
    for (const SummaryAccount& a : result.accounts) {
        if (a.count > 0 || a.in.isError() || a.out.isError())
            active.append(&a);
    }
    chart.empty = active.isEmpty();
    std::stable_sort(
        active.begin(), active.end(), [](const SummaryAccount* a, const SummaryAccount* b) {
            const Rank ra = rankOf(*a), rb = rankOf(*b);
            if (ra.unknown != rb.unknown)
                return ra.unknown;
            return ra.largest > rb.largest;
        });

    FigureSum otherIn, otherOut;
    for (qsizetype i = 0; i < active.size(); ++i) {
        const SummaryAccount& a = *active.at(i);
        if (i < kChartTopAccounts) {
            chart.bars.append({a.name, figure(a.in), figure(a.out)});
        } else {
            otherIn.add(a.in);
            otherOut.add(a.out);
        }
    }
    if (active.size() > kChartTopAccounts)
        chart.bars.append({ChartOtherLabel(), figure(otherIn), figure(otherOut)});
    for (const ChartBar& bar : chart.bars)
        chart.trouble = chart.trouble || !bar.in || !bar.out;
    return chart;
}

InOutChartData MonthlyChartData(const XmlDocument& data, int code, const QString& name,
    const QDate& from, const QDate& to, const QLocale& locale)
{
    InOutChartData chart;
    chart.layout = InOutChartData::PerMonth;
    chart.title
        = ChartTitle(QStringLiteral("Money in and out of '") + name + QStringLiteral("' by month"),
            from, to, locale);
    if (!from.isValid() || !to.isValid() || from > to)
        return chart;
    const int first = DateToDocDate(from), last = DateToDocDate(to);
    const QList<ListingRow> rows = ListingRows(data, [code, first, last](int dt, int fAc, int tAc) {
        return dt >= first && dt <= last && (fAc == code || tAc == code);
    });
    chart.empty = rows.isEmpty();

    qsizetype next = 0;
    for (QDate month(from.year(), from.month(), 1); month <= to; month = month.addMonths(1)) {
        const int monthEnd = DateToDocDate(std::min(nextMonth(month).addDays(-1), to));
        FigureSum in, out;
        for (; next < rows.size() && rows.at(next).dt <= monthEnd; ++next) {
            const ListingRow& r = rows.at(next);
            for (const auto& [side, sum] : {std::pair {r.tAc, &in}, std::pair {r.fAc, &out}}) {
                if (side != code)
                    continue;
                if (r.amount)
                    sum->add(*r.amount);
                else
                    sum->markUnreadable();
            }
        }
        chart.bars.append(
            {locale.toString(month, QStringLiteral("MMM yyyy")), figure(in), figure(out)});
        chart.trouble = chart.trouble || in.isError() || out.isError();
    }
    return chart;
}

BalanceChartData LedgerChartData(const QList<BalancePoint>& points, const QString& name,
    const QDate& from, const QDate& to, const QLocale& locale)
{
    BalanceChartData chart;
    chart.title
        = ChartTitle(QStringLiteral("Balance of '") + name + QLatin1Char('\''), from, to, locale);
    chart.from = from;
    chart.to = to;
    chart.points = points;
    chart.empty = points.size() <= 1; // the opening balance alone
    for (const BalancePoint& p : points)
        chart.trouble = chart.trouble || !p.balance;
    return chart;
}

std::optional<BalanceChartData> GroupBalanceChartData(const XmlDocument& data, const QString& group,
    const QDate& from, const QDate& to, const QLocale& locale)
{
    const XmlNode node = FindGroup(data, group);
    if (node.isNull())
        return std::nullopt;
    BalanceChartData chart;
    chart.title = ChartTitle(
        QStringLiteral("Balance of the group '") + group + QLatin1Char('\''), from, to, locale);
    chart.from = from;
    chart.to = to;
    chart.steps = false;
    if (!from.isValid() || !to.isValid() || from > to)
        return chart;
    const QList<int> codes = MemberCodes(node.attribute(QStringLiteral("gi")));
    const QSet<int> members(codes.begin(), codes.end());
    const int first = DateToDocDate(from), last = DateToDocDate(to);
    const QList<ListingRow> rows = ListingRows(data, [&members, last](int dt, int fAc, int tAc) {
        return dt > 0 && dt <= last && (members.contains(fAc) || members.contains(tAc));
    });

    ListingSum balance;
    qsizetype next = 0;
    auto advanceTo = [&](int day) {
        for (; next < rows.size() && rows.at(next).dt <= day; ++next) {
            const ListingRow& r = rows.at(next);
            if (r.dt >= first)
                chart.empty = false;
            if (members.contains(r.tAc))
                balance.add(r.amount);
            if (members.contains(r.fAc))
                balance.subtract(r.amount);
        }
    };
    advanceTo(first - 1); // every date before the first day; dates are yyyymmdd numbers
    chart.points.append({from.addDays(-1), balance.value(), true});
    for (QDate month(from.year(), from.month(), 1); month <= to; month = month.addMonths(1)) {
        const QDate end = std::min(nextMonth(month).addDays(-1), to);
        advanceTo(DateToDocDate(end));
        chart.points.append({end, balance.value(), false});
    }
    for (const BalancePoint& p : chart.points)
        chart.trouble = chart.trouble || !p.balance;
    return chart;
}

} // namespace qb
