// Report timings of qbbench: the transaction entry window's day's list and
// balance, and saving one new transaction, on the book of the current size.

#include <QFile>
#include <QMap>

#include "Bench.h"
#include "engine/EntryReports.h"
#include "engine/MasterReports.h"
#include "engine/ReportPage.h"
#include "engine/SearchReport.h"
#include "engine/ShortDate.h"
#include "engine/SummaryReport.h"
#include "store/DataStore.h"
#include "store/Records.h"
#include "store/Utilities.h"
#include "windows/HtmlView.h"

namespace bench {

namespace {

struct EntryState
{
    qb::DayListReport dayList;
    qb::AccountBalance balance;
    QDate busiestDay;
    int busiestAccount = 0;
    QDate lastDay;
};

// Opens a copy of the book in the store (saves go to the copy) and finds the
// day and the account with the most transactions.
bool prepareEntry(Context& c, QString* why)
{
    const QString copy = c.folder + QStringLiteral("/entry.qbf");
    QFile::remove(copy);
    QFile::remove(copy + QStringLiteral(".bak"));
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!QFile::copy(c.book, copy) || !store.OpenDataFile(copy)) {
        *why = QStringLiteral("the store does not open a copy of the book");
        return false;
    }
    auto state = std::make_shared<EntryState>();
    if (!state->dayList.load() || !state->balance.load()) {
        *why = QStringLiteral("the templates are not installed beside qbbench (rpt/)");
        return false;
    }
    QMap<int, int> perDay;
    QMap<int, int> perAccount;
    int last = 0;
    for (const qb::XmlNode& t : store.TransSection().childElements()) {
        const int dt = t.attributeValue(1).toInt();
        ++perDay[dt];
        ++perAccount[t.attributeValue(2).toInt()];
        ++perAccount[t.attributeValue(3).toInt()];
        last = std::max(last, dt);
    }
    auto most = [](const QMap<int, int>& counts) {
        int key = 0;
        int best = -1;
        for (auto it = counts.begin(); it != counts.end(); ++it) {
            if (it.value() > best) {
                best = it.value();
                key = it.key();
            }
        }
        return key;
    };
    state->busiestDay = qb::DocDateToDate(most(perDay));
    state->busiestAccount = most(perAccount);
    state->lastDay = qb::DocDateToDate(last);
    c.state = state;
    return true;
}

EntryState* entry(Context& c)
{
    return static_cast<EntryState*>(c.state.get());
}

// The search window's work: the predicate, the result page with its total
// and count, and the page as the view is given it.
struct SearchState
{
    qb::SearchReport report;
    qb::SearchPredicate year;
    qb::SearchPredicate none;
};

bool prepareSearch(Context& c, QString* why)
{
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!store.OpenDataFile(c.book)) {
        *why = QStringLiteral("the store does not open the book");
        return false;
    }
    auto state = std::make_shared<SearchState>();
    if (!state->report.load()) {
        *why = QStringLiteral("the template sumCol is not installed beside qbbench (rpt/)");
        return false;
    }
    // The book's last full year, two accounts, an amount range and two terms.
    qb::SearchCriteria year;
    year.byDate = true;
    year.from = QDate(2024, 1, 1);
    year.to = QDate(2024, 12, 31);
    year.byAccount = true;
    year.accounts = {{1, QStringLiteral("Cash")}, {3, QStringLiteral("Bank - Current")}};
    year.byAmount = true;
    year.op = qb::SearchInRange();
    year.amount = QStringLiteral("10");
    year.toAmount = QStringLiteral("400");
    year.byDetails = true;
    year.details = QStringLiteral("payment AND for");
    state->year = qb::BuildSearchPredicate(year);
    state->none = qb::BuildSearchPredicate(qb::SearchCriteria());
    c.state = state;
    return true;
}

// The period summary: the book open in the store, the report loaded, the
// last year of the book and the group with the most members, and (with the
// widgets) the HTML view the page is shown in, as the window shows it.
struct SummaryState
{
    qb::PeriodSummaryReport report;
    std::unique_ptr<qb::HtmlView> view;
    QDate first;
    QDate last;
    QString largestGroup;
};

bool prepareSummary(Context& c, QString* why)
{
    const QString copy = c.folder + QStringLiteral("/summary.qbf");
    QFile::remove(copy);
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!QFile::copy(c.book, copy) || !store.OpenDataFile(copy)) {
        *why = QStringLiteral("the store does not open a copy of the book");
        return false;
    }
    auto state = std::make_shared<SummaryState>();
    if (!state->report.load()) {
        *why = QStringLiteral("the templates are not installed beside qbbench (rpt/)");
        return false;
    }
    int first = 99991231;
    int last = 0;
    for (const qb::XmlNode& t : store.TransSection().childElements()) {
        const int dt = t.attribute(QStringLiteral("dt")).toInt();
        first = std::min(first, dt);
        last = std::max(last, dt);
    }
    state->view = std::make_unique<qb::HtmlView>();
    state->view->resize(1000, 700);
    state->view->show();
    state->first = qb::DocDateToDate(first);
    state->last = qb::DocDateToDate(last);
    qsizetype members = -1;
    for (const qb::XmlNode& g :
        store.document().selectNodes(QStringLiteral("/Data/Groups/Group"))) {
        const qsizetype n = g.attributeValue(0).count(QLatin1Char(',')) - 1;
        if (n > members) {
            members = n;
            state->largestGroup = g.text();
        }
    }
    c.state = state;
    return true;
}

