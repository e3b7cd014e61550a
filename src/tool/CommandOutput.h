#pragma once

// Where every qbtool command puts what it made: the file named with -o or
// --csv, or standard output; and the check of standard output when qbtool
// ends.

#include <QByteArray>
#include <QString>
#include <QTextStream>

namespace qb {

// Writes bytes to path through WriteOutputFile (a device or FIFO is written
// in place, a regular file whole or not at all), or to standard output when
// path is empty, after what out holds, flushed and checked at once. 0, or 3
// after one line on err: "qbtool: PATH: could not be written (REASON)", or
// "qbtool: standard output could not be written (REASON)".
int WriteCommandOutput(
    const QString& path, const QByteArray& bytes, QTextStream& out, QTextStream& err);
// The same for an output made of pieces, written one after another.
int WriteCommandOutput(
    const QString& path, const QList<QByteArray>& pieces, QTextStream& out, QTextStream& err);

// When qbtool ends: every byte for standard output must have arrived (a
// full disk or a closed pipe is a failure, not a cut-off result with exit
// code 0). rc, or 3 after one line on err when standard output could not be
// written; a command that ended with 3 has said why already.
int FinishStandardOutput(int rc, QTextStream& out, QTextStream& err);

} // namespace qb
