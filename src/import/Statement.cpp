#include "import/Statement.h"

#include <algorithm>

#include <QRegularExpression>

#include "import/StatementText.h"

namespace qb {

using namespace statement;

QString StatementError::text() const
{
    return line > 0
        ? QStringLiteral("line ") + QString::number(line) + QStringLiteral(": ") + reason
        : reason;
}

std::optional<StatementFormat> StatementFormatFromName(const QString& name)
{
    if (name == QStringLiteral("csv"))
        return StatementFormat::Csv;
    if (name == QStringLiteral("ofx") || name == QStringLiteral("qfx"))
        return StatementFormat::Ofx;
    if (name == QStringLiteral("qif"))
        return StatementFormat::Qif;
    return std::nullopt;
}

QString StatementFormatTitle(StatementFormat format)
{
    switch (format) {
    case StatementFormat::Csv:
        return QStringLiteral("CSV");
    case StatementFormat::Ofx:
        return QStringLiteral("OFX");
    case StatementFormat::Qif:
        return QStringLiteral("QIF");
    }
    return {};
}

StatementFormat DetectStatementFormat(const QByteArray& bytes)
{
    QByteArray head = bytes.left(64 * 1024);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    const QByteArray upper = head.trimmed().toUpper();
    // OFX: the <OFX> element, after a header that may stand inside a comment
    // or after an XML declaration and comments.
    const qsizetype ofx = upper.indexOf("<OFX>");
    if (upper.startsWith("OFXHEADER")
        || (ofx >= 0 && (upper.startsWith('<') || upper.left(ofx).contains("OFXHEADER"))))
        return StatementFormat::Ofx;
    // QIF: the first line that is no "###" comment is a QIF header line.
    // Line ends of any kind: CR LF, LF, or CR alone (old Macintosh files).
    for (const QByteArray& raw : QByteArray(upper).replace('\r', '\n').split('\n')) {
        const QByteArray first = raw.trimmed();
        if (first.isEmpty() || first.startsWith("###"))
            continue;
        if (first.startsWith("!TYPE:") || first.startsWith("!ACCOUNT")
            || first.startsWith("!OPTION:") || first.startsWith("!CLEAR:"))
            return StatementFormat::Qif;
        break;
    }
    return StatementFormat::Csv;
}

std::optional<DateOrder> DateOrderFromName(const QString& name)
{
    if (name == QStringLiteral("dmy"))
        return DateOrder::DayMonthYear;
    if (name == QStringLiteral("mdy"))
        return DateOrder::MonthDayYear;
    if (name == QStringLiteral("ymd"))
        return DateOrder::YearMonthDay;
    return std::nullopt;
}

QString DateOrderName(DateOrder order)
{
    switch (order) {
    case DateOrder::DayMonthYear:
        return QStringLiteral("dmy");
    case DateOrder::MonthDayYear:
        return QStringLiteral("mdy");
    case DateOrder::YearMonthDay:
        return QStringLiteral("ymd");
    }
    return {};
}

QDate ParseStatementDate(const QString& text, DateOrder order)
{
    // A time after the date ("2026-01-05 10:22" or "2026-01-05T10:22") is left out.
    QString date = text.trimmed();
    const qsizetype cut = date.indexOf(QRegularExpression(QStringLiteral("[ T]")));
    if (cut > 0)
        date.truncate(cut);
    if (order == DateOrder::YearMonthDay && date.size() == 8 && allDigits(date))
        return calendarDate(date.left(4).toInt(), date.mid(4, 2).toInt(), date.mid(6, 2).toInt());
    static const QRegularExpression parts(
        QStringLiteral("^(\\d{1,4})([/.-])(\\d{1,2})\\2(\\d{1,4})$"));
    const QRegularExpressionMatch m = parts.match(date);
    if (!m.hasMatch())
        return {};
    const int a = m.captured(1).toInt();
    const int b = m.captured(3).toInt();
    const int c = m.captured(4).toInt();
    // The year is written with four digits: "05.01.26" is no date of this program's range.
    switch (order) {
    case DateOrder::DayMonthYear:
        return m.captured(4).size() == 4 ? calendarDate(c, b, a) : QDate();
    case DateOrder::MonthDayYear:
        return m.captured(4).size() == 4 ? calendarDate(c, a, b) : QDate();
    case DateOrder::YearMonthDay:
        return m.captured(1).size() == 4 ? calendarDate(a, b, c) : QDate();
    }
    return {};
}

std::optional<Money> ParseStatementAmount(QString text, bool decimalComma)
{
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        text = text.mid(1, text.size() - 2).trimmed();
    }
    if (text.endsWith(QLatin1Char('-'))) {
        negative = !negative;
        text.chop(1);
    } else if (text.startsWith(QLatin1Char('-')) || text.startsWith(QChar(0x2212))) {
        negative = !negative;
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1Char('+'))) {
        text.remove(0, 1);
    }
    const QChar point = decimalComma ? QLatin1Char(',') : QLatin1Char('.');
    const QChar grouping = decimalComma ? QLatin1Char('.') : QLatin1Char(',');
    QString plain;
    plain.reserve(text.size());
    for (QChar c : text) {
        if (c == grouping || c.isSpace() || c == QLatin1Char('\'') || c == QChar(0x2019))
            continue;
        plain.append(c == point ? QLatin1Char('.') : c);
    }
    if (plain.startsWith(QLatin1Char('.')))
        plain.prepend(QLatin1Char('0'));
    if (plain.endsWith(QLatin1Char('.')))
        plain.chop(1);
    // Trailing zeros past the fourth decimal say nothing ("12.500000").
    if (const qsizetype dot = plain.indexOf(QLatin1Char('.')); dot >= 0) {
        while (plain.size() - dot - 1 > Money::kDecimals && plain.endsWith(QLatin1Char('0')))
            plain.chop(1);
    }
    if (plain.isEmpty() || !plain.at(0).isDigit())
        return std::nullopt;
    const std::optional<Money> value = Money::parse(plain);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

bool ReadStatement(const QByteArray& bytes, std::optional<StatementFormat> format,
    const CsvMapping& mapping, Statement* statement, StatementError* error)
{
    *error = {};
    if (bytes.trimmed().isEmpty()) {
        *error = {0, QStringLiteral("the statement is empty")};
        return false;
    }
    if (!checkText(bytes, error))
        return false;
    switch (format.value_or(DetectStatementFormat(bytes))) {
    case StatementFormat::Ofx:
        return ReadOfxStatement(bytes, statement, error);
    case StatementFormat::Qif:
        return ReadQifStatement(bytes, statement, error);
    case StatementFormat::Csv:
        break;
    }
    return ReadCsvStatement(bytes, mapping, statement, error);
}

} // namespace qb
