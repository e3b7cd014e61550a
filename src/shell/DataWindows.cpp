#include "DataWindows.h"

#include <map>

#include "Clock.h"
#include "DataStore.h"
#include "frmAcMaster.h"
#include "frmGroupMaster.h"
#include "frmTrans.h"

namespace qb {

namespace {
std::map<MasterWindow, std::function<QWidget*()>>& masterFactories()
{
    static std::map<MasterWindow, std::function<QWidget*()>> map;
    return map;
}
} // namespace

void RegisterDataWindows()
{
    RegisterTransactionWindows();

    static const SystemClock clock;
    static const BookContext book{DataStore::instance(), clock};
    RegisterMasterWindow(MasterWindow::AccountHeads, [] { return new frmAcMaster(book); });
    RegisterMasterWindow(MasterWindow::Groups, [] { return new frmGroupMaster(book); });
}

void RegisterMasterWindow(MasterWindow kind, std::function<QWidget*()> factory)
{
    if (factory)
        masterFactories()[kind] = std::move(factory);
    else
        masterFactories().erase(kind);
}

std::function<QWidget*()> MasterWindowFactory(MasterWindow kind)
{
    const auto it = masterFactories().find(kind);
    return it == masterFactories().end() ? std::function<QWidget*()>() : it->second;
}

} // namespace qb
