#include "engine/EntryReports.h"

#include <algorithm>

#include "engine/ListingBook.h"
#include "engine/ReportPage.h"
#include "store/BookSchema.h"
#include "store/Utilities.h"

namespace qb {

bool DayListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-daywise"), error);
}

QByteArray DayListReport::ListBook(const XmlDocument& data, int date, bool* overflowed)
{
    const QList<ListingRow> rows
        = ListingRows(data, [date](int dt, int, int) { return dt == date; });
    const QHash<int, QString> names = AccountNames(data);
    ListingSum total;
    qsizetype amountWidth = 0;
    QByteArray xml;
    xml.reserve(rows.size() * 140 + 100);
    for (const ListingRow& r : rows) {
        total.add(r.amount);
        const QString amount = AmountText(r.amount);
        amountWidth = std::max(amountWidth, amount.size());
        xml += "<t";
        AppendAttribute(xml, "dt", r.dt);
        AppendAttribute(xml, "No", r.no);
        AppendAttribute(xml, "fAc", r.fAc);
        AppendAttribute(xml, "fName", names.value(r.fAc));
        AppendAttribute(xml, "tAc", r.tAc);
        AppendAttribute(xml, "tName", names.value(r.tAc));
        AppendAttribute(xml, "amount", amount);
        AppendAttribute(xml, "Nar", r.nar);
        xml += "/>";
    }
    if (overflowed)
        *overflowed = total.overflowed();
    const QString totalText = total.text();
    amountWidth = std::max(amountWidth, totalText.size());
    QByteArray root = "<DayList";
    AppendAttribute(root, "total", totalText);
    AppendAttribute(root, "amountWidth", amountWidth);
    return root + ">" + xml + "</DayList>";
}

bool DayListReport::build(const XmlDocument& data, const QDate& date, const QString& title,
                          QString* page, Error* error)
{
    m_overflowed = false;
    const int docDate = DateToDocDate(date);
    const QString day = QString::number(docDate);
    if (!m_template.setChildAttribute(1, 1, day, error) || !m_template.setChildAttribute(2, 1, day, error))
        return false;
    XmlDocument list;
    if (!list.loadXml(ListBook(data, docDate, &m_overflowed), error))
        return false;
    *page = m_template.TransformNode(list.documentElement());
    ReplaceReportTitle(*page, title.toHtmlEscaped());
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
    for (const XmlNode& t : trans.childElementsWithAttribute(
             {schema::kFrom, schema::kTo}, account)) {
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
