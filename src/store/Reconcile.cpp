#include "store/Reconcile.h"

#include <algorithm>

#include <QHash>
#include <QSet>

#include "store/BookSchema.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"

namespace qb {

namespace {

qint64 keyOf(int date, int number)
{
    return qint64(date) * 10000000000LL + number;
}

QString captionOf(const XmlDocument& document, int account, int date)
{
    return QStringLiteral("reconciliation of ")
        + FindAccount(document, account).attribute(schema::kAcName) + QStringLiteral(" on ")
        + CaptionDate(date);
}

// Sets the status without recording it.
void writeStatus(XmlNode t, TransactionStatus status, int reconciledOn)
{
    if (status == TransactionStatus::NotCleared)
        t.removeAttribute(schema::kStatus);
    else
        t.setAttribute(schema::kStatus,
            status == TransactionStatus::Cleared ? schema::kStatusCleared
                                                 : schema::kStatusReconciled);
    if (status == TransactionStatus::Reconciled && reconciledOn > 0)
        t.setAttribute(schema::kReconciledOn, reconciledOn);
    else
        t.removeAttribute(schema::kReconciledOn);
}

void changeStatus(UndoRecorder& undo, XmlNode t, TransactionStatus status, int reconciledOn)
{
    undo.changing(t);
    writeStatus(t, status, reconciledOn);
    undo.changed(t);
}

// Calls change for every transaction of the Trans section whose key is in keys.
template <class Change>
void forKeys(XmlDocument& document, const QSet<qint64>& keys, Change change)
{
    if (keys.isEmpty())
        return;
    for (XmlNode t = TransSectionOf(document).firstChildElement(); t; t = t.nextSiblingElement()) {
        const qint64 key
            = keyOf(t.attribute(schema::kDate).toInt(), t.attribute(schema::kNo).toInt());
        if (keys.contains(key))
            change(t, key);
    }
}

} // namespace

TransactionStatus StatusFromText(QByteArrayView text)
{
    if (text == schema::kStatusCleared.toLatin1())
        return TransactionStatus::Cleared;
    if (text == schema::kStatusReconciled.toLatin1())
        return TransactionStatus::Reconciled;
    return TransactionStatus::NotCleared;
}

TransactionStatus StatusOf(const XmlNode& transaction)
{
    return StatusFromText(transaction.attribute(schema::kStatus).toLatin1());
}

QString StatusMark(TransactionStatus status)
{
    switch (status) {
    case TransactionStatus::Cleared:
        return QStringLiteral("c");
    case TransactionStatus::Reconciled:
        return QStringLiteral("R");
    case TransactionStatus::NotCleared:
        break;
    }
    return {};
}

QString StatusWord(TransactionStatus status)
{
    switch (status) {
    case TransactionStatus::Cleared:
        return QStringLiteral("cleared");
    case TransactionStatus::Reconciled:
        return QStringLiteral("reconciled");
    case TransactionStatus::NotCleared:
        break;
    }
    return QStringLiteral("not cleared");
}

std::optional<TransactionStatus> StatusFromWord(const QString& word)
{
    const QString w = word.trimmed().toLower();
    for (const TransactionStatus s : {TransactionStatus::NotCleared, TransactionStatus::Cleared,
             TransactionStatus::Reconciled}) {
        if (w == StatusWord(s))
            return s;
    }
    if (w == QStringLiteral("not-cleared") || w == QStringLiteral("uncleared"))
        return TransactionStatus::NotCleared;
    return std::nullopt;
}

int ReconciledOn(const XmlNode& transaction)
{
    if (StatusOf(transaction) != TransactionStatus::Reconciled)
        return 0;
    const int date = transaction.attribute(schema::kReconciledOn).toInt();
    return DocDateToDate(date).isValid() ? date : 0;
}

void SetTransactionStatus(
    XmlNode transaction, TransactionStatus status, int reconciledOn, UndoHistory* history)
{
    if (!transaction)
        return;
    UndoRecorder undo(history,
        QStringLiteral("status of transaction ") + transaction.attribute(schema::kNo)
            + QStringLiteral(" on ") + CaptionDate(transaction.attribute(schema::kDate).toInt()));
    changeStatus(undo, transaction, status, reconciledOn);
}

TransactionStatus ToggleCleared(XmlNode transaction, UndoHistory* history)
{
    const TransactionStatus next = StatusOf(transaction) == TransactionStatus::NotCleared
        ? TransactionStatus::Cleared
        : TransactionStatus::NotCleared;
    SetTransactionStatus(transaction, next, 0, history);
    return next;
}

QString ReconciledQuestion(int reconciledOn)
{
    const QString when = reconciledOn > 0
        ? QStringLiteral("with the statement of ") + CaptionDate(reconciledOn)
        : QStringLiteral("with a statement");
    return QStringLiteral("This transaction was reconciled ") + when
        + QStringLiteral(". Change it anyway?");
}

namespace {

// The records named name of a section, read as reconciliations.
QList<Reconciliation> readBalances(
    const XmlDocument& document, const QString& sectionName, const QString& name)
{
    QList<Reconciliation> list;
    const XmlNode section = BookSection(document, sectionName);
    for (XmlNode r = section.firstChildElement(); r; r = r.nextSiblingElement()) {
        if (r.name() != name)
            continue;
        Reconciliation rec;
        rec.account = r.attribute(schema::kRecAccount).toInt();
        rec.date = r.attribute(schema::kRecDate).toInt();
        rec.balance = Money::parse(r.attribute(schema::kRecBalance)).value_or(Money());
        list.append(rec);
    }
    return list;
}

std::optional<Reconciliation> latest(const QList<Reconciliation>& list, int account)
{
    std::optional<Reconciliation> last;
    for (const Reconciliation& r : list) {
        if (r.account == account && (!last || r.date >= last->date))
            last = r;
    }
    return last;
}

} // namespace

QList<Reconciliation> ReadReconciliations(const XmlDocument& document)
{
    return readBalances(document, schema::kReconciliations, schema::kReconciliation);
}

std::optional<Reconciliation> LastReconciliation(const XmlDocument& document, int account)
{
    return latest(ReadReconciliations(document), account);
}

std::optional<Reconciliation> LastStatementBalance(const XmlDocument& document, int account)
{
    return latest(readBalances(document, schema::kImported, schema::kStatementBalance), account);
}

Money ReconcileStart::clearedBalance() const
{
    Money sum = reconciled;
    for (const ReconcileLine& line : lines) {
        if (line.cleared)
            sum += line.amount;
    }
    return sum;
}

ReconcileStart ReadReconcileStart(const XmlDocument& document, int account, int date)
{
    ReconcileStart start;
    MoneySum reconciled;
    ForEachTransaction(document, [&](const BookTransaction& t) {
        const int from = BookTransaction::numberOf(t.from);
        const int to = BookTransaction::numberOf(t.to);
        const int dt = BookTransaction::numberOf(t.date);
        if ((from != account && to != account) || from == to || dt > date)
            return;
        const std::optional<Money> amount = t.amount();
        if (!amount) {
            start.ok = false;
            return;
        }
        const Money signedAmount = to == account ? *amount : -*amount;
        const TransactionStatus status = StatusFromText(t.status);
        if (status == TransactionStatus::Reconciled) {
            reconciled.add(signedAmount);
            return;
        }
        ReconcileLine line;
        line.key = {dt, BookTransaction::numberOf(t.no)};
        line.other = to == account ? from : to;
        line.narration = QString::fromUtf8(t.narration);
        line.amount = signedAmount;
        line.cleared = status == TransactionStatus::Cleared;
        start.lines.append(std::move(line));
    });
    std::stable_sort(
        start.lines.begin(), start.lines.end(), [](const ReconcileLine& a, const ReconcileLine& b) {
            return a.key.date != b.key.date ? a.key.date < b.key.date : a.key.number < b.key.number;
        });
    // Every cleared line added to the reconciled ones must stay in range too.
    MoneySum all = reconciled;
    for (const ReconcileLine& line : start.lines)
        all.add(line.amount.isNegative() ? -line.amount : line.amount);
    start.ok = start.ok && !all.overflowed();
    start.reconciled = reconciled.value().value_or(Money());
    return start;
}

void FinishReconciliation(XmlDocument& document, const Reconciliation& reconciliation,
    const QList<TransactionKey>& keys, UndoHistory* history)
{
    UndoRecorder undo(history, captionOf(document, reconciliation.account, reconciliation.date));
    QSet<qint64> wanted;
    for (const TransactionKey& k : keys)
        wanted.insert(keyOf(k.date, k.number));
    forKeys(document, wanted, [&](XmlNode t, qint64 key) {
        changeStatus(undo, t, TransactionStatus::Reconciled, reconciliation.date);
        wanted.remove(key); // the first of a key only, as FindTransaction
    });
    XmlNode root = document.documentElement();
    XmlNode section = BookSection(document, schema::kReconciliations);
    const bool newSection = !section;
    if (newSection)
        section = root.appendChild(root.createElement(schema::kReconciliations));
    XmlNode r = section.appendChild(section.createElement(schema::kReconciliation));
    r.setAttribute(schema::kRecAccount, reconciliation.account);
    r.setAttribute(schema::kRecDate, reconciliation.date);
    r.setAttribute(schema::kRecBalance, reconciliation.balance.toText());
    undo.inserted(newSection ? section : r);
}

void PostponeReconciliation(
    XmlDocument& document, const QList<ReconcileLine>& lines, UndoHistory* history)
{
    UndoRecorder undo(history, QStringLiteral("reconciliation put off"));
    QHash<qint64, bool> ticks;
    for (const ReconcileLine& line : lines)
        ticks.insert(keyOf(line.key.date, line.key.number), line.cleared);
    QSet<qint64> keys(ticks.keyBegin(), ticks.keyEnd());
    forKeys(document, keys, [&](XmlNode t, qint64 key) {
        // A transaction reconciled meanwhile in another way stays so.
        if (!keys.remove(key) || StatusOf(t) == TransactionStatus::Reconciled)
            return;
        changeStatus(undo, t,
            ticks.value(key) ? TransactionStatus::Cleared : TransactionStatus::NotCleared, 0);
    });
}

} // namespace qb
