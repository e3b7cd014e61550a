#pragma once

// "qbtool import": a bank statement (CSV, OFX/QFX, QIF) into a book, the
// same reading, matching and writing as the Import Statement window.

#include <QStringList>
#include <QTextStream>

namespace qb {

// args are the arguments after "import". Exit codes: 0 done (also when
// nothing was new), 2 wrong usage, 3 a file could not be read or written,
// 4 the statement could not be understood (nothing written).
int runImportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace qb
