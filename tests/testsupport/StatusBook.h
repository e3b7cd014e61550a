#pragma once

// A small book whose transactions have every status, for the tests of
// reconciling. Bank is account 2; its transactions, money in positive:
// 05-01 +2500 reconciled with the statement of 07-01; 10-01 -300 cleared;
// 31-01 -45.5 not cleared; 31-01 +0.01 cleared; 01-02 -12.25 cleared.

#include <QByteArray>
#include <QString>

#include "store/BookSchema.h"
#include "store/ClsAX.h"
#include "store/Reconcile.h"

namespace qb::test {

// The book, with extra sections (markup) after its own.
inline QByteArray statusBookXml(const QByteArray& extra = {})
{
    const QString i = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    return QByteArrayLiteral("<Data><AcMaster><a Code=\"1\" AcName=\"Cash\"/>"
                             "<a Code=\"2\" AcName=\"Bank\"/><a Code=\"3\" AcName=\"Salary\"/>"
                             "</AcMaster><PValue>")
        + PasswordDigest(i).toLatin1()
        + QByteArrayLiteral("</PValue><Trans>"
                            "<t No=\"1\" dt=\"20130105\" fAc=\"3\" tAc=\"2\" Nar=\"Pay\" St=\"R\" "
                            "Rc=\"20130107\">2500</t>"
                            "<t No=\"1\" dt=\"20130110\" fAc=\"2\" tAc=\"1\" Nar=\"Cash\" "
                            "St=\"C\">300</t>"
                            "<t No=\"1\" dt=\"20130131\" fAc=\"2\" tAc=\"1\" Nar=\"Fee\">45.5</t>"
                            "<t No=\"2\" dt=\"20130131\" fAc=\"3\" tAc=\"2\" Nar=\"Interest\" "
                            "St=\"C\">0.01</t>"
                            "<t No=\"1\" dt=\"20130201\" fAc=\"2\" tAc=\"1\" Nar=\"Market\" "
                            "St=\"C\">12.25</t>"
                            "</Trans><Groups/><Narration/><I>")
        + i.toLatin1() + QByteArrayLiteral("</I><DateRanges/>") + extra
        + QByteArrayLiteral("</Data>");
}

// The statuses of the book's transactions in book order: n not cleared, c
// cleared, r reconciled.
inline QString statusLetters(const XmlDocument& doc)
{
    QString s;
    ForEachTransaction(doc, [&s](const BookTransaction& t) {
        const TransactionStatus status = StatusFromText(t.status);
        s += status == TransactionStatus::Reconciled ? QLatin1Char('r')
            : status == TransactionStatus::Cleared   ? QLatin1Char('c')
                                                     : QLatin1Char('n');
    });
    return s;
}

} // namespace qb::test
