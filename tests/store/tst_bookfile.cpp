#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QtTest>

#include "TestSupport.h"
#include "shell/StoreDialogs.h"
#include "store/BookFile.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Utilities.h"

using namespace qb;
using test::fileBytes;
using test::writeBytes;

namespace {

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
}

BookError write(const QByteArray& xml, const QString& path, const BookWriteOptions& options = {})
{
    QByteArray text = xml;
    return WriteBook(text.data(), text.size(), path, options);
}

QByteArray protectedWith(const QByteArray& i, const QString& password)
{
    return "<Data><AcMaster/><PValue>"
        + PasswordDigest(password + QString::fromLatin1(i)).toLatin1()
        + "</PValue><Trans/><Groups/><Narration/><I>" + i + "</I><DateRanges/></Data>";
}

// Records the messages a host would show.
class ErrorHost final : public StoreHost
{
public:
    void setStatusFile(const QString&) override { }
    void setMainCaption(const QString&) override { }
    void showDataMenus(bool) override { }
    void closeDataWindows() override { }
    void showBookError(const BookError& error) override { shown << error; }
    QList<BookError> shown;
};

} // namespace

class TstBookFile : public test::FolderTest
{
    Q_OBJECT

private slots:
    // A disk that fails at each step of the save in turn: what is left on the
    // disk is what the stage says, and the next good save puts everything right.
    void aFailingStepLeavesTheFilesItsStageNames_data()
    {
        QTest::addColumn<SaveStep>("step");
        QTest::addColumn<BookStage>("stage");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QByteArray>("bookAfter"); // empty: no book
        QTest::addColumn<QByteArray>("backupAfter"); // empty: no backup
        QTest::newRow("write") << SaveStep::WriteTemp << BookStage::NotSaved << "Save error"
                               << QByteArray("old") << QByteArray("older");
        // The old backup goes only once the new text is on the disk.
        QTest::newRow("sync") << SaveStep::SyncTemp << BookStage::NotSaved << "Save error"
                              << QByteArray("old") << QByteArray("older");
        QTest::newRow("remove backup") << SaveStep::RemoveBackup << BookStage::NotSaved
                                       << "Save error" << QByteArray("old") << QByteArray("older");
        QTest::newRow("move to backup") << SaveStep::MoveToBackup << BookStage::BackupRemoved
                                        << "Save Error" << QByteArray("old") << QByteArray();
        QTest::newRow("place new") << SaveStep::PlaceNew << BookStage::MovedToBackup << "Save error"
                                   << QByteArray() << QByteArray("old");
    }

    void aFailingStepLeavesTheFilesItsStageNames()
    {
        QFETCH(SaveStep, step);
        QFETCH(BookStage, stage);
        QFETCH(QString, title);
        QFETCH(QByteArray, bookAfter);
        QFETCH(QByteArray, backupAfter);
        const QString book = path(QStringLiteral("books.qbf"));
        const QString backup = book + QStringLiteral(".bak");
        QVERIFY(test::writeDataFile(book, "old"));
        QVERIFY(test::writeDataFile(backup, "older"));

        BookWriteOptions failing;
        failing.fault = [step](SaveStep s) { return s == step ? EIO : 0; };
        const BookError error = write("<Data>new</Data>", book, failing);
        QCOMPARE(error.stage, stage);
        QCOMPARE(error.path, book);
        QCOMPARE(error.reason.description, QString::fromLocal8Bit(std::strerror(EIO)));
        QVERIFY2(error.line().startsWith(book + QStringLiteral(": could not be written (")),
            qPrintable(error.line()));
        QVERIFY(!error.line().contains(QLatin1Char('\n')));
        QCOMPARE(BookErrorMessage(error).title, title);
        QCOMPARE(test::readDataFile(book), bookAfter);
        QCOMPARE(QFileInfo::exists(book), !bookAfter.isEmpty());
        QCOMPARE(test::readDataFile(backup), backupAfter);
        QCOMPARE(QFileInfo::exists(backup), !backupAfter.isEmpty());
        QVERIFY(leftovers(folder()).isEmpty());

        // The next save, in the order of its steps: whatever the failure left
        // as the backup stays the backup when the book itself is missing.
        QList<SaveStep> steps;
        BookWriteOptions recording;
        recording.fault = [&steps](SaveStep s) {
            steps << s;
            return 0;
        };
        QVERIFY(!write("<Data>newer</Data>", book, recording).isSet());
        QCOMPARE(test::readDataFile(book), QByteArray("<Data>newer</Data>"));
        QCOMPARE(test::readDataFile(backup), bookAfter.isEmpty() ? backupAfter : bookAfter);
        QList<SaveStep> expected = {SaveStep::WriteTemp, SaveStep::SyncTemp};
        if (!backupAfter.isEmpty() && !bookAfter.isEmpty())
            expected << SaveStep::RemoveBackup;
        if (!bookAfter.isEmpty())
            expected << SaveStep::MoveToBackup;
        expected << SaveStep::PlaceNew;
        QCOMPARE(steps, expected);
    }

