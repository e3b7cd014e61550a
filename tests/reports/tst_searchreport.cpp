// The search's predicate and summary, its result page and total on a book
// made here, and the CSV lines read back byte for byte.

#include <QtTest>

#include "TestSupport.h"
#include "engine/SearchReport.h"
#include "engine/ShortDate.h"

using namespace qb;
using namespace qb::test;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(qb::SearchCriteria)

namespace {

const QString kFold
    = QStringLiteral("translate(@Nar, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ','abcdefghijklmnopqrstuvwxyz')");

QString contains(const QString& term)
{
    return QStringLiteral(" contains(") + kFold + QStringLiteral(", '") + term
        + QStringLiteral("')");
}

SearchCriteria details(
    const QString& text, SearchCriteria::DetailsMode mode = SearchCriteria::DetailsMode::Contains)
{
    SearchCriteria c;
    c.byDetails = true;
    c.mode = mode;
    c.details = text;
    return c;
}

} // namespace

class TstSearchReport : public QObject
{
    Q_OBJECT

private slots:
    void predicate_data()
    {
        QTest::addColumn<SearchCriteria>("criteria");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("summary");

        SearchCriteria march;
        march.byDate = true;
        march.from = QDate(2013, 3, 1);
        march.to = QDate(2013, 3, 31);
        march.byAccount = true;
        march.accounts = {{5, QStringLiteral("Bank")}, {9, QStringLiteral("Rent")}};
        march.byAmount = true;
        march.op = QStringLiteral(">=");
        march.amount = QStringLiteral("100");
        QTest::newRow("dates, two accounts, amount")
            << march
            << QStringLiteral("@dt >= 20130301 and @dt <= 20130331 and  ( @fAc = 5 or  @tAc = 5 or "
                              " @fAc = 9 or  @tAc = 9) and  . >=100")
            << QStringLiteral("<BR>[Date : 01/03/2013 - 31/03/2013 ]<BR>[Account : Bank , Rent ]"
                              "<BR>[Amt >= 100 ]");

        QTest::newRow("raj AND sham")
            << details(QStringLiteral("raj AND sham"))
            << QStringLiteral("( contains(") + kFold + QStringLiteral(", 'raj') and  contains(")
                + kFold + QStringLiteral(", 'sham'))")
            << QStringLiteral("[<BR>[Details contain \"raj \" ]<BR>[Details contain \" sham\" ]");

        SearchCriteria none;
        none.byAccount = true; // ticked, nothing selected: no condition
        none.byDetails = true; // ticked, empty text: no condition
        QTest::newRow("nothing in force") << none << QString() << QString();

        SearchCriteria fromOnly;
        fromOnly.byAccount = true;
        fromOnly.side = SearchCriteria::Side::FromOnly;
        fromOnly.accounts = {{3, QStringLiteral("R&D <x>")}};
        fromOnly.byAmount = true;
        fromOnly.op = SearchInRange();
        fromOnly.amount = QStringLiteral("12.5");
        fromOnly.toAmount = QStringLiteral("999999999.99");
        QTest::newRow("from side, range")
            << fromOnly << QStringLiteral(" ( @fAc = 3) and  . >=12.5 and  . <= 999999999.99")
            << QStringLiteral("<BR>[Account(From) : R&amp;D &lt;x&gt; ]"
                              "<BR>[Amt between 12.5 and 999999999.99 ]");

        SearchCriteria toOnly = fromOnly;
        toOnly.side = SearchCriteria::Side::ToOnly;
        toOnly.accounts = {{3, QStringLiteral("Tax")}, {12, QStringLiteral("Fuel")}};
        toOnly.byAmount = false;
        toOnly.byDetails = true;
        toOnly.mode = SearchCriteria::DetailsMode::Equals;
        toOnly.details = QStringLiteral(" Petrol ");
        QTest::newRow("to side, equals")
            << toOnly
            << QStringLiteral(" ( @tAc = 3 or  @tAc = 12) and ( ") + kFold
                + QStringLiteral(" = 'petrol')")
            << QStringLiteral("<BR>[Account(To) : Tax , Fuel ]<BR>[Details equals \" Petrol \" ]");

        QTest::newRow("Orange is one term")
            << details(QStringLiteral("Orange"))
            << QStringLiteral("(") + contains(QStringLiteral("orange")) + QStringLiteral(")")
            << QStringLiteral("<BR>[Details contain \"Orange\" ]");
        QTest::newRow("FORD splits on OR")
            << details(QStringLiteral("FORD"))
            << QStringLiteral("(") + contains(QStringLiteral("f")) + QStringLiteral(" or ")
                + contains(QStringLiteral("d")) + QStringLiteral(")")
            << QStringLiteral("[<BR>[Details contain \"F\" ]<BR>[Details contain \"D\" ]");
        QTest::newRow("AND wins over OR")
            << details(QStringLiteral("BRAND OR x"))
            << QStringLiteral("(") + contains(QStringLiteral("br")) + QStringLiteral(" and ")
                + contains(QStringLiteral("or x")) + QStringLiteral(")")
            << QStringLiteral("[<BR>[Details contain \"BR\" ]<BR>[Details contain \" OR x\" ]");
        QTest::newRow("empty last term")
            << details(QStringLiteral("raj AND "))
            << QStringLiteral("(") + contains(QStringLiteral("raj")) + QStringLiteral(" and ")
                + contains(QString()) + QStringLiteral(")")
            << QStringLiteral("[<BR>[Details contain \"raj \" ]<BR>[Details contain \" \" ]");
        QTest::newRow("not contain, apostrophe kept in a literal")
            << details(QStringLiteral("it's OR <b>"), SearchCriteria::DetailsMode::NotContain)
            << QStringLiteral("( not (contains(") + kFold
                + QStringLiteral(", \"it's\")) or  not (contains(") + kFold
                + QStringLiteral(", '<b>')))")
            << QStringLiteral("[<BR>[Details do not contain \"it's \" ]"
                              "<BR>[Details do not contain \" &lt;b&gt;\" ]");
        QTest::newRow("both quote kinds, a letter beyond A-Z")
            << details(QStringLiteral("Say \"it's\" \u00c9T\u00c9"))
            << QStringLiteral("( contains(translate(@Nar, 'ABCDEFGHIJKLMNOPQRSTUVWXYZ\u00c9',"
                              "'abcdefghijklmnopqrstuvwxyz\u00e9'), concat('say \"it', \"'\", "
                              "'s\" \u00e9t\u00e9')))")
            << QStringLiteral("<BR>[Details contain \"Say &quot;it's&quot; \u00c9T\u00c9\" ]");
        SearchCriteria odd;
        odd.byAmount = true;
        odd.op = QStringLiteral("<");
        odd.amount = QStringLiteral("1 or 1=1");
        QTest::newRow("an amount that is no number compares as none")
            << odd << QStringLiteral(" . <'1 or 1=1'") << QStringLiteral("<BR>[Amt < 1 or 1=1 ]");
    }

