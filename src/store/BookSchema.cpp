#include "store/BookSchema.h"

namespace qb {

int BookTransaction::numberOf(QByteArrayView text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

XmlNode BookSection(const XmlDocument& book, const QString& name)
{
    const XmlNode root = book.documentElement();
    if (root.isNull() || root.name() != schema::kData)
        return {};
    for (XmlNode s = root.firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() == name)
            return s;
    }
    return {};
}

void ForEachTransaction(
    const XmlDocument& book, const std::function<void(const BookTransaction&)>& visit)
{
    ForEachTransaction(TransSectionOf(book), visit);
}

void ForEachTransaction(
    const XmlNode& trans, const std::function<void(const BookTransaction&)>& visit)
{
    if (trans.isNull())
        return;
    static const QList<QByteArray> names
        = {schema::kNo.toLatin1(), schema::kDate.toLatin1(), schema::kFrom.toLatin1(),
            schema::kTo.toLatin1(), schema::kNar.toLatin1(), schema::kStatus.toLatin1()};
    BookTransaction t;
    trans.visitChildElements(names, [&](const QList<QByteArrayView>& values, QByteArrayView text) {
        ++t.position;
        t.no = values.at(0);
        t.date = values.at(1);
        t.from = values.at(2);
        t.to = values.at(3);
        t.narration = values.at(4);
        t.status = values.at(5);
        t.amountText = text;
        visit(t);
    });
}

} // namespace qb
