#pragma once

// The two reports of the transaction entry window, shared with qbtool: the
// list of one day's transactions and the balance of one account as of a date.

#include <optional>

#include <QDate>
#include <QString>

#include "engine/PageFigures.h"
#include "engine/ReportTemplate.h"
#include "store/Money.h"

namespace qb {

// "Trans-daywise": the first and the last date go into the second attribute
// of the template's second and third child.
class DayListReport final
{
public:
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    // The page of the day's transactions with the title in place of the
    // title placeholder (no style head yet). False with the error when the
    // template cannot take the date; a failed transformation is reported by
    // TransformNode and gives an empty page.
    bool build(const XmlDocument& data, const QDate& date, const QString& title, QString* page,
        Error* error);
    // The same page as UTF-8 text in pieces that make it one after another,
    // as qbtool writes it: a busy day's page is tens of megabytes, neither
    // joined nor converted to and fro.
    bool buildPieces(const XmlDocument& data, const QDate& date, const QString& title,
        QList<QByteArray>* pieces, Error* error);
    // Whether the day's total of the last page left the money range (the
    // page shows the error mark in its place).
    bool overflowed() const { return m_trouble.overflow; }
    // Every figure the last page could not give.
    const FigureTrouble& trouble() const { return m_trouble; }

    // The day's transactions in number order with their figures written
    // out, as the template lays them out: a root "DayList" (total, and
    // amountWidth, the widest figure's length in characters) holding a "t"
    // per transaction (dt, No, key: dt and No written together, fAc,
    // fName, tAc, tName, amount, Nar). An
    // amount that cannot be read shows the error mark, and so does a total
    // it is part of or that leaves the range (*trouble then says which).
    static QByteArray ListBook(const XmlDocument& data, int date, FigureTrouble* trouble = nullptr);

    // A day of more rows than this is laid out in parts of this many rows,
    // whose pages are joined into one.
    static constexpr int kRowsPerPart = 5000;

    // The id of a transaction's row in the page: "id" + date + number.
    static QString RowId(int date, int number);

private:
    ReportTemplate m_template;
    FigureTrouble m_trouble;
};

// "sum": the balance as of a date (money into the account counts positive,
// out of it negative) over every transaction up to and including the date;
// the date goes into the second attribute of the second child, the account
// code into the second attribute of the third.
class AccountBalance final
{
public:
    bool load(Error* error = nullptr);
    bool isLoaded() const { return m_template.isLoaded(); }

    // The balance; nothing when the template is missing, an amount of the
    // account up to the date cannot be read (Money::parse) or the sum
    // leaves the range.
    std::optional<Money> balance(const XmlDocument& data, int code, const QDate& date);
    // The same as a figure that says which of the two went wrong; a missing
    // template gives an unreadable figure.
    FigureSum figure(const XmlDocument& data, int code, const QDate& date);

    // "0.00": no grouping, two decimals, minus sign when negative, rounded
    // half away from zero.
    static QString BalanceText(Money value) { return value.format(); }

private:
    ReportTemplate m_template;
};

} // namespace qb
