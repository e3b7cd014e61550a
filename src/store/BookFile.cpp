#include "store/BookFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "store/BookCrypto.h"
#include "store/BookGuard.h"
#include "store/BookSchema.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"

namespace qb {

namespace {

BookError failure(BookStage stage, const QString& path, const Error& reason = {})
{
    BookError e;
    e.stage = stage;
    e.path = path;
    e.reason = reason;
    return e;
}

Error reasonOf(const QString& description, int number = -1)
{
    Error e;
    e.number = number;
    e.description = description;
    return e;
}

Error errnoReason(int error)
{
    return reasonOf(QString::fromLocal8Bit(std::strerror(error)), error);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + (text.size() > 40 ? text.left(40) + QStringLiteral("...") : text)
        + QLatin1Char('"');
}

// ---- reading -------------------------------------------------------------------

// Deciphered text that starts as a book does (a declaration, a DTD or the
// root), as opposed to the noise another key or another kind of file gives.
bool looksLikeXml(const QByteArray& text)
{
    qsizetype i = 0;
    while (i < text.size()
        && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    const QByteArrayView rest = QByteArrayView(text).sliced(i);
    return rest.startsWith("<?xml") || rest.startsWith("<!") || rest.startsWith("<Data");
}

QString notABookReason(const XmlDocument& doc)
{
    const XmlNode root = doc.documentElement();
    if (root.name() != schema::kData)
        return QStringLiteral("the root element is ") + root.name() + QStringLiteral(", not Data");
    QStringList missing;
    for (const QString& name :
        {schema::kAcMaster, schema::kTrans, schema::kGroups, schema::kNarration}) {
        if (!BookSection(doc, name))
            missing << name;
    }
    return QStringLiteral("missing section ") + missing.join(QStringLiteral(", "));
}

bool twentyCapitals(const QString& text)
{
    return text.size() == 20 && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
    });
}

// A password digest is the decimal digits of a sum with 1, 3, 5, 7 and 9 spelt as letter pairs.
bool digestShaped(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^(?:[02468]|mw|da|ae|wo|fr)+$"));
    return shape.match(text).hasMatch();
}

// ---- writing -------------------------------------------------------------------

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

// Removes the files of folder whose names own matches: what a crash left.
void removeMatching(const QString& folder, const QRegularExpression& own)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.tmp"), QStringLiteral("*.part")},
             QDir::Files | QDir::Hidden | QDir::System)) {
        if (own.match(name).hasMatch())
            QFile::remove(dir.filePath(name));
    }
}

// A temporary file's name: the file's own name + "." + six letters or digits + ".tmp".
const char kTemporarySuffix[] = "\\.[A-Za-z0-9]{6}\\.tmp$";

// Temporary files of earlier saves of this book that a crash left behind
// (where the file system has no unnamed temporary files). Only names of the
// save's own pattern.
void removeLeftovers(const QString& book)
{
    removeMatching(FolderOf(book),
        QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(FileNameOf(book))
            + QLatin1String(kTemporarySuffix)));
}

