#include <QtTest>

#include "EntryReports.h"
#include "ReportPage.h"
#include "TestSupport.h"
#include "Xml.h"

using namespace qb;

class TstEntryReports : public QObject
{
    Q_OBJECT

    XmlDocument book;

private slots:
    void initTestCase()
    {
        QVERIFY(book.loadXml(test::sampleBookXml()));
    }

    void dayListShowsTheDayOnly()
    {
        DayListReport report;
        QVERIFY(report.load());
        QString page;
        Error error;
        QVERIFY(report.build(book, QDate(2013, 1, 10), QStringLiteral("Entries on 10/01/2013"), &page, &error));

        // The page is well-formed, so its rows can be read back.
        XmlDocument result;
        QVERIFY(result.loadXml(page));
        QCOMPARE(result.documentElement().name(), QStringLiteral("HTML"));
        QVERIFY(page.contains(QStringLiteral("Entries on 10/01/2013")));
        QVERIFY(!page.contains(ReportTitlePlaceholder()));

        const QList<XmlNode> rows = result.selectNodes(QStringLiteral("//TR[@id]"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).attribute(QStringLiteral("id")), DayListReport::RowId(20130110, 1));
        QCOMPARE(rows.at(1).attribute(QStringLiteral("id")), QStringLiteral("id201301102"));
        // From and To are account links by code; edit and delete links carry the key.
        QCOMPARE(rows.at(0).evaluate(QStringLiteral("string(TD[2]/A/@href)")), QStringLiteral("2"));
        QCOMPARE(rows.at(0).evaluate(QStringLiteral("string(TD[2]/A)")), QStringLiteral("Bank"));
        QCOMPARE(rows.at(0).evaluate(QStringLiteral("string(TD[3]/A/@href)")), QStringLiteral("1"));
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(TD[4])")), QStringLiteral("45.50"));
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(TD[5])")), QStringLiteral("Groceries"));
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(.//A[.='Edit']/@href)")), QStringLiteral("[*[E]*]201301102"));
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(.//A[.='Delete']/@href)")), QStringLiteral("[*[D]*]201301102"));
        QCOMPARE(result.evaluate(QStringLiteral("string(//TD[@class='DayTotalAmount'])")), QStringLiteral("345.50"));

        // Rows come in number order even when the file holds them otherwise.
        XmlDocument shuffled;
        QVERIFY(shuffled.loadXml(QByteArray("<Data><AcMaster><a Code=\"1\" AcName=\"A\"/><a Code=\"2\" AcName=\"B\"/></AcMaster>"
                                            "<Trans><t No=\"10\" dt=\"20200101\" fAc=\"1\" tAc=\"2\" Nar=\"\">1</t>"
                                            "<t No=\"9\" dt=\"20200101\" fAc=\"1\" tAc=\"2\" Nar=\"\">2</t></Trans></Data>")));
        QVERIFY(report.build(shuffled, QDate(2020, 1, 1), QString(), &page, &error));
        QVERIFY(page.indexOf(QStringLiteral("id202001019")) < page.indexOf(QStringLiteral("id2020010110")));
    }

    void partOfTheBookGivesTheWholeBooksPage()
    {
        // The reports transform only the day's (or the account's) part of the
        // book; the template run on the whole book must give the same result.
        ReportTemplate whole;
        QVERIFY(whole.load(QStringLiteral("Trans-daywise")));
        QVERIFY(whole.setChildAttribute(1, 1, QStringLiteral("20130110")));
        QVERIFY(whole.setChildAttribute(2, 1, QStringLiteral("20130110")));
        QString expected = whole.TransformNode(book.documentElement());
        ReplaceReportTitle(expected, QStringLiteral("T"));
        DayListReport report;
        QVERIFY(report.load());
        QString page;
        Error error;
        QVERIFY(report.build(book, QDate(2013, 1, 10), QStringLiteral("T"), &page, &error));
        QCOMPARE(page, expected);

        ReportTemplate sum;
        QVERIFY(sum.load(QStringLiteral("sum")));
        QVERIFY(sum.setChildAttribute(1, 1, QStringLiteral("20130201")));
        QVERIFY(sum.setChildAttribute(2, 1, QStringLiteral("1")));
        AccountBalance balance;
        QVERIFY(balance.load());
        QCOMPARE(balance.balance(book, 1, QDate(2013, 2, 1)).value(), sum.TransformNode(book.documentElement()).toDouble());
    }

    void emptyDayHasAZeroTotal()
    {
        DayListReport report;
        QVERIFY(report.load());
        QString page;
        Error error;
        QVERIFY(report.build(book, QDate(2013, 1, 11), QStringLiteral("t"), &page, &error));
        XmlDocument result;
        QVERIFY(result.loadXml(page));
        QCOMPARE(result.selectNodes(QStringLiteral("//TR[@id]")).size(), 0);
        QCOMPARE(result.evaluate(QStringLiteral("string(//TD[@class='DayTotalAmount'])")), QStringLiteral("0.00"));
    }

    void balanceCountsMoneyInAgainstMoneyOut_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("before anything") << 1 << QDate(2013, 1, 9) << QStringLiteral("0.00");
        QTest::newRow("in and out the same day") << 1 << QDate(2013, 1, 10) << QStringLiteral("254.50");
        QTest::newRow("later day") << 1 << QDate(2013, 2, 1) << QStringLiteral("242.25");
        QTest::newRow("date itself counts") << 2 << QDate(2013, 1, 5) << QStringLiteral("2500.00");
        QTest::newRow("paying account is negative") << 3 << QDate(2020, 1, 1) << QStringLiteral("-2500.00");
        QTest::newRow("unknown account") << 99 << QDate(2020, 1, 1) << QStringLiteral("0.00");
    }

    void balanceCountsMoneyInAgainstMoneyOut()
    {
        QFETCH(int, code);
        QFETCH(QDate, date);
        QFETCH(QString, text);
        AccountBalance balance;
        QVERIFY(balance.load());
        const std::optional<double> value = balance.balance(book, code, date);
        QVERIFY(value.has_value());
        QCOMPARE(AccountBalance::BalanceText(*value), text);
    }

    void balanceTextRounds()
    {
        QCOMPARE(AccountBalance::BalanceText(-0.001), QStringLiteral("0.00"));
        QCOMPARE(AccountBalance::BalanceText(0.1 + 0.2), QStringLiteral("0.30"));
        QCOMPARE(AccountBalance::BalanceText(-1234567.006), QStringLiteral("-1234567.01"));
        QCOMPARE(AccountBalance::BalanceText(999999999.99), QStringLiteral("999999999.99"));
    }
};

QTEST_GUILESS_MAIN(TstEntryReports)
#include "tst_entryreports.moc"
