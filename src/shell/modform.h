// The routines both skinned windows share: their rounded outline, their move by the title bar and their
// place in the middle of the screen.
#pragma once

#include <QPoint>

class QScreen;
class QWidget;

namespace modForm {

// Cuts the window to a rectangle with rounded corners (quarter ellipses of 12 px radius) for its current
// size: outside it the window neither shows nor takes the mouse. Called again after every change of size.
void RoundFormRegion(QWidget* window);

// Lets the desktop show through the window's cut-away corners wherever a compositor draws it: a compositor may
// draw the window whole, outline or not (KWin does), so the corners are transparent pixels of a translucent
// window as well. Call before the window is first shown; its paintEvent calls PaintFormBackground.
void SeeThroughCorners(QWidget* window);

// Fills the window with its background colour inside its rounded outline, and nowhere else.
void PaintFormBackground(QWidget* window);

// Moves the window by the title while the pressed button is held, keeping `grip` (where the button went down,
// in screen coordinates) under the pointer: a press handled late, after the pointer moved on, still moves the
// window by the whole way. A tap moves nothing, and neither does a button already let go.
void StartFormDrag(QWidget* window, QPoint grip);

// Where a press at `x`, `y` twips inside `control` lies on the screen.
QPoint PressOnScreen(const QWidget* control, float x, float y);

// Puts the window in the middle of the screen's usable area (the window's own screen when none is given).
void CenterOnScreen(QWidget* window, QScreen* screen = nullptr);

} // namespace modForm
