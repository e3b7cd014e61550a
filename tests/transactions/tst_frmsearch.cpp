// The search window on a book of a few hundred transactions made here: rows,
// total, count and the CSV export checked against a computation of the test's
// own; the controls' states, the messages, the links and the opener.

#include <functional>
#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

#include "FullDisk.h"
#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/neb.h"
#include "engine/ReportTemplate.h"
#include "engine/ShortDate.h"
#include "store/Clock.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "transactions/frmSearch.h"
#include "windows/DataWindow.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"

using namespace qb;
using namespace qb::test;
using namespace Qt::StringLiterals;

namespace {

struct Tx
{
    int dt;
    int no;
    int from;
    int to;
    qint64 cents;
    QString nar;
};

const QStringList kNames = {QStringLiteral("cash"), QStringLiteral("Bank"),
    QStringLiteral("Salary"), QStringLiteral("Food"), QStringLiteral("Rent"),
    QStringLiteral("apple Store"), QStringLiteral("Zebra Fund"), QStringLiteral("Tax")};
const QStringList kNarrations = {QStringLiteral("Rent for"), QStringLiteral("Tea, coffee and milk"),
    QStringLiteral("it's done"), QStringLiteral("Monthly payment"), QStringLiteral("FORD service"),
    QStringLiteral("Orange juice"), QStringLiteral("market day"), QStringLiteral("Salary advance")};

// 360 transactions over 2013, one or two a day, amounts up to 20,000.00 and
// every 45th above 100,000.
QList<Tx> makeTransactions()
{
    QList<Tx> list;
    quint32 seed = 12345;
    auto next = [&seed](quint32 bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % bound;
    };
    QDate day(2013, 1, 1);
    for (int i = 0; i < 360; ++i) {
        if (i % 3 != 2)
            day = day.addDays(1 + next(2));
        const int dt = DateToDocDate(day);
        const int no = (!list.isEmpty() && list.last().dt == dt) ? list.last().no + 1 : 1;
        const int from = 1 + int(next(8));
        const int to = 1 + (from + int(next(7))) % 8;
        const qint64 cents = i % 45 == 7 ? 10000000 + 50 + i : 1 + next(2000000);
        list.append({dt, no, from, to, cents, kNarrations.at(next(8))});
    }
    return list;
}

QString amountText(qint64 cents)
{
    return QString::number(cents / 100) + QLatin1Char('.')
        + QStringLiteral("%1").arg(cents % 100, 2, 10, QLatin1Char('0'));
}

QByteArray bookXml(const QList<Tx>& list)
{
    QByteArray xml = "<Data><AcMaster>";
    for (int i = 0; i < kNames.size(); ++i)
        xml += "<a Code=\"" + QByteArray::number(i + 1) + "\" AcName=\"" + kNames.at(i).toLatin1()
            + "\"/>";
    xml += "</AcMaster><PValue>" + PasswordDigest(QStringLiteral("ABCDEFGHIJKLMNOPQRST")).toLatin1()
        + "</PValue><Trans>";
    for (const Tx& t : list) {
        QString amount = amountText(t.cents);
        while (amount.endsWith(QLatin1Char('0')))
            amount.chop(1);
        if (amount.endsWith(QLatin1Char('.')))
            amount.chop(1);
        xml += "<t No=\"" + QByteArray::number(t.no) + "\" dt=\"" + QByteArray::number(t.dt)
            + "\" fAc=\"" + QByteArray::number(t.from) + "\" tAc=\"" + QByteArray::number(t.to)
            + "\" Nar=\"" + t.nar.toLatin1() + "\">" + amount.toLatin1() + "</t>";
    }
    return xml + "</Trans><Groups/><Narration/><I>ABCDEFGHIJKLMNOPQRST</I><DateRanges/></Data>";
}

// The date as the page shows it: the user's order, "-" between the parts.
QString shownDate(int dt)
{
    const QDate d = DocDateToDate(dt);
    const QString order = ShortDateOrder();
    const QString format = order == QStringLiteral("mm/dd/yyyy") ? QStringLiteral("MM-dd-yyyy")
        : order == QStringLiteral("yyyy/mm/dd")                  ? QStringLiteral("yyyy-MM-dd")
                                                                 : QStringLiteral("dd-MM-yyyy");
    return d.toString(format);
}

QByteArray csvOf(QList<Tx> rows)
{
    std::sort(rows.begin(), rows.end(),
        [](const Tx& a, const Tx& b) { return a.dt != b.dt ? a.dt < b.dt : a.no < b.no; });
    QByteArray csv;
    for (const Tx& t : rows) {
        QString nar = t.nar;
        csv += (shownDate(t.dt) + QLatin1Char(',') + kNames.at(t.from - 1) + QLatin1Char(',')
                   + kNames.at(t.to - 1) + QLatin1Char(',') + amountText(t.cents) + QLatin1Char(',')
                   + nar.replace(QLatin1Char(','), QLatin1Char(' ')))
                   .toLatin1()
            + "\r\n";
    }
    return csv;
}

QString cellText(const QString& page, const QString& id)
{
    const QRegularExpression cell(
        QStringLiteral("id=\"") + id + QStringLiteral("\"[^>]*>([^<]*)<"));
    return cell.match(page).captured(1);
}

} // namespace

