#include "store/Money.h"

#include <QtNumeric>

namespace qb {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Appends one decimal digit to a count: count * 10 + digit, false on overflow.
bool appendDigit(std::int64_t* count, QChar digit)
{
    std::int64_t shifted = 0;
    return !qMulOverflow(*count, std::int64_t(10), &shifted)
        && !qAddOverflow(shifted, std::int64_t(digit.unicode() - u'0'), count);
}

struct Grammar
{
    bool plain; // the document's form: digits on both sides of a point, at most four decimals
};

// Reads "-ddd.ddd" into ten-thousandths. Decimals past the fourth are only
// allowed outside the plain form and round the magnitude half away from zero.
std::optional<Money> readDecimal(QStringView text, Grammar grammar)
{
    qsizetype i = 0;
    const bool negative = i < text.size() && text[i] == QLatin1Char('-');
    if (negative)
        ++i;
    const qsizetype integerStart = i;
    std::int64_t units = 0;
    while (i < text.size() && isDigit(text[i])) {
        if (!appendDigit(&units, text[i]))
            return std::nullopt;
        ++i;
    }
    const qsizetype integerDigits = i - integerStart;
    qsizetype decimalDigits = 0;
    bool roundUp = false;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        ++i;
        for (; i < text.size() && isDigit(text[i]); ++i, ++decimalDigits) {
            if (decimalDigits < Money::kDecimals) {
                if (!appendDigit(&units, text[i]))
                    return std::nullopt;
            } else if (decimalDigits == Money::kDecimals) {
                roundUp = text[i] >= QLatin1Char('5');
            }
        }
        if (grammar.plain && (decimalDigits == 0 || decimalDigits > Money::kDecimals))
            return std::nullopt;
    }
    if (i != text.size() || integerDigits + decimalDigits == 0)
        return std::nullopt;
    if (grammar.plain && integerDigits == 0)
        return std::nullopt;
    for (qsizetype d = decimalDigits; d < Money::kDecimals; ++d) {
        if (qMulOverflow(units, std::int64_t(10), &units))
            return std::nullopt;
    }
    if (roundUp && qAddOverflow(units, std::int64_t(1), &units))
        return std::nullopt;
    return Money::fromUnits(negative ? -units : units);
}

// Digits of a non-negative count, left-padded with zeros to at least width.
QString digitsOf(std::uint64_t value, int width)
{
    QString text = QString::number(value);
    if (text.size() < width)
        text.prepend(QString(width - text.size(), QLatin1Char('0')));
    return text;
}

std::uint64_t magnitude(std::int64_t units)
{
    return units < 0 ? std::uint64_t(0) - std::uint64_t(units) : std::uint64_t(units);
}

} // namespace

std::optional<Money> Money::parse(QStringView text)
{
    return readDecimal(text, {true});
}

std::optional<Money> Money::fromNumberText(QStringView text)
{
    return readDecimal(text.trimmed(), {false});
}

QString Money::toText() const
{
    const std::uint64_t abs = magnitude(m_units);
    QString text = QString::number(abs / kScale);
    QString decimals = digitsOf(abs % kScale, kDecimals);
    while (decimals.endsWith(QLatin1Char('0')))
        decimals.chop(1);
    if (!decimals.isEmpty())
        text += QLatin1Char('.') + decimals;
    return m_units < 0 ? QLatin1Char('-') + text : text;
}

QString Money::format() const
{
    constexpr std::uint64_t kUnitsPerCent = kScale / 100;
    const std::uint64_t abs = magnitude(m_units);
    std::uint64_t cents = abs / kUnitsPerCent;
    if (abs % kUnitsPerCent >= kUnitsPerCent / 2)
        ++cents;
    const QString text = QString::number(cents / 100) + QLatin1Char('.') + digitsOf(cents % 100, 2);
    return m_units < 0 && cents != 0 ? QLatin1Char('-') + text : text;
}

QString Money::formatGrouped() const
{
    QString text = format();
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const qsizetype first = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype at = point - 3; at > first; at -= 3)
        text.insert(at, QLatin1Char(','));
    return text;
}

std::optional<Money> Money::checkedAdd(Money other) const
{
    std::int64_t sum = 0;
    if (qAddOverflow(m_units, other.m_units, &sum) || sum == std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return Money(sum);
}

std::optional<Money> Money::checkedSubtract(Money other) const
{
    std::int64_t difference = 0;
    if (qSubOverflow(m_units, other.m_units, &difference)
        || difference == std::numeric_limits<std::int64_t>::min())
        return std::nullopt;
    return Money(difference);
}

Money Money::operator+(Money other) const
{
    const std::optional<Money> sum = checkedAdd(other);
    Q_ASSERT_X(sum, "Money", "sum out of range");
    return sum.value_or(other.m_units < 0 ? min() : max());
}

Money Money::operator-(Money other) const
{
    const std::optional<Money> difference = checkedSubtract(other);
    Q_ASSERT_X(difference, "Money", "difference out of range");
    return difference.value_or(other.m_units > 0 ? min() : max());
}

} // namespace qb
