#include "store/Money.h"

#include <algorithm>

#include <QtNumeric>

namespace qb {

namespace {

template <typename Char>
bool isDigit(Char c)
{
    return c >= Char('0') && c <= Char('9');
}

// Appends one decimal digit to a count: count * 10 + digit, false on overflow.
template <typename Char>
bool appendDigit(std::int64_t* count, Char digit)
{
    std::int64_t shifted = 0;
    return !qMulOverflow(*count, std::int64_t(10), &shifted)
        && !qAddOverflow(shifted, std::int64_t(digit - Char('0')), count);
}

// The parts of "-ddd.ddd": the one scanner under every amount grammar.
struct Scan
{
    bool wellFormed = false; // sign, digits, point and digits, nothing else, some digit
    bool negative = false;
    bool point = false;
    qsizetype integerDigits = 0;
    qsizetype decimalDigits = 0;
    bool leadingZero = false; // more than one integer digit, the first a zero
    bool trailingZero = false; // the last decimal is a zero
    bool nonZero = false; // some digit other than zero
    bool overflow = false; // past the range of ten-thousandths
    bool roundUp = false; // the fifth decimal is 5 or more
    std::int64_t units = 0; // the first four decimals, scaled to ten-thousandths
};

template <typename Char>
Scan scan(const Char* text, qsizetype size)
{
    Scan s;
    qsizetype i = 0;
    s.negative = i < size && text[i] == Char('-');
    if (s.negative)
        ++i;
    for (; i < size && isDigit(text[i]); ++i, ++s.integerDigits) {
        s.nonZero = s.nonZero || text[i] != Char('0');
        if (!s.overflow && !appendDigit(&s.units, text[i]))
            s.overflow = true;
    }
    s.leadingZero = s.integerDigits > 1 && text[i - s.integerDigits] == Char('0');
    if (i < size && text[i] == Char('.')) {
        s.point = true;
        for (++i; i < size && isDigit(text[i]); ++i, ++s.decimalDigits) {
            s.nonZero = s.nonZero || text[i] != Char('0');
            s.trailingZero = text[i] == Char('0');
            if (s.decimalDigits < Money::kDecimals) {
                if (!s.overflow && !appendDigit(&s.units, text[i]))
                    s.overflow = true;
            } else if (s.decimalDigits == Money::kDecimals) {
                s.roundUp = text[i] >= Char('5');
            }
        }
    }
    s.wellFormed = i == size && s.integerDigits + s.decimalDigits > 0;
    const qsizetype scaled = std::min<qsizetype>(s.decimalDigits, Money::kDecimals);
    for (qsizetype d = scaled; d < Money::kDecimals && !s.overflow; ++d)
        s.overflow = qMulOverflow(s.units, std::int64_t(10), &s.units);
    return s;
}

// The amount a scan holds; decimals past the fourth round the magnitude half away from zero.
std::optional<Money> amountOf(Scan s)
{
    if (!s.wellFormed || s.overflow)
        return std::nullopt;
    if (s.roundUp && qAddOverflow(s.units, std::int64_t(1), &s.units))
        return std::nullopt;
    return Money::fromUnits(s.negative ? -s.units : s.units);
}

// The document's form: digits on both sides of a point, at most four decimals.
bool isPlainForm(const Scan& s)
{
    return s.wellFormed && s.integerDigits > 0
        && (!s.point || (s.decimalDigits > 0 && s.decimalDigits <= Money::kDecimals));
}

Scan scan(QStringView text)
{
    return scan(text.utf16(), text.size());
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
    const Scan s = scan(text);
    return isPlainForm(s) ? amountOf(s) : std::nullopt;
}

std::optional<Money> Money::fromBook(QStringView text)
{
    return parse(text.trimmed());
}

std::optional<Money> Money::fromBook(QByteArrayView utf8)
{
    // Amounts are ASCII: any other byte fails the scan as any other letter would.
    const QByteArrayView text = utf8.trimmed();
    const Scan s = scan(text.data(), text.size());
    return isPlainForm(s) ? amountOf(s) : std::nullopt;
}

std::optional<Money> Money::parseEntry(QStringView text)
{
    const Scan s = scan(text);
    if (!s.wellFormed || s.negative || s.integerDigits == 0 || s.integerDigits > kEntryDigits
        || s.decimalDigits > kEntryDecimals)
        return std::nullopt;
    return amountOf(s);
}

bool Money::isCanonicalPositive(QStringView text)
{
    const Scan s = scan(text);
    return s.wellFormed && !s.negative && s.integerDigits > 0 && !s.leadingZero
        && (!s.point || (s.decimalDigits > 0 && !s.trailingZero)) && s.nonZero;
}

qsizetype Money::integerDigits(QStringView text)
{
    return scan(text).integerDigits;
}

qsizetype Money::decimalDigits(QStringView text)
{
    return scan(text).decimalDigits;
}

bool Money::isNumberText(QStringView text)
{
    return scan(text).wellFormed;
}

std::optional<Money> Money::fromNumberText(QStringView text)
{
    return amountOf(scan(text.trimmed()));
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
    if (qAddOverflow(m_units, other.m_units, &sum)
        || sum == std::numeric_limits<std::int64_t>::min())
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
