#pragma once

// What the account heads and groups windows share: Enter as Tab, the wait
// panel's place, the record panel's layout.

class QBoxLayout;
class QKeyEvent;
class QWidget;

namespace qb {

class sesPanel;

// Enter or Return without Alt: the key the windows turn into Tab.
bool IsEnterKey(const QKeyEvent* key);

// Centres the wait panel horizontally over the view, near its top.
void CentreOver(QWidget* panel, QWidget* view);

// Keeps a captioned panel's layout inside its border and below its caption.
void FitLayoutBelowCaption(sesPanel* panel, QBoxLayout* layout);

} // namespace qb