class TstFrmSearch : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowTestFixture> fixture;
    QList<Tx> book;

    template <class T>
    static T* get(QWidget* w, const QString& name)
    {
        T* child = w->findChild<T*>(name);
        if (!child)
            qWarning("no control %s", qPrintable(name));
        return child;
    }

    // OpenSearch, the window shown and active.
    frmSearch* open()
    {
        auto* w = qobject_cast<frmSearch*>(OpenSearch());
        if (w) {
            w->show();
            QApplication::setActiveWindow(w);
        }
        return w;
    }

    // Selects the accounts by name (all others unselected).
    static void selectAccounts(frmSearch* w, const QStringList& names)
    {
        QListWidget* list = get<QListWidget>(w, u"lstAccounts"_s);
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSelected(names.contains(list->item(i)->text()));
    }

    static void typeAmount(neb* box, const QString& text)
    {
        box->textBox()->clear();
        QTest::keyClicks(box->textBox(), text);
    }

private slots:
    void init()
    {
        fixture = std::make_unique<WindowTestFixture>(QDate(2013, 6, 20));
        book = makeTransactions();
        QVERIFY(fixture->book.open(bookXml(book)));
        fixture->registerWindow<frmSearch>(WindowKind::Search);
    }

    void cleanup() { fixture.reset(); }

    void search_data()
    {
        QTest::addColumn<QDate>("from"); // invalid: date not ticked
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("accounts"); // empty: not ticked
        QTest::addColumn<int>("side"); // 0 From or To, 1 From, 2 To
        QTest::addColumn<QString>("op"); // empty: amount not ticked
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("details"); // empty: not ticked
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("terms"); // as the test matches them
        QTest::addColumn<bool>("all");

        const QDate none;
        QTest::newRow("march, two accounts, >= 100")
            << QDate(2013, 3, 1) << QDate(2013, 3, 31) << QStringList {u"Bank"_s, u"cash"_s} << 0
            << u">="_s << u"100"_s << u""_s << u""_s << 0 << QStringList() << true;
        QTest::newRow("to side, range, terms joined by AND")
            << QDate(2013, 1, 1) << QDate(2013, 12, 31) << QStringList {u"Food"_s, u"Rent"_s} << 2
            << u"In Range"_s << u"10"_s << u"15000.5"_s << u"ma AND a"_s << 0
            << QStringList {u"ma"_s, u"a"_s} << true;
        QTest::newRow("from side, above 100,000")
            << none << none << QStringList {u"Tax"_s, u"apple Store"_s, u"Salary"_s} << 1 << u">"_s
            << u"100000"_s << u""_s << u""_s << 0 << QStringList() << true;
        QTest::newRow("apostrophe finds what was stored")
            << none << none << QStringList() << 0 << u""_s << u""_s << u""_s << u"IT'S"_s << 0
            << QStringList {u"it's"_s} << true;
        QTest::newRow("not contain, OR")
            << QDate(2013, 5, 1) << QDate(2013, 8, 31) << QStringList() << 0 << u"<"_s << u"5000"_s
            << u""_s << u"Tea OR juice"_s << 2 << QStringList {u"tea"_s, u"juice"_s} << false;
        QTest::newRow("equals, letter case ignored")
            << none << none << QStringList() << 0 << u""_s << u""_s << u""_s << u" RENT For"_s << 1
            << QStringList {u"rent for"_s} << true;
    }

    void search()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, accounts);
        QFETCH(int, side);
        QFETCH(QString, op);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, details);
        QFETCH(int, mode);
        QFETCH(QStringList, terms);
        QFETCH(bool, all);

        frmSearch* w = open();
        QVERIFY(w);
        if (from.isValid()) {
            get<QCheckBox>(w, u"chkDate"_s)->setChecked(true);
            get<QDateEdit>(w, u"debFromDate"_s)->setDate(from);
            get<QDateEdit>(w, u"debToDate"_s)->setDate(to);
        }
        if (!accounts.isEmpty()) {
            get<QCheckBox>(w, u"chkAccount"_s)->setChecked(true);
            selectAccounts(w, accounts);
            const QString sides[] = {u"optFromOrTo"_s, u"optFromOnly"_s, u"optToOnly"_s};
            get<QRadioButton>(w, sides[side])->setChecked(true);
        }
        if (!op.isEmpty()) {
            get<QCheckBox>(w, u"chkAmount"_s)->setChecked(true);
            QComboBox* ops = get<QComboBox>(w, u"cmbAmount"_s);
            ops->setCurrentIndex(ops->findText(op));
            typeAmount(get<neb>(w, u"nebFromAmount"_s), a);
            QCOMPARE(get<neb>(w, u"nebToAmount"_s)->isVisible(), op == QStringLiteral("In Range"));
            if (!b.isEmpty())
                typeAmount(get<neb>(w, u"nebToAmount"_s), b);
        }
        if (!details.isEmpty()) {
            get<QCheckBox>(w, u"chkDetails"_s)->setChecked(true);
            get<QComboBox>(w, u"cmbDetails"_s)->setCurrentIndex(mode);
            QTest::keyClicks(get<QLineEdit>(w, u"txtDetails"_s), details);
        }
        fixture->prompt.clear();
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 0);

        // The test's own reading of the criteria.
        QList<int> codes;
        for (const QString& name : accounts)
            codes.append(int(kNames.indexOf(name)) + 1);
        auto cents = [](const QString& text) { return qRound64(text.toDouble() * 100); };
        QList<Tx> expected;
        qint64 total = 0;
        for (const Tx& t : book) {
            if (from.isValid() && (t.dt < DateToDocDate(from) || t.dt > DateToDocDate(to)))
                continue;
            if (!codes.isEmpty()
                && !((side != 2 && codes.contains(t.from)) || (side != 1 && codes.contains(t.to))))
                continue;
            if ((op == u">="_s && t.cents < cents(a)) || (op == u">"_s && t.cents <= cents(a))
                || (op == u"<"_s && t.cents >= cents(a))
                || (op == u"In Range"_s && (t.cents < cents(a) || t.cents > cents(b))))
                continue;
            if (!terms.isEmpty()) {
                int hits = 0;
                for (const QString& term : terms) {
                    const QString nar = t.nar.toLower();
                    const bool hit = mode == 0 ? nar.contains(term)
                        : mode == 1            ? nar == term
                                               : !nar.contains(term);
                    hits += hit ? 1 : 0;
                }
                if (all ? hits != terms.size() : hits == 0)
                    continue;
            }
            expected.append(t);
            total += t.cents;
        }
        QVERIFY(!expected.isEmpty());

        QCOMPARE(w->mlngSearchResultCount(), expected.size());
        const QString page = w->WebBrowser1->pageText();
        QCOMPARE(cellText(page, QStringLiteral("EntryCount")),
            QStringLiteral("No of entries : ") + QString::number(expected.size()));
        QString grouped = amountText(total); // thousands grouped on the page
        for (qsizetype at = grouped.indexOf(QLatin1Char('.')) - 3; at > 0; at -= 3)
            grouped.insert(at, QLatin1Char(','));
        QCOMPARE(cellText(page, QStringLiteral("Total")), grouped);
        QVERIFY(get<QPushButton>(w, u"cmdPrint"_s)->isVisible());
        QVERIFY(get<QPushButton>(w, u"cmdExport"_s)->isVisible());

        // Export to a name typed without extension: ".csv" is added.
        const QString csv = fixture->book.path(QStringLiteral("found"));
        fixture->dialogs.answer(csv);
        QTest::mouseClick(get<QPushButton>(w, u"cmdExport"_s), Qt::LeftButton);
        QCOMPARE(fileBytes(csv + QStringLiteral(".csv")), csvOf(expected));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Export data complete"));
        QCOMPARE(fixture->prompt.last().text,
            QStringLiteral("Saved \r\n") + csv + QStringLiteral(".csv"));
        QCOMPARE(fixture->prompt.last().icon, MsgIcon::Information);
    }

    // qbtool search with the same criteria writes the same CSV bytes.
    void toolMatchesWindow()
    {
        frmSearch* w = open();
        QVERIFY(w);
        get<QCheckBox>(w, u"chkDate"_s)->setChecked(true);
        get<QDateEdit>(w, u"debFromDate"_s)->setDate(QDate(2013, 2, 1));
        get<QDateEdit>(w, u"debToDate"_s)->setDate(QDate(2013, 11, 30));
        get<QCheckBox>(w, u"chkAccount"_s)->setChecked(true);
        selectAccounts(w, {u"Salary"_s, u"cash"_s, u"Zebra Fund"_s});
        get<QCheckBox>(w, u"chkAmount"_s)->setChecked(true);
        get<QComboBox>(w, u"cmbAmount"_s)->setCurrentIndex(5);
        typeAmount(get<neb>(w, u"nebFromAmount"_s), QStringLiteral("20"));
        typeAmount(get<neb>(w, u"nebToAmount"_s), QStringLiteral("150000.75"));
        get<QCheckBox>(w, u"chkDetails"_s)->setChecked(true);
        QTest::keyClicks(get<QLineEdit>(w, u"txtDetails"_s), QStringLiteral("a OR e"));
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QVERIFY(w->mlngSearchResultCount() > 0);
        const QString fromWindow = fixture->book.path(QStringLiteral("window.csv"));
        fixture->dialogs.answer(fromWindow);
        QTest::mouseClick(get<QPushButton>(w, u"cmdExport"_s), Qt::LeftButton);

        const QString fromTool = fixture->book.path(QStringLiteral("tool.csv"));
        QProcess tool;
        tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"),
            {QStringLiteral("search"), fixture->book.file, QStringLiteral("--from"),
                QStringLiteral("20130201"), QStringLiteral("--to"), QStringLiteral("2013-11-30"),
                QStringLiteral("--account"), QStringLiteral("7"), QStringLiteral("--account"),
                QStringLiteral("1"), QStringLiteral("--account"), QStringLiteral("3"),
                QStringLiteral("--amount"), QStringLiteral("range"), QStringLiteral("20"),
                QStringLiteral("150000.75"), QStringLiteral("--details"), QStringLiteral("a OR e"),
                QStringLiteral("--csv"), fromTool, QStringLiteral("-o"),
                fixture->book.path(QStringLiteral("tool.html"))});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(fileBytes(fromTool), fileBytes(fromWindow));
        QVERIFY(tool.readAllStandardError().startsWith(
            QByteArray(QByteArray::number(w->mlngSearchResultCount()) + " transactions")));
    }

    void summaryAndCriteriaControls()
    {
        frmSearch* w = open();
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QStringLiteral("Search Transactions"));
        // Without criteria the page says what it lists; with criteria it does not.
        const QString note = QStringLiteral("A search without criteria lists the transactions of "
                                            "the month of the last entry (12-2013).");
        QVERIFY(w->WebBrowser1->pageText().contains(note));
        QCOMPARE(w->mlngSearchResultCount(),
            std::count_if(
                book.begin(), book.end(), [](const Tx& t) { return t.dt / 100 == 201312; }));
        // Each check box enables exactly its own controls.
        const QList<QPair<QString, QStringList>> groups
            = {{u"chkDate"_s, {u"debFromDate"_s, u"debToDate"_s, u"VScrollFrom"_s, u"VScrollTo"_s}},
                {u"chkAccount"_s,
                    {u"lstAccounts"_s, u"optFromOnly"_s, u"optFromOrTo"_s, u"optToOnly"_s}},
                {u"chkAmount"_s, {u"cmbAmount"_s, u"nebFromAmount"_s, u"nebToAmount"_s}},
                {u"chkDetails"_s, {u"cmbDetails"_s, u"txtDetails"_s}}};
        for (const auto& [box, controls] : groups) {
            for (bool on : {true, false}) {
                get<QCheckBox>(w, box)->setChecked(on);
                for (const QString& name : controls)
                    QVERIFY2(w->findChild<QWidget*>(name)->isEnabled() == on, qPrintable(name));
            }
        }
        QCOMPARE(get<QDateEdit>(w, u"debFromDate"_s)->date(), QDate(2013, 6, 1));
        QCOMPARE(get<QDateEdit>(w, u"debToDate"_s)->date(), QDate(2013, 6, 20));
        QCOMPARE(get<QComboBox>(w, u"cmbAmount"_s)->currentText(), QStringLiteral("="));
        QCOMPARE(get<QComboBox>(w, u"cmbDetails"_s)->currentText(), QStringLiteral("Contains"));
        QVERIFY(!get<QLabel>(w, u"lblAmountRangeSep"_s)->isVisible());
        get<QComboBox>(w, u"cmbAmount"_s)->setCurrentIndex(5);
        QVERIFY(get<QLabel>(w, u"lblAmountRangeSep"_s)->isVisible());
        QCOMPARE(get<neb>(w, u"nebFromAmount"_s)->IntegerSize(), 9);
        QCOMPARE(get<neb>(w, u"nebToAmount"_s)->MaximumValue(), 999999999.99);

        // Accounts in alphabetical order, letter case ignored.
        QListWidget* list = get<QListWidget>(w, u"lstAccounts"_s);
        QStringList shown;
        for (int i = 0; i < list->count(); ++i)
            shown << list->item(i)->text();
        QCOMPARE(shown,
            (QStringList {u"apple Store"_s, u"Bank"_s, u"cash"_s, u"Food"_s, u"Rent"_s, u"Salary"_s,
                u"Tax"_s, u"Zebra Fund"_s}));

        // The title carries the summary; AND adds its unclosed "[".
        get<QCheckBox>(w, u"chkAccount"_s)->setChecked(true);
        selectAccounts(w, {u"Bank"_s, u"apple Store"_s});
        get<QRadioButton>(w, u"optToOnly"_s)->setChecked(true);
        get<QCheckBox>(w, u"chkDetails"_s)->setChecked(true);
        QTest::keyClicks(get<QLineEdit>(w, u"txtDetails"_s), QStringLiteral("ma AND a"));
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QVERIFY(!w->WebBrowser1->pageText().contains(note));
        QVERIFY(w->WebBrowser1->pageText().contains(
            QStringLiteral("<B>Search results <BR>[Account(To) : apple Store , Bank ]"
                           "[<BR>[Details contain \"ma \" ]<BR>[Details contain \" a\" ]</B>")));

        // The details help, word for word.
        QTest::mouseClick(get<QPushButton>(w, u"cmdDetailsHelp"_s), Qt::LeftButton);
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Details field search"));
        QCOMPARE(fixture->prompt.last().icon, MsgIcon::Information);
        QCOMPARE(fixture->prompt.last().text,
            QStringLiteral("You can use AND or OR (in caps) in between search terms.\r\n\r\n"
                           "For example:\r\n\r\nSearching \"raj AND sham\" will list all "
                           "transactions having raj and sham in details field.\r\n\r\n"
                           "Searching \"raj OR sham\" will list all transactions having "
                           "either raj or sham in details field."));

        // Enter moves on like Tab: from the amount boxes and the details box.
        get<QCheckBox>(w, u"chkAmount"_s)->setChecked(true);
        get<neb>(w, u"nebFromAmount"_s)->textBox()->setFocus();
        pressKey(Qt::Key_Return);
        QVERIFY(get<neb>(w, u"nebToAmount"_s)->isAncestorOf(QApplication::focusWidget()));
        pressKey(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QCheckBox>(w, u"chkDetails"_s));
        get<QLineEdit>(w, u"txtDetails"_s)->setFocus();
        pressKey(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QPushButton>(w, u"cmdDetailsHelp"_s));
    }

    // The quick-date panel and the date ranges search at once only while the
    // date criterion is ticked; the spin bars only move the dates.
    void dateControls()
    {
        frmSearch* w = open();
        QVERIFY(w);
        auto* panel = get<QWidget>(w, u"fraQuickDateSelect"_s);
        auto* toggle = get<QAbstractButton>(w, u"cmdDateSelect"_s);
        QVERIFY(!panel->isVisible());
        get<QCheckBox>(w, u"chkDate"_s)->setChecked(true);
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(panel->isVisible());
        QTest::mouseClick(get<QPushButton>(w, u"cmdDateSelectClose"_s), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QTest::mouseClick(toggle, Qt::LeftButton);

        auto* from = get<QDateEdit>(w, u"debFromDate"_s);
        auto* to = get<QDateEdit>(w, u"debToDate"_s);
        const QString before = w->WebBrowser1->pageText();
        get<QScrollBar>(w, u"VScrollFrom"_s)->setValue(0);
        QCOMPARE(from->date(), QDate(2013, 6, 2));
        QCOMPARE(w->WebBrowser1->pageText(), before);

        // Month, Prev: May 2013, searched at once.
        QTest::mouseClick(get<QPushButton>(w, u"cmdQuickDateSelect_2"_s), Qt::LeftButton);
        QCOMPARE(from->date(), QDate(2013, 5, 1));
        QCOMPARE(to->date(), QDate(2013, 5, 31));
        const QString may = QStringLiteral("<BR>[Date : ") + ShortDateText(QDate(2013, 5, 1))
            + QStringLiteral(" - ") + ShortDateText(QDate(2013, 5, 31)) + QStringLiteral(" ]");
        QVERIFY(w->WebBrowser1->pageText().contains(may));
        const int mayRows = w->mlngSearchResultCount();
        QCOMPARE(mayRows, std::count_if(book.begin(), book.end(), [](const Tx& t) {
            return t.dt / 100 == 201305;
        }));

        // Unticked: Next moves the dates, the page stays.
        get<QCheckBox>(w, u"chkDate"_s)->setChecked(false);
        QTest::mouseClick(get<QPushButton>(w, u"cmdQuickDateSelect_3"_s), Qt::LeftButton);
        QCOMPARE(from->date(), QDate(2013, 6, 1));
        QVERIFY(w->WebBrowser1->pageText().contains(may));

        // The date-range menu, cancelled: the search runs again when ticked.
        get<QCheckBox>(w, u"chkDate"_s)->setChecked(true);
        fixture->menus.answer(1009);
        QTest::mouseClick(get<QPushButton>(w, u"cmdSelectDate"_s), Qt::LeftButton);
        QCOMPARE(fixture->menus.shown.size(), 1);
        QVERIFY(!w->WebBrowser1->pageText().contains(may));
    }

    void emptyResultAndExportFailures()
    {
        frmSearch* first = open();
        QVERIFY(first);
        // The first search lists the month of the last entry: not reused.
        QVERIFY(first->mlngSearchResultCount() > 0);
        frmSearch* w = open();
        QVERIFY(w && w != first);
        get<QCheckBox>(w, u"chkDate"_s)->setChecked(true);
        get<QDateEdit>(w, u"debFromDate"_s)->setDate(QDate(2012, 1, 1));
        get<QDateEdit>(w, u"debToDate"_s)->setDate(QDate(2012, 12, 31));
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QCOMPARE(w->mlngSearchResultCount(), 0);
        QVERIFY(!get<QPushButton>(w, u"cmdPrint"_s)->isVisible());
        QVERIFY(!get<QPushButton>(w, u"cmdExport"_s)->isVisible());
        QCOMPARE(
            cellText(w->WebBrowser1->pageText(), QStringLiteral("Total")), QStringLiteral("0.00"));
        QCOMPARE(open(), w); // the window that found nothing is reused

        // An existing file of the final name is replaced only after a yes.
        get<QDateEdit>(w, u"debFromDate"_s)->setDate(QDate(2013, 1, 1));
        get<QDateEdit>(w, u"debToDate"_s)->setDate(QDate(2013, 12, 31));
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QVERIFY(w->mlngSearchResultCount() > 0);
        const QString csv = fixture->book.path(QStringLiteral("old"));
        QVERIFY(writeBytes(csv + QStringLiteral(".csv"), "keep me"));
        fixture->prompt.clear();
        fixture->dialogs.answer(csv);
        fixture->prompt.answer(MsgResult::No);
        QTest::mouseClick(get<QPushButton>(w, u"cmdExport"_s), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 1);
        QCOMPARE(fixture->prompt.last().icon, MsgIcon::Question);
        QCOMPARE(fileBytes(csv + QStringLiteral(".csv")), QByteArray("keep me"));

        // A file that cannot be written: a clear message, and the window goes on.
        fixture->prompt.clear();
        fixture->dialogs.answer(fixture->book.path(QStringLiteral("no/such/folder/x.csv")));
        QTest::mouseClick(get<QPushButton>(w, u"cmdExport"_s), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 1);
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Export data failed"));
        QVERIFY(fixture->prompt.last().text.contains(QStringLiteral("no/such/folder/x.csv")));
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QVERIFY(w->mlngSearchResultCount() > 0);

        // A full device behind a link, and a full disk: the failure, never
        // "Export data complete"; the device stays, no empty file is left.
        // One month's rows: fewer bytes than a file's buffer, so that the
        // disk is found full only when they are flushed.
#ifdef Q_OS_LINUX
        get<QDateEdit>(w, u"debFromDate"_s)->setDate(QDate(2013, 3, 1));
        get<QDateEdit>(w, u"debToDate"_s)->setDate(QDate(2013, 3, 31));
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QVERIFY(w->mlngSearchResultCount() > 0);
        const QString link = fixture->book.path(QStringLiteral("device.csv"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), link));
        test::FullDisk disk(fixture->book.path(QStringLiteral("full")));
        const bool full = disk.isMounted() && disk.fill();
        for (const QString& target : {link, disk.path(QStringLiteral("found.csv"))}) {
            if (target != link && !full)
                continue;
            fixture->prompt.clear();
            fixture->dialogs.answer(target);
            if (target == link)
                fixture->prompt.answer(MsgResult::Yes); // it exists: replace it
            QTest::mouseClick(get<QPushButton>(w, u"cmdExport"_s), Qt::LeftButton);
            QCOMPARE(fixture->prompt.count(), target == link ? 2 : 1);
            QCOMPARE(fixture->prompt.last().title, QStringLiteral("Export data failed"));
            QCOMPARE(fixture->prompt.last().icon, MsgIcon::Critical);
            QVERIFY2(
                fixture->prompt.last().text.contains(QStringLiteral("No space left on device")),
                qPrintable(fixture->prompt.last().text));
        }
        QVERIFY(QFileInfo(link).isSymLink() && QFileInfo(QStringLiteral("/dev/full")).exists());
        if (full)
            QCOMPARE(QDir(disk.path(QString())).entryList(QDir::Files), QStringList {u"filler"_s});
        else
            qWarning("the full disk was not tried: %s", qPrintable(disk.why()));
#endif
    }

    // A search that fails (here: its template gone) says why and leaves the
    // previous result, the count and the links as they were.
    void failedSearchKeepsThePage()
    {
        frmSearch* w = open();
        QVERIFY(w);
        const QString page = w->WebBrowser1->pageText();
        const int count = w->mlngSearchResultCount();
        const QString installed = ReportTemplatePath(QStringLiteral("Search"));
        const QString aside = installed + QStringLiteral(".aside");
        QVERIFY(QFile::rename(installed, aside));
        fixture->prompt.clear();
        w->RefreshList();
        QVERIFY(QFile::rename(aside, installed));
        QCOMPARE(fixture->prompt.count(), 1);
        QVERIFY2(fixture->prompt.last().text.contains(QStringLiteral("Search.rpt")),
            qPrintable(fixture->prompt.last().text));
        QCOMPARE(w->WebBrowser1->pageText(), page);
        QCOMPARE(w->mlngSearchResultCount(), count);
        QVERIFY(!w->isBusy());
        QVERIFY(!get<QWidget>(w, u"fraPleaseWait"_s)->isVisible());
    }

    // An amount the boxes cannot read is never searched for as another one:
    // Search says which (as Save does in the entry window) and keeps the
    // page; a hidden "to" box does not count; a book change waits quietly.
    void unreadableAmountIsRefused()
    {
        frmSearch* w = open();
        QVERIFY(w);
        auto* from = get<neb>(w, u"nebFromAmount"_s);
        auto* to = get<neb>(w, u"nebToAmount"_s);
        from->setInputLocale(QLocale::c());
        to->setInputLocale(QLocale::c());
        get<QCheckBox>(w, u"chkAmount"_s)->setChecked(true);
        QComboBox* ops = get<QComboBox>(w, u"cmbAmount"_s);
        ops->setCurrentIndex(ops->findText(SearchInRange()));
        typeAmount(from, QStringLiteral("12,50"));
        typeAmount(to, QStringLiteral("1.234,56"));
        const QString page = w->WebBrowser1->pageText();
        const int count = w->mlngSearchResultCount();
        QVERIFY(count > 0);

        struct Step
        {
            neb* box;
            QString message;
        };
        for (const Step& step : {Step {from, u"Use a point for decimals: 12.50"_s},
                 Step {to, u"Use a point for decimals: 1234.56"_s}}) {
            fixture->prompt.clear();
            QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
            QCOMPARE(fixture->prompt.count(), 1);
            QCOMPARE(fixture->prompt.last().text, step.message);
            QCOMPARE(fixture->prompt.last().title, QStringLiteral("Search"));
            QCOMPARE(QApplication::focusWidget(), step.box->textBox());
            QCOMPARE(w->WebBrowser1->pageText(), page);
            // A change to the book meanwhile neither asks nor searches.
            fixture->prompt.clear();
            AnnounceBookChange(BookChange::Transactions, nullptr);
            QTest::qWait(20);
            QCOMPARE(fixture->prompt.count(), 0);
            QCOMPARE(w->WebBrowser1->pageText(), page);
            typeAmount(step.box, step.box == from ? u"12.50"_s : u"1,234.5"_s);
        }
        // Mended: "In Range" 12.50 to 1,234.50, counted here.
        fixture->prompt.clear();
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 0);
        int expected = 0;
        for (const Tx& t : book)
            expected += t.cents >= 1250 && t.cents <= 123450;
        QCOMPARE(w->mlngSearchResultCount(), expected);

        // With "=" the hidden "to" box holds no criterion, readable or not.
        typeAmount(to, QStringLiteral("3,25"));
        ops->setCurrentIndex(ops->findText(u"="_s));
        fixture->prompt.clear();
        QTest::mouseClick(get<QPushButton>(w, u"cmdSearch"_s), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 0);
    }

    void links()
    {
        auto* list = new RecordingListWindow;
        fixture->registerFactory(
            WindowKind::TransactionList, [list](const BookContext&) { return list; });
        frmSearch* w = open();
        QVERIFY(w);
        w->resize(900, 700);
        get<QDateEdit>(w, u"debFromDate"_s)->setDate(QDate(2013, 2, 1));
        const Tx& last = book.last();
        // Account link: the menu with nothing hidden; "Transaction List" with the pickers' dates.
        fixture->menus.answer(1003);
        QVERIFY(clickLink(w->WebBrowser1, QString::number(last.from)));
        QCOMPARE(fixture->menus.shown.size(), 1);
        QCOMPARE(fixture->menus.shown.at(0).size(), 4);
        QCOMPARE(list->account, std::optional<int>(last.from));
        QCOMPARE(list->from, QDate(2013, 2, 1));
        QCOMPARE(list->to, QDate(2013, 6, 20));
        // Date link: the date menu; dismissed, nothing opens.
        fixture->menus.answer(0);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[date]*]") + QString::number(last.dt)));
        QCOMPARE(fixture->menus.shown.at(1).at(0).text,
            QStringLiteral("Show entries on ") + ShortDateText(DocDateToDate(last.dt)));
    }
};

QTEST_MAIN(TstFrmSearch)
#include "tst_frmsearch.moc"
