#pragma once

// The Window menu's arrangements of the windows in an MDI area.

#include <Qt>

class QMdiArea;

namespace qb {

// Tile Horizontally (Qt::Horizontal) stacks the windows one above the other,
// each as wide as the area; Tile Vertically puts them side by side. Minimized
// windows keep their place. A frame smaller than its window's minimum size
// clips the window rather than squeezing its controls together.
void TileWindows(QMdiArea* area, Qt::Orientation orientation);

// Minimized windows line up along the bottom of the area, left to right,
// starting a row higher when one row is full.
void ArrangeIcons(QMdiArea* area);

} // namespace qb
