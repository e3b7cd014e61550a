#include <QProcess>
#include <QtTest>

#include "ReportEngine.h"
#include "SummaryReport.h"
#include "SummaryTestBook.h"
#include "TestSupport.h"
#include "Utilities.h"
#include "Xml.h"

using namespace qb;
using namespace Qt::StringLiterals;

namespace {

// A finished report page read back as XML: one row per cell, given as
// class and text, inside a table nested in another.
XmlDocument pageOfCells(const QList<QPair<QString, QString>>& cells)
{
    QString page = QStringLiteral("<HTML><BODY><TABLE><TR><TH class=\"in\">1</TH></TR>");
    for (const auto& [cls, text] : cells)
        page += QStringLiteral("<TR><TD class=\"text\">x</TD><TD class=\"") + cls
            + QStringLiteral("\">") + text + QStringLiteral("</TD></TR>");
    page += QStringLiteral("<TR><TD><TABLE><TR><TD class=\"in out Amount\">0.05</TD></TR></TABLE></TD>"
                           "<TD id=\"intotal\" class=\"GrandTotalAmount\"></TD></TR></TABLE></BODY></HTML>");
    XmlDocument doc;
    doc.loadXml(page);
    return doc;
}

} // namespace

class TstTransSummary : public QObject
{
    Q_OBJECT

    test::SummaryTestBook handMade;
    XmlDocument book;

    static XmlDocument pageOf(const SummaryResult& result)
    {
        XmlDocument page;
        page.loadXml(result.page);
        return page;
    }

    static QString cell(const XmlDocument& page, const char* id)
    {
        return page.evaluate(QStringLiteral("string(//TD[@id='%1'])").arg(QLatin1String(id)));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(book.loadXml(handMade.xml()));
    }

