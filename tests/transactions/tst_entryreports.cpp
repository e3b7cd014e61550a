#include <QtTest>

#include "TestSupport.h"
#include "engine/EntryReports.h"
#include "engine/ReportPage.h"
#include "store/OutputFile.h"
#include "store/Xml.h"

using namespace qb;

class TstEntryReports : public QObject
{
    Q_OBJECT

    XmlDocument book;

    // The day list of date in doc, built and read back as a document (it is
    // well-formed); page and overflowed, when given, receive its text and
    // whether the day's total left the range.
    static bool dayPage(const XmlDocument& doc, QDate date, const QString& title,
        XmlDocument* result, QString* page = nullptr, bool* overflowed = nullptr)
    {
        DayListReport report;
        QString text;
        Error error;
        if (!report.load() || !report.build(doc, date, title, &text, &error)
            || !result->loadXml(text))
            return false;
        if (page)
            *page = text;
        if (overflowed)
            *overflowed = report.overflowed();
        return true;
    }

private slots:
    void initTestCase() { QVERIFY(book.loadXml(test::sampleBookXml())); }

    void dayListShowsTheDayOnly()
    {
        // The page is well-formed, so its rows can be read back.
        QString page;
        XmlDocument result;
        QVERIFY(dayPage(
            book, QDate(2013, 1, 10), QStringLiteral("Entries on 10/01/2013"), &result, &page));
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
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(.//A[.='Edit']/@href)")),
            QStringLiteral("[*[E]*]201301102"));
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(.//A[.='Delete']/@href)")),
            QStringLiteral("[*[D]*]201301102"));
        QCOMPARE(result.evaluate(QStringLiteral("string(//TD[@class='DayTotalAmount'])")),
            QStringLiteral("345.50"));

        // Rows come in number order even when the file holds them otherwise.
        XmlDocument shuffled;
        QVERIFY(shuffled.loadXml(QByteArray(
            "<Data><AcMaster><a Code=\"1\" AcName=\"A\"/><a Code=\"2\" AcName=\"B\"/></AcMaster>"
            "<Trans><t No=\"10\" dt=\"20200101\" fAc=\"1\" tAc=\"2\" Nar=\"\">1</t>"
            "<t No=\"9\" dt=\"20200101\" fAc=\"1\" tAc=\"2\" Nar=\"\">2</t></Trans></Data>")));
        XmlDocument shuffledPage;
        QVERIFY(dayPage(shuffled, QDate(2020, 1, 1), QString(), &shuffledPage, &page));
        QVERIFY(page.indexOf(QStringLiteral("id202001019"))
            < page.indexOf(QStringLiteral("id2020010110")));
    }

    void partOfTheBookGivesTheWholeBooksPage()
    {
        // The day's page depends on the day's transactions and the account
        // heads only: a book cut down to them gives the same page.
        XmlDocument part;
        QVERIFY(part.loadXml(test::sampleBookXml()));
        for (const XmlNode& t : part.selectNodes(QStringLiteral("/Data/Trans/t[@dt != 20130110]")))
            t.parent().removeChild(t);
        DayListReport report;
        QVERIFY(report.load());
        QString expected;
        Error error;
        QVERIFY(report.build(part, QDate(2013, 1, 10), QStringLiteral("T"), &expected, &error));
        QString page;
        QVERIFY(report.build(book, QDate(2013, 1, 10), QStringLiteral("T"), &page, &error));
        QCOMPARE(page, expected);

        ReportTemplate sum;
        QVERIFY(sum.load(QStringLiteral("sum")));
        QVERIFY(sum.setChildAttribute(1, 1, QStringLiteral("20130201")));
        QVERIFY(sum.setChildAttribute(2, 1, QStringLiteral("1")));
        AccountBalance balance;
        QVERIFY(balance.load());
        QCOMPARE(balance.balance(book, 1, QDate(2013, 2, 1)),
            Money::fromNumberText(sum.TransformNode(book.documentElement())));
    }

