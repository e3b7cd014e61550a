#pragma once

#include <functional>

class QWidget;

namespace qb {

// Lets the openers make the program's data windows (transaction entry, the
// report windows) and the main window make the master windows. Called once
// by the program before the main window loads.
void RegisterDataWindows();

// The account heads and groups windows: one of each at most; Master >
// Account Heads or Groups brings the open one to the front or makes one
// with the registered factory.
enum class MasterWindow { AccountHeads, Groups };
// An empty factory removes the kind's factory.
void RegisterMasterWindow(MasterWindow kind, std::function<QWidget*()> factory);
std::function<QWidget*()> MasterWindowFactory(MasterWindow kind);

} // namespace qb
