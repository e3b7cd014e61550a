// Reading statements: the three formats as banks write them, the CSV
// mapping guessed from the content, and every kind of bad input.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "import/Statement.h"

using namespace qb;

Q_DECLARE_METATYPE(qb::StatementFormat)

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

// "date amount narration id" per line, amounts in the document's form.
QStringList describe(const Statement& s)
{
    QStringList out;
    for (const StatementLine& l : s.lines) {
        if (!l.error.isEmpty()) {
            out << QStringLiteral("line %1 error: %2").arg(l.sourceLine).arg(l.error);
            continue;
        }
        QString text = l.payee;
        if (!l.memo.isEmpty())
            text += QStringLiteral(" / ") + l.memo;
        out << QStringLiteral("line %1 %2 %3 %4 %5")
                   .arg(l.sourceLine)
                   .arg(l.date.toString(Qt::ISODate), l.amount.toText(), text, l.id);
    }
    return out;
}

const QByteArray kOfxSgml
    = "OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\nSECURITY:NONE\r\nENCODING:USASCII\r\n"
      "CHARSET:1252\r\nCOMPRESSION:NONE\r\nOLDFILEUID:NONE\r\nNEWFILEUID:NONE\r\n\r\n"
      "<OFX>\r\n<SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS>"
      "<DTSERVER>20130301<LANGUAGE>ENG</SONRS></SIGNONMSGSRSV1>\r\n"
      "<BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS><CODE>0<SEVERITY>INFO</STATUS>\r\n"
      "<STMTRS><CURDEF>USD<BANKACCTFROM><BANKID>121000248<ACCTID>12345678<ACCTTYPE>CHECKING</"
      "BANKACCTFROM>\r\n"
      "<BANKTRANLIST><DTSTART>20130101<DTEND>20130228\r\n"
      "<STMTTRN>\r\n<TRNTYPE>CREDIT\r\n<DTPOSTED>20130105120000[-5:EST]\r\n<TRNAMT>2500.00\r\n"
      "<FITID>A-1001\r\n<NAME>Employer &amp; Sons\r\n<MEMO>January pay\r\n</STMTTRN>\r\n"
      "<STMTTRN>\r\n<TRNTYPE>DEBIT\r\n<DTPOSTED>20130131\r\n<TRNAMT>-8388617.45\r\n"
      "<FITID>A-1002\r\n<NAME>Big purchase\r\n</STMTTRN>\r\n"
      "</BANKTRANLIST><LEDGERBAL><BALAMT>0<DTASOF>20130228</LEDGERBAL></STMTRS></STMTTRNRS></"
      "BANKMSGSRSV1>\r\n"
      "</OFX>\r\n";

const QByteArray kOfxXml
    = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
      "<?OFX OFXHEADER=\"200\" VERSION=\"211\" SECURITY=\"NONE\" OLDFILEUID=\"NONE\" "
      "NEWFILEUID=\"NONE\"?>\n"
      "<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0</CODE><SEVERITY>INFO</SEVERITY></STATUS>"
      "<DTSERVER>20130301</DTSERVER><LANGUAGE>ENG</LANGUAGE></SONRS></SIGNONMSGSRSV1>\n"
      "<CREDITCARDMSGSRSV1><CCSTMTTRNRS><TRNUID>1</TRNUID><STATUS><CODE>0</CODE><SEVERITY>INFO</"
      "SEVERITY></STATUS>\n"
      "<CCSTMTRS><CURDEF>EUR</CURDEF><CCACCTFROM><ACCTID>4111222233334444</ACCTID></CCACCTFROM>\n"
      "<BANKTRANLIST><DTSTART>20130201</DTSTART><DTEND>20130228</DTEND>\n"
      "<STMTTRN><TRNTYPE>DEBIT</TRNTYPE><DTPOSTED>20130228235959.000[+1:CET]</DTPOSTED>"
      "<TRNAMT>-45.99</TRNAMT><FITID>CC-77</FITID><NAME>Café Nord</NAME></STMTTRN>\n"
      "<STMTTRN><TRNTYPE>CREDIT</TRNTYPE><DTPOSTED>20130201</DTPOSTED>"
      "<TRNAMT>0.01</TRNAMT><FITID>CC-78</FITID><NAME>Refund</NAME><MEMO>rounding</MEMO></"
      "STMTTRN>\n"
      "</BANKTRANLIST></CCSTMTRS></CCSTMTTRNRS></CREDITCARDMSGSRSV1></OFX>\n";

} // namespace

