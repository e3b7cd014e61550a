// The Period Summary window in the main window: opened from the menu, the
// toolbar and the openers, its two lists, its totals and its links.
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

#include "SummaryTestBook.h"
#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/DateBox.h"
#include "controls/ucToolbar.h"
#include "reports/frmTransSummary.h"
#include "shell/DataWindows.h"
#include "shell/MDIForm1.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;
using namespace Qt::StringLiterals;

namespace {

BookContext programBook()
{
    static const FixedClock clock(kTestToday);
    return {test::sharedStore(), clock};
}

QStringList itemsOf(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// The shown page read back: its account rows and its three totals.
struct Shown
{
    QStringList rows;
    QStringList totals;
    QString title;
};

Shown shown(const frmTransSummary* s)
{
    XmlDocument page;
    if (!page.loadXml(s->WebBrowser1->pageText()))
        return {};
    return {summaryPageRows(page),
        {page.evaluate(u"string(//TD[@id='intotal'])"_s),
            page.evaluate(u"string(//TD[@id='outtotal'])"_s),
            page.evaluate(u"string(//TD[@id='diff'])"_s)},
        page.evaluate(u"normalize-space(//DIV[@class='reporttitle'])"_s)};
}

QStringList totalsOf(const QList<SummaryTestBook::Row>& rows)
{
    qint64 in = 0, out = 0;
    for (const auto& r : rows) {
        in += r.in;
        out += r.out;
    }
    return {SummaryTestBook::centsText(in), SummaryTestBook::centsText(out),
        SummaryTestBook::centsText(in - out)};
}

// A transaction list made by the opener, recording what it was asked.
class ListProbe final : public DataWindow, public TransactionListForm
{
public:
    explicit ListProbe(QStringList* log)
        : m_log(log)
    { }
    std::optional<int> selectedAccount() const override { return m_code; }
    void SelectAccount(int code) override { m_code = code; }
    void setFromDate(const QDate& d) override { m_from = d; }
    void setToDate(const QDate& d) override { m_to = d; }
    void RefreshReport() override
    {
        m_log->append(u"list %1 %2-%3"_s.arg(m_code.value_or(0))
                          .arg(m_from.toString(u"yyyyMMdd"_s), m_to.toString(u"yyyyMMdd"_s)));
    }

private:
    QStringList* m_log;
    std::optional<int> m_code;
    QDate m_from, m_to;
};

} // namespace

class TstFrmTransSummary : public QObject
{
    Q_OBJECT

    SummaryTestBook handMade;

    struct Program
    {
        TempEnv env;
        RecordingPrompt prompt;
        MDIForm1 w {programBook()};
        QList<frmTransSummary*> windows() const
        {
            QList<frmTransSummary*> list;
            for (QWidget* c : w.childWindows())
                if (auto* s = dynamic_cast<frmTransSummary*>(c))
                    list << s;
            return list;
        }
    };

    static bool load(Program& p, const QByteArray& xml)
    {
        const QString file = p.env.path(u"book.qbf"_s);
        return writeDataFile(file, xml) && p.w.Load(file);
    }

    static void choose(QComboBox* box, Qt::Key key, int times = 1)
    {
        box->setFocus();
        for (int i = 0; i < times; ++i)
            QTest::keyClick(box, key);
    }

private slots:
    void initTestCase() { RegisterDataWindows(); }

    void menuAndToolbarOpenAndBringForward()
    {
        Program p;
        QVERIFY(load(p, handMade.xml()));
        QAction* menu = p.w.findChild<QAction*>(u"mnuRptPeriodySummary"_s);
        QCOMPARE(menu->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F6));
        menu->trigger();
        QCOMPARE(p.windows().size(), 1);
        frmTransSummary* s = p.windows().at(0);

        // Placeholder, the month so far, nothing chosen, both lists filled.
        QVERIFY(s->WebBrowser1->pageText().contains(frmTransSummary::PlaceholderText()));
        QCOMPARE(s->findChild<DateBox*>(u"debFrom"_s)->date(), QDate(2013, 2, 1));
        QCOMPARE(s->findChild<DateBox*>(u"debTo"_s)->date(), kTestToday);
        QCOMPARE(s->selectedAccount(), std::nullopt);
        auto* groups = s->findChild<QComboBox*>(u"cmbGroups"_s);
        auto* accounts = s->findChild<QComboBox*>(u"cmbAccount"_s);
        QCOMPARE(itemsOf(groups),
            (QStringList {u"(Select Group)"_s, u"Money"_s, u"Home"_s, u"Car costs"_s, u"Income"_s,
                u"Empty"_s}));
        QCOMPARE(groups->currentIndex(), 0);
        QCOMPARE(itemsOf(accounts),
            (QStringList {u"(All Accounts)"_s, u"Bank"_s, u"Car"_s, u"cash"_s, u"electricity"_s,
                u"Food"_s, u"Fuel"_s, u"Gifts"_s, u"Interest"_s, u"Loan"_s, u"rent"_s, u"Salary"_s,
                u"Water"_s}));
        QCOMPARE(s->windowTitle(), u"Period Summary"_s);
        QCOMPARE(p.w.windowList().entries().size(), 1);

