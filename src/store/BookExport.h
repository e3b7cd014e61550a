#pragma once

// Writes a book's transactions for other accounting tools: a ledger journal,
// a beancount file, or comma-separated values with a heading row. Amounts
// are written exactly; account names are changed only where the target
// would read them otherwise, and each account keeps a name of its own.

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
// a reason when a transaction's amount or account cannot be written.
bool ExportBook(const XmlDocument& book, ExportFormat format, const ExportRange& range,
                QString* text, QString* error);

} // namespace qb
