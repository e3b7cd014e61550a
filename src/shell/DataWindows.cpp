#include "DataWindows.h"

#include "frmTrans.h"

namespace qb {

void RegisterDataWindows()
{
    RegisterTransactionWindows();
}

} // namespace qb
