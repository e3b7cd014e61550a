#include <QtTest>

#include "TestSupport.h"
#include "store/BookEdits.h"
#include "store/DataStore.h"

using namespace qb;

class TstBookEdits : public QObject
{
    Q_OBJECT

    static XmlDocument book()
    {
        XmlDocument doc;
        doc.loadXml(test::sampleBookXml());
        return doc;
    }
    static TransactionFields on(int date, const char* amount = "1")
    {
        TransactionFields f;
        f.date = date;
        f.from = 1;
        f.to = 2;
        f.narration = QStringLiteral("n");
        f.amount = *Money::parse(QString::fromLatin1(amount));
        return f;
    }

private slots:
    void newTransactionsNumberWithinTheirDate()
    {
        XmlDocument doc = book();
        QCOMPARE(AddTransaction(doc, on(20130110, "12.5")), (TransactionKey {20130110, 3}));
        QCOMPARE(AddTransaction(doc, on(20200101)), (TransactionKey {20200101, 1}));
        QCOMPARE(AddTransaction(doc, on(20130110)), (TransactionKey {20130110, 4}));
        const XmlNode t = FindTransaction(doc, {20130110, 3});
        QCOMPARE(t.xml(),
            QStringLiteral("<t No=\"3\" dt=\"20130110\" fAc=\"1\" tAc=\"2\" Nar=\"n\">12.5</t>"));
        QVERIFY(FindTransaction(doc, {20130110, 9}).isNull());
    }

    void editKeepsOrMovesTheNumber()
    {
        XmlDocument doc = book();
        XmlNode t = FindTransaction(doc, {20130110, 1});
        QCOMPARE(UpdateTransaction(doc, t, on(20130110, "7")), (TransactionKey {20130110, 1}));
        // Moved to a date whose last-placed transaction has number 1, after a
        // transaction placed earlier took 2 there: the move takes 3.
        XmlNode first = FindTransaction(doc, {20130105, 1});
        QCOMPARE(UpdateTransaction(doc, first, on(20130201)), (TransactionKey {20130201, 2}));
        QCOMPARE(UpdateTransaction(doc, t, on(20130201)), (TransactionKey {20130201, 3}));
        QCOMPARE(AddTransaction(doc, on(20130201)), (TransactionKey {20130201, 4}));
        // Elements keep their places in the file.
        QCOMPARE(doc.selectSingleNode(QStringLiteral("/Data/Trans/t[1]"))
                     .attribute(QStringLiteral("No")),
            QStringLiteral("2"));
    }

    void deletingTheLastNumberFreesIt()
    {
        XmlDocument doc = book();
        XmlNode trans = doc.selectSingleNode(QStringLiteral("/Data/Trans"));
        trans.removeChild(FindTransaction(doc, {20130110, 2}));
        QCOMPARE(AddTransaction(doc, on(20130110)), (TransactionKey {20130110, 2}));
    }

    // The next number follows the highest of the date, not the count: a gap
    // left by a deletion is not filled, and a move to an empty date starts at 1.
    void numbersAfterAGapAndAfterAMove()
    {
        XmlDocument doc = book();
        XmlNode trans = doc.selectSingleNode(QStringLiteral("/Data/Trans"));
        trans.removeChild(FindTransaction(doc, {20130110, 1}));
        QCOMPARE(AddTransaction(doc, on(20130110)), (TransactionKey {20130110, 3}));
        QCOMPARE(UpdateTransaction(doc, FindTransaction(doc, {20130110, 2}), on(20200101)),
            (TransactionKey {20200101, 1}));
        QVERIFY(FindTransaction(doc, {20130110, 2}).isNull());
    }

    void accountCodesFollowTheLastHead()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(QByteArray("<Data><AcMaster/><Trans/></Data>")));
        QCOMPARE(AddAccountHead(doc, QStringLiteral("A")), 1);
        QCOMPARE(AddAccountHead(doc, QStringLiteral("B")), 2);
        QCOMPARE(AddAccountHead(doc, QStringLiteral(" C ")), 3);
        XmlNode heads = doc.selectSingleNode(QStringLiteral("/Data/AcMaster"));
        QCOMPARE(heads.childElement(2).xml(), QStringLiteral("<a Code=\"3\" AcName=\" C \"/>"));
        heads.removeChild(heads.childElement(2));
        QCOMPARE(AddAccountHead(doc, QStringLiteral("D")), 3); // the last code is free again
        heads.removeChild(heads.childElement(1));
        QCOMPARE(AddAccountHead(doc, QStringLiteral("E")), 4); // other codes are never reused
    }
};

QTEST_GUILESS_MAIN(TstBookEdits)
#include "tst_bookedits.moc"
