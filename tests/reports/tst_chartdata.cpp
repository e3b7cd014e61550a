// The figures the charts draw, against sums worked out in the test over a
// book with transactions on the first and last day of every month.

#include <algorithm>

#include <QtTest>

#include "ChartTestBook.h"
#include "engine/ChartData.h"
#include "engine/LedgerReport.h"
#include "engine/ShortDate.h"
#include "engine/SummaryReport.h"
#include "store/Utilities.h"
#include "store/Xml.h"

using namespace qb;
using namespace qb::test;

class TestChartData : public QObject
{
    Q_OBJECT

    ChartTestBook m_book;
    XmlDocument m_data;

    SummaryResult summary(const QDate& from, const QDate& to, const SummarySubject& subject = {})
    {
        SummaryResult result;
        const XmlNode group
            = subject.groupName.isEmpty() ? XmlNode() : FindGroupNode(subject.groupName);
        PeriodSummaryReport::SummaryBook(
            m_data, DateToDocDate(from), DateToDocDate(to), subject, group, &result);
        return result;
    }
    XmlNode FindGroupNode(const QString& name)
    {
        for (const XmlNode& g : m_data.selectNodes(QStringLiteral("/Data/Groups/Group"))) {
            if (g.text() == name)
                return g;
        }
        return {};
    }

private slots:
    void initTestCase() { QVERIFY(m_data.loadXml(m_book.xml())); }

