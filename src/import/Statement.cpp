#include "import/Statement.h"

#include <algorithm>

#include <QFile>
#include <QFileInfo>

#include "import/StatementText.h"
#include "store/OutputFile.h"

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

int ExpandTwoDigitYear(int twoDigits, const QDate& today)
{
    const int now = today.isValid() ? today.year() : QDate::currentDate().year();
    int year = now - now % 100 + twoDigits;
    if (year > now + 19)
        year -= 100;
    else if (year < now - 80)
        year += 100;
    return year;
}

namespace {

// A month's name or its usual abbreviation in English, German, French,
// Spanish, Italian, Portuguese or Dutch (letter case ignored); 0 for no month.
int monthOfName(QStringView word)
{
    static const std::pair<const char16_t*, int> names[] = {{u"jan", 1}, {u"ene", 1}, {u"gen", 1},
        {u"feb", 2}, {u"fév", 2}, {u"fev", 2}, {u"mär", 3}, {u"mar", 3}, {u"mrz", 3}, {u"mrt", 3},
        {u"apr", 4}, {u"avr", 4}, {u"abr", 4}, {u"may", 5}, {u"mai", 5}, {u"mei", 5}, {u"mag", 5},
        {u"juin", 6}, {u"jun", 6}, {u"giu", 6}, {u"juil", 7}, {u"jul", 7}, {u"lug", 7}, {u"aug", 8},
        {u"aoû", 8}, {u"aou", 8}, {u"ago", 8}, {u"sep", 9}, {u"set", 9}, {u"oct", 10}, {u"okt", 10},
        {u"ott", 10}, {u"out", 10}, {u"nov", 11}, {u"dec", 12}, {u"déc", 12}, {u"dez", 12},
        {u"dic", 12}};
    if (word.size() < 3 || word.size() > 10)
        return 0;
    const QString lower = word.toString().toLower();
    for (const auto& [name, month] : names) {
        const QStringView prefix(name);
        if (lower.startsWith(prefix)
            && (prefix.size() > 3 || lower.size() == 3 || !lower.startsWith(u"jui")))
            return month;
    }
    return 0;
}

// The parts of a written date: numbers and at most one word, the separators
// between them, and whether what follows the third part is a time.
struct DateParts
{
    QStringView parts[3];
    QChar separators[2];
    int count = 0;
    bool rest = false; // something other than a time follows
};

bool isDateSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')
        || c == QLatin1Char(' ') || c == QLatin1Char(',');
}

DateParts splitDate(QStringView text)
{
    DateParts d;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && d.count < 3) {
        const qsizetype start = i;
        const bool digits = text[i].isDigit();
        while (i < n && (digits ? text[i].isDigit() : text[i].isLetter()))
            ++i;
        if (i == start) {
            d.rest = true;
            return d;
        }
        d.parts[d.count++] = text.mid(start, i - start);
        if (d.count == 3)
            break;
        // One separator (a blank may stand beside it: "Nov 7, 2013", "7. Nov 2013").
        QChar sep;
        while (i < n && isDateSeparator(text[i])) {
            if (sep.isNull() || sep == QLatin1Char(' '))
                sep = text[i];
            ++i;
        }
        if (sep.isNull() && i < n && !(digits ? text[i].isLetter() : text[i].isDigit())) {
            d.rest = true;
            return d;
        }
        d.separators[d.count - 1] = sep;
    }
    // A time after the date ("2026-01-05 10:22", "2026-01-05T10:22:00") is left out.
    if (i < n) {
        const QChar c = text[i];
        d.rest = !(
            (c == QLatin1Char(' ') || c == QLatin1Char('T')) && i + 1 < n && text[i + 1].isDigit());
    }
    return d;
}

int yearOf(QStringView digits, const QDate& today)
{
    if (digits.size() == 4)
        return digits.toInt();
    if (digits.size() == 2)
        return ExpandTwoDigitYear(digits.toInt(), today);
    return -1;
}

} // namespace

