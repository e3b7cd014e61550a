// Timings of the HTML view of the report windows: how soon a long page shows
// its first screen, when it is complete, and how long the event loop waits
// at most meanwhile. Drawn off screen in a view of 1000 x 700 pixels.

#include <memory>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

#include "Bench.h"
#include "engine/ReportPage.h"
#include "windows/HtmlView.h"

namespace bench {

namespace {

struct ViewState
{
    QString page;
    QString lastRowId; // a row near the end, focused when the page is complete
    std::unique_ptr<qb::HtmlView> view;
    double longestWaitMs = 0;
};

ViewState* viewState(Context& c)
{
    return static_cast<ViewState*>(c.state.get());
}

// Seven cells a row, as the transaction list has: date and account links,
// number, narration, two amounts and a balance.
QString ledgerLikePage(int rows)
{
    QString page = QStringLiteral(
        "<HTML><BODY><DIV class=\"reporttitle\"><B>Ledger</B></DIV>"
        "<TABLE width=\"100%\" cellspacing=\"0\" cellpadding=\"2\"><TR><TH width=\"70\">Date</TH>"
        "<TH width=\"30\">No</TH><TH>Account</TH><TH>Details</TH><TH width=\"90\">Debit</TH>"
        "<TH width=\"90\">Credit</TH><TH width=\"100\">Balance</TH></TR>");
    page.reserve(rows * 420);
    for (int i = 1; i <= rows; ++i) {
        const int day = 20000101 + (i / 20) % 28;
        page += QStringLiteral(
            "<TR id=\"id%1\"><TD class=\"text\"><A href=\"[*[date]*]%2\">%2</A></TD>"
            "<TD class=\"text\">%3</TD><TD class=\"text\"><A href=\"%4\">Account %4</A></TD>"
            "<TD class=\"text\">Narration of row %1</TD><TD class=\"Amount\" "
            "align=\"right\">%5.25</TD>"
            "<TD class=\"Amount\" align=\"right\">&#160;</TD><TD class=\"Amount\" "
            "align=\"right\">%6.50</TD></TR>")
                    .arg(i)
                    .arg(day)
                    .arg(i % 20 + 1)
                    .arg(i % 60 + 1)
                    .arg(i % 1000)
                    .arg(i * 7);
    }
    page += QStringLiteral("</TABLE></BODY></HTML>");
    return page;
}

bool prepareView(Context& c, QString* why, const PageMaker& makePage)
{
    auto state = std::make_shared<ViewState>();
    if (!makePage(c, &state->page, why))
        return false;
    const qsizetype last = state->page.lastIndexOf(QLatin1String("<TR id=\""));
    if (last >= 0) {
        const qsizetype start = last + 8;
        state->lastRowId
            = state->page.mid(start, state->page.indexOf(QLatin1Char('"'), start) - start);
    }
    qb::AddStyleHead(state->page);
    state->view = std::make_unique<qb::HtmlView>();
    state->view->resize(1000, 700);
    state->view->show();
    QApplication::processEvents();
    c.state = state;
    return true;
}

// Writes the page and runs the event loop until every row is in the view,
// noting the longest wait between two turns of the loop after the first
// screen; then focuses the last row, which lays the page out to its end.
bool showCompletely(Context& c)
{
    ViewState* s = viewState(c);
    QElapsedTimer sinceTurn;
    QTimer turns;
    turns.setInterval(0);
    s->longestWaitMs = 0;
    QObject::connect(&turns, &QTimer::timeout, &turns, [&] {
        s->longestWaitMs = std::max(s->longestWaitMs, double(sinceTurn.nsecsElapsed()) / 1e6);
        sinceTurn.restart();
    });
    sinceTurn.start();
    s->view->writePage(s->page); // its time is the first screen's (the -first step)
    sinceTurn.restart();
    turns.start();
    // A row still to come is focused when it arrives: the page is built to
    // its end, as for printing.
    if (!s->lastRowId.isEmpty() && !s->view->focusElement(s->lastRowId))
        return false;
    if (!s->view->isComplete()) {
        QEventLoop loop;
        QObject::connect(s->view.get(), &qb::HtmlView::pageComplete, &loop, &QEventLoop::quit);
        loop.exec();
    }
    turns.stop();
    s->view->viewport()->repaint();
    return s->lastRowId.isEmpty() || s->view->verticalScrollBar()->value() > 0;
}

// Writes the page and pages down through it as a reader would, a key press
// every kPageMs while the event loop runs, noting the longest wait between
// two turns of the loop.
bool scrollThrough(Context& c)
{
    constexpr int kPages = 150;
    constexpr int kPageMs = 20;
    ViewState* s = viewState(c);
    QElapsedTimer sinceTurn;
    QTimer turns;
    turns.setInterval(0);
    s->longestWaitMs = 0;
    QObject::connect(&turns, &QTimer::timeout, &turns, [&] {
        s->longestWaitMs = std::max(s->longestWaitMs, double(sinceTurn.nsecsElapsed()) / 1e6);
        sinceTurn.restart();
    });
    s->view->writePage(s->page);
    s->view->viewport()->repaint();
    sinceTurn.start();
    turns.start();
    int pages = 0;
    QEventLoop loop;
    QTimer keys;
    keys.setInterval(kPageMs);
    QObject::connect(&keys, &QTimer::timeout, &keys, [&] {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(s->view.get(), &down);
        s->view->viewport()->repaint();
        if (++pages == kPages)
            loop.quit();
    });
    keys.start();
    loop.exec();
    turns.stop();
    return s->view->verticalScrollBar()->value() > 0;
}

} // namespace

std::vector<Step> htmlViewSteps(const QString& name, const QString& what, PageMaker makePage)
{
    auto prepare = [makePage](Context& c, QString* why) { return prepareView(c, why, makePage); };
    auto reset = [](Context& c) {
        viewState(c)->view->blank();
        QApplication::processEvents();
    };
    std::vector<Step> steps;
    steps.push_back(Step {name + QStringLiteral("-first"), {},
        QStringLiteral("HTML view: first screen of ") + what + QStringLiteral(" painted"), prepare,
        reset, [](Context& c) {
            ViewState* s = viewState(c);
            s->view->writePage(s->page);
            s->view->viewport()->repaint();
            return true;
        }});
    steps.push_back(Step {name + QStringLiteral("-complete"), {},
        QStringLiteral("HTML view: ") + what + QStringLiteral(" complete, last row focused"),
        prepare, reset, showCompletely});
    steps.push_back(Step {name + QStringLiteral("-scroll"), {},
        QStringLiteral("HTML view: longest wait of the event loop while a reader pages down 150 "
                       "times through ")
            + what + QStringLiteral(" (ms)"),
        prepare, reset, [](Context& c) {
            const bool ok = scrollThrough(c);
            c.figureMs = viewState(c)->longestWaitMs;
            return ok;
        }});
    steps.push_back(Step {name + QStringLiteral("-freeze"), {},
        QStringLiteral("HTML view: longest wait of the event loop after the first screen while ")
            + what + QStringLiteral(" is built (ms)"),
        prepare, reset, [](Context& c) {
            const bool ok = showCompletely(c);
            c.figureMs = viewState(c)->longestWaitMs;
            return ok;
        }});
    return steps;
}

std::vector<Step> viewSteps()
{
    std::vector<Step> steps;
    for (int rows : {2200, 40000}) {
        for (Step& s : htmlViewSteps(QStringLiteral("view-") + QString::number(rows),
                 QStringLiteral("a page of %1 ledger-like rows").arg(rows),
                 [rows](Context&, QString*page, QString*) {
                     *page = ledgerLikePage(rows);
                     return true;
                 }))
            steps.push_back(std::move(s));
    }
    return steps;
}

} // namespace bench
