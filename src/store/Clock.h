#pragma once

// "Today" for every window and report: the system date in the program, a
// fixed date in tests.

#include <QDate>

namespace qb {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

class SystemClock final : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDate date)
        : m_date(date)
    {
    }
    QDate today() const override { return m_date; }
    void setToday(QDate date) { m_date = date; }

private:
    QDate m_date;
};

} // namespace qb
