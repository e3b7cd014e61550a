#include <QtTest>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include "BookCheck.h"
#include "ClsAX.h"
#include "DataStore.h"
#include "Money.h"
#include "TestSupport.h"
#include "Xml.h"

using namespace qb;
using test::fileBytes;
using test::sectionNames;
using test::writeBytes;

namespace {

struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QString err;
};

const QStringList kSections = QString::fromLatin1("AcMaster PValue Trans Groups Narration I DateRanges")
                                  .split(QLatin1Char(' '));

QByteArray protectedSample(const QString& password)
{
    const QString i = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    return test::sampleBookXml().replace(PasswordDigest(i).toLatin1(),
                                         PasswordDigest(password + i).toLatin1());
}

// Splits comma-separated text into rows of fields (quotes doubled inside quotes).
QList<QStringList> readCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                field += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\n')) {
            row << field;
            rows << row;
            row.clear();
            field.clear();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    return rows;
}

} // namespace

class TstQbtool : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempEnv> m_env;

    QString path(const QString& name) const { return m_env->path(name); }

    // stdoutFile: where standard output goes instead of being read back.
    Run qbtool(const QStringList& args, const QString& stdoutFile = {})
    {
        QProcess p;
        p.setWorkingDirectory(m_env->folder());
        if (!stdoutFile.isEmpty())
            p.setStandardOutputFile(stdoutFile);
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"), args);
        Run r;
        if (!p.waitForFinished(60000)) {
            r.crashed = true;
            return r;
        }
        r.crashed = p.exitStatus() != QProcess::NormalExit;
        r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool")),
                 "qbtool is built beside the tests");
    }

    void init() { m_env = std::make_unique<test::TempEnv>(); }
    void cleanup() { m_env.reset(); }

    void usageNamesEveryCommand()
    {
        const Run none = qbtool({});
        QCOMPARE(none.exitCode, 2);
        QVERIFY(none.out.isEmpty());
        for (const char* word : {"Usage: qbtool", "new FILE.qbf", "dump FILE.qbf", "pack IN.xml FILE.qbf",
                                 "check FILE.qbf", "export FILE.qbf --format", "report", "--password", "--force"})
            QVERIFY2(none.err.contains(QString::fromLatin1(word)), word);

        const Run help = qbtool({QStringLiteral("help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("Usage: qbtool"));

        for (const QStringList& wrong : {QStringList{QStringLiteral("frob")},
                                         QStringList{QStringLiteral("dump")},
                                         QStringList{QStringLiteral("pack"), QStringLiteral("a.xml")},
                                         QStringList{QStringLiteral("check"), QStringLiteral("--nope"), QStringLiteral("a.qbf")},
                                         QStringList{QStringLiteral("dump"), QStringLiteral("a.qbf"), QStringLiteral("--password")}}) {
            const Run r = qbtool(wrong);
            QVERIFY(!r.crashed);
            QCOMPARE(r.exitCode, 2);
            QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: ")), qPrintable(r.err));
            QVERIFY(r.err.contains(QStringLiteral("Usage: qbtool")));
        }
    }

    // Each command explains itself; the first line is its synopsis, and
    // nothing of another command's entry follows.
    void everyCommandHasItsOwnHelp()
    {
        const QStringList commands{QStringLiteral("new"), QStringLiteral("dump"), QStringLiteral("pack"),
                                   QStringLiteral("check"), QStringLiteral("report")};
        for (const QString& command : commands) {
            const Run r = qbtool({command, QStringLiteral("--help")});
            const QString out = QString::fromUtf8(r.out);
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(out.startsWith(QStringLiteral("Usage: qbtool ") + command + QLatin1Char(' ')), qPrintable(out));
            for (const QString& other : commands) {
                if (other != command)
                    QVERIFY2(!out.contains(QStringLiteral("qbtool ") + other + QLatin1Char(' ')), qPrintable(out));
            }
        }
        QCOMPARE(qbtool({QStringLiteral("frob"), QStringLiteral("--help")}).exitCode, 2);
    }

    void newMakesAnUnprotectedBookAndNeverOverwritesUnasked()
    {
        const Run made = qbtool({QStringLiteral("new"), QStringLiteral("books")});
        QCOMPARE(made.exitCode, 0);
        const QString file = path(QStringLiteral("books.qbf"));
        QVERIFY(QFileInfo::exists(file));
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::readDataFile(file)));
        QCOMPARE(sectionNames(doc), kSections);
        QVERIFY(!HasPassword(doc));
        QCOMPARE(BookCheck::problems(doc), QStringList());

        // A name whose extension is in capitals gets no second one.
        QCOMPARE(qbtool({QStringLiteral("new"), QStringLiteral("UPPER.QBF")}).exitCode, 0);
        QVERIFY(QFileInfo::exists(path(QStringLiteral("UPPER.QBF"))));

        const QByteArray first = fileBytes(file);
        const Run again = qbtool({QStringLiteral("new"), QStringLiteral("books.qbf")});
        QCOMPARE(again.exitCode, 3);
        QVERIFY2(again.err.contains(QStringLiteral("already exists")), qPrintable(again.err));
        QCOMPARE(fileBytes(file), first);
        QVERIFY(!QFileInfo::exists(file + QStringLiteral(".bak")));

        QCOMPARE(qbtool({QStringLiteral("new"), QStringLiteral("--force"), QStringLiteral("books.qbf")}).exitCode, 0);
        QCOMPARE(fileBytes(file + QStringLiteral(".bak")), first);
        QVERIFY(fileBytes(file) != first); // a new I
    }

    void dumpWritesTheDecipheredText()
    {
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), test::sampleBookXml()));
        const Run r = qbtool({QStringLiteral("dump"), QStringLiteral("books.qbf")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, test::sampleBookXml() + '\n');
        QVERIFY(r.err.isEmpty());
    }

    void protectedBooksNeedThePassword()
    {
        QVERIFY(test::writeDataFile(path(QStringLiteral("locked.qbf")), protectedSample(QStringLiteral("secret"))));
        for (const QString& command : {QStringLiteral("dump"), QStringLiteral("check")}) {
            const Run none = qbtool({command, QStringLiteral("locked.qbf")});
            QCOMPARE(none.exitCode, 3);
            QVERIFY(none.out.isEmpty());
            QVERIFY2(none.err.contains(QStringLiteral("protected by a password")), qPrintable(none.err));

            const Run wrong = qbtool({command, QStringLiteral("locked.qbf"), QStringLiteral("--password"), QStringLiteral("guess")});
            QCOMPARE(wrong.exitCode, 3);
            QVERIFY(wrong.out.isEmpty());
            QVERIFY2(wrong.err.contains(QStringLiteral("wrong password")), qPrintable(wrong.err));

            // Letters count without regard to case, as in the program's login.
            const Run right = qbtool({command, QStringLiteral("--password=SECRET"), QStringLiteral("locked.qbf")});
            QCOMPARE(right.exitCode, 0);
        }
        const Run dumped = qbtool({QStringLiteral("dump"), QStringLiteral("locked.qbf"), QStringLiteral("--password"), QStringLiteral("secret")});
        QCOMPARE(dumped.out, protectedSample(QStringLiteral("secret")) + '\n');
    }

    void packRoundTripsADump()
    {
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), test::sampleBookXml()));
        const Run dumped = qbtool({QStringLiteral("dump"), QStringLiteral("books.qbf")});
        QVERIFY(writeBytes(path(QStringLiteral("books.xml")), dumped.out));
        const Run packed = qbtool({QStringLiteral("pack"), QStringLiteral("books.xml"), QStringLiteral("copy.qbf")});
        QCOMPARE(packed.exitCode, 0);
        XmlDocument original;
        QVERIFY(original.loadXml(test::sampleBookXml()));
        XmlDocument copy;
        QVERIFY(copy.loadXml(test::readDataFile(path(QStringLiteral("copy.qbf")))));
        QCOMPARE(copy.documentElement().xml(), original.documentElement().xml());
        QVERIFY(packed.err.isEmpty());
        // The packed file opens in the program without a prompt.
        DataStore::instance().setHost(nullptr);
        QVERIFY(DataStore::instance().OpenDataFile(path(QStringLiteral("copy.qbf"))));
        QCOMPARE(DataStore::instance().TransSection().childElements().size(), 4);
        DataStore::instance().CloseDocument();
    }

    void packAddsWhatOlderBooksLackAndKeepsSevenBits()
    {
        QVERIFY(writeBytes(path(QStringLiteral("old.xml")),
                           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<Data><AcMaster><a Code=\"1\" AcName=\"Caf\xc3\xa9\xe2\x80\xae\"/></AcMaster>"
                           "<Trans/><Groups/><Narration/></Data>"));
        const Run r = qbtool({QStringLiteral("pack"), QStringLiteral("old.xml"), QStringLiteral("old.qbf")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QStringLiteral("added I, PValue, DateRanges (no password)")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("1 inconsistency;")), qPrintable(r.err)); // the override, not the accent
        const QByteArray text = test::readDataFile(path(QStringLiteral("old.qbf")));
        for (char c : text)
            QVERIFY(static_cast<unsigned char>(c) < 128);
        XmlDocument doc;
        QVERIFY(doc.loadXml(text));
        QCOMPARE(sectionNames(doc), kSections);
        QVERIFY(!HasPassword(doc));
        QCOMPARE(doc.evaluate(QStringLiteral("string(//a/@AcName)")), QStringLiteral("Caf\u00e9\u202e"));
    }

    void packRefusesWhatIsNoBook_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("message");
        QTest::newRow("not XML") << QByteArray("<Data><AcMaster></Data>") << QStringLiteral("does not parse as XML (line ");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("does not parse as XML");
        QTest::newRow("another root") << QByteArray("<Books/>") << QStringLiteral("not a Quillbrook book: the root element is Books, not Data");
        QTest::newRow("sections missing") << QByteArray("<Data><AcMaster/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I></Data>")
                                          << QStringLiteral("not a Quillbrook book: missing section Trans; missing section Groups");
    }

    void packRefusesWhatIsNoBook()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, message);
        QVERIFY(writeBytes(path(QStringLiteral("in.xml")), xml));
        const Run r = qbtool({QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("out.qbf")});
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.qbf"))));
    }

    void packNeverOverwritesUnasked()
    {
        QVERIFY(writeBytes(path(QStringLiteral("in.xml")), test::sampleBookXml()));
        QVERIFY(writeBytes(path(QStringLiteral("out.qbf")), "precious"));
        const Run r = qbtool({QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("out.qbf")});
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains(QStringLiteral("already exists")));
        QCOMPARE(fileBytes(path(QStringLiteral("out.qbf"))), QByteArray("precious"));

        QCOMPARE(qbtool({QStringLiteral("pack"), QStringLiteral("--force"), QStringLiteral("in.xml"), QStringLiteral("out.qbf")}).exitCode, 0);
        QCOMPARE(fileBytes(path(QStringLiteral("out.qbf.bak"))), QByteArray("precious"));
        QCOMPARE(test::readDataFile(path(QStringLiteral("out.qbf"))).contains("January pay"), true);
    }

    void checkListsInconsistencies()
    {
        QVERIFY(test::writeDataFile(path(QStringLiteral("clean.qbf")), test::sampleBookXml()));
        const Run clean = qbtool({QStringLiteral("check"), QStringLiteral("clean.qbf")});
        QCOMPARE(clean.exitCode, 0);
        QVERIFY(clean.out.isEmpty());

        QByteArray broken = test::sampleBookXml();
        broken.replace("fAc=\"3\" tAc=\"2\"", "fAc=\"2\" tAc=\"2\"")
            .replace(">45.5<", ">45.50<")
            .replace("gi=\",1,2,\"", "gi=\",1,9,\"")
            .replace("<DateRanges/>", "");
        QVERIFY(test::writeDataFile(path(QStringLiteral("broken.qbf")), broken));
        const Run r = qbtool({QStringLiteral("check"), QStringLiteral("broken.qbf")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(QString::fromLatin1(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("missing section DateRanges (added when the file is opened)"),
                              QStringLiteral("transaction 1 (dt 20130105, No 1): From and To are the same account"),
                              QStringLiteral("transaction 3 (dt 20130110, No 2): amount \"45.50\" is not a positive plain decimal"),
                              QStringLiteral("group 1 (Money): member 9 has no account head")}));
    }

    // Output that does not arrive is a failure, never a cut-off result with exit code 0.
    void unwritableOutputIsAFailure_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("toStdout");
        QTest::newRow("dump") << QStringList{QStringLiteral("dump"), QStringLiteral("books.qbf")} << true;
        QTest::newRow("check") << QStringList{QStringLiteral("check"), QStringLiteral("bad.qbf")} << true;
        QTest::newRow("day") << QStringList{QStringLiteral("report"), QStringLiteral("books.qbf"), QStringLiteral("day"),
                                            QStringLiteral("--date"), QStringLiteral("2013-01-10")}
                             << true;
        QTest::newRow("balance") << QStringList{QStringLiteral("report"), QStringLiteral("books.qbf"),
                                                QStringLiteral("balance"), QStringLiteral("--account"), QStringLiteral("1"),
                                                QStringLiteral("--date"), QStringLiteral("20131231")}
                                 << true;
        QTest::newRow("day -o") << QStringList{QStringLiteral("report"), QStringLiteral("books.qbf"), QStringLiteral("day"),
                                               QStringLiteral("--date"), QStringLiteral("2013-01-10"), QStringLiteral("-o"),
                                               QStringLiteral("/dev/full")}
                                << false;
    }

    void unwritableOutputIsAFailure()
    {
#ifdef Q_OS_LINUX
        QFETCH(QStringList, args);
        QFETCH(bool, toStdout);
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), test::sampleBookXml()));
        // A clean book has nothing to list; this one has a line to write.
        QVERIFY(test::writeDataFile(path(QStringLiteral("bad.qbf")), test::sampleBookXml().replace(">45.5<", ">45.50<")));
        const Run r = qbtool(args, toStdout ? QStringLiteral("/dev/full") : QString());
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: ")) && r.err.contains(QStringLiteral("No space left on device")),
                 qPrintable(r.err));
