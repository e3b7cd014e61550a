#include <memory>

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/neb.h"
#include "engine/ShortDate.h"
#include "store/DataStore.h"
#include "store/Utilities.h"
#include "transactions/frmTrans.h"
#include "windows/DataWindow.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"
#include "windows/WindowList.h"

using namespace qb;
using namespace qb::test;

namespace {

QString transXml(const QString& dt, const QString& no)
{
    const XmlNode t
        = test::sharedStore().document().selectSingleNode(QStringLiteral("/Data/Trans/t[@dt=") + dt
            + QStringLiteral("][@No=") + no + QLatin1Char(']'));
    return t.isNull() ? QString() : t.xml();
}

} // namespace

class TstFrmTrans : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowTestFixture> fixture;
    QString book;

    frmTrans* open(int date)
    {
        auto* w = qobject_cast<frmTrans*>(OpenTransactionEntry(date));
        if (w) {
            w->activateWindow();
            QApplication::setActiveWindow(w);
        }
        return w;
    }
    template <class T>
    static T* get(QWidget* w, const char* name)
    {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    static void type(const QString& text) { typeText(text); }
    // Types into an account box over what it shows.
    static void typeOver(QComboBox* combo, const QString& text)
    {
        combo->setFocus();
        combo->lineEdit()->selectAll();
        type(text);
    }
    static void press(Qt::Key key) { pressKey(key); }

private slots:
    void init()
    {
        fixture = std::make_unique<WindowTestFixture>();
        QVERIFY(fixture->book.open(sampleBookXml(), QStringLiteral("books.qbf")));
        book = fixture->book.file;
        fixture->registerWindow<frmTrans>(WindowKind::TransactionEntry);
    }

    void cleanup() { fixture.reset(); }

    void entersTransactionsWithTheKeyboard()
    {
        frmTrans* w = open(20130110);
        QVERIFY(w);
        QCOMPARE(
            w->windowTitle(), QStringLiteral("Entries on ") + ShortDateText(QDate(2013, 1, 10)));
        QCOMPARE(get<QGroupBox>(w, "Frame1")->title(), QStringLiteral("Enter New Transaction"));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("Groceries")));

        // A new window starts at the date.
        QTRY_COMPARE(QApplication::focusWidget(), w->debTrans);
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QComboBox>(w, "cmbFrom"));
        type(QStringLiteral("ca"));
        QCOMPARE(get<QComboBox>(w, "cmbFrom")->currentText(), QStringLiteral("cash"));
        press(Qt::Key_Return);
        type(QStringLiteral("FO"));
        QCOMPARE(get<QComboBox>(w, "cmbTo")->currentText(), QStringLiteral("FOod"));
        press(Qt::Key_Return);
        type(QStringLiteral("12.5"));
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QComboBox>(w, "cmbNarration"));
        type(QStringLiteral("Lunch 'out'"));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 0);

        // Number 3 of the day: the day already has 1 and 2. The apostrophes are not stored.
        QCOMPARE(transXml(QStringLiteral("20130110"), QStringLiteral("3")),
            QStringLiteral(
                "<t No=\"3\" dt=\"20130110\" fAc=\"1\" tAc=\"4\" Nar=\"Lunch 'out'\">12.5</t>"));
        QVERIFY(readDataFile(book).contains(
            "<t No=\"3\" dt=\"20130110\" fAc=\"1\" tAc=\"4\" Nar=\"Lunch 'out'\">12.5</t>"));
        QVERIFY(QFile::exists(book + QStringLiteral(".bak")));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("id=\"id201301103\"")));

        // Date, From account (as typed) and its balance stay; the rest is cleared.
        QCOMPARE(get<QComboBox>(w, "cmbFrom")->currentText(), QStringLiteral("cash"));
        QCOMPARE(
            get<QLabel>(w, "lblBalance_0")->text(), QStringLiteral("242.00")); // 300 - 45.5 - 12.5
        QCOMPARE(get<QComboBox>(w, "cmbTo")->currentIndex(), -1);
        QVERIFY(get<QComboBox>(w, "cmbTo")->currentText().isEmpty());
        QVERIFY(get<QComboBox>(w, "cmbNarration")->currentText().isEmpty());
        QCOMPARE(get<neb>(w, "nebAmount")->Value(), 0.0);
        QCOMPARE(w->debTrans->date(), QDate(2013, 1, 10));
        QCOMPARE(QApplication::focusWidget(), w->debTrans);

        // The next one needs only To, amount and details.
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("sal"));
        get<neb>(w, "nebAmount")->setValue(5);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(!transXml(QStringLiteral("20130110"), QStringLiteral("4")).isEmpty());
        // The balance of a receiving account counts the money in.
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("foo"));
        QCOMPARE(get<QLabel>(w, "lblBalance_1")->text(), QStringLiteral("58.00")); // 45.5 + 12.5
    }

    // The amount is selected whenever it gets the focus back from a message
    // box, so typing replaces "0.00" instead of being refused.
    void amountIsSelectedWhenABoxGivesTheFocusBack()
    {
        frmTrans* w = open(20130110);
        FocusTakingPrompt boxes;
        QLineEdit* amount = get<neb>(w, "nebAmount")->textBox();
        QTRY_COMPARE(QApplication::focusWidget(), w->debTrans);
        press(Qt::Key_Return);
        type(QStringLiteral("ca"));
        press(Qt::Key_Return);
        type(QStringLiteral("Travel"));
        press(Qt::Key_Return);
        QCOMPARE(boxes.titles, QStringList {QStringLiteral("Confirm new Account")});
        QTRY_COMPARE(QApplication::focusWidget(), amount);
        QTRY_VERIFY(w->isActiveWindow());
        QCOMPARE(amount->selectedText(), QStringLiteral("0.00"));
        type(QStringLiteral("5000"));
        QCOMPARE(amount->text(), QStringLiteral("5000"));

        // Saving without an amount: the box hands the focus back to the amount.
        amount->setFocus();
        amount->setText(QStringLiteral("0"));
        get<QComboBox>(w, "cmbNarration")->setFocus();
        type(QStringLiteral("Bus"));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(boxes.titles.value(1), QStringLiteral("Enter amount"));
        QTRY_COMPARE(QApplication::focusWidget(), amount);
        QTRY_VERIFY(w->isActiveWindow());
        QCOMPARE(amount->selectedText(), QStringLiteral("0.00"));
        type(QStringLiteral("25"));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(transXml(QStringLiteral("20130110"), QStringLiteral("3"))
                    .contains(QStringLiteral(">25</t>")));
    }

    // Amounts a double cannot hold are typed, saved, read back from the file
    // on disk, loaded for editing and saved again, digit for digit.
    void amountsAreStoredAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown"); // in the box when loaded for editing
        for (const char* amount : {"0.01", "0.1", "8388617.45", "123456789.12", "999999999.99"})
            QTest::newRow(amount) << QString::fromLatin1(amount)
                                  << Money::parse(QString::fromLatin1(amount))->format();
    }
    void amountsAreStoredAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        const QByteArray stored = "<t No=\"1\" dt=\"20200101\" fAc=\"1\" tAc=\"4\" Nar=\"\">"
            + typed.toLatin1() + "</t>";
        frmTrans* w = open(20200101);
        QVERIFY(w);
        get<QComboBox>(w, "cmbFrom")->setFocus();
        type(QStringLiteral("Cash"));
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("Food"));
        press(Qt::Key_Return);
        type(typed);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 0);
        QVERIFY2(readDataFile(book).contains(stored), readDataFile(book).right(300).constData());
        // Cash had 242.25 before; the label is that less the amount, to the cent.
        const Money cash = *Money::parse(u"242.25") - *Money::parse(typed);
        QCOMPARE(get<QLabel>(w, "lblBalance_0")->text(), cash.format());

        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]202001011")));
        QCOMPARE(get<neb>(w, "nebAmount")->textBox()->text(), shown);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeNew));
        QVERIFY(readDataFile(book).contains(stored));
        QVERIFY(
            readDataFile(book + QStringLiteral(".bak")).contains(stored)); // the edit was saved too
    }

    // Dates and amounts as a person types them in the entry window: a click
    // in the date, the whole date, Enter; the accounts; the amount; Save.
    void typedDatesAndAmountsOnSave_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("stored"); // dt and amount text; empty: nothing saved
        QTest::addColumn<QString>("message");
        auto row = [](const char* name, const char* date, const char* amount, const char* locale,
                       const char* stored, const char* message = "") {
            QTest::newRow(name) << QString::fromLatin1(date) << QString::fromLatin1(amount)
                                << QString::fromLatin1(locale) << QString::fromLatin1(stored)
                                << QString::fromLatin1(message);
        };
        row("dashes, grouped amount", "30-11-2026", "1,234.50", "C", "20261130 1234.5");
        row("slashes", "30/11/2026", "12.50", "C", "20261130 12.5");
        row("points", "30.11.2026", "7", "C", "20261130 7");
        row("digits alone", "30112026", "0.05", "C", "20261130 0.05");
        row("short day and year", "5-11-26", "999999999.99", "C", "20261105 999999999.99");
        row("decimal comma where the locale writes one", "30-11-2026", "12,50", "de_DE",
            "20261130 12.5");
        row("comma as a point is not read", "30-11-2026", "12,50", "C", "",
            "Use a point for decimals: 12.50");
        row("comma grouping four digits is not read", "30-11-2026", "1,2345", "C", "",
            "Use a point for decimals: 1.2345");
        row("German grouping where the point is the decimal mark", "30-11-2026", "1.234,56", "C",
            "", "Use a point for decimals: 1234.56");
        row("German grouping", "30-11-2026", "1.234,56", "de_DE", "20261130 1234.56");
        row("English grouping in German", "30-11-2026", "1,234.56", "de_DE", "",
            "Group separators stand only between groups of three digits, as in 1.234,56");
        row("minus sign", "30-11-2026", "-5", "C", "", "Amounts are entered without a minus sign");
        row("fourteen digits", "30-11-2026", "12345678901234", "C", "",
            "At most 9 digits before the decimal mark");
        row("a date", "30-11-2026", "29.2.2028", "C", "",
            "An amount has one decimal mark, not two");
    }
    void typedDatesAndAmountsOnSave()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(QString, locale);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        frmTrans* w = open(20130110);
        QVERIFY(w);
        const QByteArray before = readDataFile(book);
        auto* amountBox = get<neb>(w, "nebAmount");
        amountBox->setInputLocale(QLocale(locale));
        QTest::mouseClick(
            w->debTrans->textBox(), Qt::LeftButton, {}, w->debTrans->textBox()->rect().center());
        QCOMPARE(QApplication::focusWidget(), w->debTrans);
        // An impossible date first: Enter leaves it marked, the date kept and the focus there.
        type(QStringLiteral("31-02-2026"));
        press(Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget(), w->debTrans);
        QCOMPARE(w->debTrans->date(), QDate(2013, 1, 10));
        QCOMPARE(w->debTrans->markText(), QStringLiteral("Not a date: 31-02-2026"));
        type(date);
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QComboBox>(w, "cmbFrom"));
        type(QStringLiteral("Cash"));
        press(Qt::Key_Return);
        type(QStringLiteral("Food"));
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), amountBox->textBox());
        type(amount);
        press(Qt::Key_Return);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        if (stored.isEmpty()) {
            QCOMPARE(fixture->prompt.count(), 1);
            QCOMPARE(fixture->prompt.last().text, message);
            QCOMPARE(fixture->prompt.last().title, QStringLiteral("Enter amount"));
            QCOMPARE(QApplication::focusWidget(), amountBox->textBox());
            QCOMPARE(amountBox->textBox()->text(), amount); // kept for the user to mend
            QCOMPARE(amountBox->textBox()->toolTip(), message);
            QCOMPARE(readDataFile(book), before);
            return;
        }
        QCOMPARE(fixture->prompt.count(), 0);
        const QStringList dtAmount = stored.split(QLatin1Char(' '));
        const QString expected = QStringLiteral("<t No=\"1\" dt=\"") + dtAmount[0]
            + QStringLiteral("\" fAc=\"1\" tAc=\"4\" Nar=\"\">") + dtAmount[1]
            + QStringLiteral("</t>");
        QCOMPARE(transXml(dtAmount[0], QStringLiteral("1")), expected);
        QVERIFY(readDataFile(book).contains(expected.toLatin1()));
        QCOMPARE(DateToDocDate(w->debTrans->date()), dtAmount[0].toInt());
    }

    // Details offers the narrations already used, the latest first, then the
    // Narration section's; opening the window writes nothing.
    void detailsOfferRecentNarrations()
    {
        QByteArray xml = sampleBookXml();
        xml.replace("</Trans>",
            "<t No=\"1\" dt=\"20121231\" fAc=\"1\" tAc=\"4\" Nar=\"Market stall\">1</t>"
            "<t No=\"2\" dt=\"20130201\" fAc=\"1\" tAc=\"4\" Nar=\"Groceries\">2</t>"
            "<t No=\"1\" dt=\"20130331\" fAc=\"1\" tAc=\"4\" Nar=\" \">3</t>"
            "<t No=\"1\" dt=\"20130102\" fAc=\"1\" tAc=\"4\" Nar=\"Market\">4</t>"
            "</Trans>");
        test::sharedStore().CloseDocument();
        QVERIFY(writeDataFile(book, xml));
        QVERIFY(test::sharedStore().OpenDataFile(book));
        const QByteArray before = readDataFile(book);
        frmTrans* w = open(20130110);
        QVERIFY(w);
        auto* details = get<QComboBox>(w, "cmbNarration");
        // Latest date first; on one date the later entry first; each once; a
        // blank one left out; Rent only in the Narration section, so last.
        const QStringList expected = {QStringLiteral("Groceries"), QStringLiteral("Market"),
            QStringLiteral("Withdrawal"), QStringLiteral("January pay"),
            QStringLiteral("Market stall"), QStringLiteral("Rent")};
        QStringList offered;
        for (int i = 0; i < details->count(); ++i)
            offered.append(details->itemText(i));
        QCOMPARE(offered, expected);
        QCOMPARE(readDataFile(book), before);

        // Typing completes with the latest narration that starts so.
        details->setFocus();
        type(QStringLiteral("Mar"));
        QCOMPARE(details->currentText(), QStringLiteral("Market"));
        type(QStringLiteral("ket s"));
        QCOMPARE(details->currentText(), QStringLiteral("Market stall"));

        // A narration just saved comes first.
        get<QComboBox>(w, "cmbFrom")->setFocus();
        type(QStringLiteral("Cash"));
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("Food"));
        get<neb>(w, "nebAmount")->setValue(3);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 0);
        QCOMPARE(details->itemText(0), QStringLiteral("Market stall"));
        QCOMPARE(details->count(), expected.size());
    }

    void balanceLabelsRoundTheExactSum()
    {
        QVERIFY(fixture->book.open(
            sampleBookXml().replace(">45.5<", ">3.685<").replace(">12.25<", ">1.005<"),
            QStringLiteral("halves.qbf")));
        book = fixture->book.file;
        frmTrans* w = open(20130201);
        QVERIFY(w);
        get<QComboBox>(w, "cmbFrom")->setFocus();
        type(QStringLiteral("Food"));
        QCOMPARE(get<QLabel>(w, "lblBalance_0")->text(), QStringLiteral("4.69")); // 3.685 + 1.005
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("Cash"));
        QCOMPARE(get<QLabel>(w, "lblBalance_1")->text(), QStringLiteral("295.31")); // 300 - 4.69
        w->debTrans->setDate(QDate(2013, 1, 10));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral(">3.69<")));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral(">303.69<"))); // the day's total
    }

    void firstEntriesOfANewBookByKeyboardAlone()
    {
        // A book without accounts: both boxes start empty.
        QByteArray empty = sampleBookXml();
        empty.replace(
            empty.indexOf("<a "), empty.indexOf("</AcMaster>") - empty.indexOf("<a "), "");
        empty.replace(empty.indexOf("<t "), empty.indexOf("</Trans>") - empty.indexOf("<t "), "");
        QVERIFY(fixture->book.open(empty, QStringLiteral("new.qbf")));
        book = fixture->book.file;
        frmTrans* w = open(20130110);
        auto* from = get<QComboBox>(w, "cmbFrom");
        auto* to = get<QComboBox>(w, "cmbTo");
        QTRY_COMPARE(QApplication::focusWidget(), w->debTrans);
        press(Qt::Key_Return);
        type(QStringLiteral("Wallet"));
        fixture->prompt.answer(MsgResult::Yes);
        press(Qt::Key_Return);
        QCOMPARE(fixture->prompt.last().text, QStringLiteral("Add 'Wallet' to Account Heads ?"));
        QCOMPARE(from->currentData().toInt(), 1);
        // The To box lists the new account without choosing it.
        QCOMPARE(to->count(), 1);
        QCOMPARE(to->currentIndex(), -1);
        QVERIFY(to->currentText().isEmpty());
        QCOMPARE(QApplication::focusWidget(), to);
        type(QStringLiteral("Food"));
        QCOMPARE(to->currentText(), QStringLiteral("Food"));
        fixture->prompt.answer(MsgResult::Yes);
        press(Qt::Key_Return);
        QCOMPARE(fixture->prompt.count(), 2);
        QCOMPARE(fixture->prompt.last().text, QStringLiteral("Add 'Food' to Account Heads ?"));
        QCOMPARE(to->currentData().toInt(), 2);
        QCOMPARE(from->currentData().toInt(), 1);

        // Enter walks on to Save, and on Save it saves.
        type(QStringLiteral("7.5"));
        press(Qt::Key_Return);
        type(QStringLiteral("Lunch"));
        press(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), get<QPushButton>(w, "cmdSave"));
        press(Qt::Key_Return);
        QCOMPARE(fixture->prompt.count(), 2);
        QVERIFY(readDataFile(book).contains(
            "<t No=\"1\" dt=\"20130110\" fAc=\"1\" tAc=\"2\" Nar=\"Lunch\">7.5</t>"));
        QCOMPARE(QApplication::focusWidget(), w->debTrans);

        // A name stored as an existing one (blanks trimmed, letter case
        // ignored) chooses that account; no second one is offered.
        press(Qt::Key_Return);
        typeOver(from, QStringLiteral(" walLET "));
        press(Qt::Key_Return);
        QCOMPARE(fixture->prompt.count(), 2);
        QCOMPARE(from->currentData().toInt(), 1);
        QCOMPARE(
            test::sharedStore().document().selectNodes(QStringLiteral("/Data/AcMaster/a")).size(),
            2);
        QCOMPARE(get<QLabel>(w, "lblBalance_0")->text(), QStringLiteral("-7.50"));
    }

    void balancesFollowTheEntryDate()
    {
        frmTrans* w = open(20130110);
        auto* spin = get<QScrollBar>(w, "VScroll1");
        get<QComboBox>(w, "cmbFrom")->setFocus();
        type(QStringLiteral("bank"));
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("cash"));
        QLabel* from = get<QLabel>(w, "lblBalance_0");
        QLabel* to = get<QLabel>(w, "lblBalance_1");
        QCOMPARE(from->text(), QStringLiteral("2200.00")); // 2500 in, 300 out
        QCOMPARE(to->text(), QStringLiteral("254.50")); // 300 in, 45.5 out

        // Three days back with the lower arrow of the spin bar.
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(
                spin, Qt::LeftButton, {}, QPoint(spin->width() / 2, spin->height() - 3));
        QCOMPARE(w->debTrans->date(), QDate(2013, 1, 7));
        QCOMPARE(from->text(), QStringLiteral("2500.00"));
        QCOMPARE(to->text(), QStringLiteral("0.00"));

        // A typed date: once typing settles.
        w->debTrans->setFocus();
        w->debTrans->setSelectedSection(QDateTimeEdit::DaySection);
        type(QStringLiteral("01022013"));
        QTRY_COMPARE(to->text(), QStringLiteral("242.25")); // and 12.25 out on 1 February
        QCOMPARE(from->text(), QStringLiteral("2200.00"));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("Market")));
    }

    void saveWritesOnlyTheTransactionThatWasLoaded()
    {
        frmTrans* a = open(20130110);
        QVERIFY(clickLink(a->WebBrowser1, QStringLiteral("[*[E]*]201301102")));
        get<neb>(a, "nebAmount")->setValue(50);

        // Meanwhile a second window moves it to 1 February and enters a new
        // transaction on 10 January, which takes its number.
        frmTrans* b = open(20130201);
        QVERIFY(b != a);
        b->debTrans->setDate(QDate(2013, 1, 10));
        QVERIFY(clickLink(b->WebBrowser1, QStringLiteral("[*[E]*]201301102")));
        b->debTrans->setDate(QDate(2013, 2, 1));
        QTest::mouseClick(get<QPushButton>(b, "cmdSave"), Qt::LeftButton);
        b->debTrans->setDate(QDate(2013, 1, 10));
        typeOver(get<QComboBox>(b, "cmbFrom"), QStringLiteral("Bank"));
        typeOver(get<QComboBox>(b, "cmbTo"), QStringLiteral("Salary"));
        get<neb>(b, "nebAmount")->setValue(7);
        QTest::mouseClick(get<QPushButton>(b, "cmdSave"), Qt::LeftButton);
        const QString moved = QStringLiteral(
            "<t No=\"2\" dt=\"20130201\" fAc=\"1\" tAc=\"4\" Nar=\"Groceries\">45.5</t>");
        const QString taker
            = QStringLiteral("<t No=\"2\" dt=\"20130110\" fAc=\"2\" tAc=\"3\" Nar=\"\">7</t>");
        QCOMPARE(transXml(QStringLiteral("20130201"), QStringLiteral("2")), moved);
        QCOMPARE(transXml(QStringLiteral("20130110"), QStringLiteral("2")), taker);
        QCOMPARE(fixture->prompt.count(), 0);
        const QByteArray before = readDataFile(book);

        // The first window's edit finds its transaction gone: nothing is written.
        QTest::mouseClick(get<QPushButton>(a, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 1);
        QVERIFY(fixture->prompt.last().text.contains(QStringLiteral("no longer in the file")));
        QCOMPARE(a->EntryMode(), int(frmTrans::ModeNew));
        QCOMPARE(readDataFile(book), before);
        QCOMPARE(transXml(QStringLiteral("20130110"), QStringLiteral("2")), taker);

        // Likewise a delete loaded before the number changed hands.
        QVERIFY(clickLink(a->WebBrowser1, QStringLiteral("[*[D]*]201301102")));
        b->debTrans->setDate(QDate(2013, 1, 10));
        QVERIFY(clickLink(b->WebBrowser1, QStringLiteral("[*[D]*]201301102")));
        fixture->prompt.answer(MsgResult::Yes);
        QTest::mouseClick(get<QPushButton>(b, "cmdSave"), Qt::LeftButton);
        typeOver(get<QComboBox>(b, "cmbTo"), QStringLiteral("Food"));
        get<neb>(b, "nebAmount")->setValue(9);
        QTest::mouseClick(get<QPushButton>(b, "cmdSave"), Qt::LeftButton);
        const QString second = transXml(QStringLiteral("20130110"), QStringLiteral("2"));
        QVERIFY(second.endsWith(QStringLiteral(">9</t>")));
        get<neb>(a, "nebAmount")->setValue(7);
        fixture->prompt.clear();
        QTest::mouseClick(get<QPushButton>(a, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.count(), 1);
        QVERIFY(fixture->prompt.last().text.contains(QStringLiteral("no longer in the file")));
        QCOMPARE(transXml(QStringLiteral("20130110"), QStringLiteral("2")), second);
    }

    void failedChecksChangeNothing()
    {
        frmTrans* w = open(20130110);
        const QByteArray before = readDataFile(book);
        auto* save = get<QPushButton>(w, "cmdSave");
        auto* from = get<QComboBox>(w, "cmbFrom");
        auto* to = get<QComboBox>(w, "cmbTo");

        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(fixture->prompt.last().text, QStringLiteral("Select a From account"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Enter from account"));
        QCOMPARE(fixture->prompt.last().icon, MsgIcon::Information);
        QTRY_COMPARE(QApplication::focusWidget(), from);

        // A typed name that is no entry does not count as chosen.
        from->setFocus();
        type(QStringLiteral("Cash"));
        QCOMPARE(from->currentIndex(), 0 + from->findText(QStringLiteral("Cash")));
        to->setEditText(QStringLiteral("Nowhere"));
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(fixture->prompt.last().text, QStringLiteral("Select a To account"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Enter To account"));

        to->setFocus();
        to->lineEdit()->selectAll();
        type(QStringLiteral("Cash"));
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(fixture->prompt.last().text, QStringLiteral("Enter Amount of this transaction"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Enter amount"));
        QTRY_VERIFY(get<neb>(w, "nebAmount")->isAncestorOf(QApplication::focusWidget()));

        get<neb>(w, "nebAmount")->setValue(10);
        to->setFocus();
        QTest::mouseClick(save, Qt::LeftButton);
        QCOMPARE(
            fixture->prompt.last().text, QStringLiteral("From and To accounts cannot be same"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Invalid transaction"));
        // The focus stays where the click put it.
        QCOMPARE(QApplication::focusWidget(), save);
        QCOMPARE(fixture->prompt.count(), 4);
        QCOMPARE(readDataFile(book), before);
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeNew));
    }

    void editKeepsNumberAndMoveTakesNextNumber()
    {
        frmTrans* w = open(20130110);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]201301101")));
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeEdit));
        QCOMPARE(get<QGroupBox>(w, "Frame1")->title(), QStringLiteral("Edit Transaction"));
        QCOMPARE(get<QPushButton>(w, "cmdSave")->text(), QStringLiteral("&Save editing"));
        QCOMPARE(get<QPushButton>(w, "cmdClose")->text(), QStringLiteral("&Cancel editing"));
        QVERIFY(get<QLabel>(w, "lblBalance_0")->isHidden());
        QCOMPARE(get<QComboBox>(w, "cmbFrom")->currentText(), QStringLiteral("Bank"));
        QCOMPARE(get<QComboBox>(w, "cmbTo")->currentText(), QStringLiteral("Cash"));
        QCOMPARE(get<neb>(w, "nebAmount")->Value(), 300.0);
        QCOMPARE(get<QComboBox>(w, "cmbNarration")->currentText(), QStringLiteral("Withdrawal"));

        get<neb>(w, "nebAmount")->setValue(350);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeNew));
        QCOMPARE(transXml(QStringLiteral("20130110"), QStringLiteral("1")),
            QStringLiteral(
                "<t No=\"1\" dt=\"20130110\" fAc=\"2\" tAc=\"1\" Nar=\"Withdrawal\">350</t>"));

        // A hand-written amount longer than the box takes is edited whole, never
        // cut: typing may shorten it but not lengthen it, and Save keeps it.
        test::sharedStore()
            .document()
            .selectSingleNode(QStringLiteral("/Data/Trans/t[@dt=20130110][@No=1]"))
            .setText(QStringLiteral("12345678901.25"));
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]201301101")));
        QLineEdit* amount = get<neb>(w, "nebAmount")->textBox();
        QCOMPARE(amount->text(), QStringLiteral("12345678901.25"));
        amount->setFocus();
        amount->home(false);
        QTest::keyClick(amount, Qt::Key_5);
        QCOMPARE(get<neb>(w, "nebAmount")->problem(),
            QStringLiteral("At most 11 digits before the decimal mark"));
        QTest::keyClick(amount, Qt::Key_Backspace);
        QTest::keyClick(amount, Qt::Key_Delete);
        QTest::keyClick(amount, Qt::Key_9);
        QCOMPARE(amount->text(), QStringLiteral("92345678901.25"));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(transXml(QStringLiteral("20130110"), QStringLiteral("1")),
            QStringLiteral("<t No=\"1\" dt=\"20130110\" fAc=\"2\" tAc=\"1\" "
                           "Nar=\"Withdrawal\">92345678901.25</t>"));
        test::sharedStore()
            .document()
            .selectSingleNode(QStringLiteral("/Data/Trans/t[@dt=20130110][@No=1]"))
            .setText(QStringLiteral("350"));

        // Moved to 1 February (which has number 1): it becomes number 2 there
        // and keeps its place in the file.
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[E]*]201301101")));
        w->debTrans->setDate(QDate(2013, 2, 1));
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        const QList<XmlNode> all
            = test::sharedStore().document().selectNodes(QStringLiteral("/Data/Trans/t"));
        QCOMPARE(all.at(1).xml(),
            QStringLiteral(
                "<t No=\"2\" dt=\"20130201\" fAc=\"2\" tAc=\"1\" Nar=\"Withdrawal\">350</t>"));

        // Numbers stay unique: 1 February now has 2 (earlier in the file) and 1
        // (last in the file); a new one gets 3, not a second 2.
        w->debTrans->setDate(QDate(2013, 2, 1));
        get<QComboBox>(w, "cmbFrom")->setFocus();
        type(QStringLiteral("Bank"));
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("Food"));
        get<neb>(w, "nebAmount")->setValue(1);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(test::sharedStore()
                     .document()
                     .selectNodes(QStringLiteral("/Data/Trans/t[@dt=20130201]"))
                     .size(),
            3);
        QVERIFY(!transXml(QStringLiteral("20130201"), QStringLiteral("3")).isEmpty());
        QVERIFY(readDataFile(book).contains("No=\"3\" dt=\"20130201\""));
    }

    void deleteAsksAndNumbersAreReused()
    {
        frmTrans* w = open(20130110);
        const QByteArray before = readDataFile(book);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]201301102")));
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeDelete));
        QCOMPARE(get<QPushButton>(w, "cmdSave")->text(), QStringLiteral("&Delete"));
        QCOMPARE(get<QPushButton>(w, "cmdClose")->text(), QStringLiteral("&Cancel delete"));

        fixture->prompt.answer(MsgResult::No);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QCOMPARE(fixture->prompt.last().text,
            QStringLiteral("Are you sure you want to delete this transaction ?"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Confirm Deletion"));
        QCOMPARE(fixture->prompt.last().buttons, MsgButtons::YesNo);
        QCOMPARE(fixture->prompt.last().defaultButton, MsgResult::No);
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeNew));
        QVERIFY(get<QComboBox>(w, "cmbTo")->currentText().isEmpty());
        QCOMPARE(get<neb>(w, "nebAmount")->Value(), 0.0);
        QCOMPARE(readDataFile(book), before);
        QVERIFY(!QFile::exists(book + QStringLiteral(".bak")));

        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]201301102")));
        fixture->prompt.answer(MsgResult::Yes);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(transXml(QStringLiteral("20130110"), QStringLiteral("2")).isEmpty());
        // The deleted transaction is gone from Trans (the bin keeps it as a d).
        QVERIFY(!readDataFile(book).contains("Groceries\">45.5</t>"));
        QVERIFY(!w->WebBrowser1->pageText().contains(QStringLiteral("Groceries")));

        // The last number of the day is free again.
        get<QComboBox>(w, "cmbTo")->setFocus();
        type(QStringLiteral("Food"));
        get<neb>(w, "nebAmount")->setValue(3);
        QTest::mouseClick(get<QPushButton>(w, "cmdSave"), Qt::LeftButton);
        QVERIFY(!transXml(QStringLiteral("20130110"), QStringLiteral("2")).isEmpty());

        // Cancel delete returns to New without touching anything.
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("[*[D]*]201301101")));
        QTest::mouseClick(get<QPushButton>(w, "cmdClose"), Qt::LeftButton);
        QCOMPARE(w->EntryMode(), int(frmTrans::ModeNew));
        QVERIFY(w->isVisible());
    }

    void newAccountFromTheFromBox()
    {
        frmTrans* w = open(20130110);
        auto* from = get<QComboBox>(w, "cmbFrom");
        auto* to = get<QComboBox>(w, "cmbTo");

        // No: nothing is added; the text stays with nothing chosen.
        from->setFocus();
        type(QStringLiteral(" Petrol "));
        fixture->prompt.answer(MsgResult::No);
        to->setFocus();
        QCOMPARE(fixture->prompt.count(), 1);
        QCOMPARE(fixture->prompt.last().text, QStringLiteral("Add 'Petrol' to Account Heads ?"));
        QCOMPARE(fixture->prompt.last().title, QStringLiteral("Confirm new Account"));
        QCOMPARE(fixture->prompt.last().defaultButton, MsgResult::Yes);
        QCOMPARE(from->currentText(), QStringLiteral(" Petrol "));
        QCOMPARE(from->currentIndex(), -1);
        QCOMPARE(from->count(), 4);

        // Yes: saved at once under the next code, blanks kept, in both boxes, chosen.
        from->setFocus();
        fixture->prompt.answer(MsgResult::Yes);
        to->setFocus();
        QCOMPARE(fixture->prompt.count(), 2);
        QVERIFY(readDataFile(book).contains("<a Code=\"5\" AcName=\" Petrol \"/>"));
        QCOMPARE(from->currentText(), QStringLiteral(" Petrol "));
        QCOMPARE(from->currentData().toInt(), 5);
        QCOMPARE(to->findData(5), from->currentIndex());
        QCOMPARE(get<QLabel>(w, "lblBalance_0")->text(), QStringLiteral("0.00"));
        // Sorted into place, blanks first.
        QCOMPARE(from->itemText(0), QStringLiteral(" Petrol "));

        // An existing name in other letters is no new account.
        fixture->prompt.clear();
        to->setFocus();
        to->setEditText(QStringLiteral("bank"));
        from->setFocus();
        QCOMPARE(fixture->prompt.count(), 0);
    }

    // Enter on the question adds what looks like a name; digits, signs and
    // dates need a deliberate Yes. A name that cannot be stored is refused.
    void newAccountOfferDefaults_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("defaultButton"); // None: refused, not offered
        QTest::newRow("a word with a euro sign")
            << QStringLiteral("Urlaub \u20ac") << int(MsgResult::Yes);
        QTest::newRow("zero") << QStringLiteral("0") << int(MsgResult::No);
        QTest::newRow("minus") << QStringLiteral("-") << int(MsgResult::No);
        QTest::newRow("a typed date") << QStringLiteral("1.1.3011") << int(MsgResult::No);
        QTest::newRow("an amount") << QStringLiteral("1,234.56 \u20ac") << int(MsgResult::No);
        QTest::newRow("a date with a month's name")
            << QStringLiteral("3 May 2024") << int(MsgResult::No);
        QTest::newRow("a month alone") << QStringLiteral("May") << int(MsgResult::Yes);
        QTest::newRow("101 characters") << QString(101, QLatin1Char('x')) << int(MsgResult::None);
    }
    void newAccountOfferDefaults()
    {
        QFETCH(QString, typed);
        QFETCH(int, defaultButton);
        frmTrans* w = open(20130110);
        auto* from = get<QComboBox>(w, "cmbFrom");
        from->setFocus();
        from->setEditText(typed);
        get<QComboBox>(w, "cmbTo")->setFocus(); // the default button answers
        QCOMPARE(fixture->prompt.count(), 1);
        const bool offered = defaultButton != int(MsgResult::None);
        QCOMPARE(fixture->prompt.last().title,
            offered ? QStringLiteral("Confirm new Account") : QStringLiteral("Name too long"));
        if (offered)
            QCOMPARE(int(fixture->prompt.last().defaultButton), defaultButton);
        QCOMPARE(readDataFile(book).contains("Code=\"5\""), defaultButton == int(MsgResult::Yes));
    }

    void spinStepsTheDate()
    {
        frmTrans* w = open(20130104);
        QVERIFY(!w->WebBrowser1->pageText().contains(QStringLiteral("January pay")));
        auto* spin = get<QScrollBar>(w, "VScroll1");
        spin->triggerAction(QAbstractSlider::SliderSingleStepSub); // the up arrow
        QCOMPARE(spin->value(), 1);
        QCOMPARE(w->debTrans->date(), QDate(2013, 1, 5));
        QVERIFY(w->WebBrowser1->pageText().contains(QStringLiteral("January pay")));
        QCOMPARE(
            w->windowTitle(), QStringLiteral("Entries on ") + ShortDateText(QDate(2013, 1, 5)));
        spin->triggerAction(QAbstractSlider::SliderSingleStepAdd); // the down arrow
        spin->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(w->debTrans->date(), QDate(2013, 1, 3));
        QCOMPARE(spin->value(), 1);
    }

    void openerReusesTheWindowOfTheDate()
    {
        frmTrans* a = open(20130110);
        frmTrans* b = open(20130110);
        QCOMPARE(a, b);
        frmTrans* c = open(20130201);
        QVERIFY(c != a);
        const QList<QAction*> entries = WindowHost::current().windowList().entries();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(0)->text(),
            QStringLiteral("&1 Entries on ") + ShortDateText(QDate(2013, 1, 10)));
        QCOMPARE(entries.at(1)->text(),
            QStringLiteral("&2 Entries on ") + ShortDateText(QDate(2013, 2, 1)));
        c->close();
        QTRY_COMPARE(WindowHost::current().windowList().entries().size(), 1);
    }

    void accountLinksAndKeysOpenTheListOfTheAccount()
    {
        QList<RecordingListWindow*> made;
        fixture->registerFactory(WindowKind::TransactionList, [&made](const BookContext&) {
            made.append(new RecordingListWindow);
            return made.last();
        });
        frmTrans* w = open(20130110);
        fixture->menus.answer(1003);
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("2")));
        QCOMPARE(fixture->menus.shown.size(), 1);
        QCOMPARE(fixture->menus.shown.at(0).size(), 4); // both reports offered
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.at(0)->account, std::optional<int>(2));
        QCOMPARE(made.at(0)->from, QDate(2013, 1, 10));
        QCOMPARE(made.at(0)->to, QDate(2013, 1, 10));

        // F5 in the From box opens (here: brings back) the list of its account.
        get<QComboBox>(w, "cmbFrom")->setFocus();
        type(QStringLiteral("bank"));
        press(Qt::Key_F5);
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.at(0)->refreshed, 2);
        // Without a chosen account F5 does nothing.
        get<QComboBox>(w, "cmbTo")->setFocus();
        press(Qt::Key_F5);
        QCOMPARE(made.at(0)->refreshed, 2);

        // A dismissed menu does nothing.
        QVERIFY(clickLink(w->WebBrowser1, QStringLiteral("4")));
        QCOMPARE(made.size(), 1);
    }
};

QTEST_MAIN(TstFrmTrans)
#include "tst_frmtrans.moc"
