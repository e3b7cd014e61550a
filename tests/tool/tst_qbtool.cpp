#include <cstring>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include "FullDisk.h"
#include "TestSupport.h"
#include "shell/StoreDialogs.h"
#include "store/BookCheck.h"
#include "store/BookCrypto.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Money.h"
#include "store/Utilities.h"
#include "store/VisibleText.h"
#include "store/Xml.h"

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#endif

using namespace qb;
using namespace Qt::StringLiterals;
using test::fileBytes;
using test::sectionNames;
using test::writeBytes;

namespace {

// The program's main window as its store sees it: the messages are worded
// as the program words them and shown through the recording prompt.
class ProgramWindow final : public StoreDialogs
{
public:
    void setStatusFile(const QString&) override { }
    void setMainCaption(const QString&) override { }
    void showDataMenus(bool) override { }
    void closeDataWindows() override { }
    LoginResult showLogin(const QString&, const std::function<bool(const QString&)>&) override
    {
        return LoginResult::Cancelled;
    }
};

struct Run
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QString err;
};

const QStringList kSections
    = QString::fromLatin1("AcMaster PValue Trans Groups Narration I DateRanges")
          .split(QLatin1Char(' '));

QByteArray protectedSample(const QString& password)
{
    const QString i = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    return test::sampleBookXml().replace(
        PasswordDigest(i).toLatin1(), PasswordDigest(password + i).toLatin1());
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

// A book whose account names collide in every target once made safe: the
// names each export must give, worked out by hand.
struct CollisionHead
{
    int code;
    const char* name; // as the book's XML holds it
    const char* ledger;
    const char* beancount;
    const char* csv;
};
const CollisionHead kCollisionHeads[] = {
    {1, "Rent", "Rent #1-2", "Assets:Rent-C1-2", "Rent #1-2"},
    {2, "Rent", "Rent #2-2", "Assets:Rent-C2", "Rent #2-2"},
    {3, "Rent #1", "Rent #1", "Assets:Rent-1", "Rent #1"},
    {4, "Rent #2", "Rent #2", "Assets:Rent-2", "Rent #2"},
    {5, "* Star", "- Star", "Assets:Star-C5", "* Star"},
    {6, "Star", "Star", "Assets:Star-C6", "Star"},
    {7, "! Bang", "- Bang #7", "Assets:Bang-C7", "! Bang"},
    {8, "- Bang", "- Bang #8", "Assets:Bang-C8", "'- Bang"},
    {9, "Rent-C1", "Rent-C1", "Assets:Rent-C1", "Rent-C1"},
    {40, "Hub", "Hub #40", "Assets:Hub-C40-2", "Hub #40"},
    {41, "Hub", "Hub #41", "Assets:Hub-C41", "Hub #41"},
    {42, "Hub-C40", "Hub-C40", "Assets:Hub-C40", "Hub-C40"},
    {43, "=SUM(A1)", "-SUM-A1-", "Assets:SUM-A1-C43", "'=SUM(A1) #43"},
    {44, "'=SUM(A1)", "'-SUM-A1-", "Assets:SUM-A1-C44", "'=SUM(A1) #44"},
    {45, "Sales:Team", "Sales-Team #45", "Assets:Sales-Team", "Sales:Team"},
    {46, "sales-team", "sales-team #46", "Assets:A-sales-team", "sales-team"},
    {47, "Two  blanks", "Two blanks #47", "Assets:Two-blanks-C47", "Two  blanks"},
    {48, "Two blanks", "Two blanks #48", "Assets:Two-blanks-C48", "Two blanks"},
    {49, "Line&#10;break", "Line break", "Assets:Line-break", "Line break"},
};
// Narrations as the XML holds them, and as the CSV must give them back.
const char* const kCollisionNarrations[][2] = {
    {"Rent for March", "Rent for March"},
    {"=HYPERLINK(&quot;http://x&quot;)", "'=HYPERLINK(\"http://x\")"},
    {"+1 555", "'+1 555"},
    {"-5 off", "'-5 off"},
    {"@home", "'@home"},
    {"Line&#10;    Assets:Evil  1000000", "Line     Assets:Evil  1000000"},
    {"semi; colon", "semi; colon"},
    {"tab&#9;here", "tab here"},
    {"back\\slash &quot;q&quot;", "back\\slash \"q\""},
    {"", ""},
    {" =lead", "' =lead"},
    {"a,b", "a,b"},
};

struct CollisionRow
{
    int date;
    int number;
    int from; // index into kCollisionHeads
    int to;
    Money amount;
    int narration; // index into kCollisionNarrations
};

// 600 transactions from July 2014 to June 2016 in entry order, with rows on
// the last day of 2014, the first and last day of 2015 and the first of 2016.
QList<CollisionRow> collisionRows()
{
    QRandomGenerator random(2015);
    const int heads = int(std::size(kCollisionHeads));
    QList<CollisionRow> rows;
    QHash<int, int> numbers;
    auto add = [&](int date) {
        const int from = int(random.bounded(heads));
        const int to = (from + 1 + int(random.bounded(heads - 1))) % heads;
        rows.append({date, ++numbers[date], from, to,
            Money::fromUnits(qint64(1 + random.bounded(99999999)) * 100),
            int(rows.size() % std::size(kCollisionNarrations))});
    };
    for (int date : {20141231, 20150101, 20150101, 20151231, 20160101})
        add(date);
    const QDate first(2014, 7, 1);
    for (int i = 0; i < 595; ++i)
        add(DateToDocDate(first.addDays(random.bounded(730))));
    // A hand-edited book may hold a negative amount: a figure, never a formula.
    rows[2].amount = Money::fromUnits(-123400);
    return rows;
}

QByteArray collisionBookXml(const QList<CollisionRow>& rows)
{
    QByteArray xml = "<Data><AcMaster>";
    for (const CollisionHead& h : kCollisionHeads)
        xml += "<a Code=\"" + QByteArray::number(h.code) + "\" AcName=\"" + h.name + "\"/>";
    xml += "</AcMaster><PValue>" + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")).toLatin1()
        + "</PValue><Trans>";
    for (const CollisionRow& r : rows)
        xml += "<t No=\"" + QByteArray::number(r.number) + "\" dt=\"" + QByteArray::number(r.date)
            + "\" fAc=\"" + QByteArray::number(kCollisionHeads[r.from].code) + "\" tAc=\""
            + QByteArray::number(kCollisionHeads[r.to].code) + "\" Nar=\""
            + kCollisionNarrations[r.narration][0] + "\">" + r.amount.toText().toLatin1() + "</t>";
    return xml + "</Trans><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>";
}

// Standard output of a program run to its end; exit code in *rc.
QByteArray runProgram(const QString& program, const QStringList& args, int* rc)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        *rc = -1;
        return {};
    }
    *rc = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    if (*rc != 0)
        qWarning().noquote() << program << QString::fromUtf8(p.readAllStandardError());
    return p.readAllStandardOutput();
}

#ifdef Q_OS_LINUX
// A file of the given kind made by the test: a FIFO, a listening socket, or
// a device node (the null or full device; as root only, else the system's own).
QString makeSpecial(const QString& path, const QString& kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == QStringLiteral("fifo"))
        return ::mkfifo(name.constData(), 0600) == 0 ? path : QString();
    if (kind == QStringLiteral("socket")) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, name.constData(), sizeof(address.sun_path) - 1);
        const bool made
            = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
        if (fd >= 0)
            ::close(fd); // the socket file stays
        return made ? path : QString();
    }
    const bool full = kind == QStringLiteral("full device");
    if (::mknod(name.constData(), S_IFCHR | 0600, makedev(1, full ? 7 : 3)) == 0)
        return path;
    return full ? QStringLiteral("/dev/full") : QStringLiteral("/dev/null");
}

char fileKind(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return '?';
    return S_ISREG(st.st_mode) ? 'f'
        : S_ISFIFO(st.st_mode) ? 'p'
        : S_ISCHR(st.st_mode)  ? 'c'
        : S_ISSOCK(st.st_mode) ? 's'
        : S_ISLNK(st.st_mode)  ? 'l'
                               : '?';
}
#endif

} // namespace

