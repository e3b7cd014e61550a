#pragma once

// A bank statement read from a file: its lines with date, signed amount,
// payee, memo and the bank's own id of the line, whatever the file's format.
// CSV through libcsv, OFX/QFX through libofx, QIF read here. No widgets.

#include <optional>

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "store/Money.h"

namespace qb {

enum class StatementFormat { Csv, Ofx, Qif };

// "csv", "ofx", "qif"; nothing for another text.
std::optional<StatementFormat> StatementFormatFromName(const QString& name);
// "CSV", "OFX", "QIF": how messages name the format a file was read as.
QString StatementFormatTitle(StatementFormat format);

// The format told from the content: OFX (an <OFX> element after the
// header, comments or an XML declaration), QIF (a first line such as
// "!Type:", "!Account" or "!Option:", after "###" comments), otherwise CSV.
StatementFormat DetectStatementFormat(const QByteArray& bytes);

struct StatementLine
{
    int sourceLine = 0; // where the line starts in the file, from 1
    QDate date; // invalid when error says so
    Money amount; // negative: money out of the statement's account
    QString payee;
    QString memo;
    QString id; // the bank's id of the line (OFX FITID, a CSV reference); may be empty
    QString error; // why the line cannot be imported; empty when it can
    QString account; // the bank account of the file's part the line is in; may be empty
    QString category; // QIF: the category or [transfer account] the file names; may be empty
    int splitOf = 0; // the parts of one split transaction share their record's line; 0 none
};

struct Statement
{
    StatementFormat format = StatementFormat::Csv;
    QString bankAccountId; // the account the statement belongs to, when the file names one
    QList<StatementLine> lines;
    // Files of several accounts: every account named, in file order.
    QStringList accounts;
    // What the reader leaves out on purpose, for the summary ("12 security trades").
    QStringList leftOut;
};

// Why a statement could not be understood at all: the line and the reason.
struct StatementError
{
    int line = 0;
    QString reason;
    bool isSet() const { return !reason.isEmpty(); }
    // "line N: reason" (or the reason alone when no line is known).
    QString text() const;
};

enum class DateOrder { DayMonthYear, MonthDayYear, YearMonthDay };
// "dmy", "mdy", "ymd".
std::optional<DateOrder> DateOrderFromName(const QString& name);
QString DateOrderName(DateOrder order);

// How the columns of a CSV statement are read. Columns count from 0 here.
struct CsvMapping
{
    char separator = ',';
    char quote = '"';
    bool header = false;
    int dateColumn = -1;
    std::optional<DateOrder> dateOrder;
    int amountColumn = -1; // one signed amount, or else
    int outColumn = -1; // money out and money in in two columns
    int inColumn = -1;
    bool decimalComma = false;
    QList<int> textColumns;
    int referenceColumn = -1;

    // The columns any row must have.
    int neededColumns() const;
    // The profile as text for the settings, and back.
    QString toText() const;
    static std::optional<CsvMapping> fromText(const QString& text);
};

// The rows of a CSV text, fields unquoted (RFC 4180: quoted fields, doubled
// quotes, line breaks inside quotes), with the line each row starts on.
struct CsvRows
{
    QList<QStringList> rows;
    QList<int> lines;
};
bool ReadCsvRows(
    const QByteArray& bytes, char separator, char quote, CsvRows* rows, StatementError* error);

// The separator most rows of the first lines agree on: , ; tab or |.
char DetectCsvSeparator(const QByteArray& bytes);

// A mapping guessed from the content: separator, header row, the date column
// and its order, the amount column(s), decimal comma and the text columns.
// ambiguity names what could not be told (the date order when every date
// reads both ways); the mapping then lacks it.
CsvMapping GuessCsvMapping(const QByteArray& bytes, QString* ambiguity = nullptr);

// The first row of a CSV text as its profile key ("the same header").
QString CsvHeaderKey(const QByteArray& bytes, const CsvMapping& mapping);

// A statement amount as banks write it: blanks and grouping allowed, a
// decimal comma where decimalComma says so, "+" or "-" in front, a minus at
// the end, or parentheses for money out. Nothing when it is not a number
// with at most four decimals.
std::optional<Money> ParseStatementAmount(QString text, bool decimalComma);

// A date of three numbers in this order, separated by / - or . (or eight
// digits for year-month-day). Invalid when it is not a calendar date or the
// year is outside 1900-9999.
QDate ParseStatementDate(const QString& text, DateOrder order);

bool ReadCsvStatement(const QByteArray& bytes, const CsvMapping& mapping, Statement* statement,
    StatementError* error);
// QIF two-digit years ("1/5/26") are taken within 80 years before today and 20 after.
bool ReadQifStatement(const QByteArray& bytes, Statement* statement, StatementError* error,
    const QDate& today = QDate::currentDate());
// A two-digit year within 80 years before today and 20 after.
int expandTwoDigitYear(int twoDigits, const QDate& today);
bool ReadOfxStatement(const QByteArray& bytes, Statement* statement, StatementError* error);

// Reads a statement file: the format as given or else told from the
// content; a CSV file read with mapping. False with the line and reason when
// the file cannot be read or understood.
bool ReadStatement(const QByteArray& bytes, std::optional<StatementFormat> format,
    const CsvMapping& mapping, Statement* statement, StatementError* error);

} // namespace qb
