// What every qbtool command owes to the command frame, one row a command:
// --help and --version, the password in both spellings (and refused where
// it makes no sense), and output that cannot be written.

#include <utility>

#include <QProcess>
#include <QtTest>

#include "TestSupport.h"
#include "store/BookCrypto.h"
#include "store/BookFile.h"
#include "store/ClsAX.h"

using namespace qb;

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QString err;
};

const QString kPassword = QStringLiteral("Secret");
const QString kI = QStringLiteral("ABCDEFGHIJKLMNOPQRST");

// The version as CMake's project() gives it.
QString versionLine(const char* program)
{
    return QString::fromLatin1(program)
        + QStringLiteral(" %1.%2.%3\n")
              .arg(QB_VERSION_MAJOR)
              .arg(QB_VERSION_MINOR)
              .arg(QB_VERSION_PATCH);
}

// The sample book with a group member that has no head, so that check has
// a line to write; protected by kPassword or without a password.
QByteArray bookXml(bool protectedBook)
{
    QByteArray xml = test::sampleBookXml().replace("gi=\",1,2,\"", "gi=\",1,9,\"");
    // One transaction in the bin, for deleted and restore.
    xml.replace("<DateRanges/></Data>",
        "<DateRanges/><Deleted><d Id=\"1\" At=\"20261201120000\" No=\"2\" dt=\"20130201\" "
        "fAc=\"1\" tAc=\"4\" Nar=\"Bus\">3.5</d></Deleted></Data>");
    if (protectedBook)
        xml.replace(PasswordDigest(kI).toLatin1(), PasswordDigest(kPassword + kI).toLatin1());
    return xml;
}

struct CommandRow
{
    QStringList args;
    QString book;
    int exitCode;
    int withoutPassword;
    int needless;
    QStringList outputs;
};

QList<CommandRow> commandRows()
{
    const QString locked = QStringLiteral("locked.qbf");
    const QString book = QStringLiteral("BOOK");
    return {
        {{QStringLiteral("new"), QStringLiteral("fresh.qbf")}, {}, 0, 0, 2, {}},
        {{QStringLiteral("dump"), book}, locked, 0, 3, 2, {}},
        {{QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("packed.qbf")}, {}, 0, 0,
            2, {}},
        {{QStringLiteral("check"), book}, locked, 1, 3, 2, {}},
        // encrypt sets the password it is given on a book without one.
        {{QStringLiteral("encrypt"), book}, locked, 0, 3, 0, {}},
        {{QStringLiteral("decrypt"), book}, QStringLiteral("cheap.qbf"), 0, 3, 2, {}},
        // backups reads the daily copies only, and needs the password for encrypted ones.
        {{QStringLiteral("backups"), book}, locked, 0, 0, 0, {}},
        {{QStringLiteral("export"), book, QStringLiteral("--format"), QStringLiteral("csv")},
            locked, 0, 3, 2, {QStringLiteral("-o")}},
        {{QStringLiteral("report"), book, QStringLiteral("day"), QStringLiteral("--date"),
             QStringLiteral("2013-01-10")},
            locked, 0, 3, 2, {QStringLiteral("-o")}},
        {{QStringLiteral("search"), book, QStringLiteral("--details"), QStringLiteral("pay")},
            locked, 0, 3, 2, {QStringLiteral("-o"), QStringLiteral("--csv")}},
        {{QStringLiteral("deleted"), book}, locked, 0, 3, 2, {}},
        {{QStringLiteral("restore"), book, QStringLiteral("--deleted"), QStringLiteral("1")},
            locked, 0, 3, 2, {}},
        {{QStringLiteral("import"), book, QStringLiteral("st.csv"), QStringLiteral("--account"),
             QStringLiteral("2"), QStringLiteral("--other"), QStringLiteral("4"),
             QStringLiteral("--csv-header"), QStringLiteral("--csv-date"), QStringLiteral("1"),
             QStringLiteral("--csv-date-order"), QStringLiteral("ymd"),
             QStringLiteral("--csv-amount"), QStringLiteral("2"), QStringLiteral("--csv-text"),
             QStringLiteral("3")},
            locked, 0, 3, 2, {}},
        // Nothing is cleared: a statement of 0 reconciles nothing and records it.
        {{QStringLiteral("reconcile"), book, QStringLiteral("--account"), QStringLiteral("2"),
             QStringLiteral("--date"), QStringLiteral("2013-01-31"), QStringLiteral("--balance"),
             QStringLiteral("0")},
            locked, 0, 3, 2, {}},
        {{QStringLiteral("schedule"), QStringLiteral("add"), book, QStringLiteral("--from"),
             QStringLiteral("1"), QStringLiteral("--to"), QStringLiteral("4"),
             QStringLiteral("--amount"), QStringLiteral("5"), QStringLiteral("--first"),
             QStringLiteral("2013-01-31"), QStringLiteral("--every"), QStringLiteral("1"),
             QStringLiteral("months")},
            locked, 0, 3, 2, {}},
        {{QStringLiteral("due"), book, QStringLiteral("--enter")}, locked, 0, 3, 2, {}},
        {{QStringLiteral("chart"), book, QStringLiteral("summary"), QStringLiteral("--from"),
             QStringLiteral("2013-01-01"), QStringLiteral("--to"), QStringLiteral("2013-12-31")},
            locked, 0, 3, 2, {QStringLiteral("-o")}},
    };
}

} // namespace

