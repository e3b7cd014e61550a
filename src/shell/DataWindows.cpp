#include "DataWindows.h"

#include <map>

#include "frmLedger.h"
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
    RegisterLedgerWindows();
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
