// "qbtool deleted" and "qbtool restore": the bin of deleted transactions
// listed, and one entry put back into the book.

#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/DeletedTransactions.h"
#include "store/Utilities.h"
#include "tool/Commands.h"

namespace qb {

namespace {

class DeletedCommand final : public BookCommand
{
public:
    DeletedCommand()
        : BookCommand(QStringLiteral("deleted"), QStringLiteral("deleted FILE.qbf"),
            QStringLiteral("List the bin of deleted transactions, newest first, one a line: Id,\n"
                           "time of deletion, date, number, from and to account codes, amount\n"
                           "(plain) and narration, separated by tabs."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
    }

private:
    int run() override
    {
        Book book;
        if (const int rc = openBook(argument(0), &book))
            return rc;
        for (const DeletedTransaction& e : ReadDeleted(book.document)) {
            out() << e.id << '\t' << e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\t'
                  << DocDateToDate(e.fields.date).toString(QStringLiteral("yyyy-MM-dd")) << '\t'
                  << e.number << '\t' << e.fields.from << '\t' << e.fields.to << '\t'
                  << e.amountText << '\t' << e.fields.narration << '\n';
        }
        return kOk;
    }
};

class RestoreCommand final : public BookCommand
{
public:
    RestoreCommand()
        : BookCommand(QStringLiteral("restore"),
            QStringLiteral("restore FILE.qbf --deleted ID [--force-unlock]"),
            QStringLiteral("Put the deleted transaction ID back on its date with its number (the\n"
                           "next free number of that date when it is taken), as the Deleted\n"
                           "Transactions window does; the book is saved with its .bak."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addValue({QStringLiteral("deleted")}, QStringLiteral("ID"),
            QStringLiteral("the Id of the deleted transaction (qbtool deleted lists them)"));
        addForceUnlock();
    }

private:
    int run() override
    {
        bool ok = false;
        const int id = value(QStringLiteral("deleted")).toInt(&ok);
        if (!ok || id < 1)
            return usageError(QStringLiteral("--deleted takes the Id of a deleted transaction"));
        const QString file = argument(0);
        BookLock lock;
        if (const int rc = lockBook(file, &lock))
            return rc;
        Book book;
        if (const int rc = openBook(file, &book))
            return rc;
        const RestoreOutcome outcome = RestoreDeleted(book.document, id);
        if (outcome.kind != RestoreOutcome::Restored)
            return fail(file + QStringLiteral(": ") + RestoreMessage(outcome, id));
        BookWriteOptions write;
        write.key = book.key.get();
        if (const QString why = WriteBookText(book.document.toBytes(), file, write); !why.isEmpty())
            return fail(why);
        out() << "Restored " << id << ": " << RestoreMessage(outcome, id) << '\n';
        return kOk;
    }
};

} // namespace

std::unique_ptr<Command> MakeDeletedCommand()
{
    return std::make_unique<DeletedCommand>();
}

std::unique_ptr<Command> MakeRestoreCommand()
{
    return std::make_unique<RestoreCommand>();
}

} // namespace qb
