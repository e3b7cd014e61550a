// The guess of a CSV statement's columns: where the heading is, which column
// holds the dates, which the money and which way it goes, told from the
// headings and the values; and what makes the guess doubtful.
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include "import/Statement.h"
#include "import/StatementText.h"

namespace qb {

using namespace statement;

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

constexpr int kSampleRows = 250;
constexpr DateOrder kOrders[]
    = {DateOrder::DayMonthYear, DateOrder::MonthDayYear, DateOrder::YearMonthDay};

// Headings, in the languages of the banks met, as lower-case words.
using Words = QSet<QString>;
Words wordSet(std::initializer_list<const char*> words)
{
    Words set;
    for (const char* w : words)
        set.insert(QString::fromUtf8(w));
    return set;
}

const Words& amountWords()
{
    static const Words w = wordSet({"amount", "amounts", "betrag", "montant", "importe", "bedrag",
        "importo", "valor", "kwota", "belopp", "beløb", "beløp", "summa", "summe", "umsatz", "net",
        "netto", "castka", "částka", "összeg"});
    return w;
}
const Words& outWords()
{
    static const Words w = wordSet({"debit", "débit", "debits", "débito", "debito", "debet",
        "withdrawal", "withdrawals", "withdrawn", "soll", "lastschrift", "belastung", "ausgang",
        "ausgaben", "cargo", "cargos", "debe", "uscite", "addebiti", "addebito", "af", "spent",
        "afschrijving", "dépenses"});
    return w;
}
const Words& inWords()
{
    static const Words w = wordSet({"credit", "crédit", "credits", "crédito", "credito", "deposit",
        "deposits", "haben", "gutschrift", "eingang", "einnahmen", "abono", "abonos", "haber",
        "entrate", "accrediti", "accredito", "bij", "received", "bijschrijving", "recettes"});
    return w;
}
// Headings of columns that hold numbers which are no amount of the line.
const Words& notAmountWords()
{
    static const Words w = wordSet({"balance", "saldo", "solde", "kontostand", "guthaben",
        "running", "gross", "brutto", "fee", "fees", "gebühr", "gebühren", "entgelt", "commission",
        "tax", "steuer", "quantity", "qty", "shares", "units", "anzahl", "menge", "stück", "price",
        "kurs", "rate", "number", "no", "nr", "nummer", "id", "iban", "bic", "account", "konto",
        "kontonummer", "rekening", "tegenrekening", "card", "karte", "check", "cheque", "reference",
        "referenz", "ref", "code", "original", "foreign", "zip", "postcode"});
    return w;
}
// Headings of text columns that are no part of the narration.
const Words& notTextWords()
{
    static const Words w = wordSet(
        {"id", "number", "nr", "no", "nummer", "iban", "bic", "email", "mail", "address", "time",
            "zeit", "timezone", "zone", "status", "currency", "währung", "waehrung", "valuta",
            "balance", "saldo", "rekening", "tegenrekening", "kontonummer", "zip", "postcode"});
    return w;
}

// The two words of a direction column, money out first.
struct DirectionPair
{
    const char* out;
    const char* in;
};
constexpr DirectionPair kDirections[] = {{"debit", "credit"}, {"af", "bij"}, {"dr", "cr"},
    {"db", "cr"}, {"soll", "haben"}, {"s", "h"}, {"d", "c"}, {"withdrawal", "deposit"},
    {"débit", "crédit"}, {"cargo", "abono"}, {"debet", "credit"}, {"out", "in"}};

QStringList wordsOf(const QString& heading)
{
    QStringList words;
    QString word;
    const QString text = heading.toLower() + QLatin1Char(' ');
    for (const QChar c : text) {
        if (c.isLetter()) {
            word.append(c);
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    return words;
}

bool anyOf(const QStringList& words, const Words& set)
{
    return std::any_of(
        words.begin(), words.end(), [&set](const QString& w) { return set.contains(w); });
}

bool namesAmount(const QStringList& words)
{
    return std::any_of(words.begin(), words.end(), [](const QString& w) {
        return amountWords().contains(w) || w.endsWith(QStringLiteral("betrag"))
            || w.endsWith(QStringLiteral("bedrag")) || w.endsWith(QStringLiteral("amount"));
    });
}

// "Paid out", "Money in", "Out", "In": the short words only as the whole heading.
bool namesSide(const QStringList& words, bool out)
{
    const QString side = out ? QStringLiteral("out") : QStringLiteral("in");
    const bool phrase = (words.size() == 1 && words.first() == side)
        || (words.size() == 2 && words.last() == side
            && (words.first() == QStringLiteral("paid")
                || words.first() == QStringLiteral("money")));
    return phrase || anyOf(words, out ? outWords() : inWords());
}

enum class Shape { Empty, Money, Whole, Identifier, Text };

Shape shapeOf(const QString& value, bool decimalComma)
{
    const QString t = value.trimmed();
    if (t.isEmpty())
        return Shape::Empty;
    if (!ParseStatementAmount(t, decimalComma))
        return Shape::Text;
    if (allDigits(t))
        return (t.size() > 1 && t.at(0) == QLatin1Char('0')) || t.size() > 9 ? Shape::Identifier
                                                                             : Shape::Whole;
    return Shape::Money;
}

bool isTime(const QString& value)
{
    static const QRegularExpression time(
        QStringLiteral("^\\d{1,2}:\\d{2}(:\\d{2})?( ?[AaPp][Mm])?$"));
    return time.match(value.trimmed()).hasMatch();
}

bool rowHasDate(const QStringList& row, const QDate& today)
{
    for (const QString& v : row) {
        for (const DateOrder o : kOrders) {
            if (ParseStatementDate(v, o, today).isValid())
                return true;
        }
    }
    return false;
}

// What the values of one column look like.
struct ColumnFacts
{
    QString heading;
    QStringList words;
    int values = 0;
    int amounts = 0;
    int money = 0;
    int whole = 0;
    int identifiers = 0;
    int negatives = 0;
    int times = 0;
    bool empties = false;
    QSet<QString> distinct; // at most three kept
    QList<DateOrder> dateOrders; // empty: no date column

    bool constant(int rows) const { return rows >= 3 && distinct.size() == 1; }
    bool numeric() const { return values > 0 && amounts * 5 >= values * 4; }
    Shape shape() const
    {
        if (!numeric())
            return Shape::Text;
        if (identifiers > 0)
            return Shape::Identifier;
        return money * 2 >= values ? Shape::Money : Shape::Whole;
    }
};

// Orders that read most non-empty values of the column (a date that is no
// calendar date becomes an error line, not another order); one when the
// orders that read as many give the same dates.
QList<DateOrder> dateOrdersOf(const QList<QStringList>& rows, int column, const QDate& today)
{
    QList<DateOrder> orders;
    int values = 0;
    for (const QStringList& row : rows)
        values += !row.value(column).trimmed().isEmpty();
    if (values == 0)
        return orders;
    QList<std::pair<DateOrder, QList<QDate>>> reads;
    qsizetype best = 0;
    for (const DateOrder order : kOrders) {
        QList<QDate> dates;
        for (const QStringList& row : rows) {
            const QDate d = ParseStatementDate(row.value(column), order, today);
            if (d.isValid())
                dates << d;
        }
        best = std::max(best, dates.size());
        reads.append({order, dates});
    }
    if (best * 2 <= values)
        return orders;
    const QList<QDate>* first = nullptr;
    bool same = true;
    for (const auto& [order, dates] : reads) {
        if (dates.size() != best)
            continue;
        orders << order;
        if (!first)
            first = &dates;
        else
            same = same && dates == *first;
    }
    return same ? orders.mid(0, 1) : orders;
}

QString columnName(int column, const QString& heading)
{
    const QString name = heading.simplified().left(30);
    return QStringLiteral("column ") + QString::number(column + 1)
        + (name.isEmpty() ? QString() : QStringLiteral(" \"") + name + QLatin1Char('"'));
}

class Guesser
{
public:
    Guesser(const QByteArray& bytes, QString* ambiguity, QStringList* doubts, char separator)
        : m_bytes(bytes)
        , m_separator(separator)
        , m_ambiguity(ambiguity)
        , m_doubts(doubts)
    { }

    CsvMapping guess()
    {
        m_mapping.separator = m_separator ? m_separator : DetectCsvSeparator(m_bytes);
        if (!findRows())
            return m_mapping;
        for (int c = 0; c < m_columns; ++c)
            m_facts.append(factsOf(c));
        chooseDate();
        chooseDecimalComma();
        for (int c = 0; c < m_columns; ++c)
            countAmounts(c);
        chooseDirection();
        chooseAmount();
        chooseText();
        return m_mapping;
    }

private:
    void doubt(const QString& why)
    {
        if (m_doubts)
            m_doubts->append(why);
    }
    QString name(int column) const { return columnName(column, m_facts.at(column).heading); }

    // The data are the rows of the width most dated rows have; the first of them
    // with a date starts them, and a row of that width above it without a
    // date is the heading. Lines above are account details (a preamble).
    bool findRows()
    {
        CsvRows sample;
        StatementError ignored;
        ReadCsvRows(m_bytes, m_mapping, &sample, &ignored, kSampleRows);
        const QList<QStringList>& rows = sample.rows;
        if (rows.isEmpty())
            return false;
        // Widths counted over the rows that hold a date (all rows when none does).
        QHash<qsizetype, int> widths;
        for (const QStringList& row : rows) {
            if (rowHasDate(row, m_today))
                ++widths[row.size()];
        }
        if (widths.isEmpty()) {
            for (const QStringList& row : rows)
                ++widths[row.size()];
        }
        qsizetype width = rows.first().size();
        for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
            if (it.key() >= 2 && (it.value() > widths.value(width) || width < 2))
                width = it.key();
        }
        qsizetype start = -1;
        for (qsizetype r = 0; r < rows.size() && start < 0; ++r) {
            if (rows.at(r).size() == width && rowHasDate(rows.at(r), m_today))
                start = r;
        }
        if (start < 0)
            start = 0;
        qsizetype heading = -1;
        if (start > 0 && rows.at(start - 1).size() == width
            && !rowHasDate(rows.at(start - 1), m_today))
            heading = start - 1;
        const qsizetype top = heading >= 0 ? heading : start;
        m_mapping.skipLines = sample.lines.at(top) - 1;
        m_mapping.header = heading >= 0;
        if (heading >= 0)
            m_headings = rows.at(heading);
        m_columns = int(width);
        for (qsizetype r = start; r < rows.size(); ++r) {
            if (rows.at(r).size() == width)
                m_rows.append(rows.at(r));
        }
        return true;
    }

    ColumnFacts factsOf(int c) const
    {
        ColumnFacts f;
        f.heading = m_headings.value(c);
        f.words = wordsOf(f.heading);
        for (const QStringList& row : m_rows) {
            const QString v = row.value(c).trimmed();
            if (v.isEmpty()) {
                f.empties = true;
                continue;
            }
            ++f.values;
            f.times += isTime(v);
            if (f.distinct.size() < 3)
                f.distinct.insert(v.toLower());
        }
        f.dateOrders = dateOrdersOf(m_rows, c, m_today);
        return f;
    }

    void chooseDate()
    {
        const int rows = int(m_rows.size());
        int constant = -1;
        for (int c = 0; c < m_columns && m_mapping.dateColumn < 0; ++c) {
            const ColumnFacts& f = m_facts.at(c);
            if (f.dateOrders.isEmpty())
                continue;
            // One date on every line is the statement's date, not the lines'.
            if (f.constant(rows)) {
                constant = constant < 0 ? c : constant;
                continue;
            }
            m_mapping.dateColumn = c;
            if (f.dateOrders.size() == 1) {
                m_mapping.dateOrder = f.dateOrders.first();
            } else if (m_ambiguity) {
                QStringList names;
                for (DateOrder o : f.dateOrders)
                    names << DateOrderName(o);
                *m_ambiguity = QStringLiteral("the date order (every date reads as ")
                    + names.join(QStringLiteral(" and ")) + QLatin1Char(')');
            }
        }
        if (m_mapping.dateColumn >= 0)
            return;
        if (constant < 0) {
            doubt(QStringLiteral("no column holds dates"));
            return;
        }
        // Every line of one day, or the statement's date: taken, but in doubt.
        m_mapping.dateColumn = constant;
        m_mapping.dateOrder = m_facts.at(constant).dateOrders.first();
        doubt(name(constant) + QStringLiteral(" holds one date on every line"));
    }

    // Decimal comma: amounts like "12,50" and none like "12.50".
    void chooseDecimalComma()
    {
        static const QRegularExpression commaEnd(
            QStringLiteral("^[-+(\\s\\p{Sc}A-Z]*[\\d. ']*\\d,\\d{1,2}[-)\\s\\p{Sc}A-Z]*$"));
        static const QRegularExpression pointEnd(
            QStringLiteral("^[-+(\\s\\p{Sc}A-Z]*[\\d, ']*\\d\\.\\d{1,2}[-)\\s\\p{Sc}A-Z]*$"));
        int commaLike = 0;
        int pointLike = 0;
        for (const QStringList& row : m_rows) {
            for (int c = 0; c < m_columns; ++c) {
                if (!m_facts.at(c).dateOrders.isEmpty())
                    continue;
                const QString v = row.at(c).trimmed();
                commaLike += commaEnd.match(v).hasMatch();
                pointLike += pointEnd.match(v).hasMatch();
            }
        }
        m_mapping.decimalComma = commaLike > 0 && pointLike == 0;
    }

    void countAmounts(int c)
    {
        ColumnFacts& f = m_facts[c];
        if (!f.dateOrders.isEmpty())
            return;
        for (const QStringList& row : m_rows) {
            const Shape shape = shapeOf(row.at(c), m_mapping.decimalComma);
            f.amounts
                += shape == Shape::Money || shape == Shape::Whole || shape == Shape::Identifier;
            f.money += shape == Shape::Money;
            f.whole += shape == Shape::Whole;
            f.identifiers += shape == Shape::Identifier;
            if (shape == Shape::Money || shape == Shape::Whole) {
                const std::optional<Money> a
                    = ParseStatementAmount(row.at(c), m_mapping.decimalComma);
                f.negatives += a && a->isNegative();
            }
        }
    }

    // A text column whose values are the two words of a direction.
    void chooseDirection()
    {
        for (int c = 0; c < m_columns && m_mapping.directionColumn < 0; ++c) {
            const ColumnFacts& f = m_facts.at(c);
            if (f.values == 0 || f.numeric() || !f.dateOrders.isEmpty() || f.distinct.size() > 2)
                continue;
            for (const DirectionPair& pair : kDirections) {
                const QString out = QString::fromUtf8(pair.out);
                const QString in = QString::fromUtf8(pair.in);
                // Single letters are taken only under a heading.
                if (out.size() == 1 && m_headings.isEmpty())
                    continue;
                const bool fits = std::all_of(f.distinct.begin(), f.distinct.end(),
                    [&](const QString& v) { return v == out || v == in; });
                if (!fits)
                    continue;
                m_mapping.directionColumn = c;
                m_mapping.outWord = out;
                m_mapping.inWord = in;
                break;
            }
        }
    }

    bool amountCandidate(int c) const
    {
        const ColumnFacts& f = m_facts.at(c);
        return f.dateOrders.isEmpty() && f.numeric() && f.shape() != Shape::Identifier
            && !anyOf(f.words, notAmountWords());
    }

    void chooseAmount()
    {
        const int rows = int(m_rows.size());
        QList<int> outs, ins, named, money, whole, sometimesEmpty;
        for (int c = 0; c < m_columns; ++c) {
            const ColumnFacts& f = m_facts.at(c);
            const bool empty = f.values == 0 && f.dateOrders.isEmpty();
            const bool usable = amountCandidate(c) || empty;
            const bool out = namesSide(f.words, true);
            const bool in = namesSide(f.words, false);
            if (usable && out != in && c != m_mapping.directionColumn)
                (out ? outs : ins) << c;
            if (!amountCandidate(c))
                continue;
            if (namesAmount(f.words) && !out && !in)
                named << c;
            if (f.shape() == Shape::Money)
                money << c;
            else
                whole << c;
            if (f.empties)
                sometimesEmpty << c;
        }
        // Money out and money in named by their headings (a column may be
        // empty in this file); a debit column holds money out whatever its sign.
        if (!outs.isEmpty() && !ins.isEmpty()) {
            m_mapping.outColumn = outs.first();
            m_mapping.inColumn = ins.first();
            m_mapping.directionColumn = -1;
            return;
        }
        if (!named.isEmpty()) {
            m_mapping.amountColumn = named.first();
            for (int c : named) {
                if (m_facts.at(c).shape() == Shape::Money) {
                    m_mapping.amountColumn = c;
                    break;
                }
            }
            if (named.size() > 1)
                doubt(name(named.at(0)) + QStringLiteral(" and ") + name(named.at(1))
                    + QStringLiteral(" are both named as the amount"));
        } else if (chooseExclusivePair(sometimesEmpty)) {
            return;
        } else if (!money.isEmpty()) {
            QList<int> varying;
            for (int c : money) {
                if (!m_facts.at(c).constant(rows))
                    varying << c;
            }
            m_mapping.amountColumn = varying.isEmpty() ? money.first() : varying.first();
            if (varying.isEmpty())
                doubt(name(money.first()) + QStringLiteral(" holds one amount on every line"));
            else if (varying.size() > 1)
                doubt(name(varying.at(0)) + QStringLiteral(" and ") + name(varying.at(1))
                    + QStringLiteral(" both hold amounts"));
        } else if (!whole.isEmpty()) {
            m_mapping.amountColumn = whole.first();
            doubt(name(whole.first()) + QStringLiteral(" holds whole numbers only"));
        } else {
            doubt(QStringLiteral("no column holds amounts"));
            return;
        }
        const ColumnFacts& chosen = m_facts.at(m_mapping.amountColumn);
        if (m_mapping.directionColumn < 0 && rows >= 3 && chosen.negatives == 0)
            doubt(QStringLiteral("every amount in ") + name(m_mapping.amountColumn)
                + QStringLiteral(" is positive (charges written as positive need reversed signs)"));
    }

    // Two columns that are never filled on the same row: money out and money in.
    bool chooseExclusivePair(const QList<int>& sometimesEmpty)
    {
        for (qsizetype i = 0; i + 1 < sometimesEmpty.size(); ++i) {
            const int a = sometimesEmpty.at(i);
            const int b = sometimesEmpty.at(i + 1);
            const bool exclusive
                = std::none_of(m_rows.begin(), m_rows.end(), [&](const QStringList& row) {
                      return !row.at(a).trimmed().isEmpty() && !row.at(b).trimmed().isEmpty();
                  });
            if (!exclusive)
                continue;
            const bool bIsOut = namesSide(m_facts.at(b).words, true);
            m_mapping.outColumn = bIsOut ? b : a;
            m_mapping.inColumn = bIsOut ? a : b;
            m_mapping.directionColumn = -1;
            doubt(QStringLiteral("money out in ") + name(m_mapping.outColumn)
                + QStringLiteral(" and money in in ") + name(m_mapping.inColumn)
                + QStringLiteral(" is told by no heading"));
            return true;
        }
        return false;
    }

    // Text columns make the narration; one value on every line of a longer
    // statement is the account's name or the currency, not the line's text.
    void chooseText()
    {
        const int rows = int(m_rows.size());
        for (int c = 0; c < m_columns; ++c) {
            const ColumnFacts& f = m_facts.at(c);
            if (c == m_mapping.dateColumn || c == m_mapping.directionColumn || f.values == 0
                || f.numeric() || !f.dateOrders.isEmpty() || f.times * 2 > f.values
                || (rows >= 5 && f.constant(rows)) || anyOf(f.words, notTextWords()))
                continue;
            m_mapping.textColumns << c;
        }
    }

    const QByteArray& m_bytes;
    const char m_separator;
    QString* m_ambiguity;
    QStringList* m_doubts;
    const QDate m_today = QDate::currentDate();
    CsvMapping m_mapping;
    QStringList m_headings;
    QList<QStringList> m_rows; // the data rows of the sample, all of one width
    int m_columns = 0;
    QList<ColumnFacts> m_facts;
};

} // namespace

CsvMapping GuessCsvMapping(
    const QByteArray& bytes, QString* ambiguity, QStringList* doubts, char separator)
{
    return Guesser(bytes, ambiguity, doubts, separator).guess();
}

QStringList DescribeCsvMapping(const QByteArray& bytes, const CsvMapping& m)
{
    QStringList headings;
    if (m.header) {
        CsvRows first;
        StatementError ignored;
        ReadCsvRows(bytes, m, &first, &ignored, 1);
        headings = first.rows.value(0);
    }
    auto column = [&headings](int c) { return columnName(c, headings.value(c)); };
    QStringList out;
    if (m.skipLines > 0)
        out << QStringLiteral("skip ") + QString::number(m.skipLines)
                + QStringLiteral(" lines before the heading");
    out << QStringLiteral("separator: ")
            + (m.separator == '\t' ? QStringLiteral("tab")
                                   : QLatin1Char('"') + QLatin1Char(m.separator) + QLatin1Char('"'))
            + (m.header ? QStringLiteral(", heading row") : QStringLiteral(", no heading row"))
            + (m.decimalComma ? QStringLiteral(", decimal comma") : QString());
    out << QStringLiteral("date: ")
            + (m.dateColumn < 0 ? QStringLiteral("none")
                                : column(m.dateColumn) + QStringLiteral(", ")
                        + (m.dateOrder ? DateOrderName(*m.dateOrder)
                                       : QStringLiteral("order unknown")));
    if (m.amountColumn >= 0)
        out << QStringLiteral("amount: ") + column(m.amountColumn);
    else if (m.outColumn >= 0 && m.inColumn >= 0)
        out << QStringLiteral("money out: ") + column(m.outColumn) + QStringLiteral("; money in: ")
                + column(m.inColumn);
    else
        out << QStringLiteral("amount: none");
    if (m.directionColumn >= 0)
        out << QStringLiteral("direction: ") + column(m.directionColumn) + QStringLiteral(" (\"")
                + m.outWord + QStringLiteral("\" out, \"") + m.inWord + QStringLiteral("\" in)");
    if (m.reverseSigns)
        out << QStringLiteral("signs reversed");
    QStringList text;
    for (int c : m.textColumns)
        text << column(c);
    out << QStringLiteral("text: ")
            + (text.isEmpty() ? QStringLiteral("none") : text.join(QStringLiteral(", ")));
    if (m.referenceColumn >= 0)
        out << QStringLiteral("reference: ") + column(m.referenceColumn);
    return out;
}

} // namespace qb
