#pragma once

// What the account heads and groups windows share: the wait panel's place
// and the record panel's layout.

class QBoxLayout;
class QWidget;

namespace qb {

class sesPanel;

// Centres the wait panel horizontally over the view, near its top.
void CentreOver(QWidget* panel, QWidget* view);

// Keeps a captioned panel's layout inside its border and below its caption.
void FitLayoutBelowCaption(sesPanel* panel, QBoxLayout* layout);

} // namespace qb