QDate ParseStatementDate(const QString& text, DateOrder order, const QDate& today)
{
    const QStringView date = QStringView(text).trimmed();
    if (date.size() == 8 && allDigits(date)) {
        if (order != DateOrder::YearMonthDay)
            return {};
        return calendarDate(date.left(4).toInt(), date.mid(4, 2).toInt(), date.mid(6, 2).toInt());
    }
    const DateParts d = splitDate(date);
    if (d.count != 3 || d.rest)
        return {};
    int word = -1;
    for (int p = 0; p < 3; ++p) {
        if (!d.parts[p].at(0).isDigit()) {
            if (word >= 0)
                return {};
            word = p;
        } else if (d.parts[p].size() > 4) {
            return {};
        }
    }
    if (word >= 0) {
        // The month's name fixes the order: a four-digit first number is the
        // year, else the day comes before the year.
        const int month = monthOfName(d.parts[word]);
        if (month == 0)
            return {};
        QStringView numbers[2];
        for (int p = 0, k = 0; p < 3; ++p) {
            if (p != word)
                numbers[k++] = d.parts[p];
        }
        if (numbers[0].size() == 4 && word != 0)
            return numbers[1].size() <= 2
                ? calendarDate(numbers[0].toInt(), month, numbers[1].toInt())
                : QDate();
        if (numbers[0].size() > 2)
            return {};
        const int year = yearOf(numbers[1], today);
        return year < 0 ? QDate() : calendarDate(year, month, numbers[0].toInt());
    }
    // Numbers alone: one separator, not a blank, between all three.
    if (d.separators[0] != d.separators[1] || d.separators[0] == QLatin1Char(' ')
        || d.separators[0] == QLatin1Char(','))
        return {};
    const QStringView a = d.parts[0];
    const QStringView b = d.parts[1];
    const QStringView c = d.parts[2];
    if (b.size() > 2)
        return {};
    switch (order) {
    case DateOrder::DayMonthYear:
    case DateOrder::MonthDayYear: {
        const int year = a.size() <= 2 ? yearOf(c, today) : -1;
        if (year < 0)
            return {};
        return order == DateOrder::DayMonthYear ? calendarDate(year, b.toInt(), a.toInt())
                                                : calendarDate(year, a.toInt(), b.toInt());
    }
    case DateOrder::YearMonthDay:
        return a.size() == 4 && c.size() <= 2 ? calendarDate(a.toInt(), b.toInt(), c.toInt())
                                              : QDate();
    }
    return {};
}

namespace {

// A currency sign or an ISO code ("EUR", "USD") or "kr" at the front or the
// end of text; its length, or 0.
qsizetype currencyAt(QStringView text, bool front)
{
    if (text.isEmpty())
        return 0;
    // A sign, with up to three capitals before it: "$", "US$", "R$", "C$".
    const qsizetype n = text.size();
    if (front) {
        qsizetype k = 0;
        while (k < n && k < 3 && text[k].isUpper())
            ++k;
        if (k < n && text[k].category() == QChar::Symbol_Currency)
            return k + 1;
    } else if (text.back().category() == QChar::Symbol_Currency) {
        qsizetype k = 0;
        while (k + 1 < n && k < 3 && text[n - k - 2].isUpper())
            ++k;
        return k + 1;
    }
    auto isCode = [](QStringView w) {
        if (w.size() == 2)
            return w.compare(u"kr", Qt::CaseInsensitive) == 0;
        return w.size() == 3
            && std::all_of(w.begin(), w.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
    };
    // A code stands apart from the number: "EUR 12.50", "12,50 EUR", "-5 kr".
    for (const qsizetype length : {3, 2}) {
        if (text.size() <= length)
            continue;
        const QStringView w = front ? text.left(length) : text.right(length);
        const QChar next = front ? text[length] : text[text.size() - length - 1];
        if (isCode(w) && (next.isSpace() || (front && (next == u'-' || next == u'+'))))
            return length;
    }
    return 0;
}

// Cuts a "DR" (money out) or "CR" written after the amount; -1 DR, 1 CR, 0 none.
int debitCreditMark(QString& text)
{
    if (text.size() < 3)
        return 0;
    const QStringView end = QStringView(text).right(2);
    const QChar before = text.at(text.size() - 3);
    if (!(before.isDigit() || before.isSpace()))
        return 0;
    const int mark = end.compare(u"DR", Qt::CaseInsensitive) == 0 ? -1
        : end.compare(u"CR", Qt::CaseInsensitive) == 0            ? 1
                                                                  : 0;
    if (mark != 0)
        text = text.left(text.size() - 2).trimmed();
    return mark;
}

} // namespace

std::optional<Money> ParseStatementAmount(QString text, bool decimalComma)
{
    text = text.trimmed();
    bool negative = false;
    int signs = 0;
    if (text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')'))) {
        negative = true;
        ++signs;
        text = text.mid(1, text.size() - 2).trimmed();
    }
    if (const int mark = debitCreditMark(text)) {
        negative = negative != (mark < 0);
        ++signs;
    }
    // Signs and currency marks around the number, in any order: "-$76.00", "+ $73.01", "€ -5".
    for (bool changed = true; changed && !text.isEmpty();) {
        changed = false;
        const QChar first = text.front();
        if (first == QLatin1Char('-') || first == QChar(0x2212) || first == QLatin1Char('+')) {
            negative = negative != (first != QLatin1Char('+'));
            ++signs;
            text = text.mid(1).trimmed();
            changed = true;
        } else if (const qsizetype c = currencyAt(text, true)) {
            text = text.mid(c).trimmed();
            changed = true;
        }
        if (text.isEmpty())
            break;
        const QChar last = text.back();
        if (last == QLatin1Char('-') || last == QChar(0x2212)) {
            negative = !negative;
            ++signs;
            text = text.left(text.size() - 1).trimmed();
            changed = true;
        } else if (const qsizetype c = currencyAt(text, false)) {
            text = text.left(text.size() - c).trimmed();
            changed = true;
        }
    }
    if (signs > 1)
        return std::nullopt;
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
    const qsizetype dot = plain.indexOf(QLatin1Char('.'));
    // Decimals past the fourth are cut: the cent rounding looks at the third only.
    if (dot >= 0 && plain.size() - dot - 1 > Money::kDecimals) {
        if (!allDigits(QStringView(plain).mid(dot + 1)))
            return std::nullopt;
        plain.truncate(dot + 1 + Money::kDecimals);
    }
    if ((dot < 0 ? plain.size() : dot) > 15 || plain.isEmpty() || !plain.at(0).isDigit())
        return std::nullopt;
    const std::optional<Money> value = Money::parse(plain);
    if (!value)
        return std::nullopt;
    return negative ? -*value : *value;
}