    void summaryBars_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QString>("group");
        QTest::newRow("leap year") << QDate(2024, 1, 1) << QDate(2024, 12, 31) << QString();
        QTest::newRow("one month, first and last day")
            << QDate(2024, 2, 1) << QDate(2024, 2, 29) << QString();
        QTest::newRow("across a year end") << QDate(2023, 12, 31) << QDate(2024, 1, 1) << QString();
        QTest::newRow("a group") << QDate(2024, 1, 1) << QDate(2024, 6, 30)
                                 << QStringLiteral("Money");
        QTest::newRow("nothing in the period")
            << QDate(2024, 1, 2) << QDate(2024, 1, 30) << QString();
    }

    // Every active account's In and Out as summed here; the larger of the
    // two ranks it; the 16th and later are summed into "Other".
    void summaryBars()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QString, group);
        const SummarySubject subject
            = group.isEmpty() ? SummarySubject::allAccounts() : SummarySubject::group(group);
        const InOutChartData chart = SummaryChartData(
            summary(from, to, subject), QStringLiteral("All"), from, to, QLocale::c());

        struct Expected
        {
            QString label;
            qint64 in, out;
        };
        QList<Expected> active;
        for (int code = 1; code <= ChartTestBook::kAccounts; ++code) {
            if (!group.isEmpty() && code > 3)
                continue;
            if (m_book.count(code, from, to) == 0)
                continue;
            const auto [in, out] = m_book.inOut(code, from, to);
            active.append({ChartTestBook::name(code), in, out});
        }
        std::stable_sort(active.begin(), active.end(), [](const Expected& a, const Expected& b) {
            return std::max(a.in, a.out) > std::max(b.in, b.out);
        });
        QList<Expected> expected = active.mid(0, kChartTopAccounts);
        if (active.size() > kChartTopAccounts) {
            Expected other {QStringLiteral("Other"), 0, 0};
            for (const Expected& e : active.mid(kChartTopAccounts)) {
                other.in += e.in;
                other.out += e.out;
            }
            expected.append(other);
        }

        QCOMPARE(chart.layout, InOutChartData::PerAccount);
        QCOMPARE(chart.empty, active.isEmpty());
        QVERIFY(!chart.trouble);
        QCOMPARE(chart.title,
            QStringLiteral("Money in and out - All - From %1 To %2")
                .arg(ShortDateText(from, QLocale::c()), ShortDateText(to, QLocale::c())));
        QCOMPARE(chart.bars.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(chart.bars.at(i).label, expected.at(i).label);
            QCOMPARE(centsOf(chart.bars.at(i).in), expected.at(i).in);
            QCOMPARE(centsOf(chart.bars.at(i).out), expected.at(i).out);
        }
        if (from.year() == 2024 && to == QDate(2024, 12, 31) && group.isEmpty())
            QCOMPARE(
                chart.bars.constLast().label, QStringLiteral("Other")); // the scenario reaches it
    }

    void monthBuckets_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("year end and leap February")
            << 2 << QDate(2023, 12, 1) << QDate(2024, 2, 29)
            << QStringList {QStringLiteral("Dec 2023"), QStringLiteral("Jan 2024"),
                   QStringLiteral("Feb 2024")};
        QTest::newRow("from the last day, to the first")
            << 5 << QDate(2023, 11, 30) << QDate(2024, 1, 1)
            << QStringList {QStringLiteral("Nov 2023"), QStringLiteral("Dec 2023"),
                   QStringLiteral("Jan 2024")};
        QTest::newRow("one day") << 7 << QDate(2024, 12, 31) << QDate(2024, 12, 31)
                                 << QStringList {QStringLiteral("Dec 2024")};
        QTest::newRow("empty months are zero")
            << 9 << QDate(2026, 3, 1) << QDate(2026, 4, 30)
            << QStringList {QStringLiteral("Mar 2026"), QStringLiteral("Apr 2026")};
    }

    // Each month's bars hold exactly the days of that month inside the
    // period, and together they are the account's In and Out of the summary.
    void monthBuckets()
    {
        QFETCH(int, code);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, labels);
        const InOutChartData chart
            = MonthlyChartData(m_data, code, ChartTestBook::name(code), from, to, QLocale::c());
        QCOMPARE(chart.layout, InOutChartData::PerMonth);
        QCOMPARE(chart.empty, m_book.count(code, from, to) == 0);
        QStringList got;
        qint64 inSum = 0, outSum = 0;
        for (qsizetype i = 0; i < chart.bars.size(); ++i) {
            got << chart.bars.at(i).label;
            const QDate monthStart
                = std::max(from, QDate(from.year(), from.month(), 1).addMonths(int(i)));
            const QDate monthEnd = std::min(
                to, QDate(monthStart.year(), monthStart.month(), 1).addMonths(1).addDays(-1));
            const auto [in, out] = m_book.inOut(code, monthStart, monthEnd);
            QCOMPARE(centsOf(chart.bars.at(i).in), in);
            QCOMPARE(centsOf(chart.bars.at(i).out), out);
            inSum += in;
            outSum += out;
        }
        QCOMPARE(got, labels);
        const SummaryResult result
            = summary(from, to, SummarySubject::account(code, ChartTestBook::name(code)));
        QCOMPARE(result.accounts.size(), 1);
        QCOMPARE(centsOf(result.accounts.at(0).in.value()), inSum);
        QCOMPARE(centsOf(result.accounts.at(0).out.value()), outSum);
    }

    void balanceLine_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("leap year") << 1 << QDate(2024, 1, 1) << QDate(2024, 12, 31);
        QTest::newRow("first and last day of the period")
            << 4 << QDate(2024, 3, 31) << QDate(2024, 5, 1);
        QTest::newRow("before every transaction") << 6 << QDate(2020, 1, 1) << QDate(2023, 11, 1);
        QTest::newRow("no transaction in the period")
            << 8 << QDate(2024, 6, 2) << QDate(2024, 6, 29);
    }

    // The opening balance first (dated the day before), then one point per
    // day with the account's transactions, each the balance at the day's end.
    void balanceLine()
    {
        QFETCH(int, code);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QList<BalancePoint> points;
        FigureTrouble trouble {true, true};
        LedgerReport::ListingBook(
            m_data, code, DateToDocDate(from), DateToDocDate(to), &trouble, &points);
        QVERIFY(!trouble.any());
        const BalanceChartData chart
            = LedgerChartData(points, ChartTestBook::name(code), from, to, QLocale::c());

        QList<QDate> days;
        for (const auto& t : m_book.transactions) {
            if (t.day >= from && t.day <= to && (t.from == code || t.to == code)
                && !days.contains(t.day))
                days.append(t.day);
        }
        std::sort(days.begin(), days.end());
        QCOMPARE(chart.points.size(), days.size() + 1);
        QCOMPARE(chart.empty, days.isEmpty());
        QVERIFY(!chart.trouble);
        QVERIFY(chart.points.at(0).opening);
        QCOMPARE(chart.points.at(0).date, from.addDays(-1));
        QCOMPARE(centsOf(chart.points.at(0).balance), m_book.balance({code}, from.addDays(-1)));
        for (qsizetype i = 0; i < days.size(); ++i) {
            QVERIFY(!chart.points.at(i + 1).opening);
            QCOMPARE(chart.points.at(i + 1).date, days.at(i));
            QCOMPARE(centsOf(chart.points.at(i + 1).balance), m_book.balance({code}, days.at(i)));
        }
    }

    void groupBalance_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<QDate>>("ends");
        QTest::newRow("year end, leap February")
            << QDate(2023, 12, 1) << QDate(2024, 2, 29)
            << QList<QDate> {QDate(2023, 11, 30), QDate(2023, 12, 31), QDate(2024, 1, 31),
                   QDate(2024, 2, 29)};
        QTest::newRow("mid-month to mid-month")
            << QDate(2024, 1, 15) << QDate(2024, 3, 10)
            << QList<QDate> {
                   QDate(2024, 1, 14), QDate(2024, 1, 31), QDate(2024, 2, 29), QDate(2024, 3, 10)};
        QTest::newRow("one day") << QDate(2024, 7, 31) << QDate(2024, 7, 31)
                                 << QList<QDate> {QDate(2024, 7, 30), QDate(2024, 7, 31)};
    }

    // The members' summed balance before the period and at each month end
    // (the last on the period's last day); a move between members is no change.
    void groupBalance()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<QDate>, ends);
        const std::optional<BalanceChartData> chart
            = GroupBalanceChartData(m_data, QStringLiteral("Money"), from, to, QLocale::c());
        QVERIFY(chart);
        QCOMPARE(chart->title,
            QStringLiteral("Balance of the group 'Money' - From %1 To %2")
                .arg(ShortDateText(from, QLocale::c()), ShortDateText(to, QLocale::c())));
        QCOMPARE(chart->points.size(), ends.size());
        for (qsizetype i = 0; i < ends.size(); ++i) {
            QCOMPARE(chart->points.at(i).date, ends.at(i));
            QCOMPARE(chart->points.at(i).opening, i == 0);
            QCOMPARE(centsOf(chart->points.at(i).balance), m_book.balance({1, 2, 3}, ends.at(i)));
        }
        bool moved = false;
        for (int code : {1, 2, 3})
            moved = moved || m_book.count(code, from, to) > 0;
        QCOMPARE(chart->empty, !moved);
        QVERIFY(!GroupBalanceChartData(m_data, QStringLiteral("No such group"), from, to));
        const std::optional<BalanceChartData> none
            = GroupBalanceChartData(m_data, QStringLiteral("Empty"), from, to);
        QVERIFY(none && none->empty);
        QCOMPARE(centsOf(none->points.constLast().balance), qint64(0));
    }

    // An amount that cannot be read gives no figure where it counts, and the
    // chart says so; the rest stay exact.
    void unreadableAmount()
    {
        ChartTestBook book;
        book.transactions.append({QDate(2024, 5, 31), 1, 20, 0, QStringLiteral("12.5.3")});
        XmlDocument data;
        QVERIFY(data.loadXml(book.xml()));
        SummaryResult result;
        PeriodSummaryReport::SummaryBook(data, 20240101, 20241231, {}, {}, &result);
        const InOutChartData bars = SummaryChartData(
            result, QStringLiteral("All"), QDate(2024, 1, 1), QDate(2024, 12, 31));
        QVERIFY(bars.trouble);
        // Accounts 1 and 20 have no figure and rank first; the others keep theirs.
        QCOMPARE(bars.bars.at(0).label, ChartTestBook::name(1));
        QVERIFY(!bars.bars.at(0).out && bars.bars.at(1).label == ChartTestBook::name(20)
            && !bars.bars.at(1).in);
        QCOMPARE(centsOf(bars.bars.at(0).in),
            book.inOut(1, QDate(2024, 1, 1), QDate(2024, 12, 31)).first);
        const auto [in2, out2] = book.inOut(2, QDate(2024, 1, 1), QDate(2024, 12, 31));
        for (const ChartBar& bar : bars.bars) {
            if (bar.label == ChartTestBook::name(2))
                QVERIFY(centsOf(bar.in) == in2 && centsOf(bar.out) == out2);
        }
        const InOutChartData months = MonthlyChartData(
            data, 20, ChartTestBook::name(20), QDate(2024, 4, 1), QDate(2024, 6, 30));
        QVERIFY(months.trouble);
        QVERIFY(months.bars.at(0).in && !months.bars.at(1).in && months.bars.at(2).in);
        QList<BalancePoint> points;
        LedgerReport::ListingBook(data, 20, 20240501, 20240630, nullptr, &points);
        const BalanceChartData line = LedgerChartData(
            points, ChartTestBook::name(20), QDate(2024, 5, 1), QDate(2024, 6, 30));
        QVERIFY(line.trouble);
        QVERIFY(line.points.at(0).balance && !line.points.constLast().balance);
    }
};

QTEST_GUILESS_MAIN(TestChartData)
#include "tst_chartdata.moc"
