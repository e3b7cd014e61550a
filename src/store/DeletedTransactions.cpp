#include "store/DeletedTransactions.h"

#include "store/BookSchema.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"

namespace qb {

namespace {

const QString kAtFormat = QStringLiteral("yyyyMMddHHmmss");

QString keyText(const TransactionKey& key)
{
    return QString::number(key.number) + QStringLiteral(" on ") + CaptionDate(key.date);
}

XmlNode findEntry(const XmlDocument& document, int id)
{
    const QString wanted = QString::number(id);
    const XmlNode bin = DeletedSection(document);
    for (XmlNode d = bin.lastChildElement(); d; d = d.previousSiblingElement()) {
        if (d.attribute(QStringLiteral("Id")) == wanted)
            return d;
    }
    return {};
}

} // namespace

int BinKeepDays()
{
    bool ok = false;
    const int days = GetSetting(
        QStringLiteral("Bin"), QStringLiteral("KeepDays"), QString::number(kBinDefaultDays))
                         .toInt(&ok);
    return ok && days >= 0 ? days : kBinDefaultDays;
}

XmlNode DeletedSection(const XmlDocument& document)
{
    const XmlNode root = document.documentElement();
    for (XmlNode child = root.lastChildElement(); child; child = child.previousSiblingElement()) {
        if (child.name() == QStringLiteral("Deleted"))
            return child;
    }
    return {};
}

void DeleteTransaction(
    XmlDocument& document, XmlNode transaction, const QDateTime& at, UndoHistory* history)
{
    if (!transaction)
        return;
    const TransactionKey key {
        transaction.attribute(schema::kDate).toInt(), transaction.attribute(schema::kNo).toInt()};
    UndoRecorder undo(history, QStringLiteral("delete of transaction ") + keyText(key));
    XmlNode bin = DeletedSection(document);
    if (!bin) {
        XmlNode root = document.documentElement();
        bin = root.appendChild(root.createElement(QStringLiteral("Deleted")));
        undo.inserted(bin);
    }
    // Ids count up from the newest entry's, as account codes do.
    const XmlNode last = bin.lastChildElement();
    const int id = last ? last.attribute(QStringLiteral("Id")).toInt() + 1 : 1;
    XmlNode entry = bin.createElement(QStringLiteral("d"));
    entry.setAttribute(QStringLiteral("Id"), id);
    entry.setAttribute(QStringLiteral("At"), at.toString(kAtFormat));
    for (int i = 0; i < transaction.attributeCount(); ++i)
        entry.setAttribute(transaction.attributeName(i), transaction.attributeValue(i));
    entry.setText(transaction.text());
    bin.appendChild(entry);
    undo.inserted(entry);
    undo.removing(transaction);
    transaction.parent().removeChild(transaction);
}

QList<DeletedTransaction> ReadDeleted(const XmlDocument& document)
{
    QList<DeletedTransaction> entries;
    const XmlNode bin = DeletedSection(document);
    for (XmlNode d = bin.lastChildElement(); d; d = d.previousSiblingElement()) {
        DeletedTransaction e;
        e.id = d.attribute(QStringLiteral("Id")).toInt();
        e.at = QDateTime::fromString(d.attribute(QStringLiteral("At")), kAtFormat);
        e.number = d.attribute(schema::kNo).toInt();
        e.fields.date = d.attribute(schema::kDate).toInt();
        e.fields.from = d.attribute(schema::kFrom).toInt();
        e.fields.to = d.attribute(schema::kTo).toInt();
        e.fields.narration = d.attribute(schema::kNar);
        e.amountText = d.text();
        e.fields.amount = Money::parse(e.amountText).value_or(Money());
        entries.append(e);
    }
    return entries;
}

int DeletedReferringTo(const XmlDocument& document, int code)
{
    const QString wanted = QString::number(code);
    int count = 0;
    const XmlNode bin = DeletedSection(document);
    for (XmlNode d = bin.firstChildElement(); d; d = d.nextSiblingElement()) {
        if (d.attribute(schema::kFrom) == wanted || d.attribute(schema::kTo) == wanted)
            ++count;
    }
    return count;
}

RestoreOutcome RestoreDeleted(XmlDocument& document, int id, UndoHistory* history)
{
    RestoreOutcome outcome;
    XmlNode entry = findEntry(document, id);
    if (!entry)
        return outcome;
    for (const QString& name : {schema::kFrom, schema::kTo}) {
        const int code = entry.attribute(name).toInt();
        if (!FindAccount(document, code)) {
            outcome.kind = RestoreOutcome::AccountMissing;
            outcome.missingAccount = code;
            return outcome;
        }
    }
    const int date = entry.attribute(schema::kDate).toInt();
    int number = entry.attribute(schema::kNo).toInt();
    if (number < 1 || FindTransaction(document, {date, number})) {
        number = NextTransactionNumber(document, date);
        outcome.renumbered = true;
    }
    outcome.kind = RestoreOutcome::Restored;
    outcome.key = {date, number};

    UndoRecorder undo(history, QStringLiteral("restore of transaction ") + keyText(outcome.key));
    XmlNode trans = document.selectSingleNode(QStringLiteral("/Data/Trans"));
    XmlNode t = trans.appendChild(trans.createElement(QStringLiteral("t")));
    t.setAttribute(schema::kNo, number);
    // The rest of the transaction's attributes in their stored order.
    for (int i = 0; i < entry.attributeCount(); ++i) {
        const QString name = entry.attributeName(i);
        if (name != QStringLiteral("Id") && name != QStringLiteral("At") && name != schema::kNo)
            t.setAttribute(name, entry.attributeValue(i));
    }
    t.setText(entry.text());
    undo.inserted(t);
    undo.removing(entry);
    entry.parent().removeChild(entry);
    return outcome;
}

QString RestoreMessage(const RestoreOutcome& outcome, int id)
{
    switch (outcome.kind) {
    case RestoreOutcome::Restored:
        if (outcome.renumbered)
            return QStringLiteral("The transaction is back on ") + CaptionDate(outcome.key.date)
                + QStringLiteral(" as number ") + QString::number(outcome.key.number)
                + QStringLiteral(": its own number was taken.");
        return QStringLiteral("The transaction is back on ") + CaptionDate(outcome.key.date)
            + QStringLiteral(" as number ") + QString::number(outcome.key.number)
            + QLatin1Char('.');
    case RestoreOutcome::AccountMissing:
        return QStringLiteral("The transaction cannot be restored: its account ")
            + QString::number(outcome.missingAccount) + QStringLiteral(" no longer exists.");
    case RestoreOutcome::NotFound:
        break;
    }
    return QStringLiteral("There is no deleted transaction ") + QString::number(id)
        + QStringLiteral(" in the bin.");
}

int PruneDeleted(XmlDocument& document, const QDate& today, int keepDays)
{
    XmlNode bin = DeletedSection(document);
    if (!bin || !today.isValid())
        return 0;
    const QDate first = today.addDays(-keepDays);
    int removed = 0;
    // Entries are in deletion order: the old ones are at the front.
    for (XmlNode d = bin.firstChildElement(); d;) {
        const XmlNode next = d.nextSiblingElement();
        const QDateTime at = QDateTime::fromString(d.attribute(QStringLiteral("At")), kAtFormat);
        if (at.isValid() && at.date() < first) {
            bin.removeChild(d);
            ++removed;
        }
        d = next;
    }
    return removed;
}

} // namespace qb
