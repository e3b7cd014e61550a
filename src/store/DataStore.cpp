#include "store/DataStore.h"

#include <algorithm>
#include <future>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "store/BookCrypto.h"
#include "store/BookSchema.h"
#include "store/ClsAX.h"
#include "store/DeletedTransactions.h"
#include "store/Utilities.h"

namespace qb {

QString AppTitle()
{
    return QStringLiteral("Quillbrook ") + VersionText(2);
}

QString VersionText(int parts)
{
    QString text
        = QString::number(QB_VERSION_MAJOR) + QLatin1Char('.') + QString::number(QB_VERSION_MINOR);
    if (parts >= 3)
        text += QLatin1Char('.') + QString::number(QB_VERSION_PATCH);
    return text;
}

namespace {

const QString kReadOnlyMark = QStringLiteral(" (read-only)");

BookError guardError(BookStage stage, const QString& path, const QString& why = {})
{
    BookError e;
    e.stage = stage;
    e.path = path;
    e.reason.description = why;
    return e;
}

} // namespace

QByteArray ReadDataFileBytes(const QString& FileName, Error* error)
{
    Error readError;
    QByteArray bytes = ReadRawFileBytes(FileName, &readError);
    if (error)
        *error = readError;
    if (!readError.isSet())
        ClsAX::EnDeCryptBytes(bytes, DataFileKey());
    return bytes;
}

QByteArray ReadRawFileBytes(const QString& FileName, Error* error)
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
    BookSection(doc, schema::kI).setText(letters);
    BookSection(doc, schema::kPValue).setText(PasswordDigest(letters));
    return doc;
}

bool HasDataSections(const XmlDocument& document)
{
    const XmlNode root = document.documentElement();
    if (!root || root.name() != schema::kData)
        return false;
    for (const QString& name :
        {schema::kAcMaster, schema::kTrans, schema::kGroups, schema::kNarration}) {
        if (!BookSection(document, name))
            return false;
    }
    return true;
}

void RepairSections(XmlDocument& document)
{
    XmlNode root = document.documentElement();
    if (!root)
        return;
    XmlNode i = BookSection(document, schema::kI);
    if (!i) {
        i = root.appendChild(root.createElement(schema::kI));
        i.setText(RandomLetters(20));
    }
    if (!BookSection(document, schema::kPValue)) {
        XmlNode p = root.createElement(schema::kPValue);
        p.setText(PasswordDigest(i.text()));
        root.insertBefore(p, root.childElement(1));
    }
    if (!BookSection(document, schema::kDateRanges))
        root.appendChild(root.createElement(schema::kDateRanges));
}

void DataStore::takeHandles()
{
    auto section = [this](const QString& name) { return BookSection(m_document, name); };
    m_acMaster = section(schema::kAcMaster);
    m_trans = section(schema::kTrans);
    m_groups = section(schema::kGroups);
    m_narration = section(schema::kNarration);
    m_i = section(schema::kI);
    m_pValue = section(schema::kPValue);
    m_dateRanges = section(schema::kDateRanges);
}

void DataStore::dropHandles()
{
    m_acMaster = m_pValue = m_trans = m_groups = m_narration = m_i = m_dateRanges = XmlNode();
    // The history and the bin's day belong to the document going.
    m_history.clear();
    m_binPruned = QDate();
}

const Clock& DataStore::clock() const
{
    static const SystemClock systemClock;
    return m_clock ? *m_clock : systemClock;
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
    forgetGuard();
    m_key.reset();
    if (m_host) {
        m_host->setStatusFile(QStringLiteral("(No File is open)"));
        m_host->showDataMenus(false);
        m_host->setMainCaption(AppTitle());
    }
}

bool DataStore::CreateDataFile(const QString& FileName)
{
    // The .bak of a book that is missing is that book's last copy: a new
    // book of the same name would push it out with its second save.
    if (const BookError blocked = CheckNewBookTarget(FileName); blocked.isSet())
        return reportFailure(blocked);
    // A book another program has open is not replaced under it.
    BookLock lock;
    if (!m_lock.covers(FileName)) {
        LockHolder holder;
        if (lock.lock(FileName, &holder) == BookLock::Outcome::HeldElsewhere)
            return reportFailure(guardError(BookStage::Locked, FileName, holder.describe()));
    }
    XmlDocument doc = NewDataDocument();
    if (doc.isNull())
        return reportFailure(guardError(BookStage::NotMade, FileName));
    // Windows of the previous file would otherwise hold handles into the replaced document.
    if (m_host && hasDocument())
        m_host->closeDataWindows();
    dropHandles();
    m_document = std::move(doc);
    m_key.reset();
    CurrentFile = FileName;
    forgetGuard();
    if (lock.isLocked())
        m_lock = std::move(lock);
    // The user chose to replace whatever is at the name.
    m_onDisk = IdentifyFile(FileName);
    if (!SaveDocument()) {
        // The host has shown why. No document stays aimed at a file that is
        // not there; the main window shows that no file is open.
        CloseDocument();
        return false;
    }
    return true;
}