class TstQbtool : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempEnv> m_env;

    QString path(const QString& name) const { return m_env->path(name); }

    // stdoutFile: where standard output goes instead of being read back.
    // qbPassword: the environment variable QB_PASSWORD, unset when null.
    Run qbtool(
        const QStringList& args, const QString& stdoutFile = {}, const QString& qbPassword = {})
    {
        QProcess p;
        p.setWorkingDirectory(m_env->folder());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QB_PASSWORD"));
        if (!qbPassword.isNull())
            environment.insert(QStringLiteral("QB_PASSWORD"), qbPassword);
        p.setProcessEnvironment(environment);
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
        QVERIFY2(
            QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool")),
            "qbtool is built beside the tests");
    }

    void init() { m_env = std::make_unique<test::TempEnv>(); }
    void cleanup() { m_env.reset(); }

    void usageNamesEveryCommand()
    {
        const Run none = qbtool({});
        QCOMPARE(none.exitCode, 2);
        QVERIFY(none.out.isEmpty());
        for (const char* word : {"Usage: qbtool", "new FILE.qbf", "dump FILE.qbf",
                 "pack IN.xml FILE.qbf", "check FILE.qbf", "export FILE.qbf --format", "report",
                 "--password", "--force", "0 done", "1 inconsistencies found", "2 wrong usage",
                 "3 a file could not be read", "4 what was given to apply could not\nbe applied"})
            QVERIFY2(none.err.contains(QString::fromLatin1(word)), word);

        const Run help = qbtool({QStringLiteral("help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("Usage: qbtool"));

        for (const QStringList& wrong :
            {QStringList {QStringLiteral("frob")}, QStringList {QStringLiteral("dump")},
                QStringList {QStringLiteral("pack"), QStringLiteral("a.xml")},
                QStringList {
                    QStringLiteral("check"), QStringLiteral("--nope"), QStringLiteral("a.qbf")},
                QStringList {QStringLiteral("dump"), QStringLiteral("a.qbf"),
                    QStringLiteral("--password")}}) {
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
        const QStringList commands {QStringLiteral("new"), QStringLiteral("dump"),
            QStringLiteral("pack"), QStringLiteral("check"), QStringLiteral("report")};
        for (const QString& command : commands) {
            const Run r = qbtool({command, QStringLiteral("--help")});
            const QString out = QString::fromUtf8(r.out);
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(out.startsWith(QStringLiteral("Usage: qbtool ") + command + QLatin1Char(' ')),
                qPrintable(out));
            for (const QString& other : commands) {
                if (other != command)
                    QVERIFY2(!out.contains(QStringLiteral("qbtool ") + other + QLatin1Char(' ')),
                        qPrintable(out));
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

        QCOMPARE(
            qbtool({QStringLiteral("new"), QStringLiteral("--force"), QStringLiteral("books.qbf")})
                .exitCode,
            0);
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
        QVERIFY(test::writeDataFile(
            path(QStringLiteral("locked.qbf")), protectedSample(QStringLiteral("secret"))));
        for (const QString& command : {QStringLiteral("dump"), QStringLiteral("check")}) {
            const Run none = qbtool({command, QStringLiteral("locked.qbf")});
            QCOMPARE(none.exitCode, 3);
            QVERIFY(none.out.isEmpty());
            QVERIFY2(
                none.err.contains(QStringLiteral("protected by a password")), qPrintable(none.err));

            const Run wrong = qbtool({command, QStringLiteral("locked.qbf"),
                QStringLiteral("--password"), QStringLiteral("guess")});
            QCOMPARE(wrong.exitCode, 3);
            QVERIFY(wrong.out.isEmpty());
            QVERIFY2(wrong.err.contains(QStringLiteral("wrong password")), qPrintable(wrong.err));

            // Letters count without regard to case, as in the program's login.
            const Run right = qbtool(
                {command, QStringLiteral("--password=SECRET"), QStringLiteral("locked.qbf")});
            QCOMPARE(right.exitCode, 0);
        }
        const Run dumped = qbtool({QStringLiteral("dump"), QStringLiteral("locked.qbf"),
            QStringLiteral("--password"), QStringLiteral("secret")});
        QCOMPARE(dumped.out, protectedSample(QStringLiteral("secret")) + '\n');
    }

    // Every command that reads a book takes the password from an option, a
    // file or QB_PASSWORD; an encrypted book needs it exactly. encrypt and
    // decrypt convert in place with the .bak, the transactions unchanged.
    void encryptedBooksAndThePasswordSources()
    {
        XmlDocument sample;
        QVERIFY(sample.loadXml(test::sampleBookXml()));
        const QByteArray trans
            = sample.selectSingleNode(QStringLiteral("/Data/Trans")).xml().toLatin1();
        auto transOf = [](const QByteArray& xml) {
            XmlDocument doc;
            return doc.loadXml(xml)
                ? doc.selectSingleNode(QStringLiteral("/Data/Trans")).xml().toLatin1()
                : QByteArray();
        };
        const QString password = QStringLiteral("Tiger Lily");
        QVERIFY(writeBytes(path(QStringLiteral("pw.txt")), password.toUtf8() + "\r\n"));
        {
            // Cheap key costs in the header keep the many reads below quick.
            const KdfParamsOverride cheap({1, 8192});
            const std::shared_ptr<BookKey> key = BookKey::create(password);
            QByteArray text = test::sampleBookXml();
            BookWriteOptions options;
            options.key = key.get();
            QVERIFY(!WriteBook(text.data(), text.size(), path(QStringLiteral("cheap.qbf")), options)
                         .isSet());
        }
        const QList<QStringList> commands {
            {QStringLiteral("dump")},
            {QStringLiteral("check")},
            {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv")},
            {QStringLiteral("report"), QStringLiteral("accounts")},
            {QStringLiteral("search"), QStringLiteral("--details"), QStringLiteral("pay")},
        };
        for (const QStringList& command : commands) {
            // The book follows the command's name ("report" takes it first, too).
            const QStringList base
                = QStringList {command.first(), QStringLiteral("cheap.qbf")} + command.mid(1);
            const Run none = qbtool(base);
            QCOMPARE(none.exitCode, 3);
            QVERIFY2(
                none.err.contains(QStringLiteral("protected by a password")), qPrintable(none.err));
            for (const QString& wrong :
                {password.toLower(), password.toUpper(), QStringLiteral("guess")}) {
                const Run r = qbtool(base + QStringList {QStringLiteral("--password"), wrong});
                QCOMPARE(r.exitCode, 3);
                // An encrypted book cannot tell a wrong password from a changed header.
                QVERIFY2(r.err.contains(QStringLiteral("wrong password, or the file was changed")),
                    qPrintable(r.err));
            }
            const Run byEnvironment = qbtool(base, {}, password);
            const Run byFile = qbtool(
                base + QStringList {QStringLiteral("--password-file"), QStringLiteral("pw.txt")},
                {}, QStringLiteral("ignored"));
            const Run byOption
                = qbtool(base + QStringList {QStringLiteral("--password=") + password});
            for (const Run& r : {byEnvironment, byFile, byOption}) {
                QVERIFY2(r.exitCode == 0, qPrintable(r.err));
                QCOMPARE(r.out, byOption.out);
            }
            if (command.first() == QStringLiteral("dump"))
                QCOMPARE(transOf(byOption.out), trans);
        }
        const Run noFile = qbtool({QStringLiteral("dump"), QStringLiteral("cheap.qbf"),
            QStringLiteral("--password-file"), QStringLiteral("nothere.txt")});
        QCOMPARE(noFile.exitCode, 3);
        QVERIFY2(
            noFile.err.contains(QStringLiteral("nothere.txt: the password file cannot be read")),
            qPrintable(noFile.err));

        // encrypt with the real key costs; the previous file becomes the .bak, encrypted too.
        const QString book = path(QStringLiteral("e.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        QVERIFY(test::writeDataFile(book + QStringLiteral(".bak"), test::sampleBookXml()));
        const Run encrypted = qbtool({QStringLiteral("encrypt"), QStringLiteral("e.qbf"),
            QStringLiteral("--password-file"), QStringLiteral("pw.txt")});
        QVERIFY2(encrypted.exitCode == 0, qPrintable(encrypted.err));
        QCOMPARE(encrypted.out, QByteArray("Encrypted e.qbf\n"));
        for (const QString& file : QStringList {book, book + QStringLiteral(".bak")}) {
            const QByteArray bytes = fileBytes(file);
            QVERIFY(IsEncryptedBook(bytes));
            const QByteArray costs = QByteArray(" ops=")
                + QByteArray::number(DefaultKdfParams().ops)
                + " mem=" + QByteArray::number(DefaultKdfParams().memBytes) + " ";
            QVERIFY(bytes.contains(costs));
        }
        const Run again
            = qbtool({QStringLiteral("encrypt"), QStringLiteral("e.qbf")}, {}, password);
        QCOMPARE(again.exitCode, 3);
        QVERIFY2(again.err.contains(QStringLiteral("encrypted already")), qPrintable(again.err));

        const Run decrypted
            = qbtool({QStringLiteral("decrypt"), QStringLiteral("e.qbf")}, {}, password);
        QVERIFY2(decrypted.exitCode == 0, qPrintable(decrypted.err));
        for (const QString& file : QStringList {book, book + QStringLiteral(".bak")}) {
            QVERIFY(!IsEncryptedBook(fileBytes(file)));
            QCOMPARE(transOf(test::readDataFile(file)), trans);
        }
        // It keeps its password, now without regard to case.
        const Run gate
            = qbtool({QStringLiteral("dump"), QStringLiteral("e.qbf")}, {}, password.toUpper());
        QCOMPARE(gate.exitCode, 0);
        QCOMPARE(transOf(gate.out), trans);
        QCOMPARE(qbtool({QStringLiteral("dump"), QStringLiteral("e.qbf")}).exitCode, 3);
        const Run notEncrypted
            = qbtool({QStringLiteral("decrypt"), QStringLiteral("e.qbf")}, {}, password);
        QCOMPARE(notEncrypted.exitCode, 3);
        QVERIFY2(notEncrypted.err.contains(QStringLiteral("is not encrypted")),
            qPrintable(notEncrypted.err));
    }

    void packRoundTripsADump()
    {
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), test::sampleBookXml()));
        const Run dumped = qbtool({QStringLiteral("dump"), QStringLiteral("books.qbf")});
        QVERIFY(writeBytes(path(QStringLiteral("books.xml")), dumped.out));
        const Run packed = qbtool(
            {QStringLiteral("pack"), QStringLiteral("books.xml"), QStringLiteral("copy.qbf")});
        QCOMPARE(packed.exitCode, 0);
        XmlDocument original;
        QVERIFY(original.loadXml(test::sampleBookXml()));
        XmlDocument copy;
        QVERIFY(copy.loadXml(test::readDataFile(path(QStringLiteral("copy.qbf")))));
        QCOMPARE(copy.documentElement().xml(), original.documentElement().xml());
        QVERIFY(packed.err.isEmpty());
        // The packed file opens in the program without a prompt.
        test::sharedStore().setHost(nullptr);
        QVERIFY(test::sharedStore().OpenDataFile(path(QStringLiteral("copy.qbf"))));
        QCOMPARE(test::sharedStore().TransSection().childElements().size(), 4);
        test::sharedStore().CloseDocument();
    }

    void packAddsWhatOlderBooksLackAndKeepsSevenBits()
    {
        QVERIFY(writeBytes(path(QStringLiteral("old.xml")),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<Data><AcMaster><a Code=\"1\" AcName=\"Caf\xc3\xa9\xe2\x80\xae\"/></AcMaster>"
            "<Trans/><Groups/><Narration/></Data>"));
        const Run r = qbtool(
            {QStringLiteral("pack"), QStringLiteral("old.xml"), QStringLiteral("old.qbf")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.contains(QStringLiteral("added I, PValue, DateRanges (no password)")),
            qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("1 inconsistency;")),
            qPrintable(r.err)); // the override, not the accent
        const QByteArray text = test::readDataFile(path(QStringLiteral("old.qbf")));
        for (char c : text)
            QVERIFY(static_cast<unsigned char>(c) < 128);
        XmlDocument doc;
        QVERIFY(doc.loadXml(text));
        QCOMPARE(sectionNames(doc), kSections);
        QVERIFY(!HasPassword(doc));
        QCOMPARE(
            doc.evaluate(QStringLiteral("string(//a/@AcName)")), QStringLiteral("Caf\u00e9\u202e"));
    }

    void packRefusesWhatIsNoBook_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("message");
        QTest::newRow("not XML") << QByteArray("<Data><AcMaster></Data>")
                                 << QStringLiteral("does not parse as XML (line ");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("does not parse as XML");
        QTest::newRow("another root")
            << QByteArray("<Books/>")
            << QStringLiteral("not a Quillbrook book: the root element is Books, not Data");
        QTest::newRow("sections missing")
            << QByteArray("<Data><AcMaster/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I></Data>")
            << QStringLiteral(
                   "not a Quillbrook book: missing section Trans; missing section Groups");
    }

    void packRefusesWhatIsNoBook()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, message);
        QVERIFY(writeBytes(path(QStringLiteral("in.xml")), xml));
        const Run r
            = qbtool({QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("out.qbf")});
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 3);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("out.qbf"))));
    }

    void packNeverOverwritesUnasked()
    {
        QVERIFY(writeBytes(path(QStringLiteral("in.xml")), test::sampleBookXml()));
        QVERIFY(writeBytes(path(QStringLiteral("out.qbf")), "precious"));
        const Run r
            = qbtool({QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("out.qbf")});
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.err.contains(QStringLiteral("already exists")));
        QCOMPARE(fileBytes(path(QStringLiteral("out.qbf"))), QByteArray("precious"));

        QCOMPARE(qbtool({QStringLiteral("pack"), QStringLiteral("--force"),
                            QStringLiteral("in.xml"), QStringLiteral("out.qbf")})
                     .exitCode,
            0);
        QCOMPARE(fileBytes(path(QStringLiteral("out.qbf.bak"))), QByteArray("precious"));
        QCOMPARE(test::readDataFile(path(QStringLiteral("out.qbf"))).contains("January pay"), true);
    }

    // A book open in the program is not replaced by the commands that write
    // books; forced past the lock, the program's next save writes nothing
    // over the new file and keeps its changes beside it.
    void writingCommandsRefuseABookOpenInTheProgram()
    {
        QVERIFY(writeBytes(
            path(QStringLiteral("in.xml")), test::sampleBookXml().replace("Rent", "Packed")));
        const QString book = path(QStringLiteral("open.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        test::RecordingPrompt prompt;
        prompt.answer(MsgResult::No);
        DataStore store;
        ProgramWindow window;
        store.setHost(&window);
        store.setSyncOnSave(false);
        QVERIFY(store.OpenDataFile(book));
        const QByteArray before = fileBytes(book);
        const QList<QStringList> refused = {
            {QStringLiteral("new"), QStringLiteral("--force"), QStringLiteral("open.qbf")},
            {QStringLiteral("pack"), QStringLiteral("--force"), QStringLiteral("in.xml"),
                QStringLiteral("open.qbf")},
        };
        for (const QStringList& args : refused) {
            const Run r = qbtool(args);
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(r.err.contains(QStringLiteral("open in Quillbrook by"))
                    && r.err.contains(QStringLiteral("process ")
                        + QString::number(QCoreApplication::applicationPid())),
                qPrintable(r.err));
            QCOMPARE(fileBytes(book), before);
            QVERIFY(!QFileInfo::exists(book + QStringLiteral(".bak")));
        }
        QVERIFY(qbtool({QStringLiteral("pack"), QStringLiteral("--help")})
                    .out.contains("--force-unlock"));

        // --force-unlock is for a program that crashed on another computer:
        // the program running here keeps its lock, and its book.
        const Run forced = qbtool(
            {QStringLiteral("pack"), QStringLiteral("--force"), QStringLiteral("--force-unlock"),
                QStringLiteral("in.xml"), QStringLiteral("open.qbf")});
        QCOMPARE(forced.exitCode, 3);
        QCOMPARE(forced.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(forced.err.contains(QStringLiteral("process ")
                     + QString::number(QCoreApplication::applicationPid()))
                && forced.err.contains(QStringLiteral("still running on this computer")),
            qPrintable(forced.err));
        QCOMPARE(fileBytes(book), before);
        store.NarrationSection()
            .appendChild(store.NarrationSection().createElement(QStringLiteral("n")))
            .setText(QStringLiteral("made in the program"));
        QVERIFY(store.SaveDocument());
        QVERIFY(test::readDataFile(book).contains("made in the program"));
        store.CloseDocument();
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
            (QStringList {
                QStringLiteral("missing section DateRanges (added when the file is opened)"),
                QStringLiteral(
                    "transaction 1 (dt 20130105, No 1): From and To are the same account"),
                QStringLiteral("transaction 3 (dt 20130110, No 2): amount \"45.50\" is not a "
                               "positive plain decimal"),
                QStringLiteral("group 1 (Money): member 9 has no account head")}));
    }

    // Output that does not arrive is a failure, never a cut-off result with exit code 0.
    void unwritableOutputIsAFailure_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("toStdout");
        QTest::newRow("dump") << QStringList {QStringLiteral("dump"), QStringLiteral("books.qbf")}
                              << true;
        QTest::newRow("check") << QStringList {QStringLiteral("check"), QStringLiteral("bad.qbf")}
                               << true;
        QTest::newRow("day") << QStringList {QStringLiteral("report"), QStringLiteral("books.qbf"),
            QStringLiteral("day"), QStringLiteral("--date"), QStringLiteral("2013-01-10")}
                             << true;
        QTest::newRow("balance") << QStringList {QStringLiteral("report"),
            QStringLiteral("books.qbf"), QStringLiteral("balance"), QStringLiteral("--account"),
            QStringLiteral("1"), QStringLiteral("--date"), QStringLiteral("20131231")}
                                 << true;
        QTest::newRow("day -o") << QStringList {QStringLiteral("report"),
            QStringLiteral("books.qbf"), QStringLiteral("day"), QStringLiteral("--date"),
            QStringLiteral("2013-01-10"), QStringLiteral("-o"), QStringLiteral("/dev/full")}
                                << false;
    }

    void unwritableOutputIsAFailure()
    {
#ifdef Q_OS_LINUX
        QFETCH(QStringList, args);
        QFETCH(bool, toStdout);
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), test::sampleBookXml()));
        // A clean book has nothing to list; this one has a line to write.
        QVERIFY(test::writeDataFile(
            path(QStringLiteral("bad.qbf")), test::sampleBookXml().replace(">45.5<", ">45.50<")));
        const Run r = qbtool(args, toStdout ? QStringLiteral("/dev/full") : QString());
        QVERIFY(!r.crashed);
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: "))
                && r.err.contains(QStringLiteral("No space left on device")),
            qPrintable(r.err));
