#include <QtTest>

#include "TestSupport.h"
#include "store/BookCheck.h"
#include "store/BookSchema.h"
#include "store/DataStore.h"
#include "store/Schedules.h"
#include "store/Utilities.h"

using namespace qb;

Q_DECLARE_METATYPE(qb::Schedule)

namespace {

QDate d(const char* iso)
{
    return QDate::fromString(QLatin1String(iso), Qt::ISODate);
}

QList<QDate> dates(std::initializer_list<const char*> isos)
{
    QList<QDate> list;
    for (const char* iso : isos)
        list.append(d(iso));
    return list;
}

Schedule rent(const QDate& first, RepeatUnit unit = RepeatUnit::Months, int every = 1)
{
    Schedule s;
    s.from = 2;
    s.to = 4;
    s.narration = QStringLiteral("Rent");
    s.amount = *Money::parse(u"1250.5");
    s.first = first;
    s.unit = unit;
    s.every = every;
    return s;
}

// The book's transactions as "yyyy-mm-dd No from>to amount narration".
QStringList transactions(const XmlDocument& doc)
{
    QStringList rows;
    ForEachTransaction(doc, [&](const BookTransaction& t) {
        rows << DocDateToDate(BookTransaction::numberOf(t.date)).toString(Qt::ISODate)
                + QLatin1Char(' ') + QString::fromUtf8(t.no) + QLatin1Char(' ')
                + QString::fromUtf8(t.from) + QLatin1Char('>') + QString::fromUtf8(t.to)
                + QLatin1Char(' ') + QString::fromUtf8(t.amountText) + QLatin1Char(' ')
                + QString::fromUtf8(t.narration);
    });
    return rows;
}

QStringList lines(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

QList<QDate> datesOf(const QList<Occurrence>& list)
{
    QList<QDate> out;
    for (const Occurrence& o : list)
        out.append(o.date);
    return out;
}

} // namespace

class TstSchedules : public QObject
{
    Q_OBJECT

private slots:
    // Month ends, leap days and year ends, each against dates written here.
    void occurrencesFallOnCalendarDates_data()
    {
        QTest::addColumn<Schedule>("schedule");
        QTest::addColumn<QDate>("after");
        QTest::addColumn<QDate>("upTo");
        QTest::addColumn<QList<QDate>>("expected");
        auto with = [](Schedule s, auto change) {
            change(s);
            return s;
        };
        QTest::newRow("31 Jan monthly, leap year")
            << rent(d("2024-01-31")) << QDate() << d("2024-06-30")
            << dates({"2024-01-31", "2024-02-29", "2024-03-31", "2024-04-30", "2024-05-31",
                   "2024-06-30"});
        QTest::newRow("31 Jan monthly, common year, after the February one")
            << rent(d("2023-01-31")) << d("2023-02-28") << d("2023-05-30")
            << dates({"2023-03-31", "2023-04-30"});
        QTest::newRow("29 Feb yearly")
            << rent(d("2024-02-29"), RepeatUnit::Years) << QDate() << d("2028-02-29")
            << dates({"2024-02-29", "2025-02-28", "2026-02-28", "2027-02-28", "2028-02-29"});
        QTest::newRow("every 2 weeks across the year end")
            << rent(d("2026-12-03"), RepeatUnit::Weeks, 2) << d("2026-12-03") << d("2027-01-28")
            << dates({"2026-12-17", "2026-12-31", "2027-01-14", "2027-01-28"});
        QTest::newRow("last day of the month from the 15th")
            << with(rent(d("2026-01-15")), [](Schedule& s) { s.lastDay = true; }) << QDate()
            << d("2026-04-29") << dates({"2026-01-31", "2026-02-28", "2026-03-31"});
        QTest::newRow("every 3 months on the 30th, over February")
            << rent(d("2025-11-30"), RepeatUnit::Months, 3) << d("2025-11-30") << d("2026-08-30")
            << dates({"2026-02-28", "2026-05-30", "2026-08-30"});
        QTest::newRow("every 3 days over the clock change, 3 times")
            << with(rent(d("2026-03-26"), RepeatUnit::Days, 3), [](Schedule& s) { s.count = 3; })
            << QDate() << d("2026-12-31") << dates({"2026-03-26", "2026-03-29", "2026-04-01"});
        QTest::newRow("until the day of an occurrence")
            << with(rent(d("2026-01-15")), [](Schedule& s) { s.until = d("2026-03-15"); })
            << QDate() << d("2026-12-31") << dates({"2026-01-15", "2026-02-15", "2026-03-15"});
        QTest::newRow("until the day before one")
            << with(rent(d("2026-01-15")), [](Schedule& s) { s.until = d("2026-03-14"); })
            << d("2026-01-15") << d("2026-12-31") << dates({"2026-02-15"});
        QTest::newRow("after the last one") << rent(d("2026-01-15"), RepeatUnit::Years, 2)
                                            << d("2030-01-15") << d("2031-12-31") << QList<QDate>();
    }

