#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "controls/DateBox.h"
#include "store/Clock.h"

using namespace qb;

// A window holding a date box with its spin bar and a second control to leave to.
struct Form
{
    QWidget window;
    DateBox* box = new DateBox(&window);
    DaySpin* spin = new DaySpin(box, &window);
    QLineEdit* other = new QLineEdit(&window);
    QSignalSpy settled {box, &DateBox::dateSettled};

    Form()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(box);
        layout->addWidget(spin);
        layout->addWidget(other);
        box->setDateQuietly(QDate(2013, 1, 10));
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
    }
    void typeInto(const QString& digits)
    {
        box->setFocus();
        box->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(box, digits);
    }
    QDate lastSettled() const { return settled.last().at(0).toDate(); }
};

class TstDateBox : public QObject
{
    Q_OBJECT

private slots:
    // A whole date typed after a click, Ctrl+A, Shift+Tab or a chosen
    // section replaces the date, in the box's order and with any separator;
    // one that is no date (or out of 1900-2999) is refused, marked, and the
    // focus stays, with the previous date kept.
    void typedDatesReplaceTheDate_data()
    {
        QTest::addColumn<QString>("entry"); // click, ctrl+a, backtab, section
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("endKey");
        QTest::addColumn<QDate>("expected"); // invalid: refused
        QTest::addColumn<QString>("mark");
        const QDate nov30(2026, 11, 30);
        const QString dmy = QStringLiteral("dd-MM-yyyy");
        auto row = [](const char* name, const char* entry, const QString& format, const char* keys,
                       int end, QDate expected, const char* mark = "") {
            QTest::newRow(name) << QString::fromLatin1(entry) << format << QString::fromLatin1(keys)
                                << end << expected << QString::fromLatin1(mark);
        };
        row("dashes after a click", "click", dmy, "30-11-2026", Qt::Key_Return, nov30);
        row("slashes after Ctrl+A", "ctrl+a", dmy, "30/11/2026", Qt::Key_Return, nov30);
        row("points after Shift+Tab", "backtab", dmy, "30.11.2026", Qt::Key_Tab, nov30);
        row("digits alone, day chosen", "section", dmy, "30112026", Qt::Key_Return, nov30);
        row("one-digit day, short year", "click", dmy, "5-11-26", Qt::Key_Return,
            QDate(2026, 11, 5));
        row("blank between parts", "click", dmy, "5 11 2026", Qt::Key_Tab, QDate(2026, 11, 5));
        row("six digits", "backtab", dmy, "051126", Qt::Key_Tab, QDate(2026, 11, 5));
        row("last century", "click", dmy, "31-12-99", Qt::Key_Return, QDate(1999, 12, 31));
        row("day only keeps month and year", "click", dmy, "15", Qt::Key_Tab, QDate(2013, 1, 15));
        row("day and month keep the year", "ctrl+a", dmy, "28/2", Qt::Key_Return,
            QDate(2013, 2, 28));
        row("month first", "click", QStringLiteral("MM-dd-yyyy"), "11/30/2026", Qt::Key_Return,
            nov30);
        row("year first", "click", QStringLiteral("yyyy-MM-dd"), "2026.11.30", Qt::Key_Tab, nov30);
        row("31 February", "click", dmy, "31-02-2026", Qt::Key_Return, QDate(),
            "Not a date: 31-02-2026");
        row("year 3011 after Shift+Tab", "backtab", dmy, "30-12-3011", Qt::Key_Tab, QDate(),
            "The year must be between 1900 and 2999: 30-12-3011");
        row("year 1899", "click", dmy, "1-1-1899", Qt::Key_Return, QDate(),
            "The year must be between 1900 and 2999: 1-1-1899");
        row("three-digit year", "click", dmy, "1-1-202", Qt::Key_Return, QDate(),
            "Not a date: 1-1-202");
        row("five digits", "click", dmy, "30112", Qt::Key_Tab, QDate(), "Not a date: 30112");
        row("30 February as digits", "click", dmy, "30022013", Qt::Key_Tab, QDate(),
            "Not a date: 30022013");
    }
    void typedDatesReplaceTheDate()
    {
        QFETCH(QString, entry);
        QFETCH(QString, format);
        QFETCH(QString, keys);
        QFETCH(int, endKey);
        QFETCH(QDate, expected);
        QFETCH(QString, mark);

        Form f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.box->setDisplayFormat(format);
        f.box->setDateQuietly(QDate(2013, 1, 10));
        QSignalSpy refused(f.box, &DateBox::typingRefused);
        if (entry == QLatin1String("click")) {
            QTest::mouseClick(f.box->textBox(), Qt::LeftButton, {},
                QPoint(f.box->textBox()->width() / 2, f.box->textBox()->height() / 2));
        } else if (entry == QLatin1String("ctrl+a")) {
            f.box->setFocus();
            QTest::keyClick(f.box, Qt::Key_A, Qt::ControlModifier);
        } else if (entry == QLatin1String("backtab")) {
            f.other->setFocus();
            QTest::keyClick(f.other, Qt::Key_Backtab, Qt::ShiftModifier);
        } else {
            f.box->setFocus();
            f.box->setSelectedSection(QDateTimeEdit::DaySection);
        }
        QCOMPARE(QApplication::focusWidget(), f.box);
        QTest::keyClicks(f.box, keys);
        QTest::keyClick(f.box, Qt::Key(endKey));
        if (expected.isValid()) {
            QCOMPARE(f.box->date(), expected);
            QVERIFY(f.box->markText().isEmpty());
            QCOMPARE(refused.count(), 0);
            if (endKey == Qt::Key_Tab)
                QCOMPARE(QApplication::focusWidget(), f.other);
            f.other->setFocus();
            QCOMPARE(f.lastSettled(), expected);
            QCOMPARE(f.box->text(), expected.toString(format));
        } else {
            QCOMPARE(f.box->date(), QDate(2013, 1, 10));
            QCOMPARE(f.box->text(), QDate(2013, 1, 10).toString(format));
            QCOMPARE(f.box->markText(), mark);
            QCOMPARE(refused.count(), 1);
            QCOMPARE(QApplication::focusWidget(), f.box); // refused: the user mends it here
            QVERIFY(f.box->textBox()->palette().color(QPalette::Base)
                != f.other->palette().color(QPalette::Base));
            QCOMPARE(f.settled.count(), 0);
            // The next good date takes the mark away.
            QTest::keyClicks(f.box, QStringLiteral("01022013"));
            QCOMPARE(f.box->date(), QDate(2013, 2, 1));
            QVERIFY(f.box->markText().isEmpty());
            QCOMPARE(f.box->textBox()->palette().color(QPalette::Base),
                f.other->palette().color(QPalette::Base));
        }
    }

