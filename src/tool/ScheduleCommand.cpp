// "qbtool schedule" and "qbtool due": scheduled transactions listed, added
// and removed, and the due ones shown or entered, as the program does when
// it opens the book.

#include "engine/ScheduleLines.h"
#include "store/BookGuard.h"
#include "store/BookSchema.h"
#include "store/Clock.h"
#include "store/MasterEdits.h"
#include "store/Schedules.h"
#include "store/Utilities.h"
#include "tool/Commands.h"

namespace qb {

namespace {

const QString kEvery = QStringLiteral("every");
const QStringList kUnitWords = {QStringLiteral("days"), QStringLiteral("weeks"),
    QStringLiteral("months"), QStringLiteral("years")};

// Reads, changes and writes a book under its lock: the program and other
// commands keep off it meanwhile, so a due occurrence is entered once.
class BookWritingCommand : public BookCommand
{
protected:
    using BookCommand::BookCommand;

    int openForWriting(const QString& file, BookLock* lock, Book* book)
    {
        if (const int rc = lockBook(file, lock))
            return rc;
        return openBook(file, book);
    }
    int save(const QString& file, const Book& book)
    {
        BookWriteOptions write;
        write.key = book.key.get();
        if (const QString why = WriteBookText(book.document.toBytes(), file, write); !why.isEmpty())
            return fail(why);
        return kOk;
    }
};

class ScheduleCommand final : public BookWritingCommand
{
public:
    ScheduleCommand()
        : BookWritingCommand(QStringLiteral("schedule"),
            QStringLiteral(
                "schedule list FILE.qbf\n"
                "schedule add FILE.qbf --from CODE --to CODE --amount A --narration TEXT\n"
                "             --first DATE --every N days|weeks|months|years [--last-day]\n"
                "             [--until DATE | --count N] [--auto] [--force-unlock]\n"
                "schedule remove FILE.qbf --id ID [--force-unlock]"),
            QStringLiteral("List, add or remove the book's scheduled transactions."),
            QStringLiteral(
                "list prints one schedule a line, separated by tabs: its id, its next date\n"
                "(yyyy-mm-dd, or - when it has ended), amount, From and To account names, the\n"
                "repetition, auto or remind, and the narration.\n"
                "add keeps a new schedule and prints its id: the transaction repeats every N\n"
                "days, weeks, months or years from the first date; a monthly one falls on the\n"
                "first date's day (on the last day of a shorter month) or, with --last-day, on\n"
                "the last day of each month. --until ends it on a date, --count after N\n"
                "occurrences. --auto enters it when it is due without asking (the program on\n"
                "opening the book, or qbtool due --enter); otherwise it is only reminded.\n"
                "remove deletes the schedule ID; transactions it entered stay.\n"
                "add and remove write the book with its .bak."))
    {
        setArguments({QStringLiteral("list|add|remove"), QStringLiteral("FILE.qbf")});
        addValue({QStringLiteral("from")}, QStringLiteral("CODE"),
            QStringLiteral("add: the account the money comes from"));
        addValue({QStringLiteral("to")}, QStringLiteral("CODE"),
            QStringLiteral("add: the account the money goes to"));
        addValue({QStringLiteral("amount")}, QStringLiteral("A"),
            QStringLiteral("add: the amount, up to 9 digits and 2 decimals"));
        addValue({QStringLiteral("narration")}, QStringLiteral("TEXT"),
            QStringLiteral("add: the narration"));
        addValue({QStringLiteral("first")}, QStringLiteral("DATE"),
            QStringLiteral("add: the first date"));
        addValue({kEvery}, QStringLiteral("N UNIT"),
            QStringLiteral("add: the repetition, e.g. --every 1 months or --every 2 weeks"));
        addFlag({QStringLiteral("last-day")},
            QStringLiteral("add: a monthly one on the last day of each month"));
        addValue({QStringLiteral("until")}, QStringLiteral("DATE"),
            QStringLiteral("add: the last day an occurrence may fall on"));
        addValue({QStringLiteral("count")}, QStringLiteral("N"),
            QStringLiteral("add: the number of occurrences"));
        addFlag({QStringLiteral("auto")}, QStringLiteral("add: enter it without asking"));
        addValue({QStringLiteral("id")}, QStringLiteral("ID"),
            QStringLiteral("remove: the schedule's id (schedule list shows it)"));
        addForceUnlock();
    }

private:
    // --every N UNIT is one value.
    bool prepare(QStringList& args, QString* error) const override
    {
        for (qsizetype i = 0; i < args.size() && args[i] != QStringLiteral("--"); ++i) {
            if (args[i] != QStringLiteral("--every"))
                continue;
            if (i + 2 >= args.size() || !kUnitWords.contains(args[i + 2])) {
                *error = QStringLiteral("--every takes a number and days, weeks, months or years");
                return false;
            }
            const QString glued
                = QStringLiteral("--every=") + args[i + 1] + QLatin1Char(' ') + args[i + 2];
            args.remove(i, 3);
            args.insert(i, glued);
        }
        return true;
    }

