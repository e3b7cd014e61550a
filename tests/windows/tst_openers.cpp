#include <QtTest>

#include "TestBook.h"
#include "WidgetTestSupport.h"
#include "windows/DataWindow.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"

using namespace qb;

namespace {

// Each call with the state of mblnDisableRefreshReport at that moment.
using Log = QStringList;

class LedgerWindow final : public DataWindow, public TransactionListForm
{
public:
    std::optional<int> account;
    QDate from = QDate(2000, 1, 1), to = QDate(2000, 1, 1);
    Log log;

    std::optional<int> selectedAccount() const override { return account; }
    void SelectAccount(int code) override
    {
        note(QStringLiteral("select %1").arg(code));
        account = code;
    }
    void setFromDate(const QDate& d) override { from = d; }
    void setToDate(const QDate& d) override { to = d; }
    void RefreshReport() override { note(QStringLiteral("refresh")); }
    void note(const QString& what)
    {
        log.append(what + (mblnDisableRefreshReport ? QStringLiteral(" (disabled)") : QString()));
    }

protected:
    void showEvent(QShowEvent* e) override
    {
        note(QStringLiteral("show"));
        DataWindow::showEvent(e);
    }
};

class SummaryWindow final : public DataWindow, public PeriodSummaryForm
{
public:
    std::optional<int> account;
    std::optional<QString> group;
    QDate from, to;
    Log log;

    std::optional<int> selectedAccount() const override { return account; }
    std::optional<QString> selectedGroup() const override { return group; }
    void SelectAccount(int code) override
    {
        log.append(QStringLiteral("select %1").arg(code));
        account = code;
    }
    void SelectGroup(const QString& g) override
    {
        log.append(QStringLiteral("group ") + g);
        group = g;
    }
    void setFromDate(const QDate& d) override { from = d; }
    void setToDate(const QDate& d) override { to = d; }
    void RefreshReport() override
    {
        log.append(mblnDisableRefreshReport ? QStringLiteral("refresh (disabled)")
                                            : QStringLiteral("refresh"));
    }
};

class EntryWindow final : public DataWindow, public TransactionEntryForm
{
public:
    QDate date = QDate(2000, 1, 1);
    Log log;
    QDate entryDate() const override { return date; }
    void setEntryDate(const QDate& d) override
    {
        log.append(
            mblnDisableRefreshReport ? QStringLiteral("date (disabled)") : QStringLiteral("date"));
        date = d;
    }
    void RefreshList() override
    {
        log.append(
            mblnDisableRefreshReport ? QStringLiteral("list (disabled)") : QStringLiteral("list"));
    }
};

class SearchWindow final : public DataWindow, public SearchForm
{
public:
    int count = 0;
    int mlngSearchResultCount() const override { return count; }
};

Log logOf(std::initializer_list<const char*> items)
{
    Log log;
    for (const char* item : items)
        log.append(QString::fromLatin1(item));
    return log;
}

template <typename T>
QList<T*> openWindows()
{
    QList<T*> list;
    for (QWidget* w : WindowHost::current().childWindows()) {
        if (auto* t = dynamic_cast<T*>(w))
            list.append(t);
    }
    return list;
}

} // namespace

