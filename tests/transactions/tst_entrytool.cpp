// qbtool's day and balance reports, run as the built program.
#include <QProcess>
#include <QtTest>

#include "TestSupport.h"
#include "engine/EntryReports.h"
#include "engine/ReportPage.h"
#include "engine/ShortDate.h"

using namespace qb;

class TstEntryTool : public QObject
{
    Q_OBJECT

    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };

    static Run qbtool(const QStringList& args)
    {
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/qbtool"), args);
        Run r;
        if (!p.waitForFinished(60000))
            return r;
        r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    test::TempEnv env;
    QString book;

private slots:
    void initTestCase()
    {
        book = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(book, test::sampleBookXml()));
    }

    void dayPageIsTheWindowsPage()
    {
        const Run r = qbtool({QStringLiteral("report"), book, QStringLiteral("day"),
            QStringLiteral("--date"), QStringLiteral("2013-01-10")});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.contains(QStringLiteral("<style type=\"text/css\">")));
        QVERIFY(r.out.contains(QStringLiteral("id=\"id201301102\"")));
        QVERIFY(!r.out.contains(QStringLiteral("January pay")));

        // The same page as the engine class gives, title and style included.
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::sampleBookXml()));
        DayListReport report;
        QVERIFY(report.load());
        QString page;
        Error error;
        QVERIFY(report.build(doc, QDate(2013, 1, 10),
            QStringLiteral("Entries on ") + ShortDateText(QDate(2013, 1, 10)), &page, &error));
        AddStyleHead(page);
        QCOMPARE(r.out.trimmed(), page.trimmed());
    }

    // A day whose total leaves the range of amounts: the page with the error
    // mark in place of the total, one line and exit 3, never a wrong figure.
    void dayBeyondTheRangeIsRefused()
    {
        QByteArray xml = test::sampleBookXml();
        xml.replace("<Trans>",
            "<Trans><t No=\"3\" dt=\"20130110\" fAc=\"1\" tAc=\"2\" Nar=\"\">900000000000000</t>"
            "<t No=\"4\" dt=\"20130110\" fAc=\"1\" tAc=\"2\" Nar=\"\">900000000000000</t>");
        const QString file = env.path(QStringLiteral("huge.qbf"));
        QVERIFY(test::writeDataFile(file, xml));
        const Run r = qbtool({QStringLiteral("report"), file, QStringLiteral("day"),
            QStringLiteral("--date"), QStringLiteral("20130110")});
        QCOMPARE(r.code, 3);
        QVERIFY(r.out.contains(Money::errorMark()));
        QVERIFY(!r.out.contains(QStringLiteral("1,800,000,000,000,000.00")));
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QCOMPARE(qbtool({QStringLiteral("report"), file, QStringLiteral("day"),
                            QStringLiteral("--date"), QStringLiteral("20130105")})
                     .code,
            0);
    }

    void balanceOfAnAccount_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("cash") << QStringLiteral("1") << QStringLiteral("20130201")
                              << QStringLiteral("242.25");
        QTest::newRow("salary") << QStringLiteral("3") << QStringLiteral("2013-12-31")
                                << QStringLiteral("-2500.00");
    }

    void balanceOfAnAccount()
    {
        QFETCH(QString, account);
        QFETCH(QString, date);
        QFETCH(QString, text);
        const Run r = qbtool({QStringLiteral("report"), book, QStringLiteral("balance"),
            QStringLiteral("--account"), account, QStringLiteral("--date"), date});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), text);
    }

    void wrongArgumentsAreUsageErrors()
    {
        Run r = qbtool({QStringLiteral("report"), book, QStringLiteral("day"),
            QStringLiteral("--date"), QStringLiteral("31-31-2013")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("--date")));
        r = qbtool({QStringLiteral("report"), book, QStringLiteral("balance"),
            QStringLiteral("--date"), QStringLiteral("20130101")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("--account")));
        // A code without an account head is an error, not a balance of 0.00.
        r = qbtool(
            {QStringLiteral("report"), book, QStringLiteral("balance"), QStringLiteral("--account"),
                QStringLiteral("99"), QStringLiteral("--date"), QStringLiteral("20130101")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count(QLatin1Char('\n')), 1);
        QVERIFY(r.err.contains(QStringLiteral("99")));
    }

    // Amounts at exactly half a cent: the balance is the decimal sum rounded
    // half away from zero, and check names each amount the window cannot write.
    void halfCentAmounts_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("3.685 in") << QStringLiteral("4") << QStringLiteral("20130110")
                                  << QStringLiteral("3.69");
        QTest::newRow("3.685 + 1.005 in")
            << QStringLiteral("4") << QStringLiteral("20130201") << QStringLiteral("4.69");
        QTest::newRow("300 in, 3.685 out")
            << QStringLiteral("1") << QStringLiteral("20130110") << QStringLiteral("296.32");
        QTest::newRow("300 in, 4.69 out")
            << QStringLiteral("1") << QStringLiteral("20130201") << QStringLiteral("295.31");
    }
    void halfCentAmounts()
    {
        QFETCH(QString, account);
        QFETCH(QString, date);
        QFETCH(QString, text);
        const QString halves = env.path(QStringLiteral("halves.qbf"));
        QVERIFY(test::writeDataFile(halves,
            test::sampleBookXml().replace(">45.5<", ">3.685<").replace(">12.25<", ">1.005<")));
        const Run r = qbtool({QStringLiteral("report"), halves, QStringLiteral("balance"),
            QStringLiteral("--account"), account, QStringLiteral("--date"), date});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out.trimmed(), text);

        const Run check = qbtool({QStringLiteral("check"), halves});
        QCOMPARE(check.code, 1);
        QCOMPARE(check.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
            (QStringList {QStringLiteral("transaction 3 (dt 20130110, No 2): amount \"3.685\" has "
                                         "more than two decimals"),
                QStringLiteral("transaction 4 (dt 20130201, No 1): amount \"1.005\" has more than "
                               "two decimals")}));
    }
};

QTEST_GUILESS_MAIN(TstEntryTool)
#include "tst_entrytool.moc"
