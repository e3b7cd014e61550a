#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QtTest>

#include "TestSupport.h"
#include "shell/StoreDialogs.h"
#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/DataStore.h"
#include "store/Utilities.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace qb;
using test::fileBytes;

namespace {

// The main window of one program, as its store sees it: its messages are
// the program's, shown through the recording prompt.
class Window final : public StoreDialogs
{
public:
    void setStatusFile(const QString& text) override { status = text; }
    void setMainCaption(const QString& text) override { caption = text; }
    void showDataMenus(bool) override { }
    void closeDataWindows() override { }
    void showBookError(const BookError& error) override
    {
        errors << error;
        StoreDialogs::showBookError(error);
    }
    LoginResult showLogin(const QString&, const std::function<bool(const QString&)>&) override
    {
        return LoginResult::Cancelled;
    }
    void reopenBook(const QString& path) override { reopened << path; }
    QString status, caption;
    QList<BookError> errors;
    QStringList reopened;
};

void addNarration(DataStore& store, const QString& text)
{
    store.NarrationSection()
        .appendChild(store.NarrationSection().createElement(QStringLiteral("n")))
        .setText(text);
}

bool bookHas(const QString& path, const QByteArray& text)
{
    return test::readDataFile(path).contains(text);
}

// A book with another I than the sample's.
QByteArray otherBook()
{
    return test::sampleBookXml().replace("ABCDEFGHIJKLMNOPQRST", "ZYXWVUTSRQPONMLKJIHG");
}

#ifdef Q_OS_UNIX
int modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
#endif

} // namespace

class TstBookGuard : public test::FolderTest
{
    Q_OBJECT

private slots:
    // Two programs on one book: the second is told who has it and may only
    // look; once the first closes it, the second may change it.
    void aBookOpenElsewhereOpensOnlyReadOnly()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        test::RecordingPrompt prompt;
        DataStore first, second;
        Window firstWindow, secondWindow;
        first.setHost(&firstWindow);
        second.setHost(&secondWindow);
        first.setSyncOnSave(false);
        second.setSyncOnSave(false);

        QVERIFY(first.OpenDataFile(book));
        QVERIFY(QFileInfo::exists(book + QStringLiteral(".lock")));
        QCOMPARE(prompt.count(), 0);
        QVERIFY(!first.isReadOnly());

        // No: not opened, and nothing of it is shown.
        prompt.answer(MsgResult::No);
        QVERIFY(!second.OpenDataFile(book));
        QVERIFY(!second.hasDocument());
        QCOMPARE(second.lastError().stage, BookStage::Locked);
        const Message asked = prompt.last();
        QCOMPARE(asked.buttons, MsgButtons::YesNo);
        QCOMPARE(asked.defaultButton, MsgResult::No);
        for (const QString& part : QStringList {book,
                 QStringLiteral("process ") + QString::number(QCoreApplication::applicationPid()),
                 QSysInfo::machineHostName(), QFileInfo(book + QStringLiteral(".lock")).owner(),
                 QStringLiteral("read-only")})
            QVERIFY2(asked.text.contains(part), qPrintable(part));

        // Yes: read-only, said in the caption and the status strip; every
        // change is refused before anything is written.
        prompt.answer(MsgResult::Yes);
        QVERIFY(second.OpenDataFile(book));
        QVERIFY(second.isReadOnly());
        QCOMPARE(secondWindow.caption, AppTitle() + QStringLiteral(" [ books ] (read-only)"));
        QCOMPARE(secondWindow.status, book + QStringLiteral(" (read-only)"));
        const QByteArray before = fileBytes(book);
        prompt.clear();
        QVERIFY(second.refuseChange());
        addNarration(second, QStringLiteral("from the second"));
        QVERIFY(!second.SaveDocument());
        QCOMPARE(second.lastError().stage, BookStage::ReadOnly);
        QCOMPARE(prompt.count(), 2);
        QVERIFY(prompt.last().text.contains(QStringLiteral("open read-only")));
        QCOMPARE(fileBytes(book), before);
        QVERIFY(!QFileInfo::exists(book + QStringLiteral(".bak")));

