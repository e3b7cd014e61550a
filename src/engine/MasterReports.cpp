#include "engine/MasterReports.h"

#include <optional>

#include <QHash>

#include "engine/PageFigures.h"
#include "store/BookSchema.h"
#include "store/Money.h"

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
    XmlNode heads = root.appendChild(root.createElement(schema::kAcMaster));
    XmlNode balances = root.appendChild(root.createElement(QStringLiteral("Balances")));

    // Balances by the code's text, as the heads and transactions write it.
    QHash<QString, FigureSum> sums;
    QList<XmlNode> copied;
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() == schema::kAcMaster) {
            for (XmlNode a = s.firstChildElement(); a; a = a.nextSiblingElement())
                copied.append(heads.appendCopy(a));
        }
    }
    // One walk over the transactions for all accounts; every amount read
    // through the one grammar, and one that cannot be read marks the
    // balances of both its accounts. The sums are checked: a balance that
    // leaves the range shows the error mark.
    ForEachTransaction(data, [&sums](const BookTransaction& t) {
        const std::optional<Money> amount = t.amount();
        // One lookup at a time: a reference into the hash dies when the next
        // lookup inserts and the table grows.
        const QString from = QString::fromUtf8(t.from);
        const QString to = QString::fromUtf8(t.to);
        if (!amount) {
            sums[from].markUnreadable();
            sums[to].markUnreadable();
            return;
        }
        sums[from].subtract(*amount);
        sums[to].add(*amount);
    });
    for (const XmlNode& a : copied) {
        const QString code = a.attribute(schema::kCode);
        XmlNode b = balances.appendChild(root.createElement(QStringLiteral("b")));
        b.setAttribute(schema::kCode, code);
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
    XmlNode groups = root.appendChild(root.createElement(schema::kGroups));
    QHash<QString, QString> names;
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != schema::kAcMaster)
            continue;
        for (XmlNode a = s.firstChildElement(); a; a = a.nextSiblingElement()) {
            const QString code = a.attribute(schema::kCode).trimmed();
            if (!names.contains(code))
                names.insert(code, a.attribute(schema::kAcName));
        }
    }
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != schema::kGroups)
            continue;
        for (XmlNode g = s.firstChildElement(); g; g = g.nextSiblingElement()) {
            XmlNode copy = groups.appendCopy(g);
            QStringList members;
            const QStringList pieces
                = g.attribute(schema::kMembers).split(QLatin1Char(','), Qt::SkipEmptyParts);
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
