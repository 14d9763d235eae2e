// The rules of the game window's slide towards the upper left as it closes. All lengths in twips.
#pragma once

#include "common/twips.h"

#include <QRectF>
#include <QtGlobal>
#include <cmath>

namespace ClosingSlide {

// The first pass moves the window 5 twips left and up; each later pass one twip more than the one before.
constexpr qint64 FirstStep = 5;

// The pass limit N: the screen's width in twips AND its height in twips, bitwise. The slide makes at most
// N + 1 passes (1366 x 768 px gives 0: a single pass).
inline qint32 passLimit(int screenWidthPx, int screenHeightPx)
{
    const auto width = static_cast<qint32>(std::lround(static_cast<double>(screenWidthPx) * Twips::PerPixel));
    const auto height = static_cast<qint32>(std::lround(static_cast<double>(screenHeightPx) * Twips::PerPixel));
    return width & height;
}

// How far the window has moved left, and as far up, after `passes` passes: 5k + k(k - 1) / 2.
constexpr qint64 distanceAfter(qint64 passes)
{
    return FirstStep * passes + passes * (passes - 1) / 2;
}

// The passes the slide makes for a window at `window` on a desktop covering `desktop`: at most limit + 1,
// and none after the pass that leaves the window wholly outside the desktop. At least one.
inline qint64 passesMade(const QRectF& window, const QRectF& desktop, qint32 limit)
{
    const qint64 most = static_cast<qint64>(limit) + 1;
    for (qint64 passes = 1; passes < most; ++passes) {
        const auto d = static_cast<qreal>(distanceAfter(passes));
        if (!window.translated(-d, -d).intersects(desktop))
            return passes;
    }
    return most;
}

} // namespace ClosingSlide
