#include "tool/Tool.h"

#include <vector>

#include "store/VisibleText.h"
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
    commands.push_back(MakeReconcileCommand());
    commands.push_back(MakeChartCommand());
    return commands;
}

const char kExitCodes[]
    = "Exit codes, each with one meaning for every command: 0 done (check: clean),\n"
      "1 inconsistencies found (check; reconcile: the balances differ), 2 wrong usage,\n"
      "3 a file could not be read,\n"
      "written or understood (a locked book too), 4 what was given to apply could not\n"
      "be applied: a report template does not take the parameters given or its\n"
      "transformation failed (report, search), or a statement could not be\n"
      "understood (import).\n";

int usageError(QTextStream& err, const QString& problem)
{
    err << "qbtool: " << VisibleText(problem) << "\n\n" << QbtoolHelpText();
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
    QStringList readers, writers;
    for (const auto& command : AllCommands()) {
        if (command->writesBook())
            writers << command->name();
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
            "QB_PASSWORD. A password given with --password is visible to other users in "
            "the process list while qbtool runs: use --password-file or QB_PASSWORD instead "
            "where others share the computer. A protected book needs its password for each "
            "of them (backups reads only the daily copies, and needs it for encrypted "
            "ones): an encrypted book exactly as it was set, others without regard to "
            "letter case. A password given with an option for a book that has none is "
            "refused (exit 2), except by encrypt, which takes the one to encrypt with.");
    text += WrapText(passwords, 0) + QLatin1Char('\n');
    const QString locks = QStringLiteral("A book open in Quillbrook is locked (FILE.qbf.lock "
                                         "beside it): the commands that write a book (")
        + writers.join(QStringLiteral(", "))
        + QStringLiteral(
            ") refuse it (exit 3). Their --force-unlock removes a lock left by a program that "
            "crashed on another computer (a lock of a process of this computer that has ended "
            "is taken over by itself; one whose process still runs is never removed); never "
            "use it while the book is open somewhere.");
    text += WrapText(locks, 0) + QLatin1Char('\n');
    return text + QLatin1String(kExitCodes);
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
