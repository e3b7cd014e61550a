#include "engine/ShortDate.h"

#include <QStringList>

namespace qb {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 65 && u <= 90) || (u >= 97 && u <= 122);
}

QString dayFirst()
{
    return QStringLiteral("dd/mm/yyyy");
}

QString partName(const QString& part)
{
    if (part == QLatin1String("7") || part == QLatin1String("07") || part == QLatin1String("7,")
        || part == QLatin1String("07,"))
        return QStringLiteral("dd");
    if (part == QLatin1String("8") || part == QLatin1String("08") || part == QLatin1String("Aug")
        || part == QLatin1String("August"))
        return QStringLiteral("mm");
    if (part == QLatin1String("02") || part == QLatin1String("2002"))
        return QStringLiteral("yyyy");
    return part;
}

} // namespace

QDate ShortDateSample()
{
    return QDate(2002, 8, 7);
}

QString ShortDateOrderOf(const QString& sample)
{
    QChar separator;
    bool found = false;
    for (const QChar c : sample) {
        if (!isAsciiDigit(c) && !IsAsciiLetter(c)) {
            separator = c;
            found = true;
            break;
        }
    }
    if (!found)
        return dayFirst();
    const QStringList parts = sample.split(separator);
    if (parts.size() < 3)
        return dayFirst();
    return partName(parts.at(0)) + QLatin1Char('/') + partName(parts.at(1)) + QLatin1Char('/')
        + partName(parts.at(2));
}

QString ShortDateOrder(const QLocale& locale)
{
    return ShortDateOrderOf(locale.toString(ShortDateSample(), QLocale::ShortFormat));
}

QString DateDisplayExpressionFor(const QString& order)
{
    if (order == QLatin1String("mm/dd/yyyy"))
        return QStringLiteral(
            "concat(substring(@dt,5,2),'-',substring(@dt,7,2),'-',substring(@dt,1,4))");
    if (order == QLatin1String("yyyy/mm/dd"))
        return QStringLiteral(
            "concat(substring(@dt,1,4),'-',substring(@dt,5,2),'-',substring(@dt,7,2))");
    return QStringLiteral(
        "concat(substring(@dt,7,2),'-',substring(@dt,5,2),'-',substring(@dt,1,4))");
}

QString DateDisplayExpression(const QLocale& locale)
{
    return DateDisplayExpressionFor(ShortDateOrder(locale));
}

QString ShortDateText(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}

} // namespace qb
