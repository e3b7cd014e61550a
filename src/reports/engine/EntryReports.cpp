#include "EntryReports.h"

#include <cmath>

#include "ReportPage.h"
#include "Utilities.h"

namespace qb {

bool DayListReport::load(Error* error)
{
    return m_template.load(QStringLiteral("Trans-daywise"), error);
}

bool DayListReport::build(const XmlDocument& data, const QDate& date, const QString& title,
                          QString* page, Error* error)
{
    const QString day = QString::number(DateToDocDate(date));
    if (!m_template.setChildAttribute(1, 1, day, error) || !m_template.setChildAttribute(2, 1, day, error))
        return false;
    *page = m_template.TransformNode(data.documentElement());
    ReplaceReportTitle(*page, title);
    return true;
}

QString DayListReport::RowId(int date, int number)
{
    return QStringLiteral("id") + QString::number(date) + QString::number(number);
}

bool AccountBalance::load(Error* error)
{
    return m_template.load(QStringLiteral("sum"), error);
}

std::optional<double> AccountBalance::balance(const XmlDocument& data, int code, const QDate& date)
{
    if (!m_template.setChildAttribute(1, 1, QString::number(DateToDocDate(date)))
        || !m_template.setChildAttribute(2, 1, QString::number(code)))
        return std::nullopt;
    bool ok = false;
    const double value = m_template.TransformNode(data.documentElement()).trimmed().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

QString AccountBalance::BalanceText(double value)
{
    // Rounded to cents first, so that a sum such as -0.001 shows as 0.00, not -0.00.
    const double cents = std::round(value * 100.0);
    return QString::number(cents == 0 ? 0.0 : cents / 100.0, 'f', 2);
}

} // namespace qb
