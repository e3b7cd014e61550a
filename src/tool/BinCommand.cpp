#include "tool/BinCommand.h"

#include <QRegularExpression>

#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/DeletedTransactions.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"
#include "tool/CommandLine.h"

namespace qb {

const char kBinUsage[] =
    "  deleted FILE.qbf [--password P]\n"
    "      List the bin of deleted transactions, newest first, one a line: Id,\n"
    "      time of deletion, date, number, from and to account codes, amount\n"
    "      (plain) and narration, separated by tabs.\n"
    "  restore FILE.qbf --deleted ID [--password P] [--force-unlock]\n"
    "      Put the deleted transaction ID back on its date with its number (the\n"
    "      next free number of that date when it is taken), as the Deleted\n"
    "      Transactions window does; the book is saved with its .bak.\n";

namespace {

struct BinOptions
{
    QString file;
    PasswordSource password;
    int id = 0;
    bool forceUnlock = false;
};

int usage(QTextStream& err, const QString& problem)
{
    return CommandUsageError(err, problem, kBinUsage);
}

int fail(QTextStream& err, const QString& message)
{
    err << "qbtool: " << message << '\n';
    err.flush();
    return kFileError;
}

} // namespace

bool IsBinCommand(const QStringList& args)
{
    if (args.isEmpty())
        return false;
    // "restore" without --deleted is another command's (daily copies).
    return args.first() == QStringLiteral("deleted")
        || (args.first() == QStringLiteral("restore")
            && args.indexOf(QRegularExpression(QStringLiteral("^--deleted(=.*)?$"))) > 0);
}

int runBinCommand(const QString& command, const QStringList& args, QTextStream& out,
                  QTextStream& err)
{
    const bool restore = command == QStringLiteral("restore");
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h")))
        return CommandHelp(out, kBinUsage);
    BinOptions o;
    QStringList positional;
    QString problem;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (TakePasswordOption(args, i, &o.password, &problem)) {
            if (!problem.isEmpty())
                return usage(err, problem);
        } else if (restore && (a == QStringLiteral("--deleted") || a.startsWith(QStringLiteral("--deleted=")))) {
            QString value = a.mid(10);
            if (a == QStringLiteral("--deleted")) {
                const auto v = OptionValue(args, i, a, &problem);
                if (!v)
                    return usage(err, problem);
                value = *v;
            }
            bool ok = false;
            o.id = value.toInt(&ok);
            if (!ok || o.id < 1)
                return usage(err, QStringLiteral("--deleted takes the Id of a deleted transaction"));
        } else if (restore && a == QStringLiteral("--force-unlock")) {
            o.forceUnlock = true;
        } else if (a.startsWith(QStringLiteral("--"))) {
            return usage(err, QStringLiteral("unknown option ") + a);
        } else {
            positional << a;
        }
    }
    if (positional.size() != 1)
        return usage(err, command + QStringLiteral(" takes 1 file name"));
    o.file = positional.first();

    BookLock lock;
    if (restore) {
        Error error;
        if (o.forceUnlock && !BookLock::forceUnlock(o.file, &error))
            return fail(err, BookLock::lockFileOf(o.file) + QStringLiteral(": cannot be removed: ")
                                 + error.description);
        LockHolder holder;
        if (lock.lock(o.file, &holder) == BookLock::Outcome::HeldElsewhere)
            return fail(err, o.file + QStringLiteral(": open in Quillbrook by ") + holder.describe()
                                 + QStringLiteral("; close it there first"));
    }
    Book book;
    BookReadOptions read;
    read.testPassword = true;
    QString why;
    if (!ResolvePassword(o.password, &read.password, &why))
        return fail(err, why);
    if (const BookError error = ReadBook(o.file, &book, read); error.isSet())
        return fail(err, error.line());

    if (!restore) {
        for (const DeletedTransaction& e : ReadDeleted(book.document)) {
            out << e.id << '\t' << e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\t'
                << DocDateToDate(e.fields.date).toString(QStringLiteral("yyyy-MM-dd")) << '\t' << e.number << '\t' << e.fields.from << '\t'
                << e.fields.to << '\t' << e.amountText << '\t' << e.fields.narration << '\n';
        }
        out.flush();
        return kOk;
    }
    const RestoreOutcome outcome = RestoreDeleted(book.document, o.id);
    if (outcome.kind != RestoreOutcome::Restored)
        return fail(err, o.file + QStringLiteral(": ") + RestoreMessage(outcome, o.id));
    QByteArray text = book.document.toBytes();
    BookWriteOptions write;
    write.key = book.key.get();
    if (const BookError error = WriteBook(text.data(), text.size(), o.file, write); error.isSet())
        return fail(err, error.line());
    out << "Restored " << o.id << ": " << RestoreMessage(outcome, o.id) << '\n';
    out.flush();
    return kOk;
}

} // namespace qb
