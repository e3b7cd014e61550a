#include "shell/DemoBook.h"

#include <QLocale>

#include "store/BookSchema.h"
#include "store/DataStore.h"
#include "store/Money.h"
#include "store/Records.h"
#include "store/Utilities.h"

namespace qb {

namespace {

enum Account {
    Cash = 1,
    Bank,
    Savings,
    CreditCard,
    Salary,
    Interest,
    Rent,
    Groceries,
    Utilities,
    Telephone,
    Transport,
    DiningOut,
    Medical,
    OpeningBalance
};

const char* const kAccountNames[] = {
    "Cash",
    "Bank Current Account",
    "Savings Account",
    "Credit Card",
    "Salary",
    "Interest Received",
    "Rent",
    "Groceries",
    "Electricity and Water",
    "Telephone and Internet",
    "Transport",
    "Dining Out",
    "Medical",
    "Opening Balance",
};

class Builder
{
public:
    Builder(XmlDocument& doc, const QDate& today)
        : m_doc(doc)
        , m_today(today)
    { }

    void account(int code, const char* name)
    {
        AcMaster a;
        a.Code = code;
        a.AcName = QLatin1String(name);
        a.CreateNode(BookSection(m_doc, schema::kAcMaster));
    }

    void group(const QString& name, const QList<int>& members)
    {
        Groups g;
        g.gi = QStringLiteral(",");
        for (int code : members)
            g.gi += QString::number(code) + QLatin1Char(',');
        g.CreateNode(BookSection(m_doc, schema::kGroups)).setText(name);
    }

    // Days after today are left out: the book ends today. Amounts are given
    // in whole cents.
    void trans(const QDate& date, int from, int to, qint64 cents, const QString& narration)
    {
        if (!date.isValid() || date > m_today)
            return;
        Trans t;
        t.dt = DateToDocDate(date);
        t.No = NextTransactionNumber(m_doc, t.dt);
        t.fAc = from;
        t.tAc = to;
        t.Nar = narration;
        t.CreateNode(BookSection(m_doc, schema::kTrans))
            .setText(Money::fromUnits(cents * (Money::kScale / 100)).toText());
    }

    void narration(const QString& text)
    {
        XmlNode section = BookSection(m_doc, schema::kNarration);
        section.appendChild(section.createElement(QStringLiteral("n"))).setText(text);
    }

    void dateRange(const QDate& from, const QDate& to, const QString& caption)
    {
        XmlNode section = BookSection(m_doc, schema::kDateRanges);
        XmlNode dr = section.appendChild(section.createElement(QStringLiteral("DR")));
        dr.setAttribute(QStringLiteral("From"), qint64(DateToDocDate(from)));
        dr.setAttribute(QStringLiteral("To"), qint64(DateToDocDate(to)));
        dr.setAttribute(QStringLiteral("Caption"), caption);
    }

private:
    XmlDocument& m_doc;
    QDate m_today;
};

QDate dayOf(const QDate& month, int day)
{
    return QDate(month.year(), month.month(), std::min(day, month.daysInMonth()));
}

} // namespace

XmlDocument MakeDemoBook(const QDate& today)
{
    XmlDocument doc = NewDataDocument();
    Builder book(doc, today);
    for (int code = Cash; code <= OpeningBalance; ++code)
        book.account(code, kAccountNames[code - 1]);

    book.group(QStringLiteral("Money"), {Cash, Bank, Savings});
    book.group(QStringLiteral("Income"), {Salary, Interest});
    book.group(QStringLiteral("Household"), {Rent, Groceries, Utilities, Telephone});
    book.group(QStringLiteral("Personal"), {Transport, DiningOut, Medical});

    for (const char* n : {"Cash withdrawal", "Groceries", "Electricity bill", "Monthly saving",
             "Credit card payment"})
        book.narration(QLatin1String(n));

    const QDate first = QDate(today.year(), today.month(), 1).addMonths(-3);
    book.trans(first, OpeningBalance, Bank, 1250000, QStringLiteral("Balance brought forward"));
    book.trans(first, OpeningBalance, Savings, 800000, QStringLiteral("Balance brought forward"));
    book.trans(first, OpeningBalance, Cash, 35000, QStringLiteral("Cash in hand"));

    const qint64 groceries[4][4] = {{6240, 4815, 7590, 5535}, {5820, 7105, 4980, 6610},
        {8025, 5260, 6145, 4790}, {6930, 5775, 7320, 5045}};
    for (int m = 0; m < 4; ++m) {
        const QDate month = first.addMonths(m);
        const QString monthName = QLocale::c().monthName(month.month());
        book.trans(
            dayOf(month, 1), Salary, Bank, 420000, QStringLiteral("Salary for ") + monthName);
        book.trans(dayOf(month, 2), Bank, Rent, 115000, QStringLiteral("Rent for ") + monthName);
        book.trans(dayOf(month, 3), Bank, Cash, 40000, QStringLiteral("Cash withdrawal"));
        for (int w = 0; w < 4; ++w)
            book.trans(dayOf(month, 5 + w * 7), w % 2 ? CreditCard : Cash, Groceries,
                groceries[m][w], QStringLiteral("Groceries"));
        book.trans(dayOf(month, 7), Cash, Transport, 3000, QStringLiteral("Monthly bus pass"));
        book.trans(
            dayOf(month, 9), Bank, Utilities, 8650 + m * 425, QStringLiteral("Electricity bill"));
        book.trans(dayOf(month, 14), Bank, Telephone, 3999, QStringLiteral("Phone and internet"));
        book.trans(dayOf(month, 16), CreditCard, DiningOut, 4580 + m * 600,
            QStringLiteral("Dinner with friends"));
        if (m == 1)
            book.trans(dayOf(month, 18), Cash, Medical, 2500, QStringLiteral("Pharmacy"));
        book.trans(dayOf(month, 21), Cash, Transport, 1850, QStringLiteral("Taxi home"));
        book.trans(
            dayOf(month, 25), Bank, CreditCard, 18000, QStringLiteral("Credit card payment"));
        book.trans(dayOf(month, 28), Bank, Savings, 50000, QStringLiteral("Monthly saving"));
        book.trans(dayOf(month, 31), Interest, Savings, 1235 + m * 40, QStringLiteral("Interest"));
    }

    // Something on today's page, which the transaction entry window shows first.
    book.trans(today, Cash, DiningOut, 850, QStringLiteral("Coffee and a sandwich"));

    book.dateRange(
        QDate(today.year(), 1, 1), QDate(today.year(), 12, 31), QStringLiteral("This year"));
    book.dateRange(first, today, QStringLiteral("Demo period"));
    return doc;
}

bool WriteDemoBook(DataStore& store, const QString& fileName, const QDate& today)
{
    const XmlDocument doc = MakeDemoBook(today);
    return store.WriteDataFile(doc.toBytes(), fileName);
}

} // namespace qb
