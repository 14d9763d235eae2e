// The sound output behind the cues lives in a module of its own, `volarino-audio`, the one part of the program
// that links QtMultimedia. QtMultimedia brings nearly thirty libraries with it (PulseAudio, codecs, QtNetwork);
// linked to the program, the dynamic loader would map and bind them all before main(), about a tenth of the
// time to the first window. The sound thread loads the module once the window is on screen.
#pragma once

#include "wavecue.h"

#include <QByteArray>
#include <QtPlugin>
#include <memory>

// One stream to the desktop's audio output; used on the thread that opened it, and closed by deleting it.
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;
    // Plays `pcm` from its start, cutting off whatever this output was playing.
    virtual void play(const PcmFormat& format, const QByteArray& pcm) = 0;
};

class AudioOutputModule
{
public:
    virtual ~AudioOutputModule() = default;
    // The desktop's default audio output, or nothing when there is none (no device, no audio server).
    virtual std::unique_ptr<AudioOutput> openDefaultOutput() = 0;
};

#define AudioOutputModule_iid "it.volarino.AudioOutputModule/1.0"
Q_DECLARE_INTERFACE(AudioOutputModule, AudioOutputModule_iid)
