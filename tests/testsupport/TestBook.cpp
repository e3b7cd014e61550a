#include "TestBook.h"

namespace qb::test {

TestBook::TestBook(QDate today)
    : clock(today)
    , store(DataStore::instance())
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