    // A day of more rows than one part holds is laid out in parts and
    // joined: every row once, in number order, under one heading and one
    // total row; names with markup and letters of other scripts as written.
    // The transactions of the day before and after stay off the page.
    void busyDayIsJoinedFromParts_data()
    {
        QTest::addColumn<int>("rows");
        QTest::newRow("one part exactly") << DayListReport::kRowsPerPart;
        QTest::newRow("one row more") << DayListReport::kRowsPerPart + 1;
        QTest::newRow("two parts and one row") << 2 * DayListReport::kRowsPerPart + 1;
    }

    void busyDayIsJoinedFromParts()
    {
        QFETCH(int, rows);
        QByteArray xml = "<Data><AcMaster><a Code=\"1\" AcName=\"Caf&#233; &amp; &lt;b&gt;\"/>"
                         "<a Code=\"2\" AcName=\"Bank\"/></AcMaster><Trans>"
                         "<t No=\"1\" dt=\"20240228\" fAc=\"1\" tAc=\"2\" Nar=\"before\">7.00</t>";
        qint64 cents = 0;
        // Numbers written from the last down: the page puts them in order.
        for (int no = rows; no >= 1; --no) {
            const int amount = no % 1000 + 1;
            cents += amount * 100 + 5;
            xml += "<t No=\"" + QByteArray::number(no) + "\" dt=\"20240229\" fAc=\""
                + (no % 2 ? "1" : "2") + "\" tAc=\"" + (no % 2 ? "2" : "1") + "\" Nar=\"n"
                + QByteArray::number(no) + "\">" + QByteArray::number(amount) + ".05</t>";
        }
        xml += "<t No=\"2\" dt=\"20240301\" fAc=\"1\" tAc=\"2\" "
               "Nar=\"after\">9.00</t></Trans></Data>";
        XmlDocument data;
        QVERIFY(data.loadXml(xml));
        DayListReport report;
        QVERIFY(report.load());
        QString page;
        Error error;
        QVERIFY(report.build(data, QDate(2024, 2, 29), QStringLiteral("Busy"), &page, &error));
        XmlDocument result;
        QVERIFY(result.loadXml(page));
        const QList<XmlNode> shown = result.selectNodes(QStringLiteral("//TR[@id]"));
        QCOMPARE(shown.size(), rows);
        for (int i = 0; i < rows; ++i) {
            if (shown.at(i).attribute(QStringLiteral("id"))
                != DayListReport::RowId(20240229, i + 1))
                QFAIL(qPrintable(QStringLiteral("row %1 is %2")
                                     .arg(i + 1)
                                     .arg(shown.at(i).attribute(QStringLiteral("id")))));
        }
        QCOMPARE(shown.last().evaluate(QStringLiteral("string(TD[5])")),
            QStringLiteral("n%1").arg(rows));
        QCOMPARE(shown.first().evaluate(QStringLiteral("string(TD[2])")),
            QStringLiteral("Caf\u00e9 & <b>"));
        QCOMPARE(result.evaluate(QStringLiteral("count(//TH[.='No'])")), QStringLiteral("1"));
        QCOMPARE(result.evaluate(QStringLiteral("count(//TD[@class='DayTotalAmount'])")),
            QStringLiteral("1"));
        QCOMPARE(result.evaluate(QStringLiteral("string(//TD[@class='DayTotalAmount'])")),
            Money::fromUnits(cents * 100).formatGrouped());
        QCOMPARE(page.count(QStringLiteral("Busy")), 1);
        QVERIFY(
            !page.contains(QStringLiteral("before")) && !page.contains(QStringLiteral("after")));

        // qbtool's pieces, one after another, are the same page, and so is
        // the file they are written to; a full device refuses them all.
        QList<QByteArray> pieces;
        QVERIFY(
            report.buildPieces(data, QDate(2024, 2, 29), QStringLiteral("Busy"), &pieces, &error));
        QCOMPARE(pieces.size() > 1, rows > DayListReport::kRowsPerPart);
        QCOMPARE(pieces.join(), page.toUtf8());
        QTemporaryDir folder;
        const QString file = folder.filePath(QStringLiteral("day.html"));
        QVERIFY(WriteOutputFile(file, pieces, &error));
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), page.toUtf8());
#ifdef Q_OS_LINUX
        QVERIFY(!WriteOutputFile(QStringLiteral("/dev/full"), pieces, &error));
        QVERIFY2(
            error.description.contains(QStringLiteral("No space")), qPrintable(error.description));