QString bookTitle(const QString& path)
{
    QString name = FileNameOf(path);
    if (name.endsWith(QStringLiteral(".qbf"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Copies a file into a new one that only its owner may read and write; a
// failure carries the system's reason (a full disk says so).
Error copyPrivately(const QString& from, const QString& to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return reasonOf(in.errorString(), int(in.error()));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered, kOwnerOnly))
        return reasonOf(out.errorString(), int(out.error()));
    QByteArray block(qsizetype(1) << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0)
            return reasonOf(in.errorString(), int(in.error()));
        if (n == 0)
            break;
        if (out.write(block.constData(), n) != n)
            return reasonOf(out.errorString(), int(out.error()));
    }
    if (!out.flush())
        return reasonOf(out.errorString(), int(out.error()));
    out.close();
    if (out.error() != QFileDevice::NoError)
        return reasonOf(out.errorString(), int(out.error()));
    return {};
}

// The I of a book's serialized text: the program writes it as the last
// "<I>" of the text (markup in texts and attributes is escaped).
QString bookIdOf(const char* text, qsizetype size)
{
    const QByteArrayView all(text, size);
    const qsizetype at = all.lastIndexOf(QByteArrayView("<I>"));
    const qsizetype end = at < 0 ? -1 : all.indexOf(QByteArrayView("</I>"), at);
    return end < 0 ? QString() : QString::fromLatin1(all.sliced(at + 3, end - at - 3));
}

// The first save of a day copies the book as it is before the save; a copy
// goes under a temporary name first, so that no half copy carries a date.
BookError keepDailyCopy(
    const QString& path, const QDate& today, int keep, const QString& bookId, int fault)
{
    const QString target = DailyCopyPath(path, today);
    if (QFileInfo::exists(target))
        return {};
    if (fault)
        return failure(BookStage::DailyCopyFailed, target, errnoReason(fault));
    const QString folder = DailyCopyFolder(path);
    constexpr QFileDevice::Permissions kOwnerFolder = kOwnerOnly | QFileDevice::ExeOwner;
    if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder, kOwnerFolder))
        return failure(BookStage::DailyCopyFailed, target,
            reasonOf(folder + QStringLiteral(" cannot be made")));
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (const Error copied = copyPrivately(path, partial); copied.isSet()) {
        QFile::remove(partial);
        return failure(BookStage::DailyCopyFailed, target, copied);
    }
    QFile copy(partial);
    if (!copy.rename(target)) {
        copy.remove();
        return failure(
            BookStage::DailyCopyFailed, target, reasonOf(copy.errorString(), int(copy.error())));
    }
    PruneDailyCopies(path, keep, bookId);
    return {};
}

} // namespace

QString FileNameOf(const QString& path)
{
    const qsizetype cut
        = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString FolderOf(const QString& path)
{
    const qsizetype cut
        = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return cut < 0 ? QString() : path.left(cut);
}

QString DailyCopyFolder(const QString& path)
{
    const QString folder = FolderOf(path);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + bookTitle(path)
        + QStringLiteral(" backups");
}

QString DailyCopyPath(const QString& path, const QDate& date)
{
    return DailyCopyFolder(path) + QLatin1Char('/') + bookTitle(path) + QLatin1Char(' ')
        + date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".qbf");
}

QList<DailyCopy> DailyCopies(const QString& path)
{
    const QString title = bookTitle(path);
    const QRegularExpression dated(QStringLiteral("^") + QRegularExpression::escape(title)
        + QStringLiteral(" (\\d{4}-\\d{2}-\\d{2})\\.qbf$"));
    const QDir dir(DailyCopyFolder(path));
    QList<DailyCopy> copies;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch m = dated.match(name);
        const QDate date = m.hasMatch()
            ? QDate::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd"))
            : QDate();
        if (date.isValid())
            copies.append({date, dir.filePath(name)});
    }
    std::sort(copies.begin(), copies.end(),
        [](const DailyCopy& a, const DailyCopy& b) { return a.date < b.date; });
    return copies;
}

void PruneDailyCopies(const QString& path, int keep, const QString& bookId)
{
    const QFileInfo folder(DailyCopyFolder(path));
    if (folder.isSymLink()) {
        const QString bookFolder
            = QFileInfo(FolderOf(path).isEmpty() ? QStringLiteral(".") : FolderOf(path))
                  .canonicalFilePath();
        const QString target = folder.canonicalFilePath();
        if (target.isEmpty() || bookFolder.isEmpty()
            || !target.startsWith(bookFolder + QLatin1Char('/')))
            return;
    }
    if (bookId.isEmpty())
        return; // nothing could show a copy to be this book's
    const QList<DailyCopy> copies = DailyCopies(path);
    // Oldest first; a file that is not this book's copy is left alone and
    // does not count among the copies kept.
    qsizetype excess = copies.size() - std::max(keep, 1);
    for (qsizetype i = 0; i < copies.size() && excess > 0; ++i, --excess) {
        const QFileInfo info(copies[i].path);
        if (info.isSymLink() || !info.isFile())
            continue;
        BookReadOptions read;
        read.repair = false;
        Book copy;
        if (ReadBook(copies[i].path, &copy, read).isSet()
            || copy.document.evaluate(QStringLiteral("string(/Data/I)")) != bookId)
            continue;
        QFile::remove(copies[i].path);
    }
}

