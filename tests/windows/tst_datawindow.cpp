#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>
#include <QtTest>

#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/sesPanel.h"
#include "engine/ReportPage.h"
#include "engine/ShortDate.h"
#include "windows/DataWindow.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/ReportMenus.h"
#include "windows/WindowHost.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;

namespace {

class TokenWindow final : public DataWindow
{
public:
    TokenWindow()
    {
        setWindowTitle(QStringLiteral("Tokens"));
        resize(500, 300);
        WebBrowser1->setGeometry(0, 0, 500, 300);
    }
    QStringList tokens;
    using DataWindow::BusyScope;
    using DataWindow::joinWindowList;
    using DataWindow::setCaption;
    using DataWindow::setUpPleaseWait;
    using DataWindow::showPage;
    using DataWindow::showPlaceholder;
    using DataWindow::WaitPlace;
    using DataWindow::withPleaseWait;

protected:
    void linkClicked(const QString& token) override { tokens.append(token); }
};

// A report window that leaves its links to the base: it shows account 5 and
// the month of January 2013, and hides "Transaction List" for its own account.
class LedgerLike final : public DataWindow
{
public:
    LedgerLike()
    {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(edit);
        layout->addWidget(WebBrowser1);
        setEnterAsTab(true);
        // A control whose signals come while the window is taken down.
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            log.append(QStringLiteral("edited"));
            ++edits;
        });
    }
    QLineEdit* edit = new QLineEdit(this);
    QStringList log;
    static inline int edits = 0;
    using DataWindow::linkClicked;

protected:
    AccountMenuHides accountMenuHides(int code) const override { return {code == 5, false}; }
    QDate linkFromDate() const override { return QDate(2013, 1, 1); }
    QDate linkToDate() const override { return QDate(2013, 1, 31); }
};

// Records what the openers asked the windows they made.
class Opened final : public DataWindow,
                     public TransactionListForm,
                     public PeriodSummaryForm,
                     public TransactionEntryForm
{
public:
    explicit Opened(QString kind, QStringList* log)
        : m_kind(std::move(kind))
        , m_log(log)
    { }
    std::optional<int> selectedAccount() const override { return m_code; }
    std::optional<QString> selectedGroup() const override { return {}; }
    void SelectAccount(int code) override { m_code = code; }
    void SelectGroup(const QString&) override { }
    void setFromDate(const QDate& d) override { m_from = d; }
    void setToDate(const QDate& d) override { m_to = d; }
    QDate entryDate() const override { return m_from; }
    void setEntryDate(const QDate& d) override { m_from = d; }
    void RefreshReport() override
    {
        m_log->append(QStringLiteral("%1 %2 %3-%4")
                          .arg(m_kind)
                          .arg(m_code.value_or(0))
                          .arg(m_from.toString(QStringLiteral("yyyyMMdd")),
                              m_to.toString(QStringLiteral("yyyyMMdd"))));
    }
    void RefreshList() override
    {
        m_log->append(m_kind + m_from.toString(QStringLiteral(" yyyyMMdd")));
    }

private:
    QString m_kind;
    QStringList* m_log;
    std::optional<int> m_code;
    QDate m_from, m_to;
};

QString menuText(const QList<MenuItem>& items)
{
    QStringList texts;
    for (const MenuItem& item : items)
        texts << (item.separator ? QStringLiteral("-") : item.text);
    return texts.join(QLatin1Char('|'));
}

} // namespace

class TstDataWindow : public QObject
{
    Q_OBJECT
private slots:
    void decodesTokens_data()
    {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("token");
        QTest::newRow("bare") << "12"
                              << "12";
        QTest::newRow("blank prefix") << "about:blank12"
                                      << "12";
        QTest::newRow("about prefix") << "about:[*[date]*]20130105"
                                      << "[*[date]*]20130105";
        QTest::newRow("both, in order") << "about:blankabout:about:blank7"
                                        << "7";
        QTest::newRow("character 1")
            << QString(QStringLiteral("1") + QChar(1) + QStringLiteral("2")) << "12";
        QTest::newRow("case kept") << "About:Blank3"
                                   << "About:Blank3";
        QTest::newRow("group name") << "Sales:Team"
                                    << "Sales:Team";
    }

    void decodesTokens()
    {
        QFETCH(QString, href);
        QFETCH(QString, token);
        QCOMPARE(DataWindow::DecodeLinkToken(href), token);
    }

