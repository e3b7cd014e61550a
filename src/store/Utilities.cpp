#include "store/Utilities.h"

#include <algorithm>
#include <optional>
#include <random>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "store/BookSchema.h"
#include "store/Xml.h"

namespace qb {

int DateToDocDate(const QDate& date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate DocDateToDate(int docDate)
{
    const QString digits = QString::number(docDate);
    if (digits.size() != 8)
        return {};
    return QDate(digits.left(4).toInt(), digits.mid(4, 2).toInt(), digits.mid(6, 2).toInt());
}

bool IsAllowedChar(char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    // Non-characters: the last two of every plane and U+FDD0-U+FDEF.
    if ((c & 0xFFFE) == 0xFFFE || (c >= 0xFDD0 && c <= 0xFDEF))
        return false;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    case QChar::Other_Format:
        // Invisible controls (direction marks and overrides, the byte order
        // mark) would make two names that look the same differ, or turn the
        // text around them. Kept: the joiners that some scripts and emoji
        // need, the tags of emoji flags, and the signs written before a number.
        return c == 0x200C || c == 0x200D || (c >= 0xE0020 && c <= 0xE007F)
            || (c >= 0x0600 && c <= 0x0605) || c == 0x06DD || c == 0x070F || c == 0x08E2
            || c == 0x110BD || c == 0x110CD;
    default:
        return true;
    }
}

namespace {

// Tabs and line breaks, which a text box shows as blanks.
bool isBreak(char32_t c)
{
    return c == U'\t' || c == U'\n' || c == U'\r' || c == 0x0B || c == 0x0C || c == 0x85
        || c == 0x2028 || c == 0x2029;
}

// Calls keep(from, length, blank) for each character of the text that is
// allowed or a break (blank true), whole surrogate pairs included, and
// refused(c) for each other one; refused returning true ends the walk.
template <typename Keep, typename Refused>
void forAllowedChars(const QString& text, Keep keep, Refused refused)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t u = c.unicode();
        qsizetype length = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            u = QChar::surrogateToUcs4(c, text.at(i + 1));
            length = 2;
        }
        if (IsAllowedChar(u) || isBreak(u))
            keep(i, length, isBreak(u));
        else if (refused(u))
            return;
        i += length - 1;
    }
}

} // namespace

QString AllowedCharsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    forAllowedChars(
        text,
        [&](qsizetype from, qsizetype length, bool blank) {
            if (blank)
                out.append(QLatin1Char(' '));
            else
                out.append(QStringView(text).mid(from, length));
        },
        [](char32_t) { return false; });
    return out;
}

bool OnlyAllowedChars(const QString& text)
{
    bool only = true;
    forAllowedChars(
        text, [&](qsizetype, qsizetype, bool blank) { only = only && !blank; },
        [&](char32_t) {
            only = false;
            return true;
        });
    return only;
}

std::optional<char32_t> FirstRefusedChar(const QString& text)
{
    std::optional<char32_t> first;
    forAllowedChars(
        text, [](qsizetype, qsizetype, bool) {},
        [&](char32_t c) {
            first = c;
            return true;
        });
    return first;
}

qsizetype CharacterCount(const QString& text)
{
    qsizetype n = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && text.at(i + 1).isLowSurrogate())
            --n;
    }
    return n;
}

QString PasswordCharsOnly(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() <= 126 && c != QLatin1Char('\''))
            out.append(c);
    }
    return out;
}

short RandomInRange(short lo, short hi)
{
    // Reseeded from the clock on every call, as the letters of a new file need no more.
    static std::mt19937 generator;
    generator.seed(
        static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()) ^ std::random_device {}());
    std::uniform_real_distribution<double> r(0.0, 1.0);
    return static_cast<short>((hi - lo + 1) * r(generator) + lo);
}

QString RandomLetters(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text.append(QChar(RandomInRange(65, 90)));
    return text;
}

QString ProgramFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    while (folder.size() > 1
        && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

QString ProgramDataFolder()
{
    const QString own = ProgramFolder();
    if (QFileInfo::exists(own + QStringLiteral("/rpt")))
        return own;
    const QString shared = QDir::cleanPath(own + QStringLiteral("/../share/quillbrook"));
    return QFileInfo::exists(shared + QStringLiteral("/rpt")) ? shared : own;
}

QString PersonalFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder + QLatin1Char('/'));
}

int NextTransactionNumber(const XmlDocument& document, int docDate)
{
    const XmlNode trans = BookSection(document, schema::kTrans);
    const QList<XmlNode> sameDate
        = trans.childElementsWithAttribute({schema::kDate}, QString::number(docDate));
    int highest = 0;
    for (const XmlNode& t : sameDate)
        highest = std::max(highest, t.attributeValue(0).toInt());
    return highest + 1;
}

int NextAccountCode(const XmlDocument& document)
{
    // The highest code rather than the last one: the same on every file the
    // program writes (it appends in code order), and still unique in a book
    // whose heads were reordered by hand.
    const XmlNode heads = BookSection(document, schema::kAcMaster);
    int highest = 0;
    for (XmlNode a = heads.firstChildElement(); a; a = a.nextSiblingElement())
        highest = std::max(highest, a.attributeValue(0).toInt());
    return highest + 1;
}

namespace {
QSettings settingsStore()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quillbrook"),
        QStringLiteral("Quillbrook"));
}
} // namespace

QString GetSetting(const QString& section, const QString& key, const QString& defaultValue)
{
    return settingsStore().value(section + QLatin1Char('/') + key, defaultValue).toString();
}

void SaveSetting(const QString& section, const QString& key, const QString& value)
{
    settingsStore().setValue(section + QLatin1Char('/') + key, value);
}

void SaveSettings(const QList<SettingValue>& values)
{
    QSettings settings = settingsStore();
    for (const SettingValue& v : values)
        settings.setValue(v.section + QLatin1Char('/') + v.key, v.value);
}

} // namespace qb
