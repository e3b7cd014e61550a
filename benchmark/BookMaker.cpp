// A realistic book for timing: the accounts of a household with a small
// business, transactions in entry order over four decades, narrations
// from a vocabulary with numbers, a few groups and date ranges.

#include <QDate>
#include <QFile>
#include <QRandomGenerator>

#include "Bench.h"
#include "store/ClsAX.h"
#include "store/Money.h"
#include "store/Utilities.h"

namespace bench {

namespace {

const char* const kAccounts[] = {
    "Cash",
    "Petty Cash",
    "Bank - Current",
    "Bank - Savings",
    "Credit Card",
    "Salary",
    "Bonus",
    "Interest Received",
    "Dividends",
    "Rent Received",
    "Consulting Fees",
    "Sales",
    "Rent",
    "Electricity",
    "Water",
    "Gas",
    "Telephone",
    "Internet",
    "Groceries",
    "Restaurants",
    "Fuel",
    "Car Insurance",
    "Car Repairs",
    "Public Transport",
    "Taxi",
    "Health Insurance",
    "Doctor",
    "Pharmacy",
    "School Fees",
    "Books",
    "Clothing",
    "Furniture",
    "Household Items",
    "Repairs and Maintenance",
    "Gifts",
    "Charity",
    "Holidays",
    "Cinema and Theatre",
    "Subscriptions",
    "Sports Club",
    "Income Tax",
    "Property Tax",
    "Bank Charges",
    "Loan - Home",
    "Loan - Car",
    "Loan Interest",
    "Investments - Shares",
    "Investments - Funds",
    "Fixed Deposit",
    "Pension Fund",
    "Office Supplies",
    "Postage",
    "Travel - Business",
    "Advertising",
    "Accountant Fees",
    "Software",
    "Computer Equipment",
    "Mother",
    "Brother",
    "Opening Balance",
};
constexpr int kAccountCount = int(sizeof kAccounts / sizeof kAccounts[0]);

const char* const kWords[] = {
    "Monthly",
    "payment",
    "for",
    "invoice",
    "cheque",
    "transfer",
    "withdrawal",
    "deposit",
    "weekly",
    "shopping",
    "at",
    "market",
    "supermarket",
    "station",
    "bill",
    "quarter",
    "refund",
    "advance",
    "repayment",
    "instalment",
    "annual",
    "fee",
    "renewal",
    "order",
    "purchase",
    "sale",
    "receipt",
    "by",
    "card",
    "online",
    "share",
    "of",
    "dinner",
    "lunch",
    "tickets",
    "service",
    "parts",
    "premium",
    "contribution",
    "interest",
    "on",
    "balance",
};
constexpr int kWordCount = int(sizeof kWords / sizeof kWords[0]);

QByteArray amountText(QRandomGenerator& gen)
{
    // Mostly small amounts, now and then a large one; cents present in about half.
    const quint32 scale = gen.bounded(100) < 90 ? 50000 : 5000000;
    const quint32 cents = 1 + gen.bounded(scale);
    return qb::Money::fromUnits(qint64(cents) * (qb::Money::kScale / 100)).toText().toLatin1();
}

QByteArray narration(QRandomGenerator& gen)
{
    QByteArray text;
    const int words = 1 + int(gen.bounded(5));
    for (int w = 0; w < words; ++w) {
        if (w)
            text += ' ';
        text += kWords[gen.bounded(kWordCount)];
    }
    if (gen.bounded(3) == 0)
        text += " no " + QByteArray::number(gen.bounded(100000));
    return text;
}

} // namespace

bool writeBook(const QString& path, int transactions, QString* error)
{
    QRandomGenerator gen(20130305u + quint32(transactions));
    QByteArray xml;
    xml.reserve(qsizetype(transactions) * 100 + 100000);
    xml += "<?xml version=\"1.0\" encoding=\"ASCII\"?>\n<Data><AcMaster>";
    for (int c = 0; c < kAccountCount; ++c)
        xml += "<a Code=\"" + QByteArray::number(c + 1) + "\" AcName=\"" + kAccounts[c] + "\"/>";
    const QByteArray i = "QKZMTRWBHXCYDNEAPLUF";
    xml += "</AcMaster><PValue>" + qb::PasswordDigest(QString::fromLatin1(i)).toLatin1()
        + "</PValue><Trans>";

    // Entry order follows the calendar; numbers count within each date.
    const QDate first(1985, 1, 1);
    const qint64 days = first.daysTo(QDate(2024, 12, 31)) + 1;
    qint64 day = -1;
    int number = 0;
    int docDate = 0;
    for (int t = 0; t < transactions; ++t) {
        const qint64 d = qint64(t) * days / transactions;
        if (d != day) {
            day = d;
            number = 0;
            docDate = qb::DateToDocDate(first.addDays(d));
        }
        ++number;
        // Cash, the banks and the card carry most of the traffic.
        const int from
            = gen.bounded(100) < 70 ? 1 + int(gen.bounded(5)) : 1 + int(gen.bounded(kAccountCount));
        int to = 1 + int(gen.bounded(kAccountCount));
        if (to == from)
            to = to % kAccountCount + 1;
        xml += "<t No=\"" + QByteArray::number(number) + "\" dt=\"" + QByteArray::number(docDate)
            + "\" fAc=\"" + QByteArray::number(from) + "\" tAc=\"" + QByteArray::number(to)
            + "\" Nar=\"" + narration(gen) + "\">" + amountText(gen) + "</t>";
    }
    xml += "</Trans><Groups>"
           "<Group gi=\",1,2,3,4,5,\">Money</Group>"
           "<Group gi=\",13,14,15,16,17,18,\">Home</Group>"
           "<Group gi=\",21,22,23,24,25,\">Transport</Group>"
           "<Group gi=\",6,7,8,9,10,11,12,\">Income</Group>"
           "<Group gi=\",41,42,43,\">Taxes and Charges</Group>"
           "<Group gi=\",\">Empty</Group>"
           "</Groups><Narration>";
    for (int n = 0; n < 50; ++n)
        xml += "<n>" + narration(gen) + "</n>";
    xml += "</Narration><I>" + i
        + "</I><DateRanges>"
          "<DR From=\"20230101\" To=\"20231231\" Caption=\"Year 2023\"/>"
          "<DR From=\"20240101\" To=\"20241231\" Caption=\"Year 2024\"/>"
          "<DR From=\"0\" To=\"0\" Caption=\"-\"/>"
          "<DR From=\"19850101\" To=\"20241231\" Caption=\"Everything\"/>"
          "</DateRanges></Data>";

    qb::ClsAX::EnDeCryptBytes(xml, qb::DataFileKey());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(xml) != xml.size()) {
        *error = path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

} // namespace bench
