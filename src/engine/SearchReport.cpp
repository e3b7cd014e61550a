#include "engine/SearchReport.h"

#include <optional>

#include <QFile>
#include <QSet>

#include "engine/ReportPage.h"
#include "engine/ReportTemplate.h"
#include "store/BookExport.h"
#include "store/BookSchema.h"
#include "store/OutputFile.h"
#include "store/Utilities.h"

namespace qb {

namespace {

const QString kUpperAZ = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
const QString kLowerAZ = QStringLiteral("abcdefghijklmnopqrstuvwxyz");

// The narration folded to small letters: A-Z, and the capitals of the
// term's own letters beyond them. XPath 1.0 has no lower-case(); matching a
// small-letter term only needs the capitals of the letters it holds folded.
QString fold(const QString& expression, const QString& term)
{
    QString upper = kUpperAZ;
    QString lower = kLowerAZ;
    for (QChar c : term) {
        if (c.unicode() < 128 || c.isSurrogate())
            continue;
        for (const QChar capital : {c.toUpper(), c.toTitleCase()}) {
            if (capital != c && !upper.contains(capital)) {
                upper += capital;
                lower += c;
            }
        }
    }
    return QStringLiteral("translate(") + expression + QStringLiteral(", ") + XPathLiteral(upper)
        + QLatin1Char(',') + XPathLiteral(lower) + QLatin1Char(')');
}

const QString kQuote = QStringLiteral("\"");

// One details term: its condition and its summary line.
void appendTerm(const QString& term, SearchCriteria::DetailsMode mode, SearchPredicate& p)
{
    // Narrations hold only the allowed characters; a term filtered the same
    // way finds what was stored. It goes in as a string literal whatever
    // quotes it holds.
    const QString l = AllowedCharsOnly(term).trimmed().toLower();
    const QString literal = XPathLiteral(l);
    const QString narration = fold(QLatin1Char('@') + schema::kNar, l);
    const QString shown = term.toHtmlEscaped();
    switch (mode) {
    case SearchCriteria::DetailsMode::Contains:
        p.filter += QStringLiteral(" contains(") + narration + QStringLiteral(", ") + literal
            + QLatin1Char(')');
        p.summary += QStringLiteral("<BR>[Details contain ") + kQuote + shown + kQuote
            + QStringLiteral(" ]");
        break;
    case SearchCriteria::DetailsMode::Equals:
        p.filter += QStringLiteral(" ") + narration + QStringLiteral(" = ") + literal;
        p.summary += QStringLiteral("<BR>[Details equals ") + kQuote + shown + kQuote
            + QStringLiteral(" ]");
        break;
    case SearchCriteria::DetailsMode::NotContain:
        p.filter += QStringLiteral(" not (contains(") + narration + QStringLiteral(", ") + literal
            + QStringLiteral("))");
        p.summary += QStringLiteral("<BR>[Details do not contain ") + kQuote + shown + kQuote
            + QStringLiteral(" ]");
        break;
    }
}

// An amount of the amount criterion as it goes into the predicate: its
// plain number text, or, for anything else, a string literal (which
// compares as no number).
QString amountOperand(const QString& amount)
{
    const std::optional<Money> value = Money::fromNumberText(amount);
    return value && !amount.trimmed().isEmpty() ? value->toText() : XPathLiteral(amount);
}

void appendDetails(const SearchCriteria& c, SearchPredicate& p)
{
    const QString& s = c.details;
    if (!p.filter.isEmpty())
        p.filter += QStringLiteral(" and ");
    p.filter += QLatin1Char('(');
    // Capital AND or OR anywhere, even inside a word, splits the terms; AND wins.
    QString separator;
    QString joiner;
    if (s.contains(QStringLiteral("AND"), Qt::CaseSensitive)) {
        separator = QStringLiteral("AND");
        joiner = QStringLiteral(" and ");
    } else if (s.contains(QStringLiteral("OR"), Qt::CaseSensitive)) {
        separator = QStringLiteral("OR");
        joiner = QStringLiteral(" or ");
    }
    QStringList terms {s};
    if (!separator.isEmpty()) {
        p.summary += QLatin1Char('[');
        terms = s.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    }
    for (qsizetype i = 0; i < terms.size(); ++i) {
        appendTerm(terms.at(i), c.mode, p);
        if (i + 1 < terms.size())
            p.filter += joiner;
    }
    p.filter += QLatin1Char(')');
}

// Visible text of a cell: its text with runs of white space made one blank.
QString visibleText(const XmlNode& cell)
{
    QString text = cell.text();
    text.replace(QChar(0xA0), QLatin1Char(' '));
    return text.simplified();
}

bool isNamed(const XmlNode& node, const char* upper)
{
    return node.isElement() && node.name().toUpper() == QLatin1String(upper);
}

// The row's cell of class Amount.
XmlNode amountCell(const XmlNode& row)
{
    for (XmlNode cell = row.firstChildElement(); cell; cell = cell.nextSiblingElement()) {
        if (isNamed(cell, "TD")
            && cell.attribute(QStringLiteral("class"))
                   .split(QLatin1Char(' '))
                   .contains(QStringLiteral("Amount")))
            return cell;
    }
    return {};
}

bool named(const XmlNode& node, const QString& name)
{
    return node.isElement() && node.name() == name;
}

// An attribute's value when it is a plain count of digits (what the program
// writes); nothing for anything else, which XPath may still read as a
// number (" 5", "5.0", "-3"): such a transaction is always kept.
std::optional<int> plainNumber(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// A book of the account heads and of the transactions that the search's
// selection could list, in document order: what the date and account
// criteria refuse is left out, and without criteria everything outside the
// month of the last entry (the template's own selection). Whatever a plain
// reading cannot decide stays in, for the template to judge. False for a
// book of a shape the walk does not narrow and for criteria of amounts and
// details alone (the template then reads the book as it is).
bool narrowedBook(const XmlDocument& data, const SearchPredicate& p, XmlDocument* narrowed)
{
    const XmlNode root = data.documentElement();
    if (!named(root, QStringLiteral("Data")))
        return false;
    XmlNode trans;
    for (XmlNode section = root.firstChildElement(); section;
         section = section.nextSiblingElement()) {
        if (!named(section, schema::kTrans))
            continue;
        if (trans)
            return false; // each section has a table of its own
        trans = section;
    }
    if (!trans)
        return false;
    const bool criteria = !p.filter.isEmpty();
    if (criteria && !p.byDate && !p.byAccount)
        return false; // amounts and details are for the template alone
    int month = 0;
    if (!criteria) {
        XmlNode last = trans.lastChildElement();
        while (last && !named(last, schema::kTransaction))
            last = last.previousSiblingElement();
        if (!last)
            return false;
        const std::optional<int> lastDate = plainNumber(last.attribute(schema::kDate).toUtf8());
        if (!lastDate)
            return false;
        month = *lastDate / 100;
    }
    const QSet<int> accounts(p.accounts.cbegin(), p.accounts.cend());
    const auto heldBy
        = [&accounts](const std::optional<int>& code) { return !code || accounts.contains(*code); };
    const auto couldList = [&](const BookTransaction& t) {
        const std::optional<int> dt = plainNumber(t.date);
        if (!criteria)
            return !dt || *dt / 100 == month;
        if (p.byDate && dt && (*dt < p.fromDate || *dt > p.toDate))
            return false;
        if (!p.byAccount)
            return true;
        switch (p.side) {
        case SearchCriteria::Side::FromOnly:
            return heldBy(plainNumber(t.from));
        case SearchCriteria::Side::ToOnly:
            return heldBy(plainNumber(t.to));
        case SearchCriteria::Side::FromOrTo:
            break;
        }
        return heldBy(plainNumber(t.from)) || heldBy(plainNumber(t.to));
    };
    // The positions the walk keeps, then one pass along the section to copy them.
    QList<int> keep;
    ForEachTransaction(trans, [&](const BookTransaction& t) {
        if (couldList(t))
            keep.append(t.position);
    });

    if (!narrowed->loadXml(QByteArrayLiteral("<Data><AcMaster/><Trans/></Data>")))
        return false;
    XmlNode heads = narrowed->documentElement().firstChildElement();
    XmlNode kept = heads.nextSiblingElement();
    for (XmlNode section = root.firstChildElement(); section;
         section = section.nextSiblingElement()) {
        if (!named(section, schema::kAcMaster))
            continue;
        for (XmlNode a = section.firstChildElement(); a; a = a.nextSiblingElement()) {
            if (named(a, schema::kAccount))
                heads.appendCopy(a);
        }
    }
    int position = 0;
    qsizetype next = 0;
    for (XmlNode t = trans.firstChildElement(); t && next < keep.size();
         t = t.nextSiblingElement()) {
        if (++position != keep.at(next))
            continue;
        ++next;
        if (named(t, schema::kTransaction))
            kept.appendCopy(t);
    }
    return true;
}

} // namespace

QStringList SearchAmountOperators()
{
    return {QStringLiteral("="), QStringLiteral(">="), QStringLiteral("<="), QStringLiteral(">"),
        QStringLiteral("<"), SearchInRange()};
}

QString SearchPredicate::selection() const
{
    return filter.isEmpty() ? QString() : QStringLiteral("t[") + filter + QLatin1Char(']');
}

SearchPredicate BuildSearchPredicate(const SearchCriteria& c, const QLocale& locale)
{
    SearchPredicate p;
    if (c.byDate) {
        p.byDate = true;
        p.fromDate = DateToDocDate(c.from);
        p.toDate = DateToDocDate(c.to);
        p.filter = QLatin1Char('@') + schema::kDate + QStringLiteral(" >= ")
            + QString::number(DateToDocDate(c.from)) + QStringLiteral(" and @") + schema::kDate
            + QStringLiteral(" <= ") + QString::number(DateToDocDate(c.to));
        p.summary = QStringLiteral("<BR>[Date : ") + locale.toString(c.from, QLocale::ShortFormat)
            + QStringLiteral(" - ") + locale.toString(c.to, QLocale::ShortFormat)
            + QStringLiteral(" ]");
    }
    if (c.byAccount && !c.accounts.isEmpty()) {
        p.byAccount = true;
        p.side = c.side;
        for (const SearchCriteria::Account& a : c.accounts)
            p.accounts.append(a.code);
        switch (c.side) {
        case SearchCriteria::Side::FromOnly:
            p.summary += QStringLiteral("<BR>[Account(From) : ");
            break;
        case SearchCriteria::Side::ToOnly:
            p.summary += QStringLiteral("<BR>[Account(To) : ");
            break;
        case SearchCriteria::Side::FromOrTo:
            p.summary += QStringLiteral("<BR>[Account : ");
            break;
        }
        QString accounts;
        for (const SearchCriteria::Account& a : c.accounts) {
            const QString code = QString::number(a.code);
            if (!accounts.isEmpty()) {
                accounts += QStringLiteral(" or ");
                p.summary += QStringLiteral(", ");
            }
            switch (c.side) {
            case SearchCriteria::Side::FromOnly:
                accounts += QStringLiteral(" @") + schema::kFrom + QStringLiteral(" = ") + code;
                break;
            case SearchCriteria::Side::ToOnly:
                accounts += QStringLiteral(" @") + schema::kTo + QStringLiteral(" = ") + code;
                break;
            case SearchCriteria::Side::FromOrTo:
                accounts += QStringLiteral(" @") + schema::kFrom + QStringLiteral(" = ") + code
                    + QStringLiteral(" or ") + QStringLiteral(" @") + schema::kTo
                    + QStringLiteral(" = ") + code;
                break;
            }
            p.summary += a.name.toHtmlEscaped() + QLatin1Char(' ');
        }
        p.summary += QLatin1Char(']');
        if (!p.filter.isEmpty())
            p.filter += QStringLiteral(" and ");
        p.filter += QStringLiteral(" (") + accounts + QLatin1Char(')');
    }
    if (c.byAmount) {
        if (!p.filter.isEmpty())
            p.filter += QStringLiteral(" and ");
        if (c.op == SearchInRange()) {
            p.filter += QStringLiteral(" . >=") + amountOperand(c.amount) + QStringLiteral(" and ")
                + QStringLiteral(" . <= ") + amountOperand(c.toAmount);
            p.summary += QStringLiteral("<BR>[Amt between ") + c.amount.toHtmlEscaped()
                + QStringLiteral(" and ") + c.toAmount.toHtmlEscaped() + QStringLiteral(" ]");
        } else {
            const QString op = SearchAmountOperators().contains(c.op) ? c.op : QStringLiteral("=");
            p.filter += QStringLiteral(" . ") + op + amountOperand(c.amount);
            p.summary += QStringLiteral("<BR>[Amt ") + op + QLatin1Char(' ')
                + c.amount.toHtmlEscaped() + QStringLiteral(" ]");
        }
    }
    if (c.byDetails && !c.details.isEmpty())
        appendDetails(c, p);
    if (c.byStatus) {
        if (!p.filter.isEmpty())
            p.filter += QStringLiteral(" and ");
        const QString status = QLatin1Char('@') + schema::kStatus + QStringLiteral(" = ");
        const QString cleared = status + XPathLiteral(schema::kStatusCleared);
        const QString reconciled = status + XPathLiteral(schema::kStatusReconciled);
        switch (c.status) {
        case TransactionStatus::NotCleared:
            p.filter += QStringLiteral(" not(") + cleared + QStringLiteral(" or ") + reconciled
                + QLatin1Char(')');
            break;
        case TransactionStatus::Cleared:
            p.filter += cleared;
            break;
        case TransactionStatus::Reconciled:
            p.filter += reconciled;
            break;
        }
        p.summary += QStringLiteral("<BR>[Status : ") + StatusWord(c.status) + QStringLiteral(" ]");
    }
    return p;
}

QString SearchTitle(const QString& summary)
{
    return QStringLiteral("<B>Search results ") + summary + QStringLiteral("</B>");
}

bool SearchReport::load(Error*)
{
    return true;
}

bool SearchReport::run(const XmlDocument& data, const SearchPredicate& predicate,
    const QString& dateExpression, Error* error)
{
    ReportTemplate search;
    if (!search.load(QStringLiteral("Search"), error))
        return false;
    const QString applyTemplates = QStringLiteral("//xsl:apply-templates");
    const QString selection = predicate.selection();
    if (!selection.isEmpty() && !search.setAttributeOfMatch(applyTemplates, 1, 0, selection, error))
        return false;
    if (!search.setDateFormatAt(1, dateExpression, error))
        return false;
    XmlDocument narrowed;
    const XmlDocument& source = narrowedBook(data, predicate, &narrowed) ? narrowed : data;
    XmlDocument result;
    if (!search.transformToDocument(source.documentElement(), &result, error))
        return false;
    if (result.documentElement().isNull())
        return ReportFailure(
            error, kMissingElement, QStringLiteral("The search template gave no page"));

    // The template's word on what it lists without criteria.
    if (!selection.isEmpty()) {
        XmlNode note = result.selectSingleNode(QStringLiteral("//DIV[@id='DefaultListing']"));
        if (note)
            note.parent().removeChild(note);
    }

    XmlNode totalCell = result.selectSingleNode(QStringLiteral("//TD[@id='Total']"));
    XmlNode countCell = result.selectSingleNode(QStringLiteral("//TD[@id='EntryCount']"));
    if (totalCell.isNull() || countCell.isNull())
        return ReportFailure(error, kMissingElement,
            QStringLiteral("The search template has no Total or EntryCount cell"));
    // Each row's amount read once, shown as every page shows figures and
    // added exactly; the total is rounded once, for display.
    FigureSum total;
    const QList<XmlNode> rows = result.selectNodes(QStringLiteral("//TR[@id='datarow']"));
    for (const XmlNode& row : rows) {
        XmlNode cell = amountCell(row);
        if (cell.isNull())
            continue;
        const std::optional<Money> amount = Money::parse(cell.text());
        FigureSum figure;
        if (amount)
            figure.add(*amount);
        else
            figure.markUnreadable();
        cell.setText(figure.grouped());
        total.add(figure);
    }
    totalCell.setText(total.grouped());
    const int count = int(rows.size());
    countCell.setText(QStringLiteral("No of entries : ") + QString::number(count));

    m_result = std::move(result);
    m_count = count;
    m_total = total;
    return true;
}

QString SearchReport::page(const QString& summary) const
{
    QString text = m_result.documentElement().xml();
    ReplaceReportTitle(text, SearchTitle(summary));
    return text;
}

QByteArray SearchCsv(const XmlDocument& result)
{
    QByteArray lines;
    const XmlNode table = result.selectSingleNode(QStringLiteral("(//TABLE | //table)[1]"));
    QList<XmlNode> rows;
    for (XmlNode row = table.firstChildElement(); row; row = row.nextSiblingElement()) {
        if (isNamed(row, "TR"))
            rows.append(row);
        else if (isNamed(row, "TBODY") || isNamed(row, "THEAD") || isNamed(row, "TFOOT")) {
            for (XmlNode r = row.firstChildElement(); r; r = r.nextSiblingElement()) {
                if (isNamed(r, "TR"))
                    rows.append(r);
            }
        }
    }
    for (qsizetype r = 1; r + 1 < rows.size(); ++r) {
        QStringList cells;
        for (XmlNode cell = rows.at(r).firstChildElement(); cell && cells.size() < 5;
             cell = cell.nextSiblingElement()) {
            if (!isNamed(cell, "TD") && !isNamed(cell, "TH"))
                continue;
            QString text = visibleText(cell);
            if (cells.size() == 3) {
                text.remove(QLatin1Char(','));
            } else {
                // Text cells only: the amount is a figure, and stays one.
                text.replace(QLatin1Char(','), QLatin1Char(' '));
                text = SpreadsheetSafe(text);
            }
            cells.append(text);
        }
        while (cells.size() < 5)
            cells.append(QString());
        lines += cells.join(QLatin1Char(',')).toLocal8Bit() + "\r\n";
    }
    return lines;
}

bool WriteSearchCsv(const QString& path, const QByteArray& lines, Error* error)
{
    // A regular file is written beside the target and renamed over it, so
    // that a failed write leaves an existing file as it was; a device or
    // FIFO is written in place.
    return WriteOutputFile(path, lines, error);
}

QString CsvFileName(const QString& path)
{
    return path.toLower().endsWith(QStringLiteral(".csv")) ? path : path + QStringLiteral(".csv");
}

} // namespace qb
