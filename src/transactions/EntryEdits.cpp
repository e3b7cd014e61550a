#include "transactions/EntryEdits.h"

#include "store/BookSchema.h"

namespace qb {

std::optional<EntryRefusal> CheckEntry(std::optional<int> from, std::optional<int> to, Money amount)
{
    if (!from)
        return EntryRefusal {QStringLiteral("Select a From account"),
            QStringLiteral("Enter from account"), EntryField::From};
    if (!to)
        return EntryRefusal {QStringLiteral("Select a To account"),
            QStringLiteral("Enter To account"), EntryField::To};
    if (amount.isZero())
        return EntryRefusal {QStringLiteral("Enter Amount of this transaction"),
            QStringLiteral("Enter amount"), EntryField::Amount};
    if (*from == *to)
        return EntryRefusal {QStringLiteral("From and To accounts cannot be same"),
            QStringLiteral("Invalid transaction"), EntryField::None};
    return std::nullopt;
}

std::optional<LoadedTransaction> LoadedTransaction::Load(
    const XmlDocument& document, const TransactionKey& key)
{
    const XmlNode t = FindTransaction(document, key);
    if (t.isNull())
        return std::nullopt;
    LoadedTransaction loaded;
    loaded.m_key = key;
    loaded.m_fields.date = key.date;
    loaded.m_fields.from = t.attribute(schema::kFrom).toInt();
    loaded.m_fields.to = t.attribute(schema::kTo).toInt();
    loaded.m_fields.narration = t.attribute(schema::kNar);
    // Amounts the program did not write (more than four decimals) load as the
    // nearest ten-thousandth; find() still compares the element as stored.
    loaded.m_fields.amount = Money::fromNumberText(t.text().trimmed()).value_or(Money());
    loaded.m_xml = t.xml();
    return loaded;
}

XmlNode LoadedTransaction::find(const XmlDocument& document) const
{
    const XmlNode t = FindTransaction(document, m_key);
    return !t.isNull() && t.xml() == m_xml ? t : XmlNode();
}

QString LoadedTransaction::NoLongerThereText()
{
    return QStringLiteral("This transaction is no longer in the file; it was changed or "
                          "deleted in another window.");
}

} // namespace qb
