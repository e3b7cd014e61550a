#include <QtTest>

#include "TestSupport.h"
#include "engine/DateRanges.h"
#include "store/BookEdits.h"
#include "store/DataStore.h"
#include "store/DeletedTransactions.h"
#include "store/MasterEdits.h"
#include "store/Utilities.h"

using namespace qb;

// Every kind of change is made on a real book file through its edit routine,
// saved, undone, saved and redone: the file's records after the undo are the
// earlier file's byte for byte, and after the redo the changed file's.
class TstUndoHistory : public QObject
{
    Q_OBJECT

    struct Book
    {
        test::TempEnv env;
        FixedClock clock {QDate(2026, 12, 7)};
        DataStore store;
        QString file;
        QByteArray mark; // the file just before the recorded change
        Book()
        {
            file = env.path(QStringLiteral("book.qbf"));
            XmlDocument doc;
            doc.loadXml(test::sampleBookXml());
            // One account no transaction uses, so it can be deleted.
            AddAccountHead(doc, QStringLiteral("Spare"));
            store.setClock(&clock);
            store.setSyncOnSave(false);
            if (!store.WriteDataFile(doc.toBytes(), file) || !store.OpenDataFile(file))
                qFatal("the test book could not be made");
        }
        QByteArray bytes() const { return ReadDataFileBytes(file); }
        XmlDocument& doc() { return store.document(); }
        UndoHistory* history() { return &store.history(); }
        XmlNode transaction(int date, int number) { return FindTransaction(doc(), {date, number}); }
        bool save() { return store.SaveDocument(); }
    };

    enum Kind {
        AddTx,
        EditTx,
        MoveTx,
        DeleteTx,
        DeleteTwice,
        RestoreTx,
        AddAccount,
        RenameAccount_,
        DeleteAccount_,
        AddGroup_,
        ChangeGroup,
        DeleteGroup_,
        AddRange,
        ChangeRanges,
        Import
    };

