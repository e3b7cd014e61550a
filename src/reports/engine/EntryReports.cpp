#include "EntryReports.h"

#include "ReportPage.h"
#include "Utilities.h"

namespace qb {

// A book holding the account heads and only the given transactions. The
// entry window's reports look at one day or one account; transforming such a
// book instead of the whole one keeps them fast on books of any size, and the
// templates give the same page for it.
XmlDocument PartOfBook(const XmlDocument& data, const QStringList& attributes, const QString& value)
{
    XmlDocument part;
    part.loadXml(QByteArrayLiteral("<Data><Trans/></Data>"));
    XmlNode root = part.documentElement();
    root.insertBefore(root.createElement(QStringLiteral("AcMaster")), root.firstChildElement());
    XmlNode heads = root.firstChildElement();
    XmlNode trans = heads.nextSiblingElement();
    const XmlNode dataRoot = data.documentElement();
    for (XmlNode section = dataRoot.firstChildElement(); section; section = section.nextSiblingElement()) {
        if (section.name() == QStringLiteral("AcMaster")) {
            for (XmlNode a = section.firstChildElement(); a; a = a.nextSiblingElement())
                heads.appendCopy(a);
        } else if (section.name() == QStringLiteral("Trans")) {
            for (const XmlNode& t : section.childElementsWithAttribute(attributes, value))
                trans.appendCopy(t);
        }
    }
    return part;
}

bool DayListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-daywise"), error);
}

bool DayListReport::build(const XmlDocument& data, const QDate& date, const QString& title,
                          QString* page, Error* error)
{
    const QString day = QString::number(DateToDocDate(date));
    if (!m_template.setChildAttribute(1, 1, day, error) || !m_template.setChildAttribute(2, 1, day, error))
        return false;
    const XmlDocument part = PartOfBook(data, {QStringLiteral("dt")}, day);
    *page = m_template.TransformNode(part.documentElement());
    ReplaceReportTitle(*page, title);
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
    XmlNode trans;
    const XmlNode root = data.documentElement();
    for (XmlNode section = root.firstChildElement(); section; section = section.nextSiblingElement()) {
        if (section.name() == QStringLiteral("Trans")) {
            trans = section;
            break;
        }
    }
    if (trans.isNull())
        return total;
    for (const XmlNode& t : trans.childElementsWithAttribute(
             {QStringLiteral("fAc"), QStringLiteral("tAc")}, account)) {
        bool dated = false;
        const int dt = t.attribute(QStringLiteral("dt")).toInt(&dated);
        if (dated && dt > upTo)
            continue;
        // Every page reads amounts through the one grammar; a transaction
        // whose date or amount cannot be read leaves the balance unknown.
        const std::optional<Money> amount = Money::parse(t.text());
        if (!amount || !dated) {
            total.markUnreadable();
            continue;
        }
        if (t.attribute(QStringLiteral("tAc")) == account)
            total.add(*amount);
        if (t.attribute(QStringLiteral("fAc")) == account)
            total.subtract(*amount);
    }
    return total;
}

} // namespace qb
