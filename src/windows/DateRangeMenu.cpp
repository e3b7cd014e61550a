#include "windows/DateRangeMenu.h"

#include "controls/DateBox.h"
#include "engine/DateRanges.h"
#include "store/DataStore.h"
#include "store/UiServices.h"
#include "windows/frmDateRangeAdd.h"
#include "windows/frmDateRangeManage.h"

namespace qb {

QString ShowDateRangeMenu(const BookContext& book, QWidget* owner, DateBox* from, DateBox* to)
{
    const XmlNode section = book.store.DateRangesSection();
    const QList<DateRange> ranges = ReadDateRanges(section);
    const QList<MenuItem> items = DateRangeMenuItems(ranges);
    const int chosen = PopupMenus::current().choose(items);
    // Only an item the menu offered, and could be chosen, counts.
    int command = 0;
    for (const MenuItem& item : items) {
        if (!item.separator && item.enabled && item.command == chosen)
            command = chosen;
    }

    if (command >= DateRangeFirst && command <= DateRangeLast) {
        const int position = command - DateRangeFirst;
        if (position < ranges.size()) {
            from->setDate(ranges.at(position).from());
            to->setDate(ranges.at(position).to());
        }
    } else if (command == DateRangeAdd) {
        frmDateRangeAdd dialog(book, owner);
        dialog.setDates(from->date(), to->date());
        dialog.exec();
    } else if (command == DateRangeManage) {
        frmDateRangeManage dialog(book, owner);
        dialog.exec();
    }
    return {};
}

} // namespace qb
