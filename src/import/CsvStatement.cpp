// CSV statements: libcsv splits the rows; the mapping says which column is
// which, and the guess proposes one from the heading and the values.
#include <csv.h>
#include <functional>

#include <QDate>

#include "import/Statement.h"
#include "import/StatementText.h"

namespace qb {

using namespace statement;

int CsvMapping::neededColumns() const
{
    int highest = std::max(
        {dateColumn, amountColumn, outColumn, inColumn, referenceColumn, directionColumn});
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
        QStringLiteral("ref=") + QString::number(referenceColumn + 1),
        QStringLiteral("skip=") + QString::number(skipLines),
        QStringLiteral("dir=") + QString::number(directionColumn + 1),
        QStringLiteral("dirout=") + QString(outWord).remove(QLatin1Char('\x1f')),
        QStringLiteral("dirin=") + QString(inWord).remove(QLatin1Char('\x1f')),
        QStringLiteral("reverse=") + (reverseSigns ? QStringLiteral("1") : QStringLiteral("0"))}
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
        else if (key == QStringLiteral("skip"))
            m.skipLines = std::clamp(value.toInt(), 0, 1000000);
        else if (key == QStringLiteral("dir"))
            m.directionColumn = column;
        else if (key == QStringLiteral("dirout"))
            m.outWord = value;
        else if (key == QStringLiteral("dirin"))
            m.inWord = value;
        else if (key == QStringLiteral("reverse"))
            m.reverseSigns = value == QStringLiteral("1");
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

// Called with each row and the line it starts on; false stops the reading.
using RowSink = std::function<bool(QStringList& row, int line)>;

struct CsvCollector
{
    StatementError refused;
    TextDecoder decode {QByteArray()};
    RowSink* sink = nullptr;
    QStringList row;
    int rowLine = 0;
    int feeding = 1; // the physical line being handed to the parser
    bool stopped = false;
};

void csvField(void* data, size_t size, void* context)
{
    auto* c = static_cast<CsvCollector*>(context);
    if (c->refused.isSet() || c->stopped)
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
    if (!c->refused.isSet() && !c->stopped)
        c->stopped = !(*c->sink)(c->row, c->rowLine);
    c->row.clear();
}

// The offset of the line after the first skip lines (the file's end when it has fewer).
qsizetype offsetAfterLines(const QByteArray& bytes, qsizetype start, int skip)
{
    for (int i = 0; i < skip && start < bytes.size(); ++i) {
        const qsizetype end = bytes.indexOf('\n', start);
        start = end < 0 ? bytes.size() : end + 1;
    }
    return start;
}

// Hands every row after the mapping's skipped lines to sink, as libcsv splits them.
bool readCsv(
    const QByteArray& bytes, const CsvMapping& mapping, RowSink sink, StatementError* error)
{
    csv_parser parser;
    if (csv_init(&parser, CSV_APPEND_NULL) != 0) {
        *error = {0, QStringLiteral("the CSV reader could not start")};
        return false;
    }
    csv_set_delim(&parser, static_cast<unsigned char>(mapping.separator));
    csv_set_quote(&parser, static_cast<unsigned char>(mapping.quote));
    CsvCollector collector;
    collector.decode = TextDecoder(bytes);
    collector.sink = &sink;
    qsizetype start = offsetAfterLines(
        bytes, bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0, std::max(0, mapping.skipLines));
    collector.feeding = 1 + std::max(0, mapping.skipLines);
    bool ok = true;
    // Fed a line at a time, so every row knows the line it starts on.
    while (start < bytes.size() && !collector.stopped) {
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
        start = end;
        ++collector.feeding;
    }
    if (ok && !collector.stopped) {
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

bool ReadCsvRows(const QByteArray& bytes, const CsvMapping& mapping, CsvRows* rows,
    StatementError* error, qsizetype limit)
{
    *rows = {};
    if (limit == 0)
        return true;
    return readCsv(
        bytes, mapping,
        [rows, limit](QStringList& row, int line) {
            rows->rows.append(std::move(row));
            rows->lines.append(line);
            return limit < 0 || rows->rows.size() < limit;
        },
        error);
}

QString CsvHeaderKey(const QByteArray& bytes, const CsvMapping& mapping)
{
    CsvRows first;
    StatementError ignored;
    ReadCsvRows(bytes, mapping, &first, &ignored, 1);
    return first.rows.isEmpty() ? QString() : first.rows.first().join(QLatin1Char('\x1f'));
}

namespace {

// The signed amount of a row as the mapping reads it; nothing (and why) when it cannot be read.
std::optional<Money> rowAmount(
    const QStringList& row, const CsvMapping& mapping, QString* amountText, QString* why)
{
    std::optional<Money> amount;
    if (mapping.amountColumn >= 0) {
        *amountText = row.at(mapping.amountColumn).trimmed();
        amount = ParseStatementAmount(*amountText, mapping.decimalComma);
    } else {
        const QString out = row.at(mapping.outColumn).trimmed();
        const QString in = row.at(mapping.inColumn).trimmed();
        const std::optional<Money> o
            = out.isEmpty() ? Money() : ParseStatementAmount(out, mapping.decimalComma);
        const std::optional<Money> i
            = in.isEmpty() ? Money() : ParseStatementAmount(in, mapping.decimalComma);
        *amountText = out.isEmpty() ? in : out;
        if (o && i && !o->isZero() && !i->isZero()) {
            *why = QStringLiteral("both money out and money in are filled");
            return std::nullopt;
        }
        // A debit column holds money out whatever its sign.
        if (o && i)
            amount = (i->isNegative() ? -*i : *i) - (o->isNegative() ? -*o : *o);
    }
    if (!amount) {
        *why = QStringLiteral("the amount ") + quotedValue(*amountText)
            + QStringLiteral(" is not a number");
        return std::nullopt;
    }
    if (mapping.directionColumn >= 0) {
        const QString word = row.at(mapping.directionColumn).trimmed();
        const Money size = amount->isNegative() ? -*amount : *amount;
        if (word.compare(mapping.outWord, Qt::CaseInsensitive) == 0) {
            amount = -size;
        } else if (word.compare(mapping.inWord, Qt::CaseInsensitive) == 0) {
            amount = size;
        } else {
            *why = QStringLiteral("the direction ") + quotedValue(word)
                + QStringLiteral(" is neither ") + quotedValue(mapping.outWord)
                + QStringLiteral(" nor ") + quotedValue(mapping.inWord);
            return std::nullopt;
        }
    }
    if (mapping.reverseSigns)
        amount = -*amount;
    return amount;
}

} // namespace

bool ReadCsvStatement(
    const QByteArray& bytes, const CsvMapping& mapping, Statement* statement, StatementError* error)
{
    *statement = {};
    *error = {};
    statement->format = StatementFormat::Csv;
    const auto incomplete = mapping.dateColumn < 0 || !mapping.dateOrder
        || (mapping.amountColumn < 0 && (mapping.outColumn < 0 || mapping.inColumn < 0))
        || (mapping.directionColumn >= 0
            && (mapping.outWord.isEmpty() || mapping.inWord.isEmpty()));
    // Text that is no CSV at all is told before what the mapping lacks.
    if (incomplete
        && !readCsv(
            bytes, mapping, [](QStringList&, int) { return true; }, error))
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
    if (mapping.directionColumn >= 0 && (mapping.outWord.isEmpty() || mapping.inWord.isEmpty())) {
        *error = {0, QStringLiteral("the direction column needs its two words")};
        return false;
    }
    const int needed = mapping.neededColumns();
    const QDate today = QDate::currentDate();
    // Room for a line per text line at once: a list grown step by step holds
    // its old and new copies together.
    statement->lines.reserve(bytes.count('\n') + 1);
    bool heading = mapping.header;
    // Each row becomes its line as it is read: the rows are never all held.
    return readCsv(
               bytes, mapping,
               [&](QStringList& row, int line) {
                   if (heading) {
                       heading = false;
                       return true;
                   }
                   if (std::all_of(row.cbegin(), row.cend(),
                           [](const QString& f) { return f.trimmed().isEmpty(); }))
                       return true;
                   if (row.size() < needed) {
                       *error = {line,
                           QStringLiteral("has ") + QString::number(row.size())
                               + (row.size() == 1 ? QStringLiteral(" column")
                                                  : QStringLiteral(" columns"))
                               + QStringLiteral(", the mapping needs ") + QString::number(needed)};
                       return false;
                   }
                   StatementLine s;
                   s.sourceLine = line;
                   const QString dateText = row.at(mapping.dateColumn).trimmed();
                   s.date = ParseStatementDate(dateText, *mapping.dateOrder, today);
                   if (!s.date.isValid())
                       s.error = QStringLiteral("the date ") + quotedValue(dateText)
                           + QStringLiteral(" is not a date");
                   QString amountText;
                   QString why;
                   if (const std::optional<Money> amount
                       = rowAmount(row, mapping, &amountText, &why)) {
                       s.amount = *amount;
                       if (amount->units() % (Money::kScale / 100) != 0)
                           s.amountText = amountText;
                   } else if (s.error.isEmpty()) {
                       s.error = why;
                   }
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
                   return true;
               },
               error)
        && !error->isSet();
}

} // namespace qb
