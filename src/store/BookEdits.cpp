#include "BookEdits.h"

#include "Records.h"
#include "Utilities.h"

namespace qb {

XmlNode FindTransaction(const XmlDocument& document, const TransactionKey& key)
{
    return document.selectSingleNode(QStringLiteral("/Data/Trans/t[@No=") + QString::number(key.number)
                                     + QStringLiteral("][@dt=") + QString::number(key.date)
                                     + QLatin1Char(']'));
}

TransactionKey AddTransaction(XmlDocument& document, const TransactionFields& fields)
{
    Trans record;
    record.No = NextTransactionNumber(document, fields.date);
    record.dt = fields.date;
    record.fAc = fields.from;
    record.tAc = fields.to;
    record.Nar = fields.narration;
    record.CreateNode(document.selectSingleNode(QStringLiteral("/Data/Trans")))
        .setText(fields.amount.toText());
    return {record.dt, record.No};
}

TransactionKey UpdateTransaction(XmlDocument& document, XmlNode transaction,
                                 const TransactionFields& fields)
{
    int number = transaction.attribute(QStringLiteral("No")).toInt();
    if (transaction.attribute(QStringLiteral("dt")).toInt() != fields.date) {
        // Numbered before the date changes, so the transaction does not count itself.
        number = NextTransactionNumber(document, fields.date);
        transaction.setAttribute(QStringLiteral("No"), number);
    }
    transaction.setAttribute(QStringLiteral("dt"), fields.date);
    transaction.setAttribute(QStringLiteral("fAc"), fields.from);
    transaction.setAttribute(QStringLiteral("tAc"), fields.to);
    transaction.setAttribute(QStringLiteral("Nar"), fields.narration);
    transaction.setText(fields.amount.toText());
    return {fields.date, number};
}

int AddAccountHead(XmlDocument& document, const QString& name)
{
    AcMaster head;
    head.Code = NextAccountCode(document);
    head.AcName = name;
    head.CreateNode(document.selectSingleNode(QStringLiteral("/Data/AcMaster")));
    return head.Code;
}

} // namespace qb
