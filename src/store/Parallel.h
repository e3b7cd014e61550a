#pragma once

// Work spread over the machine's cores, for the few jobs large enough to
// gain from it (a busy day's page, the open windows' refreshes).

#include <functional>

#include <QtGlobal>

namespace qb {

// Runs the items 0 .. count - 1 on every core at once, this thread taking its
// share, and returns when all are done. Each thread first makes a worker of
// its own with makeWorker (for state that threads cannot share) and gives it
// items until none is left; every item is given once.
void RunOnEveryCore(
    qsizetype count, const std::function<std::function<void(qsizetype)>()>& makeWorker);

} // namespace qb
