#include "placement.h"

#include <algorithm>

namespace zef::placement {

QRect newEditor(QSize area, QSize screenWindow, int open, int step) {
    // Beside the screen window when that leaves the editor a third of the area at least;
    // else (a large zoom, a small frame) two thirds, and the screen window stands over
    // the rest.
    const int room = area.width() - screenWindow.width() - kScreenGap;
    const int wide = area.width() * 2 / 3;
    const int width = std::max(kSmallestEditor.width(), room >= area.width() / 3 ? std::min(room, wide) : wide);
    // Up to a quarter of the area's height of steps, then the next window starts again at
    // the top left.
    const int steps = std::max(1, std::min(8, area.height() / 4 / std::max(step, 1)));
    const int offset = (open % steps) * step;
    const int height = std::max(kSmallestEditor.height(), area.height() - offset);
    // Each next one keeps its right edge (and its title bar's buttons) where the first's
    // is, clear of the screen window.
    const QSize size =
        QSize(std::max(kSmallestEditor.width(), width - offset), height).boundedTo(area.expandedTo(kSmallestEditor));
    return QRect(QPoint(offset, offset), size);
}

QPoint screenWindow(QRect frame, QRect editor, QSize screenWindow, QRect desktop) {
    QPoint at;
    if (frame.right() - editor.right() >= screenWindow.width() + kScreenGap)
        at = QPoint(editor.right() + 1 + kScreenGap, editor.top());
    else if (editor.left() - frame.left() >= screenWindow.width() + kScreenGap)
        at = QPoint(editor.left() - kScreenGap - screenWindow.width(), editor.top());
    else
        at = QPoint(frame.right() + 1 - screenWindow.width(), editor.top());
    // Wholly on the desktop, the top left first when the window is larger than it.
    at.setX(std::max(desktop.left(), std::min(at.x(), desktop.right() + 1 - screenWindow.width())));
    at.setY(std::max(desktop.top(), std::min(at.y(), desktop.bottom() + 1 - screenWindow.height())));
    return at;
}

} // namespace zef::placement
