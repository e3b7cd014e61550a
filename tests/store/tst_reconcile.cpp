// A transaction's status and the reconciliations of a book, on hand-made
// books: what is read, what a save writes back, what the check says, which
// transactions a statement date takes in, and a finished reconciliation
// with its undo.
#include <QtTest>

#include "StatusBook.h"
#include "TestSupport.h"
#include "store/BookCheck.h"
#include "store/BookEdits.h"
#include "store/BookSchema.h"
#include "store/Reconcile.h"
#include "store/UndoHistory.h"

using namespace qb;
using namespace Qt::StringLiterals;

namespace {

QByteArray bookXml(const QByteArray& extra = {})
{
    return test::statusBookXml(extra);
}

} // namespace

class TstReconcile : public QObject
{
    Q_OBJECT

private slots:
    // Read as written, saved byte for byte, and checked: the statuses,
    // a book without any, and the values the check refuses.
    void statusReadSavedAndChecked_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("statuses"); // n, c, r per transaction
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("statuses and a reconciliation") << bookXml(
            "<Reconciliations><r Ac=\"2\" dt=\"20130131\" Bal=\"-0.5\"/>"
            "</Reconciliations>") << "rcncc" << QStringList();
        QTest::newRow("a book without statuses")
            << test::sampleBookXml() << "nnnn" << QStringList();
        QByteArray odd = bookXml();
        odd.replace("St=\"C\">300", "St=\"c\">300");
        odd.replace("Nar=\"Fee\"", "Nar=\"Fee\" Rc=\"2013013\"");
        QTest::newRow("odd values")
            << odd << "rnncc"
            << QStringList {u"transaction 2 (dt 20130110, No 1): St is \"c\", not C or R"_s,
                   u"transaction 3 (dt 20130131, No 1): Rc is given for a transaction that is "
                   "not reconciled"_s,
                   u"transaction 3 (dt 20130131, No 1): Rc is not a date of eight digits "
                   "(yyyymmdd)"_s};
        QTest::newRow("bad reconciliation records")
            << bookXml("<Reconciliations><r Ac=\"9\" dt=\"20130229\" Bal=\"1,5\"/><x/>"
                       "</Reconciliations><Reconciliations/>")
            << "rcncc"
            << QStringList {u"section Reconciliations appears more than once"_s,
                   u"reconciliation 1: account 9 has no account head"_s,
                   u"reconciliation 1: dt is not a date of eight digits (yyyymmdd)"_s,
                   u"reconciliation 1: Bal \"1,5\" is not a plain decimal amount"_s,
                   u"Reconciliations holds an element x"_s};
    }
    void statusReadSavedAndChecked()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QString, statuses);
        QFETCH(QStringList, problems);
        XmlDocument doc;
        QVERIFY(doc.loadXml(xml));
        const QString read = test::statusLetters(doc);
        QCOMPARE(read, statuses);
        // Written back exactly as read: nothing added to a book without statuses.
        XmlDocument again;
        QVERIFY(again.loadXml(doc.toBytes()));
        QCOMPARE(again.toBytes(), doc.toBytes());
        QVERIFY(doc.toBytes().contains(xml.mid(xml.indexOf("<Data>"))));
        QStringList found = BookCheck::problems(doc);
        found.removeIf([](const QString& p) { return p.startsWith(u"missing section"_s); });
        QCOMPARE(found, problems);
        if (problems.isEmpty() && statuses.startsWith(u'r'))
            QCOMPARE(ReconciledOn(TransSectionOf(doc).firstChildElement()), 20130107);
    }

    // The statement date takes in its own day and leaves the next out.
    void aStatementTakesItsOwnDayAndNotTheNext_data()
    {
        QTest::addColumn<int>("date");
        QTest::addColumn<QList<int>>("lines"); // dates of the lines listed
        QTest::addColumn<QString>("cleared"); // the cleared balance, computed by hand
        QTest::newRow("31-01: the interest on the day is in")
            << 20130131 << QList<int> {20130110, 20130131, 20130131}
            << u"2200.01"_s; // 2500-300+0.01
        QTest::newRow("30-01: the day before") << 20130130 << QList<int> {20130110} << u"2200"_s;
        QTest::newRow("01-02: the day after")
            << 20130201 << QList<int> {20130110, 20130131, 20130131, 20130201}
            << u"2187.76"_s; // ... -12.25
        QTest::newRow("04-01: before everything") << 20130104 << QList<int> {} << u"0"_s;
    }
    void aStatementTakesItsOwnDayAndNotTheNext()
    {
        QFETCH(int, date);
        QFETCH(QList<int>, lines);
        QFETCH(QString, cleared);
        XmlDocument doc;
        QVERIFY(doc.loadXml(bookXml()));
        const ReconcileStart start = ReadReconcileStart(doc, 2, date);
        QVERIFY(start.ok);
        QList<int> dates;
        for (const ReconcileLine& l : start.lines)
            dates << l.key.date;
        QCOMPARE(dates, lines);
        QCOMPARE(start.clearedBalance().toText(), cleared);
        QCOMPARE(start.reconciled, date >= 20130105 ? *Money::parse(u"2500") : Money());
    }

    // A balance 0.01 off leaves a difference; the right one finishes: the ticked lines reconciled,
    // the record added with its section, one undo step that gives the book back byte for byte.
    void finishingIsOneStepAndUndoesExactly()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(bookXml()));
        UndoHistory history;
        ReconcileStart start = ReadReconcileStart(doc, 2, 20130131);
        const Money statement = *Money::parse(u"2154.5"); // 2500-300-45.5
        start.lines[1].cleared = true; // the fee is ticked
        // With the interest still ticked the difference is 0.01.
        QCOMPARE((statement - start.clearedBalance()).toText(), u"-0.01"_s);
        start.lines[2].cleared = false;
        QVERIFY((statement - start.clearedBalance()).isZero());
        const QByteArray before = doc.toBytes();
        history.beginGroup(u"reconciliation of Bank on 31-01-2013"_s);
        PostponeReconciliation(doc, start.lines, &history);
        FinishReconciliation(
            doc, {2, 20130131, statement}, {start.lines[0].key, start.lines[1].key}, &history);
        history.endGroup();
        QCOMPARE(history.undoCount(), 1);
        QCOMPARE(ReadReconciliations(doc).size(), 1);
        QCOMPARE(LastReconciliation(doc, 2)->balance, statement);
        QVERIFY(!LastReconciliation(doc, 1));
        QCOMPARE(test::statusLetters(doc), u"rrrnc"_s);
        QCOMPARE(ReconciledOn(FindTransaction(doc, {20130131, 1})), 20130131);
        QVERIFY(BookCheck::problems(doc).filter(u"reconcil"_s).isEmpty());
        const QByteArray after = doc.toBytes();
        QCOMPARE(int(history.undo(doc).kind), int(UndoHistory::Outcome::Done));
        QCOMPARE(doc.toBytes(), before);
        QCOMPARE(int(history.redo(doc).kind), int(UndoHistory::Outcome::Done));
        QCOMPARE(doc.toBytes(), after);

        // A second one is added to the section; the toggle of a reconciled
        // transaction leaves it not cleared, without its date.
        FinishReconciliation(doc, {2, 20130228, statement}, {}, &history);
        QCOMPARE(LastReconciliation(doc, 2)->date, 20130228);
        XmlNode pay = FindTransaction(doc, {20130105, 1});
        QCOMPARE(ToggleCleared(pay, &history), TransactionStatus::NotCleared);
        QVERIFY(!pay.hasAttribute(u"Rc"_s) && !pay.hasAttribute(u"St"_s));
        QCOMPARE(ToggleCleared(pay, &history), TransactionStatus::Cleared);
        QCOMPARE(pay.attribute(u"St"_s), u"C"_s);
    }
};

QTEST_GUILESS_MAIN(TstReconcile)
#include "tst_reconcile.moc"
