#pragma once

// "qbtool deleted" and "qbtool restore --deleted": the bin of deleted
// transactions listed, and one entry put back into the book.

#include <QStringList>
#include <QTextStream>

namespace qb {

// Whether the arguments (the command first) are one of these commands.
bool IsBinCommand(const QStringList& args);

// args are the arguments after the command's name. Exit codes: 0 done, 2
// wrong usage, 3 a file could not be read or written, or no such entry.
int runBinCommand(const QString& command, const QStringList& args, QTextStream& out,
                  QTextStream& err);

// The usage lines of both commands, for qbtool's own usage text.
extern const char kBinUsage[];

} // namespace qb