    void tokenValues()
    {
        QVERIFY(DataWindow::IsDateToken(QStringLiteral("[*[date]*]20130105")));
        QVERIFY(!DataWindow::IsDateToken(QStringLiteral("20130105")));
        QCOMPARE(DataWindow::DateOfToken(QStringLiteral("[*[date]*]20130105")), QDate(2013, 1, 5));
        QVERIFY(!DataWindow::DateOfToken(QStringLiteral("[*[date]*]x")).isValid());
        bool ok = false;
        QCOMPARE(DataWindow::AccountOfToken(QStringLiteral("42"), &ok), 42);
        QVERIFY(ok);
        DataWindow::AccountOfToken(QStringLiteral("Sales"), &ok);
        QVERIFY(!ok);

        // A row's edit and delete links: the mark anywhere in the token, the
        // rest as it is; the edit mark wins; other tokens are no row link.
        using Link = DataWindow::RecordLink;
        const struct
        {
            const char* token;
            Link link;
            const char* rest;
        } rows[] = {{"[*[E]*]201301102", Link::Edit, "201301102"},
            {"[*[D]*]Car%20costs", Link::Delete, "Car%20costs"},
            {"x[*[D]*]7[*[D]*]", Link::Delete, "x7"}, {"[*[D]*][*[E]*]5", Link::Edit, "[*[D]*]5"},
            {"[*[date]*]20130105", Link::None, ""}, {"[*[e]*]5", Link::None, ""}};
        for (const auto& row : rows) {
            QString rest;
            QCOMPARE(DataWindow::RecordLinkOf(QString::fromLatin1(row.token), &rest), row.link);
            QCOMPARE(rest, QString::fromLatin1(row.rest));
        }
    }

    // The wait panel stands over the view, centred across, near its top or
    // in its middle, follows the view, and is up only while the page is built.
    void thePleaseWaitPanelStandsOverTheViewWhileBuilding()
    {
        TokenWindow window;
        QVERIFY(!window.pleaseWaitPanel());
        window.withPleaseWait([&window] { QVERIFY(window.isBusy()); }); // no panel: nothing shown
        window.setUpPleaseWait(QStringLiteral("Loading data. Please wait ..."));
        sesPanel* panel = window.pleaseWaitPanel();
        QVERIFY(panel);
        QCOMPARE(panel->objectName(), QStringLiteral("fraPleaseWait"));
        QCOMPARE(panel->Caption(), QStringLiteral("Loading data. Please wait ..."));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.WebBrowser1->setGeometry(40, 30, 460, 270);
        bool upWhileBuilding = false;
        window.withPleaseWait([&] { upWhileBuilding = panel->isVisible() && window.isBusy(); });
        QVERIFY(upWhileBuilding);
        QVERIFY(!panel->isVisible());
        QVERIFY(!window.isBusy());
        QCOMPARE(panel->pos(), QPoint(40 + (460 - panel->width()) / 2, 30 + 20));

        window.setUpPleaseWait(QStringLiteral("Searching"), TokenWindow::WaitPlace::Middle);
        QCOMPARE(window.pleaseWaitPanel(), panel); // one panel, captioned again
        window.resize(600, 400);
        window.WebBrowser1->setGeometry(0, 0, 600, 400);
        window.withPleaseWait([] {});
        QCOMPARE(panel->pos(), QPoint((600 - panel->width()) / 2, (400 - panel->height()) / 2));
    }

    void clickedLinksReachTheWindowAndAreCancelled()
    {
        auto* window = new TokenWindow;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QList<bool> cancelled; // seen after the window's own handler
        connect(window->WebBrowser1, &HtmlView::beforeNavigate, window,
            [&](const QString&, bool* cancel) { cancelled.append(*cancel); });

        const QString one(QChar(1));
        QString page = QStringLiteral("<HTML><BODY><P><A href=\"about:blank12\">Alpha</A> "
                                      "<A href=\"about:[*[date]*]20130110\">Bravo</A> <A href=\"3")
            + one + QStringLiteral("4\">Charlie</A></P></BODY></HTML>");
        window->showPage(page);
        QVERIFY(page.startsWith(ReportStyleHead()));
        QCOMPARE(window->WebBrowser1->pageText(), page);
        QVERIFY(!window->isBusy());

        for (const QString& name :
            {QStringLiteral("Alpha"), QStringLiteral("Bravo"), QStringLiteral("Charlie")})
            QTest::mouseClick(window->WebBrowser1->viewport(), Qt::LeftButton, {},
                pointOfText(window->WebBrowser1, name));
        QCOMPARE(window->tokens,
            QStringList({QStringLiteral("12"), QStringLiteral("[*[date]*]20130110"),
                QStringLiteral("34")}));
        QCOMPARE(cancelled, QList<bool>({true, true, true}));

        // While the window writes its own page, navigation is let through untouched.
        {
            TokenWindow::BusyScope busy(window);
            QVERIFY(window->isBusy());
            QTest::mouseClick(window->WebBrowser1->viewport(), Qt::LeftButton, {},
                pointOfText(window->WebBrowser1, QStringLiteral("Alpha")));
        }
        QVERIFY(!window->isBusy());
        QCOMPARE(window->tokens.size(), 3);
        QCOMPARE(cancelled.last(), false);
        delete window;
    }