bool DataStore::OpenDataFile(const QString& FileName)
{
    if (FileName.isEmpty())
        return false;
    // Taken before the file is read: a change in between shows at the first save.
    const DiskIdentity seen = IdentifyFile(FileName);
    if (QFile file(FileName); file.open(QIODevice::ReadOnly) && IsEncryptedBook(file.read(16)))
        return openEncrypted(FileName, seen);
    Book book;
    const BookError error = ReadBook(FileName, &book);
    switch (error.stage) {
    case BookStage::None:
        break;
    case BookStage::Missing:
    case BookStage::NotAFile:
        // Nothing changes and nothing is shown.
        m_lastError = error;
        return false;
    case BookStage::BackupOnly:
    case BookStage::Unreadable:
        // The previously open file stays open.
        return reportFailure(error);
    default:
        // Not a book (another key, not XML, damaged, empty, other sections):
        // the windows of the previous file are closed with its document; they
        // must not work on a document that is no longer there.
        m_lastError = error;
        if (m_host) {
            m_host->closeDataWindows();
            m_host->setStatusFile(QStringLiteral("No File is open"));
            m_host->setMainCaption(AppTitle());
        }
        dropHandles();
        m_document.clear();
        forgetGuard();
        m_key.reset();
        ShowDataMenus(false);
        return false;
    }
    XmlDocument& candidate = book.document;

    BookLock lock;
    bool readOnly = false;
    if (!lockForOpen(FileName, &lock, &readOnly))
        return false;

    if (HasPassword(candidate)) {
        const QString i = BookSection(candidate, schema::kI).text();
        const QString pValue = BookSection(candidate, schema::kPValue).text();
        auto matches
            = [&](const QString& password) { return PasswordDigest(password + i) == pValue; };
        if (!askPassword(FileName, matches))
            return false;
    }

    // Windows of the previous file never stay open on the new one.
    return adoptOpened(std::move(candidate), nullptr, FileName, std::move(lock), readOnly, seen);
}

bool DataStore::adoptOpened(XmlDocument&& document, std::shared_ptr<BookKey> key,
    const QString& fileName, BookLock&& lock, bool readOnly, const DiskIdentity& seen)
{
    if (m_host)
        m_host->closeDataWindows();
    dropHandles();
    m_document = std::move(document);
    m_key = std::move(key);
    takeHandles();
    m_lastError = {};
    // The previous book's lock goes, unless this is the same book again.
    if (lock.isLocked())
        m_lock = std::move(lock);
    else if (!m_lock.covers(fileName))
        m_lock.unlock();
    m_readOnly = readOnly;
    m_onDisk = seen;
    m_unsavedCopy.clear();
    return finishOpen(fileName);
}

bool DataStore::lockForOpen(const QString& fileName, BookLock* lock, bool* readOnly)
{
    *readOnly = false;
    if (m_lock.covers(fileName))
        return true;
    LockHolder holder;
    // A folder where no lock can be made (a read-only medium) opens as
    // before: a save there fails and says why.
    if (lock->lock(fileName, &holder) != BookLock::Outcome::HeldElsewhere)
        return true;
    if (!m_host || !m_host->openReadOnly(fileName, holder.describe())) {
        m_lastError = guardError(BookStage::Locked, fileName, holder.describe());
        return false;
    }
    *readOnly = true;
    return true;
}

void DataStore::forgetGuard()
{
    m_lock.unlock();
    m_readOnly = false;
    m_onDisk = {};
    m_unsavedCopy.clear();
}

bool DataStore::refuseChange()
{
    if (!m_readOnly)
        return false;
    reportFailure(guardError(BookStage::ReadOnly, CurrentFile));
    return true;
}

