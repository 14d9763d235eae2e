// The game window's frame hooks for the tests: the start of a move by the title, the pause between two
// passes of the closing slide, and the slide itself.
#pragma once

#include "game/frmgame.h"

#include <functional>

struct frmGameShellProbe
{
    static void setFormDragHook(frmGame& g, std::function<void(QWidget*, QPoint)> hook)
    {
        g.m_startFormDrag = std::move(hook);
    }
    static void setSlidePause(frmGame& g, std::function<void()> pause) { g.m_slidePause = std::move(pause); }
    static void Uscita(frmGame& g) { g.Uscita(); }
};

namespace ShellTests {

// Qt Test's own handler, which every other message goes on to.
inline QtMessageHandler forwardedHandler = nullptr;

// The offscreen platform can neither cut a window's outline, raise it nor pass on its size limits, and says so
// every time; the widgets still keep their outline, order and limits, which is what the tests read.
inline void quietOffscreenPlatform()
{
    forwardedHandler =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.contains(QLatin1String("does not support setting window masks")) ||
                message.contains(QLatin1String("does not support raise()")) ||
                message.contains(QLatin1String("does not support propagateSizeHints()")))
                return;
            if (forwardedHandler)
                forwardedHandler(type, context, message);
        });
}

} // namespace ShellTests
