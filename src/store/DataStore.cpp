#include "DataStore.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "ClsAX.h"
#include "UiServices.h"
#include "Utilities.h"

namespace qb {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString fileNameOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString folderOf(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut);
}

bool syncToDisk(QFile& file, bool sync)
{
    if (!file.flush())
        return false;
    if (!sync)
        return true;
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Makes the renames in a folder durable. Best effort: the files themselves
// are already on disk, and not every file system can sync a folder.
void syncFolder(const QString& folder)
{
#ifdef Q_OS_WIN
    Q_UNUSED(folder);
#else
    const QByteArray path = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

// Read-only by its permission bits too: an administrator's access test
// passes on any file, but a file nobody may write is meant to stay as it is.
bool isReadOnly(const QFileInfo& info)
{
    // The mode bits only: the "user" bits are the access test again.
    constexpr QFileDevice::Permissions kWrite
        = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return !info.isWritable() || !(info.permissions() & kWrite);
}

void showSaveError(int stage)
{
    switch (stage) {
    case 0:
        MsgBox(QStringLiteral("Could not save the file.") + kCrLf + QStringLiteral("Possible causes")
                   + kCrLf + QStringLiteral("\tThe disk is Full") + kCrLf
                   + QStringLiteral("\tYou do not have write access to the drive") + kCrLf
                   + QStringLiteral("\tThe currently opened file or its backup file (with .bak "
                                    "extension) is read only"),
               MsgIcon::Critical, QStringLiteral("Save error"));
        break;
    case 1:
        MsgBox(QStringLiteral("There is a critical problem in saving the Quillbrook file. ") + kCrLf
                   + QStringLiteral("You can restore the last saved file by renaming the backup "
                                    "file (with extension .bak)"),
               MsgIcon::Critical, QStringLiteral("Save Error"));
        break;
    default:
        MsgBox(QStringLiteral("Could not save the file.") + kCrLf + QStringLiteral("Possible causes")
                   + kCrLf + QStringLiteral("\tThe disk is Full") + kCrLf
                   + QStringLiteral("\tYou do not have write access to the drive") + kCrLf
                   + QStringLiteral("\tThe currently opened file is read only") + kCrLf + kCrLf
                   + QStringLiteral("A backup of the current file is saved with extension .bak"),
               MsgIcon::Critical, QStringLiteral("Save error"));
        break;
    }
}

} // namespace

QString AppTitle()
{
    return QStringLiteral("Quillbrook ") + VersionText(2);
}

QString VersionText(int parts)
{
    QString text = QString::number(QB_VERSION_MAJOR) + QLatin1Char('.') + QString::number(QB_VERSION_MINOR);
    if (parts >= 3)
        text += QLatin1Char('.') + QString::number(QB_VERSION_PATCH);
    return text;
}

DataStore& DataStore::instance()
{
    static DataStore store;
    return store;
}

QByteArray ReadDataFileBytes(const QString& FileName, Error* error)
{
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            error->number = int(file.error());
            error->description = file.errorString();
        }
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) {
            error->number = int(file.error());
            error->description = file.errorString();
        }
        return {};
    }
    ClsAX::EnDeCryptBytes(bytes, DataFileKey());
    return bytes;
}

QString ReadDataFile(const QString& FileName)
{
    return QString::fromLatin1(ReadDataFileBytes(FileName));
}

XmlDocument NewDataDocument()
{
    XmlDocument doc;
    doc.loadXml(QByteArrayLiteral(
        "<Data><AcMaster/><PValue/><Trans/><Groups/><Narration/><I/><DateRanges/></Data>"));
    const QString letters = RandomLetters(20);
    doc.selectSingleNode(QStringLiteral("/Data/I")).setText(letters);
    doc.selectSingleNode(QStringLiteral("/Data/PValue")).setText(PasswordDigest(letters));
    return doc;
}

bool HasDataSections(const XmlDocument& document)
{
    const XmlNode root = document.documentElement();
    if (!root || root.name() != QStringLiteral("Data"))
        return false;
    for (const char* name : {"AcMaster", "Trans", "Groups", "Narration"}) {
        if (!root.selectSingleNode(QString::fromLatin1(name)))
            return false;
    }
    return true;
}

