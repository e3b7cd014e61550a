#include "tool/Tool.h"

#include <vector>

#include "tool/Commands.h"
#include "tool/HelpText.h"

namespace qb {

namespace {

// In the order "qbtool help" lists them.
std::vector<std::unique_ptr<Command>> AllCommands()
{
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(MakeNewCommand());
    commands.push_back(MakeDumpCommand());
    commands.push_back(MakePackCommand());
    commands.push_back(MakeCheckCommand());
    commands.push_back(MakeEncryptCommand());
    commands.push_back(MakeDecryptCommand());
    commands.push_back(MakeBackupsCommand());
    commands.push_back(MakeExportCommand());
    commands.push_back(MakeReportCommand());
    commands.push_back(MakeSearchCommand());
    commands.push_back(MakeDeletedCommand());
    commands.push_back(MakeRestoreCommand());
    commands.push_back(MakeImportCommand());
    commands.push_back(MakeScheduleCommand());
    commands.push_back(MakeDueCommand());
    commands.push_back(MakeChartCommand());
    return commands;
}

const char kLocksAndExitCodes[]
    = "A book open in Quillbrook is locked (FILE.qbf.lock beside it): a command that\n"
      "writes a book refuses it (exit 3). --force-unlock removes a lock left by a\n"
      "program that crashed on another computer (one of this computer is taken over\n"
      "by itself); never use it while the book is open somewhere.\n"
      "Exit codes: 0 done (check: clean), 1 inconsistencies found, 2 wrong usage,\n"
      "3 a file could not be read, written or understood, 4 a template could not be\n"
      "applied (report, search): it does not take the parameters given, or its\n"
      "transformation failed.\n";

int usageError(QTextStream& err, const QString& problem)
{
    err << "qbtool: " << problem << "\n\n" << QbtoolHelpText();
    err.flush();
    return 2;
}

} // namespace

QString QbtoolHelpText()
{
    QString text = QStringLiteral("Usage: qbtool COMMAND [ARGUMENTS]\n"
                                  "       qbtool COMMAND --help\n"
                                  "       qbtool --version\n"
                                  "\n"
                                  "Commands:\n");
    QStringList readers;
    for (const auto& command : AllCommands()) {
        text += QStringLiteral("  ") + WrapText(command->synopsis(), 8, 2);
        for (const QString& line : command->summary().split(QLatin1Char('\n')))
            text += QStringLiteral("      ") + line + QLatin1Char('\n');
        if (command->readsBook())
            readers << command->name();
    }
    text += QStringLiteral("  help [COMMAND]\n"
                           "      Show this text, or the help of one command.\n\n");
    // Which commands take a password is said here once, from what the
    // commands declare.
    const QString passwords = QStringLiteral("The commands that read a book (")
        + readers.join(QStringLiteral(", "))
        + QStringLiteral(
            ") take its password as --password P or --password=P, as --password-file F "
            "(the first line of the file F), or else from the environment variable "
            "QB_PASSWORD, so that it need not be typed on a command line where other "
            "users' process lists show it. A protected book needs its password for each "
            "of them (backups reads only the daily copies, and needs it for encrypted "
            "ones): an encrypted book exactly as it was set, others without regard to "
            "letter case. A password given with an option for a book that has none is "
            "refused (exit 2), except by encrypt, which takes the one to encrypt with.");
    text += WrapText(passwords, 0) + QLatin1Char('\n');
    return text + QLatin1String(kLocksAndExitCodes);
}

int RunQbtool(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return usageError(err, QStringLiteral("no command given"));
    const QString& first = args.first();
    if (first == QStringLiteral("--version")) {
        out << VersionLine();
        return 0;
    }
    const bool help = first == QStringLiteral("help") || first == QStringLiteral("--help")
        || first == QStringLiteral("-h");
    const QString name = help ? args.value(1) : first;
    if (help && name.isEmpty()) {
        out << QbtoolHelpText();
        return 0;
    }
    for (const auto& command : AllCommands()) {
        if (command->name() != name)
            continue;
        if (help) {
            out << command->helpText();
            return 0;
        }
        return command->execute(args.mid(1), out, err);
    }
    return usageError(err, QStringLiteral("unknown command ") + name);
}

} // namespace qb
