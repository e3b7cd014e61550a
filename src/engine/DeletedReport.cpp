#include "engine/DeletedReport.h"

#include <QHash>

#include "store/BookSchema.h"
#include "store/DeletedTransactions.h"
#include "store/MasterEdits.h"
#include "store/UndoHistory.h"

namespace qb {

bool DeletedListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Deleted-Listing"), error);
}

XmlDocument DeletedListReport::ListBook(const XmlDocument& data)
{
    XmlDocument book;
    book.loadXml(QByteArrayLiteral("<Data><Deleted/></Data>"));
    XmlNode list = book.documentElement().firstChildElement();
    QHash<int, QString> names;
    auto nameOf = [&](int code) {
        const auto found = names.constFind(code);
        if (found != names.constEnd())
            return *found;
        const XmlNode head = FindAccount(data, code);
        const QString name = head
            ? head.attribute(schema::kAcName)
            : QStringLiteral("(account ") + QString::number(code) + QLatin1Char(')');
        names.insert(code, name);
        return name;
    };
    for (const DeletedTransaction& e : ReadDeleted(data)) {
        XmlNode d = list.appendChild(list.createElement(QStringLiteral("d")));
        d.setAttribute(QStringLiteral("Id"), e.id);
        d.setAttribute(QStringLiteral("At"), e.at.toString(QStringLiteral("dd-MM-yyyy HH:mm")));
        d.setAttribute(QStringLiteral("Date"), CaptionDate(e.fields.date));
        d.setAttribute(schema::kNo, e.number);
        d.setAttribute(QStringLiteral("From"), nameOf(e.fields.from));
        d.setAttribute(QStringLiteral("To"), nameOf(e.fields.to));
        d.setAttribute(schema::kNar, e.fields.narration);
        const std::optional<Money> amount = Money::parse(e.amountText);
        d.setAttribute(
            QStringLiteral("Amount"), amount ? amount->formatGrouped() : Money::errorMark());
    }
    return book;
}

QString DeletedListReport::build(const XmlDocument& data) const
{
    const XmlDocument book = ListBook(data);
    return m_template.TransformNode(book.documentElement());
}

QString DeletedListReport::RestoreToken()
{
    return QStringLiteral("[*[R]*]");
}

QString DeletedListReport::RowId(int id)
{
    return QStringLiteral("id") + QString::number(id);
}

} // namespace qb
