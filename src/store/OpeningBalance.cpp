#include "store/OpeningBalance.h"

#include "store/BookSchema.h"
#include "store/MasterEdits.h"

namespace qb {

QString OpeningBalancesAccountName()
{
    return QStringLiteral("Opening Balances");
}

std::optional<TransactionKey> AddOpeningBalance(
    XmlDocument& document, int account, int date, Money amount, UndoHistory* history)
{
    if (amount.isZero())
        return std::nullopt;
    const QList<XmlNode> found = FindAccountsByName(document, OpeningBalancesAccountName());
    const int opening = found.isEmpty()
        ? AddAccountHead(document, OpeningBalancesAccountName(), history)
        : found.first().attribute(schema::kCode).toInt();
    TransactionFields fields;
    fields.date = date;
    fields.from = amount.isNegative() ? account : opening;
    fields.to = amount.isNegative() ? opening : account;
    fields.narration = QStringLiteral("Opening balance");
    fields.amount = amount.isNegative() ? -amount : amount;
    return AddTransaction(document, fields, history);
}

} // namespace qb
