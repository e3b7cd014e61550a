#pragma once

// What qbtool's commands read from their arguments the same way: dates and
// the value that follows an option.

#include <optional>

#include <QDate>
#include <QString>
#include <QStringList>

namespace qb {

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

} // namespace qb
