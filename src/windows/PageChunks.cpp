#include "windows/PageChunks.h"

#include <algorithm>

#include <QList>
#include <QRegularExpression>

namespace qb {

namespace {

bool isNameEnd(QChar c)
{
    return c.isSpace() || c == QLatin1Char('>') || c == QLatin1Char('/');
}

// Whether the tag at text[at] == '<' (after an optional '/') is named name.
bool tagIs(QStringView text, qsizetype at, bool closing, QLatin1String name)
{
    const qsizetype start = at + (closing ? 2 : 1);
    const qsizetype end = start + name.size();
    return end < text.size() && text.mid(start, name.size()).compare(name, Qt::CaseInsensitive) == 0
        && isNameEnd(text[end]);
}

// The end of the tag that starts at text[at]: the position after its '>'.
// Quoted attribute values may hold '>'.
qsizetype tagEnd(QStringView text, qsizetype at)
{
    QChar quote;
    for (qsizetype i = at + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            return i + 1;
        }
    }
    return text.size();
}

// Rows from the start and from the end of the first cut table in the sample
// that its widths are measured on.
constexpr int kSampleRows = 40;

struct TopTable
{
    QString startTag;
    QList<qsizetype> rowStarts; // its own rows, not those of nested tables
    qsizetype start = 0;
    qsizetype end = 0; // after its closing tag (or the end of the page)
};

struct Cut
{
    qsizetype at;
    const TopTable* table;
};

} // namespace

