#pragma once

// How the program tells its user what the store reports and asks: the
// wording of every message box about a book, and the login loop. The boxes
// go through MsgBox, so this needs no widget; the login window itself is the
// main window's (showLogin). The main window derives from it; so do the hosts
// of the store's tests, which answer through a recording prompt.

#include <functional>

#include <QString>

#include "store/DataStore.h"
#include "store/UiServices.h"

namespace qb {

// The message box that reports a failed save (the four rows of the
// save-failure table), a book that cannot be opened, a new book that may not
// replace one open elsewhere, or a change refused on a book open read-only.
Message BookErrorMessage(const BookError& error);

class StoreDialogs : public StoreHost
{
public:
    // Shows BookErrorMessage(error).
    void showBookError(const BookError& error) override;
    // Asks, No by default, whether to open the book read-only.
    bool openReadOnly(const QString& path, const QString& holder) override;
    // Shows the login window, captioned with the file's name, until the
    // password matches or the user cancels.
    bool askPassword(
        const QString& path, const std::function<bool(const QString&)>& passwordMatches) override;
    // Names the readable copies of an encrypted book and asks, Yes by
    // default, whether to encrypt them now.
    bool encryptReadableCopies(const QString& path, const QStringList& copies) override;
    // Says the book is gone and asks where to save it: Yes (the default)
    // under its name again, No another name chosen in the save dialog,
    // Cancel nowhere.
    QString saveMissingBookAs(const QString& path) override;
    // Says where the changes were kept and asks, Yes by default, whether to
    // reopen the book; Yes calls reopenBook.
    void bookChangedOnDisk(
        const QString& path, const QString& keptIn, const BookError& notKept) override;

    enum class LoginResult { Succeeded, Failed, Cancelled };
    // Shows the login window once, modally, with this caption; the window
    // checks the typed password with passwordMatches.
    virtual LoginResult showLogin(
        const QString& caption, const std::function<bool(const QString&)>& passwordMatches)
        = 0;

    // The user asked to reopen the book after a save found it changed on
    // disk: the host opens path again once the command that saved is over
    // (its window may be closed by the open).
    virtual void reopenBook(const QString& path) { Q_UNUSED(path); }
};

} // namespace qb
