// QIF statements as banks and money programs write them: one field a line,
// each record closed by "^".
#include <QRegularExpression>

#include "import/Statement.h"
#include "import/StatementText.h"

namespace qb {

using namespace statement;

namespace {

// A QIF date: "1/5/2026", "01/05'26" and Quicken's "1/ 5' 0" (an apostrophe:
// 2000 and later), "1/ 5/26" (two digits: the nearest century),
// "2026-01-05". Parts as written, year last or first.
struct QifDate
{
    int first = 0, second = 0, year = 0;
    bool yearFirst = false;
    bool read = false;
};

QifDate readQifDate(QString text, const QDate& today)
{
    text.remove(QLatin1Char(' '));
    static const QRegularExpression yearFirst(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    static const QRegularExpression yearLast(
        QStringLiteral("^(\\d{1,2})[/.-](\\d{1,2})(['/.-])(\\d{1,2}|\\d{4})$"));
    QifDate d;
    if (const auto m = yearFirst.match(text); m.hasMatch()) {
        d = {m.captured(2).toInt(), m.captured(3).toInt(), m.captured(1).toInt(), true, true};
    } else if (const auto m2 = yearLast.match(text); m2.hasMatch()) {
        const bool apostrophe = m2.captured(3) == QStringLiteral("'");
        int year = m2.captured(4).toInt();
        if (m2.captured(4).size() == 1 && !apostrophe)
            return d;
        if (m2.captured(4).size() <= 2)
            year = apostrophe ? 2000 + year : ExpandTwoDigitYear(year, today);
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

// Money types whose records are bank lines; categories, classes, memorised
// and investment records are left out.
bool isBankType(const QString& type)
{
    static const QStringList bank {QStringLiteral("bank"), QStringLiteral("ccard"),
        QStringLiteral("cash"), QStringLiteral("oth a"), QStringLiteral("oth l")};
    return bank.contains(type.trimmed().toLower());
}

struct QifRecord
{
    StatementLine line;
    QString dateText;
    int dateLine = 0;
    bool hasAmount = false;
    bool any = false;
    struct Part
    {
        QString category;
        QString memo;
        QString amountText;
        int line = 0;
    };
    QList<Part> splits;
};

// The lines of a QIF file whatever its line ends: CR LF, LF or CR alone.
QList<QByteArrayView> qifLines(const QByteArray& bytes)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes.at(i) != '\r' && bytes.at(i) != '\n')
            continue;
        lines.append(QByteArrayView(bytes).sliced(start, i - start));
        if (bytes.at(i) == '\r' && i + 1 < bytes.size() && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(QByteArrayView(bytes).sliced(start));
    return lines;
}

// One statement line per record, or one per part of a split record, each
// booked to its own category; the parts must add up to the record's total.
void appendRecord(QifRecord& r, QList<QifRecord>* records)
{
    if (r.splits.isEmpty()) {
        records->append(r);
        return;
    }
    Money sum;
    QList<QifRecord> parts;
    for (const QifRecord::Part& part : r.splits) {
        QifRecord p = r;
        p.splits.clear();
        p.line.category = part.category;
        p.line.splitOf = r.line.sourceLine;
        p.line.sourceLine = part.line;
        if (!part.memo.isEmpty())
            p.line.memo = part.memo;
        p.hasAmount = !part.amountText.isEmpty();
        p.line.amount = {};
        if (p.hasAmount) {
            if (const auto amount = parseQifAmount(part.amountText)) {
                p.line.amount = *amount;
                sum += *amount;
            } else if (p.line.error.isEmpty()) {
                p.line.error = QStringLiteral("the amount ") + quotedValue(part.amountText)
                    + QStringLiteral(" is not a number");
            }
        }
        parts.append(p);
    }
    if (r.hasAmount && r.line.error.isEmpty() && sum != r.line.amount) {
        for (QifRecord& p : parts) {
            if (p.line.error.isEmpty())
                p.line.error = QStringLiteral("the split parts add up to ") + sum.toText()
                    + QStringLiteral(", the transaction to ") + r.line.amount.toText();
        }
    }
    records->append(parts);
}

} // namespace

bool ReadQifStatement(
    const QByteArray& bytes, Statement* statement, StatementError* error, const QDate& today)
{
    *statement = {};
    statement->format = StatementFormat::Qif;
    const TextDecoder decode(bytes);
    QList<QifRecord> records;
    QifRecord current;
    enum class Section { None, Account, Bank, Other };
    Section section = Section::None;
    bool accountList = false; // !Option:AutoSwitch: the !Account records only list accounts
    QString account; // the account the following bank records belong to
    QString accountName; // N of the !Account record being read
    int lineNo = 0;
    for (const QByteArrayView raw : qifLines(bytes)) {
        ++lineNo;
        QString line = decode(raw).trimmed();
        if (lineNo == 1 && line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.isEmpty() || line.startsWith(QStringLiteral("###")))
            continue;
        const QChar code = line.at(0).toUpper();
        const QString value = line.mid(1).trimmed();
        if (code == QLatin1Char('!')) {
            // A record the file leaves without its ^ ends here.
            if (current.any && section == Section::Bank)
                appendRecord(current, &records);
            current = {};
            const QString header = line.toLower();
            if (header.startsWith(QStringLiteral("!type:"))) {
                // Transactions right after an account record are that account's,
                // also where AutoSwitch is left on.
                if (section == Section::Account && !accountName.isEmpty())
                    account = accountName;
                section = isBankType(line.mid(6)) ? Section::Bank : Section::Other;
            } else if (header == QStringLiteral("!account"))
                section = Section::Account;
            else if (header == QStringLiteral("!option:autoswitch"))
                accountList = true;
            else if (header == QStringLiteral("!clear:autoswitch"))
                accountList = false;
            else
                section = Section::Other;
            continue;
        }
        if (section == Section::None) {
            *error = {lineNo, QStringLiteral("a QIF file starts with a !Type: line")};
            return false;
        }
        if (section == Section::Account) {
            if (code == QLatin1Char('N'))
                accountName = value.simplified();
            else if (code == QLatin1Char('^') && !accountList)
                account = accountName;
            continue;
        }
        if (section != Section::Bank)
            continue;
        // A record whose ^ is missing ends where the next one's date starts.
        if (code == QLatin1Char('D') && !current.dateText.isEmpty()) {
            appendRecord(current, &records);
            current = {};
        }
        if (!current.any) {
            current.line.sourceLine = lineNo;
            current.line.account = account;
            current.any = true;
        }
        if (code == QLatin1Char('^')) {
            appendRecord(current, &records);
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
        } else if (code == QLatin1Char('L')) {
            current.line.category = value.simplified();
        } else if (code == QLatin1Char('S')) {
            current.splits.append({value.simplified(), {}, {}, lineNo});
        } else if (code == QLatin1Char('E') && !current.splits.isEmpty()) {
            current.splits.last().memo = value.simplified();
        } else if (code == QLatin1Char('$') && !current.splits.isEmpty()) {
            current.splits.last().amountText = value;
        }
        // Other fields (number, cleared mark, address) are not imported.
    }
    if (current.any && section == Section::Bank) {
        *error = {lineNo,
            QStringLiteral("the last transaction does not end with ^ (the file is cut off)")};
        return false;
    }
    if (section == Section::None) {
        *error = {1, QStringLiteral("a QIF file starts with a !Type: line")};
        return false;
    }
    // The date order of the whole file: month-day (QIF's own) unless some
    // date only reads day-month.
    bool monthDay = true;
    bool dayMonth = true;
    for (const QifRecord& p : records) {
        if (p.dateText.isEmpty())
            continue;
        const QifDate d = readQifDate(p.dateText, today);
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
    for (QifRecord& p : records) {
        StatementLine& s = p.line;
        if (p.dateText.isEmpty()) {
            s.error = QStringLiteral("no date");
        } else {
            const QifDate d = readQifDate(p.dateText, today);
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
        if (!statement->accounts.contains(s.account))
            statement->accounts.append(s.account);
        statement->lines.append(std::move(s));
    }
    // A file of one account names it as the statement's; the lines need it only
    // when there are several.
    if (statement->accounts.size() <= 1) {
        statement->bankAccountId = statement->accounts.value(0);
        for (StatementLine& s : statement->lines)
            s.account.clear();
    }
    if (statement->accounts == QStringList {QString()})
        statement->accounts.clear();
    return true;
}

} // namespace qb
