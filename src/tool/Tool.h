#pragma once

// qbtool as a function: the command line after the program's name, the
// streams for standard output and standard error, the exit code. The
// program's main and the tests both run it.

#include <QStringList>
#include <QTextStream>

namespace qb {

int RunQbtool(const QStringList& args, QTextStream& out, QTextStream& err);

// "qbtool help": every command's synopsis and summary, which commands take
// a password, and the exit codes.
QString QbtoolHelpText();

} // namespace qb
