#include "store/BookGuard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>

namespace qb {

namespace {

// A book's identity keeps this digest of its bytes.
constexpr QCryptographicHash::Algorithm kDigest = QCryptographicHash::Md5;

// The book's real path: links followed, so that every name of one book
// shares one lock.
QString realPath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

LockHolder holderOf(const QLockFile& file)
{
    LockHolder holder;
    QString program;
    file.getLockInfo(&holder.pid, &holder.host, &program);
    const QFileInfo info(file.fileName());
    holder.user = info.owner();
    holder.since = info.lastModified();
    return holder;
}

} // namespace

QString LockHolder::describe() const
{
    const QLocale locale;
    return (user.isEmpty() ? QStringLiteral("another user") : user) + QStringLiteral(" on ")
        + (host.isEmpty() ? QStringLiteral("another computer") : host)
        + QStringLiteral(" (process ") + QString::number(pid) + QStringLiteral(") since ")
        + locale.toString(since.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + since.time().toString(QStringLiteral("HH:mm"));
}

BookLock::BookLock() = default;
BookLock::~BookLock() = default;
BookLock::BookLock(BookLock&&) noexcept = default;
BookLock& BookLock::operator=(BookLock&&) noexcept = default;

QString BookLock::lockFileOf(const QString& path)
{
    return realPath(path) + QStringLiteral(".lock");
}

BookLock::Outcome BookLock::lock(const QString& path, LockHolder* holder, Error* error)
{
    unlock();
    auto file = std::make_unique<QLockFile>(lockFileOf(path));
    // Only a dead process makes a lock stale, never its age: a program may
    // keep a book open for days.
    file->setStaleLockTime(0);
    if (file->tryLock(0)) {
        m_file = std::move(file);
        m_book = realPath(path);
        return Outcome::Locked;
    }
    if (file->error() == QLockFile::LockFailedError) {
        if (holder)
            *holder = holderOf(*file);
        return Outcome::HeldElsewhere;
    }
    if (error) {
        error->number = int(file->error());
        error->description = file->fileName() + QStringLiteral(" cannot be made");
    }
    return Outcome::Unavailable;
}

void BookLock::unlock()
{
    if (m_file)
        m_file->unlock();
    m_file.reset();
    m_book.clear();
}

bool BookLock::isLocked() const
{
    return m_file && m_file->isLocked();
}

bool BookLock::covers(const QString& path) const
{
    return isLocked() && realPath(path) == m_book;
}

bool BookLock::forceUnlock(const QString& path, Error* error)
{
    QFile file(lockFileOf(path));
    if (!file.exists() || file.remove())
        return true;
    if (error) {
        error->number = int(file.error());
        error->description = file.errorString();
    }
    return false;
}

bool DiskIdentity::sameFileAs(const DiskIdentity& other) const
{
    if (exists != other.exists)
        return false;
    return !exists || (size == other.size && digest == other.digest);
}

namespace {

// What the file system tells of the file without reading it.
DiskIdentity statIdentity(const QString& path)
{
    DiskIdentity id;
    id.known = true;
    const QFileInfo info(path);
    id.exists = info.exists();
    if (id.exists) {
        id.size = info.size();
        id.modified = info.lastModified();
    }
    return id;
}

} // namespace

DiskIdentity IdentifyFile(const QString& path)
{
    DiskIdentity id = statIdentity(path);
    if (!id.exists)
        return id;
    QFile file(path);
    QCryptographicHash hash(kDigest);
    if (file.open(QIODevice::ReadOnly))
        hash.addData(&file);
    else
        hash.addData(file.errorString().toUtf8()); // unreadable now: compared as such
    id.digest = hash.result();
    return id;
}

DiskIdentity IdentifyWrittenFile(const QString& path, const QByteArray& digest)
{
    DiskIdentity id = statIdentity(path);
    if (id.exists)
        id.digest = digest;
    return id;
}

QByteArray FileDigest(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, kDigest);
}

QString UnsavedChangesPath(const QString& path, const QDateTime& when)
{
    const QFileInfo info(path);
    QString title = info.fileName();
    if (title.endsWith(QStringLiteral(".qbf"), Qt::CaseInsensitive))
        title.chop(4);
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd HHmm"));
    const QDir folder = info.dir();
    for (int n = 1;; ++n) {
        const QString name = title + QStringLiteral(" (unsaved changes ") + stamp
            + (n > 1 ? QLatin1Char(' ') + QString::number(n) : QString()) + QStringLiteral(").qbf");
        const QString candidate = folder.filePath(name);
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(candidate + QStringLiteral(".bak")))
            return candidate;
    }
}

} // namespace qb
