#pragma once

// The one path between a book file (.qbf) and its document: reading
// (decipher, parse, sections, password test) and the crash-safe save. Each
// returns an error value saying at which stage it stopped and why; the
// callers decide how to tell the user (message boxes worded by the shell, one
// line in qbtool).

#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include "store/UiServices.h"
#include "store/Xml.h"

namespace qb {

class BookKey;

enum class BookStage {
    None,
    // Reading
    Missing, // no file at the path
    BackupOnly, // no file at the path, but its .bak is there
    NotAFile, // a folder or another kind of entry
    Unreadable, // it exists but cannot be opened or read
    Empty,
    PlainXml, // XML that was never enciphered
    NotDeciphered, // does not decipher to XML: another kind of file, or another key
    Damaged, // deciphers to the start of a book that does not parse (truncated, damaged)
    NotABook, // parses, but is not Data with its sections
    PasswordNeeded,
    WrongPassword, // reason: what else it may be (an encrypted book's changed header)
    BadProtection, // I or PValue missing or garbled: the password cannot be checked
    Tampered, // an encrypted book whose header or content fails its check
    // Making a new book
    BackupInTheWay, // the book is missing but its .bak is there: the last copy of an earlier book
    NotMade, // the new book's document could not be made (out of memory)
    // Saving: the rows of the save-failure messages
    EmptyText, // nothing written
    NotSaved, // stopped before the old backup was removed: both files as they were
    BackupRemoved, // the old backup is gone, the book as it was
    MovedToBackup, // the book is now the backup; the new file is not in its place
    // The dated copy of the day could not be written (the save itself went on)
    DailyCopyFailed,
    // An encrypted book's .bak or daily copies are in a form readable without
    // its password (reason: which), left so by an encryption that was stopped.
    CopiesReadable,
    // One writer per book
    Locked, // another program has the book open; it was not opened here
    ReadOnly, // the book is open read-only here: nothing was written
    ChangedOnDisk, // the file changed since it was read or saved here: nothing was written to it
    Gone, // the book was renamed or deleted since it was opened here: nothing was written
};

struct BookError
{
    BookStage stage = BookStage::None;
    QString path; // the file the stage is about
    Error reason; // the system's or the parser's reason, when there is one
    // DailyCopyFailed: the save it came with failed as well (so the changes are not saved).
    bool saveFailed = false;
    bool isSet() const { return stage != BookStage::None; }
    // One line without a line break: "path: what happened[: reason]".
    QString line() const;
};

struct BookReadOptions
{
    // Adds the sections I, PValue and DateRanges an older file lacks.
    bool repair = true;
    // The root must be Data holding AcMaster, Trans, Groups and Narration.
    bool requireBook = true;
    // Keeps the deciphered bytes in Book::text.
    bool keepText = false;
    // Tests the password as the tools do: a protected book opens only with
    // the password given (letters without regard to case, as the login does).
    // The program asks for it in its login window instead. An encrypted book
    // always needs its exact password.
    bool testPassword = false;
    std::optional<QString> password;
};

struct Book
{
    XmlDocument document;
    QByteArray text;
    std::shared_ptr<BookKey> key; // an encrypted book's key; null for others
};

BookError ReadBook(const QString& path, Book* book, const BookReadOptions& options = {});
// What ReadBook does once the file is read and deciphered: text is the
// deciphered content, path names the file in the error.
BookError ParseBook(
    QByteArray text, const QString& path, Book* book, const BookReadOptions& options = {});

// Whether a document's password can be tested: None when it can (protected
// or not), BadProtection with the reason when I is missing or garbled or
// PValue is no digest and no password can open it.
BookError CheckProtection(const XmlDocument& document, const QString& path);

// The steps of a save that touch the disk, in their order.
// DailyCopy is the day's copy, which never stops the save.
enum class SaveStep { WriteTemp, SyncTemp, RemoveBackup, MoveToBackup, PlaceNew, DailyCopy };

struct BookWriteOptions
{
    // Waits until the new file is on the disk before the old files are touched.
    bool sync = true;
    // Test seam: asked before each step; a non-zero errno value makes that
    // step fail with it, as a failing disk would.
    std::function<int(SaveStep)> fault;
    // The first save of each day keeps a copy of the book as it was before
    // it (see DailyCopyPath); a null date keeps none. The newest
    // keepDailyCopies copies stay; older ones are removed when they are
    // copies of this book (see PruneDailyCopies).
    QDate today;
    int keepDailyCopies = 30;
    // Where a copy that could not be written is reported; the save goes on.
    BookError* dailyCopyError = nullptr;
    // Writes the book encrypted with this key instead of enciphered.
    const BookKey* key = nullptr;
    // Where a saved book's digest goes (FileDigest of the bytes written,
    // taken while they go to the disk); left as it is when the save fails.
    QByteArray* writtenDigest = nullptr;
};

// Enciphers text in place and writes it to path, keeping the previous
// version as path.bak: the new text reaches the disk in a temporary file
// beside the book before the old files are touched, so that a crash or a
// full disk at any moment leaves the book or its backup whole. A book that
// is missing while its .bak exists keeps that .bak. A new book and its daily
// copies are the owner's alone (0600, the backups folder 0700), whatever the
// umask; a book keeps its own mode.
BookError WriteBook(
    char* text, qsizetype size, const QString& path, const BookWriteOptions& options = {});

// The file name and the folder of a path, "/" or "\" between its parts.
QString FileNameOf(const QString& path);
QString FolderOf(const QString& path);

// "<folder>/<book> backups/<book> YYYY-MM-DD.qbf", <book> being the file
// name without its .qbf extension: the copy of a day, enciphered like the book.
QString DailyCopyFolder(const QString& path);
QString DailyCopyPath(const QString& path, const QDate& date);

struct DailyCopy
{
    QDate date;
    QString path;
};
// The book's daily copies, oldest first.
QList<DailyCopy> DailyCopies(const QString& path);

// Removes the oldest daily copies until keep are left. Only files this
// program wrote there go: regular files named as copies that open as books
// whose I is bookId. Nothing is removed when the backups folder is a link
// that leads out of the book's folder.
void PruneDailyCopies(const QString& path, int keep, const QString& bookId);

// Replaces the file at path (or makes it) with bytes as a save writes a
// book: a temporary file beside it, synced when sync is set, renamed over it
// in one step, the folder synced; the file keeps its mode (a new one is the
// owner's alone). The system's reason when it fails; the file is as it was.
Error ReplaceFileWhole(const QString& path, QByteArrayView bytes, bool sync = true);
// Removes what writes of the book at path and of its copies left when they
// were stopped (a kill, a power cut): temporary files of the book and of its
// .bak, and temporary or half-made daily copies.
void RemoveWriteLeftovers(const QString& path);

// A new book may be made at path: not when the book is missing while its
// .bak is there (that is the last copy of an earlier book) or the name is a folder.
BookError CheckNewBookTarget(const QString& path);

} // namespace qb
