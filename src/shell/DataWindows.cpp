#include "shell/DataWindows.h"

#include "masters/frmAcMaster.h"
#include "masters/frmGroupMaster.h"
#include "reports/frmLedger.h"
#include "reports/frmTransSummary.h"
#include "transactions/ReconcileWindow.h"
#include "transactions/frmDeleted.h"
#include "transactions/frmSearch.h"
#include "transactions/frmTrans.h"
#include "windows/Openers.h"

namespace qb {

void RegisterDataWindows()
{
    Openers::registerFactory(
        WindowKind::TransactionEntry, [](const BookContext& book) { return new frmTrans(book); });
    Openers::registerFactory(WindowKind::PeriodSummary,
        [](const BookContext& book) { return new frmTransSummary(book); });
    Openers::registerFactory(
        WindowKind::TransactionList, [](const BookContext& book) { return new frmLedger(book); });
    Openers::registerFactory(
        WindowKind::AccountHeads, [](const BookContext& book) { return new frmAcMaster(book); });
    Openers::registerFactory(
        WindowKind::Groups, [](const BookContext& book) { return new frmGroupMaster(book); });
    Openers::registerFactory(
        WindowKind::Search, [](const BookContext& book) { return new frmSearch(book); });
    Openers::registerFactory(WindowKind::DeletedTransactions,
        [](const BookContext& book) { return new frmDeleted(book); });
    Openers::registerFactory(
        WindowKind::Reconcile, [](const BookContext& book) { return new ReconcileWindow(book); });
}

} // namespace qb