    void predicate()
    {
        QFETCH(SearchCriteria, criteria);
        QFETCH(QString, filter);
        QFETCH(QString, summary);
        const SearchPredicate p
            = BuildSearchPredicate(criteria, QLocale(QLocale::English, QLocale::UnitedKingdom));
        QCOMPARE(p.filter, filter);
        QCOMPARE(p.summary, summary);
        QCOMPARE(p.selection(),
            filter.isEmpty() ? QString() : QStringLiteral("t[") + filter + QLatin1Char(']'));
    }

    // The search on a book made here: amounts with half cents and amounts
    // the program refuses to read, narrations in other scripts and with
    // apostrophes. The rows, the total and the CSV are worked out here.
    void runReadsEveryAmountOnce_data()
    {
        QTest::addColumn<QString>("details"); // contains; empty: every row
        QTest::addColumn<QStringList>("amounts"); // the rows expected, as the page shows them
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("csvAmounts"); // the CSV's amount column, joined by "|"
        QTest::newRow("every row")
            << QString()
            << QStringList {u"1.01"_s, u"0.01"_s, u"0.01"_s, u"0.01"_s, u"0.01"_s, u"0.01"_s,
                   u"0.01"_s, u"0.01"_s, u"#ERR"_s, u"#ERR"_s, u"#ERR"_s, u"1,234,567.89"_s}
            << u"#ERR"_s << u"1.01|0.01|0.01|0.01|0.01|0.01|0.01|0.01|#ERR|#ERR|#ERR|1234567.89"_s;
        // 1.005 + 7 x 0.005 = 1.04 exactly, rounded once.
        QTest::newRow("half cents") << u"half"_s
                                    << QStringList {u"1.01"_s, u"0.01"_s, u"0.01"_s, u"0.01"_s,
                                           u"0.01"_s, u"0.01"_s, u"0.01"_s, u"0.01"_s}
                                    << u"1.04"_s << u"1.01|0.01|0.01|0.01|0.01|0.01|0.01|0.01"_s;
        QTest::newRow("apostrophe")
            << u"IT'S"_s << QStringList {u"1,234,567.89"_s} << u"1,234,567.89"_s << u"1234567.89"_s;
        QTest::newRow("accented capitals")
            << u"caf\u00e9"_s << QStringList {u"#ERR"_s} << u"#ERR"_s << u"#ERR"_s;
    }

