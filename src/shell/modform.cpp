#include "modform.h"

#include "common/twips.h"
#include "dragfollower.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QPainter>
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

void StartFormDrag(QWidget* window, QPoint grip)
{
    // The button that pressed the title ends the move. The desktop's own move (Qt asks X11 window managers for
    // one driven by button 1) would go on after a right or middle release, so those buttons move the window
    // here.
    const Qt::MouseButtons held = QGuiApplication::mouseButtons();
    if (held == Qt::NoButton || held.testFlag(Qt::LeftButton)) {
        QWindow* handle = window->windowHandle();
        if (handle && handle->startSystemMove())
            return;
        DragFollower::start(window, Qt::LeftButton, grip);
        return;
    }
    // The lowest button held: the right one, or the middle one.
    const int bits = held.toInt();
    DragFollower::start(window, static_cast<Qt::MouseButton>(bits & -bits), grip);
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