#else
        QSKIP("/dev/full");
#endif
    }

    void backupsListsTheDailyCopies()
    {
        QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("books backups")));
        QVERIFY(test::writeDataFile(path(QStringLiteral("books backups/books 2026-12-02.qbf")), test::sampleBookXml()));
        QVERIFY(test::writeDataFile(path(QStringLiteral("books backups/books 2026-11-30.qbf")),
                                    "<Data><AcMaster/><Trans/><Groups/><Narration/></Data>"));
        QVERIFY(writeBytes(path(QStringLiteral("books backups/books notes.qbf")), "not a copy"));
        const Run r = qbtool({QStringLiteral("backups"), QStringLiteral("books.qbf")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromLatin1(r.out),
                 QStringLiteral("2026-11-30\t0 transactions\tbooks backups/books 2026-11-30.qbf\n"
                                "2026-12-02\t4 transactions\tbooks backups/books 2026-12-02.qbf\n"));
    }

    // The backup of a missing book is its last copy: new and pack stop
    // unless forced, and even then keep it; a failed write is one line.
    void aBackupWithoutItsBookStopsNewAndPack()
    {
        const QString file = path(QStringLiteral("books.qbf"));
        const QString backup = file + QStringLiteral(".bak");
        QVERIFY(test::writeDataFile(backup, test::sampleBookXml()));
        QVERIFY(writeBytes(path(QStringLiteral("in.xml")), test::sampleBookXml()));
        const QByteArray last = fileBytes(backup);
        for (const QStringList& args : {QStringList{QStringLiteral("new"), QStringLiteral("books")},
                                        QStringList{QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("books.qbf")},
                                        QStringList{QStringLiteral("dump"), QStringLiteral("books.qbf")}}) {
            const Run r = qbtool(args);
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(r.err.contains(QStringLiteral("books.qbf.bak")), qPrintable(r.err));
            QVERIFY(!QFileInfo::exists(file));
        }
        QCOMPARE(qbtool({QStringLiteral("new"), QStringLiteral("books"), QStringLiteral("--force")}).exitCode, 0);
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(fileBytes(backup), last);

        const Run nowhere = qbtool({QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("gone/books.qbf")});
        QCOMPARE(nowhere.exitCode, 3);
        QCOMPARE(nowhere.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(nowhere.err.startsWith(QStringLiteral("qbtool: gone/books.qbf: could not be written (No such file or directory)")),
                 qPrintable(nowhere.err));
    }

    // A book of 300 transactions between accounts whose names the targets
    // would misread: ledger's balances of the journal are the balances added
    // up here, beancount accepts its file, and the CSV reads back as the book.
    void exportReadsBackInOtherTools()
    {
        struct Head { const char* name; const char* inLedger; };
        const Head heads[] = {{"Cash", "Cash"}, {"Sales:Team", "Sales-Team #2"},
            {"Two  blanks", "Two blanks"}, {"(Virtual) [x]", "-Virtual- -x-"},
            {"Note; here", "Note- here"}, {"9 lives", "9 lives"}, {"Comma, \"Inc\"", "Comma, \"Inc\""},
            {"Sales-Team", "Sales-Team #8"}};
        const int accounts = int(std::size(heads));
        QByteArray xml = "<Data><AcMaster>";
        for (int code = 1; code <= accounts; ++code)
            xml += "<a Code=\"" + QByteArray::number(code) + "\" AcName=\""
                + QByteArray(heads[code - 1].name).replace("\"", "&quot;") + "\"/>";
        xml += "</AcMaster><PValue/><Trans>";
        QRandomGenerator random(7);
        QList<Money> balance(accounts + 1);
        QList<QStringList> expectedRows;
        int inJanuary = 0;
        for (int i = 1; i <= 300; ++i) {
            const int from = 1 + int(random.bounded(accounts));
            const int to = 1 + (from + int(random.bounded(accounts - 1))) % accounts;
            const int date = 20130101 + int(random.bounded(3)) * 100 + int(random.bounded(28));
            const QString amount = Money::fromUnits(qint64(1 + random.bounded(99999999)) * 100).toText();
            balance[to] += *Money::parse(amount);
            balance[from] -= *Money::parse(amount);
            inJanuary += date < 20130200;
            const QString narration = i % 5 ? QStringLiteral("Row %1").arg(i) : QStringLiteral("Row, \"%1\"").arg(i);
            xml += "<t No=\"" + QByteArray::number(i) + "\" dt=\"" + QByteArray::number(date) + "\" fAc=\""
                + QByteArray::number(from) + "\" tAc=\"" + QByteArray::number(to) + "\" Nar=\""
                + narration.toLatin1().replace("\"", "&quot;") + "\">" + amount.toLatin1() + "</t>";
            expectedRows << QStringList{QDate::fromString(QString::number(date), QStringLiteral("yyyyMMdd")).toString(Qt::ISODate),
                QString::number(i), QString::fromLatin1(heads[from - 1].name), QString::fromLatin1(heads[to - 1].name),
                amount, narration};
        }
        xml += "</Trans><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>";
        xml.replace("<PValue/>", QByteArray("<PValue>" + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")).toLatin1() + "</PValue>"));
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), xml));

        Run csv = qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"), QStringLiteral("--format"), QStringLiteral("csv")});
        QCOMPARE(csv.exitCode, 0);
        QList<QStringList> rows = readCsv(QString::fromUtf8(csv.out));
        QCOMPARE(rows.takeFirst(), (QStringList{QStringLiteral("date"), QStringLiteral("number"), QStringLiteral("from"),
                                                QStringLiteral("to"), QStringLiteral("amount"), QStringLiteral("narration")}));
        std::stable_sort(expectedRows.begin(), expectedRows.end(), [](const QStringList& a, const QStringList& b) {
            return a[0] != b[0] ? a[0] < b[0] : a[1].toInt() < b[1].toInt();
        });
        QCOMPARE(rows, expectedRows);
        csv = qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"), QStringLiteral("--format"), QStringLiteral("csv"),
                      QStringLiteral("--from"), QStringLiteral("2012-12-01"), QStringLiteral("--to"), QStringLiteral("20130131")});
        QCOMPARE(readCsv(QString::fromUtf8(csv.out)).size(), 1 + inJanuary);
        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"), QStringLiteral("--format"), QStringLiteral("qif")}).exitCode, 2);

        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"), QStringLiteral("--format"), QStringLiteral("ledger"),
                         QStringLiteral("-o"), QStringLiteral("books.ledger")}).exitCode, 0);
        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"), QStringLiteral("--format"), QStringLiteral("beancount"),
                         QStringLiteral("-o"), QStringLiteral("books.beancount")}).exitCode, 0);
        const QString ledger = QStandardPaths::findExecutable(QStringLiteral("ledger"));
        const QString beanCheck = QStandardPaths::findExecutable(QStringLiteral("bean-check"));
        if (ledger.isEmpty() || beanCheck.isEmpty())
            QSKIP("ledger or bean-check is not installed");
        QProcess p;
        p.start(ledger, {QStringLiteral("-f"), path(QStringLiteral("books.ledger")), QStringLiteral("--flat"), QStringLiteral("--no-total"),
                         QStringLiteral("--balance-format"), QStringLiteral("%(account)|%(quantity(display_total))\n"), QStringLiteral("bal")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QHash<QString, QString> reported;
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            reported.insert(line.section(QLatin1Char('|'), 0, 0), line.section(QLatin1Char('|'), 1));
        QCOMPARE(reported.size(), accounts); // no two accounts merged, none split
        for (int code = 1; code <= accounts; ++code) {
            const QString name = QString::fromLatin1(heads[code - 1].inLedger);
            QVERIFY2(reported.contains(name), qPrintable(name));
            QCOMPARE(Money::fromNumberText(reported.value(name).remove(QLatin1Char(','))), balance[code]);
        }
        p.start(beanCheck, {path(QStringLiteral("books.beancount"))});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    }

    void unusableFilesGiveClearErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QStringLiteral("nothing.qbf") << QStringLiteral("nothing.qbf: no such file");
        QTest::newRow("folder") << QStringLiteral("folder.qbf") << QStringLiteral("folder.qbf: not a file");
        QTest::newRow("empty") << QStringLiteral("empty.qbf") << QStringLiteral("empty.qbf: the file is empty");
        QTest::newRow("plain XML") << QStringLiteral("plain.qbf") << QStringLiteral("plain.qbf: plain XML, not a Quillbrook data file");
        QTest::newRow("another key") << QStringLiteral("report.qbf") << QStringLiteral("report.qbf: not a Quillbrook data file (it does not decipher");
        QTest::newRow("random bytes") << QStringLiteral("noise.qbf") << QStringLiteral("noise.qbf: not a Quillbrook data file");
    }

    void unusableFilesGiveClearErrors()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QVERIFY(QDir(m_env->folder()).mkdir(QStringLiteral("folder.qbf")));
        QVERIFY(writeBytes(path(QStringLiteral("empty.qbf")), QByteArray()));
        QVERIFY(writeBytes(path(QStringLiteral("plain.qbf")), test::sampleBookXml()));
        QByteArray otherKey = test::sampleBookXml();
        ClsAX::EnDeCryptBytes(otherKey, ReportKey());
        QVERIFY(writeBytes(path(QStringLiteral("report.qbf")), otherKey));
        QByteArray noise(5000, Qt::Uninitialized);
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 256);
        QVERIFY(writeBytes(path(QStringLiteral("noise.qbf")), noise));

        for (const QString& command : {QStringLiteral("dump"), QStringLiteral("check")}) {
            const Run r = qbtool({command, name});
            QVERIFY(!r.crashed);
            QCOMPARE(r.exitCode, 3);
            QVERIFY(r.out.isEmpty());
            QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: ") + message), qPrintable(r.err));
        }
    }
};

QTEST_GUILESS_MAIN(TstQbtool)
#include "tst_qbtool.moc"
