#pragma once

namespace qb {

// Lets the openers make the program's data windows (transaction entry, the
// report windows). Called once by the program before the main window loads.
void RegisterDataWindows();

} // namespace qb
