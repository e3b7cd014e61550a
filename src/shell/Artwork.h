#pragma once

// The program's pictures, drawn at run time: the logo of the splash, panel
// and About windows, the window icon, and the eleven toolbar images.

#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace qb {

// The colour that stands for "transparent" in the toolbar's image strip.
inline constexpr QRgb kToolbarMaskColor = 0xFF00FF;
inline constexpr int kToolbarIconSize = 32;
inline constexpr int kToolbarImageCount = 11;

// The logo, size x size pixels, on a transparent background.
QPixmap ProgramLogo(int size);
QIcon ProgramIcon();

// The picture at the right of the background panel: a ledger page with a
// rising chart and a few coins, on a transparent background.
QPixmap PanelPicture(int width, int height);

// Toolbar image 0..10 in button order (open, close, import statement,
// account heads, groups, transaction entry, search, transaction list, period
// summary, help, exit):
// 32 x 32, opaque, background in the mask colour, edges blended with background.
QPixmap ToolbarImage(int index, const QColor& background);

} // namespace qb
