#include "DataWindows.h"

#include "Openers.h"
#include "frmLedger.h"
#include "frmAcMaster.h"
#include "frmGroupMaster.h"
#include "frmSearch.h"
#include "frmTrans.h"
#include "frmTransSummary.h"

namespace qb {

void RegisterDataWindows()
{
    Openers::registerFactory(WindowKind::TransactionEntry,
                             [](const BookContext& book) { return new frmTrans(book); });
    Openers::registerFactory(WindowKind::PeriodSummary,
                             [](const BookContext& book) { return new frmTransSummary(book); });
    Openers::registerFactory(WindowKind::TransactionList,
                             [](const BookContext& book) { return new frmLedger(book); });
    Openers::registerFactory(WindowKind::AccountHeads,
                             [](const BookContext& book) { return new frmAcMaster(book); });
    Openers::registerFactory(WindowKind::Groups,
                             [](const BookContext& book) { return new frmGroupMaster(book); });
    Openers::registerFactory(WindowKind::Search,
                             [](const BookContext& book) { return new frmSearch(book); });
}

} // namespace qb
