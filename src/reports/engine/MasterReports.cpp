#include "MasterReports.h"

#include <optional>

#include <QHash>

namespace qb {

namespace {

// An amount in ten-thousandths, read exactly from the document's plain
// decimal text; nothing when the text is not such a number.
std::optional<qint64> amountUnits(const QString& text)
{
    const QString t = text.trimmed();
    const qsizetype point = t.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? t : t.left(point);
    QString fraction = point < 0 ? QString() : t.mid(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    if (fraction.size() > 4)
        fraction.truncate(4); // the document never holds more than two decimals
    bool okWhole = true;
    bool okFraction = true;
    const qint64 w = whole.isEmpty() ? 0 : whole.toLongLong(&okWhole);
    const qint64 f = fraction.isEmpty() ? 0 : fraction.leftJustified(4, QLatin1Char('0')).toLongLong(&okFraction);
    if (!okWhole || !okFraction || w < 0 || f < 0)
        return std::nullopt;
    return w * 10000 + f;
}

// "1,234.50", "-0.75": grouped, two decimals, rounded half away from zero.
QString balanceText(qint64 units)
{
    const bool negative = units < 0;
    const qint64 magnitude = negative ? -units : units;
    const qint64 cents = (magnitude + 50) / 100;
    QString whole = QString::number(cents / 100);
    for (qsizetype i = whole.size() - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(','));
    const QString text = whole + QLatin1Char('.')
        + QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
    return negative && cents != 0 ? QLatin1Char('-') + text : text;
}

XmlDocument emptyBook()
{
    XmlDocument book;
    book.loadXml(QByteArrayLiteral("<Data/>"));
    return book;
}

} // namespace

bool AccountListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("AcMaster-Listing"), error);
}

XmlDocument AccountListReport::ListBook(const XmlDocument& data)
{
    XmlDocument book = emptyBook();
    XmlNode root = book.documentElement();
    XmlNode heads = root.appendChild(root.createElement(QStringLiteral("AcMaster")));
    XmlNode balances = root.appendChild(root.createElement(QStringLiteral("Balances")));

    QHash<QString, qint64> sums; // by code as written
    QList<QString> codes;
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        const QString name = s.name();
        if (name == QStringLiteral("AcMaster")) {
            for (XmlNode a = s.firstChildElement(); a; a = a.nextSiblingElement()) {
                heads.appendCopy(a);
                codes.append(a.attribute(QStringLiteral("Code")));
            }
        } else if (name == QStringLiteral("Trans")) {
            // One walk over the transactions for all accounts.
            for (XmlNode t = s.firstChildElement(); t; t = t.nextSiblingElement()) {
                const std::optional<qint64> amount = amountUnits(t.text());
                if (!amount)
                    continue;
                sums[t.attribute(QStringLiteral("tAc"))] += *amount;
                sums[t.attribute(QStringLiteral("fAc"))] -= *amount;
            }
        }
    }
    for (const QString& code : codes) {
        XmlNode b = balances.appendChild(root.createElement(QStringLiteral("b")));
        b.setAttribute(QStringLiteral("Code"), code);
        b.setText(balanceText(sums.value(code)));
    }
    return book;
}

QString AccountListReport::build(const XmlDocument& data) const
{
    const XmlDocument book = ListBook(data);
    return m_template.TransformNode(book.documentElement());
}

QString AccountListReport::RowId(int code)
{
    return QStringLiteral("id") + QString::number(code);
}

bool GroupListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Group-Listing"), error);
}

QString GroupListReport::build(const XmlDocument& data) const
{
    // The account heads and the groups are all the list needs; leaving the
    // transactions out keeps the transformation short on any book.
    XmlDocument book = emptyBook();
    XmlNode root = book.documentElement();
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() == QStringLiteral("AcMaster") || s.name() == QStringLiteral("Groups"))
            root.appendCopy(s);
    }
    return m_template.TransformNode(book.documentElement());
}

QString GroupListReport::RowId(const QString& name)
{
    return QStringLiteral("id") + name;
}

} // namespace qb
