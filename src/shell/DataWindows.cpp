#include "DataWindows.h"

#include "Openers.h"
#include "frmAcMaster.h"
#include "frmGroupMaster.h"
#include "frmTrans.h"

namespace qb {

void RegisterDataWindows()
{
    Openers::registerFactory(WindowKind::TransactionEntry,
                             [](const BookContext& book) { return new frmTrans(book); });
    Openers::registerFactory(WindowKind::AccountHeads,
                             [](const BookContext& book) { return new frmAcMaster(book); });
    Openers::registerFactory(WindowKind::Groups,
                             [](const BookContext& book) { return new frmGroupMaster(book); });
}

} // namespace qb
