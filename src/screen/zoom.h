// The zoom of the editors and of the screen window (a class in front of a projector): the
// usual steps, Ctrl + wheel and Ctrl +/-/0 to move through them, and the last choice kept
// for the next start.
#pragma once

#include <QString>

class QKeyEvent;
class QWheelEvent;

namespace zef::zoom {

// The step after `current` in the given direction (+1 larger, -1 smaller); 0 gives 100 %.
double step(double current, int direction);
// The direction a key or wheel event asks for: +1, -1, 0 for "back to 100 %", or no
// zoom at all (answered false).
bool fromKey(const QKeyEvent& event, int& direction);
bool fromWheel(const QWheelEvent& event, int& direction);
// The remembered zoom of a kind of window ("editeur", "ecran").
double load(const QString& kind);
void save(const QString& kind, double factor);

} // namespace zef::zoom
