#include "TestBook.h"

namespace qb::test {

TestBook::TestBook(QDate today)
    : clock(today)
    , store(test::sharedStore())
{ }

TestBook::~TestBook()
{
    store.CloseDocument();
    store.forgetFile();
}

bool TestBook::open(const QByteArray& xml, const QString& name)
{
    file = env.path(name);
    return writeDataFile(file, xml) && store.OpenDataFile(file) && store.hasDocument();
}

} // namespace qb::test