        // A window without "(All Accounts)" chosen is not brought forward.
        const QPoint button = p.w.ToolBar->buttonRect(MDIForm1::ToolPeriodSummary).center();
        QTest::mouseClick(p.w.ToolBar, Qt::LeftButton, Qt::NoModifier, button);
        QCOMPARE(p.windows().size(), 2);

        choose(accounts, Qt::Key_Down); // "(All Accounts)"
        QCOMPARE(s->selectedAccount(), std::optional<int>(0));
        const auto rows = handMade.rows(20130201, 20130215);
        QCOMPARE(shown(s).rows, summaryRowsText(rows));
        QCOMPARE(shown(s).totals, totalsOf(rows));
        QCOMPARE(shown(s).totals.at(0), shown(s).totals.at(1));
        QVERIFY(s->WebBrowser1->pageText().contains(u"In and Out totals are always equal"_s));
        QCOMPARE(s->windowTitle(), u"Period Summary - All Accounts"_s);
        QCOMPARE(p.w.windowList().entries().at(0)->text().contains(u"All Accounts"_s), true);

        menu->trigger();
        QCOMPARE(p.windows().size(), 2);
        QCOMPARE(p.w.mdiArea()->activeSubWindow()->widget(), s);
    }

    void openersListGuardAndLinks()
    {
        Program p;
        QVERIFY(load(p, handMade.xml()));
        auto* a = dynamic_cast<frmTransSummary*>(
            OpenPeriodSummary(2, QString(), QDate(2012, 3, 1), QDate(2012, 8, 31)));
        QVERIFY(a);
        QCOMPARE(a->selectedAccount(), std::optional<int>(2));
        QCOMPARE(a->windowTitle(), u"Period Summary - Bank"_s);
        auto rows = handMade.rows(20120301, 20120831, QList<int> {2});
        QCOMPARE(shown(a).rows, summaryRowsText(rows));
        QCOMPARE(shown(a).totals, totalsOf(rows));

        auto* b = dynamic_cast<frmTransSummary*>(
            OpenPeriodSummary(0, u"Home"_s, QDate(2012, 1, 1), QDate(2012, 12, 31)));
        QVERIFY(b && b != a);
        QCOMPARE(b->selectedAccount(), std::nullopt);
        QCOMPARE(b->selectedGroup(), std::optional<QString>(u"Home"_s));
        QCOMPARE(b->windowTitle(), u"Period Summary - Home"_s);
        rows = handMade.rows(20120101, 20121231, handMade.members(u"Home"_s));
        QCOMPARE(shown(b).rows, summaryRowsText(rows));
        QCOMPARE(shown(b).totals, totalsOf(rows));

        // The same account and the same group come back with new dates.
        QCOMPARE(OpenPeriodSummary(2, QString(), QDate(2013, 1, 1), QDate(2013, 12, 31)), a);
        QCOMPARE(shown(a).rows, summaryRowsText(handMade.rows(20130101, 20131231, QList<int> {2})));
        QCOMPARE(OpenPeriodSummary(0, u"Home"_s), b);
        QCOMPARE(p.windows().size(), 2);

        // The list guard: an account clears the group, a group the account,
        // and "(Select Group)" changes nothing.
        auto* accounts = b->findChild<QComboBox*>(u"cmbAccount"_s);
        auto* groups = b->findChild<QComboBox*>(u"cmbGroups"_s);
        choose(accounts, Qt::Key_Down, 2); // "(All Accounts)", then Bank
        QCOMPARE(b->selectedAccount(), std::optional<int>(2));
        QCOMPARE(groups->currentIndex(), 0);
        QCOMPARE(shown(b).rows, summaryRowsText(handMade.rows(20120101, 20121231, QList<int> {2})));
        groups->setFocus();
        QTest::keyClick(groups, Qt::Key_End); // "Empty"
        QCOMPARE(b->selectedAccount(), std::nullopt);
        QCOMPARE(shown(b).rows, QStringList());
        QCOMPARE(shown(b).totals, totalsOf({}));
        choose(groups, Qt::Key_Up, 4); // ... "Money"
        QCOMPARE(b->selectedGroup(), std::optional<QString>(u"Money"_s));
        const QString page = b->WebBrowser1->pageText();
        choose(groups, Qt::Key_Up); // "(Select Group)"
        QCOMPARE(groups->currentIndex(), 0);
        QCOMPARE(b->selectedAccount(), std::nullopt);
        QCOMPARE(b->WebBrowser1->pageText(), page);
        QCOMPARE(b->windowTitle(), u"Period Summary - Money"_s);

        // A group renamed since the list was filled: the caption stays, the
        // page has no title and no account of before.
        choose(groups, Qt::Key_Down);
        test::sharedStore()
            .document()
            .selectSingleNode(u"//Group[.='Money']"_s)
            .setText(u"Cash and bank"_s);
        QTest::mouseClick(b->findChild<QPushButton*>(u"cmdRefresh"_s), Qt::LeftButton);
        QCOMPARE(b->windowTitle(), u"Period Summary - Money"_s);
        QCOMPARE(shown(b).title, QString());
        QCOMPARE(shown(b).rows, summaryRowsText(handMade.rows(20120101, 20121231)));

        // Account links offer the transaction list over the window's dates only.
        ScriptedPopupMenus menus;
        QStringList log;
        Openers::registerFactory(WindowKind::TransactionList,
            [&log](const BookContext&) { return new ListProbe(&log); });
        menus.answer(1002); // not offered: nothing opens
        menus.answer(1003);
        QVERIFY(clickLink(a->WebBrowser1, u"2"_s));
        QVERIFY(clickLink(a->WebBrowser1, u"2"_s));
        QCOMPARE(menus.shown.size(), 2);
        QStringList texts;
        for (const MenuItem& item : menus.shown.at(0))
            texts << (item.separator ? u"-"_s : item.text);
        QCOMPARE(texts, (QStringList {u"Transaction List"_s, u"-"_s, u"Cancel Menu"_s}));
        QCOMPARE(log, QStringList {u"list 2 20130101-20131231"_s});
        QCOMPARE(p.windows().size(), 2);
        Openers::registerFactory(WindowKind::TransactionList, {});
    }

