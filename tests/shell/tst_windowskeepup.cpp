// The data windows in the main window as a user meets them: a change made in
// one window reaches the others once the save has returned, access keys and
// the frame's keys go where their captions say, and each kind of window
// opens showing its columns, where the user left the last one.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

#include "ShellTestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/AccountCombo.h"
#include "controls/neb.h"
#include "engine/ShortDate.h"
#include "masters/frmAcMaster.h"
#include "masters/frmGroupMaster.h"
#include "masters/frmGroups.h"
#include "reports/frmLedger.h"
#include "reports/frmTransSummary.h"
#include "shell/DataWindows.h"
#include "shell/MDIForm1.h"
#include "shell/MdiWindowHost.h"
#include "store/BookEdits.h"
#include "store/DataStore.h"
#include "store/Money.h"
#include "transactions/frmSearch.h"
#include "transactions/frmTrans.h"
#include "windows/BookChanges.h"
#include "windows/HtmlView.h"
#include "windows/frmDateRangeAdd.h"
#include "windows/frmDateRangeManage.h"

using namespace qb;
using namespace Qt::StringLiterals;
using namespace qb::test;

namespace {

template <class T>
T* get(QWidget* w, const char* name)
{
    return w->findChild<T*>(QString::fromLatin1(name));
}

// The sample book with many transactions of Cash on one day, so that the
// transaction list of Cash is longer than its window.
QByteArray longBookXml(int extra)
{
    QByteArray trans;
    for (int i = 1; i <= extra; ++i)
        trans += "<t No=\"" + QByteArray::number(i)
            + "\" dt=\"20130120\" fAc=\"2\" tAc=\"1\" Nar=\"Top up " + QByteArray::number(i)
            + "\">1.25</t>";
    QByteArray xml = sampleBookXml();
    xml.replace(QByteArray("</Trans>"), QByteArray(trans + "</Trans>"));
    return xml;
}

// The book's balance of an account from its transactions (money in counts positive).
Money balanceOf(int code)
{
    Money sum;
    for (const XmlNode& t : test::sharedStore().TransSection().childElements()) {
        const Money amount = Money::parse(t.text()).value_or(Money());
        if (t.attribute(QStringLiteral("tAc")).toInt() == code)
            sum = sum + amount;
        if (t.attribute(QStringLiteral("fAc")).toInt() == code)
            sum = sum - amount;
    }
    return sum;
}

// The access keys of every caption in a window (hidden panels included).
QList<QChar> accessKeys(QWidget* window, QStringList* captions)
{
    QList<QChar> keys;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(w))
            text = label->buddy() ? label->text() : QString();
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            text = button->text();
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            text = box->title();
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size())
            continue;
        keys.append(text.at(at + 1).toUpper());
        captions->append(text);
    }
    return keys;
}

} // namespace

class TestWindowsKeepUp : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempEnv> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<MDIForm1> main;

    void start(const QByteArray& xml = sampleBookXml())
    {
        main = std::make_unique<MDIForm1>(programBook());
        QVERIFY(main->Load(writeBook(*env, QStringLiteral("book.qbf"), xml)));
        QVERIFY(activate(main.get()));
    }
    frmTrans* entry(int date)
    {
        auto* w = qobject_cast<frmTrans*>(OpenTransactionEntry(date));
        if (w)
            (void)QTest::qWaitFor([w] { return QApplication::focusWidget() == w->debTrans; });
        return w;
    }

