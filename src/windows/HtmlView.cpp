#include "windows/HtmlView.h"

#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include "engine/ReportPage.h"
#include "windows/PageChunks.h"

namespace qb {

namespace {

class QtPrintDialogs final : public PrintDialogs
{
public:
    bool setup(QPrinter* printer, QWidget* parent) override
    {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

PrintDialogs* g_printDialogs = nullptr;

// Qt lays out a table in one go, and a long document again when the scroll
// bar appears. Tables of this many rows, and a scroll bar that is always
// there, keep each layout step short.
constexpr int kRowsPerTable = 300;
// Pages up to this many rows are built at once; longer ones in steps of
// about kStepMs, between which the event loop runs, each adding a table of
// kRowsPerPart rows (parsed and laid out at once, so it is the longest wait).
constexpr int kRowsBuiltAtOnce = 3000;
constexpr int kRowsPerPart = 150;
constexpr qint64 kStepMs = 50;
// Rows are added while fewer than this many screens of them lie below the
// one shown.
constexpr int kScreensAhead = 3;

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')
        || c == QLatin1Char(':') || c == QLatin1Char('.');
}

// One start tag of the page: its name (upper case) and its id attribute.
struct StartTag
{
    QString name;
    QString id;
    bool hasId = false;
    bool empty = false; // written as <X/>
};

// An attribute's value as the page means it: "&amp;", "&lt;", "&gt;",
// "&quot;", "&apos;" and numeric references replaced by their characters, so
// that an id holding "&" is found under its own name.
QString decodeReferences(const QString& value)
{
    if (!value.contains(QLatin1Char('&')))
        return value;
    static const QHash<QString, QChar> named {{QStringLiteral("amp"), QLatin1Char('&')},
        {QStringLiteral("lt"), QLatin1Char('<')}, {QStringLiteral("gt"), QLatin1Char('>')},
        {QStringLiteral("quot"), QLatin1Char('"')}, {QStringLiteral("apos"), QLatin1Char('\'')}};
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const qsizetype end
            = value.at(i) == QLatin1Char('&') ? value.indexOf(QLatin1Char(';'), i) : -1;
        if (end > i + 1 && end - i <= 10) {
            const QString name = value.mid(i + 1, end - i - 1);
            bool ok = false;
            uint code = 0;
            if (name.startsWith(QLatin1String("#x")) || name.startsWith(QLatin1String("#X")))
                code = name.mid(2).toUInt(&ok, 16);
            else if (name.startsWith(QLatin1Char('#')))
                code = name.mid(1).toUInt(&ok, 10);
            if (ok && code > 0 && code <= 0x10FFFF) {
                const char32_t c = char32_t(code);
                out += QString::fromUcs4(&c, 1);
                i = end;
                continue;
            }
            if (const auto it = named.constFind(name); it != named.constEnd()) {
                out += *it;
                i = end;
                continue;
            }
        }
        out += value.at(i);
    }
    return out;
}

// Reads the tag that starts at text[at] == '<' up to its '>'; returns the
// position after the tag. Attribute values in quotes may hold '>'.
qsizetype readTag(const QString& text, qsizetype at, StartTag* tag, bool* closing)
{
    const qsizetype n = text.size();
    qsizetype i = at + 1;
    *closing = i < n && text.at(i) == QLatin1Char('/');
    if (*closing)
        ++i;
    const qsizetype nameStart = i;
    while (i < n && isNameChar(text.at(i)))
        ++i;
    tag->name = text.mid(nameStart, i - nameStart).toUpper();
    tag->hasId = false;
    tag->id.clear();
    while (i < n && text.at(i) != QLatin1Char('>')) {
        const QChar c = text.at(i);
        if (!isNameChar(c)) {
            ++i;
            continue;
        }
        const qsizetype attrStart = i;
        while (i < n && isNameChar(text.at(i)))
            ++i;
        const QStringView attrName = QStringView(text).mid(attrStart, i - attrStart);
        while (i < n && text.at(i).isSpace())
            ++i;
        if (i >= n || text.at(i) != QLatin1Char('='))
            continue;
        ++i;
        while (i < n && text.at(i).isSpace())
            ++i;
        QString value;
        if (i < n && (text.at(i) == QLatin1Char('"') || text.at(i) == QLatin1Char('\''))) {
            const QChar quote = text.at(i);
            const qsizetype end = text.indexOf(quote, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            value = text.mid(i + 1, stop - i - 1);
            i = stop + 1;
        } else {
            const qsizetype valueStart = i;
            while (i < n && !text.at(i).isSpace() && text.at(i) != QLatin1Char('>'))
                ++i;
            value = text.mid(valueStart, i - valueStart);
        }
        if (attrName.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0) {
            tag->hasId = true;
            tag->id = decodeReferences(value);
        }
    }
    tag->empty = i > at && i < n && text.at(i - 1) == QLatin1Char('/');
    return i < n ? i + 1 : n;
}

// Tables of the document in start-tag order (a nested table follows the
// table that holds it).
void collectTables(QTextFrame* frame, QList<QTextTable*>* tables)
{
    const QList<QTextFrame*> children = frame->childFrames();
    for (QTextFrame* child : children) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            tables->append(table);
        collectTables(child, tables);
    }
}

// The width attributes that give other tables the columns of this one: each
// column's share of the table's width as laid out (its content's and the
// page's widths), measured on a row of single cells (spans hide the
// columns). Empty when no such row is among the first.
QStringList ColumnWidths(QTextDocument* document, QTextTable* table)
{
    const int columns = table->columns();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    const QRectF frame = layout->frameBoundingRect(table);
    QList<qreal> lefts;
    for (int row = 0; row < std::min(table->rows(), 20) && lefts.size() < columns; ++row) {
        lefts.clear();
        for (int column = 0; column < columns; ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            if (!cell.isValid() || cell.row() != row || cell.column() != column
                || cell.columnSpan() != 1)
                break;
            lefts.append(layout->blockBoundingRect(cell.firstCursorPosition().block()).left());
        }
    }
    if (lefts.size() != columns || columns == 0 || frame.width() <= 0)
        return {};
    QList<qreal> sizes;
    qreal total = 0;
    for (int column = 0; column < columns; ++column) {
        const qreal right = column + 1 < columns ? lefts.at(column + 1) : frame.right();
        sizes.append(std::max<qreal>(1, right - lefts.at(column)));
        total += sizes.last();
    }
    QStringList widths;
    for (qreal size : sizes)
        widths.append(QString::number(100 * size / total, 'f', 2) + QLatin1Char('%'));
    return widths;
}

// The width attributes of a table that has a width for every column.
QStringList GivenWidths(QTextTable* table)
{
    const QList<QTextLength> given = table->format().columnWidthConstraints();
    QStringList widths;
    for (const QTextLength& length : given) {
        if (length.type() == QTextLength::PercentageLength)
            widths.append(QString::number(length.rawValue(), 'f', 2) + QLatin1Char('%'));
        else
            return {};
    }
    return widths.size() == table->columns() ? widths : QStringList();
}

} // namespace

PrintDialogs& PrintDialogs::current()
{
    static QtPrintDialogs dialogs;
    return g_printDialogs ? *g_printDialogs : dialogs;
}

void PrintDialogs::install(PrintDialogs* dialogs)
{
    g_printDialogs = dialogs;
}

HtmlView::HtmlView(QWidget* parent)
    : QTextBrowser(parent)
{
    // Links are tokens for the window, never addresses to follow.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_buildTimer.setSingleShot(true);
    m_buildTimer.setInterval(0);
    connect(&m_buildTimer, &QTimer::timeout, this, &HtmlView::addPieces);
    // A long page grows as the reader nears its end.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &HtmlView::addPiecesWhenNeeded);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, &HtmlView::addPiecesWhenNeeded);
    // A table of the full width whose free columns share an odd number of
    // pixels is laid out one pixel wider than the view (which pages do
    // depends on their figures' widths, so a refresh could bring the bar).
    // That pixel is the table's edge: nothing to scroll to.
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, [this](int min, int max) {
        if (min == 0 && max == 1)
            horizontalScrollBar()->setRange(0, 0);
    });
}

