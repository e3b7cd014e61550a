#include <cerrno>
#include <functional>
#include <memory>

#include <QBoxLayout>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include "TestSupport.h"
#include "controls/DateBox.h"
#include "engine/DateRanges.h"
#include "engine/ShortDate.h"
#include "store/Clock.h"
#include "store/DataStore.h"
#include "windows/DateSelector.h"
#include "windows/frmDateRangeAdd.h"
#include "windows/frmDateRangeManage.h"

using namespace qb;
using namespace qb::test;

namespace {

const QLocale kUk(QLocale::English, QLocale::UnitedKingdom); // short dates dd/MM/yyyy

QByteArray bookWithRanges(const QByteArray& ranges)
{
    QByteArray xml = sampleBookXml();
    xml.replace("<DateRanges/>", QByteArray("<DateRanges>" + ranges + "</DateRanges>"));
    return xml;
}

const QByteArray kThreeRanges = "<DR From=\"20130101\" To=\"20130131\" Caption=\"January\"/>"
                                "<DR From=\"20130201\" To=\"20130228\" Caption=\"-\"/>"
                                "<DR From=\"20130301\" To=\"20130331\" Caption=\"  \"/>";

// What the DateRanges section holds, one "From-To-Caption" a range.
QStringList rangesOf(const XmlNode& section)
{
    QStringList out;
    for (const XmlNode& r : section.childElements()) {
        QStringList attributes;
        for (int i = 0; i < r.attributeCount(); ++i)
            attributes.append(r.attributeName(i) + QLatin1Char('=') + r.attributeValue(i));
        out.append(attributes.join(QLatin1Char(' ')));
    }
    return out;
}

// Runs action once the next modal dialog is up.
void whenModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, [action] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        action(QApplication::activeModalWidget());
    });
}

template <class T>
T* child(QObject* w, const char* name)
{
    return w->findChild<T*>(QString::fromLatin1(name));
}

} // namespace

class TstDateSelection : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempEnv> env;
    std::unique_ptr<RecordingPrompt> prompt;
    std::unique_ptr<ScriptedPopupMenus> menus;
    FixedClock clock {QDate(2013, 6, 12)};
    QString file;

    BookContext book() { return {test::sharedStore(), clock}; }
    XmlNode section() { return test::sharedStore().DateRangesSection(); }
    QStringList savedRanges()
    {
        XmlDocument saved;
        saved.loadXml(readDataFile(file));
        return rangesOf(saved.selectSingleNode(QStringLiteral("/Data/DateRanges")));
    }
    void open(const QByteArray& ranges)
    {
        QVERIFY(writeDataFile(file, bookWithRanges(ranges)));
        QVERIFY(test::sharedStore().OpenDataFile(file));
    }