    // T is today by the box's clock; + and - step a day as the spin bar does,
    // while - between digits separates; Escape and Backspace take typing back.
    void todayStepsAndTakingBack()
    {
        Form f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        FixedClock clock(QDate(2026, 12, 7));
        f.box->setClock(&clock);
        QVERIFY(f.box->toolTip().contains(QStringLiteral("T: today")));
        f.box->setFocus();
        QTest::keyClicks(f.box, QStringLiteral("t"));
        QCOMPARE(f.box->date(), clock.today());
        QCOMPARE(f.lastSettled(), clock.today()); // at once, as a step is
        QTest::keyClicks(f.box, QStringLiteral("++-+"));
        QCOMPARE(f.box->date(), QDate(2026, 12, 9));
        QCOMPARE(f.settled.count(), 5);
        QTest::keyClicks(f.box, QStringLiteral("-"));
        QCOMPARE(f.box->date(), QDate(2026, 12, 8));

        // Escape takes back what is typed; Backspace rubs out one character.
        QTest::keyClicks(f.box, QStringLiteral("3-1"));
        QVERIFY(f.box->isTyping());
        QCOMPARE(f.box->text(), QStringLiteral("3-1"));
        QTest::keyClick(f.box, Qt::Key_Escape);
        QVERIFY(!f.box->isTyping());
        QCOMPARE(f.box->text(), QStringLiteral("08-12-2026"));
        QTest::keyClicks(f.box, QStringLiteral("3-19"));
        QTest::keyClick(f.box, Qt::Key_Backspace);
        QTest::keyClicks(f.box, QStringLiteral("-2025"));
        QCOMPARE(f.box->date(), QDate(2025, 1, 3)); // four-digit year: taken at once
        // Letters, a second separator and an eleventh character are refused;
        // an empty text left behind keeps the date.
        QTest::keyClicks(f.box, QStringLiteral("4x--5"));
        QCOMPARE(f.box->typedText(), QStringLiteral("4-5"));
        QTest::keyClick(f.box, Qt::Key_Backspace);
        QTest::keyClick(f.box, Qt::Key_Backspace);
        QTest::keyClick(f.box, Qt::Key_Backspace);
        f.other->setFocus();
        QCOMPARE(f.box->date(), QDate(2025, 1, 3));
        QVERIFY(f.box->markText().isEmpty());
        // settleNow takes a date still being typed (a window's Save by its access key).
        f.box->setFocus();
        QTest::keyClicks(f.box, QStringLiteral("9-9"));
        QVERIFY(f.box->settleNow());
        QCOMPARE(f.box->date(), QDate(2025, 9, 9));
    }

