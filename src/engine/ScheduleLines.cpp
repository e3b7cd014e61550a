#include "engine/ScheduleLines.h"

#include "engine/ListingBook.h"
#include "store/BookExport.h"

namespace qb {

QStringList OccurrenceLines(const XmlDocument& book, const QList<Occurrence>& list, bool csv)
{
    const QHash<int, QString> names = AccountNames(book);
    const auto name
        = [&](int code) { return names.value(code, QLatin1Char('#') + QString::number(code)); };
    QStringList lines;
    if (csv)
        lines << QStringLiteral("date,amount,from,to,narration");
    for (const Occurrence& o : list) {
        QStringList fields {o.date.toString(Qt::ISODate), o.fields.amount.toText(),
            name(o.fields.from), name(o.fields.to), o.fields.narration};
        if (csv) {
            for (qsizetype i = 2; i < fields.size(); ++i)
                fields[i] = CsvField(SpreadsheetSafe(fields.at(i)));
        }
        lines << fields.join(csv ? QLatin1Char(',') : QLatin1Char('\t'));
    }
    return lines;
}

} // namespace qb
