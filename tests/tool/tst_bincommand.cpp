// qbtool deleted and qbtool restore --deleted, run as the built program on
// a book whose bin a test made through the store.
#include <QProcess>
#include <QtTest>

#include "TestSupport.h"
#include "store/BookEdits.h"
#include "store/DataStore.h"
#include "store/DeletedTransactions.h"

using namespace qb;

class TstBinCommand : public QObject
{
    Q_OBJECT

    using Run = test::ToolRun;
    static Run qbtool(const test::TempEnv& env, const QStringList& args)
    {
        return test::runQbtool(env.folder(), args);
    }

private slots:
    void listsAndRestoresTheBin()
    {
        test::TempEnv env;
        XmlDocument doc;
        doc.loadXml(test::sampleBookXml());
        const QDateTime at(QDate(2026, 12, 7), QTime(17, 47, 5));
        DeleteTransaction(doc, FindTransaction(doc, {20130110, 2}), at);
        DeleteTransaction(doc, FindTransaction(doc, {20130201, 1}), at.addSecs(60));
        // Number 2 of 10-01-2013 is taken again.
        AddTransaction(doc, {20130110, 2, 1, QStringLiteral("Cash in"), *Money::parse(u"10")});
        const QString file = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(file, doc.toBytes()));

        Run r = qbtool(env, {QStringLiteral("deleted"), QStringLiteral("books.qbf")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QStringLiteral("2\t2026-12-07 17:48:05\t2013-02-01\t1\t1\t4\t12.25\tMarket\n"
                           "1\t2026-12-07 17:47:05\t2013-01-10\t2\t1\t4\t45.5\tGroceries\n"));

        r = qbtool(env,
            {QStringLiteral("restore"), QStringLiteral("books.qbf"), QStringLiteral("--deleted"),
                QStringLiteral("1")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QStringLiteral("Restored 1: The transaction is back on 10-01-2013 as number 3: "
                           "its own number was taken.\n"));
        QVERIFY(QFileInfo::exists(file + QStringLiteral(".bak")));
        XmlDocument saved;
        QVERIFY(saved.loadXml(ReadDataFileBytes(file)));
        QCOMPARE(FindTransaction(saved, {20130110, 3}).xml(),
            QStringLiteral(
                "<t No=\"3\" dt=\"20130110\" fAc=\"1\" tAc=\"4\" Nar=\"Groceries\">45.5</t>"));
        QCOMPARE(ReadDeleted(saved).size(), 1);

        r = qbtool(env,
            {QStringLiteral("restore"), QStringLiteral("books.qbf"),
                QStringLiteral("--deleted=1")});
        QCOMPARE(r.exitCode, 3);
        QCOMPARE(r.err,
            QStringLiteral("qbtool: books.qbf: There is no deleted transaction 1 in the bin.\n"));
        r = qbtool(env,
            {QStringLiteral("restore"), QStringLiteral("books.qbf"), QStringLiteral("--deleted"),
                QStringLiteral("x")});
        QCOMPARE(r.exitCode, 2);
        r = qbtool(env, {QStringLiteral("check"), QStringLiteral("books.qbf")});
        QCOMPARE(r.out, QString());
        QCOMPARE(r.exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TstBinCommand)
#include "tst_bincommand.moc"