#else
        QSKIP("/dev/full");
#endif
    }

    // Every named report: a page with the error mark in place of a figure
    // goes out whole, and the run ends with exit 3 and one line.
    void pagesWithErrorMarksFail_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("amounts"); // the two amounts of 5 January 2024
        QTest::addColumn<QString>("line");
        const QString overflow = QStringLiteral("500000000000000;500000000000000");
        const QString unreadable = QStringLiteral("1,250;7");
        const QString range = QStringLiteral("a sum leaves the range of amounts");
        const QString unread = QStringLiteral("an amount that cannot be read");
        const QStringList day {
            QStringLiteral("day"), QStringLiteral("--date"), QStringLiteral("2024-01-05")};
        const QStringList ledger {QStringLiteral("ledger"), QStringLiteral("--account"),
            QStringLiteral("2"), QStringLiteral("--from"), QStringLiteral("20240105"),
            QStringLiteral("--to"), QStringLiteral("20240105")};
        const QStringList summary {QStringLiteral("summary"), QStringLiteral("--from"),
            QStringLiteral("20240105"), QStringLiteral("--to"), QStringLiteral("20240105")};
        const QStringList accounts {QStringLiteral("accounts")};
        QTest::newRow("day, overflow") << day << overflow << range;
        QTest::newRow("day, unreadable") << day << unreadable << unread;
        QTest::newRow("ledger, overflow") << ledger << overflow << range;
        QTest::newRow("ledger, unreadable") << ledger << unreadable << unread;
        QTest::newRow("summary, overflow") << summary << overflow << range;
        QTest::newRow("summary, unreadable") << summary << unreadable << unread;
        QTest::newRow("accounts, overflow") << accounts << overflow << range;
        QTest::newRow("accounts, unreadable") << accounts << unreadable << unread;
        // The day before: every figure is there, and so is success.
        QTest::newRow("ledger, the day before") << QStringList {QStringLiteral("ledger"),
            QStringLiteral("--account"), QStringLiteral("2"), QStringLiteral("--from"),
            QStringLiteral("20240104"), QStringLiteral("--to"), QStringLiteral("20240104")}
                                                << overflow << QString();
    }

    void pagesWithErrorMarksFail()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, amounts);
        QFETCH(QString, line);
        const QStringList two = amounts.split(QLatin1Char(';'));
        const QString book = path(QStringLiteral("marks.qbf"));
        const QString pValue = PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        QVERIFY(test::writeDataFile(book,
            (QStringLiteral("<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/>"
                            "<a Code=\"2\" AcName=\"Bank\"/></AcMaster><PValue>")
                + pValue
                + QStringLiteral("</PValue><Trans>"
                                 "<t No=\"1\" dt=\"20240104\" fAc=\"1\" tAc=\"2\">3</t>"
                                 "<t No=\"1\" dt=\"20240105\" fAc=\"1\" tAc=\"2\">")
                + two.at(0) + QStringLiteral("</t><t No=\"2\" dt=\"20240105\" fAc=\"1\" tAc=\"2\">")
                + two.at(1)
                + QStringLiteral("</t></Trans><Groups/><Narration/>"
                                 "<I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>"))
                .toLatin1()));
        const Run r = qbtool(QStringList {QStringLiteral("report"), book} + args);
        QVERIFY2(!r.out.isEmpty(), qPrintable(r.err));
        if (line.isEmpty()) {
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            QVERIFY(r.out.contains("3.00"));
            QVERIFY(!r.out.contains(Money::errorMark().toUtf8()));
            return;
        }
        QCOMPARE(r.exitCode, 3);
        QVERIFY(r.out.contains(Money::errorMark().toUtf8()));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: ")) && r.err.contains(line),
            qPrintable(r.err));
    }

    // A reader that stops early (head) closes the pipe: qbtool says so in
    // one line and ends with 3, as for a full disk, instead of being killed.
    void aPipeClosedByTheReaderIsExitThree()
    {
#ifdef Q_OS_UNIX
        QByteArray xml = test::sampleBookXml();
        QByteArray rows;
        for (int i = 1; i <= 20000; ++i)
            rows += "<t No=\"" + QByteArray::number(i)
                + "\" dt=\"20130301\" fAc=\"1\" tAc=\"4\" "
                  "Nar=\"a narration long enough to fill the pipe\">1</t>";
        xml.replace("</Trans>", QByteArray(rows + "</Trans>"));
        QVERIFY(test::writeDataFile(path(QStringLiteral("big.qbf")), xml));
        QProcess shell;
        shell.setWorkingDirectory(m_env->folder());
        shell.start(QStringLiteral("bash"),
            {QStringLiteral("-c"),
                QStringLiteral("\"$0\" dump big.qbf 2>err.txt | head -c 10 >/dev/null; "
                               "echo ${PIPESTATUS[0]}"),
                QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool")});
        QVERIFY(shell.waitForFinished(60000));
        QCOMPARE(shell.readAllStandardOutput().trimmed(), QByteArray("3"));
        const QByteArray err = test::fileBytes(path(QStringLiteral("err.txt")));
        QCOMPARE(err.count('\n'), 1);
        QVERIFY2(err.startsWith("qbtool: ") && err.contains(std::strerror(EPIPE)), err.data());
#else
        QSKIP("pipes and signals of Unix");
#endif
    }

    // Encryption is done only when no copy of the book can be read without
    // the password. Daily copies on a full disk stay readable: exit 3 names
    // them; encrypt again, once there is room, finishes the work. No
    // temporary file outlives a run, not even one of a run that was killed.
    void encryptionLeavesNoReadableCopy()
    {
#ifdef Q_OS_LINUX
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book + QStringLiteral(".bak"), test::sampleBookXml()));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        test::FullDisk disk(path(QStringLiteral("books backups")));
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.why()));
        const QStringList daily {disk.path(QStringLiteral("books 2026-12-01.qbf")),
            disk.path(QStringLiteral("books 2026-12-02.qbf"))};
        for (const QString& copy : daily)
            QVERIFY(test::writeDataFile(copy, test::sampleBookXml()));
        QVERIFY(disk.fill());
        auto encrypted = [](const QString& file) { return fileBytes(file).startsWith("QBENC1\n"); };
        auto leftovers = [this, &disk] {
            return QDir(m_env->folder()).entryList({QStringLiteral("*.tmp")}, QDir::Files)
                + QDir(disk.path(QString()))
                      .entryList({QStringLiteral("*.tmp"), QStringLiteral("*.part")}, QDir::Files);
        };
        const QStringList encrypt {QStringLiteral("encrypt"), QStringLiteral("books.qbf"),
            QStringLiteral("--password-file"), QStringLiteral("pw.txt")};
        QVERIFY(writeBytes(path(QStringLiteral("pw.txt")), "Tiger Lily\n"));

        const Run stopped = qbtool(encrypt);
        QCOMPARE(stopped.exitCode, 3);
        QCOMPARE(stopped.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(stopped.err.contains(
                     QStringLiteral(
                         "can be read without the password: books backups/books 2026-12-01.qbf, "
                         "books backups/books 2026-12-02.qbf (")
                     + QString::fromLocal8Bit(std::strerror(ENOSPC)) + QLatin1Char(';')),
            qPrintable(stopped.err));
        QVERIFY(stopped.out.isEmpty());
        QVERIFY(encrypted(book) && encrypted(book + QStringLiteral(".bak")));
        QVERIFY(!encrypted(daily[0]) && !encrypted(daily[1]));
        QCOMPARE(leftovers(), QStringList());

        // What a killed run leaves: temporary copies beside the .bak and the daily copies.
        QVERIFY(QFile::remove(disk.path(QStringLiteral("filler"))));
        for (const QString& left : QStringList {book + QStringLiteral(".bak.a1B2c3.tmp"),
                 daily[0] + QStringLiteral(".Zz9yX8.tmp"),
                 disk.path(QStringLiteral("books 2026-12-03.qbf.part"))})
            QVERIFY(test::writeDataFile(left, test::sampleBookXml()));
        const Run finished = qbtool(encrypt);
        QVERIFY2(finished.exitCode == 0, qPrintable(finished.err));
        QCOMPARE(finished.out, QByteArray("Encrypted copies of books.qbf\n"));
        for (const QString& copy : daily + QStringList {book + QStringLiteral(".bak")})
            QVERIFY2(encrypted(copy), qPrintable(copy));
        QCOMPARE(leftovers(), QStringList());
        const Run listed = qbtool({QStringLiteral("backups"), QStringLiteral("books.qbf"),
            QStringLiteral("--password-file"), QStringLiteral("pw.txt")});
        QCOMPARE(QString::fromUtf8(listed.out).count(QStringLiteral("\t4 transactions\t")), 2);

        const Run again = qbtool(encrypt);
        QCOMPARE(again.exitCode, 3);
        QVERIFY(again.err.contains(QStringLiteral("is encrypted already")));
#else
        QSKIP("a full disk is made on Linux only");
#endif
    }

    // Names and texts from outside quoted in the one error line: control
    // characters as escapes, so that a terminal obeys none and no line break
    // forges a line; a statement that is no regular file is told as such.
    void errorLinesShowControlCharacters_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("line");
        const QString check = QStringLiteral("check");
        QTest::newRow("terminal title")
            << QStringList {check, QStringLiteral("a\x1b]0;owned\x07.qbf")}
            << QStringLiteral("qbtool: a\\x1B]0;owned\\x07.qbf: no such file\n");
        QTest::newRow("forged line")
            << QStringList {check, QStringLiteral("x\nqbtool: done\r.qbf")}
            << QStringLiteral("qbtool: x\\nqbtool: done\\r.qbf: no such file\n");
        QTest::newRow("direction override and DEL")
            << QStringList {check, QStringLiteral("fdp.\u202Eexe\x7f.qbf")}
            << QStringLiteral("qbtool: fdp.\\u{202E}exe\\x7F.qbf: no such file\n");
        const QStringList import {QStringLiteral("import"), QStringLiteral("books.qbf")};
        const QStringList account {QStringLiteral("--account"), QStringLiteral("1")};
        QTest::newRow("statement: a folder") << import + QStringList {QStringLiteral("sub")}
                + account << QStringLiteral("qbtool: sub: it is a folder\n");
        QTest::newRow("statement: a pipe")
            << import + QStringList {QStringLiteral("pipe")} + account
            << QStringLiteral(
                   "qbtool: pipe: it is not a regular file (a device, a pipe or a socket)\n");
        QTest::newRow("statement: /dev/zero")
            << import + QStringList {QStringLiteral("/dev/zero")} + account
            << QStringLiteral(
                   "qbtool: /dev/zero: it is not a regular file (a device, a pipe or a socket)\n");
        QTest::newRow("statement: missing") << import + QStringList {QStringLiteral("gone\t.csv")}
                + account << QStringLiteral("qbtool: gone\\t.csv: no such file\n");
    }

    void errorLinesShowControlCharacters()
    {
#ifdef Q_OS_UNIX
        QFETCH(QStringList, args);
        QFETCH(QString, line);
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), test::sampleBookXml()));
        QVERIFY(QDir(m_env->folder()).mkdir(QStringLiteral("sub")));
        QCOMPARE(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0600), 0);
        const Run r = qbtool(args);
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err, line);
#else
        QSKIP("names with control characters, pipes");
