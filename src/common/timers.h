// Timers switched on and off the way the game's handlers think of them.
#pragma once

#include <QTimer>

namespace Timers {

// Enabling a running timer leaves its rhythm alone; enabling a stopped one starts a full interval.
inline void setEnabled(QTimer& timer, bool enabled)
{
    if (!enabled)
        timer.stop();
    else if (!timer.isActive())
        timer.start();
}

inline void setup(QTimer& timer, int interval)
{
    timer.setInterval(interval);
    // The coarse default may shift ticks by 5 %: the disc's speed on screen depends on a steady rhythm.
    timer.setTimerType(Qt::PreciseTimer);
}

} // namespace Timers
