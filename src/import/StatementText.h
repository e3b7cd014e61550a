// Routines the statement readers share: decoding the file's text, line
// numbers, and the checks every reader makes. Internal to the import library.
#pragma once

#include <algorithm>

#include <QDate>
#include <QStringDecoder>

#include "import/Statement.h"

namespace qb::statement {

// Statement texts are UTF-8 when they read as such, else Windows-1252 / Latin-1.
class TextDecoder
{
public:
    explicit TextDecoder(const QByteArray& bytes)
    {
        // Probed in pieces: a whole copy of a large file is not needed to tell.
        QStringDecoder probe(QStringDecoder::Utf8);
        constexpr qsizetype piece = 64 * 1024;
        for (qsizetype at = 0; at < bytes.size() && !probe.hasError(); at += piece)
            const QString ignored
                = probe(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
        m_utf8 = !probe.hasError();
    }
    QString operator()(QByteArrayView bytes) const
    {
        return m_utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    }

private:
    bool m_utf8 = true;
};

inline int lineOfOffset(const QByteArray& bytes, qsizetype offset)
{
    return int(std::count(bytes.cbegin(), bytes.cbegin() + offset, '\n')) + 1;
}

// Text files only: a zero byte means an image, an archive or garbage.
inline bool checkText(const QByteArray& bytes, StatementError* error)
{
    const qsizetype zero = bytes.indexOf('\0');
    if (zero < 0)
        return true;
    *error = {lineOfOffset(bytes, zero),
        QStringLiteral("this is not a text file (it holds a zero byte)")};
    return false;
}

inline bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

inline QString quotedValue(const QString& text)
{
    return QLatin1Char('"') + (text.size() > 40 ? text.left(40) + QStringLiteral("...") : text)
        + QLatin1Char('"');
}

inline QDate calendarDate(int year, int month, int day)
{
    if (year < 1900 || year > 9999)
        return {};
    return QDate(year, month, day);
}

} // namespace qb::statement
