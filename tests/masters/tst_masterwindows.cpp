#include <memory>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QtTest>

#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/DateBox.h"
#include "controls/sesPanel.h"
#include "masters/frmAcMaster.h"
#include "masters/frmGroupMaster.h"
#include "masters/frmGroups.h"
#include "store/BookEdits.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "store/DeletedTransactions.h"
#include "store/MasterEdits.h"
#include "windows/DataWindow.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"

using namespace qb;
using namespace qb::test;

namespace {

// A period summary window as the openers see it, recording what it was asked.
class SummaryWindow final : public DataWindow, public PeriodSummaryForm
{
public:
    std::optional<int> selectedAccount() const override { return account; }
    std::optional<QString> selectedGroup() const override { return group; }
    void SelectAccount(int code) override { account = code; }
    void SelectGroup(const QString& name) override { group = name; }
    void setFromDate(const QDate& date) override { from = date; }
    void setToDate(const QDate& date) override { to = date; }
    void RefreshReport() override { }
    std::optional<int> account;
    std::optional<QString> group;
    QDate from, to;
};

// A link as another renderer may pass it on, with its blanks escaped.
void navigate(HtmlView* view, const QString& href)
{
    bool cancel = false;
    Q_EMIT view->beforeNavigate(href, &cancel);
}

template <class T>
T* get(QWidget* w, const char* name)
{
    return w->findChild<T*>(QString::fromLatin1(name));
}

QString accountXml(int code)
{
    return FindAccount(test::sharedStore().document(), code).xml();
}

} // namespace

class TstMasterWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowTestFixture> fixture;
    QString book;

    BookContext context() { return fixture->book.context(); }

    void openBook(const QByteArray& xml)
    {
        QVERIFY(fixture->book.open(xml));
        book = fixture->book.file;
    }

    template <class W>
    W* show()
    {
        auto* w = new W(context());
        WindowHost::current().showChild(w);
        QApplication::setActiveWindow(w);
        return w;
    }

    void apply(frmAcMaster* w, const QString& name)
    {
        auto* box = get<QLineEdit>(w, "txtAcName");
        box->setFocus();
        box->selectAll();
        // Typed where the keyboard can type it; other characters pasted in.
        bool ascii = true;
        for (QChar c : name)
            ascii = ascii && c.unicode() >= 32 && c.unicode() < 127;
        if (ascii)
            QTest::keyClicks(box, name);
        else
            box->setText(name);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
    }

    void expectMessage(const QString& text, MsgIcon icon, const QString& title = {})
    {
        QCOMPARE(fixture->prompt.last().text, text);
        QCOMPARE(fixture->prompt.last().icon, icon);
        QCOMPARE(fixture->prompt.last().title, title.isEmpty() ? AppTitle() : title);
    }

