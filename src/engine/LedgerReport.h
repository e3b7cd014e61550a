#pragma once

// The transaction list of one account between two dates ("Trans-acwise"),
// shared by the transaction list window and qbtool.

#include <QDate>
#include <QLocale>
#include <QString>

#include "engine/ChartData.h"
#include "engine/PageFigures.h"
#include "engine/ReportTemplate.h"

namespace qb {

class LedgerReport final
{
public:
    // Loads the installed template afresh (the window does so on every refresh).
    bool load(Error* error = nullptr);
    // The same from a style-sheet text in hand.
    bool loadText(const QByteArray& text, Error* error = nullptr);

    // Writes FromDate, ToDate and AcCode and the date expression into the
    // template, works out the listing (ListingBook) and has the template lay
    // it out, then puts the title in place. False with the error when the
    // template lacks one of them, or when the transformation fails
    // (TransformNode has then reported it).
    // The listing of an account over a period (ListingBook with its
    // overflow and balance points), worked out ahead of build.
    struct Listing
    {
        int code = 0;
        QDate from;
        QDate to;
        QByteArray xml;
        FigureTrouble trouble;
        QList<BalancePoint> points;
    };
    static Listing MakeListing(
        const XmlDocument& data, int code, const QDate& from, const QDate& to);

    // A listing already worked out for the same account and period is used
    // as it is instead of walking the book again. With status, the page has
    // the status column (the template's Status variable set to 1).
    bool build(const XmlDocument& data, int code, const QString& accountName, const QDate& from,
        const QDate& to, const QString& dateExpression, QString* page, Error* error,
        const Listing* listing = nullptr, bool status = false);
    // "[*[S]*]": the mark of a row's status link, followed by its date and number.
    static QString StatusTokenMark() { return QStringLiteral("[*[S]*]"); }
    // Whether a sum of the last page left the money range (the page shows
    // the error mark in its place).
    bool overflowed() const { return m_trouble.overflow; }
    // Every figure the last page could not give: a sum out of range or an
    // amount that cannot be read.
    const FigureTrouble& trouble() const { return m_trouble; }
    // The running balance of the last page for its chart: the opening
    // balance, then the balance at the end of each day with transactions.
    const QList<BalancePoint>& balancePoints() const { return m_points; }

    // The listing worked out in one exact walk over the account's
    // transactions in date and number order, every figure written out
    // grouped: a root "Ledger" (opening, in, out, closing and the widest
    // figure's length in characters of the in, out and balance columns:
    // inWidth, outWidth, balanceWidth), one "Day" per date with a row "t"
    // per transaction (dt, No, st, ac and name of the other account, Nar,
    // in, out, balance; st, Nar, in and out only when not empty) and, on a day of
    // several rows, a "Total" (in, out).
    // Money into the account counts positive. An amount that cannot be read
    // shows the error mark, and so does every sum it is part of and every
    // sum that leaves the range (*trouble then says which).
    // points, when given, gets the opening balance (dated the day before
    // from) and the closing balance of each day of the listing.
    static QByteArray ListingBook(const XmlDocument& data, int code, int from, int to,
        FigureTrouble* trouble = nullptr, QList<BalancePoint>* points = nullptr);

    // "Transaction listing for '" + name + "' - From " + from + " To " + to,
    // the dates in the short date format.
    static QString Title(const QString& accountName, const QDate& from, const QDate& to,
        const QLocale& locale = QLocale::system());
    // "Transaction listing - " + name
    static QString Caption(const QString& accountName);

private:
    ReportTemplate m_template;
    FigureTrouble m_trouble;
    QList<BalancePoint> m_points;
};

// The name of the account head with this code; empty when there is none.
QString AccountName(const XmlDocument& data, int code);

} // namespace qb
