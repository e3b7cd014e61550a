#include "engine/ListingBook.h"

#include <algorithm>

namespace qb {

namespace {

int numberOf(QByteArrayView text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : 0;
}

XmlNode transSection(const XmlDocument& data)
{
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() == QStringLiteral("Trans"))
            return s;
    }
    return {};
}

} // namespace

QList<ListingRow> ListingRows(
    const XmlDocument& data, const std::function<bool(int dt, int fAc, int tAc)>& keep)
{
    QList<ListingRow> rows;
    const XmlNode trans = transSection(data);
    if (trans.isNull())
        return rows;
    trans.visitChildElements({QByteArrayLiteral("dt"), QByteArrayLiteral("fAc"),
                                 QByteArrayLiteral("tAc"), QByteArrayLiteral("No"),
                                 QByteArrayLiteral("Nar")},
        [&](const QList<QByteArrayView>& values, QByteArrayView text) {
            const int dt = numberOf(values.at(0));
            const int fAc = numberOf(values.at(1));
            const int tAc = numberOf(values.at(2));
            if (!keep(dt, fAc, tAc))
                return;
            ListingRow row;
            row.dt = dt;
            row.fAc = fAc;
            row.tAc = tAc;
            row.no = numberOf(values.at(3));
            row.nar = QString::fromUtf8(values.at(4));
            // The one reading of an amount; blanks around it are no part of it.
            row.amount = Money::parse(QString::fromUtf8(text.trimmed()));
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
    for (XmlNode s = data.documentElement().firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != QStringLiteral("AcMaster"))
            continue;
        s.visitChildElements({QByteArrayLiteral("Code"), QByteArrayLiteral("AcName")},
            [&names](const QList<QByteArrayView>& values, QByteArrayView) {
                const int code = numberOf(values.at(0));
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
        case u'&': xml += "&amp;"; break;
        case u'<': xml += "&lt;"; break;
        case u'>': xml += "&gt;"; break;
        case u'"': xml += "&quot;"; break;
        default:
            if (c >= 32 && c < 127) {
                xml += char(c);
            } else {
                // Line breaks and tabs would be read back as blanks; anything
                // beyond ASCII is kept as a character reference.
                char32_t code = c;
                if (QChar::isHighSurrogate(c) && i + 1 < value.size() && value[i + 1].isLowSurrogate())
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