private slots:
    void initTestCase() { RegisterDataWindows(); }

    void init()
    {
        env = std::make_unique<TempEnv>();
        prompt = std::make_unique<RecordingPrompt>();
    }

    void cleanup()
    {
        main.reset();
        test::sharedStore().CloseDocument();
        prompt.reset();
        env.reset();
    }

    // An account added in Account Heads is in every open window's lists at
    // once; what the user typed or chose stays, and typing the new name in
    // an open entry window chooses it, so Save takes it.
    void anAccountAddedElsewhereIsKnownToOpenWindows()
    {
        start();
        frmTrans* e = entry(20130110);
        auto* from = get<AccountCombo>(e, "cmbFrom");
        auto* to = get<AccountCombo>(e, "cmbTo");
        from->setEditText(QStringLiteral("Pe")); // half a name the book does not have yet
        to->chooseCode(1);
        auto* ledger = qobject_cast<frmLedger*>(
            OpenTransactionList(2, QDate(2013, 1, 1), QDate(2013, 2, 15)));
        auto* summary
            = qobject_cast<frmTransSummary*>(OpenPeriodSummary(0, QStringLiteral("Money")));
        auto* search = qobject_cast<frmSearch*>(OpenSearch());
        get<QListWidget>(search, "lstAccounts")->item(0)->setSelected(true); // Bank
        QVERIFY(ledger && summary && search);

        auto* heads = qobject_cast<frmAcMaster*>(OpenAccountHeads());
        QTest::mouseClick(get<QPushButton>(heads, "cmdAdd"), Qt::LeftButton);
        typeText(QStringLiteral("Petrol"));
        QTest::mouseClick(get<QPushButton>(heads, "cmdSave"), Qt::LeftButton);
        QCOMPARE(prompt->count(), 0);
        // Told once the event loop runs, not during the save.
        QCOMPARE(from->findText(QStringLiteral("Petrol")), -1);

        QTRY_VERIFY(from->findText(QStringLiteral("Petrol")) >= 0);
        QCOMPARE(from->itemData(from->findText(QStringLiteral("Petrol"))).toInt(), 5);
        QCOMPARE(from->currentText(), QStringLiteral("Pe"));
        QVERIFY(!from->selectedCode());
        QCOMPARE(to->selectedCode(), std::optional<int>(1));
        QTRY_VERIFY(get<QComboBox>(ledger, "cmbAccount")->findText(QStringLiteral("Petrol")) >= 0);
        QCOMPARE(ledger->selectedAccount(), std::optional<int>(2));
        QTRY_VERIFY(get<QComboBox>(summary, "cmbAccount")->findText(QStringLiteral("Petrol")) >= 0);
        QVERIFY(
            get<QComboBox>(summary, "cmbAccount")->findText(QStringLiteral("(All Accounts)")) >= 0);
        QCOMPARE(summary->selectedGroup(), std::optional<QString>(QStringLiteral("Money")));
        auto* accounts = get<QListWidget>(search, "lstAccounts");
        QTRY_COMPARE(accounts->count(), 5);
        QCOMPARE(accounts->selectedItems().size(), 1);
        QCOMPARE(accounts->selectedItems().first()->text(), QStringLiteral("Bank"));

        // The entry window takes the new name as one of its own.
        QVERIFY(activate(e));
        OpenTransactionEntry(20130110);
        from->setFocus();
        from->lineEdit()->selectAll();
        typeText(QStringLiteral("petr"));
        QCOMPARE(from->selectedCode(), std::optional<int>(5));
        get<neb>(e, "nebAmount")->setValue(20);
        QTest::mouseClick(get<QPushButton>(e, "cmdSave"), Qt::LeftButton);
        QCOMPARE(prompt->count(), 0);
        QVERIFY(test::sharedStore().TransSection().childElements().last().attribute(
                    QStringLiteral("fAc"))
            == QStringLiteral("5"));
    }

    // A transaction saved in one window reaches the open reports after the
    // save returns; each keeps its criteria and its place on the page.
    void aSavedTransactionRefreshesOpenReportsInPlace()
    {
        start(longBookXml(150));
        auto* ledger = qobject_cast<frmLedger*>(
            OpenTransactionList(1, QDate(2013, 1, 1), QDate(2013, 2, 15)));
        auto* summary = qobject_cast<frmTransSummary*>(
            OpenPeriodSummary(1, QString(), QDate(2013, 1, 1), QDate(2013, 2, 15)));
        auto* search = qobject_cast<frmSearch*>(OpenSearch());
        get<QCheckBox>(search, "chkDetails")->setChecked(true);
        get<QLineEdit>(search, "txtDetails")->setText(QStringLiteral("stall"));
        QTest::mouseClick(get<QPushButton>(search, "cmdSearch"), Qt::LeftButton);
        QCOMPARE(search->mlngSearchResultCount(), 0);
        auto* heads = qobject_cast<frmAcMaster*>(OpenAccountHeads());
        QVERIFY(ledger && summary && search && heads);
        ledger->WebBrowser1->finishPage();
        QScrollBar* bar = ledger->WebBrowser1->verticalScrollBar();
        QVERIFY(bar->maximum() > 200);
        bar->setValue(bar->maximum() / 2);
        const int place = bar->value();

        frmTrans* e = entry(20130110);
        get<AccountCombo>(e, "cmbFrom")->chooseCode(1);
        get<AccountCombo>(e, "cmbTo")->chooseCode(4);
        get<neb>(e, "nebAmount")->setValue(7.75);
        get<QComboBox>(e, "cmbNarration")->setEditText(QStringLiteral("Market stall"));
        QTest::mouseClick(get<QPushButton>(e, "cmdSave"), Qt::LeftButton);
        QCOMPARE(prompt->count(), 0);
        QVERIFY(!ledger->WebBrowser1->pageText().contains(QStringLiteral("Market stall")));

        QTRY_VERIFY(ledger->WebBrowser1->pageText().contains(QStringLiteral("Market stall")));
        QTRY_COMPARE(bar->value(), place);
        // The new page fits as the old one did: no bar to scroll sideways,
        // whatever width the window has.
        QScrollBar* across = ledger->WebBrowser1->horizontalScrollBar();
        QMdiSubWindow* frame = main->windowHost().subWindowOf(ledger);
        for (int wider = 0; wider < 4; ++wider) {
            frame->resize(frame->width() + 1, frame->height());
            QTRY_COMPARE(across->maximum(), 0);
            QVERIFY(!across->isVisible());
        }
        QTRY_COMPARE(search->mlngSearchResultCount(), 1);
        QVERIFY(get<QCheckBox>(search, "chkDetails")->isChecked());
        QCOMPARE(get<QLineEdit>(search, "txtDetails")->text(), QStringLiteral("stall"));
        // Cash's money out over the period: 45.5 + 12.25 + 7.75, in: 300 + 150 x 1.25.
        QTRY_VERIFY(summary->WebBrowser1->pageText().contains(QStringLiteral("65.50")));
        QVERIFY(summary->WebBrowser1->pageText().contains(QStringLiteral("487.50")));
        const QString cash = balanceOf(1).formatGrouped();
        QCOMPARE(cash, QStringLiteral("422.00"));
        QTRY_VERIFY(heads->WebBrowser1->pageText().contains(
            QStringLiteral(">") + cash + QStringLiteral("<")));
        QCOMPARE(prompt->count(), 0);
    }

    // The open reports read the book for a change on every core as it is
    // told; what they read is shown only while the book and the window's
    // own choices are still what it was read for.
    void workReadAheadNeverShowsAnotherBookOrPeriod()
    {
        start();
        const QDate from(2013, 1, 1), to(2013, 2, 15);
        auto* ledger = qobject_cast<frmLedger*>(OpenTransactionList(1, from, to));
        auto* summary = qobject_cast<frmTransSummary*>(OpenPeriodSummary(1, QString(), from, to));
        auto* search = qobject_cast<frmSearch*>(OpenSearch());
        QVERIFY(ledger && summary && search);
        get<QCheckBox>(search, "chkDetails")->setChecked(true);
        get<QLineEdit>(search, "txtDetails")->setText(QStringLiteral("stall"));
        QTest::mouseClick(get<QPushButton>(search, "cmdSearch"), Qt::LeftButton);
        QCOMPARE(search->mlngSearchResultCount(), 0);
        const auto add = [](int date, const char* narration, const char* amount) {
            TransactionFields fields;
            fields.date = date;
            fields.from = 1; // Cash
            fields.to = 4;
            fields.narration = QString::fromLatin1(narration);
            fields.amount = *Money::parse(QString::fromLatin1(amount));
            AddTransaction(test::sharedStore().document(), fields);
            AnnounceBookChange(BookChange::Transactions, nullptr);
        };
        const auto shows = [](DataWindow* w, const char* text) {
            return w->WebBrowser1->pageText().contains(QString::fromLatin1(text));
        };

        // A second change after the first was told: each window reads the
        // book again when it refreshes, and shows both.
        add(20130110, "Market stall", "7.75");
        BookChanges::instance().deliver();
        add(20130215, "Second stall", "1.25"); // the period's last day
        ledger->RefreshReport();
        QVERIFY(shows(ledger, "Market stall") && shows(ledger, "Second stall"));
        summary->RefreshReport();
        // Cash's money out over the period: 45.50 + 12.25 + 7.75 + 1.25.
        QVERIFY(shows(summary, ">66.75<"));
        QTest::mouseClick(get<QPushButton>(search, "cmdSearch"), Qt::LeftButton);
        QCOMPARE(search->mlngSearchResultCount(), 2);

        // A period chosen after the change was told: the list is of that period.
        add(20130105, "Third stall", "2.00");
        add(20130111, "Edge stall", "0.25"); // the first day of the period chosen next
        BookChanges::instance().deliver();
        ledger->setFromDate(QDate(2013, 1, 11));
        QTRY_VERIFY(!shows(ledger, "Market stall")); // the day before it
        QVERIFY(shows(ledger, "Edge stall") && shows(ledger, "Second stall"));
        QVERIFY(!shows(ledger, "Third stall"));
        QTRY_VERIFY(shows(summary, ">69.00<")); // and 2.00 and 0.25
        QTRY_COMPARE(search->mlngSearchResultCount(), 4);
        QCOMPARE(prompt->count(), 0);
    }

    // The Period Summary follows a group renamed in the group dialog (a name
    // with "&" raises no false message) and says so when it is deleted.
    void aRenamedGroupIsFollowedAndADeletedOneEmptiesTheSummary()
    {
        start();
        auto* summary = qobject_cast<frmTransSummary*>(
            OpenPeriodSummary(0, QStringLiteral("Money"), QDate(2013, 1, 1), QDate(2013, 1, 31)));
        auto* groups = qobject_cast<frmGroupMaster*>(OpenGroups());
        QVERIFY(clickLink(groups->WebBrowser1, QStringLiteral("[*[E]*]Money")));
        QTRY_VERIFY(groups->groupDialog());
        auto* name = get<QLineEdit>(groups->groupDialog(), "txtGroupName");
        QVERIFY(activate(groups->groupDialog()));
        name->setFocus();
        name->selectAll();
        typeText(QStringLiteral("Kids & home"));
        QTest::mouseClick(get<QPushButton>(groups->groupDialog(), "cmdSave"), Qt::LeftButton);
        QCOMPARE(prompt->count(), 0); // the saved group's row is found by its name
        QCOMPARE(
            groups->WebBrowser1->textCursor().block().text().replace(QChar(0xA0), QLatin1Char(' ')),
            QStringLiteral("Kids & home"));

        QTRY_COMPARE(
            summary->selectedGroup(), std::optional<QString>(QStringLiteral("Kids & home")));
        QTRY_COMPARE(summary->windowTitle(), QStringLiteral("Period Summary - Kids & home"));
        // Bank and Cash in January: in 2500 + 300, out 300 + 45.5.
        const QString page = summary->WebBrowser1->pageText();
        QVERIFY(
            page.contains(QStringLiteral("2,800.00")) || page.contains(QStringLiteral("2800.00")));
        QVERIFY(summary->WebBrowser1->pageText().contains(QStringLiteral("345.50")));

        QVERIFY(clickLink(groups->WebBrowser1, QStringLiteral("[*[D]*]Kids & home")));
        QTRY_VERIFY(groups->groupDialog());
        QTest::mouseClick(get<QPushButton>(groups->groupDialog(), "cmdSave"), Qt::LeftButton);
        QTRY_VERIFY(summary->WebBrowser1->toPlainText().contains(
            frmTransSummary::GroupGoneText(QStringLiteral("Kids & home"))));
        QVERIFY(!summary->WebBrowser1->pageText().contains(QStringLiteral("Salary")));
        QCOMPARE(summary->windowTitle(), QStringLiteral("Period Summary"));
        QCOMPARE(prompt->count(), 0);
    }

    void accessKeysAreUniqueAndLeaveTheMenusAlone_data()
    {
        QTest::addColumn<QString>("window");
        for (const char* w : {"entry", "entry edit", "entry delete", "account heads",
                 "account heads delete", "groups", "group dialog", "ledger", "summary", "search",
                 "add date range", "manage date ranges"})
            QTest::newRow(w) << QString::fromLatin1(w);
    }
    void accessKeysAreUniqueAndLeaveTheMenusAlone()
    {
        QFETCH(QString, window);
        start();
        QWidget* w = nullptr;
        std::unique_ptr<QWidget> dialog;
        if (window.startsWith(QStringLiteral("entry"))) {
            auto* e = entry(20130110);
            if (window != QStringLiteral("entry"))
                QVERIFY(clickLink(e->WebBrowser1,
                    (window.endsWith(QStringLiteral("edit")) ? QStringLiteral("[*[E]*]")
                                                             : QStringLiteral("[*[D]*]"))
                        + QStringLiteral("201301101")));
            QCOMPARE(e->EntryMode(),
                window == QStringLiteral("entry")             ? 0
                    : window.endsWith(QStringLiteral("edit")) ? 1
                                                              : 2);
            w = e;
        } else if (window.startsWith(QStringLiteral("account heads"))) {
            auto* heads = qobject_cast<frmAcMaster*>(OpenAccountHeads());
            QVERIFY(clickLink(heads->WebBrowser1,
                window.endsWith(QStringLiteral("delete")) ? QStringLiteral("[*[D]*]4")
                                                          : QStringLiteral("[*[E]*]4")));
            w = heads;
        } else if (window == QStringLiteral("groups")) {
            w = OpenGroups();
        } else if (window == QStringLiteral("group dialog")) {
            auto* g = new frmGroups(programBook());
            g->setMyActiveMode(frmGroups::ModeAdd);
            dialog.reset(g);
        } else if (window == QStringLiteral("ledger")) {
            w = OpenTransactionList(1, QDate(2013, 1, 1), QDate(2013, 1, 31));
        } else if (window == QStringLiteral("summary")) {
            w = OpenPeriodSummary(0, QString());
        } else if (window == QStringLiteral("search")) {
            w = OpenSearch();
        } else if (window == QStringLiteral("add date range")) {
            dialog = std::make_unique<frmDateRangeAdd>(programBook());
        } else {
            dialog = std::make_unique<frmDateRangeManage>(programBook());
        }
        if (dialog)
            w = dialog.get();
        QVERIFY(w);
        // Every caption's mode is on the window at once for the buttons whose caption changes.
        QStringList captions;
        const QList<QChar> keys = accessKeys(w, &captions);
        QVERIFY(keys.size() >= 2);
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QVERIFY2(!QStringLiteral("FMTRVWH").contains(keys.at(i)), qPrintable(captions.at(i)));
            QVERIFY2(
                keys.indexOf(keys.at(i), i + 1) < 0, qPrintable(captions.join(QLatin1Char('|'))));
        }
    }

    // Alt with a caption's letter goes to its control, Esc leaves a mode and
    // closes help and dialogs, Ctrl+F4 closes the window in front and F10
    // and Alt reach the menu bar.
    void keysGoWhereTheCaptionsSay()
    {
        start();
        frmTrans* e = entry(20130110);
        QVERIFY(clickLink(e->WebBrowser1, QStringLiteral("[*[E]*]201301101")));
        QCOMPARE(e->EntryMode(), 1);
        pressKey(Qt::Key_Escape);
        QCOMPARE(e->EntryMode(), 0);
        QCOMPARE(get<QGroupBox>(e, "Frame1")->title(), QStringLiteral("Enter New Transaction"));
        // In Delete mode Alt+D deletes (after the question, answered Yes).
        QVERIFY(clickLink(e->WebBrowser1, QStringLiteral("[*[D]*]201301101")));
        prompt->answer(MsgResult::Yes);
        pressKey(Qt::Key_A, Qt::AltModifier);
        pressKey(Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(prompt->count(), 1); // a button pressed by its key clicks a moment later
        QCOMPARE(prompt->last().title, QStringLiteral("Confirm Deletion"));
        QCOMPARE(test::sharedStore().TransSection().childElements().size(), 3);
        // Alt+E goes to the date, Alt+A to the amount.
        pressKey(Qt::Key_A, Qt::AltModifier);
        QWidget* amount = get<neb>(e, "nebAmount");
        QVERIFY(amount == QApplication::focusWidget()
            || amount->isAncestorOf(QApplication::focusWidget()));
        pressKey(Qt::Key_E, Qt::AltModifier);
        QVERIFY(e->debTrans == QApplication::focusWidget()
            || e->debTrans->isAncestorOf(QApplication::focusWidget()));

        // Account Heads: Alt+L cancels, Esc too; Alt+C closes the window.
        auto* heads = qobject_cast<frmAcMaster*>(OpenAccountHeads());
        auto* record = get<QWidget>(heads, "fraRecord");
        QVERIFY(clickLink(heads->WebBrowser1, QStringLiteral("[*[E]*]4")));
        QVERIFY(record->isVisible());
        pressKey(Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(!record->isVisible());
        QVERIFY(clickLink(heads->WebBrowser1, QStringLiteral("[*[E]*]4")));
        QVERIFY(record->isVisible());
        pressKey(Qt::Key_Escape);
        QVERIFY(!record->isVisible());
        const QPointer<QWidget> headsAlive = heads;
        heads->WebBrowser1->setFocus();
        pressKey(Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!headsAlive);

        // Esc closes a dialog.
        auto* groups = qobject_cast<frmGroupMaster*>(OpenGroups());
        QTest::mouseClick(get<QPushButton>(groups, "cmdAdd"), Qt::LeftButton);
        QTRY_VERIFY(groups->groupDialog());
        QVERIFY(activate(groups->groupDialog()));
        pressKey(Qt::Key_Escape);
        QTRY_VERIFY(!groups->groupDialog());

        // Ctrl+F4 closes the window in front, only that one; the book stays open.
        QVERIFY(activate(groups));
        const int open = int(main->childWindows().size());
        QCOMPARE(main->mdiArea()->activeSubWindow()->widget(), groups);
        pressKey(Qt::Key_F4, Qt::ControlModifier);
        QTRY_COMPARE(int(main->childWindows().size()), open - 1);
        QVERIFY(test::sharedStore().hasDocument());

        // F10 opens the File menu.
        pressKey(Qt::Key_F10);
        QTRY_VERIFY(main->menuBar()->activeAction());
        QCOMPARE(main->menuBar()->activeAction()->objectName(), QStringLiteral("mnuFile"));
        QTest::keyClick(
            QApplication::activePopupWidget() ? QApplication::activePopupWidget() : main->menuBar(),
            Qt::Key_Escape);
        QTest::keyClick(main->menuBar(), Qt::Key_Escape);
        QTRY_VERIFY(!QApplication::activePopupWidget());

        // Alt pressed and released alone highlights the menu bar's first menu.
        QVERIFY(activate(main.get()));
        QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : main.get();
        QTest::keyPress(focus, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyRelease(focus, Qt::Key_Alt, Qt::NoModifier);
        QTRY_VERIFY(main->menuBar()->activeAction());
        QCOMPARE(main->menuBar()->activeAction()->objectName(), QStringLiteral("mnuFile"));
        QTest::keyClick(main->menuBar(), Qt::Key_Escape);

        // Esc closes the help.
        actionOf(main.get(), "mnuHelpTopics")->trigger();
        auto* help = main->findChild<QWidget*>(QStringLiteral("frmHelp"));
        QVERIFY(help);
        QTRY_VERIFY(help->isVisible());
        QVERIFY(activate(help));
        QTest::keyClick(help->findChild<QTextBrowser*>(QStringLiteral("txtHelp")), Qt::Key_Escape);
        QTRY_VERIFY(!help->isVisible());
        QCOMPARE(prompt->count(), 1);
    }

    void windowsOpenShowingTheirColumnsWhereTheLastOneWas_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("focus"); // where the keyboard starts
        QTest::addColumn<QString>("topic"); // where F1 opens the manual
        QTest::newRow("account heads")
            << int(WindowKind::AccountHeads) << u"WebBrowser1"_s << u"accounts"_s;
        QTest::newRow("groups") << int(WindowKind::Groups) << u"WebBrowser1"_s << u"accounts"_s;
        QTest::newRow("entry") << int(WindowKind::TransactionEntry) << u"debTrans"_s << u"entry"_s;
        QTest::newRow("ledger") << int(WindowKind::TransactionList) << u"cmbAccount"_s
                                << u"reports"_s;
        QTest::newRow("summary") << int(WindowKind::PeriodSummary) << u"cmbAccount"_s
                                 << u"reports"_s;
        QTest::newRow("search") << int(WindowKind::Search) << u"chkDate"_s << u"search"_s;
        QTest::newRow("deleted") << int(WindowKind::DeletedTransactions) << u"WebBrowser1"_s
                                 << u"undo"_s;
        QTest::newRow("reconcile") << int(WindowKind::Reconcile) << u"txtNeb"_s << u"reconcile"_s;
    }
    void windowsOpenShowingTheirColumnsWhereTheLastOneWas()
    {
        QFETCH(int, kind);
        QFETCH(QString, focus);
        QFETCH(QString, topic);
        start();
        main->resize(1400, 1000); // room for every kind of window
        const auto open = [kind]() -> QWidget* {
            switch (WindowKind(kind)) {
            case WindowKind::AccountHeads:
                return OpenAccountHeads();
            case WindowKind::Groups:
                return OpenGroups();
            case WindowKind::TransactionEntry:
                return OpenTransactionEntry(20130110);
            case WindowKind::TransactionList:
                return OpenTransactionList(1, QDate(2013, 1, 1), QDate(2013, 2, 15));
            case WindowKind::PeriodSummary:
                return OpenPeriodSummary(0, QString(), QDate(2013, 1, 1), QDate(2013, 2, 15));
            case WindowKind::Search:
                return OpenSearch();
            case WindowKind::DeletedTransactions:
                return OpenDeletedTransactions();
            case WindowKind::Reconcile:
                return OpenReconcile(2);
            }
            return nullptr;
        };
        auto* w = qobject_cast<DataWindow*>(open());
        QVERIFY(w);
        if (auto* summary = qobject_cast<frmTransSummary*>(w))
            summary->SelectAccount(0);
        QTRY_VERIFY(w->WebBrowser1->isComplete());
        QTRY_VERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QVERIFY(w->isAncestorOf(QApplication::focusWidget()));
        // F1 opens the manual at the window's own section, an anchor the manual has.
        pressKey(Qt::Key_F1);
        auto* help = main->findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
        QTRY_VERIFY(help && help->isVisible());
        QCOMPARE(help->source().fragment(), topic);
        QVERIFY(help->toHtml().contains(QStringLiteral("name=\"") + topic + QLatin1Char('"')));
        help->window()->close();
        QVERIFY(activate(main.get()));
        // Every column in view: nothing to scroll sideways.
        QTRY_COMPARE(w->WebBrowser1->horizontalScrollBar()->maximum(), 0);
        QMdiSubWindow* frame = main->windowHost().subWindowOf(w);
        QVERIFY(frame);
        const QRect left(
            37, 23, frame->minimumSizeHint().width() + 41, frame->minimumSizeHint().height() + 29);
        frame->setGeometry(left);
        frame->close();
        QTRY_VERIFY(main->childWindows().isEmpty());
        main->windowHost().flushPlaces();
        QCOMPARE(MdiWindowHost::SavedPlace(Openers::kindName(WindowKind(kind))), left);
        QWidget* again = open();
        QCOMPARE(main->windowHost().subWindowOf(again)->geometry(), left);
    }

    void theMainWindowReturnsAsItWasLeft()
    {
        start();
        main->setGeometry(QRect(60, 50, 820, 610));
        const QRect was = main->geometry();
        main->close();
        main.reset();
        start();
        QCOMPARE(main->geometry(), was);
    }
};

QTEST_MAIN(TestWindowsKeepUp)
#include "tst_windowskeepup.moc"
