#include "modform.h"

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

void StartFormDrag(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    DragFollower::start(window);
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