        // The first saves as always; closing it frees the book.
        QVERIFY(!first.refuseChange());
        addNarration(first, QStringLiteral("from the first"));
        QVERIFY(first.SaveDocument());
        first.CloseDocument();
        QVERIFY(!QFileInfo::exists(book + QStringLiteral(".lock")));
        prompt.clear();
        QVERIFY(second.OpenDataFile(book));
        QCOMPARE(prompt.count(), 0);
        QVERIFY(!second.isReadOnly());
        QCOMPARE(secondWindow.caption, AppTitle() + QStringLiteral(" [ books ]"));
        addNarration(second, QStringLiteral("second, now writable"));
        QVERIFY(second.SaveDocument());
        QVERIFY(bookHas(book, "from the first") && bookHas(book, "second, now writable"));
        QVERIFY(!bookHas(book, "from the second"));

        // A new book may not replace one open elsewhere.
        QVERIFY(!first.CreateDataFile(book));
        QCOMPARE(first.lastError().stage, BookStage::Locked);
        QVERIFY(bookHas(book, "second, now writable"));
    }

    // The store asks and tells its host facts and words nothing itself: a
    // host answering with values (no prompt installed shows anything) gets
    // who holds the lock, the read-only refusal as an error, and where the
    // changes of a refused save were kept; without a host a locked book stays shut.
    void theStoreTellsItsHostFactsAndShowsNothing()
    {
        struct Facts final : StoreHost
        {
            void setStatusFile(const QString&) override { }
            void setMainCaption(const QString&) override { }
            void showDataMenus(bool) override { }
            void closeDataWindows() override { }
            void showBookError(const BookError& error) override { errors << error.stage; }
            bool openReadOnly(const QString& path, const QString& holder) override
            {
                asked << path + QLatin1Char('|') + holder;
                return readOnly;
            }
            void bookChangedOnDisk(
                const QString& path, const QString& keptIn, const BookError& notKept) override
            {
                changed << path + QLatin1Char('|') + keptIn;
                QVERIFY(!notKept.isSet());
            }
            bool readOnly = false;
            QStringList asked, changed;
            QList<BookStage> errors;
        };
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        test::RecordingPrompt prompt;
        DataStore first, second;
        Facts host;
        first.setSyncOnSave(false);
        QVERIFY(first.OpenDataFile(book));

        QVERIFY(!second.OpenDataFile(book)); // no host: no question, not opened
        QCOMPARE(second.lastError().stage, BookStage::Locked);
        second.setHost(&host);
        QVERIFY(!second.OpenDataFile(book));
        QVERIFY(!second.hasDocument());
        QCOMPARE(host.asked.size(), 1);
        QVERIFY(host.asked[0].startsWith(book + QLatin1Char('|')));
        QVERIFY(host.asked[0].contains(QString::number(QCoreApplication::applicationPid())));
        host.readOnly = true;
        QVERIFY(second.OpenDataFile(book) && second.isReadOnly());
        QVERIFY(!second.SaveDocument());
        QVERIFY(!second.CreateDataFile(book)); // held by the first, not by this read-only one
        QCOMPARE(host.errors, (QList<BookStage> {BookStage::ReadOnly, BookStage::Locked}));

        first.setHost(&host);
        QVERIFY(test::writeDataFile(book, otherBook()));
        addNarration(first, QStringLiteral("kept aside"));
        QVERIFY(!first.SaveDocument());
        QVERIFY(bookHas(first.unsavedChangesCopy(), "kept aside"));
        QCOMPARE(host.changed, QStringList {book + QLatin1Char('|') + first.unsavedChangesCopy()});
        QCOMPARE(prompt.count(), 0);
    }

    // A lock of a process that is gone, on this host, is taken over without
    // a word; one of another host is never judged stale, however old; a
    // lock file that does not say who holds it is told as such.
    void staleLocksAreTakenOverOnlyOnThisHost_data()
    {
        QTest::addColumn<QByteArray>("lock");
        QTest::addColumn<int>("minutesOld");
        QTest::addColumn<QString>("told"); // empty: taken over
        const QByteArray here = QSysInfo::machineHostName().toUtf8();
        // Beyond the largest process number there is no process; our own is alive.
        const QByteArray alive = QByteArray::number(QCoreApplication::applicationPid());
        QTest::newRow("dead process of this host")
            << QByteArray("2147480000\nquillbrook\n" + here + "\n") << 0 << QString();
        QTest::newRow("another host")
            << QByteArray(alive + "\nquillbrook\nelsewhere.example\n") << 0
            << QStringLiteral("elsewhere.example (process ") + QString::fromLatin1(alive);
        QTest::newRow("another host, five minutes old")
            << QByteArray(alive + "\nquillbrook\nelsewhere.example\n") << 5
            << QStringLiteral("elsewhere.example");
        QTest::newRow("another host, two days old")
            << QByteArray("17\nquillbrook\nelsewhere.example\n") << 2880
            << QStringLiteral("elsewhere.example (process 17)");
        QTest::newRow("damaged lock file") << QByteArray("\x01garbage") << 5
                                           << QStringLiteral("an unknown program (its lock file ");
    }
    void staleLocksAreTakenOverOnlyOnThisHost()
    {
        QFETCH(QByteArray, lock);
        QFETCH(int, minutesOld);
        QFETCH(QString, told);
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        const QString lockFile = book + QStringLiteral(".lock");
        QVERIFY(test::writeBytes(lockFile, lock));
        QFile aged(lockFile);
        QVERIFY(aged.open(QIODevice::ReadWrite));
        QVERIFY(aged.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesOld),
            QFileDevice::FileModificationTime));
        aged.close();

        test::RecordingPrompt prompt;
        prompt.answer(MsgResult::Yes);
        DataStore store;
        Window window;
        store.setHost(&window);
        QVERIFY(store.OpenDataFile(book));
        QCOMPARE(store.isReadOnly(), !told.isEmpty());
        QCOMPARE(prompt.count(), told.isEmpty() ? 0 : 1);
        if (told.isEmpty()) {
            QLockFile mine(lockFile);
            qint64 holder = 0;
            QString host, app;
            QVERIFY(mine.getLockInfo(&holder, &host, &app));
            QCOMPARE(holder, QCoreApplication::applicationPid());
            return;
        }
        QVERIFY2(prompt.last().text.contains(told), qPrintable(prompt.last().text));
        QVERIFY(!prompt.last().text.contains(QStringLiteral("(process 0)")));
        QCOMPARE(test::fileBytes(lockFile), lock);
        store.CloseDocument();
        // Removed by hand (qbtool --force-unlock), the book opens.
        QVERIFY(BookLock::forceUnlock(book));
        QVERIFY(store.OpenDataFile(book));
        QVERIFY(!store.isReadOnly());
    }

    // --force-unlock never removes the lock of a program that runs on this
    // computer, and says which process it is.
    void aRunningHolderIsNeverForcedOut()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        DataStore store;
        QVERIFY(store.OpenDataFile(book));
        Error error;
        LockHolder holder;
        QVERIFY(!BookLock::forceUnlock(book, &error, &holder));
        QCOMPARE(holder.pid, QCoreApplication::applicationPid());
        QVERIFY2(error.description.contains(
                     QStringLiteral("process %1 (").arg(QCoreApplication::applicationPid())),
            qPrintable(error.description));
        QVERIFY(QFileInfo::exists(BookLock::lockFileOf(book)));
        store.CloseDocument();
        QVERIFY(!QFileInfo::exists(BookLock::lockFileOf(book)));
        QVERIFY(BookLock::forceUnlock(book));
    }

    // A book renamed or deleted while it is open is never made again without
    // a word: the user says where it goes (its name again, another name, or
    // nowhere for now).
    void aMissingBookIsSavedWhereTheUserSays_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("savedAs"); // empty: nothing saved
        QTest::newRow("its name again") << int(MsgResult::Yes) << QStringLiteral("books.qbf");
        QTest::newRow("another name") << int(MsgResult::No) << QStringLiteral("elsewhere.qbf");
        QTest::newRow("nowhere now") << int(MsgResult::Cancel) << QString();
    }
    void aMissingBookIsSavedWhereTheUserSays()
    {
        QFETCH(int, answer);
        QFETCH(QString, savedAs);
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        test::RecordingPrompt prompt;
        test::RecordingFileDialogs dialogs;
        prompt.answer(MsgResult(answer));
        dialogs.answer(path(QStringLiteral("elsewhere"))); // ".qbf" is added
        DataStore store;
        Window window;
        store.setHost(&window);
        store.setSyncOnSave(false);
        QVERIFY(store.OpenDataFile(book));
        QVERIFY(QFile::rename(book, path(QStringLiteral("renamed.qbf"))));
        addNarration(store, QStringLiteral("after the rename"));
        QCOMPARE(store.SaveDocument(), !savedAs.isEmpty());
        QCOMPARE(prompt.count(), 1);
        QVERIFY(prompt.last().text.contains(book + QStringLiteral("\r\nwas renamed or deleted")));
        QCOMPARE(dialogs.requests.size(), answer == int(MsgResult::No) ? 1 : 0);
        QCOMPARE(QFileInfo::exists(book), savedAs == QStringLiteral("books.qbf"));
        QVERIFY(!bookHas(path(QStringLiteral("renamed.qbf")), "after the rename"));
        if (savedAs.isEmpty()) {
            QCOMPARE(store.lastError().stage, BookStage::Gone);
            QVERIFY(!QFileInfo::exists(path(QStringLiteral("elsewhere.qbf"))));
            return;
        }
        const QString saved = path(savedAs);
        QVERIFY(bookHas(saved, "after the rename"));
        QCOMPARE(store.currentFile(), saved);
        QVERIFY(window.caption.contains(QFileInfo(saved).completeBaseName()));
        // The book goes on from there: the next save is an ordinary one.
        addNarration(store, QStringLiteral("later"));
        QVERIFY(store.SaveDocument());
        QVERIFY(bookHas(saved, "later"));
        QCOMPARE(prompt.count(), 1);
        QVERIFY(QFileInfo::exists(BookLock::lockFileOf(saved)));
        store.CloseDocument();
    }

    // Whatever replaced the book since it was read here (another program
    // that ignored the lock, a copy put in its place), a save writes nothing
    // to it and keeps the changes beside it.
    void aSaveNeverReplacesABookChangedOnDisk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("another store saved") << QStringLiteral("store");
        QTest::newRow("replaced by a file") << QStringLiteral("replace");
    }
    void aSaveNeverReplacesABookChangedOnDisk()
    {
        QFETCH(QString, how);
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        test::RecordingPrompt prompt;
        DataStore mine, other;
        Window window;
        mine.setHost(&window);
        mine.setSyncOnSave(false);
        other.setSyncOnSave(false);
        QVERIFY(mine.OpenDataFile(book));
        addNarration(mine, QStringLiteral("saved before"));
        QVERIFY(mine.SaveDocument());

        if (how == QStringLiteral("store")) {
            // Another program that ignored the lock.
            QVERIFY(QFile::remove(BookLock::lockFileOf(book)));
            QVERIFY(other.OpenDataFile(book));
            addNarration(other, QStringLiteral("theirs"));
            QVERIFY(other.SaveDocument());
        } else {
            QVERIFY(test::writeDataFile(
                book + QStringLiteral(".new"), test::sampleBookXml().replace("Rent", "theirs")));
            QVERIFY(QFile::remove(book));
            QVERIFY(QFile::rename(book + QStringLiteral(".new"), book));
        }
        const QByteArray theirs = fileBytes(book);
        const QByteArray theirBackup = fileBytes(book + QStringLiteral(".bak"));

        prompt.clear();
        prompt.answer(MsgResult::Yes);
        addNarration(mine, QStringLiteral("mine, unsaved"));
        QVERIFY(!mine.SaveDocument());
        QCOMPARE(mine.lastError().stage, BookStage::ChangedOnDisk);
        QCOMPARE(fileBytes(book), theirs);
        QCOMPARE(fileBytes(book + QStringLiteral(".bak")), theirBackup);
        const QString copy = mine.unsavedChangesCopy();
        QVERIFY(QFileInfo(copy).fileName().startsWith(QStringLiteral("books (unsaved changes ")));
        QCOMPARE(QFileInfo(copy).absolutePath(), QFileInfo(book).absolutePath());
        QVERIFY(bookHas(copy, "saved before") && bookHas(copy, "mine, unsaved"));
        QCOMPARE(prompt.count(), 1);
        QVERIFY(prompt.last().text.contains(copy));
        QVERIFY(prompt.last().text.contains(book));
        QCOMPARE(window.reopened, QStringList {book});
        QVERIFY(window.errors.isEmpty());

        // A second change goes to the same copy; the book stays theirs.
        prompt.answer(MsgResult::No);
        addNarration(mine, QStringLiteral("mine, later"));
        QVERIFY(!mine.SaveDocument());
        QCOMPARE(mine.unsavedChangesCopy(), copy);
        QVERIFY(bookHas(copy, "mine, later"));
        QVERIFY(!QFileInfo::exists(copy + QStringLiteral(".bak")));
        QCOMPARE(fileBytes(book), theirs);
        QCOMPARE(window.reopened.size(), 1);

        // Reopened, the book is what is on disk and saves again.
        other.CloseDocument();
        QVERIFY(mine.OpenDataFile(book));
        QVERIFY(mine.unsavedChangesCopy().isEmpty());
        addNarration(mine, QStringLiteral("after reopening"));
        QVERIFY(mine.SaveDocument());
        QVERIFY(bookHas(book, "after reopening") && !bookHas(book, "mine, unsaved"));
        QVERIFY(bookHas(book, "theirs"));
    }

