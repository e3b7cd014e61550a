#include "store/BookGuard.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QSysInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#endif

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
    holder.lockFile = file.fileName();
    holder.known = file.getLockInfo(&holder.pid, &holder.host, &holder.program) && holder.pid > 0;
    const QFileInfo info(file.fileName());
    holder.user = info.owner();
    holder.since = info.lastModified();
    return holder;
}

// The file name of the program a process runs, empty when it cannot be told.
QString programOf(qint64 pid)
{
#ifdef Q_OS_LINUX
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid))).fileName();
#else
    Q_UNUSED(pid);
    return {};
#endif
}

bool processRuns(qint64 pid)
{
#ifdef Q_OS_WIN
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
#else
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

} // namespace

QString LockHolder::describe() const
{
    const QLocale locale;
    const QString when = QStringLiteral(" since ")
        + locale.toString(since.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + since.time().toString(QStringLiteral("HH:mm"));
    if (!known)
        return QStringLiteral("an unknown program (its lock file ") + lockFile
            + QStringLiteral(" does not say which)") + when;
    return (user.isEmpty() ? QStringLiteral("another user") : user) + QStringLiteral(" on ")
        + (host.isEmpty() ? QStringLiteral("another computer") : host)
        + QStringLiteral(" (process ") + QString::number(pid) + QLatin1Char(')') + when;
}

bool LockHolder::runsHere() const
{
    if (!known || host != QSysInfo::machineHostName() || !processRuns(pid))
        return false;
    // A process number used again by another program is no holder. The
    // program's name and its file's may differ in letter case ("Quillbrook",
    // "quillbrook"), which Qt's own check of a lock counts as another program.
    const QString running = programOf(pid);
    return running.isEmpty() || program.isEmpty()
        || running.compare(QFileInfo(program).fileName(), Qt::CaseInsensitive) == 0;
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
    // A running holder of this computer is asked about first: Qt would take
    // its lock over when the program's name differs from its file's in case.
    if (QFileInfo::exists(file->fileName())) {
        if (const LockHolder current = holderOf(*file); current.runsHere()) {
            if (holder)
                *holder = current;
            return Outcome::HeldElsewhere;
        }
    }
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

bool BookLock::forceUnlock(const QString& path, Error* error, LockHolder* holder)
{
    QFile file(lockFileOf(path));
    if (!file.exists())
        return true;
    if (const LockHolder current = holderOf(QLockFile(file.fileName())); current.runsHere()) {
        if (holder)
            *holder = current;
        if (error)
            error->description = QStringLiteral("process ") + QString::number(current.pid)
                + QStringLiteral(" (") + current.program
                + QStringLiteral(") holds it and is still running on this computer");
        return false;
    }
    if (file.remove())
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
