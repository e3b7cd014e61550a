#include "LedgerReport.h"

#include "ListingBook.h"
#include "ReportPage.h"
#include "Utilities.h"

namespace qb {

bool LedgerReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-acwise"), error);
}

bool LedgerReport::loadText(const QByteArray& text, Error* error)
{
    return m_template.loadText(text, error);
}

QString LedgerReport::ListingBook(
    const XmlDocument& data, int code, int from, int to, bool* overflowed)
{
    const QList<ListingRow> rows = ListingRows(data, [code, to](int dt, int fAc, int tAc) {
        return dt > 0 && dt <= to && (fAc == code || tAc == code);
    });
    const QHash<int, QString> names = AccountNames(data);

    ListingSum balance, in, out, dayIn, dayOut;
    qsizetype inWidth = 0, outWidth = 0, balanceWidth = 0;
    auto widest = [](qsizetype* width, const QString& text) {
        *width = std::max(*width, text.size());
    };
    QString xml;
    xml.reserve(rows.size() * 160 + 200);
    int day = 0;
    int rowsOfDay = 0;
    auto closeDay = [&] {
        if (rowsOfDay > 1) {
            xml += QLatin1String("<Total");
            AppendAttribute(xml, QLatin1String("in"), dayIn.text());
            AppendAttribute(xml, QLatin1String("out"), dayOut.text());
            xml += QLatin1String("/>");
        }
        if (rowsOfDay > 0)
            xml += QLatin1String("</Day>");
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
    for (qsizetype i = first; i < rows.size(); ++i) {
        const ListingRow& r = rows.at(i);
        if (r.dt != day) {
            closeDay();
            day = r.dt;
            xml += QLatin1String("<Day>");
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
        xml += QLatin1String("<t");
        AppendAttribute(xml, QLatin1String("dt"), QString::number(r.dt));
        AppendAttribute(xml, QLatin1String("No"), QString::number(r.no));
        if (other != code) {
            AppendAttribute(xml, QLatin1String("ac"), QString::number(other));
            AppendAttribute(xml, QLatin1String("name"), names.value(other));
        }
        AppendAttribute(xml, QLatin1String("Nar"), r.nar);
        AppendAttribute(xml, QLatin1String("in"), inText);
        AppendAttribute(xml, QLatin1String("out"), outText);
        AppendAttribute(xml, QLatin1String("balance"), balanceText);
        xml += QLatin1String("/>");
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
    if (overflowed)
        *overflowed = balance.overflowed() || in.overflowed() || out.overflowed();

    QString root = QStringLiteral("<Ledger");
    AppendAttribute(root, QLatin1String("code"), QString::number(code));
    AppendAttribute(root, QLatin1String("opening"), opening);
    AppendAttribute(root, QLatin1String("in"), inText);
    AppendAttribute(root, QLatin1String("out"), outText);
    AppendAttribute(root, QLatin1String("closing"), closing);
    AppendAttribute(root, QLatin1String("inWidth"), QString::number(inWidth));
    AppendAttribute(root, QLatin1String("outWidth"), QString::number(outWidth));
    AppendAttribute(root, QLatin1String("balanceWidth"), QString::number(balanceWidth));
    root += QLatin1Char('>');
    return root + xml + QLatin1String("</Ledger>");
}

bool LedgerReport::build(const XmlDocument& data, int code, const QString& accountName,
    const QDate& from, const QDate& to, const QString& dateExpression, QString* page, Error* error)
{
    m_overflowed = false;
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
        || !m_template.setDateFormat(dateExpression, error))
        return false;
    XmlDocument listing;
    if (!listing.loadXml(ListingBook(data, code, first, last, &m_overflowed), error))
        return false;
    *page = m_template.TransformNode(listing.documentElement());
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