class TstOpeners : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_fixture.registerFactory(
            WindowKind::TransactionList, [](const BookContext&) { return new LedgerWindow; });
        m_fixture.registerFactory(
            WindowKind::PeriodSummary, [](const BookContext&) { return new SummaryWindow; });
        m_fixture.registerFactory(
            WindowKind::TransactionEntry, [](const BookContext&) { return new EntryWindow; });
        m_fixture.registerFactory(
            WindowKind::Search, [](const BookContext&) { return new SearchWindow; });
    }

    void cleanup()
    {
        test::WindowTestFixture::deleteWindows();
        QVERIFY(WindowHost::current().childWindows().isEmpty());
    }

    void transactionListReusesTheWindowOfTheAccount()
    {
        const QDate jan1(2013, 1, 1), jan31(2013, 1, 31), feb28(2013, 2, 28);
        auto* first = dynamic_cast<LedgerWindow*>(OpenTransactionList(5, jan1, jan31));
        QVERIFY(first);
        QVERIFY(first->isVisible());
        QCOMPARE(first->log, logOf({"show (disabled)", "select 5 (disabled)", "refresh"}));
        QCOMPARE(first->from, jan1);
        QCOMPARE(first->to, jan31);
        QVERIFY(!first->mblnDisableRefreshReport);

        // The same account: that window, with the new dates, refreshed once more.
        first->log.clear();
        QCOMPARE(OpenTransactionList(5, jan31, feb28), first);
        QCOMPARE(first->log, logOf({"select 5 (disabled)", "refresh"}));
        QCOMPARE(first->from, jan31);
        QCOMPARE(first->to, feb28);

        // Another account: a second window. Missing or invalid dates are left as they are.
        auto* second = dynamic_cast<LedgerWindow*>(OpenTransactionList(6, std::nullopt, QDate()));
        QVERIFY(second && second != first);
        QCOMPARE(second->from, QDate(2000, 1, 1));
        QCOMPARE(second->to, QDate(2000, 1, 1));
        QCOMPARE(openWindows<LedgerWindow>().size(), 2);

        // Code 0 (the main menu): a new window with no account and no report.
        auto* blank = dynamic_cast<LedgerWindow*>(OpenTransactionList(0));
        QVERIFY(blank && blank != first && blank != second);
        QCOMPARE(blank->log, logOf({"show"}));
        QCOMPARE(openWindows<LedgerWindow>().size(), 3);
        // A window that shows nothing is never the match, not even for code 0.
        QVERIFY(OpenTransactionList(0) != blank);
    }

    void periodSummaryMatchesAccountOrGroup()
    {
        auto* all = dynamic_cast<SummaryWindow*>(OpenPeriodSummary(0, QString()));
        QVERIFY(all);
        QVERIFY(all->log.isEmpty()); // nothing chosen, nothing refreshed
        // A window showing "(All Accounts)" is the main menu's match.
        all->account = 0;
        QCOMPARE(OpenPeriodSummary(0, QString()), all);

        auto* cash = dynamic_cast<SummaryWindow*>(
            OpenPeriodSummary(1, QString(), QDate(2013, 1, 1), QDate(2013, 1, 31)));
        QVERIFY(cash && cash != all);
        QCOMPARE(cash->log, logOf({"select 1", "refresh"}));
        QCOMPARE(cash->from, QDate(2013, 1, 1));

        auto* money = dynamic_cast<SummaryWindow*>(OpenPeriodSummary(0, QStringLiteral("Money")));
        QVERIFY(money && money != all && money != cash);
        QCOMPARE(money->log, logOf({"group Money", "refresh"}));
        money->log.clear();
        QCOMPARE(OpenPeriodSummary(0, QStringLiteral("Money")), money);
        QCOMPARE(money->log, logOf({"group Money", "refresh"}));
        // Group names match exactly.
        QVERIFY(OpenPeriodSummary(0, QStringLiteral("money")) != money);
        // A group request never matches by account, nor an account request by group.
        QVERIFY(OpenPeriodSummary(1, QStringLiteral("Money")) == money);
        QCOMPARE(OpenPeriodSummary(1, QString()), cash);
        QCOMPARE(openWindows<SummaryWindow>().size(), 4);
        for (SummaryWindow* w : openWindows<SummaryWindow>())
            QVERIFY(!w->mblnDisableRefreshReport);
    }

    void transactionEntryMatchesTheDate()
    {
        auto* jan5 = dynamic_cast<EntryWindow*>(OpenTransactionEntry(20130105));
        QVERIFY(jan5);
        QCOMPARE(jan5->date, QDate(2013, 1, 5));
        QCOMPARE(jan5->log, logOf({"date (disabled)", "list"}));
        jan5->log.clear();
        QCOMPARE(OpenTransactionEntry(20130105), jan5);
        QCOMPARE(jan5->log, logOf({"date (disabled)", "list"}));
        auto* jan6 = OpenTransactionEntry(20130106);
        QVERIFY(jan6 && jan6 != jan5);
        // Not a date: no window.
        QCOMPARE(OpenTransactionEntry(20131399), nullptr);
        QCOMPARE(openWindows<EntryWindow>().size(), 2);
    }

    void searchReusesOnlyAnEmptyResult()
    {
        auto* first = dynamic_cast<SearchWindow*>(OpenSearch());
        QVERIFY(first);
        QCOMPARE(OpenSearch(), first);
        first->count = 3;
        auto* second = dynamic_cast<SearchWindow*>(OpenSearch());
        QVERIFY(second && second != first);
        QCOMPARE(OpenSearch(), second);
        QCOMPARE(openWindows<SearchWindow>().size(), 2);
    }

    void withoutAFactoryNothingOpens()
    {
        Openers::registerFactory(WindowKind::Search, {});
        QVERIFY(!Openers::hasFactory(WindowKind::Search));
        QCOMPARE(OpenSearch(), nullptr);
        Openers::registerFactory(
            WindowKind::Search, [](const BookContext&) { return new SearchWindow; });
        QVERIFY(OpenSearch());
    }

    void masterWindowsAreOneOfEachKindAndGetTheBook()
    {
        QList<QDate> todays;
        for (WindowKind kind : {WindowKind::AccountHeads, WindowKind::Groups}) {
            Openers::registerFactory(kind, [&todays](const BookContext& book) {
                todays.append(book.clock.today());
                return new QWidget;
            });
        }
        QWidget* heads = OpenAccountHeads();
        QWidget* groups = OpenGroups();
        QVERIFY(heads && groups && heads != groups);
        QVERIFY(heads->isVisible() && groups->isVisible());
        QCOMPARE(OpenAccountHeads(), heads);
        QCOMPARE(OpenGroups(), groups);
        QCOMPARE(todays, (QList<QDate> {test::kTestToday, test::kTestToday}));
        QCOMPARE(Openers::kindOf(heads), WindowKind::AccountHeads);
        QCOMPARE(Openers::kindOf(groups), WindowKind::Groups);

        // A window of another kind is never taken for one of these.
        auto* search = dynamic_cast<SearchWindow*>(OpenSearch());
        QVERIFY(search && !Openers::kindOf(nullptr));
        QCOMPARE(Openers::kindOf(search), WindowKind::Search);

        // Once closed, the next command makes a new one, with the clock as it is now.
        delete heads;
        m_fixture.book.clock.setToday(QDate(2014, 6, 1));
        QWidget* again = OpenAccountHeads();
        QVERIFY(again && again != groups);
        QCOMPARE(todays.size(), 3);
        QCOMPARE(todays.last(), QDate(2014, 6, 1));
        m_fixture.book.clock.setToday(test::kTestToday);

        // Without a book nothing new is made; an open window still comes forward.
        delete again;
        Openers::clearBook();
        QCOMPARE(OpenAccountHeads(), nullptr);
        QCOMPARE(OpenGroups(), groups);
        QCOMPARE(todays.size(), 3);
        Openers::setBook(m_fixture.book.context());
        for (WindowKind kind : {WindowKind::AccountHeads, WindowKind::Groups})
            Openers::registerFactory(kind, {});
    }

private:
    test::WindowTestFixture m_fixture;
};

QTEST_MAIN(TstOpeners)
#include "tst_openers.moc"
