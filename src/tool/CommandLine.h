#pragma once

// What qbtool's commands share: their exit codes, the dates and option
// values they read from their arguments, and how they answer --help and
// wrong usage.

#include <optional>

#include <QDate>
#include <QFile>
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

// The book's password, from the options every command that reads a book
// takes: --password P, --password-file F (its first line), or else the
// environment variable QB_PASSWORD, so that it need not be typed on a
// command line where other users' process lists show it.
struct PasswordSource
{
    std::optional<QString> given;
    QString file;
};

// Takes a password option at args[i] (i moves past its value): true when it
// was one; *error is set when its value is missing.
inline bool TakePasswordOption(const QStringList& args, qsizetype& i, PasswordSource* source, QString* error)
{
    const QString& a = args.at(i);
    for (const QString& name : {QStringLiteral("--password"), QStringLiteral("--password-file")}) {
        QString value;
        if (a == name) {
            if (auto v = OptionValue(args, i, name, error))
                value = *v;
            else
                return true;
        } else if (a.startsWith(name + QLatin1Char('='))) {
            value = a.mid(name.size() + 1);
        } else {
            continue;
        }
        if (name == QStringLiteral("--password"))
            source->given = value;
        else
            source->file = value;
        return true;
    }
    return false;
}

// The password to use: --password, else the first line of the password
// file, else QB_PASSWORD; none when none is given. False with *error when
// the file cannot be read.
inline bool ResolvePassword(const PasswordSource& source, std::optional<QString>* password, QString* error)
{
    password->reset();
    if (source.given) {
        *password = source.given;
    } else if (!source.file.isEmpty()) {
        QFile file(source.file);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = source.file + QStringLiteral(": the password file cannot be read: ") + file.errorString();
            return false;
        }
        QByteArray line = file.readLine(64 * 1024);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        *password = QString::fromUtf8(line);
    } else if (qEnvironmentVariableIsSet("QB_PASSWORD")) {
        *password = qEnvironmentVariable("QB_PASSWORD");
    }
    return true;
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