#endif
    }

    void emptyDayHasAZeroTotal()
    {
        XmlDocument result;
        QVERIFY(dayPage(book, QDate(2013, 1, 11), QStringLiteral("t"), &result));
        QCOMPARE(result.selectNodes(QStringLiteral("//TR[@id]")).size(), 0);
        QCOMPARE(result.evaluate(QStringLiteral("string(//TD[@class='DayTotalAmount'])")),
            QStringLiteral("0.00"));
        // Wide enough for its heading's six letters, though "0.00" has four.
        QCOMPARE(result.evaluate(QStringLiteral("string(//TH[.='Amount']/@width)")),
            QStringLiteral("62"));
    }

    void balanceCountsMoneyInAgainstMoneyOut_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("before anything") << 1 << QDate(2013, 1, 9) << QStringLiteral("0.00");
        QTest::newRow("in and out the same day")
            << 1 << QDate(2013, 1, 10) << QStringLiteral("254.50");
        QTest::newRow("later day") << 1 << QDate(2013, 2, 1) << QStringLiteral("242.25");
        QTest::newRow("date itself counts") << 2 << QDate(2013, 1, 5) << QStringLiteral("2500.00");
        QTest::newRow("paying account is negative")
            << 3 << QDate(2020, 1, 1) << QStringLiteral("-2500.00");
        QTest::newRow("unknown account") << 99 << QDate(2020, 1, 1) << QStringLiteral("0.00");
    }

    void balanceCountsMoneyInAgainstMoneyOut()
    {
        QFETCH(int, code);
        QFETCH(QDate, date);
        QFETCH(QString, text);
        AccountBalance balance;
        QVERIFY(balance.load());
        const std::optional<Money> value = balance.balance(book, code, date);
        QVERIFY(value.has_value());
        QCOMPARE(AccountBalance::BalanceText(*value), text);
    }

    // Amounts whose binary neighbours round the other way, and sums a double
    // gets wrong: the day list's rows and total and the balance are the exact
    // decimal figures rounded half away from zero, as added up here.
    void figuresAreExactDecimals_data()
    {
        QTest::addColumn<QStringList>("amounts"); // all from account 1 to account 2 on one day
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("dayTotal");
        QTest::addColumn<QString>("balanceOfTo");
        QTest::addColumn<QString>("balanceOfFrom");
        QTest::newRow("halves") << QStringList {QStringLiteral("3.685"), QStringLiteral("1.005"),
            QStringLiteral("2.675")}
                                << QStringList {QStringLiteral("3.69"), QStringLiteral("1.01"),
                                       QStringLiteral("2.68")}
                                << QStringLiteral("7.37") // 7.365
                                << QStringLiteral("7.37") << QStringLiteral("-7.37");
        QTest::newRow("cents that add to a third decimal")
            << QStringList {QStringLiteral("0.1"), QStringLiteral("0.2"), QStringLiteral("0.0049")}
            << QStringList {QStringLiteral("0.10"), QStringLiteral("0.20"), QStringLiteral("0.00")}
            << QStringLiteral("0.30") << QStringLiteral("0.30") << QStringLiteral("-0.30");
        QStringList big(1000, QStringLiteral("999999999.99"));
        big << QStringLiteral("0.01");
        QStringList bigRows(1000, QStringLiteral("999,999,999.99"));
        bigRows << QStringLiteral("0.01");
        QTest::newRow("a thousand of the largest amount") // 999,999,999,990.01
            << big << bigRows << QStringLiteral("999,999,999,990.01")
            << QStringLiteral("999999999990.01") << QStringLiteral("-999999999990.01");
        QTest::newRow("seven hundred half cents") // 700 * 3.685 = 2579.5
            << QStringList(700, QStringLiteral("3.685")) << QStringList(700, QStringLiteral("3.69"))
            << QStringLiteral("2,579.50") << QStringLiteral("2579.50")
            << QStringLiteral("-2579.50");
        QTest::newRow("beyond ten digits before the point")
            << QStringList {QStringLiteral("12345678901234.56"), QStringLiteral("0.004")}
            << QStringList {QStringLiteral("12,345,678,901,234.56"), QStringLiteral("0.00")}
            << QStringLiteral("12,345,678,901,234.56") << QStringLiteral("12345678901234.56")
            << QStringLiteral("-12345678901234.56");
    }
    void figuresAreExactDecimals()
    {
        QFETCH(QStringList, amounts);
        QFETCH(QStringList, rows);
        QFETCH(QString, dayTotal);
        QFETCH(QString, balanceOfTo);
        QFETCH(QString, balanceOfFrom);
        QByteArray xml = "<Data><AcMaster><a Code=\"1\" AcName=\"A\"/><a Code=\"2\" "
                         "AcName=\"B\"/></AcMaster><Trans>";
        for (int i = 0; i < amounts.size(); ++i)
            xml += "<t No=\"" + QByteArray::number(i + 1)
                + "\" dt=\"20200101\" fAc=\"1\" tAc=\"2\" Nar=\"\">" + amounts[i].toLatin1()
                + "</t>";
        xml += "</Trans></Data>";
        XmlDocument doc;
        QVERIFY(doc.loadXml(xml));

        XmlDocument result;
        QVERIFY(dayPage(doc, QDate(2020, 1, 1), QStringLiteral("t"), &result));
        QCOMPARE(test::nodeTexts(result.selectNodes(QStringLiteral("//TR[@id]/TD[4]"))), rows);
        QCOMPARE(result.evaluate(QStringLiteral("normalize-space(//TD[@class='DayTotalAmount'])")),
            dayTotal);

        AccountBalance balance;
        QVERIFY(balance.load());
        QCOMPARE(balance.balance(doc, 2, QDate(2020, 1, 1)).value_or(Money::max()).format(),
            balanceOfTo);
        QCOMPARE(balance.balance(doc, 1, QDate(2020, 1, 1)).value_or(Money::max()).format(),
            balanceOfFrom);
        QCOMPARE(balance.balance(doc, 1, QDate(2019, 12, 31)).value_or(Money::max()).format(),
            QStringLiteral("0.00"));
    }

    // Every amount is read by the money type's one grammar: text it refuses
    // shows the error mark in its cell and in the day's total, never NaN or
    // a silent 0, and a total beyond the range shows the mark too.
    void dayListShowsTheErrorMarkForWhatItCannotGive_data()
    {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("total");
        QTest::addColumn<bool>("overflowed");
        const QString mark = Money::errorMark();
        QTest::newRow("no digit before the point")
            << QStringList {QStringLiteral(".5"), QStringLiteral("2")}
            << QStringList {mark, QStringLiteral("2.00")} << mark << false;
        QTest::newRow("no digit after it")
            << QStringList {QStringLiteral("5."), QStringLiteral("1,000")}
            << QStringList {mark, mark} << mark << false;
        QTest::newRow("half cents, blanks around")
            << QStringList {QStringLiteral("1.005"), QStringLiteral(" 2.0049 "),
                   QStringLiteral("-0.005")}
            << QStringList {QStringLiteral("1.01"), QStringLiteral("2.00"), QStringLiteral("-0.01")}
            << QStringLiteral("3.00") << false; // 3.0049
        // 2 x 900 trillion is past the 64-bit count of ten-thousandths.
        QTest::newRow("beyond the range")
            << QStringList {QStringLiteral("900000000000000"), QStringLiteral("900000000000000")}
            << QStringList(2, QStringLiteral("900,000,000,000,000.00")) << mark << true;
        QTest::newRow("just inside it") << QStringList {QStringLiteral("900000000000000"),
            QStringLiteral("22337203685477.5807")}
                                        << QStringList {QStringLiteral("900,000,000,000,000.00"),
                                               QStringLiteral("22,337,203,685,477.58")}
                                        << QStringLiteral("922,337,203,685,477.58") << false;
        QTest::newRow("a negative figure is the widest")
            << QStringList {QStringLiteral("-1234567.891"), QStringLiteral("1234500")}
            << QStringList {QStringLiteral("-1,234,567.89"), QStringLiteral("1,234,500.00")}
            << QStringLiteral("-67.89") << false; // -67.891
    }
    void dayListShowsTheErrorMarkForWhatItCannotGive()
    {
        QFETCH(QStringList, amounts);
        QFETCH(QStringList, rows);
        QFETCH(QString, total);
        QFETCH(bool, overflowed);
        // Another day's amounts, unreadable ones too, are no part of the page.
        QByteArray xml = "<Data><AcMaster><a Code=\"1\" AcName=\"A &amp; &lt;b&gt;\"/><a "
                         "Code=\"2\" AcName=\"B\"/></AcMaster><Trans>"
                         "<t No=\"1\" dt=\"20200102\" fAc=\"1\" tAc=\"2\" Nar=\"\">.5</t>";
        for (int i = amounts.size(); i > 0; --i) // numbers run against document order
            xml += "<t No=\"" + QByteArray::number(i)
                + "\" dt=\"20200101\" fAc=\"1\" tAc=\"2\" Nar=\"n" + QByteArray::number(i) + "\">"
                + amounts[i - 1].toLatin1() + "</t>";
        xml += "</Trans></Data>";
        XmlDocument doc;
        QVERIFY(doc.loadXml(xml));
        QString page;
        XmlDocument result;
        bool over = false;
        QVERIFY(dayPage(doc, QDate(2020, 1, 1), QStringLiteral("<i>x</i>"), &result, &page, &over));
        QCOMPARE(over, overflowed);
        QStringList shown, ids;
        for (const XmlNode& row : result.selectNodes(QStringLiteral("//TR[@id]"))) {
            shown << row.evaluate(QStringLiteral("normalize-space(TD[4])"));
            ids << row.attribute(QStringLiteral("id"));
            // Amount cells never wrap; names stay text.
            QCOMPARE(row.evaluate(QStringLiteral("string(TD[4]/@style)")),
                QStringLiteral("white-space:nowrap"));
            QCOMPARE(row.evaluate(QStringLiteral("string(TD[2]/A)")), QStringLiteral("A & <b>"));
        }
        QCOMPARE(shown, rows);
        QCOMPARE(ids.first(), QStringLiteral("id202001011"));
        QCOMPARE(result.evaluate(QStringLiteral("normalize-space(//TD[@class='DayTotalAmount'])")),
            total);
        // The amount column takes its widest figure, the total or the
        // heading's six letters, at 8 pixels a character and 14 more.
        qsizetype widest = std::max(qsizetype(6), total.size());
        for (const QString& figure : std::as_const(rows))
            widest = std::max(widest, figure.size());
        QCOMPARE(result.evaluate(QStringLiteral("string(//TH[4]/@width)")),
            QString::number(widest * 8 + 14));
        QCOMPARE(result.evaluate(QStringLiteral("string(//B)")), QStringLiteral("<i>x</i>"));
        QVERIFY(!page.contains(QStringLiteral("NaN")));
    }
};

QTEST_GUILESS_MAIN(TstEntryReports)
#include "tst_entryreports.moc"
