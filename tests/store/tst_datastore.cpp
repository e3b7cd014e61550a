#include <QDir>
#include <QFile>
#include <QQueue>
#include <QSettings>
#include <QtTest>

#include "TestSupport.h"
#include "shell/StoreDialogs.h"
#include "store/BookFile.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Records.h"
#include "store/Utilities.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace qb;
using test::fileBytes;
using test::sectionNames;
using test::writeBytes;

#ifdef Q_OS_LINUX
// A device that fails at one moment cannot be made on demand, so the save's
// last step (giving the temporary file the data file's name) can be made to
// fail with EIO here, at the system-call boundary, while everything else stays real.
namespace {
QByteArray g_failRenameOnto;
int g_renameFailures = 0;
} // namespace

extern "C" int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
    unsigned int flags) noexcept
{
    if (!g_failRenameOnto.isEmpty() && g_failRenameOnto == newpath) {
        ++g_renameFailures;
        errno = EIO;
        return -1;
    }
    return int(::syscall(SYS_renameat2, olddirfd, oldpath, newdirfd, newpath, flags));
}

// Qt gives a new temporary file a name only when it is renamed, by linking it.
extern "C" int linkat(
    int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags) noexcept
{
    if (!g_failRenameOnto.isEmpty() && g_failRenameOnto == newpath) {
        ++g_renameFailures;
        errno = EIO;
        return -1;
    }
    return int(::syscall(SYS_linkat, olddirfd, oldpath, newdirfd, newpath, flags));
}
#endif

namespace {

const QString kCrLf = QStringLiteral("\r\n");

const QString kSaveError0 = QStringLiteral(
    "Could not save the file.\r\nPossible causes\r\n\tThe disk is Full\r\n"
    "\tYou do not have write access to the drive\r\n"
    "\tThe currently opened file or its backup file (with .bak extension) is read only");
const QString kSaveError1 = QStringLiteral(
    "There is a critical problem in saving the Quillbrook file. \r\n"
    "You can restore the last saved file by renaming the backup file (with extension .bak)");
const QString kSaveError2
    = QStringLiteral("Could not save the file.\r\nPossible causes\r\n\tThe disk is Full\r\n"
                     "\tYou do not have write access to the drive\r\n"
                     "\tThe currently opened file is read only\r\n\r\n"
                     "A backup of the current file is saved with extension .bak");
const QString kCannotSave = QStringLiteral(
    "Cannot save the Quillbrook file. \r\n"
    "You can restore the last saved file from the back up file (with extension .bak)");

// The main window as the store sees it: records what it is told and answers
// the login window with the scripted passwords (none left: Cancel).
class RecordingHost final : public StoreDialogs
{
public:
    void setStatusFile(const QString& text) override
    {
        status = text;
        calls << QStringLiteral("status");
    }
    void setMainCaption(const QString& text) override
    {
        caption = text;
        calls << QStringLiteral("caption");
    }
    void showDataMenus(bool visible) override
    {
        menus = visible;
        calls << QStringLiteral("menus");
    }
    void closeDataWindows() override { calls << QStringLiteral("close"); }
    LoginResult showLogin(
        const QString& text, const std::function<bool(const QString&)>& matches) override
    {
        loginCaptions << text;
        if (passwords.isEmpty())
            return LoginResult::Cancelled;
        return matches(passwords.dequeue()) ? LoginResult::Succeeded : LoginResult::Failed;
    }

    QString status;
    QString caption;
    bool menus = false;
    QStringList calls;
    QStringList loginCaptions;
    QQueue<QString> passwords;
};

// Adds an account head to the open document, as the windows do.
void addAccount(const QString& name)
{
    DataStore& store = test::sharedStore();
    AcMaster a;
    a.Code = NextAccountCode(store.document());
    a.AcName = name;
    a.CreateNode(store.AcMasterSection());
}

QStringList leftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
}