private slots:
    void init() { fixture = std::make_unique<WindowTestFixture>(QDate(2013, 3, 20)); }

    void cleanup() { fixture.reset(); }

    void addsAccountsFromAnEmptyBook()
    {
        book = fixture->book.path(QStringLiteral("new.qbf"));
        QVERIFY(test::sharedStore().CreateDataFile(book));
        QVERIFY(test::sharedStore().OpenDataFile(book));
        frmAcMaster* w = show<frmAcMaster>();
        QCOMPARE(w->windowTitle(), QStringLiteral("Account Heads"));
        auto* record = get<sesPanel>(w, "fraRecord");
        auto* box = get<QLineEdit>(w, "txtAcName");
        QVERIFY(record->isHidden());

        // Keyboard only: Add, type, Enter moves on to Save as Tab would.
        QTest::keyClick(get<QPushButton>(w, "cmdAdd"), Qt::Key_Space);
        QVERIFY(record->isVisible());
        QCOMPARE(record->Caption(), QStringLiteral("Add New Account "));
        QCOMPARE(get<QPushButton>(w, "cmdSave")->text(), QStringLiteral("&Save"));
        QTRY_COMPARE(QApplication::focusWidget(), box);
        QTest::keyClicks(box, QStringLiteral("  Mom's Fund  "));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QPushButton>(w, "cmdSave"));
        QCOMPARE(accountXml(1), QString());
        pressKey(Qt::Key_Space);

        // Code 1, trimmed and filtered, in the file; the panel stays open for the next name.
        QCOMPARE(accountXml(1), QStringLiteral("<a Code=\"1\" AcName=\"Mom's Fund\"/>"));
        QVERIFY(readDataFile(book).contains("<a Code=\"1\" AcName=\"Mom's Fund\"/>"));
        QCOMPARE(w->LastSavedCode(), 1);
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("id=\"id1\"")));
        QCOMPARE(w->WebBrowser1->textCursor().block().text(),
            QStringLiteral("1")); // its row has the focus
        QVERIFY(record->isVisible());
        QVERIFY(box->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(fixture->prompt.count(), 0);

        // Refused: the same name as stored (case, apostrophe), an empty or unstorable name.
        const QByteArray before = readDataFile(book);
        apply(w, QStringLiteral("MOM'S FUND"));
        expectMessage(
            QStringLiteral("An Account with this name already exists."), MsgIcon::Information);
        QVERIFY(record->isVisible());
        apply(w, QStringLiteral("   "));
        expectMessage(QStringLiteral("Enter the Account name"), MsgIcon::Information,
            QStringLiteral("Incomplete data"));
        QTRY_COMPARE(QApplication::focusWidget(), box);
        apply(w, QStringLiteral("\u202e\u0007"));
        expectMessage(QStringLiteral("The account name holds a control character (U+202E), which "
                                     "cannot be saved. Type it again without it."),
            MsgIcon::Information, QStringLiteral("Cannot save"));
        QTRY_COMPARE(QApplication::focusWidget(), box);
        QCOMPARE(fixture->prompt.count(), 3);
        QCOMPARE(readDataFile(book), before);
        apply(w, QStringLiteral("Bank"));
        QCOMPARE(accountXml(2), QStringLiteral("<a Code=\"2\" AcName=\"Bank\"/>"));
        QCOMPARE(w->WebBrowser1->textCursor().block().text(), QStringLiteral("2"));

        get<QPushButton>(w, "cmdCancel")->click();
        QVERIFY(record->isHidden());
        QCOMPARE(w->RecordMode(), int(frmAcMaster::ModeAdd));
    }

    // A new account with an opening balance: a transaction against the
    // opening-balance account (made by the first one, then used again),
    // money in for a positive balance and out for a negative one; the
    // account and its balance are one undo step.
    void aNewAccountGetsItsOpeningBalance_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("transaction"); // its markup; none: no transaction
        QTest::newRow("money in, on the leap day")
            << QStringLiteral("1377.70")
            << QStringLiteral("<t No=\"1\" dt=\"20120229\" fAc=\"6\" tAc=\"5\" "
                              "Nar=\"Opening balance\">1377.7</t>");
        QTest::newRow("overdrawn")
            << QStringLiteral("-250.01")
            << QStringLiteral("<t No=\"1\" dt=\"20120229\" fAc=\"5\" tAc=\"6\" "
                              "Nar=\"Opening balance\">250.01</t>");
        QTest::newRow("none") << QStringLiteral("0") << QString();
    }
    void aNewAccountGetsItsOpeningBalance()
    {
        QFETCH(QString, typed);
        QFETCH(QString, transaction);
        openBook(test::sampleBookXml());
        frmAcMaster* w = show<frmAcMaster>();
        QTest::keyClick(get<QPushButton>(w, "cmdAdd"), Qt::Key_Space);
        QTRY_COMPARE(QApplication::focusWidget(), get<QLineEdit>(w, "txtAcName"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Savings"));
        pressKey(Qt::Key_O, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), typed);
        pressKey(Qt::Key_E, Qt::AltModifier);
        get<DateBox>(w, "debOpening")->setDate(QDate(2012, 2, 29));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(accountXml(5), QStringLiteral("<a Code=\"5\" AcName=\"Savings\"/>"));
        const XmlDocument& doc = test::sharedStore().document();
        QCOMPARE(FindTransaction(doc, {20120229, 1}).xml(), transaction);
        QCOMPARE(accountXml(6).isEmpty(), transaction.isEmpty());
        QCOMPARE(fixture->book.store.history().undoCount(), 1);
        if (transaction.isEmpty())
            return;
        // A second account's balance goes against the same account.
        pressKey(Qt::Key_O, Qt::AltModifier);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
        apply(w, QStringLiteral("Card"));
        QVERIFY(accountXml(8).isEmpty());
        QCOMPARE(FindTransaction(doc, {20120229, 2}).xml(),
            QStringLiteral("<t No=\"2\" dt=\"20120229\" fAc=\"6\" tAc=\"7\" "
                           "Nar=\"Opening balance\">5</t>"));
        QCOMPARE(fixture->book.store.history().undoCount(), 2);
        QVERIFY(readDataFile(book).contains("Nar=\"Opening balance\""));
    }

    void renamesAndDeletesThroughTheLinks()
    {
        openBook(sampleBookXml());
        frmAcMaster* w = show<frmAcMaster>();
        auto* record = get<sesPanel>(w, "fraRecord");
        auto* box = get<QLineEdit>(w, "txtAcName");
        // Balances over all transactions: money in counts positive.
        const QString page = w->WebBrowser1->pageText();
        QVERIFY(page.contains(QStringLiteral("242.25"))); // Cash: 300 - 45.5 - 12.25
        QVERIFY(page.contains(QStringLiteral("-2,500.00"))); // Salary

        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]1")));
        QCOMPARE(w->RecordMode(), int(frmAcMaster::ModeEdit));
        QCOMPARE(record->Caption(), QStringLiteral("Edit Account "));
        QCOMPARE(box->text(), QStringLiteral("Cash"));
        QTRY_COMPARE(QApplication::focusWidget(), box);
        apply(w, QStringLiteral("CASH"));
        expectMessage(
            QStringLiteral("An Account with this name already exists."), MsgIcon::Information);
        apply(w, QStringLiteral("bank"));
        QCOMPARE(fixture->prompt.count(), 2);
        apply(w, QStringLiteral("Cash"));
        QCOMPARE(fixture->prompt.count(), 2);
        QVERIFY(record->isHidden());
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]1")));
        apply(w, QStringLiteral(" Petty Cash "));
        QCOMPARE(accountXml(1), QStringLiteral("<a Code=\"1\" AcName=\"Petty Cash\"/>"));
        QCOMPARE(w->LastSavedCode(), 1);
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("Petty Cash")));

        // Deleting: in one group, in two groups, used by transactions; nothing changes.
        DataStore& store = test::sharedStore();
        const QByteArray before = readDataFile(book);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]2")));
        QCOMPARE(record->Caption(), QStringLiteral("Delete Account"));
        QCOMPARE(get<QPushButton>(w, "cmdSave")->text(), QStringLiteral("&Delete"));
        QVERIFY(box->isReadOnly());
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(
            fixture->prompt.last().text.contains(QStringLiteral("part of this group - 'Money'. ")));
        QVERIFY(record->isHidden());
        AddGroup(store.document(), QStringLiteral("Banks"), QStringLiteral(",2,"));
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]2")));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(
            fixture->prompt.last().text.contains(QStringLiteral("groups - \r\n'Money', 'Banks'.")));
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]4")));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        expectMessage(
            QStringLiteral("Transactions for this account exist. \r\nCheck the transaction "
                           "list report to list the transactions."),
            MsgIcon::Information, QStringLiteral("Cannot delete account"));
        QVERIFY(record->isHidden());
        QCOMPARE(readDataFile(book), before);
        QVERIFY(!accountXml(4).isEmpty());

        // An unused account: No keeps it (the panel closes, the list is rebuilt);
        // Yes removes it and its code, the highest, is given again.
        get<QPushButton>(w, "cmdAdd")->click();
        apply(w, QStringLiteral("Spare"));
        QCOMPARE(accountXml(5), QStringLiteral("<a Code=\"5\" AcName=\"Spare\"/>"));
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]5")));
        fixture->prompt.answer(MsgResult::No);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.last().text,
            QStringLiteral("Are you sure you want to delete this record ?"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Confirm Deletion"));
        QCOMPARE(fixture->prompt.last().buttons, MsgButtons::YesNo);
        QCOMPARE(fixture->prompt.last().defaultButton, MsgResult::No);
        QCOMPARE(fixture->prompt.last().icon, MsgIcon::Question);
        QVERIFY(!accountXml(5).isEmpty());
        QVERIFY(record->isHidden());
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]5")));
        fixture->prompt.answer(MsgResult::Yes);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(accountXml(5).isEmpty());
        QVERIFY(!readDataFile(book).contains("Spare"));
        QCOMPARE(w->LastSavedCode(), 0);
        QVERIFY(!w->WebBrowser1->pageText().contains(QStringLiteral("Spare")));
        get<QPushButton>(w, "cmdAdd")->click();
        apply(w, QStringLiteral("Again"));
        QCOMPARE(accountXml(5), QStringLiteral("<a Code=\"5\" AcName=\"Again\"/>"));
    }

    // Every printable character is kept, in the book and in its file; a
    // control character or a name over 100 characters is refused and named.
    void accountNamesAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused with message
        QTest::addColumn<QString>("message");
        QTest::newRow("euro sign")
            << QStringLiteral("Urlaub \u20ac") << QStringLiteral("Urlaub \u20ac") << QString();
        QTest::newRow("dash and typographic quotes")
            << QStringLiteral("Caf\u00e9 \u2014 \u201eDie Ecke\u201c")
            << QStringLiteral("Caf\u00e9 \u2014 \u201eDie Ecke\u201c") << QString();
        QTest::newRow("2 KB pasted") << QString(2048, QLatin1Char('n')) << QString()
                                     << QStringLiteral("A name can have at most 100 characters; "
                                                       "this account name has 2048.");
        QTest::newRow("a control character")
            << QStringLiteral("Rent\u0002") << QString()
            << QStringLiteral("The account name holds a control character (U+0002), which cannot "
                              "be saved. Type it again without it.");
    }
    void accountNamesAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        openBook(sampleBookXml());
        frmAcMaster* w = show<frmAcMaster>();
        get<QPushButton>(w, "cmdAdd")->click();
        const QByteArray before = readDataFile(book);
        apply(w, typed);
        if (stored.isEmpty()) {
            QCOMPARE(fixture->prompt.count(), 1);
            QCOMPARE(fixture->prompt.last().text, message);
            QCOMPARE(readDataFile(book), before);
            QVERIFY(accountXml(5).isEmpty());
            return;
        }
        QCOMPARE(fixture->prompt.count(), 0);
        QCOMPARE(FindAccount(test::sharedStore().document(), 5).attribute(QStringLiteral("AcName")),
            stored);
        // The file is seven-bit: the characters beyond go as references.
        QByteArray inFile;
        for (const char32_t c : stored.toUcs4())
            inFile += c < 128 ? QByteArray(1, char(c))
                              : QByteArray("&#" + QByteArray::number(uint(c)) + ';');
        QVERIFY(readDataFile(book).contains(QByteArray("AcName=\"" + inFile + '"')));
    }

    // A deleted transaction cannot be restored without its account: the
    // question says how many in the bin would stay there for good.
    void deletingAnAccountNamesTheBinEntriesThatNeedIt()
    {
        openBook(sampleBookXml());
        DataStore& store = test::sharedStore();
        const int spare = AddAccountHead(store.document(), QStringLiteral("Spare"));
        frmAcMaster* w = show<frmAcMaster>();
        const QString question = QStringLiteral("Are you sure you want to delete this record ?");
        for (int binned = 0; binned <= 2; ++binned) {
            if (binned > 0) {
                const TransactionKey key = AddTransaction(store.document(),
                    {20130105, binned == 1 ? spare : 1, binned == 1 ? 1 : spare, QString(),
                        Money::fromUnits(Money::kScale)});
                DeleteTransaction(
                    store.document(), FindTransaction(store.document(), key), store.clock().now());
            }
            w->RefreshList();
            QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]") + QString::number(spare)));
            fixture->prompt.answer(binned < 2 ? MsgResult::No : MsgResult::Yes);
            QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
            const QString note = binned == 0 ? QString()
                : binned == 1
                ? QStringLiteral("\r\n\r\n1 deleted transaction in the bin refers to this account "
                                 "and can then no longer be restored.")
                : QStringLiteral("\r\n\r\n2 deleted transactions in the bin refer to this account "
                                 "and can then no longer be restored.");
            QCOMPARE(fixture->prompt.last().text, question + note);
        }
        QVERIFY(accountXml(spare).isEmpty());
        const QList<DeletedTransaction> bin = ReadDeleted(store.document());
        QCOMPARE(bin.size(), 2);
        for (const DeletedTransaction& d : bin) {
            QCOMPARE(int(RestoreDeleted(store.document(), d.id).kind),
                int(RestoreOutcome::AccountMissing));
        }
    }

    void accountMenuOpensTheReportsOfTheMonth()
    {
        openBook(sampleBookXml());
        QList<RecordingListWindow*> lists;
        QList<SummaryWindow*> summaries;
        fixture->registerFactory(WindowKind::TransactionList, [&lists](const BookContext&) {
            lists.append(new RecordingListWindow);
            return lists.last();
        });
        fixture->registerFactory(WindowKind::PeriodSummary, [&summaries](const BookContext&) {
            summaries.append(new SummaryWindow);
            return summaries.last();
        });
        frmAcMaster* w = show<frmAcMaster>();
        fixture->menus.answer(1003);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("3")));
        QCOMPARE(fixture->menus.shown.at(0).size(), 4);
        QCOMPARE(lists.size(), 1);
        QCOMPARE(lists.at(0)->account, std::optional<int>(3));
        QCOMPARE(lists.at(0)->from, QDate(2013, 3, 1));
        QCOMPARE(lists.at(0)->to, QDate(2013, 3, 20));
        fixture->menus.answer(1002);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("2")));
        QCOMPARE(summaries.size(), 1);
        QCOMPARE(summaries.at(0)->account, std::optional<int>(2));
        QCOMPARE(summaries.at(0)->from, QDate(2013, 3, 1));
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("1"))); // dismissed: nothing
        QCOMPARE(lists.size() + summaries.size(), 2);
    }

    void groupMembersKeepTheirOrder()
    {
        QByteArray xml = sampleBookXml();
        xml.replace("</AcMaster>",
            "<a Code=\"5\" AcName=\"alpha\"/><a Code=\"6\" AcName=\"Rent\"/>"
            "<a Code=\"7\" AcName=\"Zoo\"/></AcMaster>");
        openBook(xml);
        frmGroupMaster* w = show<frmGroupMaster>();
        QCOMPARE(w->windowTitle(), QStringLiteral("Group Master"));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("Cash, Bank")));

        get<QPushButton>(w, "cmdAdd")->click();
        frmGroups* d = w->groupDialog();
        QVERIFY(d);
        QVERIFY(d->isModal());
        QCOMPARE(get<QPushButton>(d, "cmd_0")->toolTip(), QStringLiteral("Include Selected"));
        QCOMPARE(get<QPushButton>(d, "cmd_3")->toolTip(), QStringLiteral("Exclude All"));
        auto* left = get<QListWidget>(d, "lstAccounts");
        auto* right = get<QListWidget>(d, "lstSelectedAccounts");
        auto texts = [](QListWidget* list) {
            QStringList t;
            for (int i = 0; i < list->count(); ++i)
                t.append(list->item(i)->text());
            return t;
        };
        const QStringList alphabetical {QStringLiteral("alpha"), QStringLiteral("Bank"),
            QStringLiteral("Cash"), QStringLiteral("Food"), QStringLiteral("Rent"),
            QStringLiteral("Salary"), QStringLiteral("Zoo")};
        QCOMPARE(texts(left), alphabetical);
        // Salary by ">", Cash by a double click, Zoo by ">".
        left->findItems(QStringLiteral("Salary"), Qt::MatchExactly).at(0)->setSelected(true);
        get<QPushButton>(d, "cmd_0")->click();
        QListWidgetItem* cash = left->findItems(QStringLiteral("Cash"), Qt::MatchExactly).at(0);
        QTest::mouseDClick(
            left->viewport(), Qt::LeftButton, {}, left->visualItemRect(cash).center());
        left->findItems(QStringLiteral("Zoo"), Qt::MatchExactly).at(0)->setSelected(true);
        get<QPushButton>(d, "cmd_0")->click();
        QCOMPARE(texts(right),
            (QStringList {
                QStringLiteral("Salary"), QStringLiteral("Cash"), QStringLiteral("Zoo")}));
        get<QLineEdit>(d, "txtGroupName")->setText(QStringLiteral(" Day to day "));
        get<QPushButton>(d, "cmdSave")->click();
        QTRY_VERIFY(!w->groupDialog());
        QCOMPARE(fixture->prompt.count(), 0);
        QVERIFY(readDataFile(book).contains("<Group gi=\",3,1,7,\">Day to day</Group>"));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("Salary, Cash, Zoo")));
        // Its row has the focus (the page keeps the name on one line).
        QCOMPARE(w->WebBrowser1->textCursor().block().text().replace(QChar::Nbsp, QLatin1Char(' ')),
            QStringLiteral("Day to day"));

        // Edit through a link whose blanks came escaped: the members come back in order.
        navigate(w->WebBrowser1, QStringLiteral("[*[E]*]Day%20to%20day"));
        d = w->groupDialog();
        QVERIFY(d);
        left = get<QListWidget>(d, "lstAccounts");
        right = get<QListWidget>(d, "lstSelectedAccounts");
        QCOMPARE(get<QLineEdit>(d, "txtGroupName")->text(), QStringLiteral("Day to day"));
        QCOMPARE(texts(right),
            (QStringList {
                QStringLiteral("Salary"), QStringLiteral("Cash"), QStringLiteral("Zoo")}));
        get<QPushButton>(d, "cmd_1")->click();
        QVERIFY(left->count() == 0 && right->count() == 7);
        get<QPushButton>(d, "cmd_3")->click();
        QCOMPARE(texts(left), alphabetical);
        get<QPushButton>(d, "cmdSave")->click();
        QVERIFY(readDataFile(book).contains("<Group gi=\",\">Day to day</Group>"));
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]Day to day")));
        QCOMPARE(get<QListWidget>(w->groupDialog(), "lstAccounts")->count(), 7);
        get<QPushButton>(w->groupDialog(), "cmdClose")->click();
        QTRY_VERIFY(!w->groupDialog());
    }

    void groupNamesAndDeletion()
    {
        openBook(sampleBookXml());
        frmGroupMaster* w = show<frmGroupMaster>();
        const QByteArray before = readDataFile(book);
        struct Case
        {
            QString link;
            QString name;
            QString message;
        };
        const Case refused[] = {
            {QString(), QStringLiteral("money"),
                QStringLiteral("A Group with this name already exists.")},
            {QString(), QStringLiteral(" MONEY "),
                QStringLiteral("A Group with this name already exists.")},
            {QString(), QStringLiteral("  "), QStringLiteral("Enter a group name. ")},
            {QStringLiteral("[*[E]*]Money"), QStringLiteral("MONEY"),
                QStringLiteral("A Group with this name already exists.")},
        };
        for (const Case& c : refused) {
            if (c.link.isEmpty())
                get<QPushButton>(w, "cmdAdd")->click();
            else
                QVERIFY(clickLink(w->WebBrowser1, c.link));
            frmGroups* d = w->groupDialog();
            get<QLineEdit>(d, "txtGroupName")->setText(c.name);
            get<QPushButton>(d, "cmdSave")->click();
            QCOMPARE(fixture->prompt.last().text, c.message);
            QCOMPARE(fixture->prompt.last().icon, MsgIcon::None);
            QCOMPARE(fixture->prompt.last().title, AppTitle());
            QCOMPARE(w->groupDialog(), d); // stays open
            d->close();
            QTRY_VERIFY(!w->groupDialog());
        }
        QCOMPARE(readDataFile(book), before);

        // Unchanged name with other members is accepted.
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]Money")));
        get<QPushButton>(w->groupDialog(), "cmd_3")->click();
        get<QPushButton>(w->groupDialog(), "cmdSave")->click();
        QVERIFY(readDataFile(book).contains("<Group gi=\",\">Money</Group>"));

        // Delete: read-only, lists and arrows disabled, removed without a question.
        const int shown = fixture->prompt.count();
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]Money")));
        frmGroups* d = w->groupDialog();
        QCOMPARE(d->MyActiveMode(), int(frmGroups::ModeDelete));
        QCOMPARE(get<QPushButton>(d, "cmdSave")->text(), QStringLiteral("&Delete"));
        QVERIFY(get<QLineEdit>(d, "txtGroupName")->isReadOnly());
        QVERIFY(!get<QListWidget>(d, "lstAccounts")->isEnabled());
        QVERIFY(!get<QListWidget>(d, "lstSelectedAccounts")->isEnabled());
        for (const char* name : {"cmd_0", "cmd_1", "cmd_2", "cmd_3"})
            QVERIFY(!get<QPushButton>(d, name)->isEnabled());
        get<QPushButton>(d, "cmdSave")->click();
        QCOMPARE(fixture->prompt.count(), shown);
        QVERIFY(!readDataFile(book).contains("Money"));
        QVERIFY(!w->WebBrowser1->pageText().contains(QStringLiteral("Money")));
    }

    void groupLinkOffersThePeriodSummary()
    {
        openBook(sampleBookXml());
        DataStore& store = test::sharedStore();
        AddGroup(store.document(), QStringLiteral("Day to day"), QStringLiteral(",1,"));
        QList<SummaryWindow*> summaries;
        fixture->registerFactory(WindowKind::PeriodSummary, [&summaries](const BookContext&) {
            summaries.append(new SummaryWindow);
            return summaries.last();
        });
        frmGroupMaster* w = show<frmGroupMaster>();
        fixture->menus.answer(1002);
        navigate(w->WebBrowser1, QStringLiteral("Day%20to%20day"));
        // Only the period summary is offered.
        QCOMPARE(fixture->menus.shown.at(0).size(), 3);
        QCOMPARE(fixture->menus.shown.at(0).at(0).command, 1002);
        QCOMPARE(summaries.size(), 1);
        QCOMPARE(summaries.at(0)->group, std::optional<QString>(QStringLiteral("Day to day")));
        QCOMPARE(summaries.at(0)->from, QDate(2013, 3, 1));
        QCOMPARE(summaries.at(0)->to, QDate(2013, 3, 20));
    }
};

QTEST_MAIN(TstMasterWindows)
#include "tst_masterwindows.moc"