#endif
    }

    // The same in the windows' messages about a book.
    void messagesShowControlCharacters()
    {
        QCOMPARE(VisibleText(u"a\tb\u0085c\u2069d\u00e9\u20ac"),
            QStringLiteral("a\\tb\\x85c\\u{2069}d\u00e9\u20ac"));
        BookError error;
        error.stage = BookStage::Unreadable;
        error.path = QStringLiteral("/home/x/\x1b[2Jbooks\n.qbf");
        error.reason.description = QStringLiteral("Permission denied");
        const QString text = BookErrorMessage(error).text;
        QVERIFY2(
            text.contains(QStringLiteral("/home/x/\\x1B[2Jbooks\\n.qbf\r\n")), qPrintable(text));
        QVERIFY(!text.contains(QChar(0x1b))
            && text.count(QLatin1Char('\n')) == text.count(QStringLiteral("\r\n")));
    }

    void backupsListsTheDailyCopies()
    {
        QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("books backups")));
        QVERIFY(test::writeDataFile(
            path(QStringLiteral("books backups/books 2026-12-02.qbf")), test::sampleBookXml()));
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
        for (const QStringList& args :
            {QStringList {QStringLiteral("new"), QStringLiteral("books")},
                QStringList {
                    QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("books.qbf")},
                QStringList {QStringLiteral("dump"), QStringLiteral("books.qbf")}}) {
            const Run r = qbtool(args);
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(r.err.contains(QStringLiteral("books.qbf.bak")), qPrintable(r.err));
            QVERIFY(!QFileInfo::exists(file));
        }
        QCOMPARE(qbtool({QStringLiteral("new"), QStringLiteral("books"), QStringLiteral("--force")})
                     .exitCode,
            0);
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(fileBytes(backup), last);

        const Run nowhere = qbtool(
            {QStringLiteral("pack"), QStringLiteral("in.xml"), QStringLiteral("gone/books.qbf")});
        QCOMPARE(nowhere.exitCode, 3);
        QCOMPARE(nowhere.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(nowhere.err.startsWith(QStringLiteral(
                     "qbtool: gone/books.qbf: could not be written (No such file or directory)")),
            qPrintable(nowhere.err));
    }

    // A book of 300 transactions between accounts whose names the targets
    // would misread: ledger's balances of the journal are the balances added
    // up here, beancount accepts its file, and the CSV reads back as the book.
    void exportReadsBackInOtherTools()
    {
        struct Head
        {
            const char* name;
            const char* inLedger;
        };
        const Head heads[] = {{"Cash", "Cash"}, {"Sales:Team", "Sales-Team #2"},
            {"Two  blanks", "Two blanks"}, {"(Virtual) [x]", "-Virtual- -x-"},
            {"Note; here", "Note- here"}, {"9 lives", "9 lives"},
            {"Comma, \"Inc\"", "Comma, \"Inc\""}, {"Sales-Team", "Sales-Team #8"}};
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
            const QString amount
                = Money::fromUnits(qint64(1 + random.bounded(99999999)) * 100).toText();
            balance[to] += *Money::parse(amount);
            balance[from] -= *Money::parse(amount);
            inJanuary += date < 20130200;
            const QString narration
                = i % 5 ? QStringLiteral("Row %1").arg(i) : QStringLiteral("Row, \"%1\"").arg(i);
            xml += "<t No=\"" + QByteArray::number(i) + "\" dt=\"" + QByteArray::number(date)
                + "\" fAc=\"" + QByteArray::number(from) + "\" tAc=\"" + QByteArray::number(to)
                + "\" Nar=\"" + narration.toLatin1().replace("\"", "&quot;") + "\">"
                + amount.toLatin1() + "</t>";
            expectedRows << QStringList {
                QDate::fromString(QString::number(date), QStringLiteral("yyyyMMdd"))
                    .toString(Qt::ISODate),
                QString::number(i), QString::fromLatin1(heads[from - 1].name),
                QString::fromLatin1(heads[to - 1].name), amount, narration};
        }
        xml += "</Trans><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>";
        xml.replace("<PValue/>",
            QByteArray("<PValue>"
                + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")).toLatin1() + "</PValue>"));
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), xml));

        Run csv = qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
            QStringLiteral("--format"), QStringLiteral("csv")});
        QCOMPARE(csv.exitCode, 0);
        QList<QStringList> rows = readCsv(QString::fromUtf8(csv.out));
        QCOMPARE(rows.takeFirst(),
            (QStringList {QStringLiteral("date"), QStringLiteral("number"), QStringLiteral("from"),
                QStringLiteral("to"), QStringLiteral("amount"), QStringLiteral("narration")}));
        std::stable_sort(expectedRows.begin(), expectedRows.end(),
            [](const QStringList& a, const QStringList& b) {
                return a[0] != b[0] ? a[0] < b[0] : a[1].toInt() < b[1].toInt();
            });
        QCOMPARE(rows, expectedRows);
        csv = qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
            QStringLiteral("--format"), QStringLiteral("csv"), QStringLiteral("--from"),
            QStringLiteral("2012-12-01"), QStringLiteral("--to"), QStringLiteral("20130131")});
        QCOMPARE(readCsv(QString::fromUtf8(csv.out)).size(), 1 + inJanuary);
        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
                            QStringLiteral("--format"), QStringLiteral("qif")})
                     .exitCode,
            2);
        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
                            QStringLiteral("--format"), QStringLiteral("csv"),
                            QStringLiteral("--from"), QStringLiteral("20130201"),
                            QStringLiteral("--to"), QStringLiteral("20130131")})
                     .exitCode,
            2);

        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
                            QStringLiteral("--format"), QStringLiteral("ledger"),
                            QStringLiteral("-o"), QStringLiteral("books.ledger")})
                     .exitCode,
            0);
        QCOMPARE(qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
                            QStringLiteral("--format"), QStringLiteral("beancount"),
                            QStringLiteral("-o"), QStringLiteral("books.beancount")})
                     .exitCode,
            0);
        const QString ledger = QStandardPaths::findExecutable(QStringLiteral("ledger"));
        const QString beanCheck = QStandardPaths::findExecutable(QStringLiteral("bean-check"));
        if (ledger.isEmpty() || beanCheck.isEmpty())
            QSKIP("ledger or bean-check is not installed");
        QProcess p;
        p.start(ledger,
            {QStringLiteral("-f"), path(QStringLiteral("books.ledger")), QStringLiteral("--flat"),
                QStringLiteral("--no-total"), QStringLiteral("--balance-format"),
                QStringLiteral("%(account)|%(quantity(display_total))\n"), QStringLiteral("bal")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        QHash<QString, QString> reported;
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput())
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            reported.insert(
                line.section(QLatin1Char('|'), 0, 0), line.section(QLatin1Char('|'), 1));
        QCOMPARE(reported.size(), accounts); // no two accounts merged, none split
        for (int code = 1; code <= accounts; ++code) {
            const QString name = QString::fromLatin1(heads[code - 1].inLedger);
            QVERIFY2(reported.contains(name), qPrintable(name));
            QCOMPARE(Money::fromNumberText(reported.value(name).remove(QLatin1Char(','))),
                balance[code]);
        }
        p.start(beanCheck, {path(QStringLiteral("books.beancount"))});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
    }

    // The collision book read back by each tool: one account per head under
    // the name worked out above, every balance the book's (summed here), and
    // with a period exactly the transactions of its days, the balances on
    // its last day carried by the opening balances.
    void exportKeepsEveryAccountApart_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<int>("from"); // 0: no limit
        QTest::addColumn<int>("to");
        for (const char* reader : {"csv", "ledger", "hledger", "beancount"}) {
            QTest::addRow("%s, whole book", reader) << QString::fromLatin1(reader) << 0 << 0;
            QTest::addRow("%s, 2015", reader)
                << QString::fromLatin1(reader) << 20150101 << 20151231;
        }
        QTest::addRow("ledger, from the first of 2015 on")
            << QStringLiteral("ledger") << 20150101 << 0;
        QTest::addRow("beancount, up to the last of 2015")
            << QStringLiteral("beancount") << 0 << 20151231;
    }

    void exportKeepsEveryAccountApart()
    {
        QFETCH(QString, reader);
        QFETCH(int, from);
        QFETCH(int, to);
        const QString program
            = reader == QStringLiteral("beancount") ? QStringLiteral("bean-query") : reader;
        const QString tool
            = reader == QStringLiteral("csv") ? QString() : QStandardPaths::findExecutable(program);
        if (reader != QStringLiteral("csv") && tool.isEmpty())
            QSKIP("the reader is not installed");

        const QList<CollisionRow> rows = collisionRows();
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), collisionBookXml(rows)));
        const int heads = int(std::size(kCollisionHeads));
        QList<Money> balance(heads);
        QSet<QString> keys; // date|number of the rows written
        QList<CollisionRow> written;
        QSet<int> active;
        for (const CollisionRow& r : rows) {
            if (to && r.date > to)
                continue;
            balance[r.to] += r.amount;
            balance[r.from] -= r.amount;
            if (from && r.date < from)
                continue;
            keys.insert(QString::number(r.date) + QLatin1Char('|') + QString::number(r.number));
            written.append(r);
            active << r.from << r.to;
        }
        QCOMPARE(active.size(), heads); // every head has a posting in the period
        QVERIFY(keys.contains(QStringLiteral("20150101|1"))
            && keys.contains(QStringLiteral("20150101|2"))
            && keys.contains(QStringLiteral("20151231|1")));

        QStringList args {QStringLiteral("export"), QStringLiteral("books.qbf"),
            QStringLiteral("--format"),
            reader == QStringLiteral("hledger") ? QStringLiteral("ledger") : reader,
            QStringLiteral("-o"), QStringLiteral("out")};
        if (from)
            args << QStringLiteral("--from")
                 << QDate::fromString(QString::number(from), QStringLiteral("yyyyMMdd"))
                        .toString(Qt::ISODate);
        if (to)
            args << QStringLiteral("--to") << QString::number(to);
        const Run r = qbtool(args);
        QCOMPARE(r.exitCode, 0);
        const QString out = path(QStringLiteral("out"));
        const QString text = QString::fromUtf8(fileBytes(out));

        if (reader == QStringLiteral("csv")) {
            std::stable_sort(
                written.begin(), written.end(), [](const CollisionRow& a, const CollisionRow& b) {
                    return a.date != b.date ? a.date < b.date : a.number < b.number;
                });
            QList<QStringList> expected;
            expected << QStringList {QStringLiteral("date"), QStringLiteral("number"),
                QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("amount"),
                QStringLiteral("narration")};
            for (const CollisionRow& w : written)
                expected << QStringList {DocDateToDate(w.date).toString(Qt::ISODate),
                    QString::number(w.number), QString::fromLatin1(kCollisionHeads[w.from].csv),
                    QString::fromLatin1(kCollisionHeads[w.to].csv), w.amount.toText(),
                    QString::fromLatin1(kCollisionNarrations[w.narration][1])};
            QCOMPARE(readCsv(text), expected);
            QCOMPARE(text.count(QStringLiteral("\r\n")), expected.size()); // no line within a field
            return;
        }

        // Name and balance of every account the tool reports, and the keys of its transactions.
        QHash<QString, Money> reported;
        QSet<QString> reportedKeys;
        int rc = -1;
        auto addBalance = [&reported](const QString& name, const QString& figure) {
            const std::optional<Money> value
                = Money::fromNumberText(QString(figure).remove(QLatin1Char(',')));
            QVERIFY2(value && !reported.contains(name.trimmed()),
                qPrintable(name + QLatin1Char('|') + figure));
            reported.insert(name.trimmed(), *value);
        };
        if (reader == QStringLiteral("ledger")) {
            const QString lines = QString::fromUtf8(runProgram(tool,
                {QStringLiteral("-f"), out, QStringLiteral("--flat"), QStringLiteral("--empty"),
                    QStringLiteral("--no-total"), QStringLiteral("--balance-format"),
                    QStringLiteral("%(account)|%(quantity(display_total))\n"),
                    QStringLiteral("bal")},
                &rc));
            QCOMPARE(rc, 0);
            for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                addBalance(line.section(QLatin1Char('|'), 0, 0), line.section(QLatin1Char('|'), 1));
            const QString register_ = QString::fromUtf8(runProgram(tool,
                {QStringLiteral("-f"), out, QStringLiteral("reg"),
                    QStringLiteral("--register-format"),
                    QStringLiteral("%(format_date(date, \"%Y%m%d\"))|%(code)\n")},
                &rc));
            QCOMPARE(rc, 0);
            for (const QString& line : register_.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                if (!line.endsWith(QLatin1Char('|')))
                    reportedKeys.insert(line);
        } else if (reader == QStringLiteral("hledger")) {
            const QString lines = QString::fromUtf8(runProgram(tool,
                {QStringLiteral("-f"), out, QStringLiteral("bal"), QStringLiteral("--flat"),
                    QStringLiteral("-N"), QStringLiteral("-E"), QStringLiteral("--format"),
                    QStringLiteral("%(account)|%(total)")},
                &rc));
            QCOMPARE(rc, 0);
            for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                addBalance(line.section(QLatin1Char('|'), 0, 0),
                    line.section(QLatin1Char('|'), 1).trimmed());
            QList<QStringList> register_ = readCsv(QString::fromUtf8(runProgram(tool,
                {QStringLiteral("-f"), out, QStringLiteral("reg"), QStringLiteral("-O"),
                    QStringLiteral("csv")},
                &rc)));
            QCOMPARE(rc, 0);
            register_.removeFirst();
            for (const QStringList& row : register_)
                if (!row.value(2).isEmpty())
                    reportedKeys.insert(QString(row.value(1)).remove(QLatin1Char('-'))
                        + QLatin1Char('|') + row.value(2));
        } else {
            runProgram(QStandardPaths::findExecutable(QStringLiteral("bean-check")), {out}, &rc);
            QCOMPARE(rc, 0);
            QList<QStringList> sums = readCsv(QString::fromUtf8(runProgram(tool,
                {QStringLiteral("-f"), QStringLiteral("csv"), out,
                    QStringLiteral("SELECT account, sum(number) AS n GROUP BY account")},
                &rc)));
            QCOMPARE(rc, 0);
            sums.removeFirst();
            for (const QStringList& row : sums)
                addBalance(row.value(0), row.value(1).trimmed());
            QList<QStringList> entries = readCsv(QString::fromUtf8(runProgram(tool,
                {QStringLiteral("-f"), QStringLiteral("csv"), out,
                    QStringLiteral("SELECT DISTINCT date, entry_meta('number') AS n")},
                &rc)));
            QCOMPARE(rc, 0);
            entries.removeFirst();
            for (const QStringList& row : entries)
                if (!row.value(1).trimmed().isEmpty())
                    reportedKeys.insert(QString(row.value(0)).remove(QLatin1Char('-'))
                        + QLatin1Char('|') + row.value(1).trimmed());
        }
        if (QTest::currentTestFailed())
            return;
        // The opening balances are set against one equity account, which ends at nothing.
        for (const QString& name : reported.keys()) {
            if (name.startsWith(QStringLiteral("Equity:Opening"))) {
                QVERIFY(from);
                QCOMPARE(reported.take(name), Money());
            }
        }
        QCOMPARE(reported.size(), heads); // no two accounts merged, none split, nothing added
        for (int i = 0; i < heads; ++i) {
            const QString name = QString::fromLatin1(reader == QStringLiteral("beancount")
                    ? kCollisionHeads[i].beancount
                    : kCollisionHeads[i].ledger);
            QVERIFY2(reported.contains(name), qPrintable(name));
            QCOMPARE(reported.value(name), balance[i]);
        }
        QCOMPARE(reportedKeys, keys);
        // A limited journal says so at its top.
        QCOMPARE(text.startsWith(QStringLiteral("; Transactions ")), from || to);
        QCOMPARE(text.contains(QStringLiteral(
                     "\n; Opening balances as of 2015-01-01: each account's balance")),
            from != 0);
    }

    // A transaction the export cannot write stops it with check's line about
    // that transaction; nothing is written, an existing output stays.
    void exportRefusesWhatItCannotWrite_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::newRow("date with dashes")
            << QByteArray("dt=\"20130201\"") << QByteArray("dt=\"2013-02-01\"");
        QTest::newRow("no such day")
            << QByteArray("dt=\"20130105\"") << QByteArray("dt=\"20130230\"");
        QTest::newRow("empty date")
            << QByteArray("No=\"2\" dt=\"20130110\"") << QByteArray("No=\"2\" dt=\"\"");
        QTest::newRow("amount not a number") << QByteArray(">12.25<") << QByteArray(">twelve<");
        QTest::newRow("account without head")
            << QByteArray("tAc=\"4\" Nar=\"Market\"") << QByteArray("tAc=\"9\" Nar=\"Market\"");
    }

    void exportRefusesWhatItCannotWrite()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        const QByteArray xml = test::sampleBookXml().replace(from, to);
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), xml));
        XmlDocument doc;
        QVERIFY(doc.loadXml(xml));
        QStringList lines = BookCheck::problems(doc);
        QVERIFY(!lines.isEmpty());
        const QString where = lines.first().left(lines.first().indexOf(QStringLiteral("): ")) + 3);
        for (qsizetype i = 1; i < lines.size(); ++i)
            lines[i].remove(0, where.size());
        QVERIFY(writeBytes(path(QStringLiteral("old.csv")), "keep me"));
        for (const char* format : {"ledger", "beancount", "csv"}) {
            for (const QString& output : {QStringLiteral("new.out"), QStringLiteral("old.csv")}) {
                const Run r = qbtool({QStringLiteral("export"), QStringLiteral("books.qbf"),
                    QStringLiteral("--format"), QString::fromLatin1(format), QStringLiteral("-o"),
                    output, QStringLiteral("--from"), QStringLiteral("20130201"),
                    QStringLiteral("--to"), QStringLiteral("20130201")});
                QCOMPARE(r.exitCode, 3);
                QCOMPARE(r.err,
                    QStringLiteral("qbtool: books.qbf: ") + lines.join(QStringLiteral("; "))
                        + QLatin1Char('\n'));
            }
            QVERIFY(!QFileInfo::exists(path(QStringLiteral("new.out"))));
            QCOMPARE(fileBytes(path(QStringLiteral("old.csv"))), QByteArray("keep me"));
        }
    }

    // Every output path, on every kind of target: a device, FIFO or socket
    // stays what it is and is written in place; a symbolic link is followed;
    // a full disk fails in one line and leaves the old file or none.
    void outputsNeverReplaceWhatIsNoFile_data()
    {
        QTest::addColumn<QStringList>("args"); // OUT stands for the target
        QTest::addColumn<QString>("target");
        const QStringList outputs[] = {
            {QStringLiteral("export"), QStringLiteral("books.qbf"), QStringLiteral("--format"),
                QStringLiteral("ledger"), QStringLiteral("-o"), QStringLiteral("OUT")},
            {QStringLiteral("search"), QStringLiteral("books.qbf"), QStringLiteral("--from"),
                QStringLiteral("20130101"), QStringLiteral("--to"), QStringLiteral("20131231"),
                QStringLiteral("--csv"), QStringLiteral("OUT")},
            {QStringLiteral("search"), QStringLiteral("books.qbf"), QStringLiteral("--account"),
                QStringLiteral("1"), QStringLiteral("-o"), QStringLiteral("OUT")},
            {QStringLiteral("report"), QStringLiteral("books.qbf"), QStringLiteral("day"),
                QStringLiteral("--date"), QStringLiteral("2013-01-10"), QStringLiteral("-o"),
                QStringLiteral("OUT")},
        };
        const char* names[] = {"export -o", "search --csv", "search -o", "report -o"};
        for (int i = 0; i < 4; ++i) {
            for (const char* target : {"fifo", "null device", "full device", "socket",
                     "link to a new file", "link to a file", "full disk", "full disk, file there"})
                QTest::addRow("%s, %s", names[i], target)
                    << outputs[i] << QString::fromLatin1(target);
        }
        QTest::addRow("export -o, fifo whose reader leaves")
            << outputs[0] << QStringLiteral("fifo whose reader leaves");
    }

    void outputsNeverReplaceWhatIsNoFile()
    {
#ifdef Q_OS_LINUX
        QFETCH(QStringList, args);
        QFETCH(QString, target);
        // The sample book: outputs smaller than a file's buffer, whose failure
        // shows only when it is flushed. For a reader that leaves, 3,000 more
        // transactions: an export that outgrows a pipe's buffer.
        QByteArray xml = test::sampleBookXml();
        QByteArray many;
        for (int i = 1; i <= 3000 && target.endsWith(QStringLiteral("leaves")); ++i)
            many += "<t No=\"" + QByteArray::number(i)
                + "\" dt=\"20130301\" fAc=\"1\" tAc=\"2\" Nar=\"Row\">1</t>";
        many += "</Trans>";
        QVERIFY(
            test::writeDataFile(path(QStringLiteral("books.qbf")), xml.replace("</Trans>", many)));
        auto run = [&](const QString& out) {
            QStringList a = args;
            a.replace(a.indexOf(QStringLiteral("OUT")), out);
            return qbtool(a);
        };
        const Run reference = run(path(QStringLiteral("reference")));
        QCOMPARE(reference.exitCode, 0);
        const QByteArray expected = fileBytes(path(QStringLiteral("reference")));
        QVERIFY(expected.size() > 100);

        std::unique_ptr<test::FullDisk> disk;
        if (target.startsWith(QStringLiteral("full disk"))) {
            disk = std::make_unique<test::FullDisk>(path(QStringLiteral("full")));
            if (!disk->isMounted())
                QSKIP(qPrintable(disk->why()));
            if (target.endsWith(QStringLiteral("file there")))
                QVERIFY(writeBytes(disk->path(QStringLiteral("out")), "keep me"));
            QVERIFY(disk->fill());
            const Run r = run(disk->path(QStringLiteral("out")));
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(r.err.contains(QStringLiteral("No space left on device")), qPrintable(r.err));
            const QStringList left
                = QDir(disk->path(QString())).entryList(QDir::Files | QDir::Hidden);
            if (target.endsWith(QStringLiteral("file there"))) {
                QCOMPARE(left, (QStringList {QStringLiteral("filler"), QStringLiteral("out")}));
                QCOMPARE(fileBytes(disk->path(QStringLiteral("out"))), QByteArray("keep me"));
            } else {
                QCOMPARE(left, QStringList {QStringLiteral("filler")});
            }
            return;
        }
        if (target.startsWith(QStringLiteral("link"))) {
            const QString real = path(QStringLiteral("real.txt"));
            if (target.endsWith(QStringLiteral("a file")))
                QVERIFY(writeBytes(real, "old text"));
            QVERIFY(QFile::link(real, path(QStringLiteral("link.txt"))));
            QCOMPARE(run(path(QStringLiteral("link.txt"))).exitCode, 0);
            QCOMPARE(fileKind(path(QStringLiteral("link.txt"))), 'l');
            QCOMPARE(fileBytes(real), expected);
            return;
        }

        const bool fifo = target.startsWith(QStringLiteral("fifo"));
        const QString special
            = makeSpecial(path(QStringLiteral("special")), fifo ? QStringLiteral("fifo") : target);
        QVERIFY(!special.isEmpty());
        const char kind = fileKind(special);
        // A FIFO is read by a process of its own: all of it, or one byte and gone.
        QProcess reader;
        if (fifo) {
            const bool leaves = target.endsWith(QStringLiteral("leaves"));
            reader.setStandardOutputFile(path(QStringLiteral("read")));
            reader.start(QStringLiteral("head"),
                {QStringLiteral("-c"), leaves ? QStringLiteral("1") : QStringLiteral("100M"),
                    special});
            QVERIFY(reader.waitForStarted());
        }
        const Run r = run(special);
        QVERIFY(!r.crashed);
        QCOMPARE(fileKind(special), kind); // never replaced by a file
        if (fifo)
            QVERIFY(reader.waitForFinished(60000));
        if (target == QStringLiteral("fifo")) {
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(fileBytes(path(QStringLiteral("read"))), expected);
        } else if (target == QStringLiteral("null device")) {
            QCOMPARE(r.exitCode, 0);
        } else {
            QCOMPARE(r.exitCode, 3);
            QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
            const char* reason = target == QStringLiteral("full device") ? "No space left on device"
                : target == QStringLiteral("socket") ? "No such device or address"
                                                     : "Broken pipe";
            QVERIFY2(r.err.startsWith(QStringLiteral("qbtool: ") + special
                         + QStringLiteral(": could not be written ("))
                    && r.err.contains(QLatin1String(reason)),
                qPrintable(r.err));
        }
#else
        QSKIP("devices, FIFOs and sockets are tested on Linux");
#endif
    }

    // --side picks the side that must hold the account: From and To give
    // other rows on a book where they differ, both gives either.
    void searchSideFromAgainstTo_data()
    {
        QTest::addColumn<QString>("side");
        QTest::newRow("from") << QStringLiteral("from");
        QTest::newRow("to") << QStringLiteral("to");
        QTest::newRow("both") << QStringLiteral("both");
    }

    void searchSideFromAgainstTo()
    {
        QFETCH(QString, side);
        const QList<CollisionRow> rows = collisionRows();
        QVERIFY(test::writeDataFile(path(QStringLiteral("books.qbf")), collisionBookXml(rows)));
        const int rent = 0; // "Rent", code 1
        int count[3] = {0, 0, 0}; // from, to, both
        Money total[3];
        for (const CollisionRow& r : rows) {
            if (r.date < 20150101 || r.date > 20151231)
                continue;
            const bool in[3] = {r.from == rent, r.to == rent, r.from == rent || r.to == rent};
            for (int i = 0; i < 3; ++i) {
                count[i] += in[i];
                if (in[i])
                    total[i] += r.amount;
            }
        }
        QVERIFY(count[0] != count[1] && total[0] != total[1]);
        const int which = side == QStringLiteral("from") ? 0 : side == QStringLiteral("to") ? 1 : 2;
        const Run r = qbtool({QStringLiteral("search"), QStringLiteral("books.qbf"),
            QStringLiteral("--from"), QStringLiteral("2015-01-01"), QStringLiteral("--to"),
            QStringLiteral("2015-12-31"), QStringLiteral("--account"), QStringLiteral("1"),
            QStringLiteral("--side"), side, QStringLiteral("--csv"), QStringLiteral("found.csv")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err,
            QString::number(count[which]) + QStringLiteral(" transactions, total ")
                + total[which].format() + QLatin1Char('\n'));
        const QByteArray csv = fileBytes(path(QStringLiteral("found.csv")));
        QCOMPARE(csv.count("\r\n"), count[which]);
    }

    void unusableFilesGiveClearErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << QStringLiteral("nothing.qbf")
                                 << QStringLiteral("nothing.qbf: no such file");
        QTest::newRow("folder") << QStringLiteral("folder.qbf")
                                << QStringLiteral("folder.qbf: not a file");
        QTest::newRow("empty") << QStringLiteral("empty.qbf")
                               << QStringLiteral("empty.qbf: the file is empty");
        QTest::newRow("plain XML") << QStringLiteral(
            "plain.qbf") << QStringLiteral("plain.qbf: plain XML, not a Quillbrook data file");
        QTest::newRow("another key")
            << QStringLiteral("report.qbf")
            << QStringLiteral("report.qbf: not a Quillbrook data file (it does not decipher");
        QTest::newRow("random bytes") << QStringLiteral("noise.qbf")
                                      << QStringLiteral("noise.qbf: not a Quillbrook data file");
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

    // The sample book with statuses: pay (Salary to Bank, 05-01) reconciled,
    // the withdrawal (Bank to Cash, 10-01) and the market (Cash to Food,
    // 01-02) cleared, the groceries (Cash to Food, 10-01) not cleared.
    static QByteArray bookWithStatuses()
    {
        QByteArray xml = test::sampleBookXml();
        xml.replace("Nar=\"January pay\"", "Nar=\"January pay\" St=\"R\" Rc=\"20130105\"");
        xml.replace("Nar=\"Withdrawal\"", "Nar=\"Withdrawal\" St=\"C\"");
        xml.replace("Nar=\"Market\"", "Nar=\"Market\" St=\"C\"");
        return xml;
    }

    // Cash: 10-01 +300 cleared, 10-01 -45.5, 01-02 -12.25 cleared.
    void reconcileTakesTheClearedUpToTheStatementDate_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("statuses"); // after, in book order
        const QString none = QStringLiteral("rcnc");
        QTest::newRow("on the day of the cleared line")
            << QStringList {u"--date"_s, u"20130110"_s, u"--balance"_s, u"300"_s} << 0
            << u"Reconciled 1 transaction up to 2013-01-10, balance 300.00"_s << u"rrnc"_s;
        QTest::newRow("the day before: nothing")
            << QStringList {u"--date"_s, u"20130109"_s, u"--balance"_s, u"0"_s} << 0
            << u"Reconciled 0 transactions up to 2013-01-09, balance 0.00"_s << none;
        QTest::newRow("0.01 off") << QStringList {u"--date"_s, u"2013-01-31"_s, u"--balance"_s,
            u"299.99"_s} << 1 << u"Cleared balance 300.00, statement 299.99, difference -0.01"_s
                                  << none;
        QTest::newRow("the day after takes the market line")
            << QStringList {u"--date"_s, u"20130201"_s, u"--balance"_s, u"287.75"_s} << 0
            << u"Reconciled 2 transactions up to 2013-02-01, balance 287.75"_s << u"rrnr"_s;
        QTest::newRow("the same balance a day early")
            << QStringList {u"--date"_s, u"20130131"_s, u"--balance"_s, u"287.75"_s} << 1
            << u"Cleared balance 300.00, statement 287.75, difference -12.25"_s << none;
        QTest::newRow("dry run")
            << QStringList {u"--date"_s, u"20130201"_s, u"--balance"_s, u"287.75"_s, u"--dry-run"_s}
            << 0 << u"Would reconcile 2 transactions up to 2013-02-01, balance 287.75"_s << none;
        QTest::newRow("no amount")
            << QStringList {u"--date"_s, u"20130201"_s, u"--balance"_s, u"1,5"_s} << 2 << QString()
            << none;
    }
    void reconcileTakesTheClearedUpToTheStatementDate()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, firstLine);
        QFETCH(QString, statuses);
        QVERIFY(test::writeDataFile(path(u"books.qbf"_s), bookWithStatuses()));
        const Run r = qbtool(
            QStringList {u"reconcile"_s, u"books.qbf"_s, u"--account"_s, u"1"_s} + options);
        QCOMPARE(r.exitCode, exitCode);
        const QStringList lines = QString::fromUtf8(r.out).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), firstLine);
        if (exitCode == 1) // the candidates: every line of Cash not reconciled up to the date
            QCOMPARE(lines.mid(1),
                (QStringList {u"2013-01-10\t1\tcleared\t300\tBank\tWithdrawal"_s,
                    u"2013-01-10\t2\tnot cleared\t-45.5\tFood\tGroceries"_s}));
        XmlDocument saved;
        QVERIFY(saved.loadXml(ReadDataFileBytes(path(u"books.qbf"_s))));
        QString found;
        for (XmlNode t = saved.selectSingleNode(u"/Data/Trans"_s).firstChildElement(); t;
             t = t.nextSiblingElement()) {
            const QString st = t.attribute(u"St"_s);
            found += st == u"R"_s ? u'r' : st == u"C"_s ? u'c' : u'n';
        }
        QCOMPARE(found, statuses);
        const bool wrote = exitCode == 0 && !options.contains(u"--dry-run"_s);
        QCOMPARE(saved.selectNodes(u"/Data/Reconciliations/r[@Ac='1']"_s).size(), wrote ? 1 : 0);
        QCOMPARE(qbtool({u"check"_s, u"books.qbf"_s}).exitCode, 0);
    }

    // The statuses exported, read back by ledger, hledger and beancount: the
    // cleared balances (cleared or reconciled) and the reconciled ones are
    // the book's, summed here by hand.
    void exportsCarryTheStatus_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QStringList>("args"); // the reader's, before the journal
        QTest::addColumn<QString>("balances"); // account=figure, sorted
        const QString cleared = u"Bank=2200|Cash=287.75|Food=12.25|Salary=-2500"_s;
        const QString reconciled = u"Bank=2500|Salary=-2500"_s;
        QTest::newRow("ledger, cleared")
            << u"ledger"_s << QStringList {u"bal"_s, u"--limit"_s, u"cleared or pending"_s}
            << cleared;
        QTest::newRow("ledger, reconciled")
            << u"ledger"_s << QStringList {u"bal"_s, u"-C"_s} << reconciled;
        QTest::newRow("hledger, cleared")
            << u"hledger"_s << QStringList {u"bal"_s, u"-C"_s, u"-P"_s} << cleared;
        QTest::newRow("hledger, reconciled")
            << u"hledger"_s << QStringList {u"bal"_s, u"-C"_s} << reconciled;
        QTest::newRow("beancount, cleared")
            << u"bean-query"_s
            << QStringList {u"SELECT account, sum(number) WHERE flag = '*' GROUP BY account"_s}
            << cleared;
    }
    void exportsCarryTheStatus()
    {
        QFETCH(QString, reader);
        QFETCH(QStringList, args);
        QFETCH(QString, balances);
        const QString tool = QStandardPaths::findExecutable(reader);
        if (tool.isEmpty())
            QSKIP("the reader is not installed");
        const bool bean = reader == u"bean-query"_s;
        QVERIFY(test::writeDataFile(path(u"books.qbf"_s), bookWithStatuses()));
        const QString out = path(u"out"_s);
        QCOMPARE(qbtool({u"export"_s, u"books.qbf"_s, u"--format"_s,
                            bean ? u"beancount"_s : u"ledger"_s, u"-o"_s, out})
                     .exitCode,
            0);
        int rc = -1;
        QStringList lines;
        // Each figure through the exact reading: "2200.00" and "2200" are one.
        const auto add = [&lines](const QString& name, QString figure) {
            const std::optional<Money> value = Money::fromNumberText(figure.remove(u','));
            lines << name + u'=' + (value ? value->toText() : figure);
        };
        if (bean) {
            runProgram(QStandardPaths::findExecutable(u"bean-check"_s), {out}, &rc);
            QCOMPARE(rc, 0);
            QList<QStringList> rows = readCsv(QString::fromUtf8(
                runProgram(tool, QStringList {u"-f"_s, u"csv"_s, out} + args, &rc)));
            rows.removeFirst();
            for (const QStringList& row : rows)
                add(row.value(0).trimmed().mid(7), row.value(1).trimmed());
        } else {
            const QStringList format = reader == u"ledger"_s
                ? QStringList {u"--flat"_s, u"--no-total"_s, u"--balance-format"_s,
                    u"%(account)=%(quantity(display_total))\n"_s}
                : QStringList {u"--flat"_s, u"-N"_s, u"--format"_s, u"%(account)=%(total)"_s};
            const QString text = QString::fromUtf8(
                runProgram(tool, QStringList {u"-f"_s, out} + args + format, &rc));
            for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts))
                add(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
        }
        QCOMPARE(rc, 0);
        lines.sort();
        QCOMPARE(lines.join(u'|'), balances);
    }
};

QTEST_GUILESS_MAIN(TstQbtool)
#include "tst_qbtool.moc"
