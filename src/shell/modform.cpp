#include "modform.h"

#include "common/twips.h"
#include "dragfollower.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace modForm {

namespace {

constexpr int CornerEllipse = 24; // px, width and height of the ellipse that rounds each corner

} // namespace

void RoundFormRegion(QWidget* window)
{
    const int width = window->width();
    const int height = window->height();
    if (width <= 0 || height <= 0) {
        // A minimised window may report no size at all: nothing to cut, and the restore cuts again.
        window->clearMask();
        return;
    }
    // Drawn without antialiasing, so every pixel is either wholly in or wholly out, as the pictures'
    // keyed-out corners expect.
    QBitmap outline(width, height);
    outline.fill(Qt::color0);
    QPainter painter(&outline);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRect(0, 0, width, height), CornerEllipse / 2, CornerEllipse / 2);
    painter.end();
    window->setMask(outline);
}

void SeeThroughCorners(QWidget* window)
{
    window->setAttribute(Qt::WA_TranslucentBackground);
}

void PaintFormBackground(QWidget* window)
{
    QPainter painter(window);
    const QRegion outline = window->mask();
    if (!outline.isEmpty())
        painter.setClipRegion(outline);
    painter.fillRect(window->rect(), window->palette().window());
}

void StartFormDrag(QWidget* window, QPoint grip)
{
    // The game moves the window itself rather than ask the window manager for its interactive move: a move asked
    // for once the button is up (a tap whose release came with its press, or reached the compositor before the
    // game) went on with no button held under openbox and KWin, and a move started anywhere but at the press
    // would lose the point where the button went down. Here every motion and the release reach the game, in
    // order, while the button is held on its window.
    const int held = QGuiApplication::mouseButtons().toInt();
    if (held == 0)
        return; // already let go: nothing to move
    // The button that pressed the title ends the move: the lowest one held, left before right before middle.
    DragFollower::start(window, static_cast<Qt::MouseButton>(held & -held), grip);
}

QPoint PressOnScreen(const QWidget* control, float x, float y)
{
    return control->mapToGlobal(QPointF(x / Twips::PerPixel, y / Twips::PerPixel)).toPoint();
}

void CenterOnScreen(QWidget* window, QScreen* screen)
{
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace modForm