QString BookError::line() const
{
    const QString bak = path + QStringLiteral(".bak");
    const QString why = reason.description;
    switch (stage) {
    case BookStage::None:
        return {};
    case BookStage::Missing:
        return path + QStringLiteral(": no such file");
    case BookStage::BackupOnly:
        return path + QStringLiteral(": no such file, but its backup ") + bak
            + QStringLiteral(" is there; to restore the book, copy the backup to ")
            + FileNameOf(path);
    case BookStage::NotAFile:
        return path + QStringLiteral(": not a file");
    case BookStage::Unreadable:
        return path + QStringLiteral(": cannot be read: ") + why;
    case BookStage::Empty:
        return path + QStringLiteral(": the file is empty, not a Quillbrook data file");
    case BookStage::PlainXml:
        return path
            + QStringLiteral(
                ": plain XML, not a Quillbrook data file (\"qbtool pack\" makes one of it)");
    case BookStage::NotDeciphered:
        return path
            + QStringLiteral(": not a Quillbrook data file (it does not decipher to XML: "
                             "another kind of file, or another key)");
    case BookStage::Damaged:
        return path + QStringLiteral(": a damaged or incomplete Quillbrook data file (")
            + (reason.line > 0
                    ? QStringLiteral("line %1, column %2: ").arg(reason.line).arg(reason.column)
                    : QString())
            + why + QLatin1Char(')');
    case BookStage::NotABook:
        return path + QStringLiteral(": not a Quillbrook data file (") + why + QLatin1Char(')');
    case BookStage::PasswordNeeded:
        return path
            + QStringLiteral(": the book is protected by a password; give it with --password, "
                             "--password-file or QB_PASSWORD");
    case BookStage::WrongPassword:
        // An encrypted book cannot tell another password from a changed header.
        return path + QStringLiteral(": wrong password")
            + (why.isEmpty() ? QString() : QStringLiteral(", or ") + why);
    case BookStage::BadProtection:
        return path + QStringLiteral(": ") + why;
    case BookStage::Tampered:
        return path + QStringLiteral(": the file is damaged or was changed outside Quillbrook (")
            + why + QLatin1Char(')');
    case BookStage::BackupInTheWay:
        return path + QStringLiteral(": does not exist, but its backup ") + bak
            + QStringLiteral(" does (the last copy of an earlier book); restore or move it first");
    case BookStage::NotMade:
        return path + QStringLiteral(": the new document could not be made");
    case BookStage::EmptyText:
        return path + QStringLiteral(": nothing to save, the document is empty");
    case BookStage::NotSaved:
        return path + QStringLiteral(": could not be written (") + why
            + QStringLiteral("); the book and its backup are as they were");
    case BookStage::BackupRemoved:
        return path + QStringLiteral(": could not be written (") + why
            + QStringLiteral("); the old backup was removed, the book is as it was");
    case BookStage::MovedToBackup:
        return path + QStringLiteral(": could not be written (") + why
            + QStringLiteral("); the previous version is in ") + bak;
    case BookStage::DailyCopyFailed:
        return path + QStringLiteral(": the daily copy could not be written (") + why
            + QLatin1Char(')');
    case BookStage::CopiesReadable:
        return path
            + QStringLiteral(
                ": encrypted, but these copies of it can be read without the password: ")
            + why;
    case BookStage::Locked:
        return path + QStringLiteral(": open in another program: ") + why;
    case BookStage::ReadOnly:
        return path + QStringLiteral(": open read-only, nothing is written");
    case BookStage::Gone:
        return path
            + QStringLiteral(": renamed or deleted since it was opened here, nothing is written");
    case BookStage::ChangedOnDisk:
        return path
            + QStringLiteral(": changed on disk since it was read here, nothing is written to it (")
            + why + QLatin1Char(')');
    }
    return {};
}

