#pragma once

// What Save in the transaction entry window checks and what it edits,
// without the window: the four checks in their order, and the transaction
// loaded for edit or delete, found again only while it is still the one
// that was loaded.

#include <optional>

#include <QString>

#include "store/BookEdits.h"

namespace qb {

// The control a refused Save gives the focus to.
enum class EntryField { None, From, To, Amount };

struct EntryRefusal
{
    QString text;
    QString title;
    EntryField focus = EntryField::None;
};

// The first check that fails, in order: From chosen, To chosen, an amount
// other than 0, two different accounts. Nothing when the entry may be saved.
std::optional<EntryRefusal> CheckEntry(
    std::optional<int> from, std::optional<int> to, Money amount);

// A transaction as it was when loaded for edit or delete.
class LoadedTransaction final
{
public:
    // Nothing when the book has no transaction of the key.
    static std::optional<LoadedTransaction> Load(
        const XmlDocument& document, const TransactionKey& key);

    const TransactionKey& key() const { return m_key; }
    const TransactionFields& fields() const { return m_fields; }

    // The element again, while it is still the transaction loaded: same key,
    // same accounts, narration and amount. Another window may have moved or
    // deleted it and given its key to another transaction meanwhile; then
    // the result is null.
    XmlNode find(const XmlDocument& document) const;

    // The message for a transaction that find() no longer finds.
    static QString NoLongerThereText();

private:
    TransactionKey m_key;
    TransactionFields m_fields;
    QString m_xml; // the element as loaded, attributes and amount text
};

} // namespace qb
