#pragma once

// The frame of the report windows that report over a period (the transaction
// list, the period summary): the shared date controls, the Print button
// cmdPrint, and the refresh plumbing. A refresh does nothing while
// mblnDisableRefreshReport is set; otherwise it shows the wait panel, asks the
// window for its page with the busy flag set, and shows it. A window that
// cannot make its page fails quietly: the wait panel goes, the page shown
// before stays.

#include "store/BookContext.h"
#include "windows/DataWindow.h"

class QPushButton;

namespace qb {

class DateSelector;

class PeriodReportWindow : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PeriodReportWindow)

public:
    PeriodReportWindow(const BookContext& book, QWidget* parent = nullptr);
    ~PeriodReportWindow() override;

    void RefreshReport();

    DateSelector* dates() const { return m_dates; }
    // Sets the date fields from code, without a refresh.
    void setFromDate(const QDate& date);
    void setToDate(const QDate& date);

    // True while a refresh is under way.
    bool isRefreshing() const { return m_refreshing; }

protected:
    // Makes the page of the current selection (title in place, no style head
    // yet). False when no page can be made: the refresh then ends quietly.
    virtual bool buildReport(QString* page) = 0;

    // Account links open their reports over the window's period.
    QDate linkFromDate() const override;
    QDate linkToDate() const override;

    const BookContext& book() const { return m_book; }

    QPushButton* cmdPrint = nullptr;

private:
    BookContext m_book;
    DateSelector* m_dates = nullptr;
    bool m_refreshing = false;
};

} // namespace qb