bool DataStore::keepUnsavedChanges(const DiskIdentity& now)
{
    // The copy of an earlier refused save of this book is brought up to date;
    // otherwise a new name, so that nothing of the user's is replaced.
    const bool again = !m_unsavedCopy.isEmpty() && QFileInfo::exists(m_unsavedCopy);
    const QString copy
        = again ? m_unsavedCopy : UnsavedChangesPath(CurrentFile, QDateTime::currentDateTime());
    BookWriteOptions options;
    options.sync = m_syncOnSave;
    options.key = m_key.get(); // an encrypted book's copy is encrypted too
    BookError written;
    m_document.useBytes([&](char* text, qsizetype size) {
        written = WriteBook(text, size, copy, options);
        return !written.isSet();
    });
    if (again)
        QFile::remove(copy + QStringLiteral(".bak"));
    if (!written.isSet())
        m_unsavedCopy = copy;

    m_lastError = guardError(BookStage::ChangedOnDisk, CurrentFile,
        QStringLiteral("now %1 bytes, modified %2; ")
                .arg(now.size)
                .arg(now.modified.toString(Qt::ISODate))
            + (written.isSet() ? written.line() : QStringLiteral("changes kept in ") + copy));
    if (m_host)
        m_host->bookChangedOnDisk(CurrentFile, written.isSet() ? QString() : copy, written);
    return false;
}

bool DataStore::askPassword(
    const QString& fileName, const std::function<bool(const QString&)>& matches)
{
    if (m_host && m_host->askPassword(fileName, matches))
        return true;
    CloseDocument();
    return false;
}

// An encrypted book: the header is checked before the password is asked
// for; the login window derives the key from each password typed (the
// exact password, letter case counts) and the key is kept while the book is
// open. A damaged file is reported and the previous book stays open.
bool DataStore::openEncrypted(const QString& fileName, const DiskIdentity& seen)
{
    auto refuse = [&](BookStage stage, const QString& why) {
        BookError error;
        error.stage = stage;
        error.path = fileName;
        error.reason.description = why;
        return reportFailure(error);
    };
    Error readError;
    const QByteArray raw = ReadRawFileBytes(fileName, &readError);
    if (readError.isSet())
        return refuse(BookStage::Unreadable, readError.description);
    EncryptedHeader header;
    QString why;
    if (!ReadEncryptedHeader(raw, &header, &why))
        return refuse(BookStage::Tampered, why);
    BookLock lock;
    bool readOnly = false;
    if (!lockForOpen(fileName, &lock, &readOnly))
        return false;
    std::shared_ptr<BookKey> key;
    auto matches = [&](const QString& password) {
        key = BookKey::unlock(header, password);
        return key != nullptr;
    };
    if (!askPassword(fileName, matches))
        return false;
    QByteArray text;
    if (!key->decrypt(raw, &text, &why))
        return refuse(BookStage::Tampered, why);
    Book book;
    if (const BookError error = ParseBook(std::move(text), fileName, &book); error.isSet())
        return reportFailure(error);

    // The same lock and on-disk check as a book in the enciphered form.
    if (!adoptOpened(
            std::move(book.document), std::move(key), fileName, std::move(lock), readOnly, seen))
        return false;
    offerToProtectCopies();
    return true;
}

void DataStore::offerToProtectCopies()
{
    const QStringList readable = ReadableBookCopies(CurrentFile);
    if (m_readOnly || readable.isEmpty() || !m_host
        || !m_host->encryptReadableCopies(CurrentFile, readable))
        return;
    ReencodeBookCopies(CurrentFile, nullptr, m_key.get());
    if (const BookError left = ReadableCopiesError(CurrentFile); left.isSet())
        reportFailure(left);
}

bool DataStore::SetBookKey(std::shared_ptr<BookKey> key, QStringList* copiesLeft)
{
    std::shared_ptr<BookKey> old = std::move(m_key);
    m_key = std::move(key);
    if (!SaveDocument()) {
        m_key = std::move(old);
        return false;
    }
    const QStringList left = ReencodeBookCopies(CurrentFile, old.get(), m_key.get());
    if (copiesLeft)
        *copiesLeft = left;
    return true;
}

