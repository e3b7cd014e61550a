// The sample book the program opens on its first start.

#include <QSet>
#include <QTest>

#include "TestSupport.h"
#include "shell/DemoBook.h"
#include "store/ClsAX.h"
#include "store/Money.h"
#include "store/Utilities.h"

using namespace qb;

class TestDemoBook : public QObject
{
    Q_OBJECT

private slots:
    void bookIsWellFormedAndEndsToday()
    {
        const QDate today(2013, 3, 15);
        const XmlDocument doc = MakeDemoBook(today);
        QStringList sections;
        for (const XmlNode& n : doc.documentElement().childElements())
            sections.append(n.name());
        QCOMPARE(sections.join(QLatin1Char(',')),
            QStringLiteral("AcMaster,PValue,Trans,Groups,Narration,I,DateRanges"));
        QVERIFY(!HasPassword(doc));

        const QList<XmlNode> accounts = doc.selectNodes(QStringLiteral("/Data/AcMaster/a"));
        QCOMPARE(accounts.size(), 14);
        for (int i = 0; i < accounts.size(); ++i) {
            QCOMPARE(accounts.at(i).attributeName(0), QStringLiteral("Code"));
            QCOMPARE(accounts.at(i).attributeValue(0).toInt(), i + 1);
        }
        QCOMPARE(doc.selectSingleNode(QStringLiteral("/Data/Groups/Group[.='Money']"))
                     .attribute(QStringLiteral("gi")),
            QStringLiteral(",1,2,3,"));

        const QList<XmlNode> trans = doc.selectNodes(QStringLiteral("/Data/Trans/t"));
        QVERIFY(trans.size() > 40);
        QSet<QString> keys;
        for (const XmlNode& t : trans) {
            QCOMPARE(t.attributeName(0), QStringLiteral("No"));
            const int dt = t.attribute(QStringLiteral("dt")).toInt();
            QVERIFY(dt >= 20121201 && dt <= 20130315);
            QVERIFY(t.attribute(QStringLiteral("fAc")) != t.attribute(QStringLiteral("tAc")));
            QCOMPARE(
                Money::parse(t.text()).value_or(Money()).toText(), t.text()); // plain decimal form
            QVERIFY(t.text().toDouble() > 0);
            const QString nar = t.attribute(QStringLiteral("Nar"));
            QCOMPARE(AllowedCharsOnly(nar), nar);
            keys.insert(t.attribute(QStringLiteral("dt")) + QLatin1Char('/') + t.attributeValue(0));
        }
        QCOMPARE(keys.size(), trans.size()); // a transaction's date and number identify it
        // Several transactions on one day are numbered from 1.
        QCOMPARE(doc.selectNodes(QStringLiteral("/Data/Trans/t[@dt=20121201]")).size(), 4);
        QVERIFY(doc.selectSingleNode(QStringLiteral("/Data/Trans/t[@dt=20121201][@No=4]")));
        QVERIFY(doc.selectSingleNode(QStringLiteral("/Data/Trans/t[@dt=20130315]")));

        const XmlNode range = doc.selectSingleNode(QStringLiteral("/Data/DateRanges/DR"));
        QCOMPARE(range.attributeName(2), QStringLiteral("Caption"));
        QCOMPARE(range.attributeValue(0), QStringLiteral("20130101"));
    }

    void writtenBookOpens()
    {
        test::TempEnv env;
        const QString path = env.path(QStringLiteral("demo.qbf"));
        QVERIFY(WriteDemoBook(test::sharedStore(), path, QDate(2020, 1, 31)));
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::readDataFile(path)));
        QCOMPARE(doc.selectNodes(QStringLiteral("/Data/AcMaster/a")).size(), 14);
        QVERIFY(test::sharedStore().OpenDataFile(path));
        test::sharedStore().CloseDocument();
    }
};

QTEST_GUILESS_MAIN(TestDemoBook)
#include "tst_demobook.moc"
