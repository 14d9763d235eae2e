// A sound cue decoded once from its WAV bytes: the raw PCM and its format, ready to hand to the audio output.
#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <optional>

struct WaveCue
{
    QAudioFormat format;
    QByteArray pcm;
};

// Reads a RIFF/WAVE image holding uncompressed PCM (8 or 16 bit, mono or stereo).
// Anything else, truncated or malformed, gives nothing.
std::optional<WaveCue> parseWave(const QByteArray& bytes);
