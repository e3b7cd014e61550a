#include "store/Schedules.h"

#include <algorithm>

#include <QHash>
#include <QSet>

#include "store/BookSchema.h"
#include "store/Utilities.h"

namespace qb {

namespace {

const QString kUnitLetters = QStringLiteral("dwmy");

QChar unitLetter(RepeatUnit unit)
{
    return kUnitLetters.at(int(unit));
}

QDate bookDate(const XmlNode& node, const QString& name)
{
    return DocDateToDate(node.attribute(name).toInt());
}

// A calendar date with the day cut to the month's length.
QDate clampedDate(int year, int month, int day)
{
    const QDate firstOfMonth(year, month, 1);
    return firstOfMonth.isValid() ? QDate(year, month, std::min(day, firstOfMonth.daysInMonth()))
                                  : QDate();
}

std::optional<Schedule> readSchedule(const XmlNode& s)
{
    using namespace schema;
    Schedule r;
    bool ok = false;
    r.id = s.attribute(kScheduleId).toInt(&ok);
    if (!ok || r.id < 1)
        return std::nullopt;
    r.from = s.attribute(kFrom).toInt();
    r.to = s.attribute(kTo).toInt();
    r.narration = s.attribute(kNar);
    const std::optional<Money> amount = Money::fromBook(s.text());
    r.first = bookDate(s, kFirst);
    r.every = s.attribute(kEvery).toInt();
    const qsizetype unit = kUnitLetters.indexOf(s.attribute(kUnit));
    if (!amount || !r.first.isValid() || r.every < 1 || r.every > Schedule::kMaxEvery || unit < 0
        || s.attribute(kUnit).size() != 1)
        return std::nullopt;
    r.amount = *amount;
    r.unit = RepeatUnit(unit);
    r.lastDay = s.attribute(kLastDay) == QStringLiteral("1");
    r.until = bookDate(s, kUntil);
    r.count = std::max(0, s.attribute(kCount).toInt());
    r.automatic = s.attribute(kAuto) == QStringLiteral("1");
    r.done = bookDate(s, kDone);
    r.wait = bookDate(s, kWait);
    return r;
}

// The attributes in their order: the required ones, then those that apply.
void writeSchedule(XmlNode s, const Schedule& r)
{
    using namespace schema;
    while (s.attributeCount() > 0)
        s.removeAttribute(s.attributeName(0));
    s.setAttribute(kScheduleId, r.id);
    s.setAttribute(kFrom, r.from);
    s.setAttribute(kTo, r.to);
    s.setAttribute(kNar, NarrationText(r.narration));
    s.setAttribute(kFirst, DateToDocDate(r.first));
    s.setAttribute(kEvery, r.every);
    s.setAttribute(kUnit, QString(unitLetter(r.unit)));
    if (r.lastDay && r.unit == RepeatUnit::Months)
        s.setAttribute(kLastDay, 1);
    if (r.until.isValid())
        s.setAttribute(kUntil, DateToDocDate(r.until));
    else if (r.count > 0)
        s.setAttribute(kCount, r.count);
    if (r.automatic)
        s.setAttribute(kAuto, 1);
    if (r.done.isValid())
        s.setAttribute(kDone, DateToDocDate(r.done));
    if (r.wait.isValid())
        s.setAttribute(kWait, DateToDocDate(r.wait));
    s.setText(r.amount.toText());
}

XmlNode findRecord(const XmlDocument& document, int id)
{
    const XmlNode section = SchedulesSection(document);
    if (!section)
        return {};
    const QList<XmlNode> found
        = section.childElementsWithAttribute({schema::kScheduleId}, QString::number(id));
    return found.isEmpty() ? XmlNode() : found.first();
}

QString scheduleCaption(const QString& what, int id)
{
    return what + QStringLiteral(" of schedule ") + QString::number(id);
}

QList<Occurrence> occurrencesUpTo(
    const QList<Schedule>& schedules, const QDate& upTo, const QDate& today)
{
    QList<Occurrence> list;
    for (const Schedule& s : schedules) {
        if (today.isValid() && s.wait.isValid() && s.wait > today)
            continue;
        for (const QDate& date : s.occurrencesBetween(s.done, upTo)) {
            Occurrence o;
            o.scheduleId = s.id;
            o.date = date;
            o.fields = {DateToDocDate(date), s.from, s.to, s.narration, s.amount};
            o.automatic = s.automatic;
            list.append(o);
        }
    }
    std::stable_sort(list.begin(), list.end(),
        [](const Occurrence& a, const Occurrence& b) { return a.date < b.date; });
    return list;
}

} // namespace

QDate Schedule::occurrence(int k) const
{
    if (k < 0 || !first.isValid() || every < 1 || (count > 0 && k >= count))
        return {};
    QDate date;
    const qint64 steps = qint64(k) * every;
    switch (unit) {
    case RepeatUnit::Days:
        date = first.addDays(steps);
        break;
    case RepeatUnit::Weeks:
        date = first.addDays(steps * 7);
        break;
    case RepeatUnit::Months: {
        const qint64 month = qint64(first.month()) - 1 + steps;
        const qint64 year = first.year() + month / 12;
        if (year > 9999)
            return {};
        const int day = lastDay ? 31 : first.day();
        date = clampedDate(int(year), int(month % 12) + 1, day);
        break;
    }
    case RepeatUnit::Years:
        if (first.year() + steps > 9999)
            return {};
        date = clampedDate(int(first.year() + steps), first.month(), first.day());
        break;
    }
    if (!date.isValid() || (until.isValid() && date > until))
        return {};
    return date;
}

int Schedule::indexNear(const QDate& after) const
{
    // A little short of the first index after `after`: the occurrences only
    // grow with the index.
    if (!after.isValid() || after < first)
        return 0;
    int k = 0;
    switch (unit) {
    case RepeatUnit::Days:
    case RepeatUnit::Weeks:
        k = int(first.daysTo(after) / (qint64(every) * (unit == RepeatUnit::Weeks ? 7 : 1)));
        break;
    case RepeatUnit::Months:
        k = ((after.year() - first.year()) * 12 + after.month() - first.month()) / every - 1;
        break;
    case RepeatUnit::Years:
        k = (after.year() - first.year()) / every - 1;
        break;
    }
    return std::max(k, 0);
}

QList<QDate> Schedule::occurrencesBetween(const QDate& after, const QDate& upTo) const
{
    QList<QDate> dates;
    if (!upTo.isValid())
        return dates;
    int k = indexNear(after);
    for (QDate date = occurrence(k); date.isValid() && date <= upTo; date = occurrence(++k)) {
        if (!after.isValid() || date > after)
            dates.append(date);
    }
    return dates;
}

QDate Schedule::next() const
{
    int k = indexNear(done);
    QDate date = occurrence(k);
    while (date.isValid() && done.isValid() && date <= done)
        date = occurrence(++k);
    return date;
}

QString Schedule::repetitionText() const
{
    static const char* const names[] = {"day", "week", "month", "year"};
    QString text = QStringLiteral("every ");
    if (every > 1)
        text += QString::number(every) + QLatin1Char(' ');
    text += QLatin1String(names[int(unit)]);
    if (every > 1)
        text += QLatin1Char('s');
    if (unit == RepeatUnit::Months)
        text += lastDay ? QStringLiteral(" on the last day")
                        : QStringLiteral(" on day ") + QString::number(first.day());
    if (until.isValid())
        text += QStringLiteral(" until ") + until.toString(QStringLiteral("yyyy-MM-dd"));
    else if (count > 0)
        text += QStringLiteral(", ") + QString::number(count) + QStringLiteral(" times");
    return text;
}

QString Schedule::problem() const
{
    if (from < 1 || to < 1)
        return QStringLiteral("a schedule needs a From and a To account");
    if (from == to)
        return QStringLiteral("From and To are the same account");
    if (amount <= Money())
        return QStringLiteral("the amount must be more than 0");
    if (!first.isValid())
        return QStringLiteral("a schedule needs a first date");
    if (every < 1 || every > kMaxEvery)
        return QStringLiteral("the repetition must be every 1 to 999 days, weeks, months or years");
    if (until.isValid() && until < first)
        return QStringLiteral("the last date is before the first");
    if (count < 0)
        return QStringLiteral("the count must be 1 or more");
    return {};
}

XmlNode SchedulesSection(const XmlDocument& document)
{
    return BookSection(document, schema::kSchedules);
}

QList<Schedule> ReadSchedules(const XmlDocument& document)
{
    QList<Schedule> list;
    const XmlNode section = SchedulesSection(document);
    for (XmlNode s = section.firstChildElement(); s; s = s.nextSiblingElement()) {
        if (s.name() != schema::kSchedule)
            continue;
        if (std::optional<Schedule> r = readSchedule(s))
            list.append(std::move(*r));
    }
    return list;
}

std::optional<Schedule> FindSchedule(const XmlDocument& document, int id)
{
    const XmlNode s = findRecord(document, id);
    return s ? readSchedule(s) : std::nullopt;
}

int AddSchedule(XmlDocument& document, const Schedule& schedule, UndoHistory* history)
{
    XmlNode section = SchedulesSection(document);
    int id = 1;
    for (XmlNode s = section.firstChildElement(); s; s = s.nextSiblingElement())
        id = std::max(id, s.attribute(schema::kScheduleId).toInt() + 1);
    UndoRecorder undo(history, scheduleCaption(QStringLiteral("addition"), id));
    if (!section) {
        XmlNode root = document.documentElement();
        section = root.appendChild(root.createElement(schema::kSchedules));
        undo.inserted(section);
    }
    Schedule record = schedule;
    record.id = id;
    XmlNode added = section.appendChild(section.createElement(schema::kSchedule));
    writeSchedule(added, record);
    undo.inserted(added);
    return id;
}

bool UpdateSchedule(XmlDocument& document, const Schedule& schedule, UndoHistory* history)
{
    XmlNode s = findRecord(document, schedule.id);
    if (!s)
        return false;
    UndoRecorder undo(history, scheduleCaption(QStringLiteral("change"), schedule.id));
    undo.changing(s);
    writeSchedule(s, schedule);
    undo.changed(s);
    return true;
}

bool RemoveSchedule(XmlDocument& document, int id, UndoHistory* history)
{
    XmlNode s = findRecord(document, id);
    if (!s)
        return false;
    UndoRecorder undo(history, scheduleCaption(QStringLiteral("removal"), id));
    undo.removing(s);
    s.parent().removeChild(s);
    return true;
}

QList<Occurrence> DueOccurrences(const QList<Schedule>& schedules, const QDate& today)
{
    return occurrencesUpTo(schedules, today, today);
}

QList<Occurrence> ComingOccurrences(const QList<Schedule>& schedules, const QDate& upTo)
{
    return occurrencesUpTo(schedules, upTo, QDate());
}

QList<DueDecision> EnterAsTheyStand(const QList<Occurrence>& occurrences)
{
    QList<DueDecision> decisions;
    for (const Occurrence& o : occurrences)
        decisions.append({o, DueDecision::Enter, o.date, o.fields.amount, {}});
    return decisions;
}

DueOutcome ApplyDueDecisions(
    XmlDocument& document, const QList<DueDecision>& decisions, UndoHistory* history)
{
    DueOutcome outcome;
    // Each schedule's decisions in date order, as read from the book now.
    QHash<int, Schedule> schedules;
    for (const Schedule& s : ReadSchedules(document))
        schedules.insert(s.id, s);
    QList<const DueDecision*> ordered;
    for (const DueDecision& d : decisions)
        ordered.append(&d);
    std::stable_sort(
        ordered.begin(), ordered.end(), [](const DueDecision* a, const DueDecision* b) {
            return a->occurrence.date < b->occurrence.date;
        });
    // An occurrence whose account head is gone stays due: no transaction
    // is written to an account the book does not have.
    QSet<int> heads;
    const XmlNode acMaster = BookSection(document, schema::kAcMaster);
    for (XmlNode a = acMaster.firstChildElement(); a; a = a.nextSiblingElement())
        heads.insert(a.attribute(schema::kCode).toInt());
    QHash<int, Schedule> changed;
    QSet<int> postponed; // in this batch: their later occurrences wait with them
    QList<TransactionFields> entries;
    for (const DueDecision* d : ordered) {
        const int id = d->occurrence.scheduleId;
        if (!schedules.contains(id))
            continue;
        Schedule& s
            = changed.contains(id) ? changed[id] : changed.insert(id, schedules[id]).value();
        // Each occurrence is dealt with once: one the schedule has passed,
        // or a date that is not one of its occurrences, is left out.
        if (postponed.contains(id)
            || !s.occurrencesBetween(s.done, d->occurrence.date).contains(d->occurrence.date))
            continue;
        switch (d->action) {
        case DueDecision::Enter: {
            if (!heads.contains(s.from) || !heads.contains(s.to) || d->amount <= Money())
                continue;
            // As the book holds the schedule now, at the date and amount decided.
            const QDate date = d->date.isValid() ? d->date : d->occurrence.date;
            const TransactionFields fields {
                DateToDocDate(date), s.from, s.to, NarrationText(s.narration), d->amount};
            entries.append(fields);
            s.done = d->occurrence.date;
            s.wait = {};
            break;
        }
        case DueDecision::Skip:
            s.done = d->occurrence.date;
            s.wait = {};
            ++outcome.skipped;
            break;
        case DueDecision::Postpone:
            s.wait = d->until;
            postponed.insert(id);
            ++outcome.postponed;
            break;
        }
    }
    if (entries.isEmpty() && outcome.skipped == 0 && outcome.postponed == 0)
        return outcome;

    if (history)
        history->beginGroup(entries.size() == 1 ? QStringLiteral("entry of 1 scheduled transaction")
                                                : QStringLiteral("entry of ")
                    + QString::number(entries.size()) + QStringLiteral(" scheduled transactions"));
    // One walk over the book numbers every entry; each is then recorded
    // where it was when it was added, the last of its section.
    outcome.entered = AddTransactions(document, entries);
    if (history && !entries.isEmpty()) {
        QList<XmlNode> added;
        XmlNode t = TransSectionOf(document).lastChildElement();
        for (qsizetype i = 0; i < entries.size() && t; ++i, t = t.previousSiblingElement())
            added.prepend(t);
        UndoStep step;
        step.caption = QStringLiteral("entry of scheduled transactions");
        for (const XmlNode& record : added)
            step.changes.append({schema::kTrans, 0, {}, record.xml()});
        history->add(std::move(step));
    }
    for (const Schedule& s : std::as_const(changed))
        UpdateSchedule(document, s, history);
    if (history)
        history->endGroup();
    return outcome;
}

DueOutcome EnterAutomatic(XmlDocument& document, const QDate& today, UndoHistory* history)
{
    QList<Occurrence> automatic = DueOccurrences(ReadSchedules(document), today);
    automatic.removeIf([](const Occurrence& o) { return !o.automatic; });
    return ApplyDueDecisions(document, EnterAsTheyStand(automatic), history);
}

} // namespace qb
