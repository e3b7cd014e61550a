#include "engine/EntryReports.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <numeric>
#include <vector>

#include "engine/ListingBook.h"
#include "engine/ReportPage.h"
#include "store/BookSchema.h"
#include "store/Parallel.h"
#include "store/Utilities.h"

namespace qb {

bool DayListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-daywise"), error);
}

namespace {

// The day list's document, written a slice of rows at a time (the slices of
// a busy day on every core at once): the root's start tag with the day's
// total and the widest figure's length, the rows, and the end tag.
struct DayListText
{
    QList<ListingRow> rows;
    QHash<int, QString> names;
    QByteArray root;

    QByteArray whole() const { return slice(0, rows.size()); }
    // Rows [first, first + count) under the root.
    QByteArray slice(qsizetype first, qsizetype count) const
    {
        const qsizetype end = std::min(rows.size(), first + count);
        QByteArray xml;
        xml.reserve(root.size() + (end - first) * 160 + 16);
        xml += root;
        for (qsizetype i = first; i < end; ++i) {
            const ListingRow& r = rows.at(i);
            xml += "<t";
            AppendAttribute(xml, "dt", r.dt);
            AppendAttribute(xml, "No", r.no);
            xml += " key=\"" + QByteArray::number(r.dt) + QByteArray::number(r.no) + '"';
            AppendAttribute(xml, "fAc", r.fAc);
            AppendAttribute(xml, "fName", names.value(r.fAc));
            AppendAttribute(xml, "tAc", r.tAc);
            AppendAttribute(xml, "tName", names.value(r.tAc));
            AppendAttribute(xml, "amount", AmountText(r.amount));
            AppendAttribute(xml, "Nar", r.nar);
            xml += "/>";
        }
        xml += "</DayList>";
        return xml;
    }
};

DayListText dayListText(const XmlDocument& data, int date, FigureTrouble* trouble)
{
    DayListText text;
    text.rows = ListingRows(data, [date](int dt, int, int) { return dt == date; });
    text.names = AccountNames(data);
    // The widest figure without writing every one: a figure's length grows
    // with its size on either side of zero, so the largest amount and the
    // most negative one are the widest of their sides.
    ListingSum total;
    std::optional<Money> highest;
    std::optional<Money> lowest;
    bool unreadable = false;
    for (const ListingRow& r : std::as_const(text.rows)) {
        total.add(r.amount);
        if (!r.amount) {
            unreadable = true;
            continue;
        }
        if (!highest || highest->units() < r.amount->units())
            highest = r.amount;
        if (!lowest || r.amount->units() < lowest->units())
            lowest = r.amount;
    }
    if (trouble) {
        trouble->overflow = total.overflowed();
        trouble->unreadable = unreadable;
    }
    const QString totalText = total.text();
    // The column is never narrower than its heading "Amount" (an empty day
    // would otherwise break the heading over two lines).
    qsizetype amountWidth = std::max(totalText.size(), qsizetype(6));
    for (const std::optional<Money>& widest : {highest, lowest}) {
        if (widest)
            amountWidth = std::max(amountWidth, AmountText(widest).size());
    }
    if (unreadable)
        amountWidth = std::max(amountWidth, AmountText(std::nullopt).size());
    text.root = "<DayList";
    AppendAttribute(text.root, "total", totalText);
    AppendAttribute(text.root, "amountWidth", amountWidth);
    text.root += '>';
    return text;
}

// The page of the rows laid out in parts of rowsPerPart, as pieces that make
// the page one after another (the part before the rows, the rows of each
// part, the part after them), or false (the caller then transforms the
// whole list, and reports a failure).
// The pages of the parts differ only in the rows between a part before and
// a part after them, and the page without rows is those two parts. The
// start the first part's page shares with the empty page is taken as the
// part before, and the rest of the empty page as the part after; whatever
// of the rows' text that start takes in is the same text as the empty page
// has there, so the joined rows stay in place. A page that does not start
// and end so (a template whose page depends on its rows otherwise) gives
// false.
bool transformInParts(
    const XmlDocument& style, const DayListText& text, int rowsPerPart, QList<QByteArray>* pieces)
{
    const auto transform = [](const XmlDocument& sheet, const QByteArray& xml, QByteArray* out) {
        XmlDocument list;
        return list.loadXml(xml) && sheet.transformToBytes(list.documentElement(), out, nullptr);
    };
    // The parts are laid out on every core at once, each worker with a style
    // sheet and documents of its own (libxml2 and libxslt share nothing
    // between documents), and put in order afterwards.
    const QByteArray styleText = style.toBytes();
    XmlDocument own;
    QByteArray empty;
    if (!own.loadXml(styleText) || !transform(own, text.slice(0, 0), &empty))
        return false;
    const qsizetype count = (text.rows.size() + rowsPerPart - 1) / rowsPerPart;
    std::vector<QByteArray> parts(static_cast<std::size_t>(count));
    std::atomic<bool> failed {false};
    RunOnEveryCore(count, [&]() -> std::function<void(qsizetype)> {
        auto sheet = std::make_shared<XmlDocument>();
        if (!sheet->loadXml(styleText))
            failed = true;
        return [&, sheet](qsizetype i) {
            if (!failed
                && !transform(*sheet, text.slice(i * rowsPerPart, rowsPerPart),
                    &parts[static_cast<std::size_t>(i)]))
                failed = true;
        };
    });
    if (failed)
        return false;

    qsizetype before = -1;
    QByteArrayView after;
    pieces->clear();
    pieces->reserve(count + 2);
    for (QByteArray& part : parts) {
        if (part.size() < empty.size())
            return false;
        if (before < 0) {
            before = 0;
            while (before < empty.size() && part.at(before) == empty.at(before))
                ++before;
            after = QByteArrayView(empty).sliced(before);
            pieces->append(empty.first(before));
        } else if (!part.startsWith(QByteArrayView(empty).first(before))) {
            return false;
        }
        if (!part.endsWith(after))
            return false;
        // Cut in place: the part's own rows, without copying them.
        part.chop(after.size());
        part.remove(0, before);
        pieces->append(std::move(part));
    }
    pieces->append(after.toByteArray());
    return true;
}

} // namespace

