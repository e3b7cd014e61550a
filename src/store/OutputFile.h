#pragma once

// Writes a finished output of the program (an export, a report page, the
// lines of a CSV export) to a path the user named, so that a failure is
// always reported and never leaves a cut-off or empty file behind.

#include <QByteArray>
#include <QList>
#include <QString>

#include "store/Xml.h"

namespace qb {

// Writes bytes to path, following a symbolic link to what it points at.
// - A regular file, or a name that does not exist yet: the bytes go to a
//   temporary file beside it, which is flushed and checked and then renamed
//   into place; a failure leaves an existing file as it was and no new file.
// - Anything else that exists (a device, a FIFO, a socket) is written in
//   place, never replaced; every write and the close are checked. A FIFO
//   waits for its reader; a reader that goes away is a failure (EPIPE), not
//   the end of the process.
// - A folder is refused.
// False with the system's reason in error.
bool WriteOutputFile(const QString& path, const QByteArray& bytes, Error* error);
// The same for an output made of pieces, written one after another (a
// large page is not joined first).
bool WriteOutputFile(const QString& path, const QList<QByteArray>& pieces, Error* error);

// Why a file the program reads whole (a statement) cannot be read as one,
// empty when it is a regular file: "no such file", "it is a folder", or "it
// is not a regular file (a device, a pipe or a socket)", which would never
// end or never come.
QString InputFileProblem(const QString& path);

} // namespace qb
