#include "store/VisibleText.h"

namespace qb {

namespace {

bool isFormatControl(char16_t c)
{
    return c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E)
        || (c >= 0x2066 && c <= 0x2069);
}

QString hex(char16_t c, int width)
{
    return QString::number(c, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

} // namespace

QString VisibleText(QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == u'\t')
            shown += QStringLiteral("\\t");
        else if (c == u'\n')
            shown += QStringLiteral("\\n");
        else if (c == u'\r')
            shown += QStringLiteral("\\r");
        else if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            shown += QStringLiteral("\\x") + hex(c, 2);
        else if (isFormatControl(c))
            shown += QStringLiteral("\\u{") + hex(c, 4) + QLatin1Char('}');
        else
            shown += qc;
    }
    return shown;
}

} // namespace qb
