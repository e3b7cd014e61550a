#pragma once

// The names of the data file's elements and attributes, and the one walk over
// its transactions. Every reader and writer of the book names them from here;
// the XSLT templates keep their own XPath text.
//
//   <Data>
//     <AcMaster><a Code="3" AcName="Bank"/>...</AcMaster>
//     <PValue>digest</PValue>
//     <Trans><t No="1" dt="20260131" fAc="3" tAc="4" Nar="Rent">1250.5</t>...</Trans>
//     <Groups><Group gi=",3,4,">Name</Group>...</Groups>
//     <Narration>...</Narration> <I>letters</I> <DateRanges>...</DateRanges>
//     <ImportRules><r Text="tesco" Ac="12"/>...</ImportRules>   (optional)
//     <Reconciliations><r Ac="3" dt="20261207" Bal="1377.7"/>...</Reconciliations>
//     <Schedules><s Id="1" fAc="2" tAc="7" Nar="Rent" First="20260131" Every="1"
//        Unit="m" Done="20260228">1250</s>...</Schedules>  (optional)
//   </Data>
//
// Optional parts: a transaction's status (St) and the date of the statement
// it was reconciled with (Rc), after its other attributes; the
// Reconciliations section, added by the first reconciliation.

#include <functional>
#include <optional>

#include <QByteArrayView>
#include <QString>

#include "store/Money.h"
#include "store/Xml.h"

namespace qb::schema {

// The root and its sections.
inline const QString kData = QStringLiteral("Data");
inline const QString kAcMaster = QStringLiteral("AcMaster");
inline const QString kPValue = QStringLiteral("PValue");
inline const QString kTrans = QStringLiteral("Trans");
inline const QString kGroups = QStringLiteral("Groups");
inline const QString kNarration = QStringLiteral("Narration");
inline const QString kI = QStringLiteral("I");
inline const QString kDateRanges = QStringLiteral("DateRanges");

// An account head: <a Code AcName/>.
inline const QString kAccount = QStringLiteral("a");
inline const QString kCode = QStringLiteral("Code");
inline const QString kAcName = QStringLiteral("AcName");

// A transaction: <t No dt fAc tAc Nar>amount</t>.
inline const QString kTransaction = QStringLiteral("t");
inline const QString kNo = QStringLiteral("No");
inline const QString kDate = QStringLiteral("dt");
inline const QString kFrom = QStringLiteral("fAc");
inline const QString kTo = QStringLiteral("tAc");
inline const QString kNar = QStringLiteral("Nar");
// Optional: "C" cleared, "R" reconciled; absent: not cleared.
inline const QString kStatus = QStringLiteral("St");
inline const QString kStatusCleared = QStringLiteral("C");
inline const QString kStatusReconciled = QStringLiteral("R");
// Optional, on a reconciled transaction: the statement date (yyyymmdd) of
// the reconciliation that took it in.
inline const QString kReconciledOn = QStringLiteral("Rc");

// A group: <Group gi=",3,4,">name</Group>.
inline const QString kGroup = QStringLiteral("Group");
inline const QString kMembers = QStringLiteral("gi");

// The optional section of reconciliations: <r Ac dt Bal/>, one a finished
// reconciliation of account Ac against the statement of date dt whose
// ending balance was Bal (plain decimal text, may be negative).
inline const QString kReconciliations = QStringLiteral("Reconciliations");
inline const QString kReconciliation = QStringLiteral("r");
inline const QString kRecAccount = QStringLiteral("Ac");
inline const QString kRecDate = QStringLiteral("dt");
inline const QString kRecBalance = QStringLiteral("Bal");

// The section of imported statements, and in it the ending balance a
// statement carried: <s Ac dt Bal/>, as a reconciliation is written.
inline const QString kImported = QStringLiteral("Imported");
inline const QString kStatementBalance = QStringLiteral("s");
// The optional section of scheduled transactions: <s Id fAc tAc Nar First
// Every Unit [LastDay] [Until | Count] [Auto] [Done] [Wait]>amount</s>.
// Unit is d, w, m or y; LastDay="1" puts a monthly one on the month's last
// day; Until is the last date, Count the number of occurrences; Auto="1"
// enters it without asking; Done is the date of the last occurrence entered
// or skipped, Wait the day a postponed occurrence is shown again.
inline const QString kSchedules = QStringLiteral("Schedules");
inline const QString kSchedule = QStringLiteral("s");
inline const QString kScheduleId = QStringLiteral("Id");
inline const QString kFirst = QStringLiteral("First");
inline const QString kEvery = QStringLiteral("Every");
inline const QString kUnit = QStringLiteral("Unit");
inline const QString kLastDay = QStringLiteral("LastDay");
inline const QString kUntil = QStringLiteral("Until");
inline const QString kCount = QStringLiteral("Count");
inline const QString kAuto = QStringLiteral("Auto");
inline const QString kDone = QStringLiteral("Done");
inline const QString kWait = QStringLiteral("Wait");

// The person's import rules, optional: <ImportRules><r Text="tesco" Ac="12"/>...
// A statement line whose text contains Text (letter case aside) gets Ac as its
// other account.
inline const QString kImportRules = QStringLiteral("ImportRules");
inline const QString kRule = QStringLiteral("r");
inline const QString kRuleText = QStringLiteral("Text");
inline const QString kRuleAccount = QStringLiteral("Ac");

} // namespace qb::schema

namespace qb {

// One transaction of the book as the walk lends it: the attributes' text
// (UTF-8, empty when missing) and the element's text, valid during the call.
struct BookTransaction
{
    int position = 0; // 1-based, among the elements of the section
    QByteArrayView no, date, from, to, narration;
    QByteArrayView status; // empty: not cleared
    QByteArrayView amountText;

    // The amount through the one reading of the book's amounts; nothing when
    // it cannot be read.
    [[nodiscard]] std::optional<Money> amount() const { return Money::fromBook(amountText); }
    // A whole number attribute without the blanks around it; 0 when it is not one.
    [[nodiscard]] static int numberOf(QByteArrayView text);
};

// A section of the book: the first child of that name of the root Data, or null.
XmlNode BookSection(const XmlDocument& book, const QString& name);
// The book's transaction section, or null.
inline XmlNode TransSectionOf(const XmlDocument& book)
{
    return BookSection(book, schema::kTrans);
}

// Calls visit for every element of the book's transaction section, in
// document order, without copying the text: the one walk over the
// transactions for lists, reports and exports.
void ForEachTransaction(
    const XmlDocument& book, const std::function<void(const BookTransaction&)>& visit);
// The same over a transaction section (the open book's handle).
void ForEachTransaction(
    const XmlNode& transSection, const std::function<void(const BookTransaction&)>& visit);

} // namespace qb
