#pragma once

// What qbtool's commands share: their exit codes and the dates they read
// from their arguments.

#include <QDate>
#include <QString>

namespace qb {

// The exit codes of every command, as "qbtool help" lists them, each with
// one meaning whatever the command.
// kNotApplied: what the command was given to apply could not be applied: a
// report template does not take the parameters given (report --var, --child,
// --date-value-of) or its transformation failed (report, search), or a
// statement could not be understood (import).
enum CommandExit { kOk = 0, kInconsistent = 1, kUsage = 2, kFileError = 3, kNotApplied = 4 };

// A date given as yyyymmdd or yyyy-mm-dd; invalid otherwise.
inline QDate CommandDate(const QString& text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    return date.isValid() ? date : QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

} // namespace qb
