#pragma once

// The date-range pop-up menu of the report windows: the book's saved ranges,
// then "Add Date Range...", "Manage Date Ranges..." and "Cancel Menu".

#include <QString>

#include "store/BookContext.h"

class QWidget;

namespace qb {

class DateBox;

// Shows the menu through PopupMenus::current(). A saved range sets from and
// to to its dates; Add shows the add dialog with the two current dates; Manage
// shows the manage dialog. Returns empty text; the caller refreshes afterwards.
QString ShowDateRangeMenu(const BookContext& book, QWidget* owner, DateBox* from, DateBox* to);

} // namespace qb
