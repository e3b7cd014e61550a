// qbtool schedule, due and report upcoming, run as the built program, in
// turn with the program's store on the same book.
#include <QProcess>
#include <QtTest>

#include "TestSupport.h"
#include "store/BookSchema.h"
#include "store/DataStore.h"
#include "store/Schedules.h"

using namespace qb;

class TstScheduleCommand : public QObject
{
    Q_OBJECT

    using Run = test::ToolRun;
    static Run qbtool(const test::TempEnv& env, const QStringList& args)
    {
        return test::runQbtool(env.folder(), args);
    }
    static QStringList words(const char* text)
    {
        return QString::fromUtf8(text).split(QLatin1Char(' '));
    }
    static int transactionCount(const QString& file)
    {
        XmlDocument doc;
        doc.loadXml(ReadDataFileBytes(file));
        int n = 0;
        ForEachTransaction(doc, [&n](const BookTransaction&) { ++n; });
        return n;
    }

private slots:
    // Automatic ones entered by the program, the reminded ones by qbtool,
    // each once; qbtool keeps off a book the program has open.
    void dueOccurrencesAreEnteredOnce()
    {
        test::TempEnv env;
        const QString file = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(file, test::sampleBookXml()));
        Run r = qbtool(env,
            words("schedule add books.qbf --from 2 --to 4 --amount 100 --narration Rent "
                  "--first 2013-01-31 --every 1 months --auto"));
        QCOMPARE(r.out, QStringLiteral("1\n"));
        r = qbtool(env,
            words("schedule add books.qbf --from 3 --to 2 --amount 2500.5 --first 20130125 "
                  "--every 2 weeks --count 3")
                << QStringLiteral("--narration") << QStringLiteral("Pay, net"));
        QCOMPARE(r.out, QStringLiteral("2\n"));
        r = qbtool(env, words("due books.qbf --date 2013-03-31"));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
            QStringLiteral("2013-01-25\t2500.5\tSalary\tBank\tPay, net\tremind\n"
                           "2013-01-31\t100\tBank\tFood\tRent\tauto\n"
                           "2013-02-08\t2500.5\tSalary\tBank\tPay, net\tremind\n"
                           "2013-02-22\t2500.5\tSalary\tBank\tPay, net\tremind\n"
                           "2013-02-28\t100\tBank\tFood\tRent\tauto\n"
                           "2013-03-31\t100\tBank\tFood\tRent\tauto\n"));

        FixedClock clock(QDate(2013, 3, 31));
        for (int opening = 1; opening <= 2; ++opening) {
            DataStore store;
            store.setClock(&clock);
            store.setSyncOnSave(false);
            QVERIFY(store.OpenDataFile(file));
            if (opening == 1) {
                r = qbtool(env, words("due books.qbf --enter --date 2013-03-31"));
                QCOMPARE(r.exitCode, 3);
                QVERIFY(r.err.contains(QStringLiteral("open")));
            }
            const DueOutcome outcome
                = EnterAutomatic(store.document(), clock.today(), &store.history());
            QCOMPARE(outcome.entered.size(), opening == 1 ? 3 : 0);
            QVERIFY(store.SaveDocument());
            store.CloseDocument();
            r = qbtool(env, words("due books.qbf --enter --date 2013-03-31"));
            QCOMPARE(r.out.count(QStringLiteral("\tremind\n")), opening == 1 ? 3 : 0);
            QVERIFY(r.out.endsWith(
                opening == 1 ? QStringLiteral("entered 3\n") : QStringLiteral("entered 0\n")));
        }
        QCOMPARE(transactionCount(file), 4 + 3 + 3);

        r = qbtool(env, words("report books.qbf upcoming --to 20130531 --csv"));
        QCOMPARE(r.out,
            QStringLiteral("date,amount,from,to,narration\r\n"
                           "2013-04-30,100,Bank,Food,Rent\r\n"
                           "2013-05-31,100,Bank,Food,Rent\r\n"));
        r = qbtool(env, words("schedule list books.qbf"));
        QCOMPARE(r.out,
            QStringLiteral(
                "1\t2013-04-30\t100\tBank\tFood\tevery month on day 31\tauto\tRent\n"
                "2\t-\t2500.5\tSalary\tBank\tevery 2 weeks, 3 times\tremind\tPay, net\n"));
        QCOMPARE(qbtool(env, words("check books.qbf")).exitCode, 0);
        r = qbtool(env, words("schedule remove books.qbf --id 1"));
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(qbtool(env, words("report books.qbf upcoming --to 20130531")).out, QString());
        QCOMPARE(transactionCount(file), 10);
    }

    void wrongSchedulesAreRefused_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("line");
        const QString add
            = QStringLiteral("schedule add books.qbf --from 2 --to 4 --amount 5 --first 20130131 ");
        QTest::newRow("unit") << add + QStringLiteral("--every 1 fortnights")
                              << QStringLiteral(
                                     "--every takes a number and days, weeks, months or years");
        QTest::newRow("every 0")
            << add + QStringLiteral("--every 0 days")
            << QStringLiteral("the repetition must be every 1 to 999 days, weeks, months or years");
        QTest::newRow("last day weekly") << add + QStringLiteral("--every 1 weeks --last-day")
                                         << QStringLiteral("--last-day goes with --every N months");
        QTest::newRow("both ends")
            << add + QStringLiteral("--every 1 weeks --until 20130301 --count 2")
            << QStringLiteral("add takes --until or --count, not both");
        QTest::newRow("ends before it starts")
            << add + QStringLiteral("--every 1 weeks --until 20130130")
            << QStringLiteral("the last date is before the first");
        QTest::newRow("no account") << QStringLiteral(
            "schedule add books.qbf --from 2 --to 5 --amount 5 --first 20130131 "
            "--every 1 days") << QStringLiteral("the book has no account with code 5");
        QTest::newRow("no schedule") << QStringLiteral("schedule remove books.qbf --id 1")
                                     << QStringLiteral("the book has no schedule 1");
        QTest::newRow("action") << QStringLiteral("schedule move books.qbf")
                                << QStringLiteral("schedule takes list, add or remove, not move");
    }

    void wrongSchedulesAreRefused()
    {
        QFETCH(QString, args);
        QFETCH(QString, line);
        test::TempEnv env;
        const QString file = env.path(QStringLiteral("books.qbf"));
        QVERIFY(test::writeDataFile(file, test::sampleBookXml()));
        const QByteArray before = test::fileBytes(file);
        const Run r = qbtool(env, args.split(QLatin1Char(' ')));
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.err.section(QLatin1Char('\n'), 0, 0), QStringLiteral("qbtool: ") + line);
        QCOMPARE(test::fileBytes(file), before);
    }
};

QTEST_GUILESS_MAIN(TstScheduleCommand)
#include "tst_schedulecommand.moc"