#ifdef Q_OS_UNIX
// File permissions only bind an ordinary user. When the tests run as the
// administrator, the cases that need them run with the effective ids of
// "nobody" (the real ids stay, so the guard can return).
class OrdinaryUser
{
public:
    // The folder gets the mode first, while the administrator still may set it.
    explicit OrdinaryUser(const QString& folder, mode_t mode = 0777)
    {
        ::chmod(QFile::encodeName(folder).constData(), mode);
        if (::geteuid() != 0)
            return;
        m_groups.resize(::getgroups(0, nullptr));
        ::getgroups(int(m_groups.size()), m_groups.data());
        if (::setgroups(0, nullptr) == 0 && ::setegid(65534) == 0)
            ::seteuid(65534);
    }
    ~OrdinaryUser() { restore(); }
    void restore()
    {
        if (::geteuid() == 0)
            return;
        if (::seteuid(0) == 0) {
            ::setegid(0);
            ::setgroups(m_groups.size(), m_groups.data());
        }
    }
    bool ok() const { return ::geteuid() != 0; }
    Q_DISABLE_COPY_MOVE(OrdinaryUser)

private:
    std::vector<gid_t> m_groups;
};
#endif

} // namespace

class TstDataStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TempEnv> m_env;
    std::unique_ptr<test::RecordingPrompt> m_prompt;
    RecordingHost m_host;

    DataStore& store() { return test::sharedStore(); }
    QString path(const QString& name) const { return m_env->path(name); }

    // Writes the sample book as books.qbf and opens it.
    QString openSample(const QString& name = QStringLiteral("books.qbf"))
    {
        const QString file = path(name);
        if (!test::writeDataFile(file, test::sampleBookXml()))
            return {};
        if (!store().OpenDataFile(file))
            return {};
        m_host.calls.clear();
        return file;
    }

    void verifyMessage(const Message& m, const QString& title, const QString& text)
    {
        QCOMPARE(m.title, title);
        QCOMPARE(m.text, text);
        QCOMPARE(m.icon, MsgIcon::Critical);
        QCOMPARE(m.buttons, MsgButtons::Ok);
    }