private slots:
    void init()
    {
        env = std::make_unique<TempEnv>();
        prompt = std::make_unique<RecordingPrompt>();
        menus = std::make_unique<ScriptedPopupMenus>();
        file = env->path(QStringLiteral("books.qbf"));
    }

    void cleanup()
    {
        test::sharedStore().CloseDocument();
        menus.reset();
        prompt.reset();
        env.reset();
    }

    void quickDates_data()
    {
        QTest::addColumn<int>("period");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("newFrom");
        QTest::addColumn<QDate>("newTo");
        const QDate wed(2002, 8, 7);
        const QDate any(2010, 5, 5);
        QTest::newRow("week prev from a Wednesday")
            << 2 << 2 << wed << wed << any << QDate(2002, 7, 28) << QDate(2002, 8, 3);
        QTest::newRow("week next from a Wednesday")
            << 2 << 3 << wed << wed << any << QDate(2002, 8, 11) << QDate(2002, 8, 17);
        QTest::newRow("this week on a Sunday")
            << 2 << 1 << any << any << QDate(2013, 6, 9) << QDate(2013, 6, 9) << QDate(2013, 6, 15);
        QTest::newRow("this week on a Saturday, across a year end")
            << 2 << 1 << any << any << QDate(2005, 1, 1) << QDate(2004, 12, 26)
            << QDate(2005, 1, 1);
        QTest::newRow("month prev from 31 March") << 3 << 2 << QDate(2003, 3, 31) << any << any
                                                  << QDate(2003, 2, 1) << QDate(2003, 2, 28);
        QTest::newRow("month prev from 31 March, leap year")
            << 3 << 2 << QDate(2004, 3, 31) << any << any << QDate(2004, 2, 1)
            << QDate(2004, 2, 29);
        QTest::newRow("month next from 31 January") << 3 << 3 << any << QDate(2003, 1, 31) << any
                                                    << QDate(2003, 2, 1) << QDate(2003, 2, 28);
        QTest::newRow("month next from December") << 3 << 3 << any << QDate(2003, 12, 31) << any
                                                  << QDate(2004, 1, 1) << QDate(2004, 1, 31);
        QTest::newRow("this month on its last day") << 3 << 1 << any << any << QDate(2013, 12, 31)
                                                    << QDate(2013, 12, 1) << QDate(2013, 12, 31);
        QTest::newRow("day prev on a several-day range")
            << 1 << 2 << QDate(2013, 3, 10) << QDate(2013, 3, 15) << any << QDate(2013, 3, 9)
            << QDate(2013, 3, 9);
        QTest::newRow("day next on a several-day range")
            << 1 << 3 << QDate(2013, 3, 10) << QDate(2013, 3, 15) << any << QDate(2013, 3, 16)
            << QDate(2013, 3, 16);
        QTest::newRow("day next over a year end") << 1 << 3 << any << QDate(2012, 12, 31) << any
                                                  << QDate(2013, 1, 1) << QDate(2013, 1, 1);
        QTest::newRow("today") << 1 << 1 << any << any << wed << wed << wed;
        QTest::newRow("year prev from 29 February") << 4 << 2 << QDate(2004, 2, 29) << any << any
                                                    << QDate(2003, 1, 1) << QDate(2003, 12, 31);
        QTest::newRow("year next from 31 December") << 4 << 3 << any << QDate(2002, 12, 31) << any
                                                    << QDate(2003, 1, 1) << QDate(2003, 12, 31);
        QTest::newRow("this year")
            << 4 << 1 << any << any << wed << QDate(2002, 1, 1) << QDate(2002, 12, 31);
        QTest::newRow("this year on 31 December of a leap year")
            << 4 << 1 << any << any << QDate(2024, 12, 31) << QDate(2024, 1, 1)
            << QDate(2024, 12, 31);
        QTest::newRow("this year on 29 February") << 4 << 1 << any << any << QDate(2000, 2, 29)
                                                  << QDate(2000, 1, 1) << QDate(2000, 12, 31);
        QTest::newRow("year next into a leap year") << 4 << 3 << any << QDate(2023, 12, 31) << any
                                                    << QDate(2024, 1, 1) << QDate(2024, 12, 31);
        QTest::newRow("unknown direction keeps the dates")
            << 3 << 7 << QDate(2001, 1, 2) << QDate(2001, 3, 4) << any << QDate(2001, 1, 2)
            << QDate(2001, 3, 4);
    }

    void quickDates()
    {
        QFETCH(int, period);
        QFETCH(int, direction);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QDate, today);
        QFETCH(QDate, newFrom);
        QFETCH(QDate, newTo);
        const DatePair got = GetQuickDates(period, direction, from, to, today);
        QCOMPARE(got.from, newFrom);
        QCOMPARE(got.to, newTo);
    }

    void menuItems_data()
    {
        QTest::addColumn<QByteArray>("ranges");
        QTest::addColumn<QStringList>("items"); // text|command, "---|n" a separator, "(x)" greyed
        const QStringList tail = {QStringLiteral("---|1000"),
            QStringLiteral("Add Date Range...|1001"), QStringLiteral("Manage Date Ranges...|1002"),
            QStringLiteral("---|1000"), QStringLiteral("Cancel Menu|1009")};
        QTest::newRow("none") << QByteArray()
                              << (QStringList {QStringLiteral("((No date ranges defined))|100")}
                                     + tail);
        QTest::newRow("one") << QByteArray(
            "<DR From=\"20130101\" To=\"20131231\" Caption=\"Year\"/>")
                             << (QStringList {QStringLiteral("Year : 01/01/2013 - 31/12/2013|100")}
                                    + tail);
        QTest::newRow("several, a separator and a blank caption")
            << kThreeRanges
            << (QStringList {QStringLiteral("January : 01/01/2013 - 31/01/2013|100"),
                    QStringLiteral("---|101"), QStringLiteral("01/03/2013 - 31/03/2013|102")}
                   + tail);
    }

    void menuItems()
    {
        QFETCH(QByteArray, ranges);
        QFETCH(QStringList, items);
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<DateRanges>" + ranges + "</DateRanges>")));
        QStringList got;
        for (const MenuItem& m : DateRangeMenuItems(ReadDateRanges(doc.documentElement()), kUk)) {
            const QString text = m.separator ? QStringLiteral("---")
                : m.enabled                  ? m.text
                                             : QLatin1Char('(') + m.text + QLatin1Char(')');
            got.append(text + QLatin1Char('|') + QString::number(m.command));
        }
        QCOMPARE(got, items);
    }

    // The component: spin bars, quick periods, the menu and typed dates, each
    // raising periodChanged as a window needs it.
    void selectorRaisesOneChangePerUserAction()
    {
        open(kThreeRanges);
        QWidget owner;
        DateSelector dates(book(), &owner);
        owner.setLayout(dates.standardLayout());
        owner.show();
        QApplication::setActiveWindow(&owner);
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        QSignalSpy changes(&dates, &DateSelector::periodChanged);
        // It starts with the month its quick selector shows.
        QCOMPARE(dates.fromDate(), QDate(2013, 6, 1));
        QCOMPARE(dates.toDate(), QDate(2013, 6, 30));
        QVERIFY(dates.optQuick[3]->isChecked());
        dates.setDates(clock.today(), clock.today());
        QCOMPARE(dates.cmdQuickDateSelect[1]->text(), QStringLiteral("This Month"));

        // The upper arrow: one day later; the lower: one day earlier; the bar rests at 1.
        dates.VScrollFrom->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(dates.fromDate(), QDate(2013, 6, 13));
        dates.VScrollTo->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(dates.toDate(), QDate(2013, 6, 11));
        QCOMPARE(dates.VScrollFrom->value(), 1);
        QCOMPARE(dates.VScrollTo->value(), 1);
        QCOMPARE(changes.count(), 2);

        // Week only renames the button; Prev then steps back a week from the from date.
        QTest::mouseClick(dates.optQuick[2], Qt::LeftButton);
        QCOMPARE(dates.cmdQuickDateSelect[1]->text(), QStringLiteral("This week"));
        QCOMPARE(dates.fromDate(), QDate(2013, 6, 13));
        QCOMPARE(changes.count(), 2);
        QTest::mouseClick(dates.cmdQuickDateSelect[2], Qt::LeftButton);
        QCOMPARE(dates.fromDate(), QDate(2013, 6, 2));
        QCOMPARE(dates.toDate(), QDate(2013, 6, 8));
        QCOMPARE(changes.count(), 3);

        // A saved range sets both dates; a greyed or separator command, a
        // dismissed menu change nothing, yet the window refreshes after each.
        menus->answer(100);
        QTest::mouseClick(dates.cmdDateSelect, Qt::LeftButton);
        QCOMPARE(dates.fromDate(), QDate(2013, 1, 1));
        QCOMPARE(dates.toDate(), QDate(2013, 1, 31));
        menus->answer(101);
        QTest::mouseClick(dates.cmdDateSelect, Qt::LeftButton);
        menus->answer(0);
        QTest::mouseClick(dates.cmdDateSelect, Qt::LeftButton);
        QCOMPARE(dates.fromDate(), QDate(2013, 1, 1));
        QCOMPARE(dates.toDate(), QDate(2013, 1, 31));
        QCOMPARE(changes.count(), 6);
        QCOMPARE(menus->shown.size(), 3);

        // Typed digits count once typing pauses, not per digit.
        dates.debTo->setFocus();
        dates.debTo->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClicks(dates.debTo, QStringLiteral("15022013"));
        QCOMPARE(changes.count(), 6);
        QTRY_COMPARE(changes.count(), 7);
        QCOMPARE(dates.toDate(), QDate(2013, 2, 15));
        QTest::qWait(dates.debTo->settleDelay() + 100);
        QCOMPARE(changes.count(), 7);

        // Dates set from code raise nothing.
        dates.setDates(QDate(2001, 1, 1), QDate(2001, 2, 2));
        QCOMPARE(changes.count(), 7);
    }

    // "Add Date Range..." from the menu: the dialog starts at the two dates and saves at once.
    void addDialogSavesAtOnce()
    {
        open(QByteArray());
        QWidget owner;
        DateSelector dates(book(), &owner);
        dates.setDates(QDate(2013, 4, 1), QDate(2013, 4, 30));
        menus->answer(1001);
        QDate shownFrom, shownTo;
        whenModal([&](QWidget* dialog) {
            shownFrom = child<QDateEdit>(dialog, "debFrom")->date();
            shownTo = child<QDateEdit>(dialog, "debTo")->date();
            auto* caption = child<QLineEdit>(dialog, "txtCaption");
            QTest::keyClicks(caption, QStringLiteral("-"));
            QVERIFY(!child<QDateEdit>(dialog, "debFrom")->isEnabled());
            QTest::keyClicks(caption, QStringLiteral("April's end"));
            QVERIFY(child<QDateEdit>(dialog, "debTo")->isEnabled());
            child<QScrollBar>(dialog, "VScrollTo")
                ->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            QTest::keyClick(caption, Qt::Key_Return); // OK is the default button
        });
        QTest::mouseClick(dates.cmdDateSelect, Qt::LeftButton);
        QCOMPARE(shownFrom, QDate(2013, 4, 1));
        QCOMPARE(shownTo, QDate(2013, 4, 30));
        const QStringList expected
            = {QStringLiteral("From=20130401 To=20130429 Caption=-April's end")};
        QCOMPARE(rangesOf(section()), expected);
        QCOMPARE(savedRanges(), expected);

        // Cancel (Escape) adds nothing; a save that fails keeps the dialog and the book as they
        // were.
        frmDateRangeAdd cancelled(book());
        cancelled.show();
        QTest::keyClick(&cancelled, Qt::Key_Escape);
        QVERIFY(!cancelled.isVisible());
        book().store.setSaveFault([](SaveStep) { return ENOSPC; }); // a full disk
        frmDateRangeAdd failing(book());
        failing.show();
        QTest::mouseClick(failing.cmdOK, Qt::LeftButton);
        QVERIFY(failing.isVisible());
        book().store.setSaveFault({});
        QVERIFY(book().store.lastError().isSet()); // the store's host tells the user
        QCOMPARE(rangesOf(section()), expected);
    }

    // Dates typed in the Add Date Range dialog, Enter for OK; a range that
    // runs backwards is said beside the dates and not saved.
    void addDialogTakesTypedDates_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("saved"); // empty: the dialog stays, nothing saved
        QTest::addColumn<bool>("reversed");
        QTest::newRow("dashes") << QStringLiteral("1-11-2026") << QStringLiteral("30-11-2026")
                                << QStringLiteral("From=20261101 To=20261130 Caption=") << false;
        QTest::newRow("slashes") << QStringLiteral("1/11/2026") << QStringLiteral("30/11/2026")
                                 << QStringLiteral("From=20261101 To=20261130 Caption=") << false;
        QTest::newRow("points") << QStringLiteral("1.11.2026") << QStringLiteral("30.11.2026")
                                << QStringLiteral("From=20261101 To=20261130 Caption=") << false;
        QTest::newRow("digits alone")
            << QStringLiteral("01112026") << QStringLiteral("30112026")
            << QStringLiteral("From=20261101 To=20261130 Caption=") << false;
        QTest::newRow("short year")
            << QStringLiteral("5-11-26") << QStringLiteral("30-11-26")
            << QStringLiteral("From=20261105 To=20261130 Caption=") << false;
        QTest::newRow("one day") << QStringLiteral("30-11-2026") << QStringLiteral("30112026")
                                 << QStringLiteral("From=20261130 To=20261130 Caption=") << false;
        QTest::newRow("reversed") << QStringLiteral("30-11-2026") << QStringLiteral("5-11-2026")
                                  << QString() << true;
        QTest::newRow("impossible to date")
            << QStringLiteral("1-6-2013") << QStringLiteral("31-06-2013") << QString() << false;
    }
    void addDialogTakesTypedDates()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, saved);
        QFETCH(bool, reversed);
        open(QByteArray());
        frmDateRangeAdd dialog(book());
        dialog.setDates(clock.today(), clock.today());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(!dialog.lblDateOrder->isVisible());
        QTest::mouseClick(dialog.debFrom->textBox(), Qt::LeftButton, {},
            dialog.debFrom->textBox()->rect().center());
        QTest::keyClicks(dialog.debFrom, from);
        QTest::keyClick(dialog.debFrom, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.debTo);
        QTest::keyClicks(dialog.debTo, to);
        QTest::keyClick(dialog.debTo, Qt::Key_Return);
        if (!saved.isEmpty()) {
            QVERIFY(!dialog.isVisible());
            QCOMPARE(rangesOf(section()), QStringList {saved});
            QCOMPARE(savedRanges(), QStringList {saved});
            return;
        }
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.lblDateOrder->isVisible(), reversed);
        QCOMPARE(dialog.lblDateOrder->text(), QStringLiteral("From is after To"));
        QCOMPARE(!dialog.debTo->markText().isEmpty(), !reversed);
        QVERIFY(rangesOf(section()).isEmpty());
        QCOMPARE(prompt->count(), 0);
        // The mouse on OK does no more; mended, Enter saves.
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QVERIFY(rangesOf(section()).isEmpty());
        QTest::mouseClick(dialog.debTo->textBox(), Qt::LeftButton);
        QTest::keyClicks(dialog.debTo, QStringLiteral("30-11-2026"));
        QVERIFY(!dialog.lblDateOrder->isVisible());
        QTest::keyClick(dialog.debTo, Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(rangesOf(section()).size(), 1);
    }

    // The report windows' dates say when From is after To, by any way of setting them.
    void selectorSaysWhenFromIsAfterTo()
    {
        open(QByteArray());
        QWidget owner;
        DateSelector dates(book(), &owner);
        owner.setLayout(dates.standardLayout());
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        QVERIFY(!dates.lblDateOrder->isVisible());
        dates.setDates(QDate(2013, 6, 13), QDate(2013, 6, 12));
        QVERIFY(dates.lblDateOrder->isVisible());
        QCOMPARE(dates.lblDateOrder->text(), QStringLiteral("From is after To"));
        dates.VScrollTo->triggerAction(QAbstractSlider::SliderSingleStepSub); // To one day later
        QVERIFY(!dates.lblDateOrder->isVisible()); // one day: not reversed
        dates.debTo->setFocus();
        QTest::keyClicks(dates.debTo, QStringLiteral("-"));
        QVERIFY(dates.lblDateOrder->isVisible());
        QTest::keyClicks(dates.debTo, QStringLiteral("+"));
        QVERIFY(!dates.lblDateOrder->isVisible());
        QTest::keyClicks(dates.debFrom, QStringLiteral("t")); // today, 12 June: before To
        QCOMPARE(dates.fromDate(), clock.today());
        QVERIFY(!dates.lblDateOrder->isVisible());
    }

    void manageMessages_data()
    {
        QTest::addColumn<QByteArray>("ranges");
        QTest::addColumn<int>("row"); // selected; -1 none
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("message");
        const QString none = QStringLiteral("There is no date ranges to move\r\n"
                                            "This button is to arrange the order of Date Ranges. ");
        QTest::newRow("up, empty") << QByteArray() << -1 << "cmdUp" << none;
        QTest::newRow("down, empty") << QByteArray() << -1 << "cmdDown" << none;
        QTest::newRow("up, nothing chosen")
            << kThreeRanges << -1 << "cmdUp"
            << QStringLiteral("Click on a date range which is to be moved up");
        QTest::newRow("down, nothing chosen")
            << kThreeRanges << -1 << "cmdDown"
            << QStringLiteral("Click on a date range which is to be moved down");
        QTest::newRow("up, first")
            << kThreeRanges << 0 << "cmdUp"
            << QStringLiteral("This date range is in the top position and could not be moved up");
        QTest::newRow("down, last")
            << kThreeRanges << 2 << "cmdDown"
            << QStringLiteral(
                   "This  date range is in the last position and could not be moved down");
    }

    void manageMessages()
    {
        QFETCH(QByteArray, ranges);
        QFETCH(int, row);
        QFETCH(QString, button);
        QFETCH(QString, message);
        open(ranges);
        frmDateRangeManage dialog(book());
        dialog.show();
        const QStringList before = [&] {
            QStringList texts;
            for (int i = 0; i < dialog.lstDateRanges->count(); ++i)
                texts.append(dialog.lstDateRanges->item(i)->text());
            return texts;
        }();
        if (row >= 0)
            dialog.lstDateRanges->item(row)->setSelected(true);
        QTest::mouseClick(
            child<QPushButton>(&dialog, button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(prompt->count(), 1);
        QCOMPARE(prompt->last().text, message);
        QCOMPARE(prompt->last().icon, MsgIcon::Information);
        QCOMPARE(prompt->last().title, AppTitle());
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(dialog.lstDateRanges->item(i)->text(), before.at(i));
    }

    // The list is a working copy: Cancel drops its changes, Add saves at once
    // and reloads, OK writes the list's order.
    void manageWorksOnACopy()
    {
        open(kThreeRanges);
        const QStringList original = rangesOf(section());
        {
            frmDateRangeManage dialog(book());
            dialog.show();
            QListWidget* list = dialog.lstDateRanges;
            QCOMPARE(list->count(), 3);
            // Dates in the user's short format.
            const QString march = ShortDateText(QDate(2013, 3, 1)) + QStringLiteral(" - ")
                + ShortDateText(QDate(2013, 3, 31));
            QCOMPARE(list->item(0)->text(),
                QStringLiteral("January : ") + ShortDateText(QDate(2013, 1, 1))
                    + QStringLiteral(" - ") + ShortDateText(QDate(2013, 1, 31)));
            QCOMPARE(list->item(1)->text(), QString(107, QLatin1Char('-')));
            QCOMPARE(list->item(2)->text(), march);
            list->item(2)->setSelected(true);
            QTest::mouseClick(dialog.cmdUp, Qt::LeftButton);
            QCOMPARE(list->item(1)->text(), march);
            QVERIFY(list->item(1)->isSelected());
            QTest::mouseClick(dialog.cmdDelete, Qt::LeftButton);
            QCOMPARE(list->count(), 2);
            QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
            QCOMPARE(rangesOf(section()), original);
        }
        frmDateRangeManage dialog(book());
        dialog.show();
        QListWidget* list = dialog.lstDateRanges;
        list->item(0)->setSelected(true);
        QTest::mouseClick(dialog.cmdDelete, Qt::LeftButton);
        // Add: the new range is saved, the deletion above is dropped by the reload.
        whenModal([&](QWidget* add) {
            QCOMPARE(child<QDateEdit>(add, "debFrom")->date(), clock.today());
            QTest::keyClicks(child<QLineEdit>(add, "txtCaption"), QStringLiteral("June"));
            QTest::mouseClick(child<QPushButton>(add, "cmdOK"), Qt::LeftButton);
        });
        QTest::mouseClick(dialog.cmdAdd, Qt::LeftButton);
        QCOMPARE(list->count(), 4);
        QCOMPARE(savedRanges(),
            original + QStringList {QStringLiteral("From=20130612 To=20130612 Caption=June")});
        // Down twice with the first, delete the separator, OK.
        list->item(0)->setSelected(true);
        QTest::mouseClick(dialog.cmdDown, Qt::LeftButton);
        QTest::mouseClick(dialog.cmdDown, Qt::LeftButton);
        list->item(0)->setSelected(true);
        QTest::mouseClick(dialog.cmdDelete, Qt::LeftButton);
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        const QStringList expected = {original.at(2), original.at(0),
            QStringLiteral("From=20130612 To=20130612 Caption=June")};
        QCOMPARE(rangesOf(section()), expected);
        QCOMPARE(savedRanges(), expected);
        // The menu follows the new order.
        const QList<MenuItem> items = DateRangeMenuItems(ReadDateRanges(section()), kUk);
        QCOMPARE(items.at(1).text, QStringLiteral("January : 01/01/2013 - 31/01/2013"));
        QCOMPARE(items.at(1).command, 101);
    }
};

QTEST_MAIN(TstDateSelection)
#include "tst_dateselection.moc"
