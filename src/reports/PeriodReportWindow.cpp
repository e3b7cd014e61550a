#include "reports/PeriodReportWindow.h"

#include <QPushButton>

#include "windows/DateSelector.h"
#include "windows/HtmlView.h"

namespace qb {

PeriodReportWindow::PeriodReportWindow(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    m_dates = new DateSelector(book, this);
    cmdPrint = new QPushButton(QStringLiteral("Pr&int"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setAutoDefault(false);

    setUpPleaseWait(QStringLiteral("Loading report. Please wait ..."));

    connect(m_dates, &DateSelector::periodChanged, this, &PeriodReportWindow::RefreshReport);
    connect(cmdPrint, &QPushButton::clicked, this, &PeriodReportWindow::printPage);
}

PeriodReportWindow::~PeriodReportWindow()
{
    disconnect(m_dates, nullptr, this, nullptr);
}

void PeriodReportWindow::setFromDate(const QDate& date)
{
    m_dates->setFromDate(date);
}

void PeriodReportWindow::setToDate(const QDate& date)
{
    m_dates->setToDate(date);
}

void PeriodReportWindow::RefreshReport()
{
    if (mblnDisableRefreshReport || m_refreshing)
        return;
    m_dates->cancelPendingChange();
    m_refreshing = true;
    withPleaseWait([this] {
        QString page;
        if (buildReport(&page))
            showPage(page);
    });
    m_refreshing = false;
}

QDate PeriodReportWindow::linkFromDate() const
{
    return m_dates->fromDate();
}

QDate PeriodReportWindow::linkToDate() const
{
    return m_dates->toDate();
}

} // namespace qb
