#include "shell/StoreDialogs.h"

#include "store/BookFile.h"
#include "store/VisibleText.h"

namespace qb {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// "The Quillbrook file / path / is open in another Quillbrook: holder."
QString openElsewhere(const QString& path, const QString& holder)
{
    return QStringLiteral("The Quillbrook file") + kCrLf + VisibleText(path) + kCrLf
        + QStringLiteral("is open in another Quillbrook: ") + holder + QLatin1Char('.');
}

// One name a line, each as VisibleText shows it.
QString visibleLines(const QStringList& names)
{
    QStringList shown;
    for (const QString& name : names)
        shown << VisibleText(name);
    return shown.join(kCrLf);
}

} // namespace

Message BookErrorMessage(const BookError& given)
{
    // File names and reasons as they are quoted: control characters as escapes.
    BookError error = given;
    error.path = VisibleText(given.path);
    error.reason.description = VisibleText(given.reason.description);
    Message m;
    m.icon = MsgIcon::Critical;
    m.buttons = MsgButtons::Ok;
    const QString couldNot = QStringLiteral("Could not save the file.") + kCrLf
        + QStringLiteral("Possible causes") + kCrLf + QStringLiteral("\tThe disk is Full") + kCrLf
        + QStringLiteral("\tYou do not have write access to the drive") + kCrLf;
    switch (error.stage) {
    case BookStage::EmptyText:
        m.title = QStringLiteral("Cannot save");
        m.text = QStringLiteral("Cannot save the Quillbrook file. ") + kCrLf
            + QStringLiteral(
                "You can restore the last saved file from the back up file (with extension .bak)");
        break;
    case BookStage::NotSaved:
        m.title = QStringLiteral("Save error");
        m.text = couldNot
            + QStringLiteral("\tThe currently opened file or its backup file (with .bak extension) "
                             "is read only");
        break;
    case BookStage::BackupRemoved:
        m.title = QStringLiteral("Save Error");
        m.text = QStringLiteral("There is a critical problem in saving the Quillbrook file. ")
            + kCrLf
            + QStringLiteral("You can restore the last saved file by renaming the backup file "
                             "(with extension .bak)");
        break;
    case BookStage::MovedToBackup:
        m.title = QStringLiteral("Save error");
        m.text = couldNot + QStringLiteral("\tThe currently opened file is read only") + kCrLf
            + kCrLf + QStringLiteral("A backup of the current file is saved with extension .bak");
        break;
    case BookStage::Unreadable:
        m.title = QStringLiteral("Open error");
        m.text = QStringLiteral("The file could not be read:") + kCrLf + error.path + kCrLf + kCrLf
            + error.reason.description;
        break;
    case BookStage::BackupOnly:
        m.title = QStringLiteral("Open error");
        m.text = QStringLiteral("The Quillbrook file") + kCrLf + error.path + kCrLf
            + QStringLiteral("does not exist, but its backup file (with extension .bak) does.")
            + kCrLf + kCrLf
            + QStringLiteral("To restore the book, copy or rename the backup file to ")
            + FileNameOf(error.path) + QStringLiteral(" and open it.");
        break;
    case BookStage::Tampered:
        m.title = QStringLiteral("Open error");
        m.text = QStringLiteral("The file is damaged or was changed outside Quillbrook") + kCrLf
            + error.path;
        break;
    case BookStage::DailyCopyFailed:
        m.icon = MsgIcon::Exclamation;
        m.title = AppTitle();
        m.text = QStringLiteral("The daily backup copy of the Quillbrook file could not be written")
            + (error.saveFailed ? QStringLiteral(" either:") : QStringLiteral(":")) + kCrLf
            + error.path + kCrLf + kCrLf + error.reason.description + kCrLf + kCrLf
            + (error.saveFailed ? QString() : QStringLiteral("Your changes are saved. "))
            + QStringLiteral("This is not shown again until Quillbrook is restarted.");
        break;
    case BookStage::BackupInTheWay:
        m.icon = MsgIcon::Exclamation;
        m.title = AppTitle();
        m.text = QStringLiteral(
                     "A backup file (with extension .bak) of an earlier Quillbrook file with this "
                     "name is in this folder:")
            + kCrLf + error.path + QStringLiteral(".bak") + kCrLf + kCrLf
            + QStringLiteral(
                "It may be the only copy of that book. Restore it, or move it elsewhere, "
                "before you create a new file with this name.");
        break;
    case BookStage::Locked:
        // An open asks instead (openReadOnly): this is a new book over one open elsewhere.
        m.icon = MsgIcon::Exclamation;
        m.text = openElsewhere(error.path, error.reason.description) + kCrLf + kCrLf
            + QStringLiteral("A new file cannot replace it while it is open there.");
        break;
    case BookStage::ReadOnly:
        m.icon = MsgIcon::Exclamation;
        m.title = QStringLiteral("Read-only");
        m.text = QStringLiteral(
                     "This Quillbrook file is open read-only, because another Quillbrook had it "
                     "open when it was opened here:")
            + kCrLf + error.path + kCrLf + kCrLf
            + QStringLiteral(
                "Nothing can be changed in it. To change the book, close it in the other "
                "Quillbrook and open it here again.");
        break;
    case BookStage::NotMade:
        m.icon = MsgIcon::None;
        m.text = QStringLiteral("The new document could not be made");
        break;
    default:
        m.title = AppTitle();
        m.text = error.line();
        break;
    }
    return m;
}

