#include "tool/HelpText.h"

#include <QStringList>

namespace qb {

QString WrapText(const QString& text, int indent, int used, int width)
{
    QString result;
    qsizetype length = used; // of the line being filled
    bool empty = true;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!empty && length + 1 + word.size() > width) {
            result += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            length = indent;
            empty = true;
        }
        if (!empty) {
            result += QLatin1Char(' ');
            ++length;
        }
        result += word;
        length += word.size();
        empty = false;
    }
    return result + QLatin1Char('\n');
}

QString OptionHelpLine(const QString& names, const QString& description)
{
    constexpr int kColumn = 26;
    const QString left = QStringLiteral("  ") + names;
    if (left.size() + 2 > kColumn)
        return left + QLatin1Char('\n') + QString(kColumn, QLatin1Char(' '))
            + WrapText(description, kColumn, kColumn);
    return left.leftJustified(kColumn) + WrapText(description, kColumn, kColumn);
}

} // namespace qb
