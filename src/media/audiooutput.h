// The sound output behind the cues lives in a module of its own, `volarino-audio`, the one part of the program
// that links the audio server's client library (libpulse, with the libraries it brings: D-Bus, sndfile, codecs).
// Linked to the program, the dynamic loader would map and bind them all before main(); the sound thread loads
// the module once the window is on screen.
#pragma once

#include "wavecue.h"

#include <QByteArray>
#include <QtPlugin>
#include <memory>

// One stream to the desktop's audio output, closed by deleting it. play() may be called from any thread, one call
// at a time, and never waits for the audio server.
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
    // A stream to the desktop's default audio output, or nothing when the module cannot run at all. An output
    // made without an audio server to talk to plays nothing until one appears.
    virtual std::unique_ptr<AudioOutput> openDefaultOutput() = 0;
};

#define AudioOutputModule_iid "it.volarino.AudioOutputModule/1.0"
Q_DECLARE_INTERFACE(AudioOutputModule, AudioOutputModule_iid)
