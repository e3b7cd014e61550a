#include "reports/PeriodReportWindow.h"

#include <QPushButton>

#include "windows/DateSelector.h"
#include "windows/HtmlView.h"
#include "controls/sesPanel.h"

namespace qb {

PeriodReportWindow::PeriodReportWindow(const BookContext& book, QWidget* parent)
    : DataWindow(parent)
    , m_book(book)
{
    m_dates = new DateSelector(book, this);
    cmdPrint = new QPushButton(QStringLiteral("Pr&int"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdPrint->setAutoDefault(false);

    fraPleaseWait = new sesPanel(this);
    fraPleaseWait->setObjectName(QStringLiteral("fraPleaseWait"));
    fraPleaseWait->setCaption(QStringLiteral("Loading report. Please wait ..."));
    fraPleaseWait->resize(260, 50);
    fraPleaseWait->hide();

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
    {
        BusyScope busy(this);
        placePleaseWait();
        fraPleaseWait->show();
        fraPleaseWait->raise();
        fraPleaseWait->repaint();
        QString page;
        if (buildReport(&page))
            showPage(page);
        fraPleaseWait->hide();
    }
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

void PeriodReportWindow::resizeEvent(QResizeEvent* event)
{
    DataWindow::resizeEvent(event);
    placePleaseWait();
}

void PeriodReportWindow::placePleaseWait()
{
    const QRect view = WebBrowser1->geometry();
    const QPoint topLeft = WebBrowser1->parentWidget()->mapTo(this, view.topLeft());
    fraPleaseWait->move(
        topLeft.x() + (view.width() - fraPleaseWait->width()) / 2, topLeft.y() + 20);
}

} // namespace qb
