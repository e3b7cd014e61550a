// qbbench step of the windows that keep up with the book: a transaction is
// added and saved while a transaction list (the busiest account, the last
// month), a period summary (all accounts, the last month) and a search
// (without criteria) are open; timed until every one shows it again.

#include <QApplication>
#include <QElapsedTimer>
#include <QMap>

#include "Bench.h"
#include "reports/frmLedger.h"
#include "reports/frmTransSummary.h"
#include "store/BookEdits.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "transactions/frmSearch.h"
#include "windows/BookChanges.h"
#include "windows/HtmlView.h"

namespace bench {

namespace {

struct RefreshState
{
    qb::FixedClock clock {QDate()};
    std::unique_ptr<qb::frmLedger> ledger;
    std::unique_ptr<qb::frmTransSummary> summary;
    std::unique_ptr<qb::frmSearch> search;
    int account = 0;
    int other = 0;
    QDate last;
    int run = 0;
};

bool prepareRefresh(Context& c, QString* why)
{
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!store.OpenDataFile(c.book)) {
        *why = QStringLiteral("the store does not open the book");
        return false;
    }
    auto s = std::make_shared<RefreshState>();
    QMap<int, int> perAccount;
    int last = 0;
    for (const qb::XmlNode& t : store.TransSection().childElements()) {
        ++perAccount[t.attributeValue(2).toInt()];
        last = std::max(last, t.attributeValue(1).toInt());
    }
    int best = -1;
    for (auto it = perAccount.begin(); it != perAccount.end(); ++it) {
        if (it.value() > best) {
            best = it.value();
            s->account = it.key();
        }
    }
    s->other = perAccount.firstKey() == s->account ? perAccount.lastKey() : perAccount.firstKey();
    s->last = qb::DocDateToDate(last);
    s->clock.setToday(s->last);
    const qb::BookContext book {store, s->clock};
    const QDate first(s->last.year(), s->last.month(), 1);
    s->ledger = std::make_unique<qb::frmLedger>(book);
    s->summary = std::make_unique<qb::frmTransSummary>(book);
    s->search = std::make_unique<qb::frmSearch>(book);
    s->ledger->SelectAccount(s->account);
    s->ledger->setFromDate(first);
    s->ledger->setToDate(s->last);
    s->summary->setFromDate(first);
    s->summary->setToDate(s->last);
    s->summary->SelectAccount(0);
    s->ledger->RefreshReport();
    for (QWidget* w : {static_cast<QWidget*>(s->ledger.get()),
             static_cast<QWidget*>(s->summary.get()), static_cast<QWidget*>(s->search.get())}) {
        w->resize(1000, 700);
        w->show();
    }
    QApplication::processEvents();
    if (!s->ledger->WebBrowser1->pageText().contains(QStringLiteral("<TR"))
        || !s->summary->WebBrowser1->pageText().contains(QStringLiteral("<TR"))) {
        *why = QStringLiteral("the report windows show no page (templates beside qbbench?)");
        return false;
    }
    c.state = s;
    return true;
}

// Saves one transaction of the busiest account on the last day and runs
// the event loop until the three windows show it in full.
bool saveAndRefresh(Context& c)
{
    auto* s = static_cast<RefreshState*>(c.state.get());
    qb::DataStore& store = bench::bookStore();
    const QString mark = QStringLiteral("bench refresh ") + QString::number(++s->run);
    qb::TransactionFields fields;
    fields.date = qb::DateToDocDate(s->last);
    fields.from = s->account;
    fields.to = s->other;
    fields.narration = mark;
    fields.amount = qb::Money::parse(QStringLiteral("12.34")).value_or(qb::Money());
    const QString summaryBefore = s->summary->WebBrowser1->pageText();
    qb::AddTransaction(store.document(), fields);
    if (!store.SaveDocument())
        return false;
    qb::AnnounceBookChange(qb::BookChange::Transactions, nullptr);
    const auto shows = [&mark](qb::DataWindow* w) {
        return w->WebBrowser1->isComplete() && w->WebBrowser1->pageText().contains(mark);
    };
    // The summary has no row of the transaction: its totals change.
    const auto summaryShows = [&] {
        return s->summary->WebBrowser1->isComplete()
            && s->summary->WebBrowser1->pageText() != summaryBefore;
    };
    QElapsedTimer limit;
    limit.start();
    while (!(shows(s->ledger.get()) && shows(s->search.get()) && summaryShows())
        && limit.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return limit.elapsed() < 60000;
}

} // namespace

std::vector<Step> refreshSteps()
{
    std::vector<Step> steps;
    steps.push_back(Step {QStringLiteral("save-refresh-three"), {QStringLiteral("store-save")},
        QStringLiteral("a transaction saved while a transaction list, a period summary and a "
                       "search are open, until all three show it (goal 400 ms)"),
        prepareRefresh, {}, saveAndRefresh});
    return steps;
}

} // namespace bench
