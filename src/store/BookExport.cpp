#include "BookExport.h"

#include <algorithm>

#include <QHash>
#include <QList>
#include <QSet>

#include "Money.h"
#include "Utilities.h"
#include "Xml.h"

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
};

QString isoDate(int docDate)
{
    return DocDateToDate(docDate).toString(QStringLiteral("yyyy-MM-dd"));
}

// ledger: a colon starts a sub-account, two blanks end the name, brackets and
// parentheses at the start make a virtual account, a semicolon starts a note.
QString ledgerName(const QString& name)
{
    QString out;
    for (QChar c : name.simplified()) {
        if (c == QLatin1Char(':') || c == QLatin1Char(';') || c == QLatin1Char('(') || c == QLatin1Char(')')
            || c == QLatin1Char('[') || c == QLatin1Char(']') || c == QLatin1Char('@')
            || c == QLatin1Char('=') || c == QLatin1Char('|'))
            out += QLatin1Char('-');
        else
            out += c;
    }
    return out.isEmpty() ? QStringLiteral("Account") : out;
}

// beancount: Assets:Component, the component a capital letter followed by
// letters, digits and dashes.
QString beancountName(const QString& name)
{
    QString out;
    for (QChar c : name) {
        if ((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
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

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"'))
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString quotedString(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    out.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

} // namespace

bool ExportBook(const XmlDocument& book, ExportFormat format, const ExportRange& range,
                QString* text, QString* error)
{
    const XmlNode root = book.documentElement();
    QHash<int, QString> names;
    QList<int> codes;
    QList<Row> rows;
    for (XmlNode section = root.firstChildElement(); section; section = section.nextSiblingElement()) {
        if (section.name() == QStringLiteral("AcMaster")) {
            for (XmlNode a = section.firstChildElement(); a; a = a.nextSiblingElement()) {
                const int code = a.attribute(QStringLiteral("Code")).toInt();
                names.insert(code, a.attribute(QStringLiteral("AcName")));
                codes.append(code);
            }
        } else if (section.name() == QStringLiteral("Trans")) {
            for (XmlNode t = section.firstChildElement(); t; t = t.nextSiblingElement()) {
                Row row;
                row.date = t.attribute(QStringLiteral("dt")).toInt();
                if ((range.from && row.date < range.from) || (range.to && row.date > range.to))
                    continue;
                row.number = t.attribute(QStringLiteral("No")).toInt();
                row.from = t.attribute(QStringLiteral("fAc")).toInt();
                row.to = t.attribute(QStringLiteral("tAc")).toInt();
                row.narration = t.attribute(QStringLiteral("Nar"));
                const std::optional<Money> amount = Money::parse(t.text().trimmed());
                if (!amount || !names.contains(row.from) || !names.contains(row.to)) {
                    *error = QStringLiteral("transaction ") + QString::number(row.number)
                        + QStringLiteral(" of ") + QString::number(row.date)
                        + QStringLiteral(" has an amount or an account that cannot be written "
                                         "(\"qbtool check\" tells more)");
                    return false;
                }
                row.amount = *amount;
                rows.append(row);
            }
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        return a.date != b.date ? a.date < b.date : a.number < b.number;
    });

    // Every account a name of its own in the target: a name that two accounts
    // would share gets the account code added.
    QHash<int, QString> target;
    QHash<QString, int> uses;
    for (int code : codes) {
        const QString name = format == ExportFormat::Ledger ? ledgerName(names.value(code))
            : format == ExportFormat::Beancount             ? beancountName(names.value(code))
                                                            : names.value(code);
        target.insert(code, name);
        ++uses[format == ExportFormat::Csv ? name : name.toLower()];
    }
    if (format != ExportFormat::Csv) {
        for (int code : codes) {
            if (uses.value(target.value(code).toLower()) > 1)
                target[code] += (format == ExportFormat::Ledger ? QStringLiteral(" #") : QStringLiteral("-C"))
                    + QString::number(code);
        }
    }

    QString out;
    switch (format) {
    case ExportFormat::Csv:
        out += QStringLiteral("date,number,from,to,amount,narration\r\n");
        for (const Row& r : rows)
            out += isoDate(r.date) + QLatin1Char(',') + QString::number(r.number) + QLatin1Char(',')
                + csvField(target.value(r.from)) + QLatin1Char(',') + csvField(target.value(r.to))
                + QLatin1Char(',') + r.amount.toText() + QLatin1Char(',') + csvField(r.narration)
                + QStringLiteral("\r\n");
        break;
    case ExportFormat::Ledger:
        for (const Row& r : rows)
            out += isoDate(r.date) + QStringLiteral(" (") + QString::number(r.number) + QStringLiteral(") ")
                + (r.narration.isEmpty() ? QStringLiteral("-") : r.narration) + QStringLiteral("\n    ")
                + target.value(r.to) + QStringLiteral("    ") + r.amount.toText() + QStringLiteral("\n    ")
                + target.value(r.from) + QStringLiteral("    ") + (-r.amount).toText() + QStringLiteral("\n\n");
        break;
    case ExportFormat::Beancount: {
        const QString first = rows.isEmpty() ? QStringLiteral("1970-01-01") : isoDate(rows.first().date);
        out += QStringLiteral("option \"operating_currency\" \"QB\"\n\n");
        for (int code : codes)
            out += first + QStringLiteral(" open ") + target.value(code) + QStringLiteral(" QB\n");
        out += QLatin1Char('\n');
        for (const Row& r : rows)
            out += isoDate(r.date) + QStringLiteral(" * ") + quotedString(r.narration)
                + QStringLiteral("\n  number: \"") + QString::number(r.number) + QStringLiteral("\"\n  ")
                + target.value(r.to) + QStringLiteral("  ") + r.amount.toText() + QStringLiteral(" QB\n  ")
                + target.value(r.from) + QStringLiteral("  ") + (-r.amount).toText()
                + QStringLiteral(" QB\n\n");
        break;
    }
    }
    *text = out;
    return true;
}

} // namespace qb