void RepairSections(XmlDocument& document)
{
    XmlNode root = document.documentElement();
    if (!root)
        return;
    XmlNode i = document.selectSingleNode(QStringLiteral("/Data/I"));
    if (!i) {
        i = root.appendChild(root.createElement(QStringLiteral("I")));
        i.setText(RandomLetters(20));
    }
    if (!document.selectSingleNode(QStringLiteral("/Data/PValue"))) {
        XmlNode p = root.createElement(QStringLiteral("PValue"));
        p.setText(PasswordDigest(i.text()));
        root.insertBefore(p, root.childElement(1));
    }
    if (!document.selectSingleNode(QStringLiteral("/Data/DateRanges")))
        root.appendChild(root.createElement(QStringLiteral("DateRanges")));
}

void DataStore::takeHandles()
{
    auto section = [this](const char* path) {
        return m_document.selectSingleNode(QString::fromLatin1(path));
    };
    m_acMaster = section("/Data/AcMaster");
    m_trans = section("/Data/Trans");
    m_groups = section("/Data/Groups");
    m_narration = section("/Data/Narration");
    m_i = section("/Data/I");
    m_pValue = section("/Data/PValue");
    m_dateRanges = section("/Data/DateRanges");
}

void DataStore::dropHandles()
{
    m_acMaster = m_pValue = m_trans = m_groups = m_narration = m_i = m_dateRanges = XmlNode();
}

void DataStore::ShowDataMenus(bool visible)
{
    if (m_host)
        m_host->showDataMenus(visible);
}

void DataStore::CloseDocument()
{
    if (m_host)
        m_host->closeDataWindows();
    dropHandles();
    m_document.clear();
    if (m_host) {
        m_host->setStatusFile(QStringLiteral("(No File is open)"));
        m_host->showDataMenus(false);
        m_host->setMainCaption(AppTitle());
    }
}

bool DataStore::CreateDataFile(const QString& FileName)
{
    XmlDocument doc = NewDataDocument();
    if (doc.isNull()) {
        MsgBox(QStringLiteral("The new document could not be made"));
        return false;
    }
    // Windows of the previous file would otherwise hold handles into the replaced document.
    if (m_host && hasDocument())
        m_host->closeDataWindows();
    dropHandles();
    m_document = std::move(doc);
    CurrentFile = FileName;
    SaveDocument();
    return true;
}

bool DataStore::OpenDataFile(const QString& FileName)
{
    if (FileName.isEmpty() || !QFileInfo(FileName).isFile())
        return false;

    Error readError;
    const QByteArray text = ReadDataFileBytes(FileName, &readError);
    if (readError.isSet()) {
        // The previously open file stays open.
        MsgBox(QStringLiteral("The file could not be read:") + kCrLf + FileName + kCrLf + kCrLf
                   + readError.description,
               MsgIcon::Critical, QStringLiteral("Open error"));
        return false;
    }

    XmlDocument candidate;
    // Well-formed text without the sections every data file has (another
    // XML file enciphered with the same key) is no data file either: taking
    // it would leave windows appending to sections that are not there.
    if (!candidate.loadXml(text) || !HasDataSections(candidate)) {
        // The windows of the previous file are closed with its document: they
        // must not work on a document that is no longer there.
        if (m_host) {
            m_host->closeDataWindows();
            m_host->setStatusFile(QStringLiteral("No File is open"));
            m_host->setMainCaption(AppTitle());
        }
        dropHandles();
        m_document.clear();
        ShowDataMenus(false);
        return false;
    }
    RepairSections(candidate);

    if (HasPassword(candidate)) {
        const QString i = candidate.selectSingleNode(QStringLiteral("/Data/I")).text();
        const QString pValue = candidate.selectSingleNode(QStringLiteral("/Data/PValue")).text();
        auto matches = [&](const QString& password) { return PasswordDigest(password + i) == pValue; };
        const QString caption
            = QStringLiteral("Enter Password (") + fileNameOf(FileName) + QLatin1Char(')');
        StoreHost::LoginResult result = StoreHost::LoginResult::Cancelled;
        if (m_host) {
            do {
                result = m_host->showLogin(caption, matches);
            } while (result == StoreHost::LoginResult::Failed);
        }
        if (result != StoreHost::LoginResult::Succeeded) {
            CloseDocument();
            return false;
        }
    }

    // Windows of the previous file never stay open on the new one.
    if (m_host)
        m_host->closeDataWindows();
    dropHandles();
    m_document = std::move(candidate);
    takeHandles();
    return finishOpen(FileName);
}