    void runReadsEveryAmountOnce()
    {
        QFETCH(QString, details);
        QFETCH(QStringList, amounts);
        QFETCH(QString, total);
        QFETCH(QString, csvAmounts);
        QString trans;
        const QStringList texts {u"1.005"_s, u"0.005"_s, u"0.005"_s, u"0.005"_s, u"0.005"_s,
            u"0.005"_s, u"0.005"_s, u"0.005"_s, u".5"_s, u"5."_s, u"x1"_s, u"1234567.891"_s};
        const QStringList narrations {u"half"_s, u"half"_s, u"half"_s, u"half"_s, u"half"_s,
            u"half"_s, u"half"_s, u"half"_s, u"point"_s, u"point"_s, u"AU CAF\u00c9"_s,
            u"it's mine"_s};
        for (int i = 0; i < texts.size(); ++i)
            trans += u"<t No=\"%1\" dt=\"20130105\" fAc=\"1\" tAc=\"2\" Nar=\"%2\">%3</t>"_s
                         .arg(i + 1)
                         .arg(narrations.at(i), texts.at(i));
        XmlDocument book;
        QVERIFY(book.loadXml(
            (u"<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/><a Code=\"2\" AcName=\"Shop\"/>"
             "</AcMaster><Trans>"_s
                + trans + u"</Trans></Data>"_s)));
        SearchCriteria c;
        c.byDate = true;
        c.from = c.to = QDate(2013, 1, 5);
        c.byDetails = !details.isEmpty();
        c.details = details;
        SearchReport report;
        Error error;
        QVERIFY(report.load(&error));
        QVERIFY2(report.run(book, BuildSearchPredicate(c), u"string(@dt)"_s, &error),
            qPrintable(error.description));
        QStringList shown;
        for (const XmlNode& row : report.result().selectNodes(u"//TR[@id='datarow']"_s))
            shown << row.evaluate(u"string(TD[4])"_s);
        QCOMPARE(shown, amounts);
        QCOMPARE(report.count(), amounts.size());
        QCOMPARE(report.result().evaluate(u"string(//TD[@id='Total'])"_s), total);
        QCOMPARE(report.total().isError(), total == u"#ERR"_s);
        QStringList csv;
        for (const QByteArray& line : SearchCsv(report.result()).split('\n')) {
            if (!line.isEmpty())
                csv << QString::fromLocal8Bit(line).section(QLatin1Char(','), 3, 3);
        }
        QCOMPARE(csv.join(QLatin1Char('|')), csvAmounts);
    }

