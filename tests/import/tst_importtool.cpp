// qbtool import, run as a user runs it: its output, exit codes, the book
// as written, --dry-run, a CSV profile from the settings, a paired OFX account.

#include <QCoreApplication>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include "TestSupport.h"
#include "import/ImportSettings.h"
#include "store/BookCheck.h"

using namespace qb;
using namespace qb::test;

namespace {

QString S(const char* text)
{
    return QString::fromUtf8(text);
}

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

const QByteArray kCsv = "Datum;Text;Betrag\n"
                        "05.01.2013;Lohn;2.500,00\n" // the January pay of the sample: dup
                        "31.01.2013;Bakery 0815;-1.234,56\n"
                        "01.02.2013;Bakery 0815;-0,05\n";

const QByteArray kOfx
    = "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\n\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
      "<BANKACCTFROM><BANKID>9<ACCTID>DE-77<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST>\n"
      "<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20130228<TRNAMT>-19.99<FITID>X1<NAME>Phone</STMTTRN>\n"
      "</BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\n";

QByteArray transOf(const QByteArray& xml)
{
    const qsizetype from = xml.indexOf("<Trans>");
    return xml.mid(from, xml.indexOf("</Trans>") - from);
}

} // namespace

class tst_ImportTool : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempEnv> m_env;
    QString path(const QString& name) const { return m_env->path(name); }

    Run qbtool(const QStringList& args)
    {
        QProcess p;
        p.setWorkingDirectory(m_env->folder());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        environment.insert(QStringLiteral("HOME"), m_env->folder());
        p.setProcessEnvironment(environment);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"), args);
        Run r;
        if (!p.waitForFinished(60000))
            return r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<TempEnv>();
        QSettings::setPath(
            QSettings::IniFormat, QSettings::UserScope, path(QStringLiteral("config")));
        writeDataFile(path(QStringLiteral("book.qbf")), sampleBookXml());
        writeBytes(path(QStringLiteral("s.csv")), kCsv);
        writeBytes(path(QStringLiteral("s.ofx")), kOfx);
    }

    void importsOnceAndPrintsEveryLine()
    {
        const QByteArray before = readDataFile(path(QStringLiteral("book.qbf")));
        const QStringList args {S("import"), S("book.qbf"), S("s.csv"), S("--account"), S("2"),
            S("--csv-date-order"), S("dmy"), S("--other"), S("4")};
        Run r = qbtool(args + QStringList {S("--dry-run")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readDataFile(path(QStringLiteral("book.qbf"))), before);
        QVERIFY(!QFile::exists(path(QStringLiteral("book.qbf.bak"))));

        r = qbtool(args);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QByteArray("dup\t2013-01-05\t2500.00\t4\tLohn\n"
                       "new\t2013-01-31\t-1234.56\t4\tBakery 0815\n"
                       "new\t2013-02-01\t-0.05\t4\tBakery 0815\n"
                       "imported 2, already in the book 1, left out 0\n"));
        const QByteArray after = readDataFile(path(QStringLiteral("book.qbf")));
        QCOMPARE(transOf(after),
            transOf(before)
                + "<t No=\"1\" dt=\"20130131\" fAc=\"2\" tAc=\"4\" Nar=\"Bakery 0815\" "
                  "St=\"C\">1234.56</t>"
                  "<t No=\"2\" dt=\"20130201\" fAc=\"2\" tAc=\"4\" Nar=\"Bakery 0815\" "
                  "St=\"C\">0.05</t>");
        QCOMPARE(readDataFile(path(QStringLiteral("book.qbf.bak"))), before);
        XmlDocument doc;
        QVERIFY(doc.loadXml(after));
        QCOMPARE(BookCheck::problems(doc), QStringList());

        // Again: nothing new, nothing written, still exit 0.
        const QByteArray raw = fileBytes(path(QStringLiteral("book.qbf")));
        r = qbtool(args);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.endsWith("imported 0, already in the book 3, left out 0\n"));
        QCOMPARE(fileBytes(path(QStringLiteral("book.qbf"))), raw);
    }

    // The book's rules give the other account (letter case aside) to an
    // account new to the book; the rules stay in the book written and
    // qbtool check accepts them.
    void rulesOfTheBookApply()
    {
        QByteArray xml = sampleBookXml();
        xml.replace("</AcMaster>", "<a Code=\"5\" AcName=\"Card\"/></AcMaster>");
        xml.replace(
            "</Data>", "<ImportRules><r Text=\"BAKERY 08\" Ac=\"1\"/></ImportRules></Data>");
        writeDataFile(path(QStringLiteral("book.qbf")), xml);
        const QByteArray before = readDataFile(path(QStringLiteral("book.qbf")));
        const Run r = qbtool({S("import"), S("book.qbf"), S("s.csv"), S("--account"), S("5"),
            S("--csv-date-order"), S("dmy")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QByteArray("new\t2013-01-05\t2500.00\t-\tLohn\n"
                       "new\t2013-01-31\t-1234.56\t1\tBakery 0815\n"
                       "new\t2013-02-01\t-0.05\t1\tBakery 0815\n"
                       "imported 2, already in the book 0, left out 1\n"));
        const QByteArray after = readDataFile(path(QStringLiteral("book.qbf")));
        QCOMPARE(transOf(after),
            transOf(before)
                + "<t No=\"1\" dt=\"20130131\" fAc=\"5\" tAc=\"1\" Nar=\"Bakery 0815\" "
                  "St=\"C\">1234.56</t>"
                  "<t No=\"2\" dt=\"20130201\" fAc=\"5\" tAc=\"1\" Nar=\"Bakery 0815\" "
                  "St=\"C\">0.05</t>");
        QVERIFY(after.contains("<ImportRules><r Text=\"BAKERY 08\" Ac=\"1\"/></ImportRules>"));
        QCOMPARE(qbtool({S("check"), S("book.qbf")}).exitCode, 0);
    }

    void exitCodesAndMessages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("statement");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QByteArray csv = kCsv;
        QTest::newRow("no account")
            << QStringList {S("book.qbf"), S("x")} << csv << 2 << S("import needs --account CODE");
        QTest::newRow("unknown account") << QStringList {S("book.qbf"), S("x"), S("--account"),
            S("9"), S("--csv-date-order"), S("dmy")}
                                         << csv << 2 << S("the book has no account 9");
        QTest::newRow("other is the account") << QStringList {S("book.qbf"), S("x"), S("--account"),
            S("2"), S("--other"), S("2"), S("--csv-date-order"),
            S("dmy")} << csv << 2 << S("--other must be another account of the book");
        QTest::newRow("out without in")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2"), S("--csv-out"), S("3")}
            << csv << 2 << S("--csv-out and --csv-in go together");
        QTest::newRow("bad column")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2"), S("--csv-date"), S("0")}
            << csv << 2 << S("--csv-date takes a column number from 1, not 0");
        QTest::newRow("bad format")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2"), S("--format"), S("xls")}
            << csv << 2 << S("--format takes csv, ofx or qif");
        QTest::newRow("missing statement")
            << QStringList {S("book.qbf"), S("none.csv"), S("--account"), S("2")} << csv << 3
            << S("none.csv: no such file");
        QTest::newRow("missing book") << QStringList {S("nobook.qbf"), S("x"), S("--account"),
            S("2")} << csv << 3 << S("nobook.qbf");
        QTest::newRow("ambiguous dates")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2")}
            << QByteArray("d;t;a\n05.01.2013;x;-1\n") << 4
            << S("x (read as CSV): cannot tell the date order (every date reads as dmy and mdy); "
                 "give "
                 "--csv-date-order");
        QTest::newRow("column missing")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2"), S("--csv-date-order"),
                   S("dmy"), S("--accept-guess")}
            << QByteArray("a;b;c\n05.01.2013;x;1\n06.01.2013;y\n") << 4
            << S("x (read as CSV): line 3: has 2 columns, the mapping needs 3");
        QTest::newRow("qif date form")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2")}
            << QByteArray("!Type:Bank\nD5 Jan 2013\nT1\n^\n") << 4
            << S("x (read as QIF): line 2: the date \"5 Jan 2013\" is in no form QIF dates take");
        QTest::newRow("truncated ofx")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2")}
            << kOfx.left(kOfx.indexOf("<FITID>")) << 4
            << S("x (read as OFX): line 6: the OFX statement is cut off inside this transaction");
        QTest::newRow("csv forced on ofx")
            << QStringList {S("book.qbf"), S("x"), S("--account"), S("2"), S("--format"), S("csv")}
            << kOfx << 4 << S("x (read as CSV): choose the columns: no column holds dates");
    }
    void exitCodesAndMessages()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, statement);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        writeBytes(path(QStringLiteral("x")), statement);
        const QByteArray raw = fileBytes(path(QStringLiteral("book.qbf")));
        const Run r = qbtool(QStringList {S("import")} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(r.err).startsWith(S("qbtool: ") + message), r.err.constData());
        QCOMPARE(fileBytes(path(QStringLiteral("book.qbf"))), raw);
        QVERIFY(!QFile::exists(path(QStringLiteral("book.qbf.bak"))));
    }

    // An unsure guess is shown and nothing is written; the person chooses the
    // columns or accepts the guess. Direction words, reversed signs and
    // skipped lines are options of their own.
    void anUnsureGuessIsShownNotUsed_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("err");
        const QByteArray guessed = "guessed columns:\n"
                                   "  skip 2 lines before the heading\n"
                                   "  separator: \";\", heading row, decimal comma\n"
                                   "  date: column 1 \"Tag\", dmy\n"
                                   "  amount: column 3 \"Wert\"\n"
                                   "  text: column 2 \"Text\", column 5 \"SH\"\n";
        QTest::newRow("unsure")
            << QStringList() << 4 << guessed
            << S("qbtool: u.csv (read as CSV): choose the columns: column 3 \"Wert\" and "
                 "column 4 \"Stand\" both hold amounts (give the --csv "
                 "options, or --accept-guess)\n");
        QTest::newRow("accepted")
            << QStringList {S("--accept-guess")} << 0
            << QByteArray(
                   "new\t2013-01-31\t1.50\t4\tTea Ab\n"
                   "new\t2013-02-01\t-2.25\t4\tCake Zu\n"
                   "imported 2, already in the book 0, left out 0 (dry run: nothing written)\n")
            << QString();
        QTest::newRow("chosen, signs reversed")
            << QStringList {S("--csv-amount"), S("4"), S("--csv-reverse-signs")} << 0
            << QByteArray("new\t2013-01-31\t-100.00\t4\tTea Ab\n"
                          "new\t2013-02-01\t-97.75\t4\tCake Zu\n"
                          "imported 2, already in the book 0, left out 0 (dry run: nothing "
                          "written)\n")
            << QString();
        QTest::newRow("direction words")
            << QStringList {S("--csv-direction"), S("5:Ab:Zu")} << 0
            << QByteArray("new\t2013-01-31\t-1.50\t4\tTea\n"
                          "new\t2013-02-01\t2.25\t4\tCake\n"
                          "imported 2, already in the book 0, left out 0 (dry run: nothing "
                          "written)\n")
            << QString();
        QTest::newRow("one line too few skipped")
            << QStringList {S("--csv-skip"), S("0"), S("--csv-amount"), S("3")} << 4 << QByteArray()
            << S("qbtool: u.csv (read as CSV): line 2: has 1 column, the mapping needs 5\n");
        QTest::newRow("direction without words")
            << QStringList {S("--csv-direction"), S("5:Ab")} << 2 << QByteArray()
            << S("qbtool: --csv-direction takes COL:OUT:IN (for example 6:Af:Bij), not 5:Ab\n");
    }
    void anUnsureGuessIsShownNotUsed()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QString, err);
        writeBytes(path(QStringLiteral("u.csv")),
            "Konto 4711\nVom 01.01.2013\nTag;Text;Wert;Stand;SH\n31.01.2013;Tea;1,50;100,00;Ab\n"
            "01.02.2013;Cake;-2,25;97,75;Zu\n");
        const QByteArray raw = fileBytes(path(QStringLiteral("book.qbf")));
        const Run r = qbtool(QStringList {S("import"), S("book.qbf"), S("u.csv"), S("--account"),
                                 S("2"), S("--other"), S("4"), S("--dry-run")}
            + options);
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(r.out, out);
        if (!err.isEmpty())
            QVERIFY2(QString::fromUtf8(r.err).startsWith(err), r.err.constData());
        QCOMPARE(fileBytes(path(QStringLiteral("book.qbf"))), raw);
    }

    // Files of several accounts go part by part to the accounts given; a
    // bank that repeats one id on every line still gets its later lines in.
    void severalAccountsAndRepeatedIds()
    {
        for (const char* name : {"two-statements.ofx", "same-fitid.ofx"})
            QVERIFY(QFile::copy(QStringLiteral(QB_IMPORT_DATA "/") + QLatin1String(name),
                path(QLatin1String(name))));
        const QByteArray raw = fileBytes(path(QStringLiteral("book.qbf")));
        const QStringList two {S("import"), S("book.qbf"), S("two-statements.ofx")};
        Run r = qbtool(two + QStringList {S("--account"), S("2")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("qbtool: the statement holds 2 accounts: give --account-for "
                                 "ID=CODE for 999988, 4111111111111111\n"));
        QCOMPARE(fileBytes(path(QStringLiteral("book.qbf"))), raw);

        const QByteArray before = readDataFile(path(QStringLiteral("book.qbf")));
        r = qbtool(two
            + QStringList {S("--account-for"), S("999988=2"), S("--account-for"),
                S("4111111111111111=1"), S("--other"), S("4")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("account 999988 to 2\nnew\t2009-12-01\t2000.00\t4\tPayroll\n"),
            r.out.constData());
        QVERIFY(r.out.contains("\naccount 4111111111111111 to 1\n"));
        QVERIFY(r.out.endsWith("imported 6, already in the book 0, left out 0\n"));
        const QByteArray after = transOf(readDataFile(path(QStringLiteral("book.qbf"))));
        QCOMPARE(after.count("<t "), transOf(before).count("<t ") + 6);
        QVERIFY(after.contains("<t No=\"2\" dt=\"20091231\" fAc=\"4\" tAc=\"1\" Nar=\"Payment - "
                               "thank you\" St=\"C\">350</t>"));
        // Both bank accounts are paired now.
        r = qbtool(two);
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.endsWith("imported 0, already in the book 6, left out 0\n"));

        // One FITID on every line: the next statement's new line comes in.
        const QStringList same {S("import"), S("book.qbf"), S("same-fitid.ofx"), S("--account"),
            S("1"), S("--other"), S("4")};
        r = qbtool(same);
        QVERIFY(r.out.endsWith("imported 4, already in the book 0, left out 0; the bank's ids "
                               "repeat within the file, so its lines were matched by amount and "
                               "date\n"));
        QByteArray later = fileBytes(path(QStringLiteral("same-fitid.ofx")));
        later.replace("<DTPOSTED>20051004<TRNAMT>-200.00", "<DTPOSTED>20051101<TRNAMT>-50.00");
        writeBytes(path(QStringLiteral("same-fitid.ofx")), later);
        r = qbtool(same);
        QVERIFY2(r.out.startsWith("new\t2005-11-01\t-50.00\t4\t\n"), r.out.constData());
        QVERIFY(r.out.contains("imported 1, already in the book 3, left out 0;"));
    }

    // A profile saved by the window is used by name; an OFX account paired
    // by one import needs no --account the next time.
    void profilesAndPairedAccounts()
    {
        CsvMapping m;
        m.separator = ';';
        m.header = true;
        m.dateColumn = 0;
        m.dateOrder = DateOrder::MonthDayYear; // deliberately the wrong order: the profile is used
        m.amountColumn = 2;
        m.decimalComma = true;
        m.textColumns = {1};
        SaveCsvProfile(S("My bank"), m,
            S("Datum\x1fText\x1f"
              "Betrag"));
        QCOMPARE(CsvProfileForHeader(S("Datum\x1fText\x1f"
                                       "Betrag")),
            S("My bank"));
        QCOMPARE(CsvProfileNames(), QStringList {S("My bank")});
        Run r = qbtool({S("import"), S("book.qbf"), S("s.csv"), S("--account"), S("2"),
            S("--profile"), S("My bank"), S("--dry-run")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("new\t2013-05-01\t2500.00"), r.out.constData());
        r = qbtool({S("import"), S("book.qbf"), S("s.csv"), S("--account"), S("2"), S("--profile"),
            S("Other")});
        QCOMPARE(r.exitCode, 4);

        r = qbtool(
            {S("import"), S("book.qbf"), S("s.ofx"), S("--account"), S("2"), S("--other"), S("1")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QByteArray("new\t2013-02-28\t-19.99\t1\tPhone\nimported 1, already in the book 0, left "
                       "out 0\n"));
        r = qbtool({S("import"), S("book.qbf"), S("s.ofx")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QByteArray("dup\t2013-02-28\t-19.99\t1\tPhone\nimported 0, already in the book 1, left "
                       "out 0\n"));
    }
};

QTEST_GUILESS_MAIN(tst_ImportTool)
#include "tst_importtool.moc"
