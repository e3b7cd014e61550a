#include "store/ClsAX.h"

#include <array>
#include <cstring>

#include <QFile>
#include <QFileInfo>

#include "store/BookSchema.h"
#include "store/Xml.h"

namespace qb {

namespace {

// Three-digit values of the letters A to Z, and of a character past the end.
constexpr std::array<int, 26> kLetterTable = {
    613,
    487,
    352,
    928,
    741,
    306,
    869,
    574,
    415,
    790,
    338,
    652,
    907,
    461,
    583,
    724,
    396,
    815,
    542,
    678,
    433,
    956,
    371,
    709,
    648,
    527,
};
constexpr int kAbsentValue = 811;

QByteArray joinKey(const char* a, const char* b, int number, const char* c)
{
    QByteArray key(a);
    key += b;
    key += QByteArray::number(number).rightJustified(3, '0');
    key += c;
    return key;
}

} // namespace

QByteArray DataFileKey()
{
    return joinKey("Mq", "Tz", 582, "s");
}

QByteArray ReportKey()
{
    return joinKey("Rp", "Vn", 739, "k");
}

bool ClsAX::EnDeCrypt(QString& Text, const QString& Password) const
{
    if (Text.isEmpty() || Password.isEmpty())
        return false;
    const qsizetype n = Text.size();
    const qsizetype k = Password.size();
    QChar* data = Text.data();
    const QChar* key = Password.constData();
    for (qsizetype i = 0, j = 0; i < n; ++i) {
        const char16_t unit = data[i].unicode();
        data[i] = QChar(char16_t((unit & 0xFF00u) | ((unit ^ key[j].unicode()) & 0x00FFu)));
        if (++j == k)
            j = 0;
    }
    return true;
}

bool ClsAX::EnDeCryptBytes(char* data, qsizetype size, QByteArrayView key)
{
    const qsizetype k = key.size();
    if (size <= 0 || k <= 0)
        return false;
    constexpr qsizetype kWord = sizeof(quint64);
    constexpr qsizetype kMaxKey = 64;
    qsizetype i = 0;
    if (k <= kMaxKey && size >= kWord * k) {
        // The key repeated over k words lines up with the text again after
        // k words, so the text is processed a word at a time.
        std::array<quint64, kMaxKey> pattern;
        auto* bytes = reinterpret_cast<unsigned char*>(pattern.data());
        for (qsizetype p = 0; p < kWord * k; ++p)
            bytes[p] = static_cast<unsigned char>(key[p % k]);
        const qsizetype blocks = size / (kWord * k);
        for (qsizetype b = 0; b < blocks; ++b) {
            for (qsizetype w = 0; w < k; ++w, i += kWord) {
                quint64 word;
                std::memcpy(&word, data + i, kWord);
                word ^= pattern[w];
                std::memcpy(data + i, &word, kWord);
            }
        }
    }
    for (qsizetype j = i % k; i < size; ++i) {
        data[i] = char(data[i] ^ key[j]);
        if (++j == k)
            j = 0;
    }
    return true;
}

bool ClsAX::EnDeCryptBytes(QByteArray& data, QByteArrayView key)
{
    if (data.isEmpty())
        return false;
    return EnDeCryptBytes(data.data(), data.size(), key);
}

bool ClsAX::EnDeCryptFile(
    const QString& FileFrom, const QString& FileTo, const QString& Password, bool OverWrite) const
{
    if (FileFrom.isEmpty() || FileTo.isEmpty() || Password.isEmpty()
        || !QFileInfo(FileFrom).isFile())
        return false;
    const QFileInfo target(FileTo);
    if (target.exists()) {
        // Replacing the source by its own output would delete it before it is read.
        if (!OverWrite || target.canonicalFilePath() == QFileInfo(FileFrom).canonicalFilePath()
            || !QFile::remove(FileTo))
            return false;
    }
    QByteArray key;
    for (QChar c : Password)
        key.append(char(c.unicode() & 0xFF));
    const qsizetype k = key.size();
    // The largest multiple of the key length not above 8192; a key longer
    // than that is one chunk of its own length.
    const qsizetype chunk = k > 8192 ? k : 8192 - (8192 % k);

    QFile in(FileFrom);
    QFile out(FileTo);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    QByteArray buffer(chunk, Qt::Uninitialized);
    qint64 position = 0;
    for (;;) {
        const qint64 got = in.read(buffer.data(), chunk);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        // Full chunks are whole multiples of the key, so each restarts it; a
        // short read (which files rarely give) continues where it stopped.
        const qsizetype offset = qsizetype(position % k);
        if (offset == 0)
            EnDeCryptBytes(buffer.data(), got, key);
        else
            EnDeCryptBytes(buffer.data(), got, QByteArray(key.mid(offset) + key.left(offset)));
        position += got;
        if (out.write(buffer.constData(), got) != got)
            return false;
    }
    return out.flush();
}

QString PasswordDigest(const QString& Text)
{
    auto value = [&](qsizetype position) -> qint64 {
        if (position < 1 || position > Text.size())
            return kAbsentValue;
        const char16_t c = Text.at(position - 1).unicode();
        if (c >= u'A' && c <= u'Z')
            return kLetterTable[c - u'A'];
        if (c >= u'a' && c <= u'z')
            return kLetterTable[c - u'a'];
        return c;
    };
    qint64 acc = 1;
    for (qint64 i = 2; i <= 5; ++i)
        acc += value(i) + 5 * i;
    acc *= 100;
    for (qint64 i = 3; i <= 4; ++i)
        acc += value(i) + 3 * i;
    acc *= 100;
    for (qint64 i = 1; i <= 2; ++i)
        acc += value(i) + 9 * i;
    acc *= 100;
    for (qint64 i = 4; i <= Text.size(); ++i)
        acc += value(i) + 13 * i;

    QString digest;
    for (QChar d : QString::number(acc)) {
        switch (d.unicode()) {
        case u'5':
            digest += QStringLiteral("ae");
            break;
        case u'9':
            digest += QStringLiteral("fr");
            break;
        case u'1':
            digest += QStringLiteral("mw");
            break;
        case u'3':
            digest += QStringLiteral("da");
            break;
        case u'7':
            digest += QStringLiteral("wo");
            break;
        default:
            digest += d;
        }
    }
    return digest;
}

bool HasPassword(const XmlDocument& document)
{
    const QString i = BookSection(document, schema::kI).text();
    const QString p = BookSection(document, schema::kPValue).text();
    return p != PasswordDigest(i);
}

} // namespace qb
