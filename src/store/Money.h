#pragma once

// An amount of money, exact: a 64-bit count of ten-thousandths. Amounts are
// read from and written to the document as plain decimal text and never pass
// through a binary floating-point number, so 8388617.45 stays 8388617.45 and
// sums of any length are exact.

#include <compare>
#include <cstdint>
#include <limits>
#include <optional>

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace qb {

class Money final
{
public:
    static constexpr int kDecimals = 4;
    static constexpr std::int64_t kScale = 10000;

    constexpr Money() = default;

    // From a count of ten-thousandths.
    [[nodiscard]] static constexpr Money fromUnits(std::int64_t units) { return Money(units); }
    [[nodiscard]] constexpr std::int64_t units() const { return m_units; }

    // Plain decimal text as the document holds it: an optional minus, digits,
    // and optionally a point followed by one to four digits ("12.5", "1250",
    // "0.05", "12.50"). Nothing for an empty text, blanks, a plus sign,
    // grouping, exponents, a bare point, more than four decimals or a value
    // out of range.
    [[nodiscard]] static std::optional<Money> parse(QStringView text);

    // The one reading of a transaction's amount in a book: parse() of the
    // text without the blanks around it. Every walk over the book reads
    // amounts through it.
    [[nodiscard]] static std::optional<Money> fromBook(QStringView text);
    // The same over the UTF-8 text the XML layer lends (no copy).
    [[nodiscard]] static std::optional<Money> fromBook(QByteArrayView utf8);

    // The amount box's form: up to kEntryDigits integer digits, optionally a
    // point and up to kEntryDecimals decimals; no sign, blanks or grouping
    // ("0100.50", "5.", "7"). Nothing for anything else.
    static constexpr int kEntryDigits = 9;
    static constexpr int kEntryDecimals = 2;
    [[nodiscard]] static std::optional<Money> parseEntry(QStringView text);

    // The text toText() writes for a positive amount, whatever its length: digits
    // without a leading zero, optionally a point and decimals that do not
    // end in zero, not all zero ("12.5", "0.05"; not "012", "12.50", "0", "-5").
    [[nodiscard]] static bool isCanonicalPositive(QStringView text);
    // Digits before and after the point of a text isCanonicalPositive accepts.
    [[nodiscard]] static qsizetype integerDigits(QStringView text);
    [[nodiscard]] static qsizetype decimalDigits(QStringView text);

    // A number as a person types it into a box, any length: an optional minus,
    // digits with an optional point, or a point and digits ("0.", ".5",
    // "-12.25"; not "-", ".", "+5", "1e5", " 5").
    [[nodiscard]] static bool isNumberText(QStringView text);

    // The number text a template writes ("4.6899999999999995", "-12", ".5"):
    // any number of decimals, no exponent. Blanks around it are ignored. It is
    // rounded on its decimal digits to ten-thousandths, half away from zero.
    [[nodiscard]] static std::optional<Money> fromNumberText(QStringView text);

    // The shortest plain decimal text: 12.5, 1250, -0.05.
    [[nodiscard]] QString toText() const;

    // The "0.00" pattern: no grouping, two decimals, at least one integer
    // digit, a minus sign when negative; rounded to cents half away from zero
    // (2.675 gives 2.68, -49.755 gives -49.76, -0.004 gives 0.00).
    [[nodiscard]] QString format() const;

    // The same figure with its thousands grouped by commas ("1,234,567.89",
    // "-0.05"): the form of every figure on a page meant for reading.
    // Files and output meant for programs (CSV, exports, qbtool balance)
    // keep format().
    [[nodiscard]] QString formatGrouped() const;

    // What a page shows in place of an amount that cannot be read or a sum
    // that left the range: never a wrong figure.
    [[nodiscard]] static QString errorMark() { return QStringLiteral("#ERR"); }

    // The sum or difference; nothing when it leaves the range.
    [[nodiscard]] std::optional<Money> checkedAdd(Money other) const;
    [[nodiscard]] std::optional<Money> checkedSubtract(Money other) const;

    // Sums that stay in range, as every sum of amounts the program can
    // store does (the range is about ±922 trillion). Overflow is a
    // programming error, checked in debug builds.
    [[nodiscard]] Money operator+(Money other) const;
    [[nodiscard]] Money operator-(Money other) const;
    [[nodiscard]] Money operator-() const { return Money(-m_units); }
    Money& operator+=(Money other) { return *this = *this + other; }
    Money& operator-=(Money other) { return *this = *this - other; }

    [[nodiscard]] constexpr bool isZero() const { return m_units == 0; }
    [[nodiscard]] constexpr bool isNegative() const { return m_units < 0; }

    friend constexpr auto operator<=>(Money, Money) = default;
    friend constexpr bool operator==(Money, Money) = default;

    // The largest amount either way; the minimum of int64 is left out so
    // that every amount can be negated.
    [[nodiscard]] static constexpr Money max()
    {
        return Money(std::numeric_limits<std::int64_t>::max());
    }
    [[nodiscard]] static constexpr Money min()
    {
        return Money(-std::numeric_limits<std::int64_t>::max());
    }

private:
    friend class MoneySum;
    constexpr explicit Money(std::int64_t units)
        : m_units(units)
    { }

    std::int64_t m_units = 0;
};

// A running sum that remembers leaving the range instead of clamping or
// aborting: pages show Money::errorMark() for it and qbtool refuses it.
class MoneySum final
{
public:
    constexpr MoneySum() = default;
    constexpr explicit MoneySum(Money start)
        : m_sum(start)
    { }

    void add(Money amount)
    {
        if (m_overflow)
            return;
        const std::optional<Money> sum = m_sum.checkedAdd(amount);
        m_overflow = !sum;
        if (sum)
            m_sum = *sum;
    }
    void subtract(Money amount) { add(-amount); }
    void add(const MoneySum& other)
    {
        if (other.m_overflow)
            m_overflow = true;
        else
            add(other.m_sum);
    }
    MoneySum& operator+=(Money amount)
    {
        add(amount);
        return *this;
    }
    MoneySum& operator-=(Money amount)
    {
        subtract(amount);
        return *this;
    }

    [[nodiscard]] bool overflowed() const { return m_overflow; }
    // Nothing once the sum has left the range.
    [[nodiscard]] std::optional<Money> value() const
    {
        return m_overflow ? std::nullopt : std::optional<Money>(m_sum);
    }
    // format() / formatGrouped(), or the error mark after an overflow.
    [[nodiscard]] QString format() const
    {
        return m_overflow ? Money::errorMark() : m_sum.format();
    }
    [[nodiscard]] QString formatGrouped() const
    {
        return m_overflow ? Money::errorMark() : m_sum.formatGrouped();
    }

private:
    Money m_sum;
    bool m_overflow = false;
};

} // namespace qb