void HtmlView::blank()
{
    stopBuild();
    m_page.clear();
    m_places.clear();
    clear();
}

void HtmlView::writePage(const QString& text)
{
    stopBuild();
    m_page = text;
    const QString html = rewriteMillimetres(text);
    const bool inParts = html.count(QLatin1String("<TR"), Qt::CaseInsensitive) > kRowsBuiltAtOnce;
    PageChunks chunks = CutLongTables(html, inParts ? kRowsPerPart : kRowsPerTable);
    mapElementIds(chunks.whole);
    if (chunks.rest.isEmpty()) {
        setHtml(chunks.first);
        return;
    }
    // The parts of the table cut first all get the column shares its first
    // and last rows take on their own, measured in a document of just those
    // rows; they go into the text, so that every part is laid out once.
    QTextDocument alone;
    alone.setDefaultFont(document()->defaultFont());
    alone.setDefaultStyleSheet(document()->defaultStyleSheet());
    alone.setDocumentMargin(document()->documentMargin());
    // Measured at the view's width; a view not shown yet has none of its
    // own, and shares taken at a usual width serve.
    const int width = viewport()->width();
    alone.setTextWidth(isVisible() && width >= 200 ? width : 640);
    alone.setHtml(chunks.sample);
    QStringList widths;
    const QList<QTextFrame*> frames = alone.rootFrame()->childFrames();
    if (auto* table = qobject_cast<QTextTable*>(frames.value(frames.size() - 1)))
        widths = ColumnWidths(&alone, table);
    const QString first = WithColumnWidths(chunks.first, chunks.firstTableAt, widths);
    if (inParts) {
        setHtml(first);
        m_pieces = std::move(chunks.rest);
        m_buildTimer.start();
        return;
    }
    QString whole = first.chopped(8); // its "</TABLE>"
    whole.reserve(chunks.whole.size() + chunks.rows * 60);
    for (qsizetype i = 0; i < chunks.restBodies.size(); ++i) {
        whole += QStringLiteral("</TABLE>");
        whole += chunks.continuesFirstTable.at(i)
            ? WithColumnWidths(chunks.restBodies.at(i), 0, widths)
            : chunks.restBodies.at(i);
    }
    setHtml(whole);
}

