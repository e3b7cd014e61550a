#include "Utilities.h"

#include <random>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "Xml.h"

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

bool IsAllowedChar(QChar c)
{
    const char16_t u = c.unicode();
    return u >= 32 && u <= 126 && u != u'\'';
}

QString AllowedCharsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (IsAllowedChar(c))
            out.append(c);
    }
    return out;
}

short RandomInRange(short lo, short hi)
{
    // Reseeded from the clock on every call, as the letters of a new file need no more.
    static std::mt19937 generator;
    generator.seed(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch())
                   ^ std::random_device{}());
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
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

QString PersonalFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder.isEmpty() ? QString() : QDir::toNativeSeparators(folder + QLatin1Char('/'));
}

int NextTransactionNumber(const XmlDocument& document, int docDate)
{
    const XmlNode trans = document.selectSingleNode(QStringLiteral("/Data/Trans"));
    const QList<XmlNode> sameDate
        = trans.childElementsWithAttribute({QStringLiteral("dt")}, QString::number(docDate));
    int highest = 0;
    for (const XmlNode& t : sameDate)
        highest = std::max(highest, t.attributeValue(0).toInt());
    return highest + 1;
}

int NextAccountCode(const XmlDocument& document)
{
    const XmlNode last = document.selectSingleNode(QStringLiteral("/Data/AcMaster/a[last()]"));
    return last ? last.attributeValue(0).toInt() + 1 : 1;
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