    int run() override
    {
        const QString action = argument(0);
        const QString file = argument(1);
        if (action == QStringLiteral("list")) {
            Book book;
            if (const int rc = openBook(file, &book))
                return rc;
            return list(book.document);
        }
        if (action != QStringLiteral("add") && action != QStringLiteral("remove"))
            return usageError(QStringLiteral("schedule takes list, add or remove, not ") + action);
        Schedule schedule;
        int id = 0;
        if (action == QStringLiteral("add")) {
            if (const QString why = readSchedule(&schedule); !why.isEmpty())
                return usageError(why);
        } else {
            bool ok = false;
            id = value(QStringLiteral("id")).toInt(&ok);
            if (!ok || id < 1)
                return usageError(QStringLiteral("remove needs --id ID"));
        }
        BookLock lock;
        Book book;
        if (const int rc = openForWriting(file, &lock, &book))
            return rc;
        if (action == QStringLiteral("add")) {
            for (const int code : {schedule.from, schedule.to}) {
                if (FindAccount(book.document, code).isNull())
                    return fail(QStringLiteral("the book has no account with code ")
                            + QString::number(code),
                        kUsage);
            }
            id = AddSchedule(book.document, schedule);
        } else if (!RemoveSchedule(book.document, id)) {
            return fail(QStringLiteral("the book has no schedule ") + QString::number(id), kUsage);
        }
        if (const int rc = save(file, book))
            return rc;
        if (action == QStringLiteral("add"))
            out() << id << '\n';
        return kOk;
    }

    int list(const XmlDocument& document)
    {
        for (const Schedule& s : ReadSchedules(document)) {
            Occurrence o;
            o.fields = {0, s.from, s.to, s.narration, s.amount};
            o.date = s.next();
            QString line = OccurrenceLines(document, {o}, false).value(0);
            if (!o.date.isValid())
                line.replace(0, line.indexOf(QLatin1Char('\t')), QStringLiteral("-"));
            // The narration goes last, after the repetition.
            line.truncate(line.lastIndexOf(QLatin1Char('\t')));
            out() << s.id << '\t' << line << '\t' << s.repetitionText() << '\t'
                  << (s.automatic ? "auto" : "remind") << '\t' << s.narration << '\n';
        }
        return kOk;
    }