    // What a crash between the two renames leaves: only the backup. Nothing
    // may treat that backup as disposable.
    void aBackupWithoutItsBookIsTheLastCopy()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        const QString backup = book + QStringLiteral(".bak");
        QVERIFY(test::writeDataFile(backup, test::sampleBookXml()));

        Book read;
        const BookError missing = ReadBook(book, &read);
        QCOMPARE(missing.stage, BookStage::BackupOnly);
        QVERIFY(missing.line().contains(QStringLiteral("copy the backup to books.qbf")));
        QVERIFY(BookErrorMessage(missing).text.contains(
            QStringLiteral("copy or rename the backup file to books.qbf")));
        QCOMPARE(CheckNewBookTarget(book).stage, BookStage::BackupInTheWay);
        QCOMPARE(CheckNewBookTarget(path(QStringLiteral("other.qbf"))).stage, BookStage::None);

        QVERIFY(!write("<Data>new</Data>", book).isSet());
        QCOMPARE(test::readDataFile(backup), test::sampleBookXml());
        QCOMPARE(test::readDataFile(book), QByteArray("<Data>new</Data>"));
    }

    // A text the program could not open again never reaches the disk: no
    // step of the save is taken, the book and its backup stay as they were.
    void aTextThatWouldNotOpenNeverReplacesTheBook()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        const QString backup = book + QStringLiteral(".bak");
        QVERIFY(test::writeDataFile(book, "old"));
        QVERIFY(test::writeDataFile(backup, "older"));
        QList<SaveStep> steps;
        BookWriteOptions recording;
        recording.fault = [&steps](SaveStep s) {
            steps << s;
            return 0;
        };
        recording.today = QDate(2013, 3, 20);
        for (const QByteArray& broken : {QByteArray("<Data><t Id=\"a\x02\"/></Data>"),
                 QByteArray("<Data><t Id=\"&#2;\"/></Data>"), QByteArray("<Data>&#65535;</Data>"),
                 QByteArray("<Data><Trans>"),
                 QByteArray("<!DOCTYPE Data [<!ENTITY e \"x\">]><Data>&e;</Data>")}) {
            const BookError error = write(broken, book, recording);
            QCOMPARE(error.stage, BookStage::NotSaved);
            QVERIFY(error.reason.isSet());
            QVERIFY(steps.isEmpty());
            QCOMPARE(test::readDataFile(book), QByteArray("old"));
            QCOMPARE(test::readDataFile(backup), QByteArray("older"));
            QCOMPARE(QDir(folder()).entryList(QDir::Files).size(), 2);
        }
    }

    void theSaveRemovesOnlyItsOwnLeftovers()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        const QStringList own
            = {QStringLiteral("books.qbf.Ab12Cd.tmp"), QStringLiteral("books.qbf.zzzzzz.tmp")};
        const QStringList others
            = {QStringLiteral("books.qbf.notes.tmp"), QStringLiteral("books.qbf.Ab12C.tmp"),
                QStringLiteral("other.qbf.Ab12Cd.tmp"), QStringLiteral("xbooks.qbf.Ab12Cd.tmp")};
        for (const QString& name : own + others)
            QVERIFY(writeBytes(path(name), "partial"));
        QVERIFY(!write("<Data/>", book).isSet());
        QStringList expected = others;
        expected.sort();
        QCOMPARE(leftovers(folder()), expected);
    }

    void aFolderInThePlaceOfABookOrBackupIsNamed()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(QDir(folder()).mkpath(QStringLiteral("books.qbf.bak")));
        QVERIFY(test::writeDataFile(book, "old"));
        const BookError bak = write("<Data/>", book);
        QCOMPARE(bak.stage, BookStage::NotSaved);
        QVERIFY2(
            bak.line().contains(QStringLiteral("books.qbf.bak is a folder, not a backup file")),
            qPrintable(bak.line()));

        const QString dir = path(QStringLiteral("folder.qbf"));
        QVERIFY(QDir(folder()).mkpath(QStringLiteral("folder.qbf")));
        QCOMPARE(write("<Data/>", dir).stage, BookStage::NotSaved);
        QVERIFY(QFileInfo(dir).isDir());
        QVERIFY(!QFileInfo::exists(dir + QStringLiteral(".bak")));
        QVERIFY(leftovers(folder()).isEmpty());
    }

    // Files that are damaged, hostile or protected in a way no password
    // opens: each ends at once with its own reason.
    void unusableBooksSayWhy_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("password"); // null: none given
        QTest::addColumn<BookStage>("stage");
        QTest::addColumn<QString>("says");

        const QByteArray sample = test::sampleBookXml();
        QTest::newRow("truncated")
            << sample.left(sample.size() / 2) << QString() << BookStage::Damaged
            << QStringLiteral("a damaged or incomplete Quillbrook data file (line ");
        QTest::newRow("100,000 levels deep")
            << "<Data>" + QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000)
                + "</Data>"
            << QString() << BookStage::Damaged << QStringLiteral("Excessive depth");
        QByteArray attributes = "<Data><AcMaster><a";
        for (int i = 0; i < 100000; ++i)
            attributes += " x" + QByteArray::number(i) + "=\"1\"";
        attributes += "/></AcMaster><Trans/><Groups/><Narration/></Data>";
        QTest::newRow("100,000 attributes") << attributes << QString() << BookStage::Damaged
                                            << QStringLiteral("more than 256 attributes");
        QByteArray laughs = "<!DOCTYPE Data [<!ENTITY a \"aaaaaaaaaa\">";
        for (char c = 'b'; c <= 'j'; ++c)
            laughs += QByteArray("<!ENTITY ") + c + " \""
                + QByteArray(QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
        laughs += "]>";
        QTest::newRow("nested entities in an attribute")
            << laughs
                + "<Data><AcMaster><a Code=\"1\" "
                  "AcName=\"&j;\"/></AcMaster><Trans/><Groups/><Narration/></Data>"
            << QString() << BookStage::Damaged << QStringLiteral("document type");
        QTest::newRow("nested entities in an amount")
            << laughs
                + "<Data><AcMaster/><Trans><t No=\"1\" dt=\"20130101\" fAc=\"1\" tAc=\"2\" "
                  "Nar=\"\">&j;</t></Trans>"
                  "<Groups/><Narration/></Data>"
            << QString() << BookStage::Damaged << QStringLiteral("document type");
        QTest::newRow("PValue without I")
            << QByteArray(
                   "<Data><AcMaster/><PValue>2468</PValue><Trans/><Groups/><Narration/></Data>")
            << QString() << BookStage::BadProtection << QStringLiteral("no I section");
        QTest::newRow("garbled PValue")
            << protectedWith("ABCDEFGHIJKLMNOPQRST", QStringLiteral("x"))
                   .replace("<PValue>", "<PValue>zz")
            << QStringLiteral("x") << BookStage::BadProtection
            << QStringLiteral("is no password digest");
        QTest::newRow("empty PValue")
            << QByteArray("<Data><AcMaster/><PValue/><Trans/><Groups/><Narration/"
                          "><I>ABCDEFGHIJKLMNOPQRST</I></Data>")
            << QString() << BookStage::BadProtection << QStringLiteral("is no password digest");
        QTest::newRow("garbled I, no password")
            << protectedWith("ABC", QStringLiteral("secret")) << QString()
            << BookStage::BadProtection << QStringLiteral("I \"ABC\" is not 20 capital letters");
        QTest::newRow("garbled I, right password")
            << protectedWith("ABC", QStringLiteral("secret")) << QStringLiteral("SECRET")
            << BookStage::None << QString();
        QTest::newRow("protected")
            << protectedWith("ABCDEFGHIJKLMNOPQRST", QStringLiteral("secret")) << QString()
            << BookStage::PasswordNeeded << QStringLiteral("protected by a password");
    }

    void unusableBooksSayWhy()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, password);
        QFETCH(BookStage, stage);
        QFETCH(QString, says);
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, xml));
        BookReadOptions options;
        options.testPassword = true;
        if (!password.isNull())
            options.password = password;
        Book read;
        const BookError error = ReadBook(book, &read, options);
        QCOMPARE(error.stage, stage);
        QVERIFY2(error.line().contains(says), qPrintable(error.line()));
        QCOMPARE(read.document.isNull(), stage != BookStage::None);
        // The program's open refuses the same files without a word.
        if (stage == BookStage::Damaged) {
            QVERIFY(!test::sharedStore().OpenDataFile(book));
            QCOMPARE(test::sharedStore().lastError().stage, BookStage::Damaged);
            QVERIFY(!test::sharedStore().hasDocument());
        }
    }

    // Over simulated days: the first save of a day keeps the book as it was
    // before it, later saves that day add nothing, only the newest copies
    // stay, and a copy that cannot be written is told once without stopping a save.
    void theFirstSaveOfADayKeepsADatedCopy()
    {
        DataStore& store = test::sharedStore();
        FixedClock clock(QDate(2026, 12, 1));
        ErrorHost host;
        store.setClock(&clock);
        store.setHost(&host);
        store.forgetDailyCopyReport();
        SaveSetting(QStringLiteral("Backups"), QStringLiteral("DailyCopies"), QStringLiteral("2"));
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        Book opened;
        QVERIFY(!ReadBook(book, &opened).isSet());
        QVERIFY(store.adoptDocument(std::move(opened.document), book));

        QMap<QDate, QByteArray> before;
        for (int day = 1; day <= 3; ++day) {
            clock.setToday(QDate(2026, 12, day));
            before.insert(clock.today(), fileBytes(book));
            for (int n = 1; n <= 2; ++n) {
                store.NarrationSection()
                    .appendChild(store.NarrationSection().createElement(QStringLiteral("n")))
                    .setText(QStringLiteral("day %1 save %2").arg(day).arg(n));
                QVERIFY(store.SaveDocument());
            }
        }
        const QList<DailyCopy> copies = DailyCopies(book);
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies[0].date, QDate(2026, 12, 2));
        QCOMPARE(copies[0].path, path(QStringLiteral("books backups/books 2026-12-02.qbf")));
        QCOMPARE(copies[1].date, QDate(2026, 12, 3));
        for (const DailyCopy& copy : copies)
            QCOMPARE(fileBytes(copy.path), before.value(copy.date));
        Book old;
        QVERIFY(!ReadBook(copies[1].path, &old).isSet()); // it opens as any book does
        QCOMPARE(old.document.evaluate(QStringLiteral("string(/Data/Narration/n[last()])")),
            QStringLiteral("day 2 save 2"));
        QVERIFY(host.shown.isEmpty());

        // Something in the folder's place: the saves go on, told once.
        QVERIFY(QDir(path(QStringLiteral("books backups"))).removeRecursively());
        QVERIFY(writeBytes(path(QStringLiteral("books backups")), "in the way"));
        for (int day = 4; day <= 5; ++day) {
            clock.setToday(QDate(2026, 12, day));
            QVERIFY(store.SaveDocument());
        }
        QCOMPARE(host.shown.size(), 1);
        QCOMPARE(host.shown[0].stage, BookStage::DailyCopyFailed);
        QVERIFY(
            BookErrorMessage(host.shown[0]).text.contains(QStringLiteral("books 2026-12-04.qbf")));
        QVERIFY(test::readDataFile(book).contains("day 3 save 2"));

        store.setHost(nullptr);
        store.setClock(nullptr);
        store.CloseDocument();
        store.forgetDailyCopyReport();
    }

    // An external entity would put another file's text into the book.
    void externalEntitiesAreNeverLoaded()
    {
        const QString secret = path(QStringLiteral("secret.txt"));
        QVERIFY(writeBytes(secret, "PRIVATE-MARKER"));
        const QByteArray xml = "<!DOCTYPE Data [<!ENTITY x SYSTEM \"file://"
            + QFile::encodeName(secret)
            + "\">]><Data><AcMaster><a Code=\"1\" "
              "AcName=\"&x;\"/></AcMaster><Trans/><Groups/><Narration/></Data>";
        XmlDocument doc;
        Error error;
        QVERIFY(!doc.loadXml(xml, &error));
        QVERIFY(!error.description.contains(QStringLiteral("PRIVATE")));
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, xml));
        Book read;
        const BookError e = ReadBook(book, &read);
        QCOMPARE(e.stage, BookStage::Damaged);
        QVERIFY(!e.line().contains(QStringLiteral("PRIVATE")));
    }
};

QTEST_GUILESS_MAIN(TstBookFile)
#include "tst_bookfile.moc"
