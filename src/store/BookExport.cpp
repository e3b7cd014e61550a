#include "store/BookExport.h"

#include <algorithm>

#include <QHash>
#include <QList>
#include <QSet>

#include "store/BookCheck.h"
#include "store/BookSchema.h"
#include "store/Money.h"
#include "store/Reconcile.h"
#include "store/Utilities.h"
#include "store/Xml.h"

namespace qb {

namespace {

struct Row
{
    int date = 0;
    int number = 0;
    int from = 0;
    int to = 0;
    Money amount;
    QString narration;
    TransactionStatus status = TransactionStatus::NotCleared;
};

// ledger and hledger: "* " reconciled, "! " cleared (pending: the bank has
// it, no statement has confirmed it yet), nothing when not cleared.
QString ledgerMark(TransactionStatus status)
{
    switch (status) {
    case TransactionStatus::Reconciled:
        return QStringLiteral("* ");
    case TransactionStatus::Cleared:
        return QStringLiteral("! ");
    case TransactionStatus::NotCleared:
        break;
    }
    return {};
}

// beancount's flag: "*" for what the bank has (cleared or reconciled),
// "!" for what it has not yet.
QString beancountFlag(TransactionStatus status)
{
    return status == TransactionStatus::NotCleared ? QStringLiteral("!") : QStringLiteral("*");
}

// The account the opening balances of a date-limited export are set against.
const char kLedgerOpening[] = "Equity:Opening Balances";
const char kBeancountOpening[] = "Equity:Opening-Balances";

QString isoDate(int docDate)
{
    return DocDateToDate(docDate).toString(QStringLiteral("yyyy-MM-dd"));
}

// A document date: eight digits that make a calendar date; 0 otherwise.
int documentDate(const QString& text)
{
    if (text.size() != 8)
        return 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    const int date = text.toInt();
    return DocDateToDate(date).isValid() ? date : 0;
}

// An account code: digits that make a number of 1 or more; 0 otherwise.
int accountCode(const QString& text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    }
    bool ok = false;
    const int code = text.toInt(&ok);
    return ok && code > 0 ? code : 0;
}

// Every text on one line: line breaks, tabs and other control characters
// (a hand-edited book may hold them) become blanks.
QString oneLine(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return out;
}

// ledger: a colon starts a sub-account, two blanks end the name, brackets and
// parentheses make a virtual account, a semicolon starts a note, and a "*" or
// "!" at the start is read as the posting's status.
QString ledgerName(const QString& name)
{
    QString out;
    for (QChar c : oneLine(name).simplified()) {
        if (c == QLatin1Char(':') || c == QLatin1Char(';') || c == QLatin1Char('(')
            || c == QLatin1Char(')') || c == QLatin1Char('[') || c == QLatin1Char(']')
            || c == QLatin1Char('@') || c == QLatin1Char('=') || c == QLatin1Char('|'))
            out += QLatin1Char('-');
        else
            out += c;
    }
    if (out.startsWith(QLatin1Char('*')) || out.startsWith(QLatin1Char('!')))
        out[0] = QLatin1Char('-');
    return out.isEmpty() ? QStringLiteral("Account") : out;
}

// beancount: Assets:Component, the component a capital letter followed by
// letters, digits and dashes.
QString beancountName(const QString& name)
{
    QString out;
    for (QChar c : name) {
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            out += c;
        else if (!out.isEmpty() && !out.endsWith(QLatin1Char('-')))
            out += QLatin1Char('-');
    }
    while (out.endsWith(QLatin1Char('-')))
        out.chop(1);
    if (out.isEmpty() || !out.at(0).isUpper())
        out.prepend(QStringLiteral("A-"));
    return QStringLiteral("Assets:") + out;
}

// CSV keeps the name as the book has it, on one line and safe to open in a
// spreadsheet.
QString csvName(const QString& name)
{
    return SpreadsheetSafe(oneLine(name));
}

// A payee line of ledger: one line, blanks single (two blanks and a
// semicolon would start a note), no semicolon (hledger ends the payee there).
QString ledgerPayee(const QString& narration)
{
    const QString text
        = oneLine(narration).simplified().replace(QLatin1Char(';'), QLatin1Char(','));
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString quotedString(const QString& text)
{
    QString out = oneLine(text);
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// Gives every account a name of its own: accounts whose names the target
// would read as one (letter case ignored) get their code added, and a name
// so made is tried against every name already given, real or made, until
// no other account has it.
QHash<int, QString> uniqueNames(
    const QList<int>& codes, const QHash<int, QString>& names, const QString& mark)
{
    QHash<QString, int> uses;
    for (int code : codes)
        ++uses[names.value(code).toLower()];
    QSet<QString> taken;
    QHash<int, QString> out;
    for (int code : codes) {
        if (uses.value(names.value(code).toLower()) == 1) {
            out.insert(code, names.value(code));
            taken.insert(names.value(code).toLower());
        }
    }
    for (int code : codes) {
        if (out.contains(code))
            continue;
        const QString stem = names.value(code) + mark + QString::number(code);
        QString name = stem;
        for (int n = 2; taken.contains(name.toLower()); ++n)
            name = stem + QLatin1Char('-') + QString::number(n);
        taken.insert(name.toLower());
        out.insert(code, name);
    }
    return out;
}

// What "qbtool check" says about the transaction at this position in Trans.
QString checkMessage(const XmlDocument& book, int position)
{
    const QString prefix
        = QStringLiteral("transaction ") + QString::number(position) + QStringLiteral(" (");
    QString message;
    for (const QString& line : BookCheck::problems(book)) {
        if (!line.startsWith(prefix))
            continue;
        // "transaction 3 (dt x, No 1): one; another": the record named once.
        message += message.isEmpty()
            ? line
            : QStringLiteral("; ") + line.mid(line.indexOf(QStringLiteral("): ")) + 3);
    }
    return message;
}

} // namespace

QString SpreadsheetSafe(const QString& text)
{
    const QString start = text.trimmed().left(1);
    if (start == QStringLiteral("=") || start == QStringLiteral("+") || start == QStringLiteral("-")
        || start == QStringLiteral("@"))
        return QLatin1Char('\'') + text;
    return text;
}

bool ExportBook(const XmlDocument& book, ExportFormat format, const ExportRange& range,
    QString* text, QString* error)
{
    const XmlNode root = book.documentElement();
    QHash<int, QString> names;
    QList<int> codes;
    QList<Row> rows;
    // The balance of each account from the transactions before the from date.
    QHash<int, MoneySum> opening;
    for (XmlNode section = root.firstChildElement(); section;
         section = section.nextSiblingElement()) {
        if (section.name() != schema::kAcMaster)
            continue;
        for (XmlNode a = section.firstChildElement(); a; a = a.nextSiblingElement()) {
            const int code = accountCode(a.attribute(schema::kCode));
            if (code == 0 || names.contains(code))
                continue; // "qbtool check" lists it; transactions cannot name it
            names.insert(code, a.attribute(schema::kAcName));
            codes.append(code);
        }
    }
    bool failed = false;
    ForEachTransaction(book, [&](const BookTransaction& t) {
        if (failed)
            return;
        Row row;
        row.date = documentDate(QString::fromUtf8(t.date));
        const bool before = row.date && range.from && row.date < range.from;
        if (row.date && range.to && row.date > range.to)
            return;
        row.number = QString::fromUtf8(t.no).toInt();
        row.from = accountCode(QString::fromUtf8(t.from));
        row.to = accountCode(QString::fromUtf8(t.to));
        row.narration = QString::fromUtf8(t.narration);
        row.status = StatusFromText(t.status);
        const std::optional<Money> amount = t.amount();
        if (!row.date || !amount || !names.contains(row.from) || !names.contains(row.to)) {
            const QString message = checkMessage(book, t.position);
            *error = !message.isEmpty()
                ? message
                : QStringLiteral("transaction ") + QString::number(t.position)
                    + QStringLiteral(" has a date, an amount or an account that cannot be "
                                     "written (\"qbtool check\" tells more)");
            failed = true;
            return;
        }
        row.amount = *amount;
        if (before) {
            opening[row.to].add(row.amount);
            opening[row.from].subtract(row.amount);
        } else {
            rows.append(row);
        }
    });
    if (failed)
        return false;
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.date != b.date ? a.date < b.date : a.number < b.number;
    });

