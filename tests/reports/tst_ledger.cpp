#include <algorithm>
#include <map>
#include <memory>

#include <QComboBox>
#include <QDateEdit>
#include <QMdiArea>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/DateBox.h"
#include "controls/sesPanel.h"
#include "controls/ucToolbar.h"
#include "engine/LedgerReport.h"
#include "engine/ShortDate.h"
#include "reports/frmLedger.h"
#include "shell/MDIForm1.h"
#include "store/Clock.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Reconcile.h"
#include "store/Utilities.h"
#include "transactions/frmTrans.h"
#include "windows/DateSelector.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;

namespace {

struct Tx
{
    int dt;
    int no;
    int from;
    int to;
    qint64 units; // ten-thousandths
    QString nar;
};

const char* const kNames[] = {"Cash", "bank", "Salary", "Food", "rent", "Travel"};

// "#,##0.00" of an amount in ten-thousandths, rounded to cents half away
// from zero, written out by hand.
QString money(qint64 units)
{
    const qint64 cents = (units < 0 ? -units + 50 : units + 50) / 100;
    const bool negative = units < 0 && cents > 0;
    qint64 v = cents;
    QString whole = QString::number(v / 100);
    for (int i = int(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(i, QLatin1Char(','));
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char('.')
        + QStringLiteral("%1").arg(v % 100, 2, 10, QLatin1Char('0'));
}

// A book of a few hundred transactions over 2012-2014, appended in random
// date order (so back-dated entries sit late in the document), numbered
// within each date in the order they were entered; some on the edges of the
// reported period.
QList<Tx> makeTransactions()
{
    QRandomGenerator random(20130301);
    QList<Tx> list;
    std::map<int, int> numbers;
    const QDate first(2012, 1, 1);
    auto add = [&](const QDate& day) {
        const int dt = DateToDocDate(day);
        const int from = int(random.bounded(6)) + 1;
        int to = int(random.bounded(5)) + 1;
        if (to >= from)
            ++to;
        // Ten-thousandths, some of them half a cent (x.xx5).
        const qint64 units = qint64(random.bounded(1, 250000)) * (random.bounded(4) ? 100 : 50);
        list.append(
            {dt, ++numbers[dt], from, to, units, QStringLiteral("entry %1").arg(list.size())});
    };
    for (int i = 0; i < 360; ++i)
        add(first.addDays(random.bounded(3 * 365)));
    for (int i = 0; i < 3; ++i) { // several on each edge of the period
        add(QDate(2013, 3, 1));
        add(QDate(2013, 9, 30));
        add(QDate(2013, 2, 28));
        add(QDate(2013, 10, 1));
        add(QDate(2014, 1, 31)); // and of the month the window opens with
        add(QDate(2014, 2, 1));
        add(QDate(2014, 2, 28));
        add(QDate(2014, 3, 1));
    }
    return list;
}

QByteArray bookXml(const QList<Tx>& list)
{
    QByteArray xml = "<Data><AcMaster>";
    for (int i = 0; i < 6; ++i)
        xml += "<a Code=\"" + QByteArray::number(i + 1) + "\" AcName=\"" + kNames[i] + "\"/>";
    xml += "</AcMaster><PValue>" + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")).toLatin1()
        + "</PValue><Trans>";
    for (const Tx& t : list) {
        QString amount = QStringLiteral("%1.%2")
                             .arg(t.units / 10000)
                             .arg(t.units % 10000, 4, 10, QLatin1Char('0'));
        while (amount.endsWith(QLatin1Char('0')))
            amount.chop(1);
        if (amount.endsWith(QLatin1Char('.')))
            amount.chop(1);
        xml += QStringLiteral("<t No=\"%1\" dt=\"%2\" fAc=\"%3\" tAc=\"%4\" Nar=\"%5\">%6</t>")
                   .arg(t.no)
                   .arg(t.dt)
                   .arg(t.from)
                   .arg(t.to)
                   .arg(t.nar, amount)
                   .toLatin1();
    }
    xml += "</Trans><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>";
    return xml;
}

// The listing as the test works it out: rows as
// "date|no|other account|in|out|balance", then opening, totals and closing.
struct Expected
{
    QStringList rows;
    QString opening, in, out, closing;
    QStringList dayTotals; // "in|out" for each day with several rows
};

Expected expectedListing(QList<Tx> list, int code, int from, int to)
{
    std::sort(list.begin(), list.end(),
        [](const Tx& a, const Tx& b) { return a.dt != b.dt ? a.dt < b.dt : a.no < b.no; });
    Expected e;
    qint64 opening = 0, in = 0, out = 0;
    std::map<int, std::pair<int, std::pair<qint64, qint64>>> days;
    for (const Tx& t : list) {
        if (t.from != code && t.to != code)
            continue;
        const qint64 signedAmount = t.to == code ? t.units : -t.units;
        if (t.dt < from) {
            opening += signedAmount;
            continue;
        }
        if (t.dt > to)
            continue;
        in += t.to == code ? t.units : 0;
        out += t.from == code ? t.units : 0;
        auto& day = days[t.dt];
        ++day.first;
        (t.to == code ? day.second.first : day.second.second) += t.units;
        const int other = t.to == code ? t.from : t.to;
        e.rows.append(QStringList {QString::number(t.dt), QString::number(t.no),
            QString::fromLatin1(kNames[other - 1]), t.to == code ? money(t.units) : QString(),
            t.from == code ? money(t.units) : QString(), money(opening + in - out)}
                          .join(QLatin1Char('|')));
    }
    for (const auto& [dt, day] : days) {
        if (day.first > 1)
            e.dayTotals.append(
                money(day.second.first) + QLatin1Char('|') + money(day.second.second));
    }
    e.opening = money(opening);
    e.in = money(in);
    e.out = money(out);
    e.closing = money(opening + in - out);
    return e;
}

// The same read from the page the window shows.
Expected listingOf(const QString& page)
{
    XmlDocument doc;
    Expected e;
    if (!doc.loadXml(page.toUtf8()))
        return e;
    auto cells
        = [](const XmlNode& row) { return nodeTexts(row.selectNodes(QStringLiteral("TD"))); };
    for (const XmlNode& row : doc.selectNodes(QStringLiteral("//TR[starts-with(@id,'id')]"))) {
        QStringList c = cells(row);
        // The status column, where the page has one, is not part of the listing.
        if (row.selectSingleNode(QStringLiteral("TD[3]/A[starts-with(@href,'[*[S]*]')]")))
            c.removeAt(2);
        const QString date
            = row.selectSingleNode(QStringLiteral("TD[1]/A")).attribute(QStringLiteral("href"));
        e.rows.append(
            QStringList {date.mid(10), c.value(1), c.value(2), c.value(4), c.value(5), c.value(6)}
                .join(QLatin1Char('|')));
    }
    for (const XmlNode& row :
        doc.selectNodes(QStringLiteral("//TR[TD[@class='DayTotalAmount']]"))) {
        const QStringList c = cells(row);
        e.dayTotals.append(c.value(1) + QLatin1Char('|') + c.value(2));
    }
    e.opening = cells(doc.selectSingleNode(QStringLiteral("//TR[@id='opening']"))).value(1);
    const QStringList totals = cells(doc.selectSingleNode(QStringLiteral("//TR[@id='totals']")));
    e.in = totals.value(1);
    e.out = totals.value(2);
    e.closing = cells(doc.selectSingleNode(QStringLiteral("//TR[@id='closing']"))).value(1);
    return e;
}

template <class T>
QList<T*> windowsOf()
{
    QList<T*> list;
    for (QWidget* w : WindowHost::current().childWindows()) {
        if (auto* t = qobject_cast<T*>(w))
            list.append(t);
    }
    return list;
}

} // namespace

class TstLedger : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowTestFixture> fixture;
    QList<Tx> transactions;

    QDate today() const { return fixture->book.clock.today(); }

    static QComboBox* account(QWidget* w)
    {
        return w->findChild<QComboBox*>(QStringLiteral("cmbAccount"));
    }
    static DateSelector* dates(QWidget* w) { return w->findChild<DateSelector*>(); }

private slots:
    void initTestCase() { transactions = makeTransactions(); }

    void init()
    {
        fixture = std::make_unique<WindowTestFixture>(QDate(2014, 2, 20));
        QVERIFY(fixture->book.open(bookXml(transactions)));
        fixture->registerWindow<frmLedger>(WindowKind::TransactionList);
        fixture->registerWindow<frmTrans>(WindowKind::TransactionEntry);
    }

    void cleanup() { fixture.reset(); }

    // The status column: a click toggles cleared and the page shows it, Space
    // on the link chosen again does the same, a reconciled transaction asks
    // first; every toggle is saved.
    void theStatusColumnTogglesCleared()
    {
        QByteArray xml = sampleBookXml();
        xml.replace("Nar=\"January pay\"", "Nar=\"January pay\" St=\"R\" Rc=\"20130131\"");
        QVERIFY(fixture->book.open(xml));
        Openers::setBook(fixture->book.context());
        auto* w = qobject_cast<frmLedger*>(
            OpenTransactionList(2, QDate(2013, 1, 1), QDate(2013, 1, 31)));
        QVERIFY(w);
        const auto statusOf = [this](int dt) {
            return StatusOf(FindTransaction(fixture->book.store.document(), {dt, 1}));
        };
        const QString withdrawal = QStringLiteral("[*[S]*]201301101");
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("201301051\">R</A>")));
        QVERIFY(clickLink(w->WebBrowser1, withdrawal));
        QCOMPARE(statusOf(20130110), TransactionStatus::Cleared);
        QVERIFY(readDataFile(fixture->book.file).contains("Nar=\"Withdrawal\" St=\"C\">300"));
        QTRY_VERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("201301101\">c</A>")));
        QTRY_COMPARE(w->WebBrowser1->chosenLink(), withdrawal);
        w->WebBrowser1->setFocus();
        pressKey(Qt::Key_Space);
        QCOMPARE(statusOf(20130110), TransactionStatus::NotCleared);
        QCOMPARE(fixture->prompt.count(), 0);

        for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
            fixture->prompt.answer(answer);
            QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[S]*]201301051")));
            QCOMPARE(fixture->prompt.last().text,
                QStringLiteral("This transaction was reconciled with the statement of "
                               "31-01-2013. Change it anyway?"));
            QCOMPARE(statusOf(20130105),
                answer == MsgResult::No ? TransactionStatus::Reconciled
                                        : TransactionStatus::NotCleared);
        }
        QCOMPARE(fixture->book.store.history().undoCount(), 3);
    }

    void listsAnAccountOverAPeriod_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("Cash, spring to autumn") << 1 << QDate(2013, 3, 1) << QDate(2013, 9, 30);
        QTest::newRow("Food, one day on the edge") << 4 << QDate(2013, 9, 30) << QDate(2013, 9, 30);
        QTest::newRow("Travel, whole history") << 6 << QDate(1990, 1, 1) << QDate(2030, 12, 31);
        QTest::newRow("bank, before everything") << 2 << QDate(2001, 1, 1) << QDate(2011, 12, 31);
    }

    // The real window through the opener, against a listing worked out here.
    void listsAnAccountOverAPeriod()
    {
        QFETCH(int, code);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        auto* w = qobject_cast<frmLedger*>(OpenTransactionList(code, from, to));
        QVERIFY(w);
        const QString name = QString::fromLatin1(kNames[code - 1]);
        QCOMPARE(account(w)->currentText(), name);
        QCOMPARE(account(w)->currentData().toInt(), code);
        QCOMPARE(dates(w)->fromDate(), from);
        QCOMPARE(dates(w)->toDate(), to);
        QCOMPARE(w->windowTitle(), QStringLiteral("Transaction listing - ") + name);
        const QString page = w->WebBrowser1->pageText();
        QVERIFY(page.contains(QStringLiteral("Transaction listing for '") + name
            + QStringLiteral("' - From ") + ShortDateText(from) + QStringLiteral(" To ")
            + ShortDateText(to)));

        const Expected want
            = expectedListing(transactions, code, DateToDocDate(from), DateToDocDate(to));
        const Expected got = listingOf(page);
        QCOMPARE(got.rows.size(), want.rows.size());
        QCOMPARE(got.rows, want.rows);
        QCOMPARE(got.dayTotals, want.dayTotals);
        QCOMPARE(got.opening, want.opening);
        QCOMPARE(got.in, want.in);
        QCOMPARE(got.out, want.out);
        QCOMPARE(got.closing, want.closing);
        QVERIFY(!w->findChild<sesPanel*>(QStringLiteral("fraPleaseWait"))->isVisible());
        // qbtool makes the same page (dates as yyyy-mm-dd or yyyymmdd).
        QProcess tool;
        tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
            {QStringLiteral("report"), fixture->book.file, QStringLiteral("ledger"),
                QStringLiteral("--account"), QString::number(code), QStringLiteral("--from"),
                from.toString(Qt::ISODate), QStringLiteral("--to"),
                QString::number(DateToDocDate(to)), QStringLiteral("--status")});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()).trimmed(), page.trimmed());
        if (!want.rows.isEmpty()) {
            // Dates inside the page follow the date expression: parts joined by "-".
            const QString dt = want.rows.first().section(QLatin1Char('|'), 0, 0);
            const QString shown
                = DateDisplayExpression().contains(QStringLiteral("substring(@dt,7,2),'-'"))
                ? dt.mid(6, 2) + QLatin1Char('-') + dt.mid(4, 2) + QLatin1Char('-') + dt.left(4)
                : QString();
            if (!shown.isEmpty())
                QVERIFY(page.contains(QLatin1Char('>') + shown + QStringLiteral("</A>")));
            // The last row can be focused.
            const QString last = want.rows.last();
            QVERIFY(w->WebBrowser1->focusElement(QStringLiteral("id")
                + last.section(QLatin1Char('|'), 0, 0) + last.section(QLatin1Char('|'), 1, 1)));
        }
    }

    // The largest amount the entry window takes, hundreds of times in one
    // month, several a day, in and out: every row's balance, the day totals
    // and the totals against sums made here, in whole ten-thousandths.
    void figuresAreExactOnLongSums_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("outEvery"); // every n-th row goes out of the account (0: none)
        QTest::addColumn<QString>("totalIn");
        QTest::newRow("700 in") << 700 << 0 << QStringLiteral("699,999,999,993.00");
        QTest::newRow("3,300 in and out") << 3300 << 7 << QString();
    }
    void figuresAreExactOnLongSums()
    {
        QFETCH(int, count);
        QFETCH(int, outEvery);
        QFETCH(QString, totalIn);
        QList<Tx> list;
        std::map<int, int> numbers;
        for (int i = 0; i < count; ++i) {
            // 1 to 31 March 2013, the first and the last day included.
            const int dt = 20130301 + (i * 31 / count);
            const bool out = outEvery > 0 && i % outEvery == 0;
            list.append({dt, ++numbers[dt], out ? 1 : 2, out ? 3 : 1, 9999999999900, QString()});
        }
        list.append({20130228, 1, 4, 1, 50, QStringLiteral("half a cent before")});
        XmlDocument book;
        QVERIFY(book.loadXml(bookXml(list)));
        for (const auto& [from, to] :
            {std::pair {20130301, 20130331}, std::pair {20130302, 20130330}}) {
            LedgerReport report;
            QVERIFY(report.load());
            QString page;
            Error error;
            QVERIFY(report.build(book, 1, QStringLiteral("Cash"), DocDateToDate(from),
                DocDateToDate(to), DateDisplayExpression(), &page, &error));
            QVERIFY(!report.overflowed());
            const Expected want = expectedListing(list, 1, from, to);
            const Expected got = listingOf(page);
            QCOMPARE(got.rows.size(), want.rows.size());
            for (qsizetype i = 0; i < want.rows.size(); ++i)
                QCOMPARE(got.rows.at(i), want.rows.at(i));
            QCOMPARE(got.dayTotals, want.dayTotals);
            QCOMPARE(got.opening, want.opening);
            QCOMPARE(got.in, want.in);
            QCOMPARE(got.out, want.out);
            QCOMPARE(got.closing, want.closing);
            if (!totalIn.isEmpty() && from == 20130301) {
                QCOMPARE(got.in, totalIn);
                QCOMPARE(got.opening, QStringLiteral("0.01"));
                QCOMPARE(got.closing, QStringLiteral("699,999,999,993.01"));
            }
        }
    }

    // Sums beyond the range of amounts and amounts that cannot be read show
    // the error mark from where they enter; qbtool refuses an overflowed
    // listing and an account the book does not have, with one line each.
    void figuresThatCannotBeGivenShowTheErrorMark()
    {
        QByteArray xml = bookXml(
            {{20130301, 1, 2, 1, 1000000, {}}, {20130302, 1, 2, 1, 5000000000000000000, {}},
                {20130303, 1, 2, 1, 5000000000000000000, {}}, {20130303, 2, 1, 3, 10000, {}}});
        xml.replace(">100<", ">.5<"); // the first amount: no digit before the point
        XmlDocument book;
        QVERIFY(book.loadXml(xml));
        LedgerReport report;
        QVERIFY(report.load());
        QString page;
        Error error;
        QVERIFY(report.build(book, 1, QStringLiteral("Cash"), QDate(2013, 3, 1), QDate(2013, 3, 31),
            DateDisplayExpression(), &page, &error));
        QVERIFY(report.overflowed());
        const QString mark = Money::errorMark();
        Expected got = listingOf(page);
        QCOMPARE(got.rows,
            (QStringList {QStringLiteral("20130301|1|bank|%1||%1").arg(mark),
                QStringLiteral("20130302|1|bank|500,000,000,000,000.00||%1").arg(mark),
                QStringLiteral("20130303|1|bank|500,000,000,000,000.00||%1").arg(mark),
                QStringLiteral("20130303|2|Salary||1.00|%1").arg(mark)}));
        QCOMPARE(got.dayTotals, QStringList {QStringLiteral("500,000,000,000,000.00|1.00")});
        QCOMPARE(got.out, QStringLiteral("1.00"));
        QCOMPARE(got.in, mark);
        QCOMPARE(got.closing, mark);
        QVERIFY(!page.contains(QStringLiteral("NaN")));
        // Without the unreadable amount the mark comes from the overflow alone.
        xml.replace(">.5<", ">100<");
        QVERIFY(book.loadXml(xml));
        // The template is loaded afresh for every page, as the window does.
        QVERIFY(report.load());
        QVERIFY(report.build(book, 1, QStringLiteral("Cash"), QDate(2013, 3, 1), QDate(2013, 3, 2),
            DateDisplayExpression(), &page, &error));
        QVERIFY(!report.overflowed());
        QCOMPARE(listingOf(page).closing, QStringLiteral("500,000,000,000,100.00"));
        QVERIFY(report.load());
        QVERIFY(report.build(book, 1, QStringLiteral("Cash"), QDate(2013, 3, 1), QDate(2013, 3, 3),
            DateDisplayExpression(), &page, &error));
        QVERIFY(report.overflowed());
        got = listingOf(page);
        QCOMPARE(got.rows.first().section(QLatin1Char('|'), 5), QStringLiteral("100.00"));
        QCOMPARE(got.rows.last().section(QLatin1Char('|'), 5), mark);

        const QString file = fixture->book.path(QStringLiteral("range.qbf"));
        QVERIFY(writeDataFile(file, xml));
        for (const auto& [account, to, code] : {std::tuple {"1", "20130303", 3},
                 std::tuple {"1", "20130302", 0}, std::tuple {"999", "20130303", 2}}) {
            QProcess tool;
            tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
                {QStringLiteral("report"), file, QStringLiteral("ledger"),
                    QStringLiteral("--account"), QLatin1String(account), QStringLiteral("--from"),
                    QStringLiteral("20130301"), QStringLiteral("--to"), QLatin1String(to)});
            QVERIFY(tool.waitForFinished(60000));
            QCOMPARE(tool.exitCode(), code);
            // An unknown account writes nothing; a page with the error mark
            // goes out whole, as every named report's does, and is no success.
            if (code != 0) {
                QCOMPARE(tool.readAllStandardOutput().contains(mark.toUtf8()), code == 3);
                QCOMPARE(tool.readAllStandardError().count('\n'), 1);
            }
        }
    }

    // Names are text on the page: the title, the caption and the other
    // account's column never carry a name's markup as markup.
    void namesWithMarkupStayText()
    {
        const QString evil = QStringLiteral("<a href=\"x9\">Rent</a> & \"Co\"");
        QByteArray xml = bookXml(transactions);
        xml.replace(QByteArray("AcName=\"Cash\""),
            QByteArray(
                QByteArray("AcName=\"") + evil.toHtmlEscaped().toLatin1() + QByteArray("\"")));
        QVERIFY(fixture->book.open(xml));
        Openers::setBook(fixture->book.context());
        for (const int code : {1, 2}) {
            auto* w = qobject_cast<frmLedger*>(
                OpenTransactionList(code, QDate(2012, 1, 1), QDate(2014, 12, 31)));
            QVERIFY(w);
            XmlDocument page;
            QVERIFY(page.loadXml(w->WebBrowser1->pageText().toUtf8()));
            QCOMPARE(page.selectNodes(QStringLiteral("//A[@href='x9']")).size(), 0);
            if (code == 1) {
                QCOMPARE(w->windowTitle(), QStringLiteral("Transaction listing - ") + evil);
                QVERIFY(page.evaluate(QStringLiteral("string(//DIV[@class='reporttitle'])"))
                            .startsWith(QStringLiteral("Transaction listing for '") + evil
                                + QLatin1Char('\'')));
            } else {
                QVERIFY(page.selectNodes(QStringLiteral("//TD/A[@href='1']")).size() > 0);
                QCOMPARE(page.evaluate(QStringLiteral("string(//TD/A[@href='1'])")), evil);
            }
        }
    }

    // From the main menu and the toolbar: the placeholder, the month its quick
    // selector shows (February 2014, not a leap year); then
    // the window's own controls and the opener's reuse of a window.
    void opensFromTheMenuAndFollowsItsControls()
    {
        MDIForm1 main(fixture->book.context());
        QVERIFY(main.Load(fixture->book.file));
        main.findChild<QAction*>(QStringLiteral("mnuRptTransactionList"))->trigger();
        QCOMPARE(windowsOf<frmLedger>().size(), 1);
        frmLedger* w = windowsOf<frmLedger>().first();
        QCOMPARE(w->windowTitle(), QStringLiteral("Transaction Listing"));
        QVERIFY(w->WebBrowser1->pageText().contains(frmLedger::PlaceholderText()));
        QCOMPARE(account(w)->currentIndex(), -1);
        QCOMPARE(dates(w)->quickPeriod(), 3); // Month
        QCOMPARE(dates(w)->fromDate(), QDate(2014, 2, 1));
        QCOMPARE(dates(w)->toDate(), QDate(2014, 2, 28));
        QVERIFY(main.windowList().entryOf(w));
        // Sorted by name whatever the case, each item with its own code.
        QStringList items;
        for (int i = 0; i < account(w)->count(); ++i)
            items.append(
                account(w)->itemText(i) + QLatin1Char('=') + account(w)->itemData(i).toString());
        QCOMPARE(items.join(QLatin1Char(' ')),
            QStringLiteral("bank=2 Cash=1 Food=4 rent=5 Salary=3 Travel=6"));

        // Refresh and a date change without an account: nothing happens, quietly.
        QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdRefresh")), Qt::LeftButton);
        dates(w)->VScrollFrom->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QVERIFY(w->WebBrowser1->pageText().contains(frmLedger::PlaceholderText()));
        QCOMPARE(fixture->prompt.count(), 0);
        QCOMPARE(dates(w)->fromDate(), QDate(2014, 1, 31));
        dates(w)->VScrollFrom->triggerAction(QAbstractSlider::SliderSingleStepSub);

        // Choosing an account shows it; the quick buttons move the period at once.
        account(w)->setCurrentIndex(account(w)->findText(QStringLiteral("Salary")));
        QCOMPARE(w->windowTitle(), QStringLiteral("Transaction listing - Salary"));
        QCOMPARE(listingOf(w->WebBrowser1->pageText()).rows,
            expectedListing(transactions, 3, 20140201, 20140228).rows);
        QVERIFY(main.windowList().entryOf(w)->text().endsWith(
            QStringLiteral("Transaction listing - Salary")));
        QTest::mouseClick(dates(w)->cmdQuickDateSelect[2], Qt::LeftButton); // previous month
        QCOMPARE(dates(w)->fromDate(), QDate(2014, 1, 1));
        QCOMPARE(dates(w)->toDate(), QDate(2014, 1, 31));
        QVERIFY(w->WebBrowser1->pageText().contains(ShortDateText(QDate(2014, 1, 31))));
        QCOMPARE(listingOf(w->WebBrowser1->pageText()).rows,
            expectedListing(transactions, 3, 20140101, 20140131).rows);

        // The opener brings this window forward for Salary, with new dates;
        // another account gets a window of its own; the toolbar adds an empty one.
        QCOMPARE(OpenTransactionList(3, QDate(2013, 1, 1), QDate(2013, 12, 31)), w);
        QCOMPARE(dates(w)->fromDate(), QDate(2013, 1, 1));
        QCOMPARE(listingOf(w->WebBrowser1->pageText()).closing,
            expectedListing(transactions, 3, 20130101, 20131231).closing);
        QVERIFY(OpenTransactionList(4, QDate(2013, 1, 1), QDate(2013, 12, 31)) != w);
        QCOMPARE(windowsOf<frmLedger>().size(), 2);
        const QPoint button = main.ToolBar->buttonRect(MDIForm1::ToolTransactionList).center();
        QTest::mouseMove(main.ToolBar, button);
        QTest::mouseClick(main.ToolBar, Qt::LeftButton, Qt::NoModifier, button);
        QCOMPARE(windowsOf<frmLedger>().size(), 3);
        main.mdiArea()->closeAllSubWindows();
    }

    // Account links offer the menu without "Transaction List" for the window's
    // own account; date links lead to the entry window of that day.
    void linksLeadToOtherWindows()
    {
        auto* w = qobject_cast<frmLedger*>(
            OpenTransactionList(1, QDate(2013, 3, 1), QDate(2013, 9, 30)));
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const Expected want = expectedListing(transactions, 1, 20130301, 20130930);
        const QStringList first = want.rows.first().split(QLatin1Char('|'));
        const int other
            = int(std::find(std::begin(kNames), std::end(kNames), first.at(2).toLatin1())
                  - std::begin(kNames))
            + 1;

        // The window's own account (a link its page never writes, raised as the view would).
        fixture->menus.answer(0);
        bool cancel = false;
        Q_EMIT w->WebBrowser1->beforeNavigate(QStringLiteral("about:blank1"), &cancel);
        QVERIFY(cancel);
        QCOMPARE(fixture->menus.shown.size(), 1);
        QStringList texts;
        for (const MenuItem& m : fixture->menus.shown.first())
            texts.append(m.separator ? QStringLiteral("---") : m.text);
        QCOMPARE(texts,
            (QStringList {QStringLiteral("Period summary"), QStringLiteral("---"),
                QStringLiteral("Cancel Menu")}));
        // A link to the other account: both items; "Transaction List" opens its window.
        fixture->menus.answer(1003);
        QVERIFY(clickLink(w->WebBrowser1, QString::number(other)));
        QCOMPARE(fixture->menus.shown.size(), 2);
        QCOMPARE(fixture->menus.shown.last().first().text, QStringLiteral("Transaction List"));
        auto* opened = windowsOf<frmLedger>().last();
        QVERIFY(opened != w);
        QCOMPARE(opened->selectedAccount(), std::optional<int>(other));
        QCOMPARE(dates(opened)->fromDate(), QDate(2013, 3, 1));
        QCOMPARE(dates(opened)->toDate(), QDate(2013, 9, 30));
        // There, Cash is another account: the menu offers both.
        opened->show();
        QVERIFY(QTest::qWaitForWindowExposed(opened));
        fixture->menus.answer(0);
        QVERIFY(clickLink(opened->WebBrowser1, QStringLiteral("1")));
        QCOMPARE(fixture->menus.shown.last().size(), 4);

        // A date link: "Show entries on" + the short date, then the entry window.
        fixture->menus.answer(1003);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[date]*]") + first.at(0)));
        const QDate day = DocDateToDate(first.at(0).toInt());
        QCOMPARE(fixture->menus.shown.last().first().text,
            QStringLiteral("Show entries on ") + ShortDateText(day));
        const QList<frmTrans*> entries = windowsOf<frmTrans>();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first()->entryDate(), day);
    }
};

QTEST_MAIN(TstLedger)
#include "tst_ledger.moc"