void StoreDialogs::showBookError(const BookError& error)
{
    const Message m = BookErrorMessage(error);
    MsgBox(m.text, m.icon, m.title, m.buttons);
}

bool StoreDialogs::openReadOnly(const QString& path, const QString& holder)
{
    return MsgBox(openElsewhere(path, holder) + kCrLf + kCrLf
                   + QStringLiteral(
                       "Changes saved in two places would overwrite each other. Do you want to "
                       "open it read-only? Nothing can be changed in it then.")
                   + kCrLf + kCrLf
                   + QStringLiteral("Yes: open it read-only.   No: do not open it."),
               MsgIcon::Question, {}, MsgButtons::YesNo, MsgResult::No)
        == MsgResult::Yes;
}

bool StoreDialogs::askPassword(
    const QString& path, const std::function<bool(const QString&)>& passwordMatches)
{
    const QString caption
        = QStringLiteral("Enter Password (") + FileNameOf(path) + QLatin1Char(')');
    LoginResult result = LoginResult::Failed;
    do {
        result = showLogin(caption, passwordMatches);
    } while (result == LoginResult::Failed);
    return result == LoginResult::Succeeded;
}

QString StoreDialogs::saveMissingBookAs(const QString& path)
{
    const MsgResult answer = MsgBox(QStringLiteral("The Quillbrook file") + kCrLf
            + VisibleText(path) + kCrLf
            + QStringLiteral("was renamed or deleted since it was opened here. Your change is not "
                             "saved yet.")
            + kCrLf + kCrLf
            + QStringLiteral("Yes: save the book under this name again.   No: choose where to "
                             "save it.   Cancel: save nothing now."),
        MsgIcon::Exclamation, QStringLiteral("Book not found"), MsgButtons::YesNoCancel,
        MsgResult::Yes);
    if (answer == MsgResult::Yes)
        return path;
    if (answer != MsgResult::No)
        return {};
    FileRequest request;
    request.kind = FileRequest::Save;
    request.title = QStringLiteral("Save the Book as");
    request.filter = QStringLiteral("Quillbrook data file(*.qbf)");
    request.folder = FolderOf(path);
    request.suggestedName = FileNameOf(path);
    QString chosen = FileDialogs::current().choose(request);
    if (!chosen.isEmpty() && !chosen.endsWith(QStringLiteral(".qbf"), Qt::CaseInsensitive))
        chosen += QStringLiteral(".qbf");
    return chosen;
}

bool StoreDialogs::encryptReadableCopies(const QString& path, const QStringList& copies)
{
    return MsgBox(QStringLiteral("The Quillbrook file") + kCrLf + VisibleText(path) + kCrLf
                   + QStringLiteral("is encrypted, but these copies of it are not, and can be read "
                                    "without the password:")
                   + kCrLf + visibleLines(copies) + kCrLf + kCrLf
                   + QStringLiteral("An encryption that was stopped leaves them so. Do you want "
                                    "to encrypt them now?"),
               MsgIcon::Exclamation, QStringLiteral("Readable copies"), MsgButtons::YesNo,
               MsgResult::Yes)
        == MsgResult::Yes;
}

void StoreDialogs::bookChangedOnDisk(
    const QString& path, const QString& keptIn, const BookError& notKept)
{
    const QString kept = keptIn.isEmpty()
        ? QStringLiteral("They could not be kept in a copy either:") + kCrLf
            + VisibleText(notKept.line())
        : QStringLiteral(
              "So that nothing is lost, the book as it is here, with your changes, is kept in")
            + kCrLf + VisibleText(keptIn);
    const MsgResult answer = MsgBox(
        QStringLiteral(
            "The Quillbrook file was changed on disk since it was opened or last saved here "
            "(by another program, or another Quillbrook):")
            + kCrLf + VisibleText(path) + kCrLf + kCrLf
            + QStringLiteral(
                "Your change was not saved into it, so that the other changes are not lost. ")
            + kept + kCrLf + kCrLf
            + QStringLiteral("Do you want to reopen the book to see what it holds now?"),
        MsgIcon::Exclamation, QStringLiteral("Book changed on disk"), MsgButtons::YesNo,
        MsgResult::Yes);
    if (answer == MsgResult::Yes)
        reopenBook(path);
}

} // namespace qb
