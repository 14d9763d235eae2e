#include "modform.h"

#include "common/twips.h"
#include "dragfollower.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

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
    // The button that pressed the title ends the move: the lowest one held, left before right before middle.
    const int held = QGuiApplication::mouseButtons().toInt();
    if (held == 0)
        return; // already let go: nothing to move
    const auto button = static_cast<Qt::MouseButton>(held & -held);
    const QPointer<DragFollower> follower = DragFollower::start(window, button, grip);
    if (!follower)
        return;
    // A press and its release can arrive together (a tap on a touchpad, a remote desktop, a game busy for a
    // moment): whatever the X server has already sent is handled first, so a release that came with the press
    // ends the follow before any move is asked for. A window manager's move asked for after the release would
    // follow the pointer with no button held.
    QGuiApplication::sync();
    if (!follower || follower->finished() || follower->pointerMoved())
        return; // let go, or already following from where the button went down
    // The desktop's own move starts from the pointer's last position as the window saw it, here the press.
    // Qt asks X11 window managers for one driven by button 1, which a right or middle release would not end.
    QWindow* handle = window->windowHandle();
    if (button == Qt::LeftButton && handle && handle->startSystemMove())
        follower->finish();
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
