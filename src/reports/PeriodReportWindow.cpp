#include "reports/PeriodReportWindow.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>

#include "charts/ChartPanel.h"
#include "store/DataStore.h"
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
    connect(cmdPrint, &QPushButton::clicked, this, &PeriodReportWindow::printReport);
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
        if (buildReport(&page)) {
            showPage(page);
            updateViewSwitch();
            if (m_viewMode > 0)
                drawChart(m_viewMode);
        }
    });
    m_refreshing = false;
}

void PeriodReportWindow::buildViewSwitch(const QStringList& chartNames)
{
    viewSwitch = new QWidget(this);
    viewSwitch->setObjectName(QStringLiteral("viewSwitch"));
    auto* row = new QHBoxLayout(viewSwitch);
    row->setContentsMargins(0, 0, 0, 0);
    m_viewGroup = new QButtonGroup(this);
    m_viewGroup->setExclusive(true);
    // Keys of the window, not letters: the main window's menus hold the
    // letters these names would underline (Transaction, Help, View).
    auto windowKey = [this](const QKeySequence& key, QPushButton* button) {
        auto* shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        button->setToolTip(button->text() + QStringLiteral(" (")
            + key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    };
    const QStringList names = QStringList {QStringLiteral("Table")} + chartNames;
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto* button = new QPushButton(names.at(i), viewSwitch);
        button->setObjectName(
            i == 0 ? QStringLiteral("cmdTable") : QStringLiteral("cmdChart%1").arg(i));
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setChecked(i == 0);
        m_viewGroup->addButton(button, int(i));
        viewButtons.append(button);
        row->addWidget(button);
        windowKey(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), button);
    }
    row->addStretch(1);
    cmdSaveChart = new QPushButton(QStringLiteral("Save Chart..."), viewSwitch);
    cmdSaveChart->setObjectName(QStringLiteral("cmdSaveChart"));
    cmdSaveChart->setAutoDefault(false);
    cmdSaveChart->setEnabled(false);
    row->addWidget(cmdSaveChart);
    windowKey(QKeySequence(Qt::CTRL | Qt::Key_S), cmdSaveChart);

    pageStack = new QStackedWidget(this);
    pageStack->setObjectName(QStringLiteral("pageStack"));
    m_chartPanel = new ChartPanel(pageStack);
    pageStack->addWidget(WebBrowser1);
    pageStack->addWidget(m_chartPanel);
    connect(m_viewGroup, &QButtonGroup::idClicked, this, &PeriodReportWindow::setViewMode);
    connect(cmdSaveChart, &QPushButton::clicked, m_chartPanel,
        [this] { m_chartPanel->saveAsPng(m_book.store.dataFolder()); });
    updateViewSwitch();
}

void PeriodReportWindow::setViewMode(int mode)
{
    if (!pageStack || mode < 0 || mode >= viewButtons.size())
        return;
    if (mode > 0 && !chartAvailable(mode))
        mode = 0;
    m_viewMode = mode;
    viewButtons.at(mode)->setChecked(true);
    if (mode > 0) {
        makeRoomForChart();
        drawChart(mode);
    }
    pageStack->setCurrentIndex(mode > 0 ? 1 : 0);
    cmdSaveChart->setEnabled(mode > 0 && m_chartPanel->hasData());
}

void PeriodReportWindow::makeRoomForChart()
{
    // Fifteen accounts' bars and their names need about this much height.
    constexpr int kChartHeight = 420;
    const int extra = kChartHeight - pageStack->height();
    if (extra <= 0 || !isVisible())
        return;
    // The frame around the window (its sub-window in the main window), grown
    // within the area that holds it, moved up where there is no room below.
    QWidget* frame = isWindow() || !parentWidget() ? this : parentWidget();
    QRect area
        = frame->isWindow() ? frame->screen()->availableGeometry() : frame->parentWidget()->rect();
    QRect g = frame->geometry();
    const int height = std::min(g.height() + extra, area.height());
    g.moveTop(std::max(area.top(), std::min(g.top(), area.bottom() + 1 - height)));
    g.setHeight(height);
    frame->setGeometry(g);
}

void PeriodReportWindow::updateViewSwitch()
{
    if (!pageStack)
        return;
    for (qsizetype i = 1; i < viewButtons.size(); ++i)
        viewButtons.at(i)->setEnabled(chartAvailable(int(i)));
    if (m_viewMode > 0 && !chartAvailable(m_viewMode))
        setViewMode(0);
    cmdSaveChart->setEnabled(m_viewMode > 0 && m_chartPanel->hasData());
}

void PeriodReportWindow::printReport()
{
    if (m_viewMode > 0 && m_chartPanel && m_chartPanel->hasData())
        m_chartPanel->print(); // a cancelled dialog or a failure is of no consequence
    else
        printPage();
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
