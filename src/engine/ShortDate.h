#pragma once

// The user's short-date order and the XPath expression that shows a document
// date (@dt, yyyymmdd) in that order with "-" between the parts.

#include <QDate>
#include <QLocale>
#include <QString>

namespace qb {

// The date whose short form tells the order: 7 August 2002.
QDate ShortDateSample();

// The order found in sample, the sample date as the user's short format writes
// it ("7/8/2002" gives "dd/mm/yyyy", "Aug 7, 2002" gives "mm/dd/yyyy"). Parts
// that are not recognised stay as they are; no separator, or fewer than three
// parts, give "dd/mm/yyyy".
QString ShortDateOrderOf(const QString& sample);

// ShortDateOrderOf the sample date in the locale's short format.
QString ShortDateOrder(const QLocale& locale = QLocale::system());

// The expression for an order: day-first unless the order is "mm/dd/yyyy" or
// "yyyy/mm/dd".
QString DateDisplayExpressionFor(const QString& order);
QString DateDisplayExpression(const QLocale& locale = QLocale::system());

// A date as text in the user's short date format (titles, menus, captions).
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale::system());

} // namespace qb