QByteArray DayListReport::ListBook(const XmlDocument& data, int date, FigureTrouble* trouble)
{
    return dayListText(data, date, trouble).whole();
}

bool DayListReport::build(
    const XmlDocument& data, const QDate& date, const QString& title, QString* page, Error* error)
{
    QList<QByteArray> pieces;
    if (!buildPieces(data, date, title, &pieces, error))
        return false;
    QByteArray bytes;
    bytes.reserve(std::accumulate(pieces.cbegin(), pieces.cend(), qsizetype(0),
        [](qsizetype size, const QByteArray& piece) { return size + piece.size(); }));
    for (const QByteArray& piece : std::as_const(pieces))
        bytes += piece;
    *page = QString::fromUtf8(bytes);
    return true;
}

bool DayListReport::buildPieces(const XmlDocument& data, const QDate& date, const QString& title,
    QList<QByteArray>* pieces, Error* error)
{
    m_trouble = {};
    const int docDate = DateToDocDate(date);
    const QString day = QString::number(docDate);
    if (!m_template.setChildAttribute(1, 1, day, error)
        || !m_template.setChildAttribute(2, 1, day, error))
        return false;
    const DayListText text = dayListText(data, docDate, &m_trouble);
    // A busy day is laid out a part at a time: the template's result for a
    // hundred thousand rows would hold a gigabyte of nodes at once.
    if (text.rows.size() <= kRowsPerPart
        || !transformInParts(m_template.document(), text, kRowsPerPart, pieces)) {
        XmlDocument list;
        if (!list.loadXml(text.whole(), error))
            return false;
        *pieces = {m_template.TransformNode(list.documentElement()).toUtf8()};
    }
    const QString safeTitle = title.toHtmlEscaped();
    for (QByteArray& piece : *pieces) {
        if (ReplaceReportTitle(piece, safeTitle))
            break;
    }
    return true;
}

QString DayListReport::RowId(int date, int number)
{
    return QStringLiteral("id") + QString::number(date) + QString::number(number);
}

bool AccountBalance::load(Error* error)
{
    return m_template.load(QStringLiteral("sum"), error);
}

std::optional<Money> AccountBalance::balance(const XmlDocument& data, int code, const QDate& date)
{
    return figure(data, code, date).value();
}

FigureSum AccountBalance::figure(const XmlDocument& data, int code, const QDate& date)
{
    FigureSum total;
    if (!m_template.isLoaded()) {
        total.markUnreadable();
        return total;
    }
    // The same figure as the "sum" template gives, added here on the amounts'
    // decimal digits in one walk over the account's transactions: the
    // template has to add in binary halves to stay exact, which costs six
    // times as much on a busy account of a large book.
    const QString account = QString::number(code);
    const int upTo = DateToDocDate(date);
    const XmlNode trans = TransSectionOf(data);
    if (trans.isNull())
        return total;
    for (const XmlNode& t :
        trans.childElementsWithAttribute({schema::kFrom, schema::kTo}, account)) {
        bool dated = false;
        const int dt = t.attribute(schema::kDate).toInt(&dated);
        if (dated && dt > upTo)
            continue;
        // Every page reads amounts through the one grammar; a transaction
        // whose date or amount cannot be read leaves the balance unknown.
        const std::optional<Money> amount = Money::fromBook(t.text());
        if (!amount || !dated) {
            total.markUnreadable();
            continue;
        }
        if (t.attribute(schema::kTo) == account)
            total.add(*amount);
        if (t.attribute(schema::kFrom) == account)
            total.subtract(*amount);
    }
    return total;
}

} // namespace qb
