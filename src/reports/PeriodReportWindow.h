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

class QButtonGroup;
class QPushButton;
class QStackedWidget;

namespace qb {

class ChartPanel;
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

    // What the window shows: 0 the page, 1 and on the charts named when the
    // switch was made.
    int viewMode() const { return m_viewMode; }
    // Shows the page (0) or a chart; a chart is drawn from the figures of
    // the last refresh, never worked out again.
    void setViewMode(int mode);
    ChartPanel* chartPanel() const { return m_chartPanel; }

protected:
    // Makes the page of the current selection (title in place, no style head
    // yet). False when no page can be made: the refresh then ends quietly.
    virtual bool buildReport(QString* page) = 0;

    // Account links open their reports over the window's period.
    QDate linkFromDate() const override;
    QDate linkToDate() const override;

    const BookContext& book() const { return m_book; }

    // Makes the view switch: a button "Table" and one checkable button per
    // chart name (Ctrl+1, Ctrl+2 ... within the window), and "Save Chart..."
    // (PNG, Ctrl+S); WebBrowser1 and the chart panel go into pageStack,
    // which the window lays out in the page's place.
    void buildViewSwitch(const QStringList& chartNames);
    // Draws chart mode (1 and on) into chartPanel() from the window's figures.
    virtual void drawChart(int mode) { Q_UNUSED(mode); }
    // Whether chart mode can be shown for what is chosen now (its button is
    // enabled only then). Every chart here.
    virtual bool chartAvailable(int mode) const
    {
        Q_UNUSED(mode);
        return true;
    }
    // Enables the switch's buttons for what is chosen now; a chart that is
    // no longer available goes back to the page.
    void updateViewSwitch();
    // The Print button: the page, or the chart when one is shown.
    void printReport();

    QPushButton* cmdPrint = nullptr;
    QWidget* viewSwitch = nullptr; // the row of switch buttons
    QStackedWidget* pageStack = nullptr;
    QList<QPushButton*> viewButtons;
    QPushButton* cmdSaveChart = nullptr;

private:
    // Grows the window, within the room there is, so that a chart has the
    // height it needs to be read.
    void makeRoomForChart();

    BookContext m_book;
    DateSelector* m_dates = nullptr;
    bool m_refreshing = false;
    int m_viewMode = 0;
    ChartPanel* m_chartPanel = nullptr;
    QButtonGroup* m_viewGroup = nullptr;
};

} // namespace qb
