#pragma once

// The recent-files list: full paths, newest first, each followed by "|*|",
// kept in the settings under "MRUF"/"MRUF".

#include <QString>
#include <QStringList>

namespace qb {

inline const QString kMrufSeparator = QStringLiteral("|*|");

// Puts a path at the head of the list; at most six paths are kept. Paths
// are compared exactly, letter case included.
void SaveMRUF(const QString& path);

// The first five pieces of the stored list (empty pieces included, as the
// menu skips them); none when the list is empty.
QStringList RecentFilePieces();

// What the menu shows for a path: the part after its last separator.
QString RecentFileName(const QString& path);

} // namespace qb
