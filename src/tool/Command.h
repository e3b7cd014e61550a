#pragma once

// The frame every qbtool command is built on. A command declares its
// arguments and options once, in its constructor; the frame parses them
// with QCommandLineParser, answers --help (text generated from the
// declarations) and --version, reports wrong usage, and gives the command
// one way to fail, one way to write what it made and, for a command that
// reads a book, one way to open it.

#include <optional>

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "store/BookFile.h"
#include "tool/CommandLine.h"

namespace qb {

class BookLock;

// "qbtool 2.0.0" and a line break: what --version writes.
QString VersionLine();

// Writes a book's text as the program saves it, keeping a replaced file as
// .bak: empty, or the error line.
QString WriteBookText(QByteArray text, const QString& file, const BookWriteOptions& options = {});

class Command
{
public:
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const QString& name() const { return m_name; }
    // The first usage line without "qbtool ", and the entry under it in
    // "qbtool help".
    QString synopsis() const;
    const QString& summary() const { return m_summary; }
    // "COMMAND --help": usage, description and the options.
    QString helpText() const;
    // Whether the command reads a book and so takes its password.
    virtual bool readsBook() const { return false; }
    // Whether it writes a book and so takes the book's lock (--force-unlock).
    bool writesBook() const { return m_writesBook; }

    // args are the arguments after the command's name; the exit code.
    int execute(const QStringList& args, QTextStream& out, QTextStream& err);

protected:
    // usage: the usage lines after "qbtool " (the first is the synopsis);
    // summary: the entry in "qbtool help"; description: what --help shows
    // between the usage and the options (none: the summary).
    Command(QString name, QString usage, QString summary, QString description = {});

    // The arguments that are not options, by name ("FILE.qbf"): exactly
    // these many are taken.
    void setArguments(QStringList names) { m_arguments = std::move(names); }
    void addFlag(const QStringList& names, const QString& help);
    void addValue(const QStringList& names, const QString& valueName, const QString& help);
    void addOption(const QCommandLineOption& option);
    // --force-unlock, for a command that writes a book (see lockBook).
    void addForceUnlock();

    // Before parsing: a command whose option takes more than one argument
    // joins them into one value. False with *error on wrong usage.
    virtual bool prepare(QStringList& args, QString* error) const;
    virtual int run() = 0;
    // What the synopsis adds after the first usage line.
    virtual QString passwordMark() const;

    // While running.
    bool isSet(const QString& option) const { return m_parser.isSet(option); }
    QString value(const QString& option) const { return m_parser.value(option); }
    QStringList values(const QString& option) const { return m_parser.values(option); }
    QString argument(int index) const { return m_parser.positionalArguments().value(index); }
    QTextStream& out() { return *m_out; }
    QTextStream& err() { return *m_err; }

    // The one error line: "qbtool: MESSAGE" on standard error, its control
    // characters shown as escapes (VisibleText); returns code.
    int fail(const QString& message, int code = kFileError);
    // A line on standard error that is no failure, written as fail writes one.
    void note(const QString& message);
    // Wrong usage: the problem, a blank line and the command's help, on
    // standard error; returns 2.
    int usageError(const QString& problem);
    // Writes what the command made: to the file path (a regular file whole
    // or not at all, a device or FIFO in place), or to standard output when
    // path is empty. 0, or 3 after one line.
    int writeOutput(const QString& path, const QByteArray& bytes);
    int writeOutput(const QString& path, const QList<QByteArray>& pieces);
    // Takes the lock of a book the command writes (a book open in the
    // program or in another command is refused), after removing a stale one
    // with --force-unlock. 0, or 3 after one line.
    int lockBook(const QString& file, BookLock* lock);

private:
    QList<QCommandLineOption> allOptions() const;
    QString parseProblem(const QStringList& args) const;
    int help();

    QString m_name;
    QString m_usage;
    QString m_summary;
    QString m_description;
    QStringList m_arguments;
    QList<QCommandLineOption> m_options;
    bool m_writesBook = false;
    QCommandLineParser m_parser;
    QTextStream* m_out = nullptr;
    QTextStream* m_err = nullptr;
};

// A command that reads a book: it takes the book's password as
// --password P (or --password=P), --password-file F or QB_PASSWORD, and
// opens the book through openBook.
class BookCommand : public Command
{
public:
    bool readsBook() const override { return true; }

protected:
    // Optional: the book's password, when it has one; a password given
    // for a book without one is refused. Needed: the same, for a command
    // whose book always has one (decrypt). NewPassword: the password the
    // command sets (encrypt), always needed; the book's own when it has one.
    enum class PasswordUse { Optional, Needed, NewPassword };
    BookCommand(QString name, QString usage, QString summary, QString description = {},
        PasswordUse use = PasswordUse::Optional);

    // The password from the options, else QB_PASSWORD; none when none is
    // given. False after one line (exit 3) when the password file cannot be
    // read.
    bool password(std::optional<QString>* password, int* rc);
    QString passwordMark() const override;
    // Reads, deciphers and parses the book at path with the password and
    // tests the password: 0, or the exit code after one line (3; 2 for a
    // password given with an option for a book that has none, unless the
    // command sets the password).
    int openBook(const QString& path, Book* book, BookReadOptions options = {});

private:
    PasswordUse m_use;
};

} // namespace qb
