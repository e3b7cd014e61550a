// The reconcile window driven from the keyboard on a small book: the lines a
// statement date lists, the difference as ticks change, Finish refused at
// 0.01 and taken at 0.00, what it writes and its one undo step, Postpone;
// and the question before a reconciled transaction is edited.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include "StatusBook.h"
#include "TestBook.h"
#include "TestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/DateBox.h"
#include "store/BookSchema.h"
#include "store/ClsAX.h"
#include "store/DataStore.h"
#include "store/Reconcile.h"
#include "transactions/ReconcileWindow.h"
#include "transactions/frmTrans.h"
#include "windows/HtmlView.h"
#include "windows/Openers.h"
#include "windows/WindowHost.h"

using namespace qb;
using namespace qb::test;
using namespace Qt::StringLiterals;

namespace {

// The status book with the balance of an imported statement of 31-01.
QByteArray bookXml()
{
    return statusBookXml("<Imported><s Ac=\"2\" dt=\"20130131\" Bal=\"2154.5\"/></Imported>");
}

QString statusesOf(const XmlDocument& doc)
{
    return statusLetters(doc);
}

} // namespace

class TstReconcileWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowTestFixture> fixture;

    template <class T>
    static T* get(QWidget* w, const char* name)
    {
        return w->findChild<T*>(QString::fromLatin1(name));
    }
    ReconcileWindow* open()
    {
        auto* w = qobject_cast<ReconcileWindow*>(OpenReconcile(2));
        if (w)
            activate(w);
        return w;
    }
    XmlDocument& doc() { return fixture->book.store.document(); }

