#pragma once

// Where every qbtool command puts what it made: the file named with -o or
// --csv, or standard output.

#include <QByteArray>
#include <QString>
#include <QTextStream>

namespace qb {

// Writes bytes to path through WriteOutputFile (a device or FIFO is written
// in place, a regular file whole or not at all), or to standard output when
// path is empty, after what out holds. 0, or 3 after one line on err:
// "qbtool: PATH: could not be written (REASON)". A failure on standard
// output shows when qbtool ends and checks it.
int WriteCommandOutput(const QString& path, const QByteArray& bytes, QTextStream& out,
                       QTextStream& err);

} // namespace qb
