#pragma once

// The small pop-up menus that report pages offer for account and date links.

#include <QList>
#include <QString>

#include "store/UiServices.h"

class QWidget;

namespace qb {

// Items of the account menu: "Transaction List" (1003) unless hidden,
// "Period summary" (1002) unless hidden, a separator (1001), "Cancel Menu" (1000).
QList<MenuItem> AccountMenuItems(bool hideTransactionList, bool hidePeriodSummary);
// Items of the date menu: "Show entries on " + dateText (1003), a separator
// (1001), "Cancel Menu" (1000).
QList<MenuItem> DateMenuItems(const QString& dateText);

// Shows the account menu through PopupMenus::current(). The result is
// "Transaction List", "Period Summary" (capital S, unlike the item),
// "Cancel Menu", or empty text when the menu was dismissed.
QString ShowAccountMenu(QWidget* owner, bool hideTransactionList, bool hidePeriodSummary);
// "Show Entries On" when the item was chosen, otherwise empty text.
QString ShowDateMenu(QWidget* owner, const QString& dateText);

} // namespace qb
