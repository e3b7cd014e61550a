#pragma once

// A hand-made book for the chart tests: twenty accounts and transactions on
// the first and the last day of every month from November 2023 to February
// 2025 (2024 is a leap year), with the figures the charts must show worked
// out here in integer cents, independently of the program's money type.

#include <map>
#include <optional>

#include <QDate>
#include <QList>
#include <QSet>
#include <QString>

#include "store/ClsAX.h"
#include "store/Money.h"

namespace qb::test {

struct ChartTestBook
{
    struct Transaction
    {
        QDate day;
        int from;
        int to;
        qint64 cents;
        QString text; // the amount as the book holds it
    };

    static constexpr int kAccounts = 20;
    QList<Transaction> transactions;

    static QString amountText(qint64 cents)
    {
        return QString::number(cents / 100) + QLatin1Char('.')
            + QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
    }
    static QString name(int code)
    {
        return QStringLiteral("Account %1").arg(code, 2, 10, QLatin1Char('0'));
    }

    ChartTestBook()
    {
        int i = 0;
        for (QDate month(2023, 11, 1); month <= QDate(2025, 2, 1); month = month.addMonths(1)) {
            for (const QDate& day : {month, month.addMonths(1).addDays(-1)}) {
                for (int k = 0; k < 3; ++k, ++i) {
                    const int from = 1 + (i * 7) % kAccounts;
                    int to = 1 + (i * 11 + 3) % kAccounts;
                    if (to == from)
                        to = to % kAccounts + 1;
                    const qint64 cents = 1001 + (qint64(i) * 7919) % 500000;
                    transactions.append({day, from, to, cents, amountText(cents)});
                }
            }
        }
    }

    QByteArray xml(const QString& groupMembers = QStringLiteral(",1,2,3,")) const
    {
        QString x = QStringLiteral("<Data><AcMaster>");
        for (int code = 1; code <= kAccounts; ++code)
            x += QStringLiteral("<a Code=\"%1\" AcName=\"%2\"/>").arg(code).arg(name(code));
        x += QStringLiteral("</AcMaster><PValue>")
            + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST"))
            + QStringLiteral("</PValue><Trans>");
        std::map<QDate, int> numbers;
        for (const Transaction& t : transactions)
            x += QStringLiteral("<t No=\"%1\" dt=\"%2\" fAc=\"%3\" tAc=\"%4\" Nar=\"n\">%5</t>")
                     .arg(++numbers[t.day])
                     .arg(t.day.toString(QStringLiteral("yyyyMMdd")))
                     .arg(t.from)
                     .arg(t.to)
                     .arg(t.text);
        x += QStringLiteral("</Trans><Groups><Group gi=\"") + groupMembers
            + QStringLiteral("\">Money</Group><Group gi=\",\">Empty</Group></Groups>"
                             "<Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>");
        return x.toLatin1();
    }

    // Money into (in) and out of (out) an account within the days, in cents.
    std::pair<qint64, qint64> inOut(int code, const QDate& from, const QDate& to) const
    {
        qint64 in = 0, out = 0;
        for (const Transaction& t : transactions) {
            if (t.day < from || t.day > to)
                continue;
            if (t.to == code)
                in += t.cents;
            if (t.from == code)
                out += t.cents;
        }
        return {in, out};
    }

    // The summed balance of the accounts at the end of a day, in cents.
    qint64 balance(const QSet<int>& codes, const QDate& day) const
    {
        qint64 sum = 0;
        for (const Transaction& t : transactions) {
            if (t.day > day)
                continue;
            if (codes.contains(t.to))
                sum += t.cents;
            if (codes.contains(t.from))
                sum -= t.cents;
        }
        return sum;
    }

    int count(int code, const QDate& from, const QDate& to) const
    {
        int n = 0;
        for (const Transaction& t : transactions)
            n += t.day >= from && t.day <= to && (t.from == code || t.to == code);
        return n;
    }
};

// A figure in cents, or nothing; a figure with parts of a cent is a fault.
inline std::optional<qint64> centsOf(const std::optional<Money>& m)
{
    if (!m || m->units() % 100 != 0)
        return std::nullopt;
    return m->units() / 100;
}

} // namespace qb::test
