#include <QCalendarWidget>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "DateBox.h"

using namespace qb;

// A window holding a date box with its spin bar and a second control to leave to.
struct Form
{
    QWidget window;
    DateBox* box = new DateBox(&window);
    DaySpin* spin = new DaySpin(box, &window);
    QLineEdit* other = new QLineEdit(&window);
    QSignalSpy settled{box, &DateBox::dateSettled};

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
            QTest::mouseClick(f.spin, Qt::LeftButton, {}, QPoint(f.spin->width() / 2, f.spin->height() - 3));
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