class tst_Statement : public QObject
{
    Q_OBJECT

private slots:
    void formatsAreToldFromContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<StatementFormat>("format");
        QTest::newRow("ofx 1 sgml") << kOfxSgml << StatementFormat::Ofx;
        QTest::newRow("ofx 2 xml") << kOfxXml << StatementFormat::Ofx;
        QTest::newRow("qif") << QByteArray("!Type:Bank\nD1/5/2013\nT1\n^\n")
                             << StatementFormat::Qif;
        QTest::newRow("qif after option")
            << QByteArray("!Option:AutoSwitch\n!Type:CCard\n") << StatementFormat::Qif;
        QTest::newRow("ofx header inside a comment")
            << QByteArray("<!-- OFXHEADER:100\nDATA:OFXSGML -->\n<OFX>\n</OFX>\n")
            << StatementFormat::Ofx;
        QTest::newRow("qif opening with an account")
            << QByteArray("!Account\nNChecking\n^\n") << StatementFormat::Qif;
        QTest::newRow("qif after comments, cr line ends")
            << QByteArray("### exported\r### today\r!Clear:AutoSwitch\r") << StatementFormat::Qif;
        QTest::newRow("csv with ofx extension content")
            << QByteArray("Date,OFX\n") << StatementFormat::Csv;
        QTest::newRow("bom csv") << QByteArray("\xEF\xBB\xBF"
                                               "a;b\n")
                                 << StatementFormat::Csv;
    }
    void formatsAreToldFromContent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(StatementFormat, format);
        QCOMPARE(DetectStatementFormat(bytes), format);
    }

    // Each layout is read with the mapping guessed from its content; the
    // guess itself is checked too.
    void statementsReadExactly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("mapping"); // the guessed CSV mapping, or empty
        QTest::addColumn<QString>("bankAccount");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("ofx 1.x checking")
            << kOfxSgml << QString() << QStringLiteral("12345678")
            << QStringList {
                   QStringLiteral("line 16 2013-01-05 2500 Employer & Sons / January pay A-1001"),
                   QStringLiteral("line 24 2013-01-31 -8388617.45 Big purchase A-1002")};
        QTest::newRow("ofx 2.x credit card")
            << kOfxXml << QString() << QStringLiteral("4111222233334444")
            << QStringList {QStringLiteral("line 7 2013-02-28 -45.99 Café Nord CC-77"),
                   QStringLiteral("line 8 2013-02-01 0.01 Refund / rounding CC-78")};
        QTest::newRow("csv comma, point, signed amount")
            << QByteArray("Date,Description,Amount,Balance\n"
                          "2013-01-05,January pay,2500.00,2600.00\n"
                          "2013-01-08,COFFEE SHOP 1234,-3.50,2596.50\n"
                          "2013-02-28,Rent,\"-1,200.00\",1396.50\n")
            << QStringLiteral("sep=,|quote=\"|header=1|date=1|order=ymd|amount=3|out=0|in=0|comma="
                              "0|text=2|ref=0|skip=0|dir=0|dirout=|dirin=|reverse=0")
            << QString()
            << QStringList {QStringLiteral("line 2 2013-01-05 2500 January pay "),
                   QStringLiteral("line 3 2013-01-08 -3.5 COFFEE SHOP 1234 "),
                   QStringLiteral("line 4 2013-02-28 -1200 Rent ")};
        QTest::newRow("csv semicolon, decimal comma, dd.mm.yyyy, out and in")
            << QByteArray("Buchungstag;Text;Soll;Haben\r\n"
                          "05.01.2013;Lohn Januar;;2.500,00\r\n"
                          "10.01.2013;Geldautomat 0042;300,00;\r\n"
                          "28.02.2013;Miete;1.234.567,89;\r\n")
            << QStringLiteral("sep=;|quote=\"|header=1|date=1|order=dmy|amount=0|out=3|in=4|comma="
                              "1|text=2|ref=0|skip=0|dir=0|dirout=|dirin=|reverse=0")
            << QString()
            << QStringList {QStringLiteral("line 2 2013-01-05 2500 Lohn Januar "),
                   QStringLiteral("line 3 2013-01-10 -300 Geldautomat 0042 "),
                   QStringLiteral("line 4 2013-02-28 -1234567.89 Miete ")};
        QTest::newRow("csv quoted fields with commas and line breaks")
            << QByteArray("\"Posted\",\"Payee\",\"Memo\",\"Amount\"\n"
                          "\"01/31/2013\",\"Smith, John\",\"rent for\nJanuary\",\"-750.25\"\n"
                          "\"02/01/2013\",\"Shop \"\"Best\"\"\",\"\",\"-10\"\n")
            << QStringLiteral("sep=,|quote=\"|header=1|date=1|order=mdy|amount=4|out=0|in=0|comma="
                              "0|text=2,3|ref=0|skip=0|dir=0|dirout=|dirin=|reverse=0")
            << QString()
            << QStringList {
                   QStringLiteral("line 2 2013-01-31 -750.25 Smith, John / rent for January "),
                   QStringLiteral("line 4 2013-02-01 -10 Shop \"Best\" ")};
        QTest::newRow("qif bank") << QByteArray(
            "!Type:Bank\nD01/05/2013\nT2,500.00\nPEmployer Inc\nMJanuary pay\nLSalary\n^\n"
            "D1/10'13\nT-300.00\nPATM 0042\n^\nD 2/28/2013\nU-0.05\nPFee\n^\n")
                                  << QString() << QString()
                                  << QStringList {
                                         QStringLiteral(
                                             "line 2 2013-01-05 2500 Employer Inc / January pay "),
                                         QStringLiteral("line 8 2013-01-10 -300 ATM 0042 "),
                                         QStringLiteral("line 12 2013-02-28 -0.05 Fee ")};
        QTest::newRow("qif day-month and decimal comma, investments skipped")
            << QByteArray(
                   "!Type:Invst\nD1/2/2013\nT5\n^\n!Type:Bank\nD31/01/2013\nT-12,50\nPBakery\n^\n")
            << QString() << QString()
            << QStringList {QStringLiteral("line 6 2013-01-31 -12.5 Bakery ")};
        QTest::newRow("qif split parts that do not add up")
            << QByteArray("!Type:Bank\nD1/2/2013\nT-10\nSFood\n$-7.5\nSCash\n$-2.49\n^\n")
            << QString() << QString()
            << QStringList {
                   S("line 4 error: the split parts add up to -9.99, the transaction to -10"),
                   S("line 6 error: the split parts add up to -9.99, the transaction to -10")};
        QTest::newRow("lines in error stay lines")
            << QByteArray("Date,Text,Amount\n2013-01-03,Fine,-1.2345\n2013-02-29,Not a day,-1\n"
                          "1899-12-31,Too early,-1\n2013-01-01,Nothing,0.00\n2013-01-02,Word,abc\n"
                          "2013-01-04,Two,-2\n2013-01-05,Three,-3\n2013-01-06,Four,-4\n")
            << QStringLiteral("sep=,|quote=\"|header=1|date=1|order=ymd|amount=3|out=0|in=0|comma="
                              "0|text=2|ref=0|skip=0|dir=0|dirout=|dirin=|reverse=0")
            << QString()
            << QStringList {QStringLiteral("line 2 2013-01-03 -1.23 Fine "),
                   QStringLiteral("line 3 error: the date \"2013-02-29\" is not a date"),
                   QStringLiteral("line 4 error: the date \"1899-12-31\" is not a date"),
                   QStringLiteral("line 5 error: zero amount"),
                   QStringLiteral("line 6 error: the amount \"abc\" is not a number"),
                   QStringLiteral("line 7 2013-01-04 -2 Two "),
                   QStringLiteral("line 8 2013-01-05 -3 Three "),
                   QStringLiteral("line 9 2013-01-06 -4 Four ")};
    }
    void statementsReadExactly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, mapping);
        QFETCH(QString, bankAccount);
        QFETCH(QStringList, lines);
        CsvMapping guessed;
        if (!mapping.isEmpty()) {
            QString ambiguity;
            guessed = GuessCsvMapping(bytes, &ambiguity);
            QCOMPARE(ambiguity, QString());
            QCOMPARE(guessed.toText().replace(QLatin1Char('\x1f'), QLatin1Char('|')), mapping);
            // The profile text reads back as the same mapping.
            QCOMPARE(CsvMapping::fromText(guessed.toText())->toText(), guessed.toText());
        }
        Statement s;
        StatementError error;
        QVERIFY2(ReadStatement(bytes, std::nullopt, guessed, &s, &error), qPrintable(error.text()));
        QCOMPARE(s.bankAccountId, bankAccount);
        QCOMPARE(describe(s), lines);
    }

    // Two-digit years lie within 80 years before today and 20 after;
    // Quicken's apostrophe years are 2000 and later.
    void qifYears_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("expected"); // ISO, or the line's error
        const QDate today(2026, 12, 8);
        QTest::newRow("nineteen ahead") << S("1/5/45") << today << S("2045-01-05");
        QTest::newRow("one more is the last century") << S("1/5/46") << today << S("1946-01-05");
        QTest::newRow("late in a century: eighty back")
            << S("1/5/10") << QDate(2090, 6, 1) << S("2010-01-05");
        QTest::newRow("late in a century: the next one")
            << S("1/5/09") << QDate(2090, 6, 1) << S("2109-01-05");
        QTest::newRow("quicken year 2000") << S("12/31' 0") << today << S("2000-12-31");
        QTest::newRow("leap day") << S("2/29/24") << today << S("2024-02-29");
        // A date that reads both ways is month first, as QIF writes it.
        QTest::newRow("either way: month first") << S("01/05/2024") << today << S("2024-01-05");
        QTest::newRow("either way, two digits") << S("12/11/24") << today << S("2024-12-11");
        QTest::newRow("no leap day")
            << S("2/29/23") << today << S("the date \"2/29/23\" is not a date");
    }
    void qifYears()
    {
        QFETCH(QString, date);
        QFETCH(QDate, today);
        QFETCH(QString, expected);
        Statement s;
        StatementError error;
        QVERIFY(
            ReadQifStatement("!Type:Bank\nD" + date.toUtf8() + "\nT-1\n^\n", &s, &error, today));
        const StatementLine& line = s.lines.first();
        QCOMPARE(line.error.isEmpty() ? line.date.toString(Qt::ISODate) : line.error, expected);
    }

    // The copies of a statement handed to libofx are removed after reading,
    // and so are those a stopped process left behind.
    void statementCopiesAreRemoved()
    {
        QProcess ended;
        ended.start(QStringLiteral("true"), {});
        QVERIFY(ended.waitForFinished());
        const QString left = QDir::tempPath() + QStringLiteral("/qb-statement-")
            + QString::number(ended.processId() ? ended.processId() : 999999999);
        QVERIFY(QDir().mkpath(left));
        QFile stale(left + QStringLiteral("/libofxtmpABCDEF"));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(kOfxSgml);
        stale.close();
        Statement s;
        StatementError error;
        QVERIFY2(ReadOfxStatement(kOfxSgml, &s, &error), qPrintable(error.text()));
        QVERIFY(!QFileInfo::exists(left));
        QVERIFY(!QFileInfo::exists(QDir::tempPath() + QStringLiteral("/qb-statement-")
            + QString::number(QCoreApplication::applicationPid())));
    }

    void ambiguousDateOrderIsAsked()
    {
        const QByteArray csv("01/02/2013,Tea,-2\n03/04/2013,Tea,-2\n");
        QString ambiguity;
        CsvMapping m = GuessCsvMapping(csv, &ambiguity);
        QCOMPARE(ambiguity, QStringLiteral("the date order (every date reads as dmy and mdy)"));
        QVERIFY(!m.dateOrder);
        Statement s;
        StatementError error;
        QVERIFY(!ReadCsvStatement(csv, m, &s, &error));
        QCOMPARE(error.text(), QStringLiteral("the date order is not chosen"));
        m.dateOrder = DateOrder::DayMonthYear;
        QVERIFY(ReadCsvStatement(csv, m, &s, &error));
        QCOMPARE(s.lines.at(1).date, QDate(2013, 4, 3));
        m.dateOrder = DateOrder::MonthDayYear;
        QVERIFY(ReadCsvStatement(csv, m, &s, &error));
        QCOMPARE(s.lines.at(1).date, QDate(2013, 3, 4));
    }

    void amountsAsBanksWriteThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("grouped point") << S("1,234,567.89") << false << S("1234567.89");
        QTest::newRow("grouped comma") << S("-1.234.567,89") << true << S("-1234567.89");
        QTest::newRow("blanks group") << S("12 345,6") << true << S("12345.6");
        QTest::newRow("parentheses") << S("(12.50)") << false << S("-12.5");
        QTest::newRow("minus behind") << S("12.50-") << false << S("-12.5");
        QTest::newRow("plus") << S("+0.5") << false << S("0.5");
        QTest::newRow("bare fraction") << S(".75") << false << S("0.75");
        QTest::newRow("four decimals") << S("0.0001") << false << S("0.0001");
        QTest::newRow("five decimals cut") << S("0.00019") << false << S("0.0001");
        QTest::newRow("zeros past four") << S("3.500000") << false << S("3.5");
        QTest::newRow("letters") << S("12a") << false << S("");
        QTest::newRow("empty") << S("") << false << S("");
        QTest::newRow("double trap") << S("8388617.45") << false << S("8388617.45");
        QTest::newRow("dollar") << S("$3520.00") << false << S("3520");
        QTest::newRow("minus dollar") << S("-$76.00") << false << S("-76");
        QTest::newRow("dollar in parentheses") << S("($85.00)") << false << S("-85");
        QTest::newRow("pound") << S("£20.00") << false << S("20");
        QTest::newRow("plus blank dollar") << S("+ $73.01") << false << S("73.01");
        QTest::newRow("euro behind") << S("1.234,50 €") << true << S("1234.5");
        QTest::newRow("code in front") << S("EUR -5.00") << false << S("-5");
        QTest::newRow("code joined to digits is no amount") << S("INV001") << false << S("");
        QTest::newRow("US dollar sign") << S("US$ 7.25") << false << S("7.25");
        QTest::newRow("debit mark") << S("12.50 DR") << false << S("-12.5");
        QTest::newRow("two signs refused") << S("-(5.00)") << false << S("");
        QTest::newRow("fifteen digits")
            << S("922337203685477.5807") << false << S("922337203685477.5807");
        QTest::newRow("sixteen digits refused") << S("1234567890123456") << false << S("");
    }
    void amountsAsBanksWriteThem()
    {
        QFETCH(QString, text);
        QFETCH(bool, comma);
        QFETCH(QString, expected);
        const std::optional<Money> m = ParseStatementAmount(text, comma);
        QCOMPARE(m ? m->toText() : QString(), expected);
    }

    // Dates as banks write them; two-digit years slide with "today" (80
    // years back, 19 ahead), the same window the QIF reader uses.
    void datesAsBanksWriteThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("expected"); // empty: no date
        const QDate now(2026, 12, 8);
        QTest::newRow("dd.mm.yy") << S("28.03.18") << S("dmy") << now << S("2018-03-28");
        QTest::newRow("19 ahead is this century")
            << S("01/02/45") << S("mdy") << now << S("2045-01-02");
        QTest::newRow("20 ahead is the last one")
            << S("01/02/46") << S("mdy") << now << S("1946-01-02");
        QTest::newRow("window moves with today")
            << S("01/02/46") << S("mdy") << QDate(2027, 1, 1) << S("2046-01-02");
        QTest::newRow("leap day of 2000") << S("29.02.00") << S("dmy") << now << S("2000-02-29");
        QTest::newRow("no leap day in 2001") << S("29.02.01") << S("dmy") << now << S("");
        QTest::newRow("month name") << S("07 Nov 2013") << S("mdy") << now << S("2013-11-07");
        QTest::newRow("month name, short year")
            << S("10-Nov-09") << S("ymd") << now << S("2009-11-10");
        QTest::newRow("month first") << S("Nov 7, 2013") << S("dmy") << now << S("2013-11-07");
        QTest::newRow("german month") << S("1. März 2020") << S("dmy") << now << S("2020-03-01");
        QTest::newRow("year first with name")
            << S("2013-Dec-31") << S("dmy") << now << S("2013-12-31");
        QTest::newRow("time after T")
            << S("2026-01-05T10:22:00") << S("ymd") << now << S("2026-01-05");
        QTest::newRow("text after") << S("05.01.2026 abc") << S("dmy") << now << S("");
        QTest::newRow("mixed separators") << S("01/02-2013") << S("dmy") << now << S("");
        QTest::newRow("four parts") << S("10.0.0.1") << S("dmy") << now << S("");
        QTest::newRow("short year first refused") << S("18-03-28") << S("ymd") << now << S("");
        QTest::newRow("no month of that name") << S("07 Foo 2013") << S("dmy") << now << S("");
    }
    void datesAsBanksWriteThem()
    {
        QFETCH(QString, text);
        QFETCH(QString, order);
        QFETCH(QDate, today);
        QFETCH(QString, expected);
        QCOMPARE(ParseStatementDate(text, *DateOrderFromName(order), today).toString(Qt::ISODate),
            expected);
    }

    // The checks every reader's lines get: the cent, the range, the years, balances.
    void linesAreCheckedAlike_data()
    {
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("payee");
        QTest::addColumn<QString>("expected"); // amount|note|error|unchecked
        const QDate d(2020, 1, 31);
        QTest::newRow("cents kept") << S("-12.34") << d << S("Shop") << S("-12.34|||0");
        QTest::newRow("half rounds away")
            << S("-0.005") << d << S("Shop") << S("-0.01|rounded from -0.005||0");
        QTest::newRow("below half rounds down")
            << S("115.8349") << d << S("Fund") << S("115.83|rounded from 115.8349||0");
        QTest::newRow("less than a cent")
            << S("0.0049") << d << S("Fee") << S("0.0049||the amount 0.0049 is less than a cent|0");
        QTest::newRow("largest the entry window takes")
            << S("-999999999.99") << d << S("Big") << S("-999999999.99|||0");
        QTest::newRow("a cent more")
            << S("1000000000") << d << S("Big")
            << S("1000000000||the amount 1000000000.00 is larger than the largest the entry "
                 "window takes (999,999,999.99)|0");
        QTest::newRow("last day of 2999") << S("1") << QDate(2999, 12, 31) << S("x") << S("1|||0");
        QTest::newRow("first day of 3000")
            << S("1") << QDate(3000, 1, 1) << S("x") << S("1||the date 3000-01-01 is past 2999|0");
        QTest::newRow("saldo anterior")
            << S("1250") << d << S("Saldo Anterior")
            << S("1250|a balance, not a transaction: left unchecked||1");
        QTest::newRow("alter kontostand")
            << S("1250") << d << S("Alter Kontostand vom 01.01.2020")
            << S("1250|a balance, not a transaction: left unchecked||1");
        QTest::newRow("a payee that merely names a balance")
            << S("-5") << d << S("Balance Gym") << S("-5|||0");
    }
    void linesAreCheckedAlike()
    {
        QFETCH(QString, amount);
        QFETCH(QDate, date);
        QFETCH(QString, payee);
        QFETCH(QString, expected);
        Statement s;
        StatementLine line;
        line.amount = *Money::parse(amount);
        line.date = date;
        line.payee = payee;
        s.lines << line;
        FinishStatementLines(&s);
        const StatementLine& l = s.lines.first();
        QCOMPARE(QStringList({l.amount.toText(), l.note, l.error, QString::number(l.unchecked)})
                     .join(QLatin1Char('|')),
            expected);
    }

    // A statement over 50 MB is refused before it is read; 50 MB is read.
    void largeStatementsAreRefused()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(kMaxStatementBytes));
        file.close();
        QByteArray bytes;
        QString why;
        QVERIFY2(LoadStatementFile(path, &bytes, &why), qPrintable(why));
        QCOMPARE(bytes.size(), kMaxStatementBytes);
        bytes.clear();
        QVERIFY(file.resize(kMaxStatementBytes + 1));
        QVERIFY(!LoadStatementFile(path, &bytes, &why));
        QCOMPARE(why, S("is larger than 50 MB (50 MB): no bank statement is that large"));
        QVERIFY(bytes.isEmpty());
        QVERIFY(!LoadStatementFile(dir.path(), &bytes, &why));
        QCOMPARE(why, S("it is a folder"));
    }

    // Input that is no statement stops the reading with the line and the
    // reason; nothing is returned to import.
    void badInputNamesTheLine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QByteArray cut = kOfxSgml.left(kOfxSgml.indexOf("<FITID>A-1002"));
        QTest::newRow("ofx cut inside a transaction")
            << cut << S("line 24: the OFX statement is cut off inside this transaction");
        QTest::newRow("ofx without its end")
            << kOfxXml.left(kOfxXml.indexOf("</BANKTRANLIST>"))
            << S("line 9: the OFX statement is cut off (no </OFX> at its end)");
        QTest::newRow("ofx cut inside a tag")
            << kOfxXml.left(kOfxXml.indexOf("STMTTRN>") + 3)
            << S("line 7: the OFX statement is cut off inside a tag");
        QByteArray deep = "<OFX>\n";
        for (int i = 0; i < 8000; ++i)
            deep += "<BANKTRANLIST>";
        QTest::newRow("ofx nested 8,000 deep")
            << deep + "\n</OFX>\n"
            << S("line 2: the OFX nests aggregates more than 40 deep: this is no statement");
        QByteArray unknown = "<OFX><BANKTRANLIST>\n";
        for (int i = 0; i < 30000; ++i)
            unknown += "<BAR>x";
        QTest::newRow("ofx of 30,000 unknown elements")
            << unknown + "</BANKTRANLIST></OFX>\n"
            << S("line 2: an OFX aggregate holds more than 100 elements: this is no statement");
        QTest::newRow("ofx trade not closed")
            << QByteArray("<OFX><INVTRANLIST><BUYSTOCK><INVBUY>\n<SELLSTOCK></OFX>")
            << S("line 1: a BUYSTOCK is not closed before the next transaction");
        QTest::newRow("csv column missing")
            << QByteArray("Date,Text,Amount\n2013-01-01,a,1\n2013-01-02,b\n2013-01-03,c,3\n")
            << S("line 3: has 2 columns, the mapping needs 3");
        QTest::newRow("qif unknown date form")
            << QByteArray("!Type:Bank\nD01/05/2013\nT1\n^\nDJan 5 2013\nT2\n^\n")
            << "line 5: the date \"Jan 5 2013\" is in no form QIF dates take";
        QTest::newRow("qif cut off")
            << QByteArray("!Type:Bank\nD01/05/2013\nT1\n")
            << S("line 3: the last transaction does not end with ^ (the file is cut off)");
        QByteArray garbage(300000, 'x');
        for (int i = 0; i < garbage.size(); i += 7)
            garbage[i] = char((i * 131) % 256);
        QTest::newRow("garbage") << garbage
                                 << S("line 1: this is not a text file (it holds a zero byte)");
        QTest::newRow("empty") << QByteArray(" \n\r\n") << S("the statement is empty");
        QByteArray wide = "Date,Text,Amount\n2013-01-01,a,1\n";
        for (int i = 0; i < 2000; ++i)
            wide += "\"x\",";
        QTest::newRow("a row of garbage with thousands of columns")
            << wide << S("line 3: a row has more than 1000 columns: this is no statement");
        QTest::newRow("a field of garbage of megabytes")
            << QByteArray("Date,Text,Amount\n\"") + QByteArray(1500000, ';') + "\n\",1,2\n"
            << S("line 2: a field is longer than a million characters: this is no statement");
    }
    void badInputNamesTheLine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const CsvMapping mapping = GuessCsvMapping(bytes);
        Statement s;
        StatementError error;
        QVERIFY(!ReadStatement(bytes, std::nullopt, mapping, &s, &error));
        QCOMPARE(error.text(), message);
    }

    // Text in any amount: a 10,000-character narration and garbage without
    // zero bytes are read in linear time and never crash.
    void longAndOddTextIsRead()
    {
        QByteArray csv("2013-01-05,");
        csv += QByteArray(10000, 'y');
        csv += ",-1\n";
        QByteArray noise;
        for (int i = 0; i < 200000; ++i)
            noise += char(1 + (i * 7919) % 255);
        csv += noise;
        CsvMapping m;
        m.dateColumn = 0;
        m.dateOrder = DateOrder::YearMonthDay;
        m.textColumns = {1};
        m.amountColumn = 2;
        Statement s;
        StatementError error;
        const bool read = ReadCsvStatement(csv, m, &s, &error);
        QVERIFY(read || error.line > 1);
        if (read)
            QCOMPARE(s.lines.first().payee.size(), 10000);
    }
};

QTEST_GUILESS_MAIN(tst_Statement)
#include "tst_statement.moc"
