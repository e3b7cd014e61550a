// libFuzzer target over the read path of a book file: the input is the text
// a book holds; it is enciphered as a file would hold it, then deciphered,
// parsed, checked for its sections and password, repaired, checked for
// inconsistencies, and given to the entry window's two reports.

#include <cstddef>
#include <cstdint>

#include <QCoreApplication>
#include <QDate>

#include "BookCheck.h"
#include "BookFile.h"
#include "ClsAX.h"
#include "EntryReports.h"

namespace {

struct Reports
{
    qb::DayListReport day;
    qb::AccountBalance balance;
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
        r.loaded = r.day.load() && r.balance.load();
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
    }
    return 0;
}
