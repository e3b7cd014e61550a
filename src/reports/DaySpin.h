#pragma once

// The small spin bars beside the date fields (VScrollFrom, VScrollTo): values
// 0 to 2 resting at 1; the upper arrow (0) makes the date one day later, the
// lower arrow (2) one day earlier, and the bar goes back to 1.

#include <functional>

class QDateEdit;
class QScrollBar;
class QWidget;

namespace qb {

QScrollBar* MakeDaySpinBar(QWidget* parent, const char* objectName);

// Connects bar to date: each arrow steps the date by one day, then calls
// stepped (when given). The reset to 1 does nothing.
void ConnectDaySpinBar(QScrollBar* bar, QDateEdit* date, std::function<void()> stepped = {});

} // namespace qb
