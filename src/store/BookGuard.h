#pragma once

// What keeps two writers off one book: a lock file beside the book while a
// program has it open, and the identity of the file on disk as this program
// last read or wrote it, so that a save never replaces a file someone else
// has changed since.

#include <memory>

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "store/Xml.h"

class QLockFile;

namespace qb {

// Who holds a book's lock: read from the lock file (process and host) and
// from the file itself (its owner and when it was made).
struct LockHolder
{
    qint64 pid = 0;
    QString host;
    QString program;
    QString user;
    QDateTime since;
    // The lock file says who holds it (a damaged or empty one does not).
    bool known = true;
    // "user on host (process 123) since 07/12/2026 15:30", the date in the
    // locale's short format; for a lock file that does not say who holds it,
    // "an unknown program (its lock file PATH cannot be read) since ...".
    QString describe() const;
    // It names a process of this computer that is still running.
    bool runsHere() const;
    QString lockFile; // the lock file it was read from
};

class BookLock final
{
public:
    enum class Outcome {
        Locked, // this program holds the lock now
        HeldElsewhere, // another running program (or one on another host) holds it
        Unavailable, // no lock can be made there (a read-only folder, no permission)
    };

    BookLock();
    ~BookLock();
    BookLock(BookLock&&) noexcept;
    BookLock& operator=(BookLock&&) noexcept;
    BookLock(const BookLock&) = delete;
    BookLock& operator=(const BookLock&) = delete;

    // Takes the lock of the book at path. A lock left by a process of this
    // host that is no longer running is taken over without a word; a lock of
    // another host is never judged stale, as that program cannot be asked.
    Outcome lock(const QString& path, LockHolder* holder = nullptr, Error* error = nullptr);
    void unlock();
    bool isLocked() const;
    // The book the lock is held for (its real path), empty when none.
    const QString& book() const { return m_book; }
    // Whether path names the book this lock is held for.
    bool covers(const QString& path) const;

    // The lock file of a book: its real path with ".lock" appended.
    static QString lockFileOf(const QString& path);
    // Removes a book's lock left by a program that crashed on another host
    // (or a lock file that does not say who holds it). A lock whose process
    // still runs on this host stays: false, with the holder in *holder and
    // the reason in *error, as when the file cannot be removed.
    static bool forceUnlock(
        const QString& path, Error* error = nullptr, LockHolder* holder = nullptr);

private:
    std::unique_ptr<QLockFile> m_file;
    QString m_book;
};

// A file as this program last saw it. Two identities are the same file
// when both are missing, or both are there with the same size and digest.
struct DiskIdentity
{
    bool known = false; // taken at all (nothing to compare before a book is read)
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    QByteArray digest;

    bool sameFileAs(const DiskIdentity& other) const;
};

// Reads the file at path (through a symbolic link) and takes its identity.
DiskIdentity IdentifyFile(const QString& path);
// The identity of the file at path when it holds the bytes whose FileDigest
// is digest (a book just written from them), without reading it again.
DiskIdentity IdentifyWrittenFile(const QString& path, const QByteArray& digest);
// The digest an identity keeps of a file's bytes.
QByteArray FileDigest(QByteArrayView bytes);

// "<folder>/<book> (unsaved changes 2026-12-07 1530).qbf" beside the book:
// where changes that could not be saved into it are kept. A name already
// taken gets " 2", " 3"... before the closing bracket.
QString UnsavedChangesPath(const QString& path, const QDateTime& when);

} // namespace qb