bool DataStore::finishOpen(const QString& fileName)
{
    CurrentFile = fileName;
    QString title = FileNameOf(fileName);
    title.chop(4);
    CurrentFileTitle = title;
    const QString mark = m_readOnly ? kReadOnlyMark : QString();
    if (m_host)
        m_host->setMainCaption(
            AppTitle() + QStringLiteral(" [ ") + CurrentFileTitle + QStringLiteral(" ]") + mark);
    ShowDataMenus(true);
    // The settings are written together at the end: each write of the
    // settings file waits for the disk.
    QList<SettingValue> settings
        = {{QStringLiteral("StartUp"), QStringLiteral("LastDatabase"), fileName}};
    if (m_host)
        m_host->setStatusFile(fileName + mark);

    const QString programFolder = m_programFolder.isEmpty() ? ProgramFolder() : m_programFolder;
    const QString lowerName = QDir::fromNativeSeparators(fileName).toLower();
    const QString dataFolder
        = QDir::fromNativeSeparators(programFolder).toLower() + QStringLiteral("/data");
    if (!lowerName.contains(dataFolder)) {
        DataFolder = FolderOf(fileName);
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
    m_key.reset();
    takeHandles();
    CurrentFile = fileName;
    QString title = FileNameOf(fileName);
    title.chop(4);
    CurrentFileTitle = title;
    forgetGuard();
    m_onDisk = IdentifyFile(fileName);
    return true;
}

bool DataStore::SaveDocument()
{
    // The one way a change reaches the book: a read-only book or one that
    // changed on disk since it was read here is never written.
    if (refuseChange())
        return false;
    // A book that is gone (renamed, deleted) is not made again unasked: the
    // host says where it goes. The file on disk is read and its digest taken
    // on another core while the book is serialized here; nothing is written
    // before the two are compared.
    std::future<DiskIdentity> onDisk;
    if (m_onDisk.known && hasDocument())
        onDisk = std::async(std::launch::async, IdentifyFile, CurrentFile);
    // The first save of a day empties the bin of what it keeps no longer.
    if (const QDate today = clock().today(); today != m_binPruned && hasDocument()) {
        m_binPruned = today;
        PruneDeleted(m_document, today, BinKeepDays());
    }
    DiskIdentity changed;
    bool gone = false;
    QByteArray written;
    // Enciphered and written in the serializer's own buffer: a large book is not copied.
    const bool saved = m_document.useBytes([&](char* text, qsizetype size) {
        if (onDisk.valid()) {
            const DiskIdentity now = onDisk.get();
            if (now.exists && !now.sameFileAs(m_onDisk)) {
                changed = now;
                return false;
            }
            if (!now.exists && m_onDisk.exists) {
                gone = true;
                return false;
            }
        }
        return writeText(text, size, CurrentFile, true, &written);
    });
    if (changed.known)
        return keepUnsavedChanges(changed);
    if (gone)
        return saveMissingBook();
    // What was written is what the book holds now; after a failure the file
    // is read again for whatever it holds.
    if (m_lastError.stage != BookStage::EmptyText && m_onDisk.known)
        m_onDisk = saved ? IdentifyWrittenFile(CurrentFile, written) : IdentifyFile(CurrentFile);
    return saved;
}

bool DataStore::saveMissingBook()
{
    const QString target = m_host ? m_host->saveMissingBookAs(CurrentFile) : QString();
    if (target.isEmpty()) {
        m_lastError = guardError(BookStage::Gone, CurrentFile);
        return false;
    }
    if (!m_lock.covers(target)) {
        BookLock lock;
        LockHolder holder;
        if (lock.lock(target, &holder) == BookLock::Outcome::HeldElsewhere)
            return reportFailure(guardError(BookStage::Locked, target, holder.describe()));
        m_lock = std::move(lock);
    }
    // Whatever is at the chosen name now is what the save replaces.
    m_onDisk = IdentifyFile(target);
    const QString previous = CurrentFile;
    CurrentFile = target;
    if (!SaveDocument()) {
        CurrentFile = previous;
        return false;
    }
    return target == previous || finishOpen(target);
}

bool DataStore::WriteDataFile(QByteArray Text, const QString& FileName)
{
    return writeText(Text.data(), Text.size(), FileName);
}

bool DataStore::writeText(
    char* text, qsizetype size, const QString& fileName, bool dailyCopy, QByteArray* digest)
{
    BookWriteOptions options;
    options.writtenDigest = digest;
    options.sync = m_syncOnSave;
    options.fault = m_saveFault;
    options.key = m_key.get();
    BookError copyError;
    if (dailyCopy) {
        options.today = clock().today();
        // The setting is read only when the day's copy is still to be made.
        if (!QFileInfo::exists(DailyCopyPath(fileName, options.today)))
            options.keepDailyCopies = GetSetting(
                QStringLiteral("Backups"), QStringLiteral("DailyCopies"), QStringLiteral("30"))
                                          .toInt();
        options.dailyCopyError = &copyError;
    }
    const BookError error = WriteBook(text, size, fileName, options);
    // The save's own outcome first; then the copy's failure, once a run,
    // never claiming the changes are saved when they are not.
    if (error.isSet())
        reportFailure(error);
    if (copyError.isSet() && !m_dailyCopyReported) {
        m_dailyCopyReported = true;
        copyError.saveFailed = error.isSet();
        if (m_host)
            m_host->showBookError(copyError);
    }
    if (error.isSet())
        return false;
    m_lastError = {};
    return true;
}

bool DataStore::reportFailure(const BookError& error)
{
    m_lastError = error;
    if (m_host)
        m_host->showBookError(error);
    return false;
}

} // namespace qb