    void withoutGroupsAndTheTotalsOfOneAccount()
    {
        Program p;
        QVERIFY(load(p,
            QByteArray("<Data><AcMaster><a Code=\"1\" AcName=\"A\"/><a Code=\"2\" AcName=\"B\"/>"
                       "<a Code=\"3\" AcName=\"C\"/></AcMaster><PValue>")
                + PasswordDigest(u"ABCDEFGHIJKLMNOPQRST"_s).toLatin1()
                + QByteArray("</PValue><Trans>"
                             "<t No=\"1\" dt=\"20130205\" fAc=\"2\" tAc=\"1\" Nar=\"\">1250.5</t>"
                             "<t No=\"2\" dt=\"20130205\" fAc=\"1\" tAc=\"3\" Nar=\"\">1300.25</t>"
                             "</Trans><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I>"
                             "<DateRanges/></Data>")));
        p.w.findChild<QAction*>(u"mnuRptPeriodySummary"_s)->trigger();
        frmTransSummary* s = p.windows().value(0);
        QVERIFY(s);
        auto* groups = s->findChild<QComboBox*>(u"cmbGroups"_s);
        QCOMPARE(itemsOf(groups), QStringList {u"(No Group created)"_s});
        choose(groups, Qt::Key_Down);
        choose(groups, Qt::Key_Up);
        QVERIFY(s->WebBrowser1->pageText().contains(frmTransSummary::PlaceholderText()));
        QCOMPARE(s->windowTitle(), u"Period Summary"_s);

        choose(s->findChild<QComboBox*>(u"cmbAccount"_s), Qt::Key_Down, 2); // A
        QCOMPARE(shown(s).rows, QStringList {u"1|A|0.00|1,250.50|1,300.25|-49.75"_s});
        QCOMPARE(shown(s).totals, (QStringList {u"1,250.50"_s, u"1,300.25"_s, u"-49.75"_s}));
    }
};

QTEST_MAIN(TstFrmTransSummary)
#include "tst_frmtranssummary.moc"
