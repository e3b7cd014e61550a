#pragma once

// The transaction list of one account between two dates ("Trans-acwise"),
// shared by the transaction list window and qbtool.

#include <QDate>
#include <QLocale>
#include <QString>

#include "ReportTemplate.h"

namespace qb {

class LedgerReport final
{
public:
    // Loads the installed template afresh (the window does so on every refresh).
    bool load(Error* error = nullptr);
    // The same from a style-sheet text in hand.
    bool loadText(const QByteArray& text, Error* error = nullptr);

    // Writes FromDate, ToDate and AcCode and the date expression into the
    // template, transforms the whole book and puts the title in place. False
    // with the error when the template lacks one of them, or when the
    // transformation fails (TransformNode has then reported it).
    bool build(const XmlDocument& data, int code, const QString& accountName, const QDate& from,
        const QDate& to, const QString& dateExpression, QString* page, Error* error);

    // "Transaction listing for '" + name + "' - From " + from + " To " + to,
    // the dates in the short date format.
    static QString Title(const QString& accountName, const QDate& from, const QDate& to,
        const QLocale& locale = QLocale::system());
    // "Transaction listing - " + name
    static QString Caption(const QString& accountName);

private:
    ReportTemplate m_template;
};

// The name of the account head with this code; empty when there is none.
QString AccountName(const XmlDocument& data, int code);

} // namespace qb
