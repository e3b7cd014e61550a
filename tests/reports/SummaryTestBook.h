#pragma once

// A hand-made book for the period summary tests: a dozen accounts, groups,
// and a few hundred transactions in entry order over four years, together
// with the summary rows worked out here in integer cents, independently of
// the templates and of the program's money type.

#include <algorithm>
#include <map>
#include <optional>

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "store/ClsAX.h"
#include "store/Xml.h"

namespace qb::test {

struct SummaryTestBook
{
    struct Account
    {
        int code;
        QString name;
    };
    struct Transaction
    {
        int dt;
        int from;
        int to;
        qint64 cents;
    };
    struct Row
    {
        int code = 0;
        QString name;
        qint64 opening = 0, in = 0, out = 0;
        qint64 closing() const { return opening + in - out; }
    };

    QList<Account> accounts {{1, QStringLiteral("cash")}, {2, QStringLiteral("Bank")},
        {3, QStringLiteral("Salary")}, {4, QStringLiteral("rent")}, {5, QStringLiteral("Food")},
        {6, QStringLiteral("Car")}, {7, QStringLiteral("Fuel")}, {8, QStringLiteral("Gifts")},
        {9, QStringLiteral("Interest")}, {10, QStringLiteral("Loan")},
        {11, QStringLiteral("Water")}, {12, QStringLiteral("electricity")}};
    // name, member list
    QList<std::pair<QString, QString>> groups {{QStringLiteral("Money"), QStringLiteral(",1,2,")},
        {QStringLiteral("Home"), QStringLiteral(",4,12,11,")},
        {QStringLiteral("Car costs"), QStringLiteral(",7,6,")},
        {QStringLiteral("Income"), QStringLiteral(",3,9,")},
        {QStringLiteral("Empty"), QStringLiteral(",")}};
    QList<Transaction> transactions;

    explicit SummaryTestBook(int count = 360)
    {
        quint32 seed = 20130105;
        auto next = [&seed](quint32 range) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % range;
        };
        for (int i = 0; i < count; ++i) {
            const QDate day = QDate(2011, 1, 1).addDays(next(4 * 365));
            const int from = int(next(12)) + 1;
            int to = int(next(11)) + 1;
            if (to >= from)
                ++to;
            // Mostly cents, some whole amounts, now and then a large one.
            qint64 cents = qint64(next(250000)) + 1;
            if (i % 7 == 0)
                cents = (cents / 100 + 1) * 100;
            if (i % 50 == 0)
                cents += 987654321;
            transactions.append(
                {day.year() * 10000 + day.month() * 100 + day.day(), from, to, cents});
        }
    }

    // Plain decimal text as the document holds amounts: 12.5, 1250, 0.05.
    static QString amountText(qint64 cents)
    {
        QString text = QString::number(cents / 100);
        const qint64 fraction = cents % 100;
        if (fraction != 0) {
            text
                += QLatin1Char('.') + QString::number(fraction).rightJustified(2, QLatin1Char('0'));
            if (text.endsWith(QLatin1Char('0')))
                text.chop(1);
        }
        return text;
    }

    // The form of the page's figures: thousands grouped, two decimals ("-1,234.05").
    static QString centsText(qint64 cents)
    {
        const QString sign = cents < 0 ? QStringLiteral("-") : QString();
        const qint64 a = cents < 0 ? -cents : cents;
        QString whole = QString::number(a / 100);
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, QLatin1Char(','));
        return sign + whole + QLatin1Char('.')
            + QString::number(a % 100).rightJustified(2, QLatin1Char('0'));
    }

    QByteArray xml() const
    {
        QString x = QStringLiteral("<Data><AcMaster>");
        for (const Account& a : accounts)
            x += QStringLiteral("<a Code=\"%1\" AcName=\"%2\"/>").arg(a.code).arg(a.name);
        // PValue is the digest of I: the book has no password.
        x += QStringLiteral("</AcMaster><PValue>")
            + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST"))
            + QStringLiteral("</PValue><Trans>");
        std::map<int, int> numbers;
        for (const Transaction& t : transactions)
            x += QStringLiteral("<t No=\"%1\" dt=\"%2\" fAc=\"%3\" tAc=\"%4\" Nar=\"n\">%5</t>")
                     .arg(++numbers[t.dt])
                     .arg(t.dt)
                     .arg(t.from)
                     .arg(t.to)
                     .arg(amountText(t.cents));
        x += QStringLiteral("</Trans><Groups>");
        for (const auto& [name, gi] : groups)
            x += QStringLiteral("<Group gi=\"%1\">%2</Group>").arg(gi, name);
        x += QStringLiteral("</Groups><Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>");
        return x.toLatin1();
    }

    // The rows of the accounts whose codes are listed (every account
    // without a list), in the order of their names, letter case ignored.
    QList<Row> rows(int from, int to, const std::optional<QList<int>>& codes = {}) const
    {
        QList<Row> result;
        for (const Account& a : accounts) {
            if (codes && !codes->contains(a.code))
                continue;
            Row row {a.code, a.name};
            for (const Transaction& t : transactions) {
                const qint64 sign = t.to == a.code ? 1 : t.from == a.code ? -1 : 0;
                if (t.dt < from)
                    row.opening += sign * t.cents;
                else if (t.dt <= to && sign > 0)
                    row.in += t.cents;
                else if (t.dt <= to && sign < 0)
                    row.out += t.cents;
            }
            result.append(row);
        }
        std::sort(result.begin(), result.end(), [](const Row& a, const Row& b) {
            return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
        });
        return result;
    }

    QList<int> members(const QString& group) const
    {
        QList<int> codes;
        for (const auto& [name, gi] : groups) {
            if (name == group) {
                for (const QString& code : gi.split(QLatin1Char(','), Qt::SkipEmptyParts))
                    codes.append(code.toInt());
            }
        }
        return codes;
    }
};

// The account rows of a summary page as text: code, name and the four
// amount cells, one line each.
inline QStringList summaryPageRows(const XmlDocument& page)
{
    QStringList lines;
    for (const XmlNode& tr : page.selectNodes(QStringLiteral("//TR[TD/A]"))) {
        QStringList cells {tr.evaluate(QStringLiteral("string(TD[1]/A/@href)")),
            tr.evaluate(QStringLiteral("string(TD[1]/A)"))};
        for (int i = 2; i <= 5; ++i)
            cells << tr.evaluate(QStringLiteral("normalize-space(TD[%1])").arg(i));
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

inline QStringList summaryRowsText(const QList<SummaryTestBook::Row>& rows)
{
    QStringList lines;
    for (const SummaryTestBook::Row& r : rows)
        lines << QStringList {QString::number(r.code), r.name,
            SummaryTestBook::centsText(r.opening), SummaryTestBook::centsText(r.in),
            SummaryTestBook::centsText(r.out), SummaryTestBook::centsText(r.closing())}
                     .join(QLatin1Char('|'));
    return lines;
}

} // namespace qb::test
