#pragma once

// The one open data file: its document, section handles, path, and the
// routines that create, open and save it.

#include <functional>
#include <memory>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/Clock.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

// "Quillbrook 2.0"
QString AppTitle();
// "2.0.0"
QString VersionText(int parts = 3);

// What opening, saving and closing a book shows in the main window and asks
// of the user. The store passes facts; the shell words them (StoreDialogs).
// Without a host (the command-line tool, store tests) nothing is shown and
// every question is answered no.
class StoreHost
{
public:
    virtual ~StoreHost() = default;
    // The status strip's file text, refreshed at once.
    virtual void setStatusFile(const QString& text) = 0;
    virtual void setMainCaption(const QString& caption) = 0;
    virtual void showDataMenus(bool visible) = 0;
    // Closes every child window except the background panel.
    virtual void closeDataWindows() = 0;

    // Tells the user why something was not done: a save failed (or only its
    // daily copy), an existing book could not be opened, a new book may not
    // replace one open elsewhere (Locked), a change to a book open read-only
    // was refused (ReadOnly).
    virtual void showBookError(const BookError& error) = 0;

    // Another program has the book at path open; holder says which, where
    // and whose. True: open it read-only here; false: leave it unopened.
    virtual bool openReadOnly(const QString& path, const QString& holder)
    {
        Q_UNUSED(path);
        Q_UNUSED(holder);
        return false;
    }

    // The book at path has a password: true once the user typed one that
    // passwordMatches accepts, false when they gave up.
    virtual bool askPassword(
        const QString& path, const std::function<bool(const QString&)>& passwordMatches)
    {
        Q_UNUSED(path);
        Q_UNUSED(passwordMatches);
        return false;
    }

    // An encrypted book was opened whose copies (the .bak, daily copies) are
    // still readable without its password, as a stopped encryption leaves
    // them. True: encrypt them now.
    virtual bool encryptReadableCopies(const QString& path, const QStringList& copies)
    {
        Q_UNUSED(path);
        Q_UNUSED(copies);
        return false;
    }

    // A save found that the book at path is no longer there (renamed or
    // deleted since it was opened or saved here). The answer is where to save
    // it: path again, another file, or nothing (empty) to save nothing.
    virtual QString saveMissingBookAs(const QString& path)
    {
        Q_UNUSED(path);
        return {};
    }

    // A save found the book at path changed on disk and wrote nothing to it.
    // The document went to keptIn, or, when keptIn is empty, could not be
    // kept either (notKept says why). The host may offer to reopen the book,
    // once the command that saved is over (its window may be closed by the open).
    virtual void bookChangedOnDisk(
        const QString& path, const QString& keptIn, const BookError& notKept)
    {
        Q_UNUSED(path);
        Q_UNUSED(keptIn);
        Q_UNUSED(notKept);
    }
};

class DataStore final
{
public:
    // The program makes one in its main and hands it to its windows. Tests
    // may make more, as a second program would be.
    DataStore() = default;
    DataStore(const DataStore&) = delete;
    DataStore& operator=(const DataStore&) = delete;

    void setHost(StoreHost* host) { m_host = host; }
    StoreHost* host() const { return m_host; }

    // A document is open (created or opened, and not closed since).
    bool hasDocument() const { return !m_document.isNull(); }
    XmlDocument& document() { return m_document; }
    const XmlDocument& document() const { return m_document; }

    // Section handles, valid while the document is open.
    XmlNode AcMasterSection() const { return m_acMaster; }
    XmlNode PValueSection() const { return m_pValue; }
    XmlNode TransSection() const { return m_trans; }
    XmlNode GroupsSection() const { return m_groups; }
    XmlNode NarrationSection() const { return m_narration; }
    XmlNode ISection() const { return m_i; }
    XmlNode DateRangesSection() const { return m_dateRanges; }

    // The open (or last opened) file, its name without folder and extension,
    // and the folder the file dialogs start in.
    const QString& currentFile() const { return CurrentFile; }
    const QString& currentFileTitle() const { return CurrentFileTitle; }
    const QString& dataFolder() const { return DataFolder; }
    void setDataFolder(const QString& folder) { DataFolder = folder; }
    // Forgets the last file and the data folder, as at a fresh start.
    void forgetFile()
    {
        CurrentFile.clear();
        CurrentFileTitle.clear();
        DataFolder.clear();
    }

    // False when the book could not be written; no document is open then.
    bool CreateDataFile(const QString& FileName);
    bool OpenDataFile(const QString& FileName);
    // True: saved. A failure is shown by the host and kept as lastError().
    bool SaveDocument();
    bool WriteDataFile(QByteArray Text, const QString& FileName);

    // An encrypted book's key while it is open; null for a book in the
    // enciphered format.
    const std::shared_ptr<BookKey>& bookKey() const { return m_key; }
    bool isEncrypted() const { return m_key != nullptr; }
    // Saves the book with key (null: the enciphered format) and rewrites its
    // .bak and daily copies the same way. False, with the key as it was, when
    // the save failed; copiesLeft names copies that could not be rewritten.
    bool SetBookKey(std::shared_ptr<BookKey> key, QStringList* copiesLeft = nullptr);

