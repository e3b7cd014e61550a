// The Scheduled Transactions window and the "Due transactions" window over a real book: automatic
// ones entered and saved on opening, the others skipped, entered with a changed amount and
// postponed by keyboard, applied in one save and one undo step.
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "TestBook.h"
#include "WidgetTestSupport.h"
#include "controls/AccountCombo.h"
#include "controls/DateBox.h"
#include "store/Schedules.h"
#include "transactions/frmDue.h"
#include "transactions/frmSchedules.h"

using namespace qb;

class TstFrmDue : public QObject
{
    Q_OBJECT

private slots:
    void choicesAreAppliedInOneSave()
    {
        test::TestBook book; // today 15-02-2013
        QByteArray xml = test::sampleBookXml();
        xml.replace("</Data>",
            "<Schedules>"
            "<s Id=\"1\" fAc=\"2\" tAc=\"4\" Nar=\"Rent\" First=\"20121231\" Every=\"1\" "
            "Unit=\"m\" "
            "Auto=\"1\" Done=\"20121231\">100</s>"
            "<s Id=\"2\" fAc=\"1\" tAc=\"4\" Nar=\"Paper\" First=\"20130201\" Every=\"1\" "
            "Unit=\"w\">3</s></Schedules></Data>");
        QVERIFY(book.open(xml));
        const QList<Occurrence> entered = frmDue::EnterAutomatic(book.context());
        QCOMPARE(entered.size(), 1);
        QVERIFY(ReadDataFileBytes(book.file).contains(
            "<t No=\"1\" dt=\"20130131\" fAc=\"2\" tAc=\"4\" Nar=\"Rent\">100</t>"));
        const QList<Occurrence> due
            = DueOccurrences(ReadSchedules(book.store.document()), book.clock.today());
        QCOMPARE(due.size(), 3); // 1, 8 and 15 February

        frmDue w(book.context(), entered, due);
        w.show();
        QVERIFY(test::activate(&w));
        QCOMPARE(w.lstDue->topLevelItemCount(), 4);
        QCOMPARE(w.lstDue->topLevelItem(0)->text(5), QStringLiteral("Entered"));
        QCOMPARE(w.lstDue->currentItem(), w.lstDue->topLevelItem(1));
        // A button pressed by its key clicks a moment later.
        test::pressKey(Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(w.lstDue->currentItem(), w.lstDue->topLevelItem(2));
        w.txtAmount->setFocus();
        w.txtAmount->selectAll();
        test::typeText(QStringLiteral("4.25"));
        test::pressKey(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w.lstDue->topLevelItem(2)->text(5), QStringLiteral("Enter"));
        QCOMPARE(w.lstDue->topLevelItem(2)->text(1), QStringLiteral("4.25"));
        QTRY_COMPARE(w.lstDue->currentItem(), w.lstDue->topLevelItem(3));
        test::pressKey(Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(w.lstDue->topLevelItem(3)->text(5), QStringLiteral("Postpone to 16-02-2013"));
        // Postponing 8 February holds back 15 February; entering it again frees it.
        w.lstDue->setCurrentItem(w.lstDue->topLevelItem(2));
        test::pressKey(Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(
            w.lstDue->topLevelItem(3)->text(5), QStringLiteral("Held back by the postponement"));
        w.lstDue->setCurrentItem(w.lstDue->topLevelItem(2));
        test::pressKey(Qt::Key_E, Qt::AltModifier);
        QTRY_COMPARE(w.lstDue->topLevelItem(3)->text(5), QStringLiteral("Postpone to 16-02-2013"));
        QCOMPARE(w.lstDue->topLevelItem(2)->text(1), QStringLiteral("4.25"));
        test::pressKey(Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));

        const QByteArray saved = ReadDataFileBytes(book.file);
        QVERIFY(saved.contains(
            "<t No=\"1\" dt=\"20130208\" fAc=\"1\" tAc=\"4\" Nar=\"Paper\">4.25</t>"));
        QCOMPARE(saved.count("Nar=\"Paper\">"), 1); // one entry: skipped and postponed ones none
        QVERIFY(saved.contains("Done=\"20130208\" Wait=\"20130216\">3</s>"));
        QVERIFY(DueOccurrences(ReadSchedules(book.store.document()), book.clock.today()).isEmpty());
        UndoHistory& history = book.store.history();
        QCOMPARE(history.undoCount(), 2);
        QCOMPARE(history.undoCaption(), QStringLiteral("entry of 1 scheduled transaction"));
        QCOMPARE(history.undo(book.store.document()).kind, UndoHistory::Outcome::Done);
        QCOMPARE(
            DueOccurrences(ReadSchedules(book.store.document()), book.clock.today()).size(), 3);
    }

    // A schedule made, changed and removed; a wrong one is
    // refused with the reason, and the book holds what the list shows.
    void schedulesAreKeptFromTheWindow()
    {
        test::TestBook book; // today 15-02-2013
        QVERIFY(book.open());
        test::RecordingPrompt prompt;
        auto* w = new frmSchedules(book.context());
        w->setAttribute(Qt::WA_DeleteOnClose);
        w->show();
        QVERIFY(test::activate(w));
        QCOMPARE(w->lstSchedules->topLevelItemCount(), 0);
        QCOMPARE(QApplication::focusWidget(), w->cmbFrom);
        QVERIFY(w->cmbFrom->chooseCode(2) && w->cmbTo->chooseCode(4));
        w->txtAmount->setFocus();
        test::typeText(QStringLiteral("1250.5"));
        w->txtNarration->setFocus();
        test::typeText(QStringLiteral("Rent"));
        w->debFirst->setDate(QDate(2013, 1, 31));
        w->cmdSave->click();
        QCOMPARE(w->lstSchedules->topLevelItemCount(), 1);
        QCOMPARE(w->lstSchedules->topLevelItem(0)->text(0), QStringLiteral("31-01-2013"));
        QCOMPARE(
            w->lstSchedules->topLevelItem(0)->text(4), QStringLiteral("every month on day 31"));
        QVERIFY(ReadDataFileBytes(book.file).contains(
            "<Schedules><s Id=\"1\" fAc=\"2\" tAc=\"4\" Nar=\"Rent\" First=\"20130131\" "
            "Every=\"1\" Unit=\"m\">1250.5</s></Schedules>"));

        // Entered once: the next date moves on, and a change keeps that.
        QCOMPARE(frmDue::EnterAutomatic(book.context()).size(), 0); // reminded only
        ApplyDueDecisions(book.store.document(),
            EnterAsTheyStand(
                DueOccurrences(ReadSchedules(book.store.document()), book.clock.today())));
        w->RefreshList(1);
        QCOMPARE(w->lstSchedules->topLevelItem(0)->text(0), QStringLiteral("28-02-2013"));
        w->txtAmount->setFocus();
        w->txtAmount->selectAll();
        test::typeText(QStringLiteral("0"));
        w->cmdSave->click();
        QCOMPARE(prompt.count(), 1);
        QCOMPARE(prompt.last().text, QStringLiteral("The amount must be more than 0."));
        w->txtAmount->selectAll();
        test::typeText(QStringLiteral("1300"));
        w->cmdSave->click();
        QTRY_VERIFY(ReadDataFileBytes(book.file).contains("Done=\"20130131\">1300</s>"));
        QCOMPARE(w->lstSchedules->topLevelItem(0)->text(0), QStringLiteral("28-02-2013"));

        prompt.answer(MsgResult::Yes);
        w->cmdRemove->click();
        QTRY_COMPARE(w->lstSchedules->topLevelItemCount(), 0);
        QVERIFY(!ReadDataFileBytes(book.file).contains("<s "));
        w->close();
    }
};

QTEST_MAIN(TstFrmDue)
#include "tst_frmdue.moc"
