// qbbench steps of the transaction list: the page of the account with the
// most transactions over the last year of the book and over its whole
// history, made as the window and qbtool make it (template loaded afresh,
// variables set, the whole book transformed, the title put in).

#include <QMap>

#include "Bench.h"
#include "engine/EntryReports.h"
#include "engine/LedgerReport.h"
#include "engine/ShortDate.h"
#include "store/DataStore.h"
#include "store/Utilities.h"

namespace bench {

namespace {

struct LedgerState
{
    int account = 0;
    QString name;
    QDate first;
    QDate last;
    int rows = 0; // of the last page
};

bool prepareLedger(Context& c, QString* why)
{
    qb::DataStore& store = bench::bookStore();
    store.setHost(nullptr);
    if (!store.OpenDataFile(c.book)) {
        *why = QStringLiteral("the store does not open the book");
        return false;
    }
    qb::LedgerReport probe;
    if (!probe.load()) {
        *why = QStringLiteral("the templates are not installed beside qbbench (rpt/)");
        return false;
    }
    auto state = std::make_shared<LedgerState>();
    QMap<int, int> perAccount;
    int first = 99999999;
    int last = 0;
    for (const qb::XmlNode& t : store.TransSection().childElements()) {
        const int dt = t.attributeValue(1).toInt();
        ++perAccount[t.attributeValue(2).toInt()];
        ++perAccount[t.attributeValue(3).toInt()];
        first = std::min(first, dt);
        last = std::max(last, dt);
    }
    int best = -1;
    for (auto it = perAccount.begin(); it != perAccount.end(); ++it) {
        if (it.value() > best) {
            best = it.value();
            state->account = it.key();
        }
    }
    state->name = qb::AccountName(store.document(), state->account);
    state->first = qb::DocDateToDate(first);
    state->last = qb::DocDateToDate(last);
    c.state = state;
    return true;
}

bool makeLedgerPage(Context& c, bool wholeHistory, QString* page)
{
    auto* s = static_cast<LedgerState*>(c.state.get());
    qb::LedgerReport report;
    qb::Error error;
    const QDate from = wholeHistory ? s->first : s->last.addYears(-1).addDays(1);
    if (!report.load(&error)
        || !report.build(bench::bookStore().document(), s->account, s->name, from, s->last,
            qb::DateDisplayExpression(), page, &error))
        return false;
    s->rows = int(page->count(QStringLiteral("<TR id=\"id")));
    return s->rows > 0;
}

bool runLedger(Context& c, bool wholeHistory)
{
    QString page;
    return makeLedgerPage(c, wholeHistory, &page);
}

// A book of n transactions on one day among three accounts, account 1 on
// one side of each: the transaction list of account 1 over that day and
// the day's list have a row for every transaction.
struct OneDayState
{
    qb::XmlDocument book;
    int rows = 0;
};

bool prepareOneDay(Context& c, int n, QString* why)
{
    QByteArray xml
        = "<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/><a Code=\"2\" AcName=\"Bank\"/>"
          "<a Code=\"3\" AcName=\"Food\"/></AcMaster><Trans>";
    xml.reserve(n * 90 + 200);
    for (int i = 1; i <= n; ++i) {
        const bool in = i % 3 != 0;
        xml += "<t No=\"" + QByteArray::number(i) + "\" dt=\"20240229\" fAc=\"" + (in ? "2" : "1")
            + "\" tAc=\"" + (in ? "1" : "3") + "\" Nar=\"entry " + QByteArray::number(i) + "\">"
            + QByteArray::number(i % 5000 + 1) + ".25</t>";
    }
    xml += "</Trans><Groups/><Narration/><DateRanges/></Data>";
    auto state = std::make_shared<OneDayState>();
    if (!state->book.loadXml(xml)) {
        *why = QStringLiteral("the one-day book does not parse");
        return false;
    }
    state->rows = n;
    c.state = state;
    return true;
}

bool runOneDayLedger(Context& c)
{
    auto* s = static_cast<OneDayState*>(c.state.get());
    qb::LedgerReport report;
    QString page;
    qb::Error error;
    const QDate day(2024, 2, 29);
    return report.load(&error)
        && report.build(s->book, 1, QStringLiteral("Cash"), day, day, qb::DateDisplayExpression(),
            &page, &error)
        && page.count(QStringLiteral("<TR id=\"id")) == s->rows;
}

bool runOneDayList(Context& c)
{
    auto* s = static_cast<OneDayState*>(c.state.get());
    qb::DayListReport report;
    QString page;
    qb::Error error;
    return report.load(&error)
        && report.build(s->book, QDate(2024, 2, 29), QStringLiteral("Entries"), &page, &error)
        && page.count(QStringLiteral("<TR id=\"id")) == s->rows;
}

} // namespace

std::vector<Step> ledgerSteps()
{
    std::vector<Step> steps;
    // Linear in one day's transactions, whatever the book's size.
    for (const int n : {1000, 10000, 100000}) {
        auto prepare = [n](Context& c, QString* why) { return prepareOneDay(c, n, why); };
        steps.push_back(Step {QStringLiteral("ledger-day-%1").arg(n), {},
            QStringLiteral("transaction list of one day of %1 transactions").arg(n), prepare, {},
            runOneDayLedger});
        steps.push_back(Step {QStringLiteral("daylist-day-%1").arg(n), {},
            QStringLiteral("day's list of one day of %1 transactions").arg(n), prepare, {},
            runOneDayList});
    }
    steps.push_back(Step {QStringLiteral("ledger-year"), {},
        QStringLiteral("transaction list page of the busiest account, last year"), prepareLedger,
        {}, [](Context& c) { return runLedger(c, false); }});
    steps.push_back(Step {QStringLiteral("ledger-history"), {},
        QStringLiteral("transaction list page of the busiest account, whole history"),
        prepareLedger, {}, [](Context& c) { return runLedger(c, true); }});
    return steps;
}

// The pages themselves in the view: made once from the book (not timed), then
// shown as the window shows them.
std::vector<Step> ledgerViewSteps()
{
    std::vector<Step> steps;
    for (const bool history : {false, true}) {
        const QString name
            = history ? QStringLiteral("ledger-view-history") : QStringLiteral("ledger-view-year");
        const QString what = history ? QStringLiteral("the busiest account's whole history")
                                     : QStringLiteral("the busiest account's last year");
        for (Step& s : htmlViewSteps(name, what, [history](Context&c, QString*page, QString*why) {
                 if (!prepareLedger(c, why))
                     return false;
                 if (!makeLedgerPage(c, history, page)) {
                     *why = QStringLiteral("the listing could not be made");
                     return false;
                 }
                 return true;
             }))
            steps.push_back(std::move(s));
    }
    return steps;
}

} // namespace bench
