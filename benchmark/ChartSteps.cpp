// qbbench steps of the charts: the Period Summary and the transaction list
// showing a chart while the period changes, timed from the change until the
// new page is made and the chart painted; and the Table / Chart switch.

#include <QApplication>
#include <QMap>

#include "Bench.h"
#include "charts/ChartPanel.h"
#include "reports/frmLedger.h"
#include "reports/frmTransSummary.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "windows/HtmlView.h"

namespace bench {

namespace {

struct ChartState
{
    qb::FixedClock clock {QDate()};
    std::unique_ptr<qb::PeriodReportWindow> window;
    QDate last;
    int run = 0;
};

enum class ChartKind { Summary, GroupBalance, AccountBalance };

bool prepareChart(Context& c, ChartKind kind, QString* why)
{
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!store.OpenDataFile(c.book)) {
        *why = QStringLiteral("the store does not open the book");
        return false;
    }
    auto s = std::make_shared<ChartState>();
    QMap<int, int> perAccount;
    int last = 0;
    for (const qb::XmlNode& t : store.TransSection().childElements()) {
        ++perAccount[t.attributeValue(2).toInt()];
        last = std::max(last, t.attributeValue(1).toInt());
    }
    int busiest = 0, most = -1;
    for (auto it = perAccount.begin(); it != perAccount.end(); ++it) {
        if (it.value() > most) {
            most = it.value();
            busiest = it.key();
        }
    }
    QString largestGroup;
    qsizetype members = -1;
    for (const qb::XmlNode& g :
        store.document().selectNodes(QStringLiteral("/Data/Groups/Group"))) {
        const qsizetype n = g.attributeValue(0).count(QLatin1Char(',')) - 1;
        if (n > members) {
            members = n;
            largestGroup = g.text();
        }
    }
    s->last = qb::DocDateToDate(last);
    s->clock.setToday(s->last);
    const qb::BookContext book {store, s->clock};
    const QDate from = s->last.addYears(-1).addDays(1);
    int mode = 1;
    if (kind == ChartKind::AccountBalance) {
        auto* ledger = new qb::frmLedger(book);
        s->window.reset(ledger);
        ledger->setFromDate(from);
        ledger->setToDate(s->last);
        ledger->SelectAccount(busiest);
    } else {
        auto* summary = new qb::frmTransSummary(book);
        s->window.reset(summary);
        summary->setFromDate(from);
        summary->setToDate(s->last);
        if (kind == ChartKind::GroupBalance) {
            summary->SelectGroup(largestGroup);
            mode = 2;
        } else {
            summary->SelectAccount(0);
        }
    }
    s->window->resize(1000, 700);
    s->window->show();
    s->window->RefreshReport();
    s->window->setViewMode(mode);
    QApplication::processEvents();
    if (s->window->viewMode() != mode || !s->window->chartPanel()->hasData()) {
        *why = QStringLiteral("the window shows no chart (templates beside qbbench?)");
        return false;
    }
    c.state = s;
    return true;
}

// A new period of a year (the last day moves back and forth by one, so that
// every run is a change), the page made and the chart painted.
bool changePeriod(Context& c)
{
    auto* s = static_cast<ChartState*>(c.state.get());
    const QDate to = s->last.addDays(-(++s->run % 2));
    s->window->mblnDisableRefreshReport = true;
    s->window->setFromDate(to.addYears(-1).addDays(1));
    s->window->setToDate(to);
    s->window->mblnDisableRefreshReport = false;
    s->window->RefreshReport();
    s->window->chartPanel()->repaint();
    return s->window->viewMode() > 0 && s->window->chartPanel()->hasData();
}

// Table, then the chart again: drawn from the figures in hand.
bool switchViews(Context& c)
{
    auto* s = static_cast<ChartState*>(c.state.get());
    s->window->setViewMode(0);
    s->window->WebBrowser1->repaint();
    s->window->setViewMode(1);
    s->window->chartPanel()->repaint();
    return s->window->viewMode() == 1;
}

} // namespace

std::vector<Step> chartSteps()
{
    std::vector<Step> steps;
    steps.push_back(Step {QStringLiteral("chart-summary-year"),
        {QStringLiteral("summary-all-year")},
        QStringLiteral("Period Summary showing its chart (all accounts): a year's period set, page "
                       "made, chart painted (goal 300 ms)"),
        [](Context& c, QString* why) { return prepareChart(c, ChartKind::Summary, why); }, {},
        changePeriod});
    steps.push_back(Step {QStringLiteral("chart-group-year"),
        {QStringLiteral("summary-group-year")},
        QStringLiteral("Period Summary showing the largest group's balance over a year, as above"),
        [](Context& c, QString* why) { return prepareChart(c, ChartKind::GroupBalance, why); }, {},
        changePeriod});
    steps.push_back(Step {QStringLiteral("chart-balance-year"), {QStringLiteral("ledger-year")},
        QStringLiteral("transaction list of the busiest account showing its balance line over a "
                       "year, as above"),
        [](Context& c, QString* why) { return prepareChart(c, ChartKind::AccountBalance, why); },
        {}, changePeriod});
    steps.push_back(Step {QStringLiteral("chart-switch"), {},
        QStringLiteral("Period Summary (all accounts, a year): Table, then Chart again, painted"),
        [](Context& c, QString* why) { return prepareChart(c, ChartKind::Summary, why); }, {},
        switchViews});
    return steps;
}

} // namespace bench