    void occurrencesFallOnCalendarDates()
    {
        QFETCH(Schedule, schedule);
        QFETCH(QDate, after);
        QFETCH(QDate, upTo);
        QFETCH(QList<QDate>, expected);
        QCOMPARE(schedule.occurrencesBetween(after, upTo), expected);
        // next() is the first one after the last dealt with.
        schedule.done = after;
        const QList<QDate> all = schedule.occurrencesBetween(after, d("2999-12-31"));
        QCOMPARE(schedule.next(), all.isEmpty() ? QDate() : all.first());
        if (!expected.isEmpty())
            QCOMPARE(schedule.next(), expected.first());
    }

    // A book kept shut for three months: every missed occurrence is due, not
    // only the last; a postponed schedule waits; automatic ones say so. The
    // schedules and their attributes survive a save, and check accepts them.
    void missedOccurrencesAreAllDue()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::sampleBookXml()));
        Schedule monthly = rent(d("2026-01-31"));
        monthly.done = d("2026-01-31");
        monthly.automatic = true;
        Schedule weekly = rent(d("2026-04-10"), RepeatUnit::Weeks);
        weekly.narration = QStringLiteral("Paper");
        weekly.amount = *Money::parse(u"3");
        Schedule waiting = rent(d("2026-02-01"));
        waiting.wait = d("2026-05-03");
        QCOMPARE(AddSchedule(doc, monthly), 1);
        QCOMPARE(AddSchedule(doc, weekly), 2);
        QCOMPARE(AddSchedule(doc, waiting), 3);
        QCOMPARE(BookCheck::problems(doc), QStringList());

        XmlDocument reread;
        QVERIFY(reread.loadXml(doc.toBytes()));
        const QList<Schedule> schedules = ReadSchedules(reread);
        QCOMPARE(schedules.size(), 3);
        QCOMPARE(schedules.at(0).done, d("2026-01-31"));
        QVERIFY(schedules.at(0).automatic && !schedules.at(1).automatic);
        QCOMPARE(schedules.at(2).wait, d("2026-05-03"));

        const QList<Occurrence> due = DueOccurrences(schedules, d("2026-05-02"));
        QCOMPARE(datesOf(due),
            dates({"2026-02-28", "2026-03-31", "2026-04-10", "2026-04-17", "2026-04-24",
                "2026-04-30", "2026-05-01"}));
        QCOMPARE(due.at(2).fields.narration, QStringLiteral("Paper"));
        QVERIFY(due.at(1).automatic && !due.at(2).automatic);
        // On the day it waited for, the postponed one is due from its first occurrence.
        QCOMPARE(DueOccurrences(schedules, d("2026-05-03")).size(), 7 + 4);
        // Coming ones ignore the wait.
        QCOMPARE(ComingOccurrences(schedules, d("2026-02-28")).size(), 2);
    }

    // Enter as it stands, with a changed amount or date, skip and postpone:
    // the transactions written and what is due afterwards.
    void decisionsOnDueOccurrences_data()
    {
        QTest::addColumn<QList<int>>("actions"); // per due occurrence: DueDecision::Action
        QTest::addColumn<bool>(
            "changed"); // the first entered one gets 99.99 on the 2nd of its month
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QList<QDate>>("dueAfter"); // still on 2026-04-29
        QTest::addColumn<int>("dueLater"); // on 2026-05-10, the postponement's day
        using A = DueDecision;
        QTest::newRow("enter all three")
            << QList<int> {A::Enter, A::Enter, A::Enter} << false
            << lines({"2026-01-31 1 2>4 1250.5 Rent", "2026-02-28 1 2>4 1250.5 Rent",
                   "2026-03-31 1 2>4 1250.5 Rent"})
            << QList<QDate>() << 1;
        QTest::newRow("enter the first changed, skip the second")
            << QList<int> {A::Enter, A::Skip, A::Enter} << true
            << lines({"2026-01-02 1 2>4 99.99 Rent", "2026-03-31 1 2>4 1250.5 Rent"})
            << QList<QDate>() << 1;
        QTest::newRow("skip all") << QList<int> {A::Skip, A::Skip, A::Skip} << false
                                  << QStringList() << QList<QDate>() << 1;
        QTest::newRow("postponing the second holds back the third")
            << QList<int> {A::Enter, A::Postpone, A::Enter} << false
            << lines({"2026-01-31 1 2>4 1250.5 Rent"}) << QList<QDate>() << 3;
        QTest::newRow("only the first decided") << QList<int> {A::Skip} << false << QStringList()
                                                << dates({"2026-02-28", "2026-03-31"}) << 3;
    }

    void decisionsOnDueOccurrences()
    {
        QFETCH(QList<int>, actions);
        QFETCH(bool, changed);
        QFETCH(QStringList, added);
        QFETCH(QList<QDate>, dueAfter);
        QFETCH(int, dueLater);
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::sampleBookXml()));
        const QStringList before = transactions(doc);
        AddSchedule(doc, rent(d("2026-01-31")));
        const QList<Occurrence> due = DueOccurrences(ReadSchedules(doc), d("2026-04-29"));
        QCOMPARE(due.size(), 3);
        QList<DueDecision> decisions = EnterAsTheyStand(due);
        decisions.resize(actions.size());
        for (qsizetype i = 0; i < actions.size(); ++i) {
            decisions[i].action = DueDecision::Action(actions.at(i));
            decisions[i].until = d("2026-05-10");
        }
        if (changed) {
            decisions[0].amount = *Money::parse(u"99.99");
            decisions[0].date = d("2026-01-02");
        }
        const DueOutcome outcome = ApplyDueDecisions(doc, decisions);
        QCOMPARE(transactions(doc), before + added);
        QCOMPARE(outcome.entered.size(), added.size());
        QCOMPARE(datesOf(DueOccurrences(ReadSchedules(doc), d("2026-04-29"))), dueAfter);
        QCOMPARE(DueOccurrences(ReadSchedules(doc), d("2026-05-10")).size(), dueLater);
        // The same decisions again enter nothing twice.
        QVERIFY(!ApplyDueDecisions(doc, decisions).changed()
            || actions.contains(DueDecision::Postpone));
        QCOMPARE(transactions(doc), before + added);
        QCOMPARE(BookCheck::problems(doc), QStringList());
    }

    // Automatic entry happens once: the book opened twice on one day, by two
    // programs in turn, each entering what is due and saving. While one
    // program holds the book, another opens it only read-only (and a store
    // without a host declines that).
    void automaticEntryHappensOnce()
    {
        test::TempEnv env;
        const QString file = env.path(QStringLiteral("book.qbf"));
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::sampleBookXml()));
        Schedule s = rent(d("2026-03-31"));
        s.automatic = true;
        AddSchedule(doc, s);
        AddSchedule(doc, rent(d("2026-04-01"))); // reminded only
        QVERIFY(test::writeDataFile(file, doc.toBytes()));
        const QDate today = d("2026-05-01");
        FixedClock clock(today);
        for (int opening = 1; opening <= 2; ++opening) {
            DataStore store;
            store.setClock(&clock);
            store.setSyncOnSave(false);
            QVERIFY(store.OpenDataFile(file));
            const DueOutcome outcome = EnterAutomatic(store.document(), today, &store.history());
            QCOMPARE(outcome.entered.size(), opening == 1 ? 2 : 0);
            if (opening == 1) {
                DataStore other;
                QVERIFY(!other.OpenDataFile(file));
                QCOMPARE(other.lastError().stage, BookStage::Locked);
                QVERIFY(store.SaveDocument());
            }
            QCOMPARE(DueOccurrences(ReadSchedules(store.document()), today).size(), 2);
            store.CloseDocument();
        }
        XmlDocument saved;
        QVERIFY(saved.loadXml(ReadDataFileBytes(file)));
        QCOMPARE(transactions(saved).mid(4),
            lines({"2026-03-31 1 2>4 1250.5 Rent", "2026-04-30 1 2>4 1250.5 Rent"}));
    }

    // Entering due occurrences is one undo step: undone, the book is as
    // before (the schedules due again), redone as after.
    void enteringIsOneUndoStep()
    {
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::sampleBookXml()));
        Schedule s = rent(d("2026-01-31"));
        s.automatic = true;
        AddSchedule(doc, s);
        AddSchedule(doc, rent(d("2026-03-15"), RepeatUnit::Weeks));
        const QByteArray before = doc.toBytes();
        UndoHistory history;
        const QList<Occurrence> due = DueOccurrences(ReadSchedules(doc), d("2026-03-31"));
        QCOMPARE(due.size(), 3 + 3);
        QCOMPARE(ApplyDueDecisions(doc, EnterAsTheyStand(due), &history).entered.size(), 6);
        const QByteArray after = doc.toBytes();
        QCOMPARE(history.undoCount(), 1);
        QCOMPARE(history.undoCaption(), QStringLiteral("entry of 6 scheduled transactions"));
        QCOMPARE(history.undo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(doc.toBytes(), before);
        QCOMPARE(DueOccurrences(ReadSchedules(doc), d("2026-03-31")).size(), 6);
        QCOMPARE(history.redo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(doc.toBytes(), after);
    }

    // A book without schedules gains no section by reading them; the first
    // schedule adds it and undoing that takes it away again. check names
    // what is wrong in a schedule.
    void theSectionIsOptional_data()
    {
        QTest::addColumn<QByteArray>("record");
        QTest::addColumn<QString>("problem");
        QTest::newRow("clean") << QByteArray(
            R"(<s Id="1" fAc="1" tAc="2" Nar="x" First="20260131" Every="1" Unit="m" LastDay="1" Count="2" Auto="1" Done="20260131">5</s>)")
                               << QString();
        QTest::newRow("same account")
            << QByteArray(
                   R"(<s Id="1" fAc="1" tAc="1" Nar="x" First="20260131" Every="1" Unit="m">5</s>)")
            << QStringLiteral("schedule 1 (Id 1): fAc and tAc are the same account");
        QTest::newRow("no head")
            << QByteArray(
                   R"(<s Id="1" fAc="1" tAc="9" Nar="x" First="20260131" Every="1" Unit="m">5</s>)")
            << QStringLiteral("schedule 1 (Id 1): fAc and tAc must be codes of account heads");
        QTest::newRow("unit") << QByteArray(
            R"(<s Id="1" fAc="1" tAc="2" Nar="x" First="20260131" Every="1" Unit="q">5</s>)")
                              << QStringLiteral("schedule 1 (Id 1): Unit must be d, w, m or y");
        QTest::newRow("every 1000") << QByteArray(
            R"(<s Id="1" fAc="1" tAc="2" Nar="x" First="20260131" Every="1000" Unit="d">5</s>)")
                                    << QStringLiteral("schedule 1 (Id 1): Every must be a number "
                                                      "from 1 to 999");
        QTest::newRow("30 February")
            << QByteArray(
                   R"(<s Id="1" fAc="1" tAc="2" Nar="x" First="20260230" Every="1" Unit="d">5</s>)")
            << QStringLiteral("schedule 1 (Id 1): First must be a date of eight digits (yyyymmdd)");
        QTest::newRow("amount") << QByteArray(
            R"(<s Id="1" fAc="1" tAc="2" Nar="x" First="20260131" Every="1" Unit="d">5.50</s>)")
                                << QStringLiteral("schedule 1 (Id 1): amount \"5.50\" is not a "
                                                  "plain positive number");
    }

    void theSectionIsOptional()
    {
        QFETCH(QByteArray, record);
        QFETCH(QString, problem);
        XmlDocument doc;
        QVERIFY(doc.loadXml(test::sampleBookXml()));
        const QByteArray plain = doc.toBytes();
        QVERIFY(ReadSchedules(doc).isEmpty());
        QCOMPARE(DueOccurrences(ReadSchedules(doc), d("2026-01-01")).size(), 0);
        QCOMPARE(doc.toBytes(), plain);
        UndoHistory history;
        AddSchedule(doc, rent(d("2026-01-01")), &history);
        QCOMPARE(test::sectionNames(doc).last(), schema::kSchedules);
        QCOMPARE(history.undo(doc).kind, UndoHistory::Outcome::Done);
        QCOMPARE(doc.toBytes(), plain);

        XmlDocument book;
        QByteArray xml = test::sampleBookXml();
        xml.replace("</Data>", QByteArray("<Schedules>" + record + "</Schedules></Data>"));
        QVERIFY(book.loadXml(xml));
        QCOMPARE(
            BookCheck::problems(book), problem.isEmpty() ? QStringList() : QStringList {problem});
        // A record that does not read as a schedule is left out, not guessed at.
        const bool readable = problem.isEmpty() || problem.contains(QStringLiteral("account"))
            || problem.contains(QStringLiteral("amount"));
        QCOMPARE(ReadSchedules(book).size(), readable ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TstSchedules)
#include "tst_schedules.moc"