    // The search hands the template only the transactions it could list;
    // what a plain reading cannot decide (numbers written with blanks or
    // leading zeros, a date that is no number) stays for the template,
    // which reads them as XPath does. The rows expected are worked out here.
    void runListsWhatTheCriteriaAllow_data()
    {
        QTest::addColumn<QDate>("from"); // invalid: no date criterion
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QList<int>>("accounts");
        QTest::addColumn<int>("side");
        QTest::addColumn<QStringList>("listed"); // narrations, sorted
        QTest::addColumn<int>("status"); // -1: no status criterion
        const QDate none;
        const auto from = int(SearchCriteria::Side::FromOnly);
        const auto to = int(SearchCriteria::Side::ToOnly);
        const auto either = int(SearchCriteria::Side::FromOrTo);
        QTest::newRow("no criteria: the last entry's month")
            << none << none << QList<int>() << either
            << QStringList {u"n2"_s, u"n3"_s, u"n4"_s, u"n7"_s} << -1;
        QTest::newRow("February, first to last day")
            << QDate(2013, 2, 1) << QDate(2013, 2, 28) << QList<int>() << either
            << QStringList {u"n2"_s, u"n3"_s, u"n4"_s, u"n7"_s} << -1;
        QTest::newRow("January, account 1 either side")
            << QDate(2013, 1, 1) << QDate(2013, 1, 31) << QList<int> {1} << either
            << QStringList {u"n1"_s, u"n6"_s} << -1;
        QTest::newRow("account 1 from, any date")
            << none << none << QList<int> {1} << from
            << QStringList {u"n1"_s, u"n3"_s, u"n4"_s, u"n5"_s} << -1;
        QTest::newRow("account 2 to") << none << none << QList<int> {2} << to
                                      << QStringList {u"n1"_s, u"n4"_s, u"n5"_s} << -1;
        QTest::newRow("February, accounts 3 and 9 either side")
            << QDate(2013, 2, 1) << QDate(2013, 2, 28) << QList<int> {9, 3} << either
            << QStringList {u"n2"_s, u"n3"_s, u"n7"_s} << -1;
        // n1 cleared, n2 reconciled, n7 of an unknown status: not cleared.
        const auto cleared = int(TransactionStatus::Cleared);
        QTest::newRow("reconciled, any date")
            << none << none << QList<int>() << either << QStringList {u"n2"_s}
            << int(TransactionStatus::Reconciled);
        QTest::newRow("cleared, January to the last of February")
            << QDate(2013, 1, 1) << QDate(2013, 2, 28) << QList<int>() << either
            << QStringList {u"n1"_s} << cleared;
        QTest::newRow("not cleared in February")
            << QDate(2013, 2, 1) << QDate(2013, 2, 28) << QList<int>() << either
            << QStringList {u"n3"_s, u"n4"_s, u"n7"_s} << int(TransactionStatus::NotCleared);
        QTest::newRow("not cleared, account 1 from")
            << none << none << QList<int> {1} << from << QStringList {u"n3"_s, u"n4"_s, u"n5"_s}
            << int(TransactionStatus::NotCleared);
    }