    // Makes the change of the kind; returns its undo caption.
    static void change(Book& b, int kind)
    {
        TransactionFields f {20130110, 1, 4, QStringLiteral("Tea"), *Money::parse(u"3.5")};
        b.mark = b.bytes();
        switch (kind) {
        case AddTx:
            AddTransaction(b.doc(), f, b.history());
            break;
        case EditTx:
            UpdateTransaction(b.doc(), b.transaction(20130105, 1),
                {20130105, 3, 1, QStringLiteral("Pay"), *Money::parse(u"2600")}, b.history());
            break;
        case MoveTx:
            UpdateTransaction(b.doc(), b.transaction(20130105, 1), f, b.history());
            break;
        case DeleteTx:
            DeleteTransaction(b.doc(), b.transaction(20130110, 1), b.clock.now(), b.history());
            break;
        case DeleteTwice: // the second deletion finds the bin there
        case RestoreTx:
            DeleteTransaction(b.doc(), b.transaction(20130110, 2), b.clock.now());
            b.save();
            b.mark = b.bytes();
            if (kind == RestoreTx)
                RestoreDeleted(b.doc(), 1, b.history());
            else
                DeleteTransaction(b.doc(), b.transaction(20130201, 1), b.clock.now(), b.history());
            break;
        case AddAccount:
            AddAccountHead(b.doc(), QStringLiteral("Savings"), b.history());
            break;
        case RenameAccount_:
            RenameAccount(FindAccount(b.doc(), 2), QStringLiteral("Bank Two"), b.history());
            break;
        case DeleteAccount_:
            DeleteAccount(FindAccount(b.doc(), 5), b.history());
            break;
        case AddGroup_:
            AddGroup(b.doc(), QStringLiteral("Spending"), QStringLiteral(",4,"), b.history());
            break;
        case ChangeGroup:
            UpdateGroup(FindGroup(b.doc(), QStringLiteral("Money")), QStringLiteral("Funds"),
                QStringLiteral(",2,1,3,"), b.history());
            break;
        case DeleteGroup_:
            DeleteGroup(FindGroup(b.doc(), QStringLiteral("Money")), b.history());
            break;
        case AddRange:
        case ChangeRanges: {
            XmlNode section = b.store.DateRangesSection();
            AppendDateRange(section, QDate(2013, 1, 1), QDate(2013, 1, 31), QStringLiteral("Jan"));
            AppendDateRange(section, QDate(2013, 2, 1), QDate(2013, 2, 28), QStringLiteral("Feb"));
            if (kind == AddRange) {
                b.save();
                b.mark = b.bytes();
            }
            AppendDateRange(section, QDate(2013, 3, 1), QDate(2013, 3, 31), QStringLiteral("Mar"),
                kind == AddRange ? b.history() : nullptr);
            if (kind == ChangeRanges) {
                b.save(); // moved and one deleted, as the manage window does
                b.mark = b.bytes();
                RebuildDateRanges(section, CopyOfDateRanges(section), {2, 0}, b.history());
            }
            break;
        }
        case Import:
            b.history()->beginGroup(QStringLiteral("import of statement"));
            AddAccountHead(b.doc(), QStringLiteral("Shop"), b.history());
            AddTransaction(b.doc(), f, b.history());
            f.to = 6;
            AddTransaction(b.doc(), f, b.history());
            b.history()->endGroup();
            break;
        }
    }

private slots:
    void everyChangeUndoesAndRedoesExactly_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("steps"); // in the history after the change
        QTest::newRow("add transaction")
            << int(AddTx) << "entry of transaction 3 on 10-01-2013" << 1;
        QTest::newRow("edit transaction")
            << int(EditTx) << "edit of transaction 1 on 05-01-2013" << 1;
        QTest::newRow("edit to another date")
            << int(MoveTx) << "edit of transaction 3 on 10-01-2013" << 1;
        QTest::newRow("delete transaction")
            << int(DeleteTx) << "delete of transaction 1 on 10-01-2013" << 1;
        QTest::newRow("second delete")
            << int(DeleteTwice) << "delete of transaction 1 on 01-02-2013" << 1;
        QTest::newRow("restore from bin")
            << int(RestoreTx) << "restore of transaction 2 on 10-01-2013" << 1;
        QTest::newRow("add account") << int(AddAccount) << "addition of account Savings" << 1;
        QTest::newRow("rename account") << int(RenameAccount_) << "rename of account Bank" << 1;
        QTest::newRow("delete account") << int(DeleteAccount_) << "delete of account Spare" << 1;
        QTest::newRow("add group") << int(AddGroup_) << "addition of group Spending" << 1;
        QTest::newRow("change group") << int(ChangeGroup) << "change of group Money" << 1;
        QTest::newRow("delete group") << int(DeleteGroup_) << "delete of group Money" << 1;
        QTest::newRow("add date range") << int(AddRange) << "addition of date range Mar" << 1;
        QTest::newRow("move and delete ranges")
            << int(ChangeRanges) << "change of date ranges" << 1;
        QTest::newRow("import, one step") << int(Import) << "import of statement" << 1;
    }
    void everyChangeUndoesAndRedoesExactly()
    {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(int, steps);
        Book b;
        change(b, kind);
        // The setup's own saves and unrecorded edits are not in the history.
        QVERIFY(b.save());
        const QByteArray before = b.mark;
        const QByteArray after = b.bytes();
        QVERIFY(after != before);
        QCOMPARE(b.history()->undoCount(), steps);
        QCOMPARE(b.history()->undoCaption(), caption);

        const UndoHistory::Outcome undone = b.history()->undo(b.doc());
        QCOMPARE(int(undone.kind), int(UndoHistory::Outcome::Done));
        QCOMPARE(undone.caption, caption);
        QVERIFY(b.save());
        const QByteArray reverted = b.bytes();
        QCOMPARE(reverted, before);
        QCOMPARE(b.history()->redoCaption(), caption);
        QVERIFY(BookCheck_clean(b.doc()));

        QCOMPARE(int(b.history()->redo(b.doc()).kind), int(UndoHistory::Outcome::Done));
        QVERIFY(b.save());
        QCOMPARE(b.bytes(), after);
        // And back once more: the same earlier bytes.
        b.history()->undo(b.doc());
        QVERIFY(b.save());
        QCOMPARE(b.bytes(), reverted);
    }

    void aHundredStepsAreKeptAndANewChangeDropsTheRedoSteps()
    {
        Book b;
        QCOMPARE(b.history()->limit(), 100);
        QByteArray afterFifth;
        for (int i = 1; i <= 105; ++i) {
            AddAccountHead(b.doc(), QStringLiteral("A") + QString::number(i), b.history());
            if (i == 5)
                afterFifth = b.doc().toBytes();
        }
        QCOMPARE(b.history()->undoCount(), 100);
        for (int i = 0; i < 100; ++i)
            QCOMPARE(int(b.history()->undo(b.doc()).kind), int(UndoHistory::Outcome::Done));
        QCOMPARE(int(b.history()->undo(b.doc()).kind), int(UndoHistory::Outcome::Nothing));
        QCOMPARE(b.doc().toBytes(), afterFifth);
        QCOMPARE(b.history()->redoCount(), 100);
        RenameAccount(FindAccount(b.doc(), 1), QStringLiteral("Till"), b.history());
        QCOMPARE(b.history()->redoCount(), 0);
        // Closing the book empties the history.
        b.store.CloseDocument();
        QVERIFY(!b.history()->canUndo());
    }

    void aRecordChangedSinceIsRefusedAndNothingChanges()
    {
        Book b;
        DeleteTransaction(b.doc(), b.transaction(20130110, 1), b.clock.now(), b.history());
        RenameAccount(FindAccount(b.doc(), 2), QStringLiteral("Bank Two"), b.history());
        // The bin's entry is changed without the history (as a window that
        // does not tell it would): the rename still undoes, the delete not.
        DeletedSection(b.doc()).firstChildElement().setAttribute(
            QStringLiteral("Nar"), QStringLiteral("x"));
        QCOMPARE(int(b.history()->undo(b.doc()).kind), int(UndoHistory::Outcome::Done));
        const QByteArray held = b.doc().toBytes();
        const UndoHistory::Outcome refused = b.history()->undo(b.doc());
        QCOMPARE(int(refused.kind), int(UndoHistory::Outcome::Refused));
        QCOMPARE(refused.caption, QStringLiteral("delete of transaction 1 on 10-01-2013"));
        // The transaction put back first was taken out again.
        QCOMPARE(b.doc().toBytes(), held);
        QVERIFY(!b.transaction(20130110, 1));
        QVERIFY(!b.history()->canUndo());
        QVERIFY(b.history()->canRedo()); // the rename, still as it was
    }

    void theBinKeepsRestoresAndIsPrunedOnTheFirstSaveOfADay()
    {
        Book b;
        b.clock.setToday(QDate(2026, 11, 1));
        b.clock.setTime(QTime(9, 30, 5));
        DeleteTransaction(b.doc(), b.transaction(20130110, 2), b.clock.now(), b.history());
        QVERIFY(b.save());
        b.clock.setToday(QDate(2026, 11, 20));
        DeleteTransaction(b.doc(), b.transaction(20130105, 1), b.clock.now(), b.history());
        QVERIFY(b.save());
        QList<DeletedTransaction> bin = ReadDeleted(b.doc());
        QCOMPARE(bin.size(), 2);
        QCOMPARE(bin[0].id, 2); // newest first
        QCOMPARE(bin[0].fields.narration, QStringLiteral("January pay"));
        QCOMPARE(bin[1].at, QDateTime(QDate(2026, 11, 1), QTime(9, 30, 5)));
        QCOMPARE(bin[1].fields.amount, *Money::parse(u"45.5"));

        // A new transaction takes number 2 of 10-01-2013: the restore gets 3.
        const TransactionKey taken = AddTransaction(
            b.doc(), {20130110, 1, 4, QStringLiteral("Tea"), *Money::parse(u"1")}, b.history());
        QCOMPARE(taken.number, 2);
        const RestoreOutcome restored = RestoreDeleted(b.doc(), 1, b.history());
        QCOMPARE(int(restored.kind), int(RestoreOutcome::Restored));
        QVERIFY(restored.renumbered);
        QCOMPARE(restored.key, (TransactionKey {20130110, 3}));
        QCOMPARE(RestoreMessage(restored, 1),
            QStringLiteral(
                "The transaction is back on 10-01-2013 as number 3: its own number was taken."));
        QCOMPARE(b.transaction(20130110, 3).attribute(QStringLiteral("Nar")),
            QStringLiteral("Groceries"));
        QCOMPARE(b.transaction(20130110, 3).text(), QStringLiteral("45.5"));
        QCOMPARE(int(RestoreDeleted(b.doc(), 1).kind), int(RestoreOutcome::NotFound));
        b.history()->undo(b.doc()); // the restore: back in the bin
        QCOMPARE(ReadDeleted(b.doc()).size(), 2);

        // Thirty days after the first deletion it is still kept; the day after
        // the first save removes it, a later save of that day nothing more.
        b.clock.setToday(QDate(2026, 12, 1));
        QVERIFY(b.save());
        QCOMPARE(ReadDeleted(b.doc()).size(), 2);
        b.clock.setToday(QDate(2026, 12, 2));
        QVERIFY(b.save());
        bin = ReadDeleted(b.doc());
        QCOMPARE(bin.size(), 1);
        QCOMPARE(bin[0].id, 2);
        QCOMPARE(ReadDeleted(XmlDocument(ReadBookDoc(b.file))).size(), 1);
        // A shorter setting counts from the next day's first save.
        SaveSetting(QStringLiteral("Bin"), QStringLiteral("KeepDays"), QStringLiteral("5"));
        b.clock.setToday(QDate(2026, 12, 3));
        QVERIFY(b.save());
        QCOMPARE(ReadDeleted(b.doc()).size(), 0);
        // The bin's deletion still undoes the Trans side: refused, as the
        // entry it would take back out is gone.
        QCOMPARE(
            int(b.history()->undo(b.doc()).kind), int(UndoHistory::Outcome::Done)); // the Tea entry
        QCOMPARE(int(b.history()->undo(b.doc()).kind), int(UndoHistory::Outcome::Refused));
    }

    void aRestoreNeedsItsAccounts()
    {
        Book b;
        XmlNode t = b.transaction(20130201, 1);
        t.setAttribute(QStringLiteral("tAc"), 5); // to Spare, which then goes
        DeleteTransaction(b.doc(), t, b.clock.now());
        DeleteAccount(FindAccount(b.doc(), 5));
        const RestoreOutcome outcome = RestoreDeleted(b.doc(), 1, b.history());
        QCOMPARE(int(outcome.kind), int(RestoreOutcome::AccountMissing));
        QCOMPARE(RestoreMessage(outcome, 1),
            QStringLiteral("The transaction cannot be restored: its account 5 no longer exists."));
        QCOMPARE(ReadDeleted(b.doc()).size(), 1);
        QVERIFY(!b.history()->canUndo());
    }

private:
    static bool BookCheck_clean(const XmlDocument& doc);
    static XmlDocument ReadBookDoc(const QString& file)
    {
        XmlDocument doc;
        doc.loadXml(ReadDataFileBytes(file));
        return doc;
    }
};

#include "store/BookCheck.h"

bool TstUndoHistory::BookCheck_clean(const XmlDocument& doc)
{
    const QStringList problems = BookCheck::problems(doc);
    if (!problems.isEmpty())
        qWarning() << problems;
    return problems.isEmpty();
}

QTEST_GUILESS_MAIN(TstUndoHistory)
#include "tst_undohistory.moc"
