#pragma once

// The transaction search, shared by the search window and qbtool: the
// criteria become one XPath predicate over the transactions and a summary for
// the page's title; the template "Search" lists the matching transactions,
// their amounts are read and totalled exactly here, and the rows can be
// exported as CSV lines.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include "engine/PageFigures.h"
#include "engine/ReportTemplate.h"
#include "store/Reconcile.h"

namespace qb {

struct SearchCriteria
{
    // Date: first and last day.
    bool byDate = false;
    QDate from;
    QDate to;

    // Accounts: the selected ones in list order; no account selected is no criterion.
    enum class Side { FromOrTo, FromOnly, ToOnly };
    struct Account
    {
        int code = 0;
        QString name;
    };
    bool byAccount = false;
    Side side = Side::FromOrTo;
    QList<Account> accounts;

    // Amount: op is one of "=", ">=", "<=", ">", "<" or "In Range" (kInRange);
    // the amounts are plain number text ("100", "12.5").
    bool byAmount = false;
    QString op = QStringLiteral("=");
    QString amount;
    QString toAmount;

    // Details: the terms exactly as typed; empty text is no criterion.
    enum class DetailsMode { Contains, Equals, NotContain };
    bool byDetails = false;
    DetailsMode mode = DetailsMode::Contains;
    QString details;

    // Status: the transactions of this status only.
    bool byStatus = false;
    TransactionStatus status = TransactionStatus::NotCleared;
};

// The comparisons of the amount criterion, in the order the window lists them.
QStringList SearchAmountOperators();
inline QString SearchInRange()
{
    return QStringLiteral("In Range");
}

struct SearchPredicate
{
    QString filter; // the predicate; empty when no criterion is in force
    QString summary; // "<BR>[...]" lines for the title
    // The date and account criteria again, as numbers: a walk over the book
    // leaves out the transactions they refuse before the template runs.
    bool byDate = false;
    int fromDate = 0;
    int toDate = 0;
    bool byAccount = false;
    SearchCriteria::Side side = SearchCriteria::Side::FromOrTo;
    QList<int> accounts;
    // "t[" + filter + "]", or empty when the template's own selection stays.
    QString selection() const;
};

// Builds the predicate and the summary. Dates in the summary are written in
// the locale's short date format. Details terms go into the predicate trimmed,
// lower-cased, with the characters a narration cannot hold removed (as
// narrations were when stored) and written as XPath string literals; the
// narration is folded to small letters for A-Z and for the capitals of the
// term's own letters, so that "café" finds "CAFÉ". Amounts that are not
// plain numbers compare as no number (nothing matches). The summary shows
// the account names, amounts and terms as typed, made safe for HTML.
SearchPredicate BuildSearchPredicate(
    const SearchCriteria& criteria, const QLocale& locale = QLocale::system());

// "<B>Search results " + summary + "</B>"
QString SearchTitle(const QString& summary);

class SearchReport final
{
public:
    // Nothing to load ahead: the search template is loaded for each run.
    bool load(Error* error = nullptr);

    // Loads "Search" afresh, writes the selection and the date expression
    // and transforms data, or a copy of just the transactions the template
    // could list (those of the dates and accounts asked for; without
    // criteria those of the month of the last entry). Then reads every
    // row's amount (Money::parse) and writes it in the page's figure
    // format, or the error mark when it cannot be read, totals them exactly
    // and fills TD Total and TD EntryCount. On failure the error is set and
    // the previous result stays.
    bool run(const XmlDocument& data, const SearchPredicate& predicate,
        const QString& dateExpression, Error* error);

    bool hasResult() const { return !m_result.isNull(); }
    const XmlDocument& result() const { return m_result; }
    // Rows of the last result (TR id="datarow").
    int count() const { return m_count; }
    // Total of the last result as "0.00" (or the error mark).
    QString totalText() const { return m_total.plain(); }
    const FigureSum& total() const { return m_total; }

    // The page of the last result: serialised, with the first title
    // placeholder replaced by SearchTitle(summary); no style head yet.
    QString page(const QString& summary) const;

private:
    XmlDocument m_result;
    int m_count = 0;
    FigureSum m_total;
};

// The CSV lines of a result document: rows 2 to the last but one of its first
// table, cells 1 to 5 by their visible text; commas become blanks in cells 1,
// 2, 3 and 5 and are deleted in cell 4; fields joined by "," and each line
// ended with CR LF. No heading, no quoting; ANSI bytes.
QByteArray SearchCsv(const XmlDocument& result);

// Writes the lines to path, replacing an existing file. False with the error.
bool WriteSearchCsv(const QString& path, const QByteArray& lines, Error* error);

// The name the export writes to: ".csv" appended unless the lower-cased path
// already ends with it.
QString CsvFileName(const QString& path);

} // namespace qb
