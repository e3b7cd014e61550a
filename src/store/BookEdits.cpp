#include "store/BookEdits.h"

#include <algorithm>
#include <vector>

#include <QHash>

#include "store/BookSchema.h"
#include "store/Records.h"
#include "store/Utilities.h"

namespace qb {

QStringList RecentNarrations(const XmlNode& transSection, const XmlNode& narrationSection)
{
    struct Latest
    {
        int date = 0;
        int position = 0;
    };
    // Keyed by the narration's bytes: a row whose narration was seen before
    // costs a lookup, not a copy.
    QHash<QByteArray, Latest> latest;
    latest.reserve(4096);
    ForEachTransaction(transSection, [&](const BookTransaction& t) {
        const QByteArrayView nar = t.narration;
        if (nar.trimmed().isEmpty())
            return;
        int date = 0;
        for (const char c : t.date) {
            if (c < '0' || c > '9' || date > 99999999)
                break;
            date = date * 10 + (c - '0');
        }
        const QByteArray key = QByteArray::fromRawData(nar.data(), nar.size());
        const auto found = latest.find(key);
        if (found == latest.end())
            latest.insert(nar.toByteArray(), Latest {date, t.position});
        else if (date >= found->date)
            *found = Latest {date, t.position};
    });
    std::vector<std::pair<Latest, QString>> used;
    used.reserve(size_t(latest.size()));
    for (auto it = latest.cbegin(); it != latest.cend(); ++it)
        used.emplace_back(it.value(), QString::fromUtf8(it.key()));
    std::sort(used.begin(), used.end(), [](const auto& a, const auto& b) {
        if (a.first.date != b.first.date)
            return a.first.date > b.first.date;
        return a.first.position > b.first.position;
    });
    QStringList narrations;
    narrations.reserve(qsizetype(used.size()));
    for (auto& entry : used)
        narrations.append(std::move(entry.second));
    if (!narrationSection.isNull()) {
        // The section is short: its entries are looked up among the used ones.
        for (XmlNode n = narrationSection.firstChildElement(); !n.isNull();
             n = n.nextSiblingElement()) {
            const QString text = n.text();
            QByteArray key = text.toUtf8();
            if (!text.trimmed().isEmpty() && !latest.contains(key)) {
                latest.insert(std::move(key), Latest {});
                narrations.append(text);
            }
        }
    }
    return narrations;
}

XmlNode FindTransaction(const XmlDocument& document, const TransactionKey& key)
{
    return TransSectionOf(document).selectSingleNode(schema::kTransaction + QStringLiteral("[@")
        + schema::kNo + QLatin1Char('=') + QString::number(key.number) + QStringLiteral("][@")
        + schema::kDate + QLatin1Char('=') + QString::number(key.date) + QLatin1Char(']'));
}

TransactionKey AddTransaction(
    XmlDocument& document, const TransactionFields& fields, UndoHistory* history)
{
    Trans record;
    record.No = NextTransactionNumber(document, fields.date);
    record.dt = fields.date;
    record.fAc = fields.from;
    record.tAc = fields.to;
    record.Nar = fields.narration;
    XmlNode added = record.CreateNode(TransSectionOf(document));
    added.setText(fields.amount.toText());
    UndoRecorder undo(history,
        QStringLiteral("entry of transaction ") + QString::number(record.No)
            + QStringLiteral(" on ") + CaptionDate(record.dt));
    undo.inserted(added);
    return {record.dt, record.No};
}

QList<TransactionKey> AddTransactions(XmlDocument& document, const QList<TransactionFields>& list)
{
    QList<TransactionKey> keys;
    if (list.isEmpty())
        return keys;
    QHash<int, int> highest;
    for (const TransactionFields& fields : list)
        highest.insert(fields.date, 0);
    XmlNode trans = document.selectSingleNode(QStringLiteral("/Data/Trans"));
    trans.visitChildElements({schema::kNo.toLatin1(), schema::kDate.toLatin1()},
        [&](const QList<QByteArrayView>& values, QByteArrayView) {
            const auto found = highest.find(values.at(1).toInt());
            if (found != highest.end())
                *found = std::max(*found, int(values.at(0).toInt()));
        });
    keys.reserve(list.size());
    for (const TransactionFields& fields : list) {
        Trans record;
        record.No = ++highest[fields.date];
        record.dt = fields.date;
        record.fAc = fields.from;
        record.tAc = fields.to;
        record.Nar = fields.narration;
        XmlNode added = record.CreateNode(trans);
        added.setText(fields.amount.toText());
        if (fields.cleared)
            added.setAttribute(schema::kStatus, schema::kStatusCleared);
        keys.append({record.dt, record.No});
    }
    return keys;
}

QString NarrationText(const QString& text)
{
    return AllowedCharsOnly(text).left(kMaxNarrationLength);
}

TransactionKey UpdateTransaction(XmlDocument& document, XmlNode transaction,
    const TransactionFields& fields, UndoHistory* history)
{
    UndoRecorder undo(history, {});
    undo.changing(transaction);
    int number = transaction.attribute(schema::kNo).toInt();
    if (transaction.attribute(schema::kDate).toInt() != fields.date) {
        // Numbered before the date changes, so the transaction does not count itself.
        number = NextTransactionNumber(document, fields.date);
        transaction.setAttribute(schema::kNo, number);
    }
    transaction.setAttribute(schema::kDate, fields.date);
    transaction.setAttribute(schema::kFrom, fields.from);
    transaction.setAttribute(schema::kTo, fields.to);
    transaction.setAttribute(schema::kNar, fields.narration);
    transaction.setText(fields.amount.toText());
    undo.changed(transaction);
    undo.setCaption(QStringLiteral("edit of transaction ") + QString::number(number)
        + QStringLiteral(" on ") + CaptionDate(fields.date));
    return {fields.date, number};
}

int AddAccountHead(XmlDocument& document, const QString& name, UndoHistory* history)
{
    AcMaster head;
    head.Code = NextAccountCode(document);
    head.AcName = name;
    const XmlNode added = head.CreateNode(BookSection(document, schema::kAcMaster));
    UndoRecorder(history, QStringLiteral("addition of account ") + name).inserted(added);
    return head.Code;
}

} // namespace qb