    void placeholderUnlessOpenedForASubject()
    {
        TokenWindow window;
        window.showPlaceholder(QStringLiteral("Select an account from above."));
        QVERIFY(!window.isBusy());
        QCOMPARE(window.WebBrowser1->pageText(),
            ReportStyleHead()
                + QStringLiteral(
                    "<BODY><Center><div class='reporttitle'>Select an account from above."
                    "</div></Center></BODY></HTML>"));
        QCOMPARE(window.WebBrowser1->toPlainText().trimmed(),
            QStringLiteral("Select an account from above."));

        TokenWindow opened;
        opened.mblnDisableRefreshReport = true;
        opened.showPlaceholder(QStringLiteral("Select an account from above."));
        QVERIFY(opened.WebBrowser1->pageText().isEmpty());
    }

    void windowListEntryFollowsTheWindow()
    {
        WindowList& list = WindowHost::current().windowList();
        const int before = int(list.entries().size());
        auto* window = new TokenWindow;
        window->joinWindowList();
        QAction* entry = window->windowListEntry();
        QVERIFY(entry);
        QCOMPARE(entry->text(), QStringLiteral("&%1 Tokens").arg(list.entries().size()));
        QCOMPARE(list.windowOf(entry), window);
        window->setCaption(QStringLiteral("Transaction listing - Cash"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Transaction listing - Cash"));
        QVERIFY(entry->text().endsWith(QStringLiteral(" Transaction listing - Cash")));
        QVERIFY(list.separator()->isVisible());

        // Closing deletes the window, and the entry goes with it.
        window->close();
        QTRY_COMPARE(int(list.entries().size()), before);
        QVERIFY(!list.menu()->actions().contains(entry));
        if (before == 0)
            QVERIFY(!list.separator()->isVisible());
    }

    void defaultHostShowsAndActivatesTopLevelWindows()
    {
        WindowHost& host = WindowHost::current();
        QCOMPARE(host.mainWindow(), nullptr);
        auto* first = new TokenWindow;
        auto* second = new TokenWindow;
        host.showChild(first);
        host.showChild(second);
        host.showChild(first); // already one of the host's windows
        QCOMPARE(host.childWindows(), QList<QWidget*>({first, second}));
        QVERIFY(first->isVisible() && second->isVisible());
        first->joinWindowList();
        second->joinWindowList();

        host.activateChild(second);
        QTRY_VERIFY(second->windowListEntry()->isChecked());
        QVERIFY(!first->windowListEntry()->isChecked());
        // Choosing an entry in the Window menu brings its window forward.
        first->windowListEntry()->trigger();
        QTRY_VERIFY(first->windowListEntry()->isChecked());
        QVERIFY(!second->windowListEntry()->isChecked());

        delete first;
        QCOMPARE(host.childWindows(), QList<QWidget*>({second}));
        delete second;
        QVERIFY(host.childWindows().isEmpty());
    }

    void linkMenusOpenTheChosenReport_data()
    {
        QTest::addColumn<QString>("token");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("opened");
        const QString both = QStringLiteral("Transaction List|Period summary|-|Cancel Menu");
        const QString dateMenu = QStringLiteral("Show entries on ")
            + ShortDateText(QDate(2013, 1, 10)) + QStringLiteral("|-|Cancel Menu");
        QTest::newRow("list") << "3" << 1003 << both << "list 3 20130101-20130131";
        QTest::newRow("summary") << "3" << 1002 << both << "summary 3 20130101-20130131";
        QTest::newRow("cancel") << "3" << 1000 << both << "";
        QTest::newRow("dismissed") << "3" << 0 << both << "";
        QTest::newRow("own account: no list") << "5" << 1002 << "Period summary|-|Cancel Menu"
                                              << "summary 5 20130101-20130131";
        QTest::newRow("own account: hidden entry") << "5" << 1003 << "Period summary|-|Cancel Menu"
                                                   << "";
        QTest::newRow("date") << "[*[date]*]20130110" << 1003 << dateMenu << "entry 20130110";
        QTest::newRow("date dismissed") << "[*[date]*]20130110" << 0 << dateMenu << "";
        QTest::newRow("bad date") << "[*[date]*]2013x" << 1003 << ""
                                  << "";
        QTest::newRow("no account") << "Sales" << 1003 << ""
                                    << "";
    }

    void linkMenusOpenTheChosenReport()
    {
        QFETCH(QString, token);
        QFETCH(int, answer);
        QFETCH(QString, menu);
        QFETCH(QString, opened);
        QStringList log;
        WindowTestFixture fixture;
        ScriptedPopupMenus& menus = fixture.menus;
        menus.answer(answer);
        fixture.registerFactory(WindowKind::TransactionList,
            [&log](const BookContext&) { return new Opened(QStringLiteral("list"), &log); });
        fixture.registerFactory(WindowKind::PeriodSummary,
            [&log](const BookContext&) { return new Opened(QStringLiteral("summary"), &log); });
        fixture.registerFactory(WindowKind::TransactionEntry,
            [&log](const BookContext&) { return new Opened(QStringLiteral("entry"), &log); });
        LedgerLike window;
        window.linkClicked(token);
        QCOMPARE(menus.shown.isEmpty() ? QString() : menuText(menus.shown.first()), menu);
        QCOMPARE(log.join(QLatin1Char(';')), opened);
    }

    void enterMovesOnButTheViewKeepsItAndTeardownIsQuiet()
    {
        auto* window = new LedgerLike;
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->edit->setFocus();
        QTest::keyClicks(window->edit, QStringLiteral("x"));
        QTest::keyClick(window->edit, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), window->WebBrowser1);
        QTest::keyClick(window->WebBrowser1, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), window->WebBrowser1);
        QCOMPARE(window->log, QStringList({QStringLiteral("edited")}));

        // Taken down with the focus in the box: the box finishing its edit
        // reaches nothing of the window that is gone.
        window->edit->setFocus();
        QTest::keyClicks(window->edit, QStringLiteral("y"));
        QCOMPARE(LedgerLike::edits, 1);
        delete window;
        QCOMPARE(LedgerLike::edits, 1);
    }

