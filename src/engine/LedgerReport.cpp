#include "engine/LedgerReport.h"

#include "engine/ListingBook.h"
#include "engine/ReportPage.h"
#include "store/Utilities.h"

namespace qb {

bool LedgerReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-acwise"), error);
}

bool LedgerReport::loadText(const QByteArray& text, Error* error)
{
    return m_template.loadText(text, error);
}

QByteArray LedgerReport::ListingBook(const XmlDocument& data, int code, int from, int to,
    FigureTrouble* trouble, QList<BalancePoint>* points)
{
    const QList<ListingRow> rows = ListingRows(data, [code, to](int dt, int fAc, int tAc) {
        return dt > 0 && dt <= to && (fAc == code || tAc == code);
    });
    const QHash<int, QString> names = AccountNames(data);

    ListingSum balance, in, out, dayIn, dayOut;
    qsizetype inWidth = 0, outWidth = 0, balanceWidth = 0;
    auto widest
        = [](qsizetype* width, const QString& text) { *width = std::max(*width, text.size()); };
    QByteArray xml;
    xml.reserve(rows.size() * 160 + 200);
    int day = 0;
    int rowsOfDay = 0;
    auto closeDay = [&] {
        if (points && rowsOfDay > 0)
            points->append({DocDateToDate(day), balance.value(), false});
        if (rowsOfDay > 1) {
            xml += "<Total";
            AppendAttribute(xml, "in", dayIn.text());
            AppendAttribute(xml, "out", dayOut.text());
            xml += "/>";
        }
        if (rowsOfDay > 0)
            xml += "</Day>";
        dayIn = dayOut = ListingSum();
        rowsOfDay = 0;
    };
    qsizetype first = 0;
    for (; first < rows.size() && rows.at(first).dt < from; ++first) {
        const ListingRow& r = rows.at(first);
        if (r.tAc == code)
            balance.add(r.amount);
        if (r.fAc == code)
            balance.subtract(r.amount);
    }
    const QString opening = balance.text();
    if (points) {
        points->clear();
        points->append({DocDateToDate(from).addDays(-1), balance.value(), true});
    }
    for (qsizetype i = first; i < rows.size(); ++i) {
        const ListingRow& r = rows.at(i);
        if (r.dt != day) {
            closeDay();
            day = r.dt;
            xml += "<Day>";
        }
        ++rowsOfDay;
        QString inText, outText;
        if (r.tAc == code) {
            balance.add(r.amount);
            in.add(r.amount);
            dayIn.add(r.amount);
            inText = AmountText(r.amount);
        }
        if (r.fAc == code) {
            balance.subtract(r.amount);
            out.add(r.amount);
            dayOut.add(r.amount);
            outText = AmountText(r.amount);
        }
        const int other = r.fAc == code ? r.tAc : r.fAc;
        const QString balanceText = balance.text();
        xml += "<t";
        AppendAttribute(xml, "dt", r.dt);
        AppendAttribute(xml, "No", r.no);
        if (r.status != TransactionStatus::NotCleared)
            AppendAttribute(xml, "st", StatusMark(r.status));
        if (other != code) {
            AppendAttribute(xml, "ac", other);
            AppendAttribute(xml, "name", names.value(other));
        }
        // Empty texts are left out: a row is mostly a few figures.
        if (!r.nar.isEmpty())
            AppendAttribute(xml, "Nar", r.nar);
        if (!inText.isEmpty())
            AppendAttribute(xml, "in", inText);
        if (!outText.isEmpty())
            AppendAttribute(xml, "out", outText);
        AppendAttribute(xml, "balance", balanceText);
        xml += "/>";
        widest(&inWidth, inText);
        widest(&outWidth, outText);
        widest(&balanceWidth, balanceText);
    }
    closeDay();
    const QString inText = in.text(), outText = out.text(), closing = balance.text();
    widest(&inWidth, inText);
    widest(&outWidth, outText);
    widest(&balanceWidth, opening);
    widest(&balanceWidth, closing);
    if (trouble) {
        trouble->overflow = balance.overflowed() || in.overflowed() || out.overflowed();
        trouble->unreadable = balance.unreadable();
    }

    QByteArray root = "<Ledger";
    AppendAttribute(root, "code", code);
    AppendAttribute(root, "opening", opening);
    AppendAttribute(root, "in", inText);
    AppendAttribute(root, "out", outText);
    AppendAttribute(root, "closing", closing);
    AppendAttribute(root, "inWidth", inWidth);
    AppendAttribute(root, "outWidth", outWidth);
    AppendAttribute(root, "balanceWidth", balanceWidth);
    root += '>';
    return root + xml + "</Ledger>";
}

LedgerReport::Listing LedgerReport::MakeListing(
    const XmlDocument& data, int code, const QDate& from, const QDate& to)
{
    Listing listing;
    listing.code = code;
    listing.from = from;
    listing.to = to;
    listing.xml = ListingBook(
        data, code, DateToDocDate(from), DateToDocDate(to), &listing.trouble, &listing.points);
    return listing;
}

bool LedgerReport::build(const XmlDocument& data, int code, const QString& accountName,
    const QDate& from, const QDate& to, const QString& dateExpression, QString* page, Error* error,
    const Listing* listing, bool status)
{
    m_trouble = {};
    m_points.clear();
    if (!m_template.isLoaded() || data.isNull()) {
        if (error)
            *error = {91, QStringLiteral("No template or no book")};
        return false;
    }
    const int first = DateToDocDate(from);
    const int last = DateToDocDate(to);
    if (!m_template.setVariable(QStringLiteral("FromDate"), QString::number(first), error)
        || !m_template.setVariable(QStringLiteral("ToDate"), QString::number(last), error)
        || !m_template.setVariable(QStringLiteral("AcCode"), QString::number(code), error)
        || (status && !m_template.setVariable(QStringLiteral("Status"), QStringLiteral("1"), error))
        || !m_template.setDateFormat(dateExpression, error))
        return false;
    {
        const bool fits
            = listing && listing->code == code && listing->from == from && listing->to == to;
        const Listing made = fits ? Listing() : MakeListing(data, code, from, to);
        const Listing& used = fits ? *listing : made;
        m_trouble = used.trouble;
        m_points = used.points;
        XmlDocument book;
        if (!book.loadXml(used.xml, error))
            return false;
        *page = m_template.TransformNode(book.documentElement());
    }
    if (page->isEmpty()) {
        if (error)
            *error = {91, QStringLiteral("The transformation gave no page")};
        return false;
    }
    // A name is text on the page, never markup.
    ReplaceReportTitle(*page, Title(accountName, from, to).toHtmlEscaped());
    return true;
}

QString LedgerReport::Title(
    const QString& accountName, const QDate& from, const QDate& to, const QLocale& locale)
{
    return QStringLiteral("Transaction listing for '") + accountName + QStringLiteral("' - From ")
        + locale.toString(from, QLocale::ShortFormat) + QStringLiteral(" To ")
        + locale.toString(to, QLocale::ShortFormat);
}

QString LedgerReport::Caption(const QString& accountName)
{
    return QStringLiteral("Transaction listing - ") + accountName;
}

QString AccountName(const XmlDocument& data, int code)
{
    return AccountNames(data).value(code);
}

} // namespace qb