bool runSearch(Context& c, const qb::SearchPredicate& predicate)
{
    auto* s = static_cast<SearchState*>(c.state.get());
    qb::Error error;
    if (!s->report.run(
            bench::bookStore().document(), predicate, qb::DateDisplayExpression(), &error))
        return false;
    QString page = s->report.page(predicate.summary);
    qb::AddStyleHead(page);
    return s->report.count() > 0 && !page.isEmpty();
}

bool runSummary(Context& c, const qb::SummarySubject& subject, bool wholeHistory)
{
    auto* s = static_cast<SummaryState*>(c.state.get());
    const QDate from = wholeHistory ? s->first : s->last.addYears(-1).addDays(1);
    qb::SummaryResult result;
    qb::Error error;
    if (!s->report.build(bench::bookStore().document(), from, s->last, subject, &result, &error))
        return false;
    qb::AddStyleHead(result.page);
    s->view->writePage(result.page);
    s->view->repaint();
    return result.page.contains(QStringLiteral("intotal"));
}

} // namespace

std::vector<Step> reportSteps()
{
    std::vector<Step> steps;
    steps.push_back(Step {QStringLiteral("entry-save-daylist"), {},
        QStringLiteral(
            "entry window's Save: number, append, SaveDocument, then the day's list page"),
        prepareEntry, {}, [](Context& c) {
            EntryState* s = entry(c);
            qb::DataStore& store = bench::bookStore();
            const int date = qb::DateToDocDate(s->busiestDay);
            qb::Trans record;
            record.No = qb::NextTransactionNumber(store.document(), date);
            record.dt = date;
            record.fAc = 1;
            record.tAc = 2;
            record.Nar = QStringLiteral("Benchmark entry");
            record.CreateNode(store.TransSection()).setText(QStringLiteral("12.5"));
            if (!store.SaveDocument())
                return false;
            QString page;
            qb::Error error;
            return s->dayList.build(
                       store.document(), s->busiestDay, QStringLiteral("Entries"), &page, &error)
                && page.contains(qb::DayListReport::RowId(date, record.No));
        }});
    steps.push_back(Step {QStringLiteral("entry-daylist"), {},
        QStringLiteral("the day's list page of the busiest day"), prepareEntry, {}, [](Context& c) {
            QString page;
            qb::Error error;
            return entry(c)->dayList.build(bench::bookStore().document(), entry(c)->busiestDay,
                       QStringLiteral("Entries"), &page, &error)
                && !page.isEmpty();
        }});
    steps.push_back(Step {QStringLiteral("entry-balance"), {},
        QStringLiteral("the balance of the busiest account as of the last day"), prepareEntry, {},
        [](Context& c) {
            return entry(c)
                ->balance
                .balance(bench::bookStore().document(), entry(c)->busiestAccount, entry(c)->lastDay)
                .has_value();
        }});
    steps.push_back(Step {QStringLiteral("search-year"), {},
        QStringLiteral(
            "search: one year, two accounts, an amount range, two terms joined by AND; the page"),
        prepareSearch, {},
        [](Context& c) { return runSearch(c, static_cast<SearchState*>(c.state.get())->year); }});
    steps.push_back(Step {QStringLiteral("search-none"), {},
        QStringLiteral("search without criteria (the month of the last entry); the page"),
        prepareSearch, {},
        [](Context& c) { return runSearch(c, static_cast<SearchState*>(c.state.get())->none); }});
    steps.push_back(Step {QStringLiteral("summary-all-year"), {},
        QStringLiteral("period summary of all accounts over the book's last year, with its totals"),
        prepareSummary, {},
        [](Context& c) { return runSummary(c, qb::SummarySubject::allAccounts(), false); }});
    steps.push_back(Step {QStringLiteral("summary-all-history"), {},
        QStringLiteral("period summary of all accounts from the first to the last transaction"),
        prepareSummary, {},
        [](Context& c) { return runSummary(c, qb::SummarySubject::allAccounts(), true); }});
    steps.push_back(Step {QStringLiteral("summary-group-year"), {},
        QStringLiteral("period summary of the group with the most members over the last year"),
        prepareSummary, {}, [](Context& c) {
            auto* s = static_cast<SummaryState*>(c.state.get());
            return runSummary(c, qb::SummarySubject::group(s->largestGroup), false);
        }});
    // The account heads and groups windows' pages, as the windows show them.
    struct MasterState
    {
        qb::AccountListReport accounts;
        qb::GroupListReport groups;
    };
    auto prepareMasters = [](Context& c, QString* why) {
        if (!prepareEntry(c, why))
            return false;
        auto state = std::make_shared<MasterState>();
        if (!state->accounts.load() || !state->groups.load()) {
            *why = QStringLiteral("the templates are not installed beside qbbench (rpt/)");
            return false;
        }
        c.state = state;
        return true;
    };
    auto masters = [](Context& c) { return static_cast<MasterState*>(c.state.get()); };
    steps.push_back(Step {QStringLiteral("acmaster-list"), {},
        QStringLiteral("the account heads page with every account's balance"), prepareMasters, {},
        [masters](Context& c) {
            QString page = masters(c)->accounts.build(bench::bookStore().document());
            qb::AddStyleHead(page);
            return page.contains(qb::AccountListReport::RowId(1));
        }});
    steps.push_back(Step {QStringLiteral("group-list"), {},
        QStringLiteral("the groups page with every group's members"), prepareMasters, {},
        [masters](Context& c) {
            QString page = masters(c)->groups.build(bench::bookStore().document());
            qb::AddStyleHead(page);
            return page.contains(QStringLiteral("<TR id="));
        }});
    return steps;
}

} // namespace bench
