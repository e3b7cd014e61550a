#pragma once

// What qbtool's commands share: their exit codes, the dates and option
// values they read from their arguments, and how they answer --help and
// wrong usage.

#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTextStream>

namespace qb {

// 1 is check's "inconsistencies found"; 4 a template that does not take the
// parameters given or whose transformation failed.
enum CommandExit { kOk = 0, kInconsistent = 1, kUsage = 2, kFileError = 3, kTemplateError = 4 };

// A date given as yyyymmdd or yyyy-mm-dd; invalid otherwise.
inline QDate CommandDate(const QString& text)
{
    const QDate date = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    return date.isValid() ? date : QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

// The argument after args[i] (i moves onto it), or "NAME needs a value" in
// *error when the arguments end there.
inline std::optional<QString> OptionValue(const QStringList& args, qsizetype& i,
                                          const QString& name, QString* error)
{
    if (i + 1 >= args.size()) {
        *error = name + QStringLiteral(" needs a value");
        return std::nullopt;
    }
    return args.at(++i);
}

// --help: the command's usage text on out.
inline int CommandHelp(QTextStream& out, const char* usage)
{
    out << usage;
    out.flush();
    return kOk;
}

// Wrong usage: the problem, a blank line and the command's usage text on err.
inline int CommandUsageError(QTextStream& err, const QString& problem, const char* usage)
{
    err << "qbtool: " << problem << "\n\n" << usage;
    err.flush();
    return kUsage;
}

} // namespace qb