private slots:
    void init()
    {
        m_env = std::make_unique<test::TempEnv>();
        m_prompt = std::make_unique<test::RecordingPrompt>();
        m_host = RecordingHost();
        store().setHost(&m_host);
        store().setProgramFolder(path(QStringLiteral("program")));
        store().forgetFile();
    }

    void cleanup()
    {
        store().setHost(nullptr);
        store().CloseDocument();
        store().forgetFile();
        m_prompt.reset();
        m_env.reset();
    }

    void createThenOpenANewFile()
    {
        const QString file = path(QStringLiteral("new.qbf"));
        QVERIFY(store().CreateDataFile(file));
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(!QFileInfo::exists(
            file + QStringLiteral(".bak"))); // the first save only writes the file
        QCOMPARE(m_prompt->count(), 0);

        XmlDocument written;
        QVERIFY(written.loadXml(test::readDataFile(file)));
        QCOMPARE(sectionNames(written),
            QString::fromLatin1("AcMaster PValue Trans Groups Narration I DateRanges")
                .split(QLatin1Char(' ')));
        const QString i = written.selectSingleNode(QStringLiteral("/Data/I")).text();
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Z]{20}$")).match(i).hasMatch());
        QCOMPARE(
            written.selectSingleNode(QStringLiteral("/Data/PValue")).text(), PasswordDigest(i));
        // Not plain text on disk.
        QVERIFY(!fileBytes(file).contains("<Data>"));

        QVERIFY(store().OpenDataFile(file));
        QVERIFY(m_host.loginCaptions.isEmpty());
        QCOMPARE(store().currentFile(), file);
        QCOMPARE(store().currentFileTitle(), QStringLiteral("new"));
        QCOMPARE(m_host.caption, QStringLiteral("Quillbrook 2.0 [ new ]"));
        QCOMPARE(AppTitle(), QStringLiteral("Quillbrook 2.0"));
        QVERIFY(m_host.menus);
        QCOMPARE(m_host.status, file);
        QVERIFY(m_host.calls.contains(QStringLiteral("close")));
        QCOMPARE(GetSetting(QStringLiteral("StartUp"), QStringLiteral("LastDatabase")), file);
        QCOMPARE(store().dataFolder(), m_env->folder());
        QCOMPARE(GetSetting(QStringLiteral("datafolder"), QStringLiteral("path")), m_env->folder());

        QCOMPARE(store().AcMasterSection().name(), QStringLiteral("AcMaster"));
        QCOMPARE(store().PValueSection().name(), QStringLiteral("PValue"));
        QCOMPARE(store().TransSection().name(), QStringLiteral("Trans"));
        QCOMPARE(store().GroupsSection().name(), QStringLiteral("Groups"));
        QCOMPARE(store().NarrationSection().name(), QStringLiteral("Narration"));
        QCOMPARE(store().ISection().text(), i);
        QCOMPARE(store().DateRangesSection().name(), QStringLiteral("DateRanges"));
    }

    void savingTwiceKeepsThePreviousVersionAsBackup()
    {
        const QString file = openSample();
        QVERIFY(!file.isEmpty());
        const QByteArray original = fileBytes(file);

        addAccount(QStringLiteral("Rent"));
        QVERIFY(store().SaveDocument());
        const QByteArray first = fileBytes(file);
        QCOMPARE(fileBytes(file + QStringLiteral(".bak")), original);
        QVERIFY(test::readDataFile(file).contains("AcName=\"Rent\""));

        addAccount(QStringLiteral("Tax"));
        QVERIFY(store().SaveDocument());
        QCOMPARE(fileBytes(file + QStringLiteral(".bak")), first);
        XmlDocument now;
        QVERIFY(now.loadXml(test::readDataFile(file)));
        QCOMPARE(now.selectNodes(QStringLiteral("/Data/AcMaster/a")).size(), 6);
        QCOMPARE(now.evaluate(QStringLiteral("string(/Data/AcMaster/a[last()]/@AcName)")),
            QStringLiteral("Tax"));
        QCOMPARE(m_prompt->count(), 0);
        QVERIFY(leftovers(m_env->folder()).isEmpty());
    }

    void savingKeepsTheFilePermissions()
    {
#ifdef Q_OS_UNIX
        const QString file = openSample();
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        QVERIFY(store().SaveDocument());
        QCOMPARE(QFileInfo(file).permissions() & 0x0FFF,
            QFile::Permissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                | QFile::ReadUser | QFile::WriteUser)
                & 0x0FFF);
#else
        QSKIP("Unix permission bits");