    void menusReturnTheirTexts()
    {
        ScriptedPopupMenus menus;
        menus.answer(1003);
        menus.answer(1002);
        menus.answer(1000);
        menus.answer(0);
        QCOMPARE(ShowAccountMenu(nullptr, false, false), QStringLiteral("Transaction List"));
        QCOMPARE(ShowAccountMenu(nullptr, false, false), QStringLiteral("Period Summary"));
        QCOMPARE(ShowAccountMenu(nullptr, false, false), QStringLiteral("Cancel Menu"));
        QCOMPARE(ShowAccountMenu(nullptr, false, false), QString());
        QCOMPARE(menus.shown.size(), 4);
        const QList<MenuItem> full = menus.shown.first();
        QCOMPARE(full.size(), 4);
        QCOMPARE(full.at(0).text, QStringLiteral("Transaction List"));
        QCOMPARE(full.at(0).command, 1003);
        QCOMPARE(full.at(1).text, QStringLiteral("Period summary"));
        QCOMPARE(full.at(1).command, 1002);
        QVERIFY(full.at(2).separator);
        QCOMPARE(full.at(2).command, 1001);
        QCOMPARE(full.at(3).text, QStringLiteral("Cancel Menu"));
        QCOMPARE(full.at(3).command, 1000);

        // Hidden items are not offered, and cannot be chosen.
        menus.answer(1003);
        QCOMPARE(ShowAccountMenu(nullptr, true, false), QString());
        QCOMPARE(menus.shown.last().size(), 3);
        QCOMPARE(menus.shown.last().at(0).text, QStringLiteral("Period summary"));
        menus.answer(1002);
        QCOMPARE(ShowAccountMenu(nullptr, false, true), QString());
        QCOMPARE(menus.shown.last().at(0).text, QStringLiteral("Transaction List"));
        QCOMPARE(menus.shown.last().size(), 3);
        menus.answer(1000);
        QCOMPARE(ShowAccountMenu(nullptr, true, true), QStringLiteral("Cancel Menu"));
        QCOMPARE(menus.shown.last().size(), 2);
        QVERIFY(menus.shown.last().at(0).separator);
        QCOMPARE(menus.shown.last().at(1).text, QStringLiteral("Cancel Menu"));

        menus.answer(1003);
        menus.answer(1000);
        menus.answer(0);
        QCOMPARE(
            ShowDateMenu(nullptr, QStringLiteral("05/01/2013")), QStringLiteral("Show Entries On"));
        QCOMPARE(ShowDateMenu(nullptr, QStringLiteral("05/01/2013")), QString());
        QCOMPARE(ShowDateMenu(nullptr, QStringLiteral("05/01/2013")), QString());
        const QList<MenuItem> date = menus.shown.last();
        QCOMPARE(date.size(), 3);
        QCOMPARE(date.at(0).text, QStringLiteral("Show entries on 05/01/2013"));
        QCOMPARE(date.at(0).command, 1003);
        QVERIFY(date.at(1).separator);
        QCOMPARE(date.at(2).command, 1000);
    }
};

QTEST_MAIN(TstDataWindow)
#include "tst_datawindow.moc"
