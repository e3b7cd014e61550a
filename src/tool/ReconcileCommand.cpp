// "qbtool reconcile": an account's cleared transactions up to a statement's
// date marked reconciled when their balance is the statement's.

#include "engine/ListingBook.h"
#include "store/BookFile.h"
#include "store/BookGuard.h"
#include "store/MasterEdits.h"
#include "store/Reconcile.h"
#include "store/Utilities.h"
#include "tool/Commands.h"

namespace qb {

namespace {

class ReconcileCommand final : public BookCommand
{
public:
    ReconcileCommand()
        : BookCommand(QStringLiteral("reconcile"),
            QStringLiteral("reconcile FILE.qbf --account CODE --date DATE --balance AMOUNT "
                           "[--dry-run] [--force-unlock]"),
            QStringLiteral("Reconcile an account with a bank statement (see \"qbtool reconcile "
                           "--help\")."),
            QStringLiteral(
                "The cleared balance of account CODE on DATE is the sum of its cleared and\n"
                "reconciled transactions up to that day, money into the account positive.\n"
                "When it equals the statement's ending balance AMOUNT, the cleared ones are\n"
                "marked reconciled and the reconciliation is recorded in the book (saved\n"
                "with its .bak), as Finish in the reconcile window does. Otherwise nothing\n"
                "is written: the difference (AMOUNT less the cleared balance) and the\n"
                "transactions not yet reconciled up to DATE are listed, one a line (date,\n"
                "number, status, signed amount, other account, narration, separated by\n"
                "tabs), and the exit code is 1."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addValue({QStringLiteral("account")}, QStringLiteral("CODE"),
            QStringLiteral("the account to reconcile"));
        addValue({QStringLiteral("date")}, QStringLiteral("DATE"),
            QStringLiteral("the statement's date (yyyymmdd or yyyy-mm-dd)"));
        addValue({QStringLiteral("balance")}, QStringLiteral("AMOUNT"),
            QStringLiteral("the statement's ending balance, plain decimal (-12.5 when overdrawn)"));
        addFlag({QStringLiteral("dry-run")},
            QStringLiteral("say what would be done and write nothing"));
        addForceUnlock();
    }

private:
    int run() override
    {
        bool ok = false;
        const int code = value(QStringLiteral("account")).toInt(&ok);
        if (!ok || code < 1)
            return usageError(QStringLiteral("--account takes an account code"));
        const QDate date = CommandDate(value(QStringLiteral("date")));
        if (!date.isValid())
            return usageError(QStringLiteral("--date takes a date as yyyymmdd or yyyy-mm-dd"));
        const std::optional<Money> balance = Money::parse(value(QStringLiteral("balance")));
        if (!balance)
            return usageError(QStringLiteral("--balance takes a plain decimal amount"));
        const bool dryRun = isSet(QStringLiteral("dry-run"));
        const QString file = argument(0);
        BookLock lock;
        if (!dryRun) {
            if (const int rc = lockBook(file, &lock))
                return rc;
        }
        Book book;
        if (const int rc = openBook(file, &book))
            return rc;
        XmlDocument& doc = book.document;
        if (FindAccount(doc, code).isNull())
            return fail(
                QStringLiteral("the book has no account head with code ") + QString::number(code),
                kUsage);
        const int statementDate = DateToDocDate(date);
        const ReconcileStart start = ReadReconcileStart(doc, code, statementDate);
        if (!start.ok)
            return fail(
                QStringLiteral("an amount of the account cannot be read or a sum is "
                               "beyond the range of amounts (\"qbtool check\" tells more)"));
        const Money cleared = start.clearedBalance();
        const Money difference = *balance - cleared;
        QList<TransactionKey> keys;
        for (const ReconcileLine& line : start.lines) {
            if (line.cleared)
                keys.append(line.key);
        }
        if (!difference.isZero()) {
            out() << "Cleared balance " << cleared.format() << ", statement " << balance->format()
                  << ", difference " << difference.format() << '\n';
            const QHash<int, QString> names = AccountNames(doc);
            for (const ReconcileLine& line : start.lines) {
                out() << DocDateToDate(line.key.date).toString(Qt::ISODate) << '\t'
                      << line.key.number << '\t'
                      << StatusWord(line.cleared ? TransactionStatus::Cleared
                                                 : TransactionStatus::NotCleared)
                      << '\t' << line.amount.toText() << '\t' << names.value(line.other) << '\t'
                      << line.narration << '\n';
            }
            return kInconsistent;
        }
        const QString done = QString::number(keys.size())
            + (keys.size() == 1 ? QStringLiteral(" transaction") : QStringLiteral(" transactions"))
            + QStringLiteral(" up to ") + date.toString(Qt::ISODate) + QStringLiteral(", balance ")
            + balance->format();
        if (dryRun) {
            out() << "Would reconcile " << done << '\n';
            return kOk;
        }
        FinishReconciliation(doc, {code, statementDate, *balance}, keys);
        BookWriteOptions write;
        write.key = book.key.get();
        if (const QString why = WriteBookText(doc.toBytes(), file, write); !why.isEmpty())
            return fail(why);
        out() << "Reconciled " << done << '\n';
        return kOk;
    }
};

} // namespace

std::unique_ptr<Command> MakeReconcileCommand()
{
    return std::make_unique<ReconcileCommand>();
}

} // namespace qb
