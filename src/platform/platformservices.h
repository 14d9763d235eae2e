// The one seam between the windows and the desktop: sound, beep, message boxes, dialogs, the yield to the
// event loop and ending the program. The game gets the Qt implementation; tests pass a fake that records
// the calls and scripts the answers.
#pragma once

#include <QColor>
#include <QString>
#include <QtGlobal>
#include <optional>

class QWidget;

class PlatformServices
{
public:
    // Message box styles and answers, with the classic numeric codes the handlers think in.
    enum MsgBoxStyle : int {
        OkOnly = 0,
        YesNo = 4,
        Question = 32,
        Information = 64,
    };
    enum MsgBoxResult : int {
        Ok = 1,
        Yes = 6,
        No = 7,
    };

    virtual ~PlatformServices() = default;

    // Starts the sound cue `id` without waiting for it and cuts off the cue playing before.
    // Returns false when there is no such cue (nothing was started); a cue whose data cannot be
    // played, or a machine without audio, is silent but still counts as started.
    virtual bool startCue(qint16 id) = 0;

    // Lets the event loop handle what is pending (ticks, clicks), then returns.
    virtual void yieldToEvents() = 0;

    virtual void beep() = 0;

    // Modal message box; an empty title means the application's own. A Yes/No box has no cancel: only its two
    // buttons answer it, not Escape nor the window's close.
    virtual int messageBox(QWidget* parent, const QString& prompt, int style, const QString& title) = 0;

    // Modal colour dialog: the colour confirmed, or nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget* parent) = 0;

    // Modal file-open dialog with a filter in "Name|*.ext|Name|*.ext" form: the file chosen, or nothing.
    virtual std::optional<QString> chooseOpenFile(QWidget* parent, const QString& filter) = 0;

    // Ends the program at once with `status` as its exit status (0: the player left; else a failure, so that a
    // launcher, a script or a crash reporter sees one): no further handler runs.
    virtual void exitNow(int status) = 0;
};
