// CSV statements: libcsv splits the rows; the mapping says which column is
// which, and the guess proposes one from the heading and the values.
#include <array>
#include <csv.h>

#include <QHash>
#include <QRegularExpression>

#include "import/Statement.h"
#include "import/StatementText.h"

namespace qb {

using namespace statement;

int CsvMapping::neededColumns() const
{
    int highest = std::max({dateColumn, amountColumn, outColumn, inColumn, referenceColumn});
    for (int c : textColumns)
        highest = std::max(highest, c);
    return highest + 1;
}

QString CsvMapping::toText() const
{
    QStringList text;
    for (int c : textColumns)
        text << QString::number(c + 1);
    const QString sep = separator == '\t' ? QStringLiteral("tab") : QString(QLatin1Char(separator));
    return QStringList {QStringLiteral("sep=") + sep, QStringLiteral("quote=") + QLatin1Char(quote),
        QStringLiteral("header=") + (header ? QStringLiteral("1") : QStringLiteral("0")),
        QStringLiteral("date=") + QString::number(dateColumn + 1),
        QStringLiteral("order=") + (dateOrder ? DateOrderName(*dateOrder) : QString()),
        QStringLiteral("amount=") + QString::number(amountColumn + 1),
        QStringLiteral("out=") + QString::number(outColumn + 1),
        QStringLiteral("in=") + QString::number(inColumn + 1),
        QStringLiteral("comma=") + (decimalComma ? QStringLiteral("1") : QStringLiteral("0")),
        QStringLiteral("text=") + text.join(QLatin1Char(',')),
        QStringLiteral("ref=") + QString::number(referenceColumn + 1)}
        .join(QLatin1Char('\x1f'));
}

std::optional<CsvMapping> CsvMapping::fromText(const QString& text)
{
    CsvMapping m;
    int seen = 0;
    for (const QString& part : text.split(QLatin1Char('\x1f'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq < 0)
            return std::nullopt;
        const QString key = part.left(eq);
        const QString value = part.mid(eq + 1);
        const int column = value.toInt() - 1;
        if (key == QStringLiteral("sep"))
            m.separator = value == QStringLiteral("tab") ? '\t'
                : value.isEmpty()                        ? ','
                                                         : char(value.at(0).toLatin1());
        else if (key == QStringLiteral("quote"))
            m.quote = value.isEmpty() ? '"' : char(value.at(0).toLatin1());
        else if (key == QStringLiteral("header"))
            m.header = value == QStringLiteral("1");
        else if (key == QStringLiteral("date"))
            m.dateColumn = column;
        else if (key == QStringLiteral("order"))
            m.dateOrder = DateOrderFromName(value);
        else if (key == QStringLiteral("amount"))
            m.amountColumn = column;
        else if (key == QStringLiteral("out"))
            m.outColumn = column;
        else if (key == QStringLiteral("in"))
            m.inColumn = column;
        else if (key == QStringLiteral("comma"))
            m.decimalComma = value == QStringLiteral("1");
        else if (key == QStringLiteral("ref"))
            m.referenceColumn = column;
        else if (key == QStringLiteral("text")) {
            for (const QString& c : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                m.textColumns << c.toInt() - 1;
        } else {
            return std::nullopt;
        }
        ++seen;
    }
    if (seen < 11 || m.dateColumn < 0)
        return std::nullopt;
    return m;
}

namespace {

// No statement has rows this wide or fields this long: beyond them the
// text is refused with its line instead of being taken apart.
constexpr int kMaxCsvColumns = 1000;
constexpr size_t kMaxCsvField = 1000000;

struct CsvCollector
{
    StatementError refused;
    const QByteArray* bytes = nullptr;
    TextDecoder decode {QByteArray()};
    CsvRows* out = nullptr;
    QStringList row;
    int rowLine = 0;
    int feeding = 1; // the physical line being handed to the parser
    qsizetype limit = -1; // rows wanted; -1 every row
};

void csvField(void* data, size_t size, void* context)
{
    auto* c = static_cast<CsvCollector*>(context);
    if (c->refused.isSet())
        return;
    const QByteArrayView field(static_cast<const char*>(data), qsizetype(size));
    if (c->row.size() >= kMaxCsvColumns || size > kMaxCsvField) {
        c->refused
            = {c->row.isEmpty() ? c->feeding - int(std::count(field.begin(), field.end(), '\n'))
                                : c->rowLine,
                size > kMaxCsvField
                    ? QStringLiteral(
                        "a field is longer than a million characters: this is no statement")
                    : QStringLiteral("a row has more than 1000 columns: this is no statement")};
        return;
    }
    if (c->row.isEmpty())
        c->rowLine = c->feeding - int(std::count(field.begin(), field.end(), '\n'));
    c->row.append(c->decode(field));
}

void csvRowEnd(int, void* context)
{
    auto* c = static_cast<CsvCollector*>(context);
    if (c->refused.isSet() || (c->limit >= 0 && c->out->rows.size() >= c->limit)) {
        c->row.clear();
        return;
    }
    c->out->rows.append(std::move(c->row));
    c->out->lines.append(c->rowLine);
    c->row = QStringList();
}

bool readCsvRows(const QByteArray& bytes, char separator, char quote, CsvRows* rows,
    StatementError* error, qsizetype limit)
{
    *rows = {};
    csv_parser parser;
    if (csv_init(&parser, CSV_APPEND_NULL) != 0) {
        *error = {0, QStringLiteral("the CSV reader could not start")};
        return false;
    }
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    csv_set_quote(&parser, static_cast<unsigned char>(quote));
    CsvCollector collector;
    collector.bytes = &bytes;
    collector.decode = TextDecoder(bytes);
    collector.out = rows;
    collector.limit = limit;
    qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    bool ok = true;
    // Fed a line at a time, so every row knows the line it starts on.
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        const size_t length = size_t(end - start);
        if (csv_parse(&parser, bytes.constData() + start, length, csvField, csvRowEnd, &collector)
            != length) {
            *error = {collector.feeding, QString::fromLatin1(csv_strerror(csv_error(&parser)))};
            ok = false;
            break;
        }
        if (collector.refused.isSet()) {
            *error = collector.refused;
            ok = false;
            break;
        }
        if (limit >= 0 && rows->rows.size() >= limit)
            break;
        start = end;
        ++collector.feeding;
    }
    if (ok) {
        csv_fini(&parser, csvField, csvRowEnd, &collector);
        if (collector.refused.isSet()) {
            *error = collector.refused;
            ok = false;
        }
    }
    csv_free(&parser);
    return ok;
}

} // namespace

bool ReadCsvRows(
    const QByteArray& bytes, char separator, char quote, CsvRows* rows, StatementError* error)
{
    return readCsvRows(bytes, separator, quote, rows, error, -1);
}

char DetectCsvSeparator(const QByteArray& bytes)
{
    const QList<QByteArray> lines = bytes.left(64 * 1024).split('\n').mid(0, 30);
    char best = ',';
    int bestScore = -1;
    for (const char candidate : {',', ';', '\t', '|'}) {
        // The count that most non-empty lines share, weighted by how many share it.
        QHash<int, int> counts;
        for (const QByteArray& line : lines) {
            if (line.trimmed().isEmpty())
                continue;
            bool quoted = false;
            int n = 0;
            for (const char c : line) {
                if (c == '"')
                    quoted = !quoted;
                else if (c == candidate && !quoted)
                    ++n;
            }
            if (n > 0)
                ++counts[n];
        }
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
            if (it.value() > bestScore) {
                bestScore = it.value();
                best = candidate;
            }
        }
    }
    return best;
}

namespace {

bool looksLikeAmount(const QString& text, bool decimalComma)
{
    const QString t = text.trimmed();
    return !t.isEmpty() && ParseStatementAmount(t, decimalComma).has_value();
}

// Orders that read most non-empty values of the column (a date
// that is no calendar date becomes an error line, not another order).
QList<DateOrder> dateOrdersOf(const QList<QStringList>& rows, int column)
{
    QList<DateOrder> orders;
    int values = 0;
    for (const QStringList& row : rows)
        values += !row.value(column).trimmed().isEmpty();
    if (values == 0)
        return orders;
    // The order that reads the most values; two when they read as many.
    int best = 0;
    QList<std::pair<DateOrder, int>> reads;
    for (const DateOrder order :
        {DateOrder::DayMonthYear, DateOrder::MonthDayYear, DateOrder::YearMonthDay}) {
        int read = 0;
        for (const QStringList& row : rows) {
            const QString value = row.value(column).trimmed();
            read += !value.isEmpty() && ParseStatementDate(value, order).isValid();
        }
        reads.append({order, read});
        best = std::max(best, read);
    }
    if (best * 2 <= values)
        return orders;
    for (const auto& [order, read] : reads) {
        if (read == best)
            orders << order;
    }
    return orders;
}

bool headerNamed(const QString& name, std::initializer_list<const char*> words)
{
    const QString lower = name.toLower();
    for (const char* w : words) {
        if (lower.contains(QLatin1String(w)))
            return true;
    }
    return false;
}

} // namespace

CsvMapping GuessCsvMapping(const QByteArray& bytes, QString* ambiguity)
{
    CsvMapping m;
    m.separator = DetectCsvSeparator(bytes);
    CsvRows sample;
    StatementError ignored;
    readCsvRows(bytes, m.separator, m.quote, &sample, &ignored, 200);
    QList<QStringList> rows = sample.rows;
    if (rows.isEmpty())
        return m;
    int columns = 0;
    for (const QStringList& row : rows)
        columns = std::max(columns, int(row.size()));

    // A first row with no date in it above rows that have one is a header.
    auto hasDate = [](const QStringList& row) {
        for (const QString& v : row) {
            for (const DateOrder o :
                {DateOrder::DayMonthYear, DateOrder::MonthDayYear, DateOrder::YearMonthDay}) {
                if (ParseStatementDate(v, o).isValid())
                    return true;
            }
        }
        return false;
    };
    QStringList header;
    if (rows.size() > 1 && !hasDate(rows.first()) && hasDate(rows.at(1))) {
        m.header = true;
        header = rows.takeFirst();
    }

    for (int c = 0; c < columns && m.dateColumn < 0; ++c) {
        const QList<DateOrder> orders = dateOrdersOf(rows, c);
        if (orders.isEmpty())
            continue;
        m.dateColumn = c;
        if (orders.size() == 1)
            m.dateOrder = orders.first();
        else if (ambiguity)
            *ambiguity = QStringLiteral("the date order (every date reads as ") + [&] {
                QStringList names;
                for (DateOrder o : orders)
                    names << DateOrderName(o);
                return names.join(QStringLiteral(" and "));
            }() + QLatin1Char(')');
    }

    // Decimal comma: amounts like "12,50" and none like "12.50".
    int commaLike = 0;
    int pointLike = 0;
    static const QRegularExpression commaEnd(QStringLiteral("^[-+(]?[\\d. ]*\\d,\\d{1,2}\\)?-?$"));
    static const QRegularExpression pointEnd(
        QStringLiteral("^[-+(]?[\\d, ]*\\d\\.\\d{1,2}\\)?-?$"));
    for (const QStringList& row : rows) {
        for (int c = 0; c < row.size(); ++c) {
            if (c == m.dateColumn)
                continue;
            const QString v = row.at(c).trimmed();
            commaLike += commaEnd.match(v).hasMatch();
            pointLike += pointEnd.match(v).hasMatch();
        }
    }
    m.decimalComma = commaLike > 0 && pointLike == 0;

    // Numeric columns: nearly every non-empty value an amount.
    QList<int> numeric;
    QList<int> sometimesEmpty;
    for (int c = 0; c < columns; ++c) {
        if (c == m.dateColumn)
            continue;
        int values = 0;
        int amounts = 0;
        bool empties = false;
        for (const QStringList& row : rows) {
            const QString v = row.value(c).trimmed();
            if (v.isEmpty()) {
                empties = true;
                continue;
            }
            ++values;
            amounts += looksLikeAmount(v, m.decimalComma);
        }
        // An amount that is not a number becomes an error line.
        if (values > 0 && amounts * 5 >= values * 4) {
            numeric << c;
            if (empties)
                sometimesEmpty << c;
        }
    }
    // Two columns that are never filled on the same row: money out and money in.
    for (int i = 0; i + 1 < sometimesEmpty.size() && m.outColumn < 0; ++i) {
        const int a = sometimesEmpty.at(i);
        const int b = sometimesEmpty.at(i + 1);
        bool exclusive = true;
        for (const QStringList& row : rows) {
            if (!row.value(a).trimmed().isEmpty() && !row.value(b).trimmed().isEmpty())
                exclusive = false;
        }
        if (!exclusive)
            continue;
        const bool bIsOut = headerNamed(
            header.value(b), {"out", "debit", "withdraw", "paid", "soll", "ausgang", "payment"});
        m.outColumn = bIsOut ? b : a;
        m.inColumn = bIsOut ? a : b;
    }
    if (m.outColumn < 0 && !numeric.isEmpty()) {
        m.amountColumn = numeric.first();
        for (int c : numeric) {
            if (headerNamed(
                    header.value(c), {"amount", "betrag", "montant", "importe", "bedrag"})) {
                m.amountColumn = c;
                break;
            }
        }
    }
    for (int c = 0; c < columns; ++c) {
        if (c == m.dateColumn || numeric.contains(c))
            continue;
        bool any = false;
        for (const QStringList& row : rows)
            any = any || !row.value(c).trimmed().isEmpty();
        if (any)
            m.textColumns << c;
    }
    return m;
}

QString CsvHeaderKey(const QByteArray& bytes, const CsvMapping& mapping)
{
    CsvRows first;
    StatementError ignored;
    readCsvRows(bytes, mapping.separator, mapping.quote, &first, &ignored, 1);
    return first.rows.isEmpty() ? QString() : first.rows.first().join(QLatin1Char('\x1f'));
}

bool ReadCsvStatement(
    const QByteArray& bytes, const CsvMapping& mapping, Statement* statement, StatementError* error)
{
    *statement = {};
    statement->format = StatementFormat::Csv;
    // Text that is no CSV at all is told before what the mapping lacks.
    CsvRows rows;
    if (!ReadCsvRows(bytes, mapping.separator, mapping.quote, &rows, error))
        return false;
    if (mapping.dateColumn < 0 || !mapping.dateOrder) {
        *error = {0,
            mapping.dateColumn < 0 ? QStringLiteral("no date column is chosen")
                                   : QStringLiteral("the date order is not chosen")};
        return false;
    }
    if (mapping.amountColumn < 0 && (mapping.outColumn < 0 || mapping.inColumn < 0)) {
        *error = {0, QStringLiteral("no amount column is chosen")};
        return false;
    }
    const int needed = mapping.neededColumns();
    statement->lines.reserve(rows.rows.size());
    for (qsizetype r = mapping.header ? 1 : 0; r < rows.rows.size(); ++r) {
        const QStringList& row = rows.rows.at(r);
        const int line = rows.lines.at(r);
        if (std::all_of(
                row.cbegin(), row.cend(), [](const QString& f) { return f.trimmed().isEmpty(); }))
            continue;
        if (row.size() < needed) {
            *error = {line,
                QStringLiteral("has ") + QString::number(row.size())
                    + (row.size() == 1 ? QStringLiteral(" column") : QStringLiteral(" columns"))
                    + QStringLiteral(", the mapping needs ") + QString::number(needed)};
            return false;
        }
        StatementLine s;
        s.sourceLine = line;
        const QString dateText = row.at(mapping.dateColumn).trimmed();
        s.date = ParseStatementDate(dateText, *mapping.dateOrder);
        if (!s.date.isValid())
            s.error = QStringLiteral("the date ") + quotedValue(dateText)
                + QStringLiteral(" is not a date");
        std::optional<Money> amount;
        QString amountText;
        if (mapping.amountColumn >= 0) {
            amountText = row.at(mapping.amountColumn).trimmed();
            amount = ParseStatementAmount(amountText, mapping.decimalComma);
        } else {
            const QString out = row.at(mapping.outColumn).trimmed();
            const QString in = row.at(mapping.inColumn).trimmed();
            const std::optional<Money> o
                = out.isEmpty() ? Money() : ParseStatementAmount(out, mapping.decimalComma);
            const std::optional<Money> i
                = in.isEmpty() ? Money() : ParseStatementAmount(in, mapping.decimalComma);
            amountText = out.isEmpty() ? in : out;
            if (o && i && !o->isZero() && !i->isZero()) {
                if (s.error.isEmpty())
                    s.error = QStringLiteral("both money out and money in are filled");
            } else if (o && i) {
                const Money outValue = o->isNegative() ? -*o : *o;
                const Money inValue = i->isNegative() ? -*i : *i;
                amount = inValue - outValue;
            }
        }
        if (amount)
            s.amount = *amount;
        else if (s.error.isEmpty())
            s.error = QStringLiteral("the amount ") + quotedValue(amountText)
                + QStringLiteral(" is not a number");
        if (s.error.isEmpty() && s.amount.isZero())
            s.error = QStringLiteral("zero amount");
        QStringList texts;
        for (int c : mapping.textColumns) {
            const QString t = row.at(c).simplified();
            if (!t.isEmpty())
                texts << t;
        }
        s.payee = texts.value(0);
        s.memo = texts.mid(1).join(QLatin1Char(' '));
        if (mapping.referenceColumn >= 0)
            s.id = row.at(mapping.referenceColumn).trimmed();
        statement->lines.append(std::move(s));
    }
    return true;
}

} // namespace qb
