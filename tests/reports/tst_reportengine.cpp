#include <QtTest>

#include "TestSupport.h"
#include "engine/ReportEngine.h"
#include "store/ClsAX.h"
#include "store/Utilities.h"

using namespace qb;
using namespace qb::test;

namespace {

XmlDocument sampleBook()
{
    XmlDocument doc;
    doc.loadXml(test::sampleBookXml());
    return doc;
}

// Writes text enciphered with the report key into the program's rpt folder.
bool installTemplate(const QString& name, const QByteArray& text)
{
    QByteArray bytes = text;
    ClsAX::EnDeCryptBytes(bytes, ReportKey());
    QFile file(ReportTemplatePath(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size();
}

} // namespace

class TstReportEngine : public QObject
{
    Q_OBJECT
private slots:
    void shortDateOrder_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("shown"); // how 5 January 2013 is shown by the expression
        const QString dmy = QStringLiteral("05-01-2013");
        const QString mdy = QStringLiteral("01-05-2013");
        const QString ymd = QStringLiteral("2013-01-05");
        QTest::newRow("7/8/2002") << "7/8/2002"
                                  << "dd/mm/yyyy" << dmy;
        QTest::newRow("8/7/2002") << "8/7/2002"
                                  << "mm/dd/yyyy" << mdy;
        QTest::newRow("2002-08-07") << "2002-08-07"
                                    << "yyyy/mm/dd" << ymd;
        QTest::newRow("07.08.2002") << "07.08.2002"
                                    << "dd/mm/yyyy" << dmy;
        QTest::newRow("07-Aug-02") << "07-Aug-02"
                                   << "dd/mm/yyyy" << dmy;
        QTest::newRow("Aug 7, 2002") << "Aug 7, 2002"
                                     << "mm/dd/yyyy" << mdy;
        QTest::newRow("August 7, 2002") << "August 7, 2002"
                                        << "mm/dd/yyyy" << mdy;
        QTest::newRow("no separator") << "20020807"
                                      << "dd/mm/yyyy" << dmy;
        QTest::newRow("two parts") << "7/8"
                                   << "dd/mm/yyyy" << dmy;
        QTest::newRow("empty") << ""
                               << "dd/mm/yyyy" << dmy;
        // Unknown parts stay as they are; the expression falls back to day first.
        QTest::newRow("2002. 08. 07.") << "2002. 08. 07."
                                       << "yyyy/ 08/ 07" << dmy;
        QTest::newRow("aug lower case") << "aug/7/2002"
                                        << "aug/dd/yyyy" << dmy;
    }

    void shortDateOrder()
    {
        QFETCH(QString, sample);
        QFETCH(QString, order);
        QFETCH(QString, shown);
        QCOMPARE(ShortDateOrderOf(sample), order);
        const QString expression = DateDisplayExpressionFor(ShortDateOrderOf(sample));
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<t dt=\"20130105\"/>")));
        QCOMPARE(doc.documentElement().evaluate(expression), shown);
    }

    void expressionsAreExact()
    {
        QCOMPARE(DateDisplayExpressionFor(QStringLiteral("dd/mm/yyyy")),
            QStringLiteral(
                "concat(substring(@dt,7,2),'-',substring(@dt,5,2),'-',substring(@dt,1,4))"));
        QCOMPARE(DateDisplayExpressionFor(QStringLiteral("mm/dd/yyyy")),
            QStringLiteral(
                "concat(substring(@dt,5,2),'-',substring(@dt,7,2),'-',substring(@dt,1,4))"));
        QCOMPARE(DateDisplayExpressionFor(QStringLiteral("yyyy/mm/dd")),
            QStringLiteral(
                "concat(substring(@dt,1,4),'-',substring(@dt,5,2),'-',substring(@dt,7,2))"));
    }

    void localesGiveTheirOrder()
    {
        // The locale's own short format of 7 August 2002 decides.
        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QLocale de(QLocale::German, QLocale::Germany);
        const QLocale se(QLocale::Swedish, QLocale::Sweden);
        QCOMPARE(ShortDateOrder(us),
            ShortDateOrderOf(us.toString(QDate(2002, 8, 7), QLocale::ShortFormat)));
        QCOMPARE(ShortDateOrder(us), QStringLiteral("mm/dd/yyyy"));
        QCOMPARE(ShortDateOrder(de), QStringLiteral("dd/mm/yyyy"));
        QCOMPARE(ShortDateOrder(se), QStringLiteral("yyyy/mm/dd"));
        QCOMPARE(DateDisplayExpression(se), DateDisplayExpressionFor(QStringLiteral("yyyy/mm/dd")));
    }

    void styleSheetIsTheSixteenRulesKept()
    {
        const QString sheet = ReportStyleSheet();
        QVERIFY(sheet.startsWith(
            QStringLiteral("body{background-color: #E5E5E5;}.reporttitle {font-family:")));
        QVERIFY(sheet.endsWith(
            QStringLiteral(".GrandTotalAmount {border-top:1 solid black; border-bottom:1 solid "
                           "black;font-weight:bold;padding-right:1mm; }")));
        QVERIFY(sheet.contains(
            QStringLiteral("a:visited { color : #006699}a:link {color : #006699;}")));
        QCOMPARE(sheet.count(QLatin1Char('}')), 16);
        QVERIFY(ReportStyleSheet().isSharedWith(sheet));
    }

    void styleHeadOnlyForUpperCaseTag()
    {
        const QString head = QStringLiteral("<HTML><HEAD><style type=\"text/css\">")
            + ReportStyleSheet() + QStringLiteral("</style></HEAD>");
        QString page = QStringLiteral("<HTML><BODY>a</BODY></HTML><HTML>b");
        AddStyleHead(page);
        QCOMPARE(page, head + QStringLiteral("<BODY>a</BODY></HTML>") + head + QStringLiteral("b"));

        for (const QString& tag :
            {QStringLiteral("<html>"), QStringLiteral("<Html>"), QStringLiteral("<HTML >")}) {
            QString lower = tag + QStringLiteral("<body>x</body>");
            const QString before = lower;
            AddStyleHead(lower);
            QCOMPARE(lower, before);
        }
    }

    void onlyTheFirstTitleIsReplaced()
    {
        QString page = QStringLiteral("<B>[*[REPORTTILE]*]</B> and [*[REPORTTILE]*]");
        QVERIFY(ReplaceReportTitle(page, QStringLiteral("Ledger")));
        QCOMPARE(page, QStringLiteral("<B>Ledger</B> and [*[REPORTTILE]*]"));

        QString other = QStringLiteral("[*[reporttile]*]");
        QVERIFY(!ReplaceReportTitle(other, QStringLiteral("x")));
        QCOMPARE(other, QStringLiteral("[*[reporttile]*]"));

        QCOMPARE(PlaceholderPage(QStringLiteral("Pick one.")),
            QStringLiteral("<HTML><BODY><Center><div class='reporttitle'>Pick "
                           "one.</div></Center></BODY></HTML>"));
    }

    void pipelineSetsVariablesAndPlaceholders()
    {
        RecordingPrompt prompt;
        ReportTemplate report;
        Error error;
        QVERIFY2(report.load(QStringLiteral("Pipeline"), &error), qPrintable(error.description));
        QCOMPARE(report.name(), QStringLiteral("Pipeline"));
        // Whitespace was dropped: the second child of the root is the FromDate variable.
        QVERIFY(report.setChildAttribute(1, 1, QStringLiteral("20130101")));
        QCOMPARE(report.variable(QStringLiteral("FromDate")), QStringLiteral("20130101"));
        QVERIFY(report.setVariable(QStringLiteral("ToDate"), QStringLiteral("20130131")));
        QVERIFY(report.setVariable(QStringLiteral("AcCode"), QStringLiteral("1")));
        QVERIFY(report.setVariable(
            QStringLiteral("Label"), XPathLiteral(QStringLiteral("Sales:Team"))));
        QVERIFY(report.setDateFormat(DateDisplayExpressionFor(QStringLiteral("yyyy/mm/dd"))));

        const XmlDocument book = sampleBook();
        QString page = report.TransformNode(book.documentElement());
        QCOMPARE(prompt.count(), 0);
        QVERIFY(ReplaceReportTitle(page, QStringLiteral("Cash in January")));
        AddStyleHead(page);

        XmlDocument shown;
        QVERIFY(shown.loadXml(page));
        QCOMPARE(
            shown.evaluate(QStringLiteral("string(//DIV)")), QStringLiteral("Cash in January"));
        QCOMPARE(shown.evaluate(QStringLiteral("string(/HTML/HEAD/style)")), ReportStyleSheet());
        // Cash (1) moves on 10 January twice; February is outside the range.
        const QList<XmlNode> rows = shown.selectNodes(QStringLiteral("//TR"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).attribute(QStringLiteral("id")), QStringLiteral("id201301101"));
        QCOMPARE(
            rows.at(1).evaluate(QStringLiteral("string(TD[1]/A)")), QStringLiteral("2013-01-10"));
        QCOMPARE(rows.at(1).evaluate(QStringLiteral("string(TD[1]/A/@href)")),
            QStringLiteral("[*[date]*]20130110"));
        QCOMPARE(shown.evaluate(QStringLiteral("string(//P)")), QStringLiteral("Sales:Team"));

        // The same template to a result document, and a date format by position.
        ReportTemplate again;
        QVERIFY(again.load(QStringLiteral("Pipeline")));
        QVERIFY(again.setVariable(QStringLiteral("FromDate"), QStringLiteral("20130101")));
        QVERIFY(again.setVariable(QStringLiteral("ToDate"), QStringLiteral("20131231")));
        QVERIFY(again.setVariable(QStringLiteral("AcCode"), QStringLiteral("4")));
        QVERIFY(again.setDateFormatAt(0, DateDisplayExpressionFor(QStringLiteral("dd/mm/yyyy"))));
        XmlDocument result;
        QVERIFY(again.transformToDocument(book.documentElement(), &result, &error));
        QCOMPARE(result.selectNodes(QStringLiteral("//TR")).size(), 2);
        QCOMPARE(
            result.evaluate(QStringLiteral("string(//TR[2]/TD[1])")), QStringLiteral("01-02-2013"));
        QCOMPARE(
            result.evaluate(QStringLiteral("sum(//TD[@class='Amount'])")), QStringLiteral("57.75"));
    }

    void missingElementsAreReported()
    {
        ReportTemplate report;
        QVERIFY(report.load(QStringLiteral("Pipeline")));
        Error error;
        QVERIFY(!report.setVariable(QStringLiteral("GroupString"), QStringLiteral("0"), &error));
        QVERIFY(error.description.contains(QStringLiteral("GroupString")));
        QVERIFY(report.setDateFormat(QStringLiteral("@dt")));
        QVERIFY(!report.setDateFormat(QStringLiteral("@dt"))); // already replaced
        QVERIFY(!report.setChildAttribute(40, 1, QStringLiteral("x")));
        QVERIFY(!report.setChildAttribute(1, 5, QStringLiteral("x")));
        QVERIFY(!report.setAttributeOfMatch(
            QStringLiteral("//xsl:apply-templates"), 1, 0, QStringLiteral("t")));
        QVERIFY(report.setDateFormatAt(3, QStringLiteral("@dt")));
        QVERIFY(!report.setDateFormatAt(4, QStringLiteral("@dt")));
        QVERIFY(report.variable(QStringLiteral("GroupString")).isEmpty());
    }

    void loadFailuresReachTheCaller()
    {
        Error error;
        QVERIFY(LoadReportTemplate(QStringLiteral("No such template"), &error).isEmpty());
        QCOMPARE(error.number, 53);
        QVERIFY(error.description.contains(QStringLiteral("No such template.rpt")));

        ReportTemplate report;
        QVERIFY(report.load(QStringLiteral("Pipeline")));
        error = {};
        QVERIFY(!report.load(QStringLiteral("No such template"), &error));
        QVERIFY(!report.isLoaded());
        QVERIFY(error.isSet());

        // A folder where the file should be cannot be read.
        const QString folder = ReportTemplatePath(QStringLiteral("AFolder"));
        QVERIFY(QDir().mkpath(folder));
        error = {};
        QVERIFY(LoadReportTemplateFile(folder, &error).isEmpty());
        QVERIFY(error.isSet());
        QDir(folder).removeRecursively();

        // Text that deciphers to something that is not XML leaves the document empty.
        QVERIFY(installTemplate(QStringLiteral("Broken"), QByteArray("<xsl:stylesheet><oops")));
        error = {};
        QVERIFY(!report.load(QStringLiteral("Broken"), &error));
        QVERIFY(error.isSet());
        QVERIFY(!report.isLoaded());
        QVERIFY(!report.setVariable(QStringLiteral("FromDate"), QStringLiteral("1")));
        QFile::remove(ReportTemplatePath(QStringLiteral("Broken")));
    }

    void transformFailureIsShownAndGivesEmptyText()
    {
        RecordingPrompt prompt;
        ReportTemplate report;
        QVERIFY(report.loadText(QByteArray("<notastylesheet><x/></notastylesheet>")));
        const XmlDocument book = sampleBook();
        QCOMPARE(report.TransformNode(book.documentElement()), QString());
        QCOMPARE(prompt.count(), 1);
        const Message m = prompt.last();
        QCOMPARE(m.title, AppTitle());
        QCOMPARE(m.buttons, MsgButtons::Ok);
        static const QRegularExpression shape(QStringLiteral(
            "^Error -?\\d+ \\(.+\\) in procedure TransformNode of Module modPublicFunctions0$"));
        QVERIFY2(shape.match(m.text).hasMatch(), qPrintable(m.text));

        // An XPath error inside a good style sheet fails at run time.
        ReportTemplate bad;
        QVERIFY(bad.load(QStringLiteral("Pipeline")));
        QVERIFY(bad.setVariable(QStringLiteral("ToDate"), QStringLiteral("20131231")));
        QVERIFY(bad.setVariable(QStringLiteral("AcCode"), QStringLiteral("1")));
        QVERIFY(bad.setDateFormat(QStringLiteral("concat(")));
        QCOMPARE(bad.TransformNode(book.documentElement()), QString());
        QCOMPARE(prompt.count(), 2);
        QVERIFY(prompt.last().text.endsWith(
            QStringLiteral(" in procedure TransformNode of Module modPublicFunctions0")));
    }

    void installedTemplatesLoadAndRun()
    {
        const QDir rpt(QStringLiteral(QB_BIN_DIR "/rpt"));
        const QStringList files = rpt.entryList({QStringLiteral("*.rpt")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        const XmlDocument book = sampleBook();
        for (const QString& file : files) {
            Error error;
            const QByteArray text = LoadReportTemplateFile(rpt.filePath(file), &error);
            QVERIFY2(!error.isSet(), qPrintable(file));
            ReportTemplate report;
            QVERIFY2(report.loadText(text, &error),
                qPrintable(file + QLatin1Char(' ') + error.description));
            // The placeholder stands for an expression; any expression will do here.
            report.setDateFormat(QStringLiteral("@dt"));
            QString out;
            QVERIFY2(report.transformToText(book.documentElement(), &out, &error),
                qPrintable(file + QLatin1Char(' ') + error.description));
        }
    }
};

QTEST_GUILESS_MAIN(TstReportEngine)
#include "tst_reportengine.moc"
