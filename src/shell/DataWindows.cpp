#include "DataWindows.h"

#include "Openers.h"
#include "frmTrans.h"

namespace qb {

void RegisterDataWindows()
{
    Openers::registerFactory(WindowKind::TransactionEntry,
                             [](const BookContext& book) { return new frmTrans(book); });
}

} // namespace qb
