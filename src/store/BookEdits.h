#pragma once

// Adding, changing and finding records in the document: account heads with
// their codes, transactions with the numbering rule that keeps numbers unique
// within a date. Windows and tests use these; the caller saves afterwards.
// Given a history, each edit adds itself to it as one undo step.

#include <QString>
#include <QStringList>

#include "store/Money.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

// A transaction is found by its date and number together.
struct TransactionKey
{
    int date = 0;
    int number = 0;
    bool operator==(const TransactionKey&) const = default;
};

struct TransactionFields
{
    int date = 0; // document date
    int from = 0; // account codes
    int to = 0;
    QString narration; // stored as given: the caller filters it
    Money amount; // written as its plain decimal text
    bool cleared = false; // AddTransactions: written as cleared (a bank's own line)
};

// The narrations to offer while a transaction is typed: every distinct
// narration of the Trans section, the one used on the latest date first (on
// one date, the later in the document first), then the entries of the
// Narration section that no transaction uses. Blank narrations are left out.
// One walk over the transactions; nothing is written.
QStringList RecentNarrations(const XmlNode& transSection, const XmlNode& narrationSection);

// The first transaction of the key in document order; null when there is none.
XmlNode FindTransaction(const XmlDocument& document, const TransactionKey& key);

// Appends a new transaction to the Trans section, numbered after the highest
// number of its date; returns its key.
TransactionKey AddTransaction(
    XmlDocument& document, const TransactionFields& fields, UndoHistory* history = nullptr);

// Appends several new transactions in one walk over the book: each is
// numbered after the highest number of its date, counting the ones appended
// before it. Returns their keys in the same order.
QList<TransactionKey> AddTransactions(XmlDocument& document, const QList<TransactionFields>& list);

// The longest narration the entry window's narration box takes.
constexpr int kMaxNarrationLength = 32767;
// A narration as it is stored: the allowed characters only, cut at
// kMaxNarrationLength. Typed and imported narrations both pass here.
QString NarrationText(const QString& text);

// Changes a transaction in place: it keeps its number while its date stays,
// and takes the next number of the new date when the date changes. Returns the new key.
TransactionKey UpdateTransaction(XmlDocument& document, XmlNode transaction,
    const TransactionFields& fields, UndoHistory* history = nullptr);

// Appends an account head with the next code (the highest code plus 1)
// and the name as given; returns the code.
int AddAccountHead(XmlDocument& document, const QString& name, UndoHistory* history = nullptr);

} // namespace qb
