#pragma once

// The figures of the report pages: every amount of the book read through
// Money::parse, every sum made exactly, rounded once when it is shown.

#include <optional>

#include <QString>
#include <QStringView>

#include "store/Money.h"

namespace qb {

// A sum of the book's amounts as a page shows it: exact, or marked when an
// amount in it could not be read or the sum left the range of the money
// type. A marked sum is shown as Money::errorMark(), never as a figure.
class FigureSum final
{
public:
    FigureSum() = default;
    explicit FigureSum(Money start)
        : m_sum(start)
    { }

    void add(Money amount) { m_sum.add(amount); }
    void subtract(Money amount) { m_sum.subtract(amount); }
    void add(const FigureSum& other);
    void subtract(const FigureSum& other);
    // An amount that belongs to this sum could not be read.
    void markUnreadable() { m_unreadable = true; }

    bool unreadable() const { return m_unreadable; }
    bool overflowed() const { return m_sum.overflowed(); }
    bool isError() const { return m_unreadable || m_sum.overflowed(); }
    std::optional<Money> value() const { return m_unreadable ? std::nullopt : m_sum.value(); }
    // "1,234.56" for pages, or the error mark.
    QString grouped() const { return isError() ? Money::errorMark() : m_sum.formatGrouped(); }
    // "1234.56" for files and programs, or the error mark.
    QString plain() const { return isError() ? Money::errorMark() : m_sum.format(); }

private:
    MoneySum m_sum;
    bool m_unreadable = false;
};

inline FigureSum operator+(FigureSum a, const FigureSum& b)
{
    a.add(b);
    return a;
}

inline FigureSum operator-(FigureSum a, const FigureSum& b)
{
    a.subtract(b);
    return a;
}

// What went wrong on a page, for qbtool's one line.
struct FigureTrouble
{
    bool unreadable = false;
    bool overflow = false;
    void note(const FigureSum& sum)
    {
        unreadable = unreadable || sum.unreadable();
        overflow = overflow || sum.overflowed();
    }
    bool any() const { return unreadable || overflow; }
    // One line without the program's name; empty when nothing went wrong.
    QString message() const;
};

} // namespace qb
