#include "store/Memory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace qb {

void TuneMemoryForDocuments()
{
#if defined(__GLIBC__)
    // No fast lists: a freed node goes straight back to the ordinary bins.
    mallopt(M_MXFAST, 0);
    // Buffers of a report part (a few megabytes) reuse the heap instead of
    // a fresh mapping each; memory beyond 64 MB at the top is given back.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
#endif
}

void KeepOutOfCoreDumps()
{
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
#endif
#ifdef Q_OS_UNIX
    const struct rlimit none
    {
        0, 0
    };
    ::setrlimit(RLIMIT_CORE, &none);
#endif
}

} // namespace qb
