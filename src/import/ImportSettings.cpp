#include "import/ImportSettings.h"

#include <QCryptographicHash>
#include <QSettings>

#include "import/ImportPlan.h"
#include "store/Utilities.h"

namespace qb {

namespace {

const QString kSection = QStringLiteral("ImportProfiles");

// Header texts can be long and hold any character: their digest names them.
QString headerId(const QString& headerKey)
{
    return QStringLiteral("header-")
        + QString::fromLatin1(
            QCryptographicHash::hash(headerKey.toUtf8(), QCryptographicHash::Sha1).toHex());
}

// Profile names as settings keys: the name's letters kept readable.
QString profileId(const QString& name)
{
    return QStringLiteral("profile-") + QString::fromLatin1(name.toUtf8().toHex());
}

} // namespace

int ImportMatchDays()
{
    bool ok = false;
    const int days = GetSetting(
        QStringLiteral("Import"), QStringLiteral("MatchDays"), QString::number(kMatchDays))
                         .toInt(&ok);
    return ok && days >= 0 && days <= 30 ? days : kMatchDays;
}

std::optional<CsvMapping> LoadCsvProfile(const QString& name)
{
    const QString text = GetSetting(kSection, profileId(name));
    return text.isEmpty() ? std::nullopt : CsvMapping::fromText(text);
}

void SaveCsvProfile(const QString& name, const CsvMapping& mapping, const QString& headerKey)
{
    QList<SettingValue> values {{kSection, profileId(name), mapping.toText()}};
    if (!headerKey.isEmpty())
        values.append({kSection, headerId(headerKey), name});
    QStringList names = CsvProfileNames();
    if (!names.contains(name)) {
        names.append(name);
        values.append({kSection, QStringLiteral("names"),
            QString::fromLatin1(names.join(QLatin1Char('\n')).toUtf8().toBase64())});
    }
    SaveSettings(values);
}

QString CsvProfileForHeader(const QString& headerKey)
{
    return headerKey.isEmpty() ? QString() : GetSetting(kSection, headerId(headerKey));
}

int CsvProfileAccount(const QString& name)
{
    return GetSetting(kSection, profileId(name) + QStringLiteral("-account")).toInt();
}

void SaveCsvProfileAccount(const QString& name, int account)
{
    SaveSetting(kSection, profileId(name) + QStringLiteral("-account"), QString::number(account));
}

QStringList CsvProfileNames()
{
    const QString text = GetSetting(kSection, QStringLiteral("names"));
    if (text.isEmpty())
        return {};
    return QString::fromUtf8(QByteArray::fromBase64(text.toLatin1()))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace qb