    void runListsWhatTheCriteriaAllow()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QList<int>, accounts);
        QFETCH(int, side);
        QFETCH(QStringList, listed);
        QFETCH(int, status);
        XmlDocument book;
        QVERIFY(book.loadXml(QByteArrayLiteral(
            "<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/><a Code=\"2\" "
            "AcName=\"Bank\"/></AcMaster>"
            "<Trans>"
            "<t No=\"1\" dt=\"20130131\" fAc=\"1\" tAc=\"2\" Nar=\"n1\" St=\"C\">1.00</t>"
            "<t No=\"2\" dt=\"20130201\" fAc=\"2\" tAc=\"3\" Nar=\"n2\" St=\"R\">2.00</t>"
            "<t No=\"3\" dt=\" 20130228\" fAc=\" 1\" tAc=\"3\" Nar=\"n3\">3.00</t>"
            "<t No=\"4\" dt=\"020130215\" fAc=\"01\" tAc=\"2\" Nar=\"n4\">4.00</t>"
            "<t No=\"5\" dt=\"2013-02-10\" fAc=\"1\" tAc=\"2\" Nar=\"n5\">5.00</t>"
            "<x dt=\"20130228\" fAc=\"1\" tAc=\"3\" Nar=\"nx\">9.00</x>"
            "<t No=\"6\" dt=\"20130101\" fAc=\"3\" tAc=\"1\" Nar=\"n6\">6.00</t>"
            "<t No=\"7\" dt=\"20130228\" fAc=\"2\" tAc=\"3\" Nar=\"n7\" St=\"c\">7.00</t>"
            "</Trans><AcMaster><a Code=\"3\" AcName=\"Food\"/></AcMaster></Data>")));
        SearchCriteria c;
        c.byDate = from.isValid();
        c.from = from;
        c.to = to;
        c.byAccount = !accounts.isEmpty();
        c.side = SearchCriteria::Side(side);
        for (const int code : accounts)
            c.accounts.append({code, QString::number(code)});
        c.byStatus = status >= 0;
        c.status = TransactionStatus(qMax(0, status));
        SearchReport report;
        Error error;
        QVERIFY2(report.run(book, BuildSearchPredicate(c), u"string(@dt)"_s, &error),
            qPrintable(error.description));
        QStringList shown;
        double total = 0;
        for (const XmlNode& row : report.result().selectNodes(u"//TR[@id='datarow']"_s)) {
            const QString nar = row.evaluate(u"string(TD[5])"_s);
            shown << nar;
            total += nar.mid(1).toInt();
            if (nar == u"n7"_s) // names from either account heads section
                QCOMPARE(row.evaluate(u"concat(TD[2], '>', TD[3])"_s), u"Bank>Food"_s);
        }
        shown.sort();
        QCOMPARE(shown, listed);
        QCOMPARE(report.count(), listed.size());
        QCOMPARE(report.totalText(), QString::number(total, 'f', 2));
    }

    // Rows 2 to the last but one of the first table, cells 1 to 5 by their
    // visible text: commas become blanks, in the amount cell they go; a text
    // cell that a spreadsheet would run gets an apostrophe, the amount never.
    void csvLines()
    {
        XmlDocument page;
        QVERIFY(page.loadXml(QByteArrayLiteral(
            "<HTML><BODY><TABLE><TR><TH>Date</TH><TH>From</TH></TR><TBODY>"
            "<TR id=\"datarow\"><TD><A href=\"[*[date]*]20130105\">05-01-2013</A></TD>"
            "<TD>Smith, J</TD><TD><A href=\"3\">A,B</A></TD><TD>1,250.50</TD>"
            "<TD>  Tea,  coffee\n and\tmilk </TD><TD>sixth</TD></TR>"
            "<TR id=\"datarow\"><TD>06-01-2013</TD><TD>Cash</TD></TR>"
            "<TR id=\"datarow\"><TD>07-01-2013</TD><TD>=1+1</TD><TD> +x</TD><TD>-5.00</TD>"
            "<TD>,=HYPERLINK(\"u\")</TD></TR>"
            "<TR id=\"datarow\"><TD>08-01-2013</TD><TD>-a</TD><TD>@b</TD><TD>1.00</TD>"
            "<TD>a=b -c</TD></TR></TBODY>"
            "<TR><TD id=\"EntryCount\">No of entries : 2</TD><TD id=\"Total\">1,250.50</TD></TR>"
            "</TABLE><TABLE><TR><TD>x</TD></TR><TR><TD>y</TD></TR><TR><TD>z</TD></TR></TABLE>"
            "</BODY></HTML>")));
        QCOMPARE(SearchCsv(page),
            QByteArray("05-01-2013,Smith  J,A B,1250.50,Tea  coffee and milk\r\n"
                       "06-01-2013,Cash,,,\r\n"
                       "07-01-2013,'=1+1,'+x,-5.00,' =HYPERLINK(\"u\")\r\n"
                       "08-01-2013,'-a,'@b,1.00,a=b -c\r\n"));
        QCOMPARE(CsvFileName(QStringLiteral("/t/found")), QStringLiteral("/t/found.csv"));
        QCOMPARE(CsvFileName(QStringLiteral("/t/Found.CSV")), QStringLiteral("/t/Found.CSV"));
    }
};

QTEST_GUILESS_MAIN(TstSearchReport)
#include "tst_searchreport.moc"
