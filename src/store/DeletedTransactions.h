#pragma once

// The bin: a deleted transaction is kept in the book's Deleted section with
// the time of its deletion, until it is restored or grows older than the
// days the bin keeps. A book without the section behaves as before; the
// first deletion adds it at the end of Data. Its records are "d" elements
// (never "t", so that nothing looking for transactions finds them):
// Id, At (yyyyMMddHHmmss), then the transaction's No, dt, fAc, tAc, Nar, and
// the amount as text.

#include <optional>

#include <QDateTime>
#include <QList>
#include <QString>

#include "store/BookEdits.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

struct DeletedTransaction
{
    int id = 0;
    QDateTime at;
    int number = 0;
    TransactionFields fields;
    QString amountText; // as stored
};

// Days a deleted transaction stays in the bin unless set ("Bin"/"KeepDays").
constexpr int kBinDefaultDays = 30;
int BinKeepDays();

// The Deleted section, or null when the book has none.
XmlNode DeletedSection(const XmlDocument& document);

// Moves a transaction into the bin, deleted at `at`: one undo step.
void DeleteTransaction(XmlDocument& document, XmlNode transaction, const QDateTime& at,
    UndoHistory* history = nullptr);

// The bin's entries, newest first.
QList<DeletedTransaction> ReadDeleted(const XmlDocument& document);

struct RestoreOutcome
{
    enum Kind { Restored, NotFound, AccountMissing };
    Kind kind = NotFound;
    TransactionKey key; // the number it got
    bool renumbered = false; // its number was taken on its date
    int missingAccount = 0;
};
// Puts the entry back on its date with its number, or the next free number
// of that date when the number is taken, and takes it out of the bin: one
// undo step. Refused when its From or To account no longer exists.
RestoreOutcome RestoreDeleted(XmlDocument& document, int id, UndoHistory* history = nullptr);
// The entries of the bin whose From or To is the account: they cannot be
// restored once the account is deleted.
int DeletedReferringTo(const XmlDocument& document, int code);
// What to tell the user about a restore (the number it got, or why not).
QString RestoreMessage(const RestoreOutcome& outcome, int id);

// Removes the entries deleted before today - keepDays; the number removed.
int PruneDeleted(XmlDocument& document, const QDate& today, int keepDays);

} // namespace qb