BookError CheckProtection(const XmlDocument& document, const QString& path)
{
    const XmlNode root = document.documentElement();
    if (!root || root.name() != schema::kData)
        return {};
    const XmlNode p = root.selectSingleNode(schema::kPValue);
    if (!p)
        return {}; // an older file: the open adds the digest of I, no password
    const XmlNode i = root.selectSingleNode(schema::kI);
    if (!i)
        return failure(BookStage::BadProtection, path,
            reasonOf(QStringLiteral("the book has a PValue but no I section, so its password "
                                    "cannot be checked")));
    const QString pValue = p.text();
    if (pValue != PasswordDigest(i.text()) && !digestShaped(pValue))
        return failure(BookStage::BadProtection, path,
            reasonOf(QStringLiteral("the book's PValue ") + quoted(pValue)
                + QStringLiteral(" is no password digest, so no password can open it")));
    return {};
}

BookError ReadBook(const QString& path, Book* book, const BookReadOptions& options)
{
    book->document.clear();
    book->text.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return failure(QFileInfo(path + QStringLiteral(".bak")).isFile() ? BookStage::BackupOnly
                                                                         : BookStage::Missing,
            path);
    if (!info.isFile())
        return failure(BookStage::NotAFile, path);

    Error readError;
    QByteArray text = ReadRawFileBytes(path, &readError);
    if (readError.isSet())
        return failure(BookStage::Unreadable, path, readError);
    if (IsEncryptedBook(text))
        return ReadEncryptedBook(std::move(text), path, book, options);
    ClsAX::EnDeCryptBytes(text, DataFileKey());
    return ParseBook(std::move(text), path, book, options);
}

BookError ParseBook(
    QByteArray text, const QString& path, Book* book, const BookReadOptions& options)
{
    book->document.clear();
    book->text.clear();
    if (text.isEmpty())
        return failure(BookStage::Empty, path);

    XmlDocument& doc = book->document;
    Error parseError;
    if (!doc.loadXml(text, &parseError)) {
        if (looksLikeXml(text))
            return failure(BookStage::Damaged, path, parseError);
        // The cipher is its own inverse: the file's own bytes again.
        ClsAX::EnDeCryptBytes(text, DataFileKey());
        XmlDocument plain;
        return failure(
            plain.loadXml(text) ? BookStage::PlainXml : BookStage::NotDeciphered, path, parseError);
    }
    if (options.requireBook && !HasDataSections(doc)) {
        const Error why = reasonOf(notABookReason(doc));
        doc.clear();
        return failure(BookStage::NotABook, path, why);
    }

    if (options.testPassword) {
        if (BookError bad = CheckProtection(doc, path); bad.isSet()) {
            doc.clear();
            return bad;
        }
        // Protection as the program sees it, after adding what an older file lacks.
        const XmlNode root = doc.documentElement();
        const XmlNode p = root.selectSingleNode(schema::kPValue);
        const XmlNode i = root.selectSingleNode(schema::kI);
        if (root.name() == schema::kData && p && i && p.text() != PasswordDigest(i.text())) {
            const bool given = options.password.has_value();
            if (!given || PasswordDigest(*options.password + i.text()) != p.text()) {
                BookError e
                    = failure(given ? BookStage::WrongPassword : BookStage::PasswordNeeded, path);
                if (!twentyCapitals(i.text())) {
                    e.stage = BookStage::BadProtection;
                    e.reason = reasonOf(QStringLiteral("the book's I ") + quoted(i.text())
                        + QStringLiteral(" is not 20 capital letters, so its password cannot be "
                                         "checked reliably (")
                        + (given ? QStringLiteral("the one given does not open it)")
                                 : QStringLiteral("give one with --password)")));
                }
                doc.clear();
                return e;
            }
        }
    }
    if (options.repair)
        RepairSections(doc);
    if (options.keepText)
        book->text = std::move(text);
    return {};
}

