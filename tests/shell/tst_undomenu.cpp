// Transaction > Undo, Redo and Deleted Transactions on the real main window:
// captions and keys, Ctrl+Z after a delete in the entry window, a text box
// undoing its own typing first, and a restore from the bin.
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include "ShellTestSupport.h"
#include "WidgetTestSupport.h"
#include "controls/DateBox.h"
#include "shell/DataWindows.h"
#include "shell/MDIForm1.h"
#include "store/DeletedTransactions.h"
#include "transactions/frmDeleted.h"
#include "transactions/frmTrans.h"
#include "windows/HtmlView.h"

using namespace qb;
using namespace qb::test;

class TestUndoMenu : public QObject
{
    Q_OBJECT

    static bool inFile(const QString& file, const QByteArray& text)
    {
        return ReadDataFileBytes(file).contains(text);
    }

private slots:
    void initTestCase() { RegisterDataWindows(); }

    void undoRedoAndTheBinFromTheKeyboard()
    {
        TempEnv env;
        RecordingPrompt prompt;
        MDIForm1 w(programBook());
        const QString file = writeBook(env, QStringLiteral("a.qbf"));
        QVERIFY(w.Load(file));
        QVERIFY(activate(&w));

        // The menu bar keeps its menus; the Transaction menu carries the commands.
        QStringList titles;
        for (QAction* a : w.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles.join(QLatin1Char('|')),
            QStringLiteral("&File|&Master|&Transaction|&Reports|&View|&Window|&Help"));
        QStringList items;
        for (QAction* a : w.findChild<QMenu*>(QStringLiteral("mnuTransactions"))->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        QCOMPARE(items.join(QLatin1Char('|')),
            QStringLiteral("&Entry|&Search|-|Undo|Redo|-|&Deleted Transactions|&Reconcile..."));
        QAction* undo = actionOf(&w, "mnuTrnUndo");
        QAction* redo = actionOf(&w, "mnuTrnRedo");
        QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(redo->shortcuts(),
            (QList<QKeySequence> {QKeySequence(Qt::CTRL | Qt::Key_Y),
                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));

        auto* entry = qobject_cast<frmTrans*>(OpenTransactionEntry(20130110));
        QVERIFY(entry);
        QVERIFY(clickLink(entry->WebBrowser1, QStringLiteral("[*[D]*]201301102")));
        prompt.answer(MsgResult::Yes);
        QTest::mouseClick(
            entry->findChild<QPushButton*>(QStringLiteral("cmdSave")), Qt::LeftButton);
        QVERIFY(!inFile(file, "Groceries\">45.5</t>"));
        QTRY_COMPARE(undo->text(), QStringLiteral("Undo delete of transaction 2 on 10-01-2013"));
        QCOMPARE(redo->text(), QStringLiteral("Redo"));

        // Focus back on the date: Ctrl+Z undoes the save, in the file too.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(entry->debTrans));
        pressKey(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(
            inFile(file, "No=\"2\" dt=\"20130110\" fAc=\"1\" tAc=\"4\" Nar=\"Groceries\">45.5<"));
        QVERIFY(ReadDeleted(test::sharedStore().document()).isEmpty());
        QTRY_VERIFY(entry->WebBrowser1->pageText().contains(QStringLiteral("Groceries")));
        QCOMPARE(redo->text(), QStringLiteral("Redo delete of transaction 2 on 10-01-2013"));
        QCOMPARE(undo->text(), QStringLiteral("Undo"));

        // In the narration box: Ctrl+Y with no typing to redo redoes the
        // delete; Ctrl+Z first takes back the typing, then the delete.
        auto* narration = entry->findChild<QComboBox*>(QStringLiteral("cmbNarration"));
        narration->setFocus();
        QTRY_VERIFY(narration->lineEdit()->hasFocus());
        pressKey(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!inFile(file, "Groceries\">45.5</t>"));
        typeText(QStringLiteral("abc"));
        pressKey(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(narration->currentText(), QString());
        QVERIFY(!inFile(file, "Groceries\">45.5</t>"));
        pressKey(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(inFile(file, "Groceries\">45.5</t>"));
        QTRY_COMPARE(undo->text(), QStringLiteral("Undo"));

        // Deleted again (the box would redo its typing first: from the date
        // box), then restored from the bin after its number was taken.
        pressKey(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(narration->currentText(), QStringLiteral("abc"));
        QVERIFY(inFile(file, "Groceries\">45.5</t>"));
        entry->debTrans->setFocus();
        QTRY_VERIFY(entry->debTrans->hasFocus());
        pressKey(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(!inFile(file, "Groceries\">45.5</t>"));
        TransactionFields tea {20130110, 1, 4, QStringLiteral("Tea"), *Money::parse(u"2")};
        AddTransaction(test::sharedStore().document(), tea, &test::sharedStore().history());
        actionOf(&w, "mnuTrnDeleted")->trigger();
        auto* bin = qobject_cast<frmDeleted*>(w.mdiArea()->activeSubWindow()->widget());
        QVERIFY(bin);
        QCOMPARE(bin->windowTitle(), QStringLiteral("Deleted Transactions"));
        QTRY_VERIFY2(bin->WebBrowser1->pageText().contains(QStringLiteral("Groceries")),
            qPrintable(bin->WebBrowser1->pageText() + prompt.last().text));
        const QString page = bin->WebBrowser1->pageText();
        QVERIFY(page.contains(QStringLiteral("10-01-2013")));
        QVERIFY(clickLink(bin->WebBrowser1, QStringLiteral("[*[R]*]1")));
        QCOMPARE(prompt.last().text,
            QStringLiteral(
                "The transaction is back on 10-01-2013 as number 3: its own number was taken."));
        QVERIFY(
            inFile(file, "No=\"3\" dt=\"20130110\" fAc=\"1\" tAc=\"4\" Nar=\"Groceries\">45.5<"));
        QTRY_VERIFY(!bin->WebBrowser1->pageText().contains(QStringLiteral("Groceries")));
        QTRY_COMPARE(undo->text(), QStringLiteral("Undo restore of transaction 3 on 10-01-2013"));

        // A record changed behind the history's back: refused, nothing changed.
        FindTransaction(test::sharedStore().document(), {20130110, 3})
            .setAttribute(QStringLiteral("Nar"), QStringLiteral("Changed"));
        const int shown = prompt.count();
        pressKey(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(prompt.count(), shown + 1);
        QCOMPARE(prompt.last().title, QStringLiteral("Undo"));
        QCOMPARE(prompt.last().text,
            QStringLiteral(
                "Cannot undo restore of transaction 3 on 10-01-2013: the records it "
                "would put back have been changed since.\r\nThe book is left as it is."));
        QVERIFY(FindTransaction(test::sharedStore().document(), {20130110, 3}));

        // Closing the book forgets the history.
        actionOf(&w, "mnuFileClose")->trigger();
        QVERIFY(!test::sharedStore().history().canUndo());
    }
};

QTEST_MAIN(TestUndoMenu)
#include "tst_undomenu.moc"
