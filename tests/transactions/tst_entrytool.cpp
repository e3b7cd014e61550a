// qbtool's day and balance reports, run as the built program.
#include <QProcess>
#include <QtTest>

#include "EntryReports.h"
#include "ReportPage.h"
#include "ShortDate.h"
#include "TestSupport.h"

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

    void balanceOfAnAccount_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("text");
        QTest::newRow("cash") << QStringLiteral("1") << QStringLiteral("20130201") << QStringLiteral("242.25");
        QTest::newRow("salary") << QStringLiteral("3") << QStringLiteral("2013-12-31") << QStringLiteral("-2500.00");
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
        Run r = qbtool({QStringLiteral("report"), book, QStringLiteral("day"), QStringLiteral("--date"),
                        QStringLiteral("31-31-2013")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("--date")));
        r = qbtool({QStringLiteral("report"), book, QStringLiteral("balance"), QStringLiteral("--date"),
                    QStringLiteral("20130101")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.contains(QStringLiteral("--account")));
    }
};

QTEST_GUILESS_MAIN(TstEntryTool)
#include "tst_entrytool.moc"
