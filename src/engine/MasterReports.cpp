#include "engine/MasterReports.h"

#include <optional>

#include <QHash>

#include "store/Money.h"
#include "engine/PageFigures.h"

namespace qb {

namespace {

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

XmlDocument AccountListReport::ListBook(const XmlDocument& data, FigureTrouble* trouble)
{
    XmlDocument book = emptyBook();
    XmlNode root = book.documentElement();
    XmlNode heads = root.appendChild(root.createElement(QStringLiteral("AcMaster")));
    XmlNode balances = root.appendChild(root.createElement(QStringLiteral("Balances")));

    // Balances by the code's text, as the heads and transactions write it.
    QHash<QString, FigureSum> sums;
    QList<XmlNode> copied;
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        const QString name = s.name();
        if (name == QStringLiteral("AcMaster")) {
            for (XmlNode a = s.firstChildElement(); a; a = a.nextSiblingElement())
                copied.append(heads.appendCopy(a));
        } else if (name == QStringLiteral("Trans")) {
            // One walk over the transactions for all accounts; every amount
            // read through the one grammar, and one that cannot be read
            // marks the balances of both its accounts.
            s.visitChildElements({QByteArrayLiteral("fAc"), QByteArrayLiteral("tAc")},
                [&sums](const QList<QByteArrayView>& codes, QByteArrayView text) {
                    const std::optional<Money> amount = Money::parse(QString::fromLatin1(text));
                    FigureSum& from = sums[QString::fromLatin1(codes.at(0))];
                    FigureSum& to = sums[QString::fromLatin1(codes.at(1))];
                    if (!amount) {
                        from.markUnreadable();
                        to.markUnreadable();
                        return;
                    }
                    from.subtract(*amount);
                    to.add(*amount);
                });
        }
    }
    for (const XmlNode& a : copied) {
        const QString code = a.attribute(QStringLiteral("Code"));
        XmlNode b = balances.appendChild(root.createElement(QStringLiteral("b")));
        b.setAttribute(QStringLiteral("Code"), code);
        const FigureSum balance = sums.value(code);
        b.setText(balance.grouped());
        if (trouble)
            trouble->note(balance);
    }
    return book;
}

QString AccountListReport::build(const XmlDocument& data, FigureTrouble* trouble) const
{
    const XmlDocument book = ListBook(data, trouble);
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

XmlDocument GroupListReport::ListBook(const XmlDocument& data)
{
    // The groups, each with its member accounts' names worked out here in
    // member order (codes without an account head left out), are all the
    // list needs; a long member list never becomes a deep recursion.
    XmlDocument book = emptyBook();
    XmlNode root = book.documentElement();
    XmlNode groups = root.appendChild(root.createElement(QStringLiteral("Groups")));
    QHash<QString, QString> names;
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != QStringLiteral("AcMaster"))
            continue;
        for (XmlNode a = s.firstChildElement(); a; a = a.nextSiblingElement()) {
            const QString code = a.attribute(QStringLiteral("Code")).trimmed();
            if (!names.contains(code))
                names.insert(code, a.attribute(QStringLiteral("AcName")));
        }
    }
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != QStringLiteral("Groups"))
            continue;
        for (XmlNode g = s.firstChildElement(); g; g = g.nextSiblingElement()) {
            XmlNode copy = groups.appendCopy(g);
            QStringList members;
            const QStringList pieces
                = g.attribute(QStringLiteral("gi")).split(QLatin1Char(','), Qt::SkipEmptyParts);
            for (const QString& piece : pieces) {
                const auto name = names.constFind(piece.trimmed());
                if (name != names.constEnd())
                    members.append(*name);
            }
            copy.setAttribute(QStringLiteral("Members"), members.join(QStringLiteral(", ")));
        }
    }
    return book;
}

QString GroupListReport::build(const XmlDocument& data) const
{
    const XmlDocument book = ListBook(data);
    return m_template.TransformNode(book.documentElement());
}

QString GroupListReport::RowId(const QString& name)
{
    return QStringLiteral("id") + name;
}

} // namespace qb
