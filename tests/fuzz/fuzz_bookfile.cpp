// libFuzzer target over the read path of a book file: the input is the text
// a book holds; it is enciphered as a file would hold it, then deciphered,
// parsed, checked for its sections and password, repaired, checked for
// inconsistencies, and given to the entry window's two reports, the period
// summary (all accounts, one account, the book's first group) and the
// transaction list of an account.

#include <cstddef>
#include <cstdint>

#include <QCoreApplication>
#include <QDate>

#include "engine/EntryReports.h"
#include "engine/LedgerReport.h"
#include "engine/ShortDate.h"
#include "engine/SummaryReport.h"
#include "store/BookCheck.h"
#include "store/BookFile.h"
#include "store/ClsAX.h"

namespace {

struct Reports
{
    qb::DayListReport day;
    qb::AccountBalance balance;
    qb::PeriodSummaryReport summary;
    qb::LedgerReport ledger;
    bool loaded = false;
};

Reports& reports()
{
    static int argc = 1;
    static char name[] = "fuzz_bookfile";
    static char* argv[] = {name, nullptr};
    // The templates are found beside the program.
    static QCoreApplication app(argc, argv);
    static Reports r;
    static const bool once = [] {
        r.loaded = r.day.load() && r.balance.load() && r.summary.load() && r.ledger.load();
        return true;
    }();
    Q_UNUSED(once);
    return r;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reports& r = reports();
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    qb::ClsAX::EnDeCryptBytes(bytes, qb::DataFileKey()); // as the file holds it
    qb::ClsAX::EnDeCryptBytes(bytes, qb::DataFileKey()); // as the open reads it

    qb::BookReadOptions options;
    options.testPassword = true;
    options.password = QStringLiteral("secret");
    qb::Book book;
    if (qb::ParseBook(bytes, QStringLiteral("fuzz.qbf"), &book, options).isSet())
        return 0;
    qb::BookCheck::problems(book.document);
    if (r.loaded) {
        QString page;
        qb::Error error;
        r.day.build(book.document, QDate(2013, 1, 10), QStringLiteral("Day"), &page, &error);
        r.balance.balance(book.document, 1, QDate(2013, 12, 31));

        const QDate from(2013, 1, 1);
        const QDate to(2013, 12, 31);
        const QString group
            = book.document.evaluate(QStringLiteral("string(/Data/Groups/Group[1])"));
        for (const qb::SummarySubject& subject : {qb::SummarySubject::allAccounts(),
                 qb::SummarySubject::account(1, qb::AccountName(book.document, 1)),
                 qb::SummarySubject::group(group)}) {
            qb::SummaryResult result;
            r.summary.build(book.document, from, to, subject, &result, &error);
        }
        r.ledger.build(book.document, 1, qb::AccountName(book.document, 1), from, to,
            qb::DateDisplayExpression(), &page, &error);
    }
    return 0;
}
