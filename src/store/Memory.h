#pragma once

// How the process allocates memory. The program builds and frees trees of
// millions of small nodes (a parsed book, a report's result tree): glibc's
// default keeps those freed nodes in fast lists that every later large
// allocation first sorts back, and gives each large buffer its own mapping,
// which a busy day's page pays for a second and more. Called once at the top
// of each program's main; nothing happens where the C library is another.

namespace qb {

void TuneMemoryForDocuments();

// From now on a crash of the process writes no core dump (Linux: the process
// is no longer dumpable and its core size limit is 0), so that the memory of
// a decrypted book never lands in a file. For the rest of the process's life.
void KeepOutOfCoreDumps();

} // namespace qb
