// The game's PCM format in QtMultimedia's terms; for the sound module and the benchmark, which link QtMultimedia.
#pragma once

#include "media/wavecue.h"

#include <QAudioFormat>

inline QAudioFormat toQAudioFormat(const PcmFormat& pcm)
{
    QAudioFormat format;
    format.setSampleRate(pcm.sampleRate());
    format.setChannelCount(pcm.channelCount());
    format.setSampleFormat(pcm.bitsPerSample() == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}