void HtmlView::stopBuild()
{
    m_buildTimer.stop();
    m_pieces.clear();
    m_nextPiece = 0;
    m_pendingFocus.clear();
}

void HtmlView::finishPage()
{
    if (isComplete())
        return;
    m_buildTimer.stop();
    while (!isComplete())
        insertPiece(m_pieces.at(m_nextPiece++));
    m_pieces.clear();
    m_nextPiece = 0;
    Q_EMIT pageComplete();
}

bool HtmlView::needsPieces() const
{
    if (isComplete())
        return false;
    if (!m_pendingFocus.isEmpty())
        return true; // the row to focus is still to come
    // Rows a few screens below what is shown are enough: the rest waits
    // until the reader scrolls towards it, or the page is printed.
    const QScrollBar* bar = verticalScrollBar();
    return bar->maximum() - bar->value() < kScreensAhead * std::max(viewport()->height(), 100);
}

void HtmlView::addPiecesWhenNeeded()
{
    if (!m_buildTimer.isActive() && needsPieces())
        m_buildTimer.start();
}

void HtmlView::resizeEvent(QResizeEvent* event)
{
    QTextBrowser::resizeEvent(event);
    addPiecesWhenNeeded();
}

void HtmlView::addPieces()
{
    QElapsedTimer step;
    step.start();
    while (needsPieces() && step.elapsed() < kStepMs) {
        insertPiece(m_pieces.at(m_nextPiece++));
        // The scroll bar follows the layout, which runs on demand.
        document()->documentLayout()->documentSize();
    }
    if (!isComplete()) {
        if (needsPieces())
            m_buildTimer.start();
        return;
    }
    m_pieces.clear();
    m_nextPiece = 0;
    Q_EMIT pageComplete();
}

void HtmlView::insertPiece(const QString& piece)
{
    // The piece starts with the next part of the table that ends the page so
    // far; its widths go into the text, so that the part is laid out once.
    QString text = piece;
    const QList<QTextFrame*> frames = document()->rootFrame()->childFrames();
    if (auto* previous = qobject_cast<QTextTable*>(frames.value(frames.size() - 1))) {
        QStringList widths = GivenWidths(previous);
        if (widths.isEmpty())
            widths = ColumnWidths(document(), previous);
        text = WithColumnWidths(piece, 0, widths);
    }
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertHtml(text);
    if (!m_pendingFocus.isEmpty()) {
        const int position = positionOf(m_places.value(m_pendingFocus));
        if (position >= 0) {
            m_pendingFocus.clear();
            focusPosition(position);
        }
    }
}