    void typedDateSettlesOnceAfterThePause()
    {
        Form f;
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        QCOMPARE(f.box->displayFormat(), QStringLiteral("dd-MM-yyyy"));
        QVERIFY(f.box->calendarPopup());
        QCOMPARE(f.settled.count(), 0); // a quiet set is no change

        f.typeInto(QStringLiteral("15022014"));
        // Every digit changed the picker; nothing is settled while typing goes on.
        QCOMPARE(f.box->date(), QDate(2014, 2, 15));
        QVERIFY(f.box->isSettling());
        QCOMPARE(f.settled.count(), 0);
        QTRY_COMPARE(f.settled.count(), 1);
        QCOMPARE(f.lastSettled(), QDate(2014, 2, 15));
        QTest::qWait(f.box->settleDelay() + 100);
        QCOMPARE(f.settled.count(), 1);

        // Leaving the box settles at once, whatever the delay.
        f.box->setSettleDelay(60000);
        f.typeInto(QStringLiteral("03"));
        QCOMPARE(f.settled.count(), 1);
        f.other->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.settled.count(), 2);
        QCOMPARE(f.lastSettled(), QDate(2014, 2, 3));

        // Typing back to the settled date is no change.
        f.typeInto(QStringLiteral("1503"));
        f.typeInto(QStringLiteral("0302"));
        f.other->setFocus();
        QCOMPARE(f.box->date(), QDate(2014, 2, 3));
        QCOMPARE(f.settled.count(), 2);

        // A quiet set drops a typed date still waiting.
        f.typeInto(QStringLiteral("20"));
        QVERIFY(f.box->isSettling());
        f.box->setDateQuietly(QDate(2015, 6, 1));
        QVERIFY(!f.box->isSettling());
        f.other->setFocus();
        QCOMPARE(f.settled.count(), 2);
        QCOMPARE(f.box->date(), QDate(2015, 6, 1));
    }

    void codeStepsAndCalendarSettleAtOnce()
    {
        Form f;
        f.box->setDate(QDate(2013, 1, 31));
        f.box->setDate(QDate(2013, 1, 31));
        QCOMPARE(f.settled.count(), 1);
        QCOMPARE(f.lastSettled(), QDate(2013, 1, 31));

        // The upper arrow of the bar: one day later, across the month's end.
        QTest::mouseClick(f.spin, Qt::LeftButton, {}, QPoint(f.spin->width() / 2, 3));
        QCOMPARE(f.box->date(), QDate(2013, 2, 1));
        QCOMPARE(f.spin->value(), 1);
        QCOMPARE(f.settled.count(), 2);
        // The lower arrow: one day earlier, twice.
        for (int i = 0; i < 2; ++i)
            QTest::mouseClick(
                f.spin, Qt::LeftButton, {}, QPoint(f.spin->width() / 2, f.spin->height() - 3));
        QCOMPARE(f.box->date(), QDate(2013, 1, 30));
        QCOMPARE(f.spin->value(), 1);
        QCOMPARE(f.settled.count(), 4);
        QCOMPARE(f.lastSettled(), QDate(2013, 1, 30));
        QVERIFY(!f.box->isSettling());

        // A day picked in the calendar.
        emit f.box->calendarWidget()->clicked(QDate(2012, 12, 24));
        QCOMPARE(f.box->date(), QDate(2012, 12, 24));
        QCOMPARE(f.settled.count(), 5);
        QCOMPARE(f.lastSettled(), QDate(2012, 12, 24));
    }

    void boxGoneBeforeItsBar()
    {
        // A window takes its controls down in any order: the bar outliving
        // its box must not step a freed box.
        auto* window = new QWidget;
        auto* box = new DateBox(window);
        auto* spin = new DaySpin(box, window);
        delete box;
        QVERIFY(!spin->dateBox());
        spin->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(spin->value(), 1);
        delete window;
    }
};

QTEST_MAIN(TstDateBox)
#include "tst_datebox.moc"
