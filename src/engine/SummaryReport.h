#pragma once

// The period summary, shared by its window and qbtool: the page of
// "Trans-summary" for all accounts, a group or one account over a period.
// The figures are worked out here, exactly, in one walk over the book; the
// template lays them out, and the In, Out and difference totals are
// written into its cells afterwards.

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include "engine/PageFigures.h"
#include "engine/ReportTemplate.h"
#include "store/Money.h"

namespace qb {

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

// One account of a summary with its exact figures, for whatever draws them
// (the chart beside the page).
struct SummaryAccount
{
    int code = 0;
    QString name;
    FigureSum opening, in, out;
    // Transactions of the account within the period.
    int count = 0;
};

struct SummaryResult
{
    // False when the subject is a group the book no longer holds: the page
    // then covers every account under an empty title and the caption is empty
    // (the window keeps its own).
    bool subjectFound = true;
    QString caption; // "Period Summary - " + name, or "Period Summary - All Accounts"
    QString title; // "Period Summary for 'name' - From d To d" ... (plain text)
    QString page; // the result with the totals and the title in place, no style head
    FigureSum inTotal;
    FigureSum outTotal;
    // An amount that could not be read, or a sum out of range, is shown as
    // the error mark somewhere on the page.
    FigureTrouble trouble;
    // The listed accounts in the order of their heads in the book, with the
    // figures the page shows.
    QList<SummaryAccount> accounts;
};

class PeriodSummaryReport final
{
public:
    // Loads "Trans-summary".
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    // Fills caption and title, then builds the page. False with the error
    // when the template lacks a variable, the transformation fails or its
    // result lacks one of the total cells; caption and title are set even
    // then. The template's variables keep the values of the last build.
    // The group is found by its name as written; its member list is read
    // as codes and never handed to the template as it stands.
    bool build(const XmlDocument& data, const QDate& from, const QDate& to,
        const SummarySubject& subject, SummaryResult* result, Error* error,
        const QLocale& locale = QLocale::system());

    // What the template is given: the subject's account heads and, in a
    // Figures section, one f per head with its Code and its Opening, In,
    // Out and Closing figures as page text. Sets the totals and trouble of
    // the result.
    static XmlDocument SummaryBook(const XmlDocument& data, int from, int to,
        const SummarySubject& subject, const XmlNode& group, SummaryResult* result);

    ReportTemplate& reportTemplate() { return m_template; }

private:
    ReportTemplate m_template;
};

} // namespace qb