    // Why the last open, save or write failed (no stage after a success).
    const BookError& lastError() const { return m_lastError; }

    // The book is open read-only: another program had it open (its lock
    // beside the book) and the user chose to look at it here. No change is saved.
    bool isReadOnly() const { return m_readOnly; }
    // True, after telling the host (a ReadOnly error), when the book is open
    // read-only: the caller makes no change.
    bool refuseChange();
    // Where the changes were kept when a save found the book changed on
    // disk; empty when that has not happened since the book was opened.
    const QString& unsavedChangesCopy() const { return m_unsavedCopy; }

    // Shows or hides the menus that need an open file.
    void ShowDataMenus(bool visible);

    // Drops the document and its handles and puts the main window into its
    // no-file state ("(No File is open)", data menus hidden, caption AppTitle()).
    void CloseDocument();

    // Test and tool helpers: puts an already-parsed document in place as the
    // open file without any prompt.
    bool adoptDocument(XmlDocument&& document, const QString& fileName);

    // The program folder whose "data" subfolder keeps DataFolder unchanged;
    // ProgramFolder() unless set.
    void setProgramFolder(const QString& folder) { m_programFolder = folder; }

    // Whether a save waits until the new file is on the disk (fsync) before it
    // rotates the files. On by default; the benchmark measures both.
    void setSyncOnSave(bool sync) { m_syncOnSave = sync; }
    bool syncOnSave() const { return m_syncOnSave; }
    // "Today" for the daily copies of the book; the system date unless set.
    void setClock(const Clock* clock) { m_clock = clock; }
    const Clock& clock() const;
    // The changes made to the open book in this run, to undo and redo;
    // emptied when a book is opened or closed.
    UndoHistory& history() { return m_history; }

    // Test helper: a failed daily copy is told again, as after a restart.
    void forgetDailyCopyReport() { m_dailyCopyReported = false; }

    // Test seam: makes the chosen steps of the following saves fail (see BookWriteOptions).
    void setSaveFault(std::function<int(SaveStep)> fault) { m_saveFault = std::move(fault); }

private:
    void takeHandles();
    void dropHandles();
    bool finishOpen(const QString& fileName);
    // Asks the host for the password; true when it matched. Otherwise the
    // previous book is closed too.
    bool askPassword(const QString& fileName, const std::function<bool(const QString&)>& matches);
    bool openEncrypted(const QString& fileName, const DiskIdentity& seen);
    // Offers to encrypt the readable copies of the encrypted book just opened.
    void offerToProtectCopies();
    // Makes a book just read (and its password answered) the open one, with
    // its lock, its read-only state and the file as it was seen on disk.
    bool adoptOpened(XmlDocument&& document, std::shared_ptr<BookKey> key, const QString& fileName,
        BookLock&& lock, bool readOnly, const DiskIdentity& seen);
    // WriteDataFile over a buffer it may encipher in place; digest, when
    // given, receives the digest of the bytes a successful save wrote.
    bool writeText(char* text, qsizetype size, const QString& fileName, bool dailyCopy = false,
        QByteArray* digest = nullptr);
    bool reportFailure(const BookError& error);
    // The book's lock for an open: false when another program holds it and
    // the host did not choose to open it read-only.
    bool lockForOpen(const QString& fileName, BookLock* lock, bool* readOnly);
    // A save found the file changed on disk: the document goes to a copy
    // beside it, and the host is told where.
    bool keepUnsavedChanges(const DiskIdentity& now);
    // A save found the book gone: saved where the host says, or not at all.
    bool saveMissingBook();
    void forgetGuard();

    QString CurrentFile;
    QString CurrentFileTitle;
    QString DataFolder;
    XmlDocument m_document;
    XmlNode m_acMaster, m_pValue, m_trans, m_groups, m_narration, m_i, m_dateRanges;
    StoreHost* m_host = nullptr;
    QString m_programFolder;
    bool m_syncOnSave = true;
    std::function<int(SaveStep)> m_saveFault;
    BookError m_lastError;
    const Clock* m_clock = nullptr;
    bool m_dailyCopyReported = false; // a failed daily copy is told once a run
    UndoHistory m_history;
    QDate m_binPruned; // the day the bin was last pruned
    BookLock m_lock; // held while the book is open here (not read-only)
    bool m_readOnly = false;
    DiskIdentity m_onDisk; // the file as last read or written here
    QString m_unsavedCopy;
    std::shared_ptr<BookKey> m_key;
};

// Deciphered content of a data file, one character per byte. Reading errors
// are reported through error; an empty file reads as empty text.
QByteArray ReadDataFileBytes(const QString& FileName, Error* error = nullptr);
// The file's bytes as they are on disk.
QByteArray ReadRawFileBytes(const QString& FileName, Error* error = nullptr);
QString ReadDataFile(const QString& FileName);

// The skeleton of a new document, with I and PValue filled in.
XmlDocument NewDataDocument();

// The root is Data and holds the sections no repair adds: AcMaster, Trans,
// Groups and Narration.
bool HasDataSections(const XmlDocument& document);

// Adds the sections I, PValue and DateRanges when a file of an earlier version lacks them.
void RepairSections(XmlDocument& document);

} // namespace qb
