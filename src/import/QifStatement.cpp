// QIF statements as banks and money programs write them: one field a line,
// each record closed by "^".
#include <QRegularExpression>

#include "import/Statement.h"
#include "import/StatementText.h"

namespace qb {

using namespace statement;

namespace {

// A QIF date: "1/5/2026", "01/05'26" (an apostrophe: 2000 and later), "1/ 5/26"
// (two digits: 1900s), "2026-01-05". Parts as written, year last or first.
struct QifDate
{
    int first = 0, second = 0, year = 0;
    bool yearFirst = false;
    bool read = false;
};

QifDate readQifDate(QString text)
{
    text.remove(QLatin1Char(' '));
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression yearLast(
        QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})(['/.-])(\\d{2}|\\d{4})$"));
    QifDate d;
    if (const auto m = yearFirst.match(text); m.hasMatch()) {
        d = {m.captured(2).toInt(), m.captured(3).toInt(), m.captured(1).toInt(), true, true};
    } else if (const auto m2 = yearLast.match(text); m2.hasMatch()) {
        int year = m2.captured(4).toInt();
        if (m2.captured(4).size() == 2)
            year += m2.captured(3) == QStringLiteral("'") ? 2000 : 1900;
        d = {m2.captured(1).toInt(), m2.captured(2).toInt(), year, false, true};
    }
    return d;
}

std::optional<Money> parseQifAmount(const QString& text)
{
    // "1,234.56" or "1.234,56" or "12,50": the last of point and comma is the decimal sign,
    // a lone comma followed by three digits groups thousands.
    const qsizetype point = text.lastIndexOf(QLatin1Char('.'));
    const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
    bool decimalComma = comma > point;
    if (decimalComma && point < 0 && text.size() - comma - 1 == 3)
        decimalComma = false;
    return ParseStatementAmount(text, decimalComma);
}

} // namespace

bool ReadQifStatement(const QByteArray& bytes, Statement* statement, StatementError* error)
{
    *statement = {};
    statement->format = StatementFormat::Qif;
    const TextDecoder decode(bytes);
    struct Pending
    {
        StatementLine line;
        QString dateText;
        int dateLine = 0;
        bool hasAmount = false;
        bool any = false;
    };
    QList<Pending> records;
    Pending current;
    bool bankType = false;
    bool sawType = false;
    int lineNo = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        ++lineNo;
        QString line = decode(QByteArrayView(bytes).sliced(start, end - start)).trimmed();
        start = end + 1;
        if (lineNo == 1 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.isEmpty())
            continue;
        const QChar code = line.at(0).toUpper();
        const QString value = line.mid(1).trimmed();
        if (code == QLatin1Char('!')) {
            if (line.startsWith(QStringLiteral("!Type:"), Qt::CaseInsensitive)) {
                sawType = true;
                const QString type = line.mid(6).trimmed().toLower();
                bankType = type == QStringLiteral("bank") || type == QStringLiteral("ccard")
                    || type == QStringLiteral("cash") || type == QStringLiteral("oth a")
                    || type == QStringLiteral("oth l");
            }
            continue;
        }
        if (!sawType) {
            *error = {lineNo, QStringLiteral("a QIF file starts with a !Type: line")};
            return false;
        }
        if (!bankType)
            continue;
        if (!current.any) {
            current.line.sourceLine = lineNo;
            current.any = true;
        }
        if (code == QLatin1Char('^')) {
            records.append(current);
            current = {};
        } else if (code == QLatin1Char('D')) {
            current.dateText = value;
            current.dateLine = lineNo;
        } else if (code == QLatin1Char('T') || code == QLatin1Char('U')) {
            if (!current.hasAmount) {
                current.hasAmount = true;
                if (const auto amount = parseQifAmount(value))
                    current.line.amount = *amount;
                else
                    current.line.error = QStringLiteral("the amount ") + quotedValue(value)
                        + QStringLiteral(" is not a number");
            }
        } else if (code == QLatin1Char('P')) {
            current.line.payee = value.simplified();
        } else if (code == QLatin1Char('M')) {
            current.line.memo = value.simplified();
        }
        // Other fields (number, category, address, splits) are not imported.
    }
    if (current.any) {
        *error = {lineNo,
            QStringLiteral("the last transaction does not end with ^ (the file is cut off)")};
        return false;
    }
    if (!sawType) {
        *error = {1, QStringLiteral("a QIF file starts with a !Type: line")};
        return false;
    }
    // The date order of the whole file: month-day (QIF's own) unless some
    // date only reads day-month.
    bool monthDay = true;
    bool dayMonth = true;
    for (const Pending& p : records) {
        if (p.dateText.isEmpty())
            continue;
        const QifDate d = readQifDate(p.dateText);
        if (!d.read) {
            *error = {p.dateLine,
                QStringLiteral("the date ") + quotedValue(p.dateText)
                    + QStringLiteral(" is in no form QIF dates take")};
            return false;
        }
        if (!d.yearFirst) {
            monthDay = monthDay && QDate(d.year, d.first, d.second).isValid();
            dayMonth = dayMonth && QDate(d.year, d.second, d.first).isValid();
        }
    }
    const bool useDayMonth = !monthDay && dayMonth;
    statement->lines.reserve(records.size());
    for (Pending& p : records) {
        StatementLine& s = p.line;
        if (p.dateText.isEmpty()) {
            s.error = QStringLiteral("no date");
        } else {
            const QifDate d = readQifDate(p.dateText);
            s.date = d.yearFirst || !useDayMonth ? calendarDate(d.year, d.first, d.second)
                                                 : calendarDate(d.year, d.second, d.first);
            if (!s.date.isValid() && s.error.isEmpty())
                s.error = QStringLiteral("the date ") + quotedValue(p.dateText)
                    + QStringLiteral(" is not a date");
        }
        if (!p.hasAmount && s.error.isEmpty())
            s.error = QStringLiteral("no amount");
        if (s.error.isEmpty() && s.amount.isZero())
            s.error = QStringLiteral("zero amount");
        statement->lines.append(std::move(s));
    }
    return true;
}

} // namespace qb