BookError CheckNewBookTarget(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return failure(BookStage::NotAFile, path);
    if (!info.exists() && QFileInfo(path + QStringLiteral(".bak")).exists())
        return failure(BookStage::BackupInTheWay, path);
    return {};
}

BookError WriteBook(
    char* text, qsizetype size, const QString& linkOrPath, const BookWriteOptions& options)
{
    // A data file reached through a symbolic link is saved where it lives;
    // renaming the link itself would move the book out of its folder.
    QString path = linkOrPath;
    for (int hops = 0; hops < 16 && QFileInfo(path).isSymLink(); ++hops)
        path = QFileInfo(path).symLinkTarget();

    // Blank text: nothing but spaces, tabs and line ends (no copy of a large text).
    const bool blank = std::all_of(text, text + size, [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    });
    if (blank)
        return failure(BookStage::EmptyText, linkOrPath);
    // Nothing replaces a book that the program could not open again.
    if (Error unreadable; !XmlDocument::isWellFormed(QByteArrayView(text, size), &unreadable))
        return failure(BookStage::NotSaved, linkOrPath, unreadable);
    auto fault = [&](SaveStep step) { return options.fault ? options.fault(step) : 0; };
    const QString backup = path + QStringLiteral(".bak");

    const QFileInfo bookInfo(path);
    const bool bookExists = bookInfo.exists();
    if (bookExists && !bookInfo.isFile())
        return failure(BookStage::NotSaved, linkOrPath,
            reasonOf(path + QStringLiteral(" is a folder, not a file")));
    // A read-only book is never replaced behind the user's back.
    if (bookExists && isReadOnly(bookInfo))
        return failure(BookStage::NotSaved, linkOrPath, errnoReason(EACCES));

    // The day's copy of the book as it was; it never stops the save.
    if (bookExists && options.today.isValid()) {
        const BookError copy = keepDailyCopy(path, options.today, options.keepDailyCopies,
            bookIdOf(text, size), fault(SaveStep::DailyCopy));
        if (copy.isSet() && options.dailyCopyError)
            *options.dailyCopyError = copy;
    }

    // An encrypted book is written from a new buffer; the others are
    // enciphered in place.
    QByteArray encrypted;
    if (options.key) {
        encrypted = EncodeBookText(text, size, options.key);
        text = encrypted.data();
        size = encrypted.size();
    } else {
        ClsAX::EnDeCryptBytes(text, size, DataFileKey());
    }

    // The digest of what the book will hold is taken on another core while
    // the text goes to the disk (the future waits for it on every return).
    std::future<QByteArray> digest;
    if (options.writtenDigest) {
        digest = std::async(
            std::launch::async, [text, size] { return FileDigest(QByteArrayView(text, size)); });
    }

    // The new text goes to a temporary file beside the data file and reaches
    // the disk before the old files are touched, so that a crash or a full
    // disk at any moment leaves the data file or its backup whole.
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX.tmp"));
    temp.setAutoRemove(true);
    if (!temp.open())
        return failure(
            BookStage::NotSaved, linkOrPath, reasonOf(temp.errorString(), int(temp.error())));
    if (const int err = fault(SaveStep::WriteTemp))
        return failure(BookStage::NotSaved, linkOrPath, errnoReason(err));
    // A small text stays in the file's buffer until the flush: its failure (a
    // full disk) is the write's.
    if (temp.write(text, size) != size || !temp.flush())
        return failure(
            BookStage::NotSaved, linkOrPath, reasonOf(temp.errorString(), int(temp.error())));
    if (const int err = fault(SaveStep::SyncTemp))
        return failure(BookStage::NotSaved, linkOrPath, errnoReason(err));
    if (!syncToDisk(temp, options.sync))
        return failure(BookStage::NotSaved, linkOrPath, errnoReason(errno));
    // The new file keeps the permissions of the one it replaces; a first file
    // is the owner's alone, whatever the umask: a book is financial data.
    temp.setPermissions(bookExists ? bookInfo.permissions() : kOwnerOnly);
    temp.close();

    const QFileInfo backupInfo(backup);
    if (backupInfo.isSymLink() && !backupInfo.exists()) {
        // A link to nothing holds no previous version; it only blocks the name.
        if (const int err = fault(SaveStep::RemoveBackup))
            return failure(BookStage::NotSaved, linkOrPath, errnoReason(err));
        if (!QFile::remove(backup))
            return failure(BookStage::NotSaved, linkOrPath, errnoReason(errno));
    } else if (backupInfo.isDir()) {
        return failure(BookStage::NotSaved, linkOrPath,
            reasonOf(backup + QStringLiteral(" is a folder, not a backup file")));
    } else if (backupInfo.exists() && bookExists) {
        // Without the book, the backup is its last version: it stays.
        // A read-only backup is never removed behind the user's back.
        if (isReadOnly(backupInfo))
            return failure(BookStage::NotSaved, linkOrPath,
                reasonOf(backup + QStringLiteral(" is read-only"), EACCES));
        if (const int err = fault(SaveStep::RemoveBackup))
            return failure(BookStage::NotSaved, linkOrPath, errnoReason(err));
        QFile old(backup);
        if (!old.remove())
            return failure(
                BookStage::NotSaved, linkOrPath, reasonOf(old.errorString(), int(old.error())));
    }
    // old backup removed
    if (bookExists) {
        if (const int err = fault(SaveStep::MoveToBackup))
            return failure(BookStage::BackupRemoved, linkOrPath, errnoReason(err));
        QFile current(path);
        if (!current.rename(backup))
            return failure(BookStage::BackupRemoved, linkOrPath,
                reasonOf(current.errorString(), int(current.error())));
    }
    // file moved to backup
    if (const int err = fault(SaveStep::PlaceNew))
        return failure(BookStage::MovedToBackup, linkOrPath, errnoReason(err));
    if (!temp.rename(path))
        return failure(
            BookStage::MovedToBackup, linkOrPath, reasonOf(temp.errorString(), int(temp.error())));
    temp.setAutoRemove(false);
    if (options.sync)
        syncFolder(FolderOf(path));
    removeLeftovers(path);
    if (options.writtenDigest)
        *options.writtenDigest = digest.get();
    return {};
}

