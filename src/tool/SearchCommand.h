#pragma once

// "qbtool search": the search window's criteria as options, its result page
// and its CSV export, made by the same code as the window.

#include <QStringList>
#include <QTextStream>

namespace qb {

// args are the arguments after "search". Exit codes: 0 done, 2 wrong usage,
// 3 a file could not be read or written, 4 the search failed.
int runSearchCommand(const QStringList& args, QTextStream& out, QTextStream& err);

} // namespace qb