private slots:
    void init()
    {
        fixture = std::make_unique<WindowTestFixture>();
        QVERIFY(fixture->book.open(bookXml(), u"books.qbf"_s));
        fixture->registerWindow<ReconcileWindow>(WindowKind::Reconcile);
        fixture->registerWindow<frmTrans>(WindowKind::TransactionEntry);
    }
    void cleanup() { fixture.reset(); }

    void reconcilesFromTheKeyboard()
    {
        ReconcileWindow* w = open();
        QVERIFY(w);
        auto* lines = get<QTreeWidget>(w, "lstLines");
        auto* finish = get<QPushButton>(w, "cmdFinish");
        // Filled from the imported statement: its date takes in both lines of
        // 31-01 and leaves out 01-02; the reconciled one is not listed.
        QCOMPARE(get<DateBox>(w, "debStatement")->date(), QDate(2013, 1, 31));
        QCOMPARE(w->lineCount(), 3);
        QCOMPARE(lines->topLevelItem(2)->text(4), u"Interest"_s);
        QCOMPARE(w->clearedBalance().toText(), u"2200.01"_s); // 2500 - 300 + 0.01
        QCOMPARE(get<QLabel>(w, "lblDifference")->text(), u"Difference: -45.51"_s);
        QVERIFY(!finish->isEnabled());

        // Alt keys reach every field.
        for (const auto& [key, name] : {std::pair {Qt::Key_D, "debStatement"},
                 {Qt::Key_A, "cmbAccount"}, {Qt::Key_N, "lstLines"}, {Qt::Key_E, "nebBalance"}}) {
            pressKey(key, Qt::AltModifier);
            QWidget* at = QApplication::focusWidget();
            QVERIFY2(at
                    && (at->objectName() == QLatin1String(name)
                        || at->parentWidget()->objectName() == QLatin1String(name)),
                name);
        }
        // The statement's balance typed over, then the fee ticked: 0.01 off.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        typeText(u"2154.50"_s);
        QCOMPARE(get<QLabel>(w, "lblDifference")->text(), u"Difference: -45.51"_s);
        pressKey(Qt::Key_N, Qt::AltModifier);
        pressKey(Qt::Key_Down);
        pressKey(Qt::Key_Space);
        QCOMPARE(get<QLabel>(w, "lblDifference")->text(), u"Difference: -0.01"_s);
        QVERIFY(!finish->isEnabled());
        QVERIFY(!w->finish());
        QCOMPARE(statusesOf(doc()), u"rcncc"_s);
        // The interest unticked: 0.00.
        pressKey(Qt::Key_Down);
        pressKey(Qt::Key_Space);
        QCOMPARE(get<QLabel>(w, "lblCleared")->text(), u"Cleared balance: 2,154.50"_s);
        QCOMPARE(get<QLabel>(w, "lblDifference")->text(), u"Difference: 0.00"_s);
        QVERIFY(finish->isEnabled());

        const QByteArray before = doc().toBytes();
        pressKey(Qt::Key_I, Qt::AltModifier);
        QTRY_COMPARE(statusesOf(doc()), u"rrrnc"_s); // a button's Alt key clicks it a moment later
        QCOMPARE(LastReconciliation(doc(), 2)->balance.toText(), u"2154.5"_s);
        QCOMPARE(LastReconciliation(doc(), 2)->date, 20130131);
        QVERIFY(readDataFile(fixture->book.file)
                    .contains("<Reconciliations><r Ac=\"2\" "
                              "dt=\"20130131\" Bal=\"2154.5\"/>"));
        QCOMPARE(w->lineCount(), 1); // the interest, not on the statement
        QVERIFY(!finish->isEnabled() && !w->finish()); // not twice for one statement
        // One step, and its undo gives the book back as it was.
        UndoHistory& history = fixture->book.store.history();
        QCOMPARE(history.undoCount(), 1);
        QCOMPARE(history.undoCaption(), u"reconciliation of Bank on 31-01-2013"_s);
        QCOMPARE(int(history.undo(doc()).kind), int(UndoHistory::Outcome::Done));
        QCOMPARE(doc().toBytes(), before);
    }

    void postponeKeepsTheTicks()
    {
        ReconcileWindow* w = open();
        QVERIFY(w);
        pressKey(Qt::Key_N, Qt::AltModifier);
        pressKey(Qt::Key_Space); // 10-01 unticked
        pressKey(Qt::Key_Down);
        pressKey(Qt::Key_Space); // the fee ticked
        pressKey(Qt::Key_P, Qt::AltModifier);
        QTRY_VERIFY(!WindowHost::current().childWindows().contains(w));
        QCOMPARE(statusesOf(doc()), u"rnccc"_s);
        QCOMPARE(fixture->book.store.history().undoCount(), 1);
        QVERIFY(ReadReconciliations(doc()).isEmpty());
    }

    // Editing or deleting a reconciled transaction asks first, naming the
    // statement's date; No leaves the entry window as it was.
    void aReconciledTransactionAsksBeforeItChanges_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QString>("title"); // of the entry frame afterwards
        QTest::newRow("edit, no") << u"[*[E]*]201301051"_s << int(MsgResult::No) << 1
                                  << u"Enter New Transaction"_s;
        QTest::newRow("delete, yes")
            << u"[*[D]*]201301051"_s << int(MsgResult::Yes) << 1 << u"Delete Transaction"_s;
        QTest::newRow("cleared: no question")
            << u"[*[E]*]201301101"_s << int(MsgResult::No) << 0 << u"Edit Transaction"_s;
    }
    void aReconciledTransactionAsksBeforeItChanges()
    {
        QFETCH(QString, link);
        QFETCH(int, answer);
        QFETCH(int, asked);
        QFETCH(QString, title);
        auto* w = qobject_cast<frmTrans*>(OpenTransactionEntry(link.mid(7, 8).toInt()));
        QVERIFY(w);
        fixture->prompt.answer(MsgResult(answer));
        QVERIFY(clickLink(w->WebBrowser1, link));
        QCOMPARE(fixture->prompt.count(), asked);
        if (asked)
            QCOMPARE(fixture->prompt.last().text,
                u"This transaction was reconciled with the statement of 07-01-2013. Change it "
                "anyway?"_s);
        QTRY_COMPARE(w->findChild<QGroupBox*>(u"Frame1"_s)->title(), title);
    }
};

QTEST_MAIN(TstReconcileWindow)
#include "tst_reconcilewindow.moc"
