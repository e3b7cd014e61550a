#include "MasterReports.h"

#include <optional>

#include <QHash>

#include "Money.h"

namespace qb {

namespace {

// "1,234.50", "-0.75": the money type's text, its whole part grouped.
QString balanceText(Money balance)
{
    QString text = balance.format();
    const qsizetype digitsEnd = text.indexOf(QLatin1Char('.'));
    const qsizetype digitsStart = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    for (qsizetype i = digitsEnd - 3; i > digitsStart; i -= 3)
        text.insert(i, QLatin1Char(','));
    return text;
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

    QHash<int, Money> sums;
    QList<XmlNode> copied;
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        const QString name = s.name();
        if (name == QStringLiteral("AcMaster")) {
            for (XmlNode a = s.firstChildElement(); a; a = a.nextSiblingElement())
                copied.append(heads.appendCopy(a));
        } else if (name == QStringLiteral("Trans")) {
            // One walk over the transactions for all accounts.
            s.visitChildElements({QByteArrayLiteral("fAc"), QByteArrayLiteral("tAc")},
                [&sums](const QList<QByteArrayView>& codes, QByteArrayView text) {
                    const std::optional<Money> amount
                        = Money::parse(QString::fromLatin1(text.trimmed()));
                    if (!amount)
                        return;
                    sums[codes.at(0).toInt()] -= *amount;
                    sums[codes.at(1).toInt()] += *amount;
                });
        }
    }
    for (const XmlNode& a : copied) {
        const QString code = a.attribute(QStringLiteral("Code"));
        XmlNode b = balances.appendChild(root.createElement(QStringLiteral("b")));
        b.setAttribute(QStringLiteral("Code"), code);
        b.setText(balanceText(sums.value(code.toInt())));
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
