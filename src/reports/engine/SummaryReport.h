#pragma once

// The period summary, shared by its window and qbtool: the page of
// "Trans-summary" for all accounts, a group or one account over a period,
// with the In and Out totals that "sumCol" finds in it written in.

#include <QDate>
#include <QLocale>
#include <QString>

#include "Money.h"
#include "ReportTemplate.h"

namespace qb {

// "sumCol": the total of one column of a finished page read back as XML.
// The column's name goes into the second attribute of the template's second
// child; the output starts with the total, then lists the figures it added.
class ColumnSum final
{
public:
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    // The total of the column (a name such as "in", without apostrophes).
    // The figures the template lists are added exactly; should one of them
    // not read as a decimal, the template's own leading number counts,
    // rounded to ten-thousandths; output without a leading number counts as
    // 0. A failed transformation is reported by TransformNode and gives 0.
    Money total(const XmlDocument& page, const QString& column);

    // The number at the start of a text ("12.5 abc" gives 12.5), rounded to
    // ten-thousandths; nothing when the text does not start with one.
    static std::optional<Money> LeadingNumber(const QString& text);

private:
    ReportTemplate m_template;
};

// What a summary is about: one account (code above 0, with its name for the
// caption), else a group by name, else every account.
struct SummarySubject
{
    int accountCode = 0;
    QString accountName;
    QString groupName;

    static SummarySubject allAccounts() { return {}; }
    static SummarySubject account(int code, const QString& name) { return {code, name, {}}; }
    static SummarySubject group(const QString& name) { return {0, {}, name}; }
};

struct SummaryResult
{
    // False when the subject is a group the book no longer holds: the page
    // then covers every account under an empty title and the caption is empty
    // (the window keeps its own).
    bool subjectFound = true;
    QString caption; // "Period Summary - " + name, or "Period Summary - All Accounts"
    QString title;   // "Period Summary for 'name' - From d To d" ...
    QString page;    // the result with the totals and the title in place, no style head
    Money inTotal;
    Money outTotal;
};

class PeriodSummaryReport final
{
public:
    // Loads "Trans-summary" and "sumCol".
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded() && m_sum.isLoaded(); }

    // Fills caption and title, then builds the page. False with the error
    // when the template lacks a variable, the transformation fails or its
    // result lacks one of the total cells; caption and title are set even
    // then. The template's variables keep the values of the last build.
    bool build(const XmlDocument& data, const QDate& from, const QDate& to,
               const SummarySubject& subject, SummaryResult* result, Error* error,
               const QLocale& locale = QLocale::system());

    // The "0.00" pattern with the locale's decimal separator.
    static QString AmountText(Money amount, const QLocale& locale = QLocale::system());

    ReportTemplate& reportTemplate() { return m_template; }

private:
    ReportTemplate m_template;
    ColumnSum m_sum;
};

} // namespace qb