#endif
    }

    void savingThroughALinkWritesWhereTheBookLives()
    {
#ifdef Q_OS_UNIX
        QVERIFY(QDir(m_env->folder()).mkdir(QStringLiteral("real")));
        const QString real = path(QStringLiteral("real/books.qbf"));
        QVERIFY(test::writeDataFile(real, test::sampleBookXml()));
        const QString link = path(QStringLiteral("link.qbf"));
        QVERIFY(QFile::link(real, link));
        QVERIFY(store().OpenDataFile(link));
        addAccount(QStringLiteral("Linked"));
        QVERIFY(store().SaveDocument());
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(test::readDataFile(real).contains("Linked"));
        QCOMPARE(test::readDataFile(real + QStringLiteral(".bak")), test::sampleBookXml());
        QVERIFY(!QFileInfo::exists(link + QStringLiteral(".bak")));
#else
        QSKIP("symbolic links");
#endif
    }

    void emptyTextIsNeverWritten()
    {
        const QString file = openSample();
        const QByteArray before = fileBytes(file);
        QVERIFY(!store().WriteDataFile(QByteArray(" \r\n\t "), file));
        QCOMPARE(m_prompt->count(), 1);
        verifyMessage(m_prompt->last(), QStringLiteral("Cannot save"), kCannotSave);
        QCOMPARE(fileBytes(file), before);
        QVERIFY(!QFileInfo::exists(file + QStringLiteral(".bak")));
        QVERIFY(leftovers(m_env->folder()).isEmpty());
    }

    void readOnlyBackupStopsTheSaveBeforeAnythingChanges()
    {
        const QString file = openSample();
        const QString backup = file + QStringLiteral(".bak");
        QVERIFY(writeBytes(backup, "older version"));
        QVERIFY(QFile::setPermissions(
            backup, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = fileBytes(file);

        addAccount(QStringLiteral("Rent"));
        QVERIFY(!store().SaveDocument());
        QCOMPARE(m_prompt->count(), 1);
        verifyMessage(m_prompt->last(), QStringLiteral("Save error"), kSaveError0);
        QCOMPARE(fileBytes(file), before);
        QCOMPARE(fileBytes(backup), QByteArray("older version"));
        QVERIFY(leftovers(m_env->folder()).isEmpty());
        // The change stays in memory and goes out with the next good save.
        QVERIFY(QFile::setPermissions(backup, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(store().SaveDocument());
        QVERIFY(test::readDataFile(file).contains("Rent"));
        QCOMPARE(fileBytes(backup), before);
    }

    void folderInTheBackupsPlaceStopsTheSave()
    {
        const QString file = openSample();
        const QString backup = file + QStringLiteral(".bak");
        QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("books.qbf.bak/inside")));
        const QByteArray before = fileBytes(file);
        addAccount(QStringLiteral("Rent"));
        QVERIFY(!store().SaveDocument());
        verifyMessage(m_prompt->last(), QStringLiteral("Save error"), kSaveError0);
        QCOMPARE(fileBytes(file), before);
        QVERIFY(QFileInfo(backup).isDir());
        QVERIFY(leftovers(m_env->folder()).isEmpty());
    }

    void missingFolderStopsTheSave()
    {
        QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("gone")));
        QVERIFY(!openSample(QStringLiteral("gone/books.qbf")).isEmpty());
        QVERIFY(QDir(path(QStringLiteral("gone"))).removeRecursively());
        QVERIFY(!store().SaveDocument());
        verifyMessage(m_prompt->last(), QStringLiteral("Save error"), kSaveError0);
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("gone"))));
    }

    void readOnlyFolderStopsTheSave()
    {
#ifdef Q_OS_UNIX
        const QString file = openSample();
        const QString backup = file + QStringLiteral(".bak");
        QVERIFY(writeBytes(backup, "older version"));
        const QByteArray before = fileBytes(file);
        addAccount(QStringLiteral("Rent"));
        OrdinaryUser user(m_env->folder(), 0555);
        if (!user.ok())
            QSKIP("cannot act as an ordinary user here");
        const bool saved = store().SaveDocument();
        user.restore();
        QVERIFY(QFile::setPermissions(m_env->folder(), QFile::Permissions(0x7777)));
        QVERIFY(!saved);
        // The save's own outcome comes first; the day's copy could not be made either.
        verifyMessage(m_prompt->shown.first(), QStringLiteral("Save error"), kSaveError0);
        QCOMPARE(fileBytes(file), before);
        QCOMPARE(fileBytes(backup), QByteArray("older version"));
        QVERIFY(leftovers(m_env->folder()).isEmpty());
#else
        QSKIP("Unix permission bits");
#endif
    }

    // In a shared folder (sticky bit) an ordinary user may add files and
    // remove their own, but not move someone else's data file aside.
    void dataFileThatCannotBeMovedLosesOnlyTheBackup()
    {
#ifdef Q_OS_UNIX
        if (::geteuid() != 0)
            QSKIP("needs a data file owned by another user; runs when the tests run as root");
        const QString file = openSample();
        const QString backup = file + QStringLiteral(".bak");
        const QByteArray before = fileBytes(file);
        QVERIFY(writeBytes(backup, "older version"));
        QVERIFY(::chown(QFile::encodeName(backup).constData(), 65534, 65534) == 0);
        addAccount(QStringLiteral("Rent"));
        OrdinaryUser user(m_env->folder(), 01777);
        QVERIFY(user.ok());
        const bool saved = store().SaveDocument();
        user.restore();
        QVERIFY(!saved);
        QCOMPARE(m_prompt->count(), 1);
        verifyMessage(m_prompt->last(), QStringLiteral("Save Error"), kSaveError1);
        QCOMPARE(fileBytes(file), before);
        QVERIFY(!QFileInfo::exists(backup));
        QVERIFY(leftovers(m_env->folder()).isEmpty());
#else
        QSKIP("Unix permission bits");
#endif
    }

    void failureAfterTheRotationLeavesTheBackup()
    {
#ifdef Q_OS_LINUX
        const QString file = openSample();
        const QByteArray before = fileBytes(file);
        addAccount(QStringLiteral("Rent"));
        g_failRenameOnto = QFile::encodeName(file);
        g_renameFailures = 0;
        const bool saved = store().SaveDocument();
        g_failRenameOnto.clear();
        if (g_renameFailures == 0)
            QSKIP("this Qt names its temporary files another way");
        QVERIFY(!saved);
        QCOMPARE(m_prompt->count(), 1);
        verifyMessage(m_prompt->last(), QStringLiteral("Save error"), kSaveError2);
        QCOMPARE(fileBytes(file + QStringLiteral(".bak")), before);
        QVERIFY(!QFileInfo::exists(file));
        QVERIFY(leftovers(m_env->folder()).isEmpty());
        // The next save puts the file back and keeps the same backup rotation.
        QVERIFY(store().SaveDocument());
        QVERIFY(test::readDataFile(file).contains("Rent"));
#else
        QSKIP("system-call interposition is set up on Linux only");
#endif
    }

    // A book nobody may write is not replaced by a writable copy of itself.
    void readOnlyBookStopsTheSave()
    {
#ifdef Q_OS_UNIX
        const QString file = openSample();
        const QString backup = file + QStringLiteral(".bak");
        QVERIFY(writeBytes(backup, "older version"));
        const QByteArray before = fileBytes(file);
        QVERIFY(QFile::setPermissions(
            file, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther));
        addAccount(QStringLiteral("Rent"));
        QVERIFY(!store().SaveDocument());
        QCOMPARE(m_prompt->count(), 1);
        verifyMessage(m_prompt->last(), QStringLiteral("Save error"), kSaveError0);
        QCOMPARE(store().lastError().stage, BookStage::NotSaved);
        QCOMPARE(fileBytes(file), before);
        QCOMPARE(fileBytes(backup), QByteArray("older version"));
        QVERIFY(!(QFileInfo(file).permissions() & QFile::WriteOwner));
        QVERIFY(leftovers(m_env->folder()).isEmpty());
#else
        QSKIP("Unix permission bits");
#endif
    }

    // A crash between the save's two renames leaves only the backup. Opening
    // tells where it is, New File will not bury it, and the program's own
    // next save writes the book beside it.
    void aBackupWithoutItsBookIsKept()
    {
        const QString file = openSample();
        const QString backup = file + QStringLiteral(".bak");
        QVERIFY(QFile::rename(file, backup));
        const QByteArray last = fileBytes(backup);

        QVERIFY(!store().OpenDataFile(file));
        QCOMPARE(m_prompt->count(), 1);
        QCOMPARE(m_prompt->last().title, QStringLiteral("Open error"));
        QVERIFY(m_prompt->last().text.contains(
            QStringLiteral("copy or rename the backup file to books.qbf")));
        QVERIFY(store().hasDocument()); // the open document stays

        QVERIFY(!store().CreateDataFile(file));
        QCOMPARE(m_prompt->count(), 2);
        QVERIFY(m_prompt->last().text.contains(backup));
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(fileBytes(backup), last);

        addAccount(QStringLiteral("Rent"));
        QVERIFY(store().SaveDocument());
        QVERIFY(test::readDataFile(file).contains("Rent"));
        QCOMPARE(fileBytes(backup), last);
        QVERIFY(store().SaveDocument()); // with the book back, the rotation is as usual
        QVERIFY(test::readDataFile(backup).contains("Rent"));
    }

    // New File in a folder that cannot take the file: reported once, and no
    // document is left aimed at the file that is not there.
    void newFileWhoseFirstSaveFailsLeavesNoFileOpen()
    {
        const QString previous = openSample();
        const QString file = path(QStringLiteral("gone/new.qbf"));
        QVERIFY(!store().CreateDataFile(file));
        QCOMPARE(m_prompt->count(), 1);
        verifyMessage(m_prompt->last(), QStringLiteral("Save error"), kSaveError0);
        QVERIFY(store().lastError().line().contains(QStringLiteral("No such file or directory")));
        QVERIFY(!store().hasDocument());
        QVERIFY(store().TransSection().isNull());
        QCOMPARE(m_host.status, QStringLiteral("(No File is open)"));
        QCOMPARE(m_host.caption, AppTitle());
        QVERIFY(!m_host.menus);
        QVERIFY(!store().OpenDataFile(file));
        QCOMPARE(m_prompt->count(), 1);
        QVERIFY(QFileInfo::exists(previous));
    }

    void plainXmlDoesNotOpen_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("encipher");
        QTest::newRow("plain, unenciphered XML") << test::sampleBookXml() << false;
        QTest::newRow("empty file") << QByteArray() << false;
        QTest::newRow("enciphered, not XML") << QByteArray("just some words") << true;
        QTest::newRow("enciphered XML of another kind")
            << QByteArray("<Books><AcMaster/><Trans/><Groups/><Narration/></Books>") << true;
        QTest::newRow("enciphered Data without Trans")
            << QByteArray("<Data><AcMaster/><Groups/><Narration/></Data>") << true;
    }

    void plainXmlDoesNotOpen()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, encipher);
        const QString previous = openSample(QStringLiteral("previous.qbf"));
        QVERIFY(!previous.isEmpty());
        const QString file = path(QStringLiteral("other.qbf"));
        QVERIFY(encipher ? test::writeDataFile(file, content) : writeBytes(file, content));

        QVERIFY(!store().OpenDataFile(file));
        QCOMPARE(m_host.status, QStringLiteral("No File is open"));
        QCOMPARE(m_host.caption, AppTitle());
        QVERIFY(!m_host.menus);
        QVERIFY(!store().hasDocument());
        QVERIFY(store().TransSection().isNull());
        QCOMPARE(m_prompt->count(), 0);
        QCOMPARE(store().currentFile(), previous);

        // The previous file cannot be overwritten from this state.
        const QByteArray before = fileBytes(previous);
        QVERIFY(!store().SaveDocument());
        verifyMessage(m_prompt->last(), QStringLiteral("Cannot save"), kCannotSave);
        QCOMPARE(fileBytes(previous), before);
    }

    void missingFileIsRefusedSilently()
    {
        const QString file = openSample();
        QVERIFY(!store().OpenDataFile(path(QStringLiteral("nothing.qbf"))));
        QVERIFY(!store().OpenDataFile(m_env->folder())); // a folder is no data file
        QVERIFY(m_host.calls.isEmpty());
        QCOMPARE(m_prompt->count(), 0);
        QVERIFY(store().hasDocument());
        QCOMPARE(store().currentFile(), file);
    }

    void unreadableFileIsReportedAndThePreviousStaysOpen()
    {
#ifdef Q_OS_UNIX
        const QString file = openSample();
        const QString locked = path(QStringLiteral("locked.qbf"));
        QVERIFY(test::writeDataFile(locked, test::sampleBookXml()));
        QVERIFY(QFile::setPermissions(locked, QFile::Permissions()));
        OrdinaryUser user(m_env->folder());
        if (!user.ok())
            QSKIP("cannot act as an ordinary user here");
        const bool opened = store().OpenDataFile(locked);
        user.restore();
        QVERIFY(!opened);
        QCOMPARE(m_prompt->count(), 1);
        QCOMPARE(m_prompt->last().title, QStringLiteral("Open error"));
        QCOMPARE(m_prompt->last().icon, MsgIcon::Critical);
        QVERIFY(m_prompt->last().text.startsWith(
            QStringLiteral("The file could not be read:\r\n") + locked));
        QVERIFY(m_host.calls.isEmpty());
        QVERIFY(store().hasDocument());
        QCOMPARE(store().currentFile(), file);
        QCOMPARE(store().AcMasterSection().childElements().size(), 4);
#else
        QSKIP("Unix permission bits");
#endif
    }

    void dataFolderOfTheProgramIsNotRemembered()
    {
        SaveSetting(QStringLiteral("datafolder"), QStringLiteral("path"), QStringLiteral("kept"));
        store().setDataFolder(QStringLiteral("kept"));
        QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("program/DaTa/sub")));
        const QString inside = path(QStringLiteral("program/DaTa/sub/books.qbf"));
        QVERIFY(test::writeDataFile(inside, test::sampleBookXml()));
        // The program folder compared without regard to case.
        store().setProgramFolder(path(QStringLiteral("PROGRAM")));
        QVERIFY(store().OpenDataFile(inside));
        QCOMPARE(store().dataFolder(), QStringLiteral("kept"));
        QCOMPARE(GetSetting(QStringLiteral("datafolder"), QStringLiteral("path")),
            QStringLiteral("kept"));

        QVERIFY(QDir(m_env->folder()).mkpath(QStringLiteral("elsewhere")));
        const QString outside = path(QStringLiteral("elsewhere/books.qbf"));
        QVERIFY(test::writeDataFile(outside, test::sampleBookXml()));
        QVERIFY(store().OpenDataFile(outside));
        QCOMPARE(store().dataFolder(), path(QStringLiteral("elsewhere")));
        QCOMPARE(GetSetting(QStringLiteral("datafolder"), QStringLiteral("path")),
            path(QStringLiteral("elsewhere")));
    }

    void protectedFileAsksUntilTheRightPassword()
    {
        const QString i = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
        QByteArray xml = test::sampleBookXml();
        xml.replace(
            PasswordDigest(i).toLatin1(), PasswordDigest(QStringLiteral("secret") + i).toLatin1());
        const QString file = path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(file, xml));

        m_host.passwords << QStringLiteral("wrong") << QStringLiteral("Secrets")
                         << QStringLiteral("SECRET");
        QVERIFY(store().OpenDataFile(file));
        QCOMPARE(
            m_host.loginCaptions, QStringList(3, QStringLiteral("Enter Password (books.qbf)")));
        QVERIFY(store().hasDocument());
        QCOMPARE(store().currentFile(), file);

        // Cancel: no document at all, the main window in its no-file state.
        m_host.loginCaptions.clear();
        m_host.passwords << QStringLiteral("nope");
        QVERIFY(!store().OpenDataFile(file));
        QCOMPARE(m_host.loginCaptions.size(), 2);
        QVERIFY(!store().hasDocument());
        QVERIFY(store().AcMasterSection().isNull());
        QCOMPARE(m_host.status, QStringLiteral("(No File is open)"));
        QCOMPARE(m_host.caption, AppTitle());
        QVERIFY(!m_host.menus);
    }

    void olderFileGetsItsMissingSectionsWithoutAPrompt()
    {
        const QString file = path(QStringLiteral("old.qbf"));
        QVERIFY(test::writeDataFile(file,
            "<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/></AcMaster><Trans/>"
            "<Groups/><Narration/></Data>"));
        QVERIFY(store().OpenDataFile(file));
        QVERIFY(m_host.loginCaptions.isEmpty());
        QCOMPARE(sectionNames(store().document()),
            QString::fromLatin1("AcMaster PValue Trans Groups Narration I DateRanges")
                .split(QLatin1Char(' ')));
        QCOMPARE(store().ISection().text().size(), 20);
        QCOMPARE(store().PValueSection().text(), PasswordDigest(store().ISection().text()));
        QVERIFY(!store().DateRangesSection().isNull());
    }

    void closeDropsTheDocument()
    {
        openSample();
        store().CloseDocument();
        QVERIFY(!store().hasDocument());
        QVERIFY(store().TransSection().isNull());
        QCOMPARE(m_host.status, QStringLiteral("(No File is open)"));
        QCOMPARE(m_host.caption, AppTitle());
        QVERIFY(!m_host.menus);
        QVERIFY(m_host.calls.contains(QStringLiteral("close")));
    }
};

QTEST_GUILESS_MAIN(TstDataStore)
#include "tst_datastore.moc"
