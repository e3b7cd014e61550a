#pragma once

// Writes a book's transactions for other accounting tools: a ledger journal,
// a beancount file, or comma-separated values with a heading row. Amounts
// are written exactly; account names are changed only where the target
// would read them otherwise, and each account keeps a name of its own that
// no other account has. Every name and narration is written on one line;
// CSV cells that a spreadsheet would run as a formula start with an
// apostrophe. A journal limited to a from date starts with each account's
// balance before that day, so that its balances equal the book's.

#include <QString>

namespace qb {

class XmlDocument;

enum class ExportFormat { Ledger, Beancount, Csv };

struct ExportRange
{
    int from = 0; // document dates; 0: no limit
    int to = 0;
};

// The text of the export, transactions in date and number order; false with
// the book check's message when a transaction's date, amount or account
// cannot be written (nothing is written then).
bool ExportBook(const XmlDocument& book, ExportFormat format, const ExportRange& range,
    QString* text, QString* error);

// A spreadsheet runs a cell whose first character other than a blank is =,
// +, - or @ as a formula; such a text gets a leading apostrophe (the common
// guard: the cell is then read as text). Other texts stay as they are.
QString SpreadsheetSafe(const QString& text);

// A CSV field: quoted (quotes doubled) when it holds a comma or a quote.
QString CsvField(const QString& text);

} // namespace qb