    // Each account a name of its own in the target, and the opening balances
    // in the book's order of the accounts.
    QHash<int, QString> sanitised;
    for (int code : codes) {
        const QString name = names.value(code);
        sanitised.insert(code,
            format == ExportFormat::Ledger          ? ledgerName(name)
                : format == ExportFormat::Beancount ? beancountName(name)
                                                    : csvName(name));
    }
    const QHash<int, QString> target = uniqueNames(codes, sanitised,
        format == ExportFormat::Beancount ? QStringLiteral("-C") : QStringLiteral(" #"));
    QList<QPair<int, Money>> balances;
    for (int code : codes) {
        const MoneySum sum = opening.value(code);
        if (sum.overflowed()) {
            *error = QStringLiteral("the balance of account ") + QString::number(code)
                + QStringLiteral(" before ") + isoDate(range.from)
                + QStringLiteral(" is beyond the range of amounts");
            return false;
        }
        if (!sum.value()->isZero())
            balances.append({code, *sum.value()});
    }
    const QString from = range.from ? isoDate(range.from) : QString();
    // A date-limited journal says what it holds in comment lines at the top.
    QString heading;
    if (range.from || range.to) {
        const QString period = !range.from ? QString(QStringLiteral("up to ") + isoDate(range.to))
            : !range.to
            ? QString(QStringLiteral("from ") + from + QStringLiteral(" on"))
            : QString(QStringLiteral("from ") + from + QStringLiteral(" to ") + isoDate(range.to));
        heading = QStringLiteral("; Transactions ") + period + QStringLiteral(".\n");
    }
    if (range.from) {
        const QString account
            = QLatin1String(format == ExportFormat::Ledger ? kLedgerOpening : kBeancountOpening);
        heading += QStringLiteral("; Opening balances as of ") + from
            + (balances.isEmpty()
                    ? QStringLiteral(": none, no account has a balance before that day.\n")
                    : QString(QStringLiteral(": each account's balance from the transactions "
                                             "before that day, in one transaction against ")
                        + account + QStringLiteral(".\n")));
    }
    if (!heading.isEmpty())
        heading += QLatin1Char('\n');

