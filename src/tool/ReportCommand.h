#pragma once

// "qbtool report": makes a report page from a book with the report engine the
// windows use, for scripts, template authors and tests.

#include <optional>

#include <QStringList>
#include <QTextStream>

#include "tool/CommandLine.h"
#include "store/Xml.h"

namespace qb {

// args are the arguments after "report". Exit codes: 0 done, 2 wrong usage,
// 3 a file could not be read, written or understood, 4 the template does not
// take the parameters given or its transformation failed.
int runReportCommand(const QStringList& args, QTextStream& out, QTextStream& err);

// Reads a book as "report" does (deciphered, parsed, older files' missing
// sections added, the password checked). 0, or the exit code after a
// message on err.
int LoadCommandBook(const QString& file, const PasswordSource& password, XmlDocument* book, QTextStream& err);

} // namespace qb
