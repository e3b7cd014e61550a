#include "tool/Command.h"

#include <QFile>

#include "store/BookGuard.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/VisibleText.h"
#include "tool/CommandOutput.h"
#include "tool/HelpText.h"

namespace qb {

namespace {

const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");
const QString kPassword = QStringLiteral("password");
const QString kPasswordFile = QStringLiteral("password-file");
const QString kForceUnlock = QStringLiteral("force-unlock");

// "--name" for a long name, "-n" for a one-letter one.
QString dashed(const QString& name)
{
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// Protected as the program sees it: encrypted, or a PValue that is not the
// digest of I alone.
bool isProtected(const Book& book)
{
    if (book.key)
        return true;
    const XmlNode root = book.document.documentElement();
    if (root.isNull() || root.name() != QStringLiteral("Data"))
        return false;
    const XmlNode p = root.selectSingleNode(QStringLiteral("PValue"));
    const XmlNode i = root.selectSingleNode(QStringLiteral("I"));
    return p && i && p.text() != PasswordDigest(i.text());
}

} // namespace

QString WriteBookText(QByteArray text, const QString& file, const BookWriteOptions& options)
{
    const BookError error = WriteBook(text.data(), text.size(), file, options);
    return error.isSet() ? error.line() : QString();
}

QString VersionLine()
{
    return QStringLiteral("qbtool ") + VersionText(3) + QLatin1Char('\n');
}

Command::Command(QString name, QString usage, QString summary, QString description)
    : m_name(std::move(name))
    , m_usage(std::move(usage))
    , m_summary(std::move(summary))
    , m_description(std::move(description))
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

void Command::addOption(const QCommandLineOption& option)
{
    m_options.append(option);
}

void Command::addFlag(const QStringList& names, const QString& help)
{
    addOption(QCommandLineOption(names, help));
}

void Command::addValue(const QStringList& names, const QString& valueName, const QString& help)
{
    addOption(QCommandLineOption(names, help, valueName));
}

void Command::addForceUnlock()
{
    m_writesBook = true;
    addFlag({kForceUnlock},
        QStringLiteral("remove a lock left by a program that crashed on another "
                       "computer; never while the book is open somewhere (refused while its "
                       "process runs on this computer)"));
}

bool Command::prepare(QStringList&, QString*) const
{
    return true;
}

QString Command::synopsis() const
{
    return m_usage.section(QLatin1Char('\n'), 0, 0) + passwordMark();
}

QString Command::helpText() const
{
    QString text;
    const QStringList lines = m_usage.split(QLatin1Char('\n'));
    // A usage line that starts with a blank goes on with the one above it;
    // the first is wrapped when the password makes it long.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i == 0)
            text += QStringLiteral("Usage: qbtool ") + WrapText(lines[i] + passwordMark(), 14, 14);
        else if (lines[i].startsWith(QLatin1Char(' ')))
            text += QStringLiteral("       ") + lines[i] + QLatin1Char('\n');
        else
            text += QStringLiteral("       qbtool ") + lines[i] + QLatin1Char('\n');
    }
    text += QLatin1Char('\n') + (m_description.isEmpty() ? m_summary : m_description)
        + QLatin1Char('\n');
    text += QStringLiteral("\nOptions:\n");
    for (const QCommandLineOption& option : allOptions()) {
        QStringList names;
        for (const QString& name : option.names())
            names << dashed(name);
        QString left = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            left += QLatin1Char(' ') + option.valueName();
        text += OptionHelpLine(left, option.description());
    }
    return text;
}

QList<QCommandLineOption> Command::allOptions() const
{
    QList<QCommandLineOption> options = m_options;
    options << QCommandLineOption({QStringLiteral("h"), kHelp}, QStringLiteral("show this text"))
            << QCommandLineOption({kVersion}, QStringLiteral("show qbtool's version"));
    return options;
}

int Command::execute(const QStringList& given, QTextStream& out, QTextStream& err)
{
    m_out = &out;
    m_err = &err;
    const QList<QCommandLineOption> options = allOptions();
    m_parser.addOptions(options);
    const qsizetype end = given.indexOf(QStringLiteral("--"));
    const QStringList optionPart = end < 0 ? given : given.first(end);
    const bool helpAsked = optionPart.contains(QStringLiteral("--help"))
        || optionPart.contains(QStringLiteral("-h"));

    QStringList args = given;
    QString problem;
    if (!prepare(args, &problem))
        return helpAsked ? help() : usageError(problem);
    if (!m_parser.parse(QStringList {m_name} + args))
        return helpAsked ? help() : usageError(parseProblem(args));
    if (m_parser.isSet(kHelp))
        return help();
    if (m_parser.isSet(kVersion)) {
        out << VersionLine();
        return kOk;
    }
    const qsizetype count = m_parser.positionalArguments().size();
    if (count != m_arguments.size())
        return usageError(m_name + QStringLiteral(" takes ")
            + (m_arguments.isEmpty() ? QStringLiteral("no arguments")
                                     : m_arguments.join(QStringLiteral(" and ")))
            + QStringLiteral(", not ") + QString::number(count)
            + (count == 1 ? QStringLiteral(" argument") : QStringLiteral(" arguments")));
    const int rc = run();
    out.flush();
    err.flush();
    return rc;
}

int Command::help()
{
    *m_out << helpText();
    m_out->flush();
    return kOk;
}

// What QCommandLineParser refused, in qbtool's words.
QString Command::parseProblem(const QStringList& args) const
{
    const QStringList unknown = m_parser.unknownOptionNames();
    auto bare = [](const QString& arg) { return arg.section(QLatin1Char('='), 0, 0); };
    auto nameOf = [&bare](const QString& arg) {
        QString name = bare(arg);
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        return name;
    };
    auto find = [this](const QString& name) -> std::optional<QCommandLineOption> {
        for (const QCommandLineOption& option : allOptions()) {
            if (option.names().contains(name))
                return option;
        }
        return std::nullopt;
    };
    for (const QString& arg : args) {
        if (arg == QStringLiteral("--"))
            break;
        if (!arg.startsWith(QLatin1Char('-')) || arg.size() < 2)
            continue;
        if (!unknown.isEmpty() && nameOf(arg) == unknown.first())
            return QStringLiteral("unknown option ") + bare(arg);
        const auto option = find(nameOf(arg));
        if (option && option->valueName().isEmpty() && arg.contains(QLatin1Char('=')))
            return bare(arg) + QStringLiteral(" takes no value");
    }
    if (!unknown.isEmpty())
        return QStringLiteral("unknown option ") + dashed(unknown.first());
    if (!args.isEmpty()) {
        const auto option = find(nameOf(args.last()));
        if (option && !option->valueName().isEmpty())
            return args.last() + QStringLiteral(" needs a value");
    }
    return m_parser.errorText();
}

QString Command::passwordMark() const
{
    return {};
}

int Command::fail(const QString& message, int code)
{
    note(message);
    return code;
}

void Command::note(const QString& message)
{
    *m_err << "qbtool: " << VisibleText(message) << '\n';
    m_err->flush();
}

int Command::usageError(const QString& problem)
{
    *m_err << "qbtool: " << VisibleText(problem) << "\n\n" << helpText();
    m_err->flush();
    return kUsage;
}

int Command::writeOutput(const QString& path, const QByteArray& bytes)
{
    return WriteCommandOutput(path, bytes, *m_out, *m_err);
}

int Command::writeOutput(const QString& path, const QList<QByteArray>& pieces)
{
    return WriteCommandOutput(path, pieces, *m_out, *m_err);
}

int Command::lockBook(const QString& file, BookLock* lock)
{
    Error error;
    if (m_parser.isSet(kForceUnlock) && !BookLock::forceUnlock(file, &error))
        return fail(
            BookLock::lockFileOf(file) + QStringLiteral(": not removed: ") + error.description);
    LockHolder holder;
    if (lock->lock(file, &holder) == BookLock::Outcome::HeldElsewhere)
        return fail(file + QStringLiteral(": open in Quillbrook by ") + holder.describe()
            + QStringLiteral("; close it there first (a lock left by a crash on another computer: "
                             "--force-unlock)"));
    return kOk;
}

BookCommand::BookCommand(
    QString name, QString usage, QString summary, QString description, PasswordUse use)
    : Command(std::move(name), std::move(usage), std::move(summary), std::move(description))
    , m_use(use)
{
    addValue({kPassword}, QStringLiteral("P"),
        (use == PasswordUse::NewPassword
                ? QStringLiteral("the password to encrypt with; the book's own when it has one "
                                 "(also --password=P)")
                : QStringLiteral("the book's password, when it has one (also --password=P)"))
            + QStringLiteral("; other users see it in the process list while qbtool runs: "
                             "prefer --password-file or QB_PASSWORD"));
    addValue({kPasswordFile}, QStringLiteral("F"),
        QStringLiteral("the password from the first line of the file F; without either option, "
                       "the environment variable QB_PASSWORD when it is set"));
}

QString BookCommand::passwordMark() const
{
    return m_use == PasswordUse::Optional ? QStringLiteral(" [--password P]")
                                          : QStringLiteral(" --password P");
}

bool BookCommand::password(std::optional<QString>* password, int* rc)
{
    password->reset();
    if (isSet(kPassword)) {
        *password = value(kPassword);
    } else if (isSet(kPasswordFile)) {
        const QString name = value(kPasswordFile);
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            *rc = fail(
                name + QStringLiteral(": the password file cannot be read: ") + file.errorString());
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

int BookCommand::openBook(const QString& path, Book* book, BookReadOptions options)
{
    int rc = kOk;
    if (!password(&options.password, &rc))
        return rc;
    options.testPassword = true;
    if (const BookError error = ReadBook(path, book, options); error.isSet())
        return fail(error.line());
    // A password given for this run on a book without one is a mistake
    // worth stopping for (the book is not protected as its user thinks);
    // one in QB_PASSWORD may be meant for other books.
    if (m_use != PasswordUse::NewPassword && !isProtected(*book)) {
        for (const QString& option : {kPassword, kPasswordFile}) {
            if (isSet(option))
                return fail(
                    path + QStringLiteral(": the book has no password; leave out --") + option,
                    kUsage);
        }
    }
    return kOk;
}

} // namespace qb
