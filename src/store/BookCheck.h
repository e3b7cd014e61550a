#pragma once

// Finds what is inconsistent in a book: missing or repeated sections,
// transactions whose accounts have no head or are the same, amounts not in
// plain decimal form or longer than the program writes, repeated transaction keys, malformed group
// member lists or members listed twice, empty account or group names, account names that repeat
// with letter case ignored, and records whose attributes are out of order.

#include <QString>
#include <QStringList>

namespace qb {

class XmlDocument;

class BookCheck final
{
public:
    // One line per inconsistency, sections first, then records in file order.
    // An empty list means the book is clean.
    static QStringList problems(const XmlDocument& document);

    // A positive number in plain decimal notation: digits, optionally a point
    // and a fraction without trailing zeros, no sign, no leading zeros.
    static bool isPlainAmount(const QString& text);

    // ",", or a comma followed by codes that each end in a comma (",3,1,7,").
    static bool isMemberList(const QString& text);
};

} // namespace qb