    // The schedule the options describe; empty, or what is wrong.
    QString readSchedule(Schedule* s) const
    {
        bool ok = false;
        s->from = value(QStringLiteral("from")).toInt(&ok);
        if (!ok)
            return QStringLiteral("add needs --from CODE");
        s->to = value(QStringLiteral("to")).toInt(&ok);
        if (!ok)
            return QStringLiteral("add needs --to CODE");
        const std::optional<Money> amount = Money::parseEntry(value(QStringLiteral("amount")));
        if (!amount)
            return QStringLiteral("--amount takes an amount of up to 9 digits and 2 decimals");
        s->amount = *amount;
        s->narration = NarrationText(value(QStringLiteral("narration")));
        s->first = CommandDate(value(QStringLiteral("first")));
        if (!s->first.isValid())
            return QStringLiteral("add needs --first DATE (yyyymmdd or yyyy-mm-dd)");
        const QStringList every = value(kEvery).split(QLatin1Char(' '));
        s->every = every.value(0).toInt(&ok);
        if (!ok || every.size() != 2)
            return QStringLiteral("add needs --every N days|weeks|months|years");
        s->unit = RepeatUnit(kUnitWords.indexOf(every.at(1)));
        s->lastDay = isSet(QStringLiteral("last-day"));
        if (s->lastDay && s->unit != RepeatUnit::Months)
            return QStringLiteral("--last-day goes with --every N months");
        if (isSet(QStringLiteral("until")) && isSet(QStringLiteral("count")))
            return QStringLiteral("add takes --until or --count, not both");
        if (isSet(QStringLiteral("until"))) {
            s->until = CommandDate(value(QStringLiteral("until")));
            if (!s->until.isValid())
                return QStringLiteral("--until takes a date (yyyymmdd or yyyy-mm-dd)");
        }
        if (isSet(QStringLiteral("count"))) {
            s->count = value(QStringLiteral("count")).toInt(&ok);
            if (!ok || s->count < 1)
                return QStringLiteral("--count takes a number of 1 or more");
        }
        s->automatic = isSet(QStringLiteral("auto"));
        return s->problem();
    }
};

class DueCommand final : public BookWritingCommand
{
public:
    DueCommand()
        : BookWritingCommand(QStringLiteral("due"),
            QStringLiteral("due FILE.qbf [--enter] [--date D] [--force-unlock]"),
            QStringLiteral("Show (or enter) the scheduled transactions that are due."),
            QStringLiteral(
                "Prints each occurrence due by today (or D) that has not been entered or\n"
                "skipped, every missed one included, one a line separated by tabs: date\n"
                "(yyyy-mm-dd), amount, From and To account names, narration, auto or remind.\n"
                "Postponed ones are left out until the day they were postponed to.\n"
                "With --enter, every one of them (automatic and reminded) is entered as a\n"
                "transaction on its date, in one save of the book with its .bak; each is\n"
                "entered once, as the schedule remembers it, and \"entered N\" closes the list."))
    {
        setArguments({QStringLiteral("FILE.qbf")});
        addFlag({QStringLiteral("enter")}, QStringLiteral("enter them into the book"));
        addValue({QStringLiteral("date")}, QStringLiteral("D"),
            QStringLiteral("what is due by D instead of today"));
        addForceUnlock();
    }

private:
    int run() override
    {
        QDate today = SystemClock().today();
        if (isSet(QStringLiteral("date"))) {
            today = CommandDate(value(QStringLiteral("date")));
            if (!today.isValid())
                return usageError(QStringLiteral("--date takes a date (yyyymmdd or yyyy-mm-dd)"));
        }
        const QString file = argument(0);
        const bool enter = isSet(QStringLiteral("enter"));
        BookLock lock;
        Book book;
        if (const int rc = enter ? openForWriting(file, &lock, &book) : openBook(file, &book))
            return rc;
        const QList<Occurrence> due = DueOccurrences(ReadSchedules(book.document), today);
        const QStringList lines = OccurrenceLines(book.document, due, false);
        for (qsizetype i = 0; i < due.size(); ++i)
            out() << lines.at(i) << '\t' << (due.at(i).automatic ? "auto" : "remind") << '\n';
        if (!enter)
            return kOk;
        const DueOutcome outcome = ApplyDueDecisions(book.document, EnterAsTheyStand(due));
        if (outcome.changed()) {
            if (const int rc = save(file, book))
                return rc;
        }
        out() << "entered " << outcome.entered.size() << '\n';
        return kOk;
    }
};

} // namespace

std::unique_ptr<Command> MakeScheduleCommand()
{
    return std::make_unique<ScheduleCommand>();
}

std::unique_ptr<Command> MakeDueCommand()
{
    return std::make_unique<DueCommand>();
}

} // namespace qb