class TstQbtoolFrame : public QObject
{
    Q_OBJECT

    std::unique_ptr<test::TempEnv> m_env;

    QString path(const QString& name) const { return m_env->path(name); }

    // Fresh books before every run: locked.qbf (protected) with one daily
    // copy, plain.qbf (no password), cheap.qbf (encrypted, with cheap key
    // costs to keep the runs quick) and in.xml for pack.
    void makeBooks()
    {
        for (const QString& name : QDir(m_env->folder()).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(path(name));
        QDir(path(QStringLiteral("locked backups"))).removeRecursively();
        QVERIFY(test::writeDataFile(path(QStringLiteral("locked.qbf")), bookXml(true)));
        QVERIFY(test::writeDataFile(path(QStringLiteral("plain.qbf")), bookXml(false)));
        QVERIFY(QDir(m_env->folder()).mkdir(QStringLiteral("locked backups")));
        QVERIFY(test::writeDataFile(
            path(QStringLiteral("locked backups/locked 2026-12-02.qbf")), bookXml(true)));
        QVERIFY(test::writeBytes(
            path(QStringLiteral("in.xml")), test::sampleBookXml())); // clean: pack notes nothing
        QVERIFY(test::writeBytes(path(QStringLiteral("st.csv")),
            "date,amount,text\n2013-03-04,-7.25,Bakery\n")); // a statement for import
        const KdfParamsOverride cheap({1, 8192});
        const std::shared_ptr<BookKey> key = BookKey::create(kPassword);
        QByteArray text = bookXml(true);
        BookWriteOptions options;
        options.key = key.get();
        QVERIFY(!WriteBook(text.data(), text.size(), path(QStringLiteral("cheap.qbf")), options)
                     .isSet());
    }

    Run run(const QString& program, const QStringList& args, const QString& stdoutFile = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess p;
        p.setWorkingDirectory(m_env->folder());
        QProcessEnvironment env = environment;
        env.remove(QStringLiteral("QB_PASSWORD"));
        p.setProcessEnvironment(env);
        if (!stdoutFile.isEmpty())
            p.setStandardOutputFile(stdoutFile);
        p.start(program.startsWith(QLatin1Char('/'))
                ? program
                : QCoreApplication::applicationDirPath() + QLatin1Char('/') + program,
            args);
        Run r;
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
            return r;
        r.exitCode = p.exitCode();
        r.out = p.readAllStandardOutput();
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    Run qbtool(const QStringList& args, const QString& stdoutFile = {})
    {
        return run(QStringLiteral("qbtool"), args, stdoutFile);
    }

private slots:
    void init() { m_env = std::make_unique<test::TempEnv>(); }
    void cleanup() { m_env.reset(); }

    // One row a command; a command added to qbtool needs its row (the
    // overview test compares the two lists).
    void everyCommand_data()
    {
        QTest::addColumn<QStringList>("args"); // BOOK: the protected book, or plain.qbf
        QTest::addColumn<QString>("book"); // BOOK in the protected runs; none: no book is read
        QTest::addColumn<int>("exitCode"); // with the right password
        QTest::addColumn<int>("withoutPassword"); // the protected book without one
        QTest::addColumn<int>("needless"); // a password given for plain.qbf
        QTest::addColumn<QStringList>("outputs"); // the options that name an output file
        for (const CommandRow& r : commandRows())
            QTest::newRow(qPrintable(r.args.first()))
                << r.args << r.book << r.exitCode << r.withoutPassword << r.needless << r.outputs;
    }

    void everyCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, book);
        QFETCH(int, exitCode);
        QFETCH(int, withoutPassword);
        QFETCH(int, needless);
        QFETCH(QStringList, outputs);
        const QString command = args.first();
        const bool readsBook = !book.isEmpty();
        auto withBook = [&args](const QString& name) {
            QStringList a = args;
            a.replaceInStrings(QStringLiteral("BOOK"), name);
            return a;
        };
        const QStringList protectedArgs = withBook(book);
        const QStringList spellings[] = {
            {QStringLiteral("--password=") + kPassword}, {QStringLiteral("--password"), kPassword}};

        // --help: the usage first, the password among the options when the command reads a book.
        const Run help = qbtool({command, QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        const QString helpText = QString::fromUtf8(help.out);
        QVERIFY2(helpText.startsWith(QStringLiteral("Usage: qbtool ") + command + QLatin1Char(' ')),
            qPrintable(helpText));
        QCOMPARE(
            helpText.section(QStringLiteral("\n\n"), 0, 0).contains(QStringLiteral("--password P")),
            readsBook);
        QCOMPARE(helpText.contains(QStringLiteral("\n  --password P ")), readsBook);
        QCOMPARE(helpText.contains(QStringLiteral("\n  --password-file F ")), readsBook);
        for (const char* option : {"\n  -h, --help ", "\n  --version "})
            QVERIFY2(helpText.contains(QLatin1String(option)), option);
        QVERIFY(help.err.isEmpty());
        QCOMPARE(qbtool({QStringLiteral("help"), command}).out, help.out);

        const Run version = qbtool({command, QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(QString::fromUtf8(version.out), versionLine("qbtool"));

        if (!readsBook) {
            makeBooks();
            QCOMPARE(qbtool(args).exitCode, exitCode);
            makeBooks();
            const Run r = qbtool(args + spellings[0]);
            QCOMPARE(r.exitCode, needless);
            QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: unknown option --password\n")),
                qPrintable(r.err));
        } else {
            // Without the password, with it in either spelling (the same
            // outcome), and given for a book that has none.
            makeBooks();
            const Run without = qbtool(protectedArgs);
            QCOMPARE(without.exitCode, withoutPassword);
            if (withoutPassword == 3)
                QVERIFY2(without.err.contains(QStringLiteral("password"))
                        && without.err.count(QLatin1Char('\n')) == 1,
                    qPrintable(without.err));
            QList<Run> runs;
            for (const QStringList& spelling : spellings) {
                makeBooks();
                runs.append(qbtool(protectedArgs + spelling));
                QVERIFY2(runs.last().exitCode == exitCode, qPrintable(runs.last().err));
            }
            QVERIFY(!runs[0].out.isEmpty());
            if (command != QStringLiteral("encrypt")) // a new salt every time
                QCOMPARE(runs[0].out, runs[1].out);
            QCOMPARE(runs[0].err, runs[1].err);
            if (command
                == QStringLiteral("search")) // "January pay", worked out from the sample book
                QCOMPARE(runs[0].err, QStringLiteral("1 transaction, total 2500.00\n"));
            makeBooks();
            const Run given = qbtool(withBook(QStringLiteral("plain.qbf")) + spellings[1]);
            QCOMPARE(given.exitCode, needless);
            if (needless == 2) {
                QCOMPARE(given.err,
                    QStringLiteral(
                        "qbtool: plain.qbf: the book has no password; leave out --password\n"));
                QVERIFY(given.out.isEmpty());
            }
        }

#ifdef Q_OS_LINUX
        // Standard output, and each output file, on a full device: exit 3 and one line.
        const QStringList full = readsBook ? protectedArgs + spellings[1] : args;
        QStringList targets {QString()};
        targets << outputs;
        for (const QString& option : targets) {
            makeBooks();
            const bool toStdout = option.isEmpty();
            const Run r
                = qbtool(toStdout ? full : full + QStringList {option, QStringLiteral("/dev/full")},
                    toStdout ? QStringLiteral("/dev/full") : QString());
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.err,
                QStringLiteral("qbtool: ")
                    + (toStdout ? QStringLiteral("standard output") : QStringLiteral("/dev/full:"))
                    + QStringLiteral(" could not be written (No space left on device)\n"));
        }
#endif
    }

    // The overview names every command, says once which of them take a
    // password (exactly those whose help shows it), and documents the exit codes.
    void theOverviewTellsTheTruth()
    {
        const Run help = qbtool({QStringLiteral("help")});
        QCOMPARE(help.exitCode, 0);
        const QString text = QString::fromUtf8(help.out);
        const QRegularExpression readers(
            QStringLiteral("The commands that read a book \\(([^)]*)\\)"));
        const QRegularExpressionMatch m = readers.match(text);
        QVERIFY2(m.hasMatch(), qPrintable(text));
        QStringList named = m.captured(1).simplified().split(QStringLiteral(", "));
        named.sort();
        // The same for the commands that write a book: those with
        // --force-unlock, which their usage line shows as well.
        const QRegularExpression writers(
            QStringLiteral("the commands that write a book \\(([^)]*)\\)"));
        const QRegularExpressionMatch w = writers.match(text.simplified());
        QVERIFY2(w.hasMatch(), qPrintable(text));
        QStringList writing = w.captured(1).simplified().split(QStringLiteral(", "));
        writing.sort();
        QStringList listed;
        QStringList taking;
        QStringList unlocking;
        const QRegularExpression entry(
            QStringLiteral("^  ([a-z]+)[ \n]"), QRegularExpression::MultilineOption);
        for (auto it = entry.globalMatch(text); it.hasNext();) {
            const QString command = it.next().captured(1);
            listed << command;
            const QByteArray own = qbtool({command, QStringLiteral("--help")}).out;
            if (own.contains("\n  --password P "))
                taking << command;
            if (own.contains("\n  --force-unlock ")) {
                unlocking << command;
                const QByteArray usage = own.left(own.indexOf("\n\n"));
                QVERIFY2(
                    usage.contains("[--force-unlock]") || usage.contains("[OPTIONS]"), own.data());
            }
        }
        taking.sort();
        unlocking.sort();
        QCOMPARE(named, taking);
        QCOMPARE(writing, unlocking);
        QCOMPARE(writing,
            QStringList({QStringLiteral("decrypt"), QStringLiteral("due"),
                QStringLiteral("encrypt"), QStringLiteral("import"), QStringLiteral("new"),
                QStringLiteral("pack"), QStringLiteral("reconcile"), QStringLiteral("restore"),
                QStringLiteral("schedule")}));
        QVERIFY(text.simplified().contains(QStringLiteral(
            "visible to other users in the process list while qbtool runs: use --password-file "
            "or QB_PASSWORD")));
        QStringList tested; // in the overview's order
        QStringList reading;
        for (const CommandRow& r : commandRows()) {
            tested << r.args.first();
            if (!r.book.isEmpty())
                reading << r.args.first();
        }
        tested << QStringLiteral("help");
        reading.sort();
        QCOMPARE(listed, tested);
        QCOMPARE(taking, reading);
        for (const char* code : {"0 done", "1 inconsistencies found", "2 wrong usage",
                 "3 a file could not be read", "4 what was given to apply could not\nbe applied"})
            QVERIFY2(text.contains(QLatin1String(code)), code);

        for (const QStringList& args : {QStringList {QStringLiteral("--version")},
                 QStringList {QStringLiteral("help")}, QStringList {QStringLiteral("--help")}}) {
            const Run r = qbtool(args);
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(QString::fromUtf8(r.out),
                args.first() == QStringLiteral("--version") ? versionLine("qbtool") : text);
#ifdef Q_OS_LINUX
            const Run full = qbtool(args, QStringLiteral("/dev/full"));
            QCOMPARE(full.exitCode, 3);
            QCOMPARE(full.err,
                QStringLiteral(
                    "qbtool: standard output could not be written (No space left on device)\n"));
#endif
        }
    }

    // Loose arguments are refused with a line that names the fault.
    void wrongUsageNamesTheFault_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("line");
        const QStringList search {QStringLiteral("search"), QStringLiteral("plain.qbf")};
        QTest::newRow("side") << search
                + QStringList {QStringLiteral("--side"), QStringLiteral("sideways")}
                              << QStringLiteral("--side takes from, to or both, not sideways");
        QTest::newRow("side without accounts")
            << search + QStringList {QStringLiteral("--side=up")}
            << QStringLiteral("--side takes from, to or both, not up");
        QTest::newRow("amount operator")
            << search
                + QStringList {QStringLiteral("--amount"), QStringLiteral("between"),
                    QStringLiteral("1"), QStringLiteral("2")}
            << QStringLiteral("--amount takes =, >=, <=, >, < or range, not between");
        QTest::newRow("range of one") << search
                + QStringList {QStringLiteral("--amount"), QStringLiteral("range"),
                    QStringLiteral("1")}
                                      << QStringLiteral("--amount range needs two amounts");
        QTest::newRow("amount text")
            << search
                + QStringList {QStringLiteral("--amount"), QStringLiteral(">"),
                    QStringLiteral("ten")}
            << QStringLiteral("--amount takes amounts of up to nine digits and two decimals");
        QTest::newRow("mode") << search
                + QStringList {QStringLiteral("--details"), QStringLiteral("x"),
                    QStringLiteral("--mode"), QStringLiteral("like")}
                              << QStringLiteral("--mode takes contains, equals or not, not like");
        QTest::newRow("unknown") << QStringList {QStringLiteral("dump"), QStringLiteral("-x"),
            QStringLiteral("plain.qbf")}
                                 << QStringLiteral("unknown option -x");
        QTest::newRow("flag with a value") << QStringList {QStringLiteral("new"),
            QStringLiteral("--force=yes"), QStringLiteral("x.qbf")}
                                           << QStringLiteral("--force takes no value");
        QTest::newRow("value missing") << QStringList {QStringLiteral("export"),
            QStringLiteral("plain.qbf"), QStringLiteral("--format")}
                                       << QStringLiteral("--format needs a value");
        QTest::newRow("arguments")
            << QStringList {QStringLiteral("pack"), QStringLiteral("in.xml")}
            << QStringLiteral("pack takes IN.xml and FILE.qbf, not 1 argument");
        QTest::newRow("command") << QStringList {QStringLiteral("frob")}
                                 << QStringLiteral("unknown command frob");
    }

    void wrongUsageNamesTheFault()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, line);
        makeBooks();
        const Run r = qbtool(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.section(QLatin1Char('\n'), 0, 0), QStringLiteral("qbtool: ") + line);
        QVERIFY(r.err.contains(QStringLiteral("\n\nUsage: qbtool ")));
    }

    // Every command line in a fenced sh block of docs/qbtool.md, run in
    // order with bash from a folder laid out as the repository after a
    // build (qbtool and a copy of the demo book in build/bin), exits 0; the
    // demo book itself stays as it was.
    void theManualsExamplesRunAsWritten()
    {
        QFile manual(QStringLiteral(QB_SOURCE_DIR "/docs/qbtool.md"));
        QVERIFY(manual.open(QIODevice::ReadOnly));
        QStringList commands;
        bool inBlock = false;
        QString pending;
        for (const QString& raw : QString::fromUtf8(manual.readAll()).split(QLatin1Char('\n'))) {
            const QString line = raw.trimmed();
            if (line.startsWith(QStringLiteral("```"))) {
                inBlock = line == QStringLiteral("```sh");
                continue;
            }
            if (!inBlock || line.isEmpty() || line.startsWith(QLatin1Char('#')))
                continue;
            pending += line;
            if (pending.endsWith(QLatin1Char('\\')))
                pending.chop(1);
            else
                commands << std::exchange(pending, QString());
        }
        QVERIFY(commands.size() >= 20);
        const QString demo = path(QStringLiteral("build/bin/data/demo.qbf"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("build/bin/data"))));
        QVERIFY(QFile::link(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
            path(QStringLiteral("build/bin/qbtool"))));
        QVERIFY(QFile::copy(
            QCoreApplication::applicationDirPath() + QStringLiteral("/data/demo.qbf"), demo));
        const QByteArray before = test::fileBytes(demo);
        for (const QString& command : commands) {
            QVERIFY2(command.contains(QStringLiteral("build/bin/qbtool "))
                    || command.startsWith(QStringLiteral("cp ")),
                qPrintable(command));
            const Run r = run(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), command});
            QVERIFY2(r.exitCode == 0, qPrintable(command + QLatin1Char('\n') + r.err));
        }
        QCOMPARE(test::fileBytes(demo), before);
    }

    // The program answers --help and --version without a display and
    // without starting its window (made without one, it would abort).
    void theProgramAnswersHelpAndVersion()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        const Run version
            = run(QStringLiteral("quillbrook"), {QStringLiteral("--version")}, {}, environment);
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(QString::fromUtf8(version.out), versionLine("Quillbrook"));
        for (const QStringList& args : {QStringList {QStringLiteral("--help")},
                 QStringList {QStringLiteral("book.qbf"), QStringLiteral("-h")}}) {
            const Run help = run(QStringLiteral("quillbrook"), args, {}, environment);
            QCOMPARE(help.exitCode, 0);
            QVERIFY2(help.out.startsWith("Usage: quillbrook [FILE.qbf]\n"), help.out.constData());
            QVERIFY(help.err.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TstQbtoolFrame)
#include "tst_qbtoolframe.moc"
