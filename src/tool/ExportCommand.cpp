// "qbtool export": the transactions as a ledger journal, a beancount file or
// comma-separated values.

#include "store/BookExport.h"
#include "store/Utilities.h"
#include "tool/Commands.h"

namespace qb {

namespace {

class ExportCommand final : public BookCommand
{
public:
    ExportCommand()
        : BookCommand(QStringLiteral("export"),
            QStringLiteral(
                "export FILE.qbf --format ledger|beancount|csv [-o OUT] [--from D --to D]"),
            QStringLiteral(
                "Write the transactions in date and number order as a ledger journal, a\n"
                "beancount file or comma-separated values with a heading row, to\n"
                "standard output or OUT. With --from and --to (days as yyyymmdd or\n"
                "yyyy-mm-dd, both included) the journals start with each account's\n"
                "balance before the from day, set against Equity:Opening Balances, so\n"
                "their balances on the to day are the book's; the CSV holds the rows of\n"
                "those days only. Every account keeps a name of its own; CSV text that\n"
                "starts with = + - or @ gets a leading apostrophe. A transaction with a\n"
                "malformed date, amount or account stops the export (nothing written)."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addValue({QStringLiteral("format")}, QStringLiteral("ledger|beancount|csv"),
            QStringLiteral("what to write"));
        addValue(
            {QStringLiteral("o")}, QStringLiteral("OUT"), QStringLiteral("write to the file OUT"));
        addValue({QStringLiteral("from")}, QStringLiteral("D"),
            QStringLiteral("the first day, yyyymmdd or yyyy-mm-dd"));
        addValue({QStringLiteral("to")}, QStringLiteral("D"),
            QStringLiteral("the last day, yyyymmdd or yyyy-mm-dd"));
    }

private:
    int run() override
    {
        ExportRange range;
        for (const char* name : {"from", "to"}) {
            const QString option = QString::fromLatin1(name);
            if (!isSet(option))
                continue;
            const QDate date = CommandDate(value(option));
            if (!date.isValid())
                return usageError(QStringLiteral("--") + option
                    + QStringLiteral(" takes a date as yyyymmdd or yyyy-mm-dd"));
            (option == QStringLiteral("from") ? range.from : range.to) = DateToDocDate(date);
        }
        if (range.from && range.to && range.from > range.to)
            return usageError(QStringLiteral("--from is after --to"));
        const QString format = value(QStringLiteral("format"));
        ExportFormat kind;
        if (format == QStringLiteral("ledger"))
            kind = ExportFormat::Ledger;
        else if (format == QStringLiteral("beancount"))
            kind = ExportFormat::Beancount;
        else if (format == QStringLiteral("csv"))
            kind = ExportFormat::Csv;
        else
            return usageError(QStringLiteral("export needs --format ledger, beancount or csv"));
        Book book;
        BookReadOptions read;
        read.repair = false;
        read.requireBook = false;
        if (const int rc = openBook(argument(0), &book, read))
            return rc;
        QString exported;
        QString why;
        if (!ExportBook(book.document, kind, range, &exported, &why))
            return fail(argument(0) + QStringLiteral(": ") + why);
        return writeOutput(value(QStringLiteral("o")), exported.toUtf8());
    }
};

} // namespace

std::unique_ptr<Command> MakeExportCommand()
{
    return std::make_unique<ExportCommand>();
}

} // namespace qb
