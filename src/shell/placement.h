// Where the frame puts new windows so that the first screen is tidy: a new editor gets a
// useful share of the frame, leaving room at its right for the screen window, which opens
// beside the editor rather than over its text. Plain geometry, tested without windows.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace zef::placement {

// Between an editor and the screen window beside it.
inline constexpr int kScreenGap = 8;
// The smallest editor window, the size the design gives a new one.
inline constexpr QSize kSmallestEditor{502, 265};

// A new editor window in an MDI area of size `area`, `open` windows being open already:
// as wide as leaves the screen window (`screenWindow`, its outer size) room at the right,
// at most two thirds of the area (and two thirds when that room would leave less than a
// third), never under the smallest size; as high as the area, each new one a title bar
// (`step`) lower and to the right of the one before, its right edge where the first's is.
QRect newEditor(QSize area, QSize screenWindow, int open, int step);

// The top-left corner of the screen window (outer size `screenWindow`) at its first
// showing: beside the editor (`editor`, in the same coordinates as `frame`, the frame's
// area for documents) on the side where the frame has room for it, at the editor's top;
// else against the frame's right edge, where it covers the least of the editor's text.
// It always stays on the desktop (`desktop`).
QPoint screenWindow(QRect frame, QRect editor, QSize screenWindow, QRect desktop);

} // namespace zef::placement
