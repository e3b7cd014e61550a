#pragma once

// "Today" for every window and report: the system date in the program, a
// fixed date in tests.

#include <QDate>
#include <QDateTime>

namespace qb {

class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    // The moment, for times kept in the book (a deletion's); today at the
    // clock's time of day.
    virtual QDateTime now() const { return QDateTime(today(), QTime::currentTime()); }
};

class SystemClock final : public Clock
{
public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDate date)
        : m_date(date)
    { }
    QDate today() const override { return m_date; }
    QDateTime now() const override { return QDateTime(m_date, m_time); }
    void setToday(QDate date) { m_date = date; }
    void setTime(QTime time) { m_time = time; }

private:
    QDate m_date;
    QTime m_time {12, 0};
};

} // namespace qb