void RemoveWriteLeftovers(const QString& path)
{
    removeMatching(FolderOf(path),
        QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(FileNameOf(path))
            + QStringLiteral("(\\.bak)?") + QLatin1String(kTemporarySuffix)));
    removeMatching(DailyCopyFolder(path),
        QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(bookTitle(path))
            + QStringLiteral(" \\d{4}-\\d{2}-\\d{2}\\.qbf(\\.part|")
            + QLatin1String(kTemporarySuffix).chopped(1) + QStringLiteral(")$")));
}

Error ReplaceFileWhole(const QString& path, QByteArrayView bytes, bool sync)
{
    const QFileInfo info(path);
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX.tmp"));
    if (!temp.open())
        return reasonOf(temp.errorString(), int(temp.error()));
    if (temp.write(bytes.data(), bytes.size()) != bytes.size() || !syncToDisk(temp, sync))
        return reasonOf(temp.errorString(), int(temp.error()));
    temp.setPermissions(info.exists() ? info.permissions() : kOwnerOnly);
    temp.close();
#ifdef Q_OS_WIN
    const bool placed = MoveFileExW(
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(temp.fileName()).utf16()),
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!placed)
        return reasonOf(QStringLiteral("the file could not be replaced"), int(GetLastError()));
#else
    // rename() replaces the old file in one step: never half of either.
    if (::rename(
            QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData())
        != 0)
        return errnoReason(errno);
#endif
    temp.setAutoRemove(false);
    if (sync)
        syncFolder(FolderOf(path));
    return {};
}

} // namespace qb