PageChunks CutLongTables(const QString& page, int rowsPerTable)
{
    Q_ASSERT(rowsPerTable > kSampleRows);
    PageChunks chunks;
    const QStringView text(page);
    QList<TopTable> tables;
    int depth = 0;
    qsizetype at = text.indexOf(QLatin1Char('<'));
    while (at >= 0) {
        if (text.mid(at, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), at + 4);
            if (end < 0)
                break;
            at = text.indexOf(QLatin1Char('<'), end + 3);
            continue;
        }
        const bool closing = at + 1 < text.size() && text[at + 1] == QLatin1Char('/');
        const qsizetype next = tagEnd(text, at);
        if (tagIs(text, at, closing, QLatin1String("TABLE"))) {
            if (closing) {
                if (depth == 1)
                    tables.last().end = next;
                depth = qMax(0, depth - 1);
            } else if (text[next - 2] != QLatin1Char('/')) { // <TABLE/> holds nothing
                if (++depth == 1) {
                    TopTable table;
                    table.startTag = text.mid(at, next - at).toString();
                    table.start = at;
                    table.end = text.size();
                    tables.append(table);
                }
            }
        } else if (!closing && tagIs(text, at, false, QLatin1String("TR"))) {
            ++chunks.rows;
            if (depth == 1)
                tables.last().rowStarts.append(at);
        }
        at = text.indexOf(QLatin1Char('<'), next);
    }

    QList<Cut> cuts;
    for (const TopTable& table : tables) {
        if (table.rowStarts.size() <= rowsPerTable
            || text.mid(table.start, table.end - table.start)
                   .contains(QLatin1String("rowspan"), Qt::CaseInsensitive))
            continue;
        for (qsizetype row = rowsPerTable; row < table.rowStarts.size(); row += rowsPerTable)
            cuts.append({table.rowStarts.at(row), &table});
    }
    if (cuts.isEmpty()) {
        chunks.first = page;
        chunks.whole = page;
        return chunks;
    }

    // Every piece carries the page's style elements: a piece is parsed on
    // its own and would otherwise lose the class rules.
    static const QRegularExpression styleElement(QStringLiteral("<style\\b.*?</style\\s*>"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QString styles;
    const QString head = page.left(cuts.first().at);
    for (QRegularExpressionMatchIterator it = styleElement.globalMatch(head); it.hasNext();)
        styles += it.next().captured(0);
    const QString open = QStringLiteral("<HTML><HEAD>") + styles + QStringLiteral("</HEAD><BODY>");

    chunks.first = page.left(cuts.first().at) + QStringLiteral("</TABLE>");
    chunks.firstTableAt = cuts.first().table->start;
    // Its first rows and its last ones, which often hold the widest figures.
    const TopTable& cutFirst = *cuts.first().table;
    const qsizetype lastRows = cutFirst.rowStarts.at(
        std::max<qsizetype>(kSampleRows, cutFirst.rowStarts.size() - kSampleRows));
    chunks.sample = page.left(cutFirst.rowStarts.at(kSampleRows))
        + text.mid(lastRows, cutFirst.end - lastRows);
    if (cutFirst.end == page.size())
        chunks.sample += QStringLiteral("</TABLE>");
    for (qsizetype i = 0; i < cuts.size(); ++i) {
        const bool last = i + 1 == cuts.size();
        const qsizetype end = last ? page.size() : cuts.at(i + 1).at;
        const QString body
            = cuts.at(i).table->startTag + text.mid(cuts.at(i).at, end - cuts.at(i).at);
        chunks.restBodies.append(body);
        chunks.continuesFirstTable.append(cuts.at(i).table == cuts.first().table);
        chunks.rest.append(
            open + body + (last ? QString() : QStringLiteral("</TABLE></BODY></HTML>")));
    }
    chunks.whole.reserve(page.size() + cuts.size() * 100);
    qsizetype from = 0;
    for (const Cut& cut : cuts) {
        chunks.whole += text.mid(from, cut.at - from);
        chunks.whole += QStringLiteral("</TABLE>") + cut.table->startTag;
        from = cut.at;
    }
    chunks.whole += text.mid(from);
    return chunks;
}

QString WithColumnWidths(const QString& piece, qsizetype from, const QStringList& widths)
{
    constexpr int kRowsLooked = 5;
    const QStringView text(piece);
    qsizetype at = text.indexOf(QLatin1Char('<'), from);
    int depth = 0;
    int rowsSeen = 0;
    QList<qsizetype> cellEnds; // start of each cell tag of the row
    QList<qsizetype> cellTagEnds;
    bool usable = false;
    bool inRow = false;
    auto rowDone = [&] {
        if (inRow && usable && cellEnds.size() == widths.size())
            return true;
        inRow = false;
        cellEnds.clear();
        cellTagEnds.clear();
        return false;
    };
    while (at >= 0) {
        const bool closing = at + 1 < text.size() && text[at + 1] == QLatin1Char('/');
        const qsizetype next = tagEnd(text, at);
        if (tagIs(text, at, closing, QLatin1String("TABLE"))) {
            if (closing && depth == 1 && rowDone())
                break;
            depth += closing ? -1 : 1;
            if (depth <= 0)
                break;
        } else if (depth == 1 && tagIs(text, at, closing, QLatin1String("TR"))) {
            if (rowDone())
                break;
            if (!closing) {
                if (++rowsSeen > kRowsLooked)
                    break;
                inRow = true;
                usable = true;
            }
        } else if (depth == 1 && inRow && !closing
            && (tagIs(text, at, false, QLatin1String("TD"))
                || tagIs(text, at, false, QLatin1String("TH")))) {
            const QStringView tag = text.mid(at, next - at);
            if (tag.contains(QLatin1String("colspan"), Qt::CaseInsensitive))
                usable = false;
            cellEnds.append(at);
            cellTagEnds.append(next);
        }
        at = text.indexOf(QLatin1Char('<'), next);
    }
    if (!(inRow && usable && cellEnds.size() == widths.size()))
        return piece;
    // A width the cell had is replaced: every part must have the same columns.
    static const QRegularExpression ownWidth(
        QStringLiteral("\\swidth\\s*=\\s*(\"[^\"]*\"|'[^']*'|[^\\s>]+)"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = piece;
    for (qsizetype i = cellEnds.size() - 1; i >= 0; --i) {
        QString tag = out.mid(cellEnds.at(i), cellTagEnds.at(i) - cellEnds.at(i));
        tag.remove(ownWidth);
        const qsizetype end = tag.endsWith(QLatin1String("/>")) ? tag.size() - 2 : tag.size() - 1;
        tag.insert(end, QStringLiteral(" width=\"") + widths.at(i) + QLatin1Char('"'));
        out.replace(cellEnds.at(i), cellTagEnds.at(i) - cellEnds.at(i), tag);
    }
    return out;
}

} // namespace qb
