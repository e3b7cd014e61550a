#pragma once

// The steps qbbench can time. Each step is one entry of a table: a name, the
// bare step it is compared with, a preparation that is not timed, and the
// timed work. Further steps (reports) are added by appending entries in a
// function of their own, called from allSteps().

#include <functional>
#include <memory>
#include <vector>

#include <QString>
#include <QStringList>

namespace qb {
class DataStore;
}

namespace bench {

// The one store every step works on, as the program's main makes one.
qb::DataStore& bookStore();

// Memory of this process in kB from /proc/self/status ("VmRSS:", "VmHWM:");
// 0 where there is none.
qint64 statusKb(const char* field);

// What a step works on: the enciphered book of the current size, a folder
// for the files it writes, and room for the step's own state.
struct Context
{
    QString book; // path of the book (enciphered, no password)
    QString folder; // scratch folder of this child process
    int transactions = 0;
    std::shared_ptr<void> state; // owned by the step between prepare and run
    // A run may set this to report a figure in ms other than its own time
    // (e.g. the longest pause of the event loop during the run).
    double figureMs = -1;
};

struct Step
{
    QString name;
    QStringList baselines; // the steps this one is compared with
    QString description; // one line for --list
    // Before the timed runs, once; false (with the reason) skips the step.
    std::function<bool(Context&, QString* why)> prepare;
    // Before each timed run, not timed (e.g. drop the previous result).
    std::function<void(Context&)> reset;
    // The timed work; false when it failed.
    std::function<bool(Context&)> run;
};

std::vector<Step> storeSteps();
// Encrypted books: benchmark/CryptoSteps.cpp.
std::vector<Step> cryptoSteps();
// Report timings: benchmark/ReportSteps.cpp, when present.
std::vector<Step> reportSteps();
// The transaction list: benchmark/LedgerSteps.cpp.
std::vector<Step> ledgerSteps();
// Timings of the HTML view showing a page that makePage gives (once, not
// timed): <name>-first (the first screen painted), <name>-complete (every
// row in the view and laid out) and <name>-freeze (the longest time the
// event loop waited after the first screen while the page was being built). view-2200 and
// view-40000 show generated pages of ledger-like rows.
using PageMaker = std::function<bool(Context&, QString* page, QString* why)>;
std::vector<Step> htmlViewSteps(const QString& name, const QString& what, PageMaker makePage);
std::vector<Step> viewSteps();
// The transaction list's pages in the view: benchmark/LedgerSteps.cpp.
std::vector<Step> ledgerViewSteps();
// A save while three report windows are open: benchmark/RefreshSteps.cpp.
std::vector<Step> refreshSteps();
// The charts of the report windows: benchmark/ChartSteps.cpp.
std::vector<Step> chartSteps();
// Statement import: benchmark/ImportSteps.cpp.
std::vector<Step> importSteps();

inline std::vector<Step> allSteps()
{
    std::vector<Step> steps = storeSteps();
    for (Step& s : cryptoSteps())
        steps.push_back(std::move(s));
    for (Step& s : reportSteps())
        steps.push_back(std::move(s));
    for (Step& s : ledgerSteps())
        steps.push_back(std::move(s));
    for (Step& s : viewSteps())
        steps.push_back(std::move(s));
    for (Step& s : ledgerViewSteps())
        steps.push_back(std::move(s));
    for (Step& s : refreshSteps())
        steps.push_back(std::move(s));
    for (Step& s : chartSteps())
        steps.push_back(std::move(s));
    for (Step& s : importSteps())
        steps.push_back(std::move(s));
    return steps;
}

// Writes a realistic book of n transactions (about 60 accounts, dates over
// four decades, narrations, groups, date ranges), enciphered, to path.
bool writeBook(const QString& path, int transactions, QString* error);

} // namespace bench