QString HtmlView::rewriteMillimetres(const QString& text) const
{
    if (!text.contains(QLatin1String("mm"), Qt::CaseInsensitive))
        return text;
    static const QRegularExpression length(QStringLiteral("(\\d+(?:\\.\\d*)?|\\.\\d+)\\s*mm\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const double dpi = logicalDpiX() > 0 ? logicalDpiX() : 96;
    auto toPixels = [&](QStringView css) {
        QString out;
        qsizetype last = 0;
        QRegularExpressionMatchIterator it = length.globalMatch(css);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            out += css.mid(last, m.capturedStart() - last);
            const double mm = m.capturedView(1).toDouble();
            out += QString::number(std::lround(mm * dpi / 25.4)) + QStringLiteral("px");
            last = m.capturedEnd();
        }
        out += css.mid(last);
        return out;
    };

    // Only style elements and style attributes: "10mm" in the report's text stays.
    static const QRegularExpression styleParts(
        QStringLiteral(
            "(<style\\b[^>]*>)(.*?)(</style\\s*>)|(\\bstyle\\s*=\\s*)(\"[^\"<>]*\"|'[^'<>]*')"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QString out;
    out.reserve(text.size());
    qsizetype last = 0;
    QRegularExpressionMatchIterator it = styleParts.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        if (m.capturedLength(1) > 0) {
            out += m.capturedView(1);
            out += toPixels(m.capturedView(2));
            out += m.capturedView(3);
        } else {
            out += m.capturedView(4);
            out += toPixels(m.capturedView(5));
        }
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

void HtmlView::mapElementIds(const QString& text)
{
    m_places.clear();
    struct OpenTable
    {
        int index; // in start-tag order
        int row = -1;
        int cell = -1;
    };
    QList<OpenTable> open;
    QList<bool> hasCells; // per table in start-tag order
    StartTag tag;
    const qsizetype n = text.size();
    qsizetype at = text.indexOf(QLatin1Char('<'));
    while (at >= 0 && at < n) {
        if (QStringView(text).mid(at, 4) == QLatin1String("<!--")) {
            const qsizetype end = text.indexOf(QLatin1String("-->"), at + 4);
            if (end < 0)
                break;
            at = text.indexOf(QLatin1Char('<'), end + 3);
            continue;
        }
        bool closing = false;
        const qsizetype next = readTag(text, at, &tag, &closing);
        const QString& name = tag.name;
        if (closing) {
            if (name == QLatin1String("TABLE") && !open.isEmpty())
                open.removeLast();
        } else if (name == QLatin1String("TABLE")) {
            open.append(OpenTable {int(hasCells.size())});
            hasCells.append(false);
            if (tag.hasId)
                m_places.insert(tag.id, {open.last().index, -1, -1});
        } else if (!open.isEmpty()) {
            OpenTable& table = open.last();
            if (name == QLatin1String("TR")) {
                ++table.row;
                table.cell = -1;
                if (tag.hasId)
                    m_places.insert(tag.id, {table.index, table.row, -1});
            } else if (name == QLatin1String("TD") || name == QLatin1String("TH")) {
                ++table.cell;
                hasCells[table.index] = true;
                if (tag.hasId)
                    m_places.insert(tag.id, {table.index, qMax(table.row, 0), table.cell});
            } else if (tag.hasId && table.row >= 0) {
                // An element inside a cell is shown where its cell is.
                m_places.insert(tag.id, {table.index, table.row, qMax(table.cell, 0)});
            }
        }
        at = text.indexOf(QLatin1Char('<'), next);
    }

    // The renderer makes no table of a table without cells: count only the others.
    QList<int> ordinal(hasCells.size(), -1);
    int tables = 0;
    for (qsizetype i = 0; i < hasCells.size(); ++i) {
        if (hasCells.at(i))
            ordinal[i] = tables++;
    }
    for (auto it = m_places.begin(); it != m_places.end();) {
        it->table = ordinal.value(it->table, -1);
        if (it->table < 0)
            it = m_places.erase(it);
        else
            ++it;
    }
}

int HtmlView::positionOf(const ElementPlace& place) const
{
    QList<QTextTable*> tables;
    collectTables(document()->rootFrame(), &tables);
    if (place.table < 0 || place.table >= tables.size())
        return -1;
    QTextTable* table = tables.at(place.table);
    if (place.row < 0)
        return table->firstPosition();
    if (place.row >= table->rows())
        return -1;
    // The cells that start in the row, in column order (spans skipped).
    int cellsSeen = 0;
    int first = -1;
    for (int column = 0; column < table->columns(); ++column) {
        const QTextTableCell cell = table->cellAt(place.row, column);
        if (!cell.isValid() || cell.row() != place.row || cell.column() != column)
            continue;
        const int position = cell.firstCursorPosition().position();
        if (first < 0)
            first = position;
        if (place.cell < 0 || cellsSeen == place.cell)
            return position;
        ++cellsSeen;
    }
    if (first >= 0)
        return first;
    const QTextTableCell cell = table->cellAt(place.row, 0);
    return cell.isValid() ? cell.firstCursorPosition().position() : -1;
}

bool HtmlView::focusElement(const QString& id)
{
    if (id.isEmpty())
        return false;
    const auto found = m_places.constFind(id);
    if (found != m_places.constEnd()) {
        m_pendingFocus.clear();
        const int position = positionOf(*found);
        if (position < 0 && !isComplete()) {
            m_pendingFocus = id; // its rows are still to come
            addPiecesWhenNeeded();
            return true;
        }
        if (position < 0)
            return false;
        focusPosition(position);
        return true;
    }
    // Elements outside tables: the renderer keeps their ids as anchors.
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid() && fragment.charFormat().anchorNames().contains(id)) {
                QTextCursor cursor(document());
                cursor.setPosition(fragment.position());
                setTextCursor(cursor);
                scrollToAnchor(id);
                return true;
            }
        }
    }
    return false;
}

void HtmlView::focusPosition(int position)
{
    QTextCursor cursor(document());
    cursor.setPosition(position);
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool HtmlView::print()
{
    // Screen resolution: the pages' pixel font sizes print at their size.
    QPrinter printer(QPrinter::ScreenResolution);
    if (!PrintDialogs::current().setup(&printer, this))
        return false;
    finishPage();
    printableDocument()->print(&printer);
    return printer.printerState() != QPrinter::Error;
}

std::unique_ptr<QTextDocument> HtmlView::printableDocument() const
{
    std::unique_ptr<QTextDocument> copy(document()->clone());
    QTextFrameFormat page = copy->rootFrame()->frameFormat();
    page.clearBackground();
    copy->rootFrame()->setFrameFormat(page);
    return copy;
}

bool HtmlView::printToPdf(const QString& fileName)
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    finishPage();
    printableDocument()->print(&printer);
    return printer.printerState() != QPrinter::Error;
}

bool HtmlView::raiseNavigate(const QString& href)
{
    bool cancel = false;
    Q_EMIT beforeNavigate(href, &cancel);
    return cancel;
}

void HtmlView::mousePressEvent(QMouseEvent* event)
{
    m_pressedAnchor
        = event->button() == Qt::LeftButton ? anchorAt(event->position().toPoint()) : QString();
    QTextBrowser::mousePressEvent(event);
}

void HtmlView::mouseReleaseEvent(QMouseEvent* event)
{
    // The href as the page wrote it: QUrl would rewrite tokens such as "Sales:Team".
    if (event->button() == Qt::LeftButton) {
        const QString href = anchorAt(event->position().toPoint());
        const bool same = !href.isEmpty() && href == m_pressedAnchor;
        m_pressedAnchor.clear();
        if (same)
            raiseNavigate(href);
    }
    QTextBrowser::mouseReleaseEvent(event);
}

QString HtmlView::chosenLink() const
{
    const QTextCursor cursor = textCursor();
    return cursor.hasSelection() ? cursor.charFormat().anchorHref() : QString();
}

bool HtmlView::chooseLink(const QString& href)
{
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(document());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            const int top = verticalScrollBar()->value();
            setTextCursor(cursor);
            verticalScrollBar()->setValue(top);
            return true;
        }
    }
    return false;
}

void HtmlView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const QString href = chosenLink();
        if (!href.isEmpty()) {
            raiseNavigate(href);
            event->accept();
            return;
        }
    }
    QTextBrowser::keyPressEvent(event);
}

void ShowReportHtml(HtmlView* view, QString& page)
{
    AddStyleHead(page);
    if (view)
        view->writePage(page);
}

} // namespace qb
