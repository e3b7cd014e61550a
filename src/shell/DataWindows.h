#pragma once

namespace qb {

// Registers with the openers a factory for each of the program's data
// windows (account heads, groups, transaction entry, the report windows),
// one line per window. Called once by the program before the main window
// loads; the factories are given the book the main window hands on.
void RegisterDataWindows();

} // namespace qb
