#include "engine/ListingBook.h"

#include <algorithm>

#include "store/BookSchema.h"

namespace qb {

QList<ListingRow> ListingRows(
    const XmlDocument& data, const std::function<bool(int dt, int fAc, int tAc)>& keep)
{
    QList<ListingRow> rows;
    ForEachTransaction(data, [&](const BookTransaction& t) {
        const int dt = BookTransaction::numberOf(t.date);
        const int fAc = BookTransaction::numberOf(t.from);
        const int tAc = BookTransaction::numberOf(t.to);
        if (!keep(dt, fAc, tAc))
            return;
        ListingRow row;
        row.dt = dt;
        row.fAc = fAc;
        row.tAc = tAc;
        row.no = BookTransaction::numberOf(t.no);
        row.nar = QString::fromUtf8(t.narration);
        row.amount = t.amount();
        row.status = StatusFromText(t.status);
        rows.append(std::move(row));
    });
    std::stable_sort(rows.begin(), rows.end(), [](const ListingRow& a, const ListingRow& b) {
        return a.dt != b.dt ? a.dt < b.dt : a.no < b.no;
    });
    return rows;
}

QHash<int, QString> AccountNames(const XmlDocument& data)
{
    QHash<int, QString> names;
    static const QList<QByteArray> attributes
        = {schema::kCode.toLatin1(), schema::kAcName.toLatin1()};
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != schema::kAcMaster)
            continue;
        s.visitChildElements(
            attributes, [&names](const QList<QByteArrayView>& values, QByteArrayView) {
                const int code = BookTransaction::numberOf(values.at(0));
                if (!names.contains(code)) // the first head with a code names it
                    names.insert(code, QString::fromUtf8(values.at(1)));
            });
    }
    return names;
}

QString AmountText(const std::optional<Money>& amount)
{
    return amount ? amount->formatGrouped() : Money::errorMark();
}

void AppendAttribute(QByteArray& xml, const char* name, QStringView value)
{
    xml += ' ';
    xml += name;
    xml += "=\"";
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        switch (c) {
        case u'&':
            xml += "&amp;";
            break;
        case u'<':
            xml += "&lt;";
            break;
        case u'>':
            xml += "&gt;";
            break;
        case u'"':
            xml += "&quot;";
            break;
        default:
            if (c >= 32 && c < 127) {
                xml += char(c);
            } else {
                // Line breaks and tabs would be read back as blanks; anything
                // beyond ASCII is kept as a character reference.
                char32_t code = c;
                if (QChar::isHighSurrogate(c) && i + 1 < value.size()
                    && value[i + 1].isLowSurrogate())
                    code = QChar::surrogateToUcs4(c, value[++i].unicode());
                xml += "&#" + QByteArray::number(quint32(code)) + ';';
            }
        }
    }
    xml += '"';
}

void AppendAttribute(QByteArray& xml, const char* name, qint64 value)
{
    xml += ' ';
    xml += name;
    xml += "=\"";
    xml += QByteArray::number(value);
    xml += '"';
}

} // namespace qb