    QString out;
    switch (format) {
    case ExportFormat::Csv:
        out += QStringLiteral("date,number,from,to,amount,narration\r\n");
        for (const Row& r : rows)
            out += isoDate(r.date) + QLatin1Char(',') + QString::number(r.number) + QLatin1Char(',')
                + csvField(target.value(r.from)) + QLatin1Char(',') + csvField(target.value(r.to))
                + QLatin1Char(',') + r.amount.toText() + QLatin1Char(',')
                + csvField(SpreadsheetSafe(oneLine(r.narration))) + QStringLiteral("\r\n");
        break;
    case ExportFormat::Ledger:
        out += heading;
        if (!balances.isEmpty()) {
            out += from + QStringLiteral(" Opening balances\n");
            for (const auto& [code, balance] : balances)
                out += QStringLiteral("    ") + target.value(code) + QStringLiteral("    ")
                    + balance.toText() + QLatin1Char('\n');
            out += QStringLiteral("    ") + QLatin1String(kLedgerOpening) + QStringLiteral("\n\n");
        }
        for (const Row& r : rows)
            out += isoDate(r.date) + QLatin1Char(' ') + ledgerMark(r.status) + QLatin1Char('(')
                + QString::number(r.number) + QStringLiteral(") ") + ledgerPayee(r.narration)
                + QStringLiteral("\n    ") + target.value(r.to) + QStringLiteral("    ")
                + r.amount.toText() + QStringLiteral("\n    ") + target.value(r.from)
                + QStringLiteral("    ") + (-r.amount).toText() + QStringLiteral("\n\n");
        break;
    case ExportFormat::Beancount: {
        // Every account is open from the first day written.
        const QString first = range.from ? from
            : rows.isEmpty()             ? QStringLiteral("1970-01-01")
                                         : isoDate(rows.first().date);
        out += heading + QStringLiteral("option \"operating_currency\" \"QB\"\n\n");
        for (int code : codes)
            out += first + QStringLiteral(" open ") + target.value(code) + QStringLiteral(" QB\n");
        if (!balances.isEmpty()) {
            out += first + QStringLiteral(" open ") + QLatin1String(kBeancountOpening)
                + QStringLiteral(" QB\n\n") + first + QStringLiteral(" * \"Opening balances\"\n");
            for (const auto& [code, balance] : balances)
                out += QStringLiteral("  ") + target.value(code) + QStringLiteral("  ")
                    + balance.toText() + QStringLiteral(" QB\n");
            out += QStringLiteral("  ") + QLatin1String(kBeancountOpening) + QLatin1Char('\n');
        }
        out += QLatin1Char('\n');
        for (const Row& r : rows)
            out += isoDate(r.date) + QLatin1Char(' ') + beancountFlag(r.status) + QLatin1Char(' ')
                + quotedString(r.narration) + QStringLiteral("\n  number: \"")
                + QString::number(r.number) + QStringLiteral("\"\n  ") + target.value(r.to)
                + QStringLiteral("  ") + r.amount.toText() + QStringLiteral(" QB\n  ")
                + target.value(r.from) + QStringLiteral("  ") + (-r.amount).toText()
                + QStringLiteral(" QB\n\n");
        break;
    }
    }
    *text = out;
    return true;
}

} // namespace qb
