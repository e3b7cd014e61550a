#pragma once

// Checking an account against the bank: each transaction is not cleared,
// cleared (the bank has it) or reconciled (taken in by a finished
// reconciliation against a statement). A reconciliation is kept in the
// book's Reconciliations section with the account, the statement's date
// and its ending balance. The cleared balance of an account on a date is
// the sum of its cleared and reconciled transactions up to that date, money
// into the account counted positive. No widgets; the caller saves.

#include <optional>

#include <QByteArrayView>
#include <QList>
#include <QString>

#include "store/BookEdits.h"
#include "store/Money.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

enum class TransactionStatus { NotCleared, Cleared, Reconciled };

// The status an attribute's text stands for; anything else is not cleared.
TransactionStatus StatusFromText(QByteArrayView text);
TransactionStatus StatusOf(const XmlNode& transaction);
// "", "c", "R": the mark a listing shows.
QString StatusMark(TransactionStatus status);
// "not cleared", "cleared", "reconciled".
QString StatusWord(TransactionStatus status);
// The status a word names ("not-cleared" and "uncleared" also); nothing otherwise.
std::optional<TransactionStatus> StatusFromWord(const QString& word);
// The statement date (yyyymmdd) of the reconciliation that took a
// reconciled transaction in; 0 when it is not reconciled or has no date.
int ReconciledOn(const XmlNode& transaction);

// Sets a transaction's status (reconciledOn counts for Reconciled only): one
// undo step, none when nothing changes.
void SetTransactionStatus(XmlNode transaction, TransactionStatus status, int reconciledOn = 0,
    UndoHistory* history = nullptr);
// Not cleared becomes cleared, cleared or reconciled becomes not cleared.
TransactionStatus ToggleCleared(XmlNode transaction, UndoHistory* history = nullptr);

// "This transaction was reconciled with the statement of 07-12-2026. Change it anyway?"
QString ReconciledQuestion(int reconciledOn);

struct Reconciliation
{
    int account = 0;
    int date = 0; // the statement's date, yyyymmdd
    Money balance; // its ending balance
};

// The finished reconciliations in the order they were made.
QList<Reconciliation> ReadReconciliations(const XmlDocument& document);
// The latest of an account (by statement date, the later made among equals).
std::optional<Reconciliation> LastReconciliation(const XmlDocument& document, int account);

// The ending balance of the last statement imported into the account (by
// statement date, the later written among equals), from the Imported section.
std::optional<Reconciliation> LastStatementBalance(const XmlDocument& document, int account);

// A transaction of the account not yet reconciled, as the reconcile window lists it.
struct ReconcileLine
{
    TransactionKey key;
    int other = 0; // the other account
    QString narration;
    Money amount; // signed: money into the account positive
    bool cleared = false;
};

// What reconciling an account up to a date starts from, in one walk over
// the book: the sum of its reconciled transactions up to the date and its
// other transactions up to the date in date and number order. ok is false
// when an amount of the account cannot be read or a sum leaves the range.
struct ReconcileStart
{
    bool ok = true;
    Money reconciled;
    QList<ReconcileLine> lines;

    // reconciled plus the cleared lines.
    Money clearedBalance() const;
};
ReconcileStart ReadReconcileStart(const XmlDocument& document, int account, int date);

// Marks the transactions of keys reconciled with the statement and records
// the reconciliation (adding the section to a book without one): one undo
// step. Keys that name no transaction are passed over.
void FinishReconciliation(XmlDocument& document, const Reconciliation& reconciliation,
    const QList<TransactionKey>& keys, UndoHistory* history = nullptr);

// Keeps the ticks of a reconciliation put off: of the lines given, the
// ticked ones become cleared and the others not cleared. One undo step;
// none when nothing changes.
void PostponeReconciliation(
    XmlDocument& document, const QList<ReconcileLine>& lines, UndoHistory* history = nullptr);

} // namespace qb
