#include "store/Parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace qb {

void RunOnEveryCore(
    qsizetype count, const std::function<std::function<void(qsizetype)>()>& makeWorker)
{
    if (count <= 0)
        return;
    std::atomic<qsizetype> next {0};
    const auto work = [&] {
        const std::function<void(qsizetype)> worker = makeWorker();
        for (qsizetype i = next++; i < count; i = next++)
            worker(i);
    };
    const qsizetype cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> helpers;
    for (qsizetype i = 1; i < std::min(count, cores); ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace qb