Money MaxStatementAmount()
{
    return Money::fromUnits(99999999999LL * (Money::kScale / 100));
}

bool IsBalanceLineText(const QString& text)
{
    // Balance statements banks put among the lines, in the languages of the
    // banks this program meets; matched as whole words at the start.
    static const char* const phrases[]
        = {"previous balance", "opening balance", "balance brought forward", "balance forward",
            "balance carried forward", "closing balance", "starting balance", "beginning balance",
            "saldo anterior", "saldo inicial", "saldo final", "alter kontostand",
            "neuer kontostand", "anfangssaldo", "endsaldo", "saldovortrag", "kontostand",
            "solde précédent", "solde precedent", "ancien solde", "nouveau solde", "solde initial",
            "solde final", "beginsaldo", "eindsaldo", "saldo precedente", "saldo iniziale"};
    const QString lower = text.simplified().toLower();
    for (const char* phrase : phrases) {
        const QString p = QString::fromUtf8(phrase);
        if (lower.startsWith(p) && (lower.size() == p.size() || !lower.at(p.size()).isLetter()))
            return true;
    }
    return false;
}

void FinishStatementLines(Statement* statement)
{
    const Money cent = Money::fromUnits(Money::kScale / 100);
    const Money max = MaxStatementAmount();
    for (StatementLine& line : statement->lines) {
        if (!line.error.isEmpty())
            continue;
        if (line.date.isValid() && line.date.year() > 2999) {
            line.error = QStringLiteral("the date ") + line.date.toString(Qt::ISODate)
                + QStringLiteral(" is past 2999");
            continue;
        }
        const Money written = line.amount;
        const std::int64_t units = written.units();
        const std::int64_t rest = units % cent.units();
        if (rest != 0) {
            // Half away from zero: the third decimal alone decides.
            std::int64_t cents = units - rest;
            if (std::abs(rest) * 2 >= cent.units())
                cents += rest < 0 ? -cent.units() : cent.units();
            const QString shown = line.amountText.isEmpty() ? written.toText() : line.amountText;
            if (cents == 0) {
                line.error = QStringLiteral("the amount ") + shown
                    + QStringLiteral(" is less than a cent");
                continue;
            }
            line.amount = Money::fromUnits(cents);
            line.note = QStringLiteral("rounded from ") + shown;
        }
        if (line.amount > max || line.amount < -max) {
            line.error = QStringLiteral("the amount ") + line.amount.format()
                + QStringLiteral(" is larger than the largest the entry window takes (")
                + max.formatGrouped() + QLatin1Char(')');
            continue;
        }
        if (IsBalanceLineText(line.payee)
            || (line.payee.isEmpty() && IsBalanceLineText(line.memo))) {
            line.unchecked = true;
            line.note = QStringLiteral("a balance, not a transaction: left unchecked");
        }
    }
}

bool LoadStatementFile(const QString& path, QByteArray* bytes, QString* why)
{
    if (const QString problem = InputFileProblem(path); !problem.isEmpty()) {
        *why = problem;
        return false;
    }
    const QFileInfo info(path);
    if (info.size() > kMaxStatementBytes) {
        *why = QStringLiteral("is larger than 50 MB (") + QString::number(info.size() >> 20)
            + QStringLiteral(" MB): no bank statement is that large");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("cannot be read: ") + file.errorString();
        return false;
    }
    // Read no more than the limit, should the file have grown since.
    *bytes = file.read(kMaxStatementBytes + 1);
    if (bytes->size() > kMaxStatementBytes) {
        bytes->clear();
        *why = QStringLiteral("is larger than 50 MB: no bank statement is that large");
        return false;
    }
    if (file.error() != QFileDevice::NoError) {
        *why = QStringLiteral("cannot be read: ") + file.errorString();
        return false;
    }
    return true;
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
    if (bytes.size() > kMaxStatementBytes) {
        *error = {0, QStringLiteral("the statement is larger than 50 MB")};
        return false;
    }
    bool read = false;
    switch (format.value_or(DetectStatementFormat(bytes))) {
    case StatementFormat::Ofx:
        read = ReadOfxStatement(bytes, statement, error);
        break;
    case StatementFormat::Qif:
        read = ReadQifStatement(bytes, statement, error);
        break;
    case StatementFormat::Csv:
        read = ReadCsvStatement(bytes, mapping, statement, error);
        break;
    }
    if (read)
        FinishStatementLines(statement);
    return read;
}

} // namespace qb