#ifdef Q_OS_UNIX
    // A new book, its backup, its daily copies, the copy of unsaved changes
    // and the backups folder are the owner's alone whatever the umask; a
    // book keeps the mode it has.
    void newFilesAreTheOwnersAloneWhateverTheUmask_data()
    {
        QTest::addColumn<int>("mask");
        QTest::newRow("umask 022") << 022;
        QTest::newRow("umask 077") << 077;
    }
    void newFilesAreTheOwnersAloneWhateverTheUmask()
    {
        QFETCH(int, mask);
        const mode_t previous = ::umask(mode_t(mask));
        const QString book = path(QStringLiteral("books.qbf"));
        DataStore store;
        FixedClock clock(QDate(2026, 12, 7));
        store.setClock(&clock);
        store.setSyncOnSave(false);
        QVERIFY(store.CreateDataFile(book));
        QVERIFY(store.OpenDataFile(book));
        for (int day = 7; day <= 8; ++day) {
            clock.setToday(QDate(2026, 12, day));
            addNarration(store, QStringLiteral("day %1").arg(day));
            QVERIFY(store.SaveDocument());
        }
        QCOMPARE(modeOf(book), 0600);
        QCOMPARE(modeOf(book + QStringLiteral(".bak")), 0600);
        QCOMPARE(modeOf(DailyCopyFolder(book)), 0700);
        QCOMPARE(DailyCopies(book).size(), 2);
        for (const DailyCopy& copy : DailyCopies(book))
            QCOMPARE(modeOf(copy.path), 0600);

        // A book whose owner shared it with the group stays so, and so does its backup.
        QVERIFY(::chmod(QFile::encodeName(book).constData(), 0640) == 0);
        store.CloseDocument();
        QVERIFY(store.OpenDataFile(book));
        addNarration(store, QStringLiteral("shared"));
        QVERIFY(store.SaveDocument());
        QCOMPARE(modeOf(book), 0640);
        QCOMPARE(modeOf(book + QStringLiteral(".bak")), 0640);

        // The copy kept when the book changed on disk.
        test::RecordingPrompt prompt;
        prompt.answer(MsgResult::No);
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        addNarration(store, QStringLiteral("kept aside"));
        QVERIFY(!store.SaveDocument());
        QCOMPARE(modeOf(store.unsavedChangesCopy()), 0600);
        store.CloseDocument();
        ::umask(previous);
    }

    // Pruning removes only copies this program wrote of this book, and
    // never where a link leads out of the book's folder.
    void pruningRemovesOnlyThisBooksOwnCopies()
    {
        QVERIFY(QDir().mkpath(path(QStringLiteral("mine"))));
        const QString book = path(QStringLiteral("mine/books.qbf"));
        const QString elsewhere = path(QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        // Matching names that are not this book's copies.
        const QString folder = DailyCopyFolder(book);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(test::writeBytes(folder + QStringLiteral("/books 2026-01-01.qbf"), "not a book"));
        QVERIFY(test::writeDataFile(folder + QStringLiteral("/books 2026-01-02.qbf"), otherBook()));
        QVERIFY(
            test::writeDataFile(elsewhere + QStringLiteral("/target.qbf"), test::sampleBookXml()));
        QVERIFY(QFile::link(elsewhere + QStringLiteral("/target.qbf"),
            folder + QStringLiteral("/books 2026-01-03.qbf")));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/books 2026-01-04.qbf")));

        SaveSetting(QStringLiteral("Backups"), QStringLiteral("DailyCopies"), QStringLiteral("2"));
        DataStore store;
        FixedClock clock(QDate(2026, 12, 1));
        store.setClock(&clock);
        store.setSyncOnSave(false);
        QVERIFY(store.OpenDataFile(book));
        for (int day = 1; day <= 5; ++day) {
            clock.setToday(QDate(2026, 12, day));
            addNarration(store, QStringLiteral("day %1").arg(day));
            QVERIFY(store.SaveDocument());
        }
        QStringList names = QDir(folder).entryList(
            QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
        QCOMPARE(names,
            (QStringList {QStringLiteral("books 2026-01-01.qbf"),
                QStringLiteral("books 2026-01-02.qbf"), QStringLiteral("books 2026-01-03.qbf"),
                QStringLiteral("books 2026-01-04.qbf"), QStringLiteral("books 2026-12-04.qbf"),
                QStringLiteral("books 2026-12-05.qbf")}));
        QVERIFY(QFileInfo::exists(elsewhere + QStringLiteral("/target.qbf")));

        // The backups folder a link out of the book's folder: copies go
        // there, nothing there is removed.
        store.CloseDocument();
        QVERIFY(QDir(folder).removeRecursively());
        QVERIFY(QFile::link(elsewhere, folder));
        for (const char* day : {"2026-11-01", "2026-11-02", "2026-11-03"})
            QVERIFY(test::writeDataFile(
                elsewhere + QStringLiteral("/books ") + QLatin1String(day) + QStringLiteral(".qbf"),
                test::sampleBookXml()));
        QVERIFY(store.OpenDataFile(book));
        for (int day = 6; day <= 8; ++day) {
            clock.setToday(QDate(2026, 12, day));
            addNarration(store, QStringLiteral("day %1").arg(day));
            QVERIFY(store.SaveDocument());
        }
        names = QDir(elsewhere).entryList(QDir::Files, QDir::Name);
        QCOMPARE(names.size(), 7);
        QVERIFY(names.contains(QStringLiteral("books 2026-11-01.qbf")));
        QVERIFY(names.contains(QStringLiteral("books 2026-12-08.qbf")));
        store.CloseDocument();
    }
#endif

    // With no setting, the newest 30 daily copies stay: one save a day for
    // 32 days, the first day's included and the last's.
    void theDefaultKeepsThirtyDailyCopies()
    {
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        DataStore store;
        FixedClock clock(QDate(2024, 2, 1));
        store.setClock(&clock);
        store.setSyncOnSave(false);
        QVERIFY(store.OpenDataFile(book));
        const QDate first(2024, 2, 1);
        const int days = 32;
        for (int d = 0; d < days; ++d) {
            clock.setToday(first.addDays(d));
            addNarration(store, QStringLiteral("day %1").arg(d));
            QVERIFY(store.SaveDocument());
        }
        const QList<DailyCopy> copies = DailyCopies(book);
        const int kept = 30;
        QCOMPARE(copies.size(), kept);
        QCOMPARE(copies.first().date, first.addDays(days - kept));
        QCOMPARE(copies.last().date, QDate(2024, 3, 3)); // 29 February counted
        store.CloseDocument();
    }

    // A first save of the day on a full disk: the save's own outcome first,
    // then the copy's failure once, with the system's reason, never saying
    // the changes are saved when they are not.
    void aFullDiskIsReportedTruthfully_data()
    {
        QTest::addColumn<bool>("saveFails");
        QTest::newRow("copy and save fail") << true;
        QTest::newRow("only the copy fails") << false;
    }
    void aFullDiskIsReportedTruthfully()
    {
        QFETCH(bool, saveFails);
        const QString book = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        DataStore store;
        Window window;
        FixedClock clock(QDate(2026, 12, 7));
        store.setHost(&window);
        store.setClock(&clock);
        store.setSyncOnSave(false);
        store.setSaveFault([saveFails](SaveStep step) {
            return step == SaveStep::DailyCopy || (saveFails && step == SaveStep::WriteTemp)
                ? ENOSPC
                : 0;
        });
        QVERIFY(store.OpenDataFile(book));
        addNarration(store, QStringLiteral("today"));
        QCOMPARE(store.SaveDocument(), !saveFails);
        checkFullDiskMessages(window.errors, saveFails);
        // Told once a run.
        clock.setToday(QDate(2026, 12, 8));
        store.SaveDocument();
        QCOMPARE(window.errors.size(), saveFails ? 3 : 1);
        store.CloseDocument();
    }

#ifdef Q_OS_LINUX
    // The same on a real full file system, where one can be mounted.
    void aFullTmpfsIsReportedTruthfully()
    {
        const QString mount = path(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(mount));
        if (::geteuid() != 0
            || QProcess::execute(QStringLiteral("mount"),
                   {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                       QStringLiteral("size=256k"), QStringLiteral("tmpfs"), mount})
                != 0)
            QSKIP("no small file system can be mounted here (the fault seam covers the case)");
        struct Unmount
        {
            QString at;
            ~Unmount() { QProcess::execute(QStringLiteral("umount"), {at}); }
        } unmount {mount};
        const QString book = mount + QStringLiteral("/books.qbf");
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
        DataStore store;
        Window window;
        FixedClock clock(QDate(2026, 12, 7));
        store.setHost(&window);
        store.setClock(&clock);
        QVERIFY(store.OpenDataFile(book));
        // Fill the disk to the last block.
        QFile filler(mount + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) { }
        filler.close();
        addNarration(store, QStringLiteral("today"));
        QVERIFY(!store.SaveDocument());
        checkFullDiskMessages(window.errors, true);
        QVERIFY(bookHas(book, "January pay"));
        store.CloseDocument();
    }
#endif

private:
    static void checkFullDiskMessages(const QList<BookError>& errors, bool saveFails)
    {
        const QString reason = QString::fromLocal8Bit(std::strerror(ENOSPC));
        QCOMPARE(errors.size(), saveFails ? 2 : 1);
        if (saveFails) {
            QCOMPARE(errors[0].stage, BookStage::NotSaved);
            QCOMPARE(BookErrorMessage(errors[0]).title, QStringLiteral("Save error"));
            QCOMPARE(errors[0].reason.description, reason);
        }
        const BookError& copy = errors.last();
        QCOMPARE(copy.stage, BookStage::DailyCopyFailed);
        QCOMPARE(copy.reason.description, reason);
        const QString text = BookErrorMessage(copy).text;
        QVERIFY(text.contains(reason));
        QCOMPARE(text.contains(QStringLiteral("Your changes are saved")), !saveFails);
    }
};

QTEST_GUILESS_MAIN(TstBookGuard)
#include "tst_bookguard.moc"
