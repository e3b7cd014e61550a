#include "store/Utilities.h"

#include <algorithm>
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
    if (c < 128)
        return c >= 32 && c <= 126;
    if (c == 0x200C || c == 0x200D || c == 0x2019) // zero-width non-joiner, joiner; ’
        return true;
    switch (QChar::category(c)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
        return true;
    default:
        return false;
    }
}

namespace {

// Calls keep(from, length) for each allowed character of the text, whole
// surrogate pairs included; an unpaired surrogate is never allowed.
template <typename Keep>
void forAllowedChars(const QString& text, Keep keep)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (IsAllowedChar(QChar::surrogateToUcs4(c, text.at(i + 1))))
                keep(i, 2);
            ++i;
        } else if (!c.isSurrogate() && IsAllowedChar(c.unicode())) {
            keep(i, 1);
        }
    }
}

} // namespace

QString AllowedCharsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    forAllowedChars(
        text, [&](qsizetype from, qsizetype length) { out.append(text.mid(from, length)); });
    return out;
}

bool OnlyAllowedChars(const QString& text)
{
    qsizetype kept = 0;
    forAllowedChars(text, [&](qsizetype, qsizetype length) { kept += length; });
    return kept == text.size();
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