    void summaryMatchesSumsWorkedOutApart_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("damage"); // 1: amounts not plain, 2: a code not plain
        QTest::newRow("all, whole history") << 0 << "" << 20110101 << 20141231 << 0;
        QTest::newRow("all, one year") << 0 << "" << 20130101 << 20131231 << 0;
        QTest::newRow("group of three") << 0 << "Home" << 20120101 << 20121231 << 0;
        QTest::newRow("group, one day") << 0 << "Car costs" << 20120614 << 20120614 << 0;
        QTest::newRow("group without members") << 0 << "Empty" << 20110101 << 20141231 << 0;
        QTest::newRow("one account") << 2 << "" << 20120301 << 20120831 << 0;
        QTest::newRow("before the book") << 0 << "" << 20000101 << 20001231 << 0;
        QTest::newRow("after the book") << 0 << "Money" << 20200101 << 20201231 << 0;
        QTest::newRow("to before from") << 0 << "Income" << 20130601 << 20130101 << 0;
        // An amount the program would not write: the whole book is transformed.
        QTest::newRow("amount not plain") << 0 << "" << 20110101 << 20130630 << 1;
        QTest::newRow("amount not plain, group") << 0 << "Money" << 20120101 << 20121231 << 1;
        QTest::newRow("code not plain") << 0 << "" << 20120101 << 20121231 << 2;
    }

    void summaryMatchesSumsWorkedOutApart()
    {
        QFETCH(int, code);
        QFETCH(QString, group);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, damage);
        test::SummaryTestBook expected = handMade;
        XmlDocument data = book.copy();
        if (damage == 2) {
            // Head and transactions of account 4 written as 04: the template
            // still matches them as text.
            data.selectSingleNode(QStringLiteral("/Data/AcMaster/a[@Code='4']")).setAttribute(QStringLiteral("Code"), QStringLiteral("04"));
            for (XmlNode t : data.selectNodes(QStringLiteral("/Data/Trans/t[@fAc='4' or @tAc='4']")))
                t.setAttribute(t.attribute(QStringLiteral("fAc")) == QStringLiteral("4") ? QStringLiteral("fAc") : QStringLiteral("tAc"), QStringLiteral("04"));
        } else if (damage == 1) {
            for (int i : {0, 1}) {
                expected.transactions[i].cents = 1250;
                data.selectSingleNode(QStringLiteral("/Data/Trans/t[%1]").arg(i + 1))
                    .setText(i == 0 ? QStringLiteral("12.50000") : QStringLiteral(" 12.5 "));
            }
        }
        const bool all = code == 0 && group.isEmpty();
        const QList<test::SummaryTestBook::Row> rows = all
            ? expected.rows(from, to)
            : expected.rows(from, to, code ? QList<int>{code} : expected.members(group));
        const SummarySubject subject = code ? SummarySubject::account(code, QStringLiteral("Bank"))
            : group.isEmpty()              ? SummarySubject::allAccounts()
                                           : SummarySubject::group(group);

        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        const QDate first = DocDateToDate(from);
        const QDate last = DocDateToDate(to);
        QVERIFY(report.build(data, first, last, subject, &result, &error, QLocale::c()));
        const XmlDocument page = pageOf(result);
        QVERIFY(!page.isNull());
        QStringList expectedRows = test::summaryRowsText(rows);
        expectedRows.replaceInStrings(QRegularExpression(damage == 2 ? u"^4\\|"_s : u"^$"_s), u"04|"_s);
        QCOMPARE(test::summaryPageRows(page), expectedRows);

        qint64 in = 0, out = 0;
        for (const auto& r : rows) {
            in += r.in;
            out += r.out;
        }
        QCOMPARE(result.inTotal, Money::fromUnits(in * 100));
        QCOMPARE(result.outTotal, Money::fromUnits(out * 100));
        QCOMPARE(cell(page, "intotal"), test::SummaryTestBook::centsText(in));
        QCOMPARE(cell(page, "outtotal"), test::SummaryTestBook::centsText(out));
        QCOMPARE(cell(page, "diff"), test::SummaryTestBook::centsText(in - out));
        // Over all accounts every amount is counted in and out once, and the page says so.
        if (all)
            QCOMPARE(in, out);
        QCOMPARE(result.page.contains(QStringLiteral("In and Out totals are always equal")), all);

        const QString name = code ? QStringLiteral("'Bank'") : QString(QLatin1Char('\'') + group + QLatin1Char('\''));
        const QString dates = QStringLiteral(" - From ") + ShortDateText(first, QLocale::c())
            + QStringLiteral(" To ") + ShortDateText(last, QLocale::c());
        const QString title = QStringLiteral("Period Summary for ")
            + (all ? QStringLiteral("All accounts") : name) + dates;
        QCOMPARE(result.title, title);
        QCOMPARE(result.caption, QStringLiteral("Period Summary - ")
                     + (all ? QStringLiteral("All Accounts") : name.mid(1).chopped(1)));
        QVERIFY(result.page.contains(result.title) && !result.page.contains(ReportTitlePlaceholder()));

        // The template itself, applied to the whole book, gives the same rows.
        ReportTemplate whole;
        QVERIFY(whole.load(QStringLiteral("Trans-summary")));
        for (const char* variable : {"FromDate", "ToDate", "AccountCode", "GroupString"}) {
            const QString v = QString::fromLatin1(variable);
            QVERIFY(whole.setVariable(v, report.reportTemplate().variable(v)));
        }
        XmlDocument direct;
        QVERIFY(whole.transformToDocument(data.documentElement(), &direct, &error));
        QCOMPARE(test::summaryPageRows(direct), expectedRows);
    }

    void subjectVariablesAndAMissingGroup()
    {
        PeriodSummaryReport report;
        QVERIFY(report.load());
        ReportTemplate& t = report.reportTemplate();
        SummaryResult result;
        Error error;
        const QDate from(2012, 1, 1), to(2012, 12, 31);
        // The account is an XPath string, the group its member list as one.
        QVERIFY(report.build(book, from, to, SummarySubject::account(12, QStringLiteral("electricity")), &result, &error));
        QCOMPARE(t.variable(QStringLiteral("AccountCode")), QStringLiteral("'12'"));
        QCOMPARE(t.variable(QStringLiteral("GroupString")), QStringLiteral("0"));
        QCOMPARE(t.variable(QStringLiteral("FromDate")), QStringLiteral("20120101"));
        QCOMPARE(t.variable(QStringLiteral("ToDate")), QStringLiteral("20121231"));
        QCOMPARE(test::summaryPageRows(pageOf(result)).size(), 1);
        QVERIFY(report.build(book, from, to, SummarySubject::group(QStringLiteral("HOME")), &result, &error));
        QVERIFY(!result.subjectFound); // group names are found as written
        QVERIFY(report.build(book, from, to, SummarySubject::group(QStringLiteral("Home")), &result, &error));
        QCOMPARE(t.variable(QStringLiteral("AccountCode")), QStringLiteral("0"));
        QCOMPARE(t.variable(QStringLiteral("GroupString")), QStringLiteral("',4,12,11,'"));
        QVERIFY(result.subjectFound);

        // A group gone from the book after an account's summary: no title, no
        // caption, and not the account of before but every account.
        QVERIFY(report.build(book, from, to, SummarySubject::account(12, QStringLiteral("electricity")), &result, &error));
        QVERIFY(report.build(book, from, to, SummarySubject::group(QStringLiteral("Gone")), &result, &error));
        QVERIFY(!result.subjectFound);
        QCOMPARE(result.caption, QString());
        QCOMPARE(result.title, QString());
        QCOMPARE(t.variable(QStringLiteral("AccountCode")), QStringLiteral("0"));
        QCOMPARE(t.variable(QStringLiteral("GroupString")), QStringLiteral("0"));
        QCOMPARE(test::summaryPageRows(pageOf(result)),
                 test::summaryRowsText(handMade.rows(20120101, 20121231)));
    }

    void totalsUseTheUsersDecimalSeparator_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QStringList>("totals");
        QTest::newRow("full stop") << QLocale::c() << QStringList{u"1250.50"_s, u"1300.25"_s, u"-49.75"_s};
        QTest::newRow("comma") << QLocale(QLocale::German, QLocale::Germany)
                               << QStringList{u"1250,50"_s, u"1300,25"_s, u"-49,75"_s};
    }

    void totalsUseTheUsersDecimalSeparator()
    {
        QFETCH(QLocale, locale);
        QFETCH(QStringList, totals);
        XmlDocument data;
        QVERIFY(data.loadXml(QByteArray(
            "<Data><AcMaster><a Code=\"1\" AcName=\"A\"/><a Code=\"2\" AcName=\"B\"/><a Code=\"3\" AcName=\"C\"/></AcMaster>"
            "<Trans><t No=\"1\" dt=\"20130105\" fAc=\"2\" tAc=\"1\" Nar=\"\">1250.5</t>"
            "<t No=\"2\" dt=\"20130105\" fAc=\"1\" tAc=\"3\" Nar=\"\">1300.25</t></Trans><Groups/></Data>")));
        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        QVERIFY(report.build(data, QDate(2013, 1, 1), QDate(2013, 1, 31), SummarySubject::account(1, QStringLiteral("A")),
                             &result, &error, locale));
        const XmlDocument page = pageOf(result);
        QCOMPARE((QStringList{cell(page, "intotal"), cell(page, "outtotal"), cell(page, "diff")}), totals);
        // The rows keep the point: they are figures sumCol adds.
        QCOMPARE(test::summaryPageRows(page), QStringList{u"1|A|0.00|1250.50|1300.25|-49.75"_s});
    }

    void brokenTemplatesFailTheBuild()
    {
        PeriodSummaryReport report;
        QVERIFY(report.load());
        SummaryResult result;
        Error error;
        const QByteArray head = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                                "<xsl:output method=\"xml\"/><xsl:variable name=\"FromDate\" select=\"0\"/>"
                                "<xsl:variable name=\"ToDate\" select=\"0\"/><xsl:variable name=\"AccountCode\" select=\"0\"/>";
        // No GroupString; then no diff cell; then a result that is not a document.
        const QByteArray templates[] = {
            head + "<xsl:template match=\"/\"><HTML/></xsl:template></xsl:stylesheet>",
            head + "<xsl:variable name=\"GroupString\" select=\"0\"/><xsl:template match=\"/\"><HTML><TD id=\"intotal\"/>"
                   "<TD id=\"outtotal\"/></HTML></xsl:template></xsl:stylesheet>",
            head + "<xsl:variable name=\"GroupString\" select=\"0\"/><xsl:template match=\"/\">text only</xsl:template></xsl:stylesheet>",
        };
        for (const QByteArray& text : templates) {
            QVERIFY(report.reportTemplate().loadText(text));
            error = Error();
            QVERIFY(!report.build(book, QDate(2012, 1, 1), QDate(2012, 2, 1), SummarySubject::allAccounts(), &result, &error));
            QVERIFY(error.isSet());
            QCOMPARE(result.caption, QStringLiteral("Period Summary - All Accounts"));
        }
    }

    void qbtoolWritesTheWindowsPage_data()
    {
        QTest::addColumn<QString>("args"); // separated by "|", after the year 2013
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QList<int>>("codes"); // the rows expected; -1: every account
        QTest::newRow("all accounts") << "" << 0 << QList<int>{-1};
        QTest::newRow("group") << "--group|Car costs" << 0 << QList<int>{6, 7};
        QTest::newRow("account") << "--account|9" << 0 << QList<int>{9};
        QTest::newRow("both") << "--account|9|--group|Home" << 2 << QList<int>{};
        QTest::newRow("no such group") << "--group|home" << 2 << QList<int>{};
        QTest::newRow("no such account") << "--account|99" << 2 << QList<int>{};
        QTest::newRow("no to date") << "--to|2013-02-30" << 2 << QList<int>{};
    }

    void qbtoolWritesTheWindowsPage()
    {
        QFETCH(QString, args);
        QFETCH(int, exitCode);
        QFETCH(QList<int>, codes);
        test::TempEnv env;
        const QString file = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(file, handMade.xml()));
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
                u"report|%1|summary|--from|20130101|--to|2013-12-31"_s.arg(file).split(QLatin1Char('|'))
                    + (args.isEmpty() ? QStringList() : args.split(QLatin1Char('|'))));
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), exitCode);
        if (exitCode != 0)
            return;
        QString page = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY(page.startsWith(ReportStyleHead()));
        page.remove(0, ReportStyleHead().size()).prepend(QStringLiteral("<HTML>"));
        XmlDocument doc;
        QVERIFY(doc.loadXml(page));
        const auto rows = codes == QList<int>{-1} ? handMade.rows(20130101, 20131231)
                                                  : handMade.rows(20130101, 20131231, codes);
        QCOMPARE(test::summaryPageRows(doc), test::summaryRowsText(rows));
        qint64 in = 0;
        for (const auto& r : rows)
            in += r.in;
        QCOMPARE(cell(doc, "intotal"), test::SummaryTestBook::centsText(in));
    }

    void sumColAddsOneColumn_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("counted");
        // The nested cell "in out Amount" 0.05 belongs to all three columns.
        QTest::newRow("in") << "'in'" << "1258.05"
                            << QStringList{u"1250.5"_s, u"0.20"_s, u"7"_s, u"0.3"_s, u"0.05"_s};
        QTest::newRow("out") << "'out'" << "1300.3" << QStringList{u"0.10"_s, u"1300.15"_s, u"0.05"_s};
        QTest::newRow("Amount") << "'Amount'" << "2548"
                                << QStringList{u"1250.5"_s, u"0.10"_s, u"0.20"_s, u"1300.15"_s, u"-3"_s, u"0.05"_s};
        QTest::newRow("no such column") << "'Total'" << "0" << QStringList{};
    }

    void sumColAddsOneColumn()
    {
        QFETCH(QString, column);
        QFETCH(QString, total);
        QFETCH(QStringList, counted);
        // Words of the class count, not parts of words; grouped, empty and
        // padded figures: only the plain decimals are added.
        const XmlDocument page = pageOfCells({
            {u"Amount in"_s, u"1250.5"_s}, {u"Amount out"_s, u"0.10"_s}, {u"Amount in"_s, u"0.20"_s},
            {u"  out   Amount "_s, u"1300.15"_s}, {u"Amount"_s, u"-3"_s}, {u"input"_s, u"999"_s}, {u"inout"_s, u"5"_s},
            {u"in"_s, u"1,000.00"_s}, {u"in"_s, u""_s}, {u"in"_s, u" 7 "_s}, {u"in"_s, u"0.3"_s}, {u"Amount"_s, u"12.5 CR"_s},
        });
                QVERIFY(!page.isNull());

        ReportTemplate sumCol;
        QVERIFY(sumCol.load(QStringLiteral("sumCol")));
        // The column goes into the second attribute of the root's second child.
        QVERIFY(sumCol.setChildAttribute(1, 1, column));
        const QStringList lines = sumCol.TransformNode(page.documentElement()).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), total);
        QCOMPARE(lines.mid(1), counted);
    }

    void leadingNumberOfASumText()
    {
        // What a column sum gives when its output lists no figures; no number: nothing (0).
        const std::pair<const char*, qint64> cases[] = {{"12.5 abc", 125000}, {"  -3", -30000}, {".5x", 5000},
                                                         {"1e5", 10000}, {"2.00005", 20001}, {"abc", -1}, {"", -1}};
        for (const auto& [text, units] : cases) {
            const std::optional<Money> value = ColumnSum::LeadingNumber(QString::fromLatin1(text));
            QCOMPARE(value ? value->units() : -1, units);
        }
    }

    void sumColTotalIsPlainDecimal()
    {
        // A thousand cents and large figures: no exponent, no float noise.
        QList<QPair<QString, QString>> cells;
        for (int i = 0; i < 1000; ++i)
            cells.append({QStringLiteral("in"), QStringLiteral("0.01")});
        cells.append({QStringLiteral("out"), QStringLiteral("98765432109.87")});
        cells.append({QStringLiteral("out"), QStringLiteral("1234567890.12")});
        const XmlDocument page = pageOfCells(cells);
        ReportTemplate sumCol;
        QVERIFY(sumCol.load(QStringLiteral("sumCol")));
        QVERIFY(sumCol.setChildAttribute(1, 1, QStringLiteral("'in'")));
        QCOMPARE(sumCol.TransformNode(page.documentElement()).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("10.05"));
        QVERIFY(sumCol.setChildAttribute(1, 1, QStringLiteral("'out'")));
        QCOMPARE(sumCol.TransformNode(page.documentElement()).section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("100000000000.04"));
    }
};

QTEST_GUILESS_MAIN(TstTransSummary)
#include "tst_transsummary.moc"
