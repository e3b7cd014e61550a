#include <QMenu>
#include <QtTest>

#include "HtmlView.h"
#include "WidgetTestSupport.h"
#include "ReportMenus.h"
#include "ReportPage.h"
#include "ReportWindow.h"
#include "TestSupport.h"
#include "WindowHost.h"
#include "WindowList.h"

using namespace qb;
using namespace qb::test;

namespace {

class TokenWindow final : public ReportWindow
{
public:
    TokenWindow()
    {
        setWindowTitle(QStringLiteral("Tokens"));
        resize(500, 300);
        WebBrowser1->setGeometry(0, 0, 500, 300);
    }
    QStringList tokens;
    using ReportWindow::BusyScope;
    using ReportWindow::joinWindowList;
    using ReportWindow::setCaption;
    using ReportWindow::showPage;
    using ReportWindow::showPlaceholder;

protected:
    void linkClicked(const QString& token) override { tokens.append(token); }
};

} // namespace

class TstReportWindow : public QObject
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
        QCOMPARE(ReportWindow::DecodeLinkToken(href), token);
    }

    void tokenValues()
    {
        QVERIFY(ReportWindow::IsDateToken(QStringLiteral("[*[date]*]20130105")));
        QVERIFY(!ReportWindow::IsDateToken(QStringLiteral("20130105")));
        QCOMPARE(
            ReportWindow::DateOfToken(QStringLiteral("[*[date]*]20130105")), QDate(2013, 1, 5));
        QVERIFY(!ReportWindow::DateOfToken(QStringLiteral("[*[date]*]x")).isValid());
        bool ok = false;
        QCOMPARE(ReportWindow::AccountOfToken(QStringLiteral("42"), &ok), 42);
        QVERIFY(ok);
        ReportWindow::AccountOfToken(QStringLiteral("Sales"), &ok);
        QVERIFY(!ok);
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

QTEST_MAIN(TstReportWindow)
#include "tst_reportwindow.moc"
