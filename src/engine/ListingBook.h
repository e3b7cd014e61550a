#pragma once

// What the transaction list and the day list share: one walk over the
// book's transactions that reads each amount through Money::parse, a sum
// that knows when it cannot be given, and the small document of rows with
// their figures already written out that the two templates lay out.

#include <functional>
#include <optional>

#include <QHash>
#include <QList>
#include <QString>

#include "store/Money.h"
#include "store/Reconcile.h"
#include "store/Xml.h"

namespace qb {

// One transaction as the listings need it. No is 0 and dt is 0 when the
// attribute is not a number; amount is empty when its text is no amount.
struct ListingRow
{
    int dt = 0;
    int no = 0;
    int fAc = 0;
    int tAc = 0;
    QString nar;
    std::optional<Money> amount;
    TransactionStatus status = TransactionStatus::NotCleared;
};

// The transactions for which keep(dt, fAc, tAc) is true, in date and
// number order (document order among equals), in one walk over the book.
QList<ListingRow> ListingRows(
    const XmlDocument& data, const std::function<bool(int dt, int fAc, int tAc)>& keep);

// The account names by code.
QHash<int, QString> AccountNames(const XmlDocument& data);

// A running sum of amounts that may hold one that cannot be read or may
// leave the money range: its text is then the error mark, never a figure.
class ListingSum final
{
public:
    void add(const std::optional<Money>& amount)
    {
        if (!amount)
            m_unreadable = true;
        else
            m_sum.add(*amount);
    }
    void subtract(const std::optional<Money>& amount)
    {
        if (!amount)
            m_unreadable = true;
        else
            m_sum.subtract(*amount);
    }
    void add(const ListingSum& other)
    {
        m_unreadable = m_unreadable || other.m_unreadable;
        m_sum.add(other.m_sum);
    }
    bool overflowed() const { return m_sum.overflowed(); }
    bool unreadable() const { return m_unreadable; }
    bool known() const { return !m_unreadable && !m_sum.overflowed(); }
    // The sum, or nothing when it cannot be given.
    std::optional<Money> value() const { return m_unreadable ? std::nullopt : m_sum.value(); }
    // "1,234.56", or Money::errorMark().
    QString text() const { return m_unreadable ? Money::errorMark() : m_sum.formatGrouped(); }

private:
    MoneySum m_sum;
    bool m_unreadable = false;
};

// An amount's cell text: grouped, or the error mark when it cannot be read.
QString AmountText(const std::optional<Money>& amount);

// Appends ` name="value"` to an element being written as text, the value
// escaped for an attribute and written in ASCII (character references for
// the rest), as XmlDocument::loadXml reads it.
void AppendAttribute(QByteArray& xml, const char* name, QStringView value);
void AppendAttribute(QByteArray& xml, const char* name, qint64 value);

} // namespace qb
