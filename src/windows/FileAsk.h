#pragma once

// The three file questions every window asks the same way: a name for a new
// data file, a name for a CSV export, and a data file to open. They go through
// the program's FileDialogs and MsgBox, so they need no widget here; the
// dialog is owned by the window that is active when it opens.

#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QString>

#include "store/UiServices.h"
#include "store/Utilities.h"

namespace qb {

// A save dialog for a new data file. Empty when cancelled or when the chosen
// name (exactly as typed; the caller adds ".qbf") already exists.
inline QString AskNewDataFileName(
    [[maybe_unused]] QObject* owner, const QString& folder, const QString& suggestedName)
{
    FileRequest request;
    request.kind = FileRequest::Save;
    request.title = QStringLiteral("Create new Quillbrook data File");
    request.filter = QStringLiteral("Quillbrook data file(*.qbf)");
    request.folder = folder;
    request.suggestedName = suggestedName;
    const QString name = FileDialogs::current().choose(request);
    if (name.isEmpty())
        return {};
    if (QFileInfo::exists(name)) {
        MsgBox(QStringLiteral("A Quillbrook file already exist with this name in this folder"),
            MsgIcon::Information);
        return {};
    }
    return name;
}

// A save dialog for a CSV export, starting in the book's data folder. The
// name comes back with ".csv" added when it lacks it; an existing file of that
// name is returned only when the user agrees to overwrite it.
inline QString AskCsvFileName(
    [[maybe_unused]] QObject* owner, const QString& dataFolder, const QString& suggestedName)
{
    FileRequest request;
    request.kind = FileRequest::Save;
    request.title = QStringLiteral("Choose CSV file to create");
    request.filter = QStringLiteral("Comma delimited file (*.csv)");
    request.folder = dataFolder;
    request.suggestedName = suggestedName;
    QString name = FileDialogs::current().choose(request);
    if (name.isEmpty())
        return {};
    // The export writes to the name with ".csv" added when it lacks it: that
    // is the file whose overwriting the user must agree to.
    if (!name.toLower().endsWith(QStringLiteral(".csv")))
        name += QStringLiteral(".csv");
    if (QFileInfo::exists(name)
        && MsgBox(QStringLiteral("A file already exist with this name in this folder, do you want "
                                 "to overwrite this file ?"),
               MsgIcon::Question, {}, MsgButtons::YesNo, MsgResult::No)
            != MsgResult::Yes) {
        return {};
    }
    return name;
}

// An open dialog for a data file, starting in the data folder, or in the
// program's own "data" folder when there is none yet.
inline QString AskOpenDataFileName([[maybe_unused]] QObject* owner, const QString& dataFolder)
{
    FileRequest request;
    request.kind = FileRequest::Open;
    request.filter = QStringLiteral("Quillbrook database file(*.qbf)");
    request.folder = !dataFolder.isEmpty()
        ? dataFolder
        : QDir::toNativeSeparators(ProgramDataFolder() + QStringLiteral("/data/"));
    return FileDialogs::current().choose(request);
}

} // namespace qb
