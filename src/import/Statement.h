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
    // The amount as the file writes it, kept by a reader when it has more
    // decimals than Money holds (the note of a rounding names it).
    QString amountText;
    // Shown with the line: a rounding made, or why the line starts unchecked.
    QString note;
    bool unchecked = false; // a line that is no transaction (a balance); note says so
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

// The largest statement file read (50 MB): beyond it a statement is refused
// before it is read, as no bank writes one that large.
constexpr qint64 kMaxStatementBytes = 50LL * 1024 * 1024;

// Reads a statement file whole; false with the reason when it is no regular
// file, larger than kMaxStatementBytes or cannot be read.
bool LoadStatementFile(const QString& path, QByteArray* bytes, QString* why);

// The largest amount a statement line may carry: the entry window's largest.
Money MaxStatementAmount();

// The checks every reader's lines get, whatever the format: amounts rounded to
// the cent half away from zero (the line's note says so), amounts that round
// to nothing or exceed MaxStatementAmount() refused, dates outside 1900-2999
// refused, and a balance line ("Opening balance", "Saldo Anterior", "Alter
// Kontostand" ...) left unchecked. ReadStatement applies it.
void FinishStatementLines(Statement* statement);

// True for the text of a line that states a balance rather than moving money.
bool IsBalanceLineText(const QString& text);

// The year a two-digit year stands for: the one from 80 years before today's
// year to 19 after it (with today in 2026: 46 is 1946, 45 is 2045). Every
// reader of two-digit years (CSV, QIF) takes it from here.
int ExpandTwoDigitYear(int twoDigits, const QDate& today = QDate::currentDate());

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
    int skipLines = 0; // lines before the heading (or the first row) left out
    // A column that says which way the money went: its value equal to
    // outWord (letter case ignored) is money out, inWord money in; the
    // amount's own sign is then ignored.
    int directionColumn = -1;
    QString outWord;
    QString inWord;
    bool reverseSigns = false; // charges written as positive (card exports)

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

// The separator most rows of the first lines agree on: , ; tab or |.
char DetectCsvSeparator(const QByteArray& bytes);

// A mapping guessed from the content: the lines before the heading, the
// separator, the header row, the date column and its order, the amount
// column(s) or the direction column, decimal comma and the text columns.
// ambiguity names what could not be told (the date order when every date
// reads both ways); the mapping then lacks it. doubts lists why the columns
// may be wrong (two columns could be the amount, no heading names it, ...):
// such a guess is shown for the person to choose, never used unseen. A
// separator other than 0 is taken instead of the one told from the content.
CsvMapping GuessCsvMapping(const QByteArray& bytes, QString* ambiguity = nullptr,
    QStringList* doubts = nullptr, char separator = 0);

// The mapping in words, one part a line ("date: column 1 \"Buchung\", dmy"),
// the columns named by the heading when there is one.
QStringList DescribeCsvMapping(const QByteArray& bytes, const CsvMapping& mapping);

// The rows of a CSV text after the mapping's skipped lines, at most limit
// (-1: all); false with the line and reason when it is no CSV.
bool ReadCsvRows(const QByteArray& bytes, const CsvMapping& mapping, CsvRows* rows,
    StatementError* error, qsizetype limit = -1);

// The first row of a CSV text as its profile key ("the same header").
QString CsvHeaderKey(const QByteArray& bytes, const CsvMapping& mapping);

// A statement amount as banks write it: blanks and grouping allowed, a
// decimal comma where decimalComma says so, "+" or "-" in front (also with a
// blank after it), a minus at the end, parentheses for money out, a currency
// sign or code before or after ("-$76.00", "($85.00)", "£20.00", "12,50 EUR").
// Decimals past the fourth are cut off (the cent rounding of
// FinishStatementLines looks at the third). Nothing when it is no number or
// has more than 15 integer digits.
std::optional<Money> ParseStatementAmount(QString text, bool decimalComma);

// A date of three numbers in this order, separated by / - . or blanks (or
// eight digits for year-month-day), or with the month's name in English,
// German, French, Spanish or Dutch ("07 Nov 2013", "10-Nov-09", "Nov 7,
// 2013"), which reads the same in every order. A two-digit year goes through
// ExpandTwoDigitYear. Invalid when it is not a calendar date or the year is
// outside 1900-9999 (FinishStatementLines refuses years past 2999).
QDate ParseStatementDate(
    const QString& text, DateOrder order, const QDate& today = QDate::currentDate());

bool ReadCsvStatement(const QByteArray& bytes, const CsvMapping& mapping, Statement* statement,
    StatementError* error);
// QIF two-digit years ("1/5/26") are read by ExpandTwoDigitYear.
bool ReadQifStatement(const QByteArray& bytes, Statement* statement, StatementError* error,
    const QDate& today = QDate::currentDate());
bool ReadOfxStatement(const QByteArray& bytes, Statement* statement, StatementError* error);

// Reads a statement file: the format as given or else told from the
// content; a CSV file read with mapping. False with the line and reason when
// the file cannot be read or understood.
bool ReadStatement(const QByteArray& bytes, std::optional<StatementFormat> format,
    const CsvMapping& mapping, Statement* statement, StatementError* error);

} // namespace qb
