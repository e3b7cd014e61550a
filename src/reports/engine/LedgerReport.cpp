#include "LedgerReport.h"

#include "ReportPage.h"
#include "Utilities.h"

namespace qb {

bool LedgerReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-acwise"), error);
}

bool LedgerReport::loadText(const QByteArray& text, Error* error)
{
    return m_template.loadText(text, error);
}

bool LedgerReport::build(const XmlDocument& data, int code, const QString& accountName,
    const QDate& from, const QDate& to, const QString& dateExpression, QString* page, Error* error)
{
    if (!m_template.isLoaded() || data.isNull()) {
        if (error)
            *error = {91, QStringLiteral("No template or no book")};
        return false;
    }
    if (!m_template.setVariable(
            QStringLiteral("FromDate"), QString::number(DateToDocDate(from)), error)
        || !m_template.setVariable(
            QStringLiteral("ToDate"), QString::number(DateToDocDate(to)), error)
        || !m_template.setVariable(QStringLiteral("AcCode"), QString::number(code), error)
        || !m_template.setDateFormat(dateExpression, error))
        return false;
    *page = m_template.TransformNode(data.documentElement());
    if (page->isEmpty()) {
        if (error)
            *error = {91, QStringLiteral("The transformation gave no page")};
        return false;
    }
    ReplaceReportTitle(*page, Title(accountName, from, to));
    return true;
}

QString LedgerReport::Title(
    const QString& accountName, const QDate& from, const QDate& to, const QLocale& locale)
{
    return QStringLiteral("Transaction listing for '") + accountName + QStringLiteral("' - From ")
        + locale.toString(from, QLocale::ShortFormat) + QStringLiteral(" To ")
        + locale.toString(to, QLocale::ShortFormat);
}

QString LedgerReport::Caption(const QString& accountName)
{
    return QStringLiteral("Transaction listing - ") + accountName;
}

QString AccountName(const XmlDocument& data, int code)
{
    const XmlNode root = data.documentElement();
    for (XmlNode section = root.firstChildElement(); section;
         section = section.nextSiblingElement()) {
        if (section.name() != QStringLiteral("AcMaster"))
            continue;
        for (XmlNode a = section.firstChildElement(); a; a = a.nextSiblingElement()) {
            if (a.attribute(QStringLiteral("Code")).trimmed().toInt() == code)
                return a.attribute(QStringLiteral("AcName"));
        }
    }
    return {};
}

} // namespace qb