bool DataStore::finishOpen(const QString& fileName)
{
    CurrentFile = fileName;
    QString title = fileNameOf(fileName);
    title.chop(4);
    CurrentFileTitle = title;
    if (m_host)
        m_host->setMainCaption(AppTitle() + QStringLiteral(" [ ") + CurrentFileTitle + QStringLiteral(" ]"));
    ShowDataMenus(true);
    // The settings are written together at the end: each write of the
    // settings file waits for the disk.
    QList<SettingValue> settings = {{QStringLiteral("StartUp"), QStringLiteral("LastDatabase"), fileName}};
    if (m_host)
        m_host->setStatusFile(fileName);

    const QString programFolder = m_programFolder.isEmpty() ? ProgramFolder() : m_programFolder;
    const QString lowerName = QDir::fromNativeSeparators(fileName).toLower();
    const QString dataFolder = QDir::fromNativeSeparators(programFolder).toLower() + QStringLiteral("/data");
    if (!lowerName.contains(dataFolder)) {
        DataFolder = folderOf(fileName);
        settings.append({QStringLiteral("datafolder"), QStringLiteral("path"), DataFolder});
    }
    SaveSettings(settings);
    return true;
}

bool DataStore::adoptDocument(XmlDocument&& document, const QString& fileName)
{
    if (document.isNull())
        return false;
    RepairSections(document);
    if (m_host)
        m_host->closeDataWindows();
    dropHandles();
    m_document = std::move(document);
    takeHandles();
    CurrentFile = fileName;
    QString title = fileNameOf(fileName);
    title.chop(4);
    CurrentFileTitle = title;
    return true;
}

bool DataStore::SaveDocument()
{
    // Enciphered and written in the serializer's own buffer: a large book is not copied.
    return m_document.useBytes(
        [this](char* text, qsizetype size) { return writeText(text, size, CurrentFile); });
}

bool DataStore::WriteDataFile(QByteArray Text, const QString& FileName)
{
    return writeText(Text.data(), Text.size(), FileName);
}

bool DataStore::writeText(char* text, qsizetype size, const QString& linkOrFileName)
{
    // A data file reached through a symbolic link is saved where it lives;
    // renaming the link itself would move the book out of its folder.
    QString FileName = linkOrFileName;
    for (int hops = 0; hops < 16 && QFileInfo(FileName).isSymLink(); ++hops)
        FileName = QFileInfo(FileName).symLinkTarget();

    // Blank text: nothing but spaces, tabs and line ends (no copy of a large text).
    const bool blank = std::all_of(text, text + size, [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    });
    if (blank) {
        MsgBox(QStringLiteral("Cannot save the Quillbrook file. ") + kCrLf
                   + QStringLiteral("You can restore the last saved file from the back up file "
                                    "(with extension .bak)"),
               MsgIcon::Critical, QStringLiteral("Cannot save"));
        return false;
    }
    const QString backup = FileName + QStringLiteral(".bak");
    ClsAX::EnDeCryptBytes(text, size, DataFileKey());

    // The new text goes to a temporary file beside the data file and reaches
    // the disk before the old files are touched, so that a crash or a full
    // disk at any moment leaves the data file or its backup whole.
    QTemporaryFile temp(FileName + QStringLiteral(".XXXXXX.tmp"));
    temp.setAutoRemove(true);
    if (!temp.open() || temp.write(text, size) != size || !syncToDisk(temp, m_syncOnSave)) {
        showSaveError(0);
        return false;
    }
    // The new file keeps the permissions of the one it replaces (still writable
    // by its owner); a first file gets the usual ones rather than the temporary's.
    const QFileInfo dataInfo(FileName);
    temp.setPermissions(dataInfo.exists()
                            ? dataInfo.permissions() | QFileDevice::WriteOwner
                            : QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temp.close();

    const QFileInfo backupInfo(backup);
    if (backupInfo.isSymLink() && !backupInfo.exists()) {
        // A link to nothing holds no previous version; it only blocks the name.
        if (!QFile::remove(backup)) {
            showSaveError(0);
            return false;
        }
    } else if (backupInfo.exists()) {
        // A read-only backup is never removed behind the user's back.
        if (isReadOnly(backupInfo) || !QFile::remove(backup)) {
            showSaveError(0);
            return false;
        }
    }
    // old backup removed
    if (QFileInfo::exists(FileName) && !QFile::rename(FileName, backup)) {
        showSaveError(1);
        return false;
    }
    // file moved to backup
    if (!temp.rename(FileName)) {
        showSaveError(2);
        return false;
    }
    temp.setAutoRemove(false);
    if (m_syncOnSave)
        syncFolder(folderOf(FileName));
    return true;
}

} // namespace qb
