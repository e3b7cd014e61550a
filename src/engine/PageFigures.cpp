#include "engine/PageFigures.h"

namespace qb {

void FigureSum::add(const FigureSum& other)
{
    m_unreadable = m_unreadable || other.m_unreadable;
    m_sum.add(other.m_sum);
}

void FigureSum::subtract(const FigureSum& other)
{
    m_unreadable = m_unreadable || other.m_unreadable;
    if (const std::optional<Money> v = other.m_sum.value()) {
        m_sum.subtract(*v);
    } else {
        // Taking away a sum that left the range leaves it too.
        while (!m_sum.overflowed())
            m_sum.add(Money::max());
    }
}

QString FigureTrouble::message() const
{
    if (overflow)
        return QStringLiteral(
                   "a sum leaves the range of amounts (about 922 trillion); the page shows ")
            + Money::errorMark() + QStringLiteral(" in its place");
    if (unreadable)
        return QStringLiteral(
                   "the book holds an amount that cannot be read (qbtool check lists it); "
                   "the page shows ")
            + Money::errorMark() + QStringLiteral(" in place of the figures it touches");
    return {};
}

} // namespace qb
