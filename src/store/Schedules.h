#pragma once

// Scheduled transactions: rent, salary, subscriptions. A schedule repeats a
// transaction every N days, weeks, months or years from a first date, up to
// an optional last date or count, and remembers the last occurrence that was
// entered or skipped, so that each occurrence is dealt with exactly once
// whichever program opens the book. They are kept in the optional Schedules
// section (see BookSchema.h); a book without schedules has no such section.
// Dates are calendar dates: no time of day, no time zone.

#include <optional>

#include <QDate>
#include <QList>
#include <QString>

#include "store/BookEdits.h"
#include "store/Money.h"
#include "store/UndoHistory.h"
#include "store/Xml.h"

namespace qb {

enum class RepeatUnit { Days, Weeks, Months, Years };

struct Schedule
{
    static constexpr int kMaxEvery = 999;

    int id = 0;
    int from = 0; // account codes
    int to = 0;
    QString narration;
    Money amount;
    QDate first;
    int every = 1;
    RepeatUnit unit = RepeatUnit::Months;
    // Monthly: on the last day of each month rather than on the first date's day.
    bool lastDay = false;
    QDate until; // the last day an occurrence may fall on; invalid: no end date
    int count = 0; // the number of occurrences; 0: no end count
    bool automatic = false; // entered without asking
    QDate done; // the last occurrence entered or skipped; invalid: none yet
    QDate wait; // postponed occurrences are due again from this day; invalid: none

    // The occurrence of index k (0 is the first date), or an invalid date
    // when the schedule has ended before it. A day past the end of a shorter
    // month falls on its last day (31 January, 28 February, 31 March); 29
    // February falls on the 28th in common years.
    QDate occurrence(int k) const;
    // The occurrences after `after` (every one when it is invalid) up to and
    // including upTo, in order.
    QList<QDate> occurrencesBetween(const QDate& after, const QDate& upTo) const;
    // The first occurrence after done; invalid when none is left.
    QDate next() const;
    // "every 2 weeks", "every month on the last day", "every year"
    QString repetitionText() const;
    // Why the schedule cannot be kept (no accounts, the same account twice,
    // no first date, an amount that is not positive...); empty when it can.
    QString problem() const;

private:
    // An index at or a little before the first occurrence after `after`.
    int indexNear(const QDate& after) const;
};

// The Schedules section, or null when the book has none.
XmlNode SchedulesSection(const XmlDocument& document);

// The book's schedules in the section's order. A record that does not read
// as a schedule (qbtool check names it) is left out.
QList<Schedule> ReadSchedules(const XmlDocument& document);
std::optional<Schedule> FindSchedule(const XmlDocument& document, int id);

// Adds the schedule with the next free id (the section is added at the end
// of Data with the first one) and returns the id: one undo step.
int AddSchedule(XmlDocument& document, const Schedule& schedule, UndoHistory* history = nullptr);
// Writes the schedule over the one with its id: one undo step. False when there is none.
bool UpdateSchedule(
    XmlDocument& document, const Schedule& schedule, UndoHistory* history = nullptr);
// Removes the schedule: one undo step. False when there is none.
bool RemoveSchedule(XmlDocument& document, int id, UndoHistory* history = nullptr);

// One occurrence of a schedule, with what it would enter.
struct Occurrence
{
    int scheduleId = 0;
    QDate date;
    TransactionFields fields; // dated on the occurrence
    bool automatic = false;
};

// Every occurrence after each schedule's last dealt-with one up to and
// including upTo, in date order (section order within a day). Due ones are
// those up to today of the schedules not postponed beyond today; the coming
// ones include those overdue.
QList<Occurrence> DueOccurrences(const QList<Schedule>& schedules, const QDate& today);
QList<Occurrence> ComingOccurrences(const QList<Schedule>& schedules, const QDate& upTo);

// What to do with a due occurrence.
struct DueDecision
{
    enum Action { Enter, Skip, Postpone };
    Occurrence occurrence;
    Action action = Enter;
    // Enter: the transaction's date and amount (the occurrence's as they
    // stand unless changed).
    QDate date;
    Money amount;
    QDate until; // Postpone: due again from this day
};

// Enter each occurrence as it stands.
QList<DueDecision> EnterAsTheyStand(const QList<Occurrence>& occurrences);

struct DueOutcome
{
    QList<TransactionKey> entered; // in the order of the decisions entered
    int skipped = 0;
    int postponed = 0;
    bool changed() const { return !entered.isEmpty() || skipped > 0 || postponed > 0; }
};

// Applies the decisions as one undo step: the entered occurrences become
// transactions, and each schedule remembers its last entered or skipped
// occurrence. A postponed occurrence holds back the later ones of its
// schedule with it (they are due again from the same day). Decisions for
// occurrences already dealt with, or of schedules that are gone, are left out.
DueOutcome ApplyDueDecisions(
    XmlDocument& document, const QList<DueDecision>& decisions, UndoHistory* history = nullptr);

// Enters the automatic schedules' due occurrences as they stand (one undo step).
DueOutcome EnterAutomatic(
    XmlDocument& document, const QDate& today, UndoHistory* history = nullptr);

} // namespace qb
