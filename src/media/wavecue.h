// A sound cue decoded once from its WAV bytes: the raw PCM and its format, ready to hand to the audio output.
#pragma once

#include <QByteArray>
#include <optional>

// Uncompressed PCM as a WAV file describes it. The game's own type: the game does not link the audio
// libraries, its sound module does (see audiooutput.h).
class PcmFormat
{
public:
    PcmFormat() = default;
    PcmFormat(int sampleRate, int channelCount, int bitsPerSample)
        : m_sampleRate(sampleRate), m_channelCount(channelCount), m_bitsPerSample(bitsPerSample)
    {}

    int sampleRate() const { return m_sampleRate; }
    int channelCount() const { return m_channelCount; }
    int bitsPerSample() const { return m_bitsPerSample; } // 8 (unsigned) or 16 (signed)
    int bytesPerFrame() const { return m_channelCount * m_bitsPerSample / 8; }

    friend bool operator==(const PcmFormat& a, const PcmFormat& b)
    {
        return a.m_sampleRate == b.m_sampleRate && a.m_channelCount == b.m_channelCount &&
               a.m_bitsPerSample == b.m_bitsPerSample;
    }
    friend bool operator!=(const PcmFormat& a, const PcmFormat& b) { return !(a == b); }

private:
    int m_sampleRate = 0;
    int m_channelCount = 0;
    int m_bitsPerSample = 0;
};

struct WaveCue
{
    PcmFormat format;
    QByteArray pcm;
};

// Reads a RIFF/WAVE image holding uncompressed PCM (8 or 16 bit, mono or stereo).
// Anything else, truncated or malformed, gives nothing.
std::optional<WaveCue> parseWave(const QByteArray& bytes);

// The same for bytes that last as long as the program, such as a resource compiled into it: the cue's samples
// are those very bytes, not a copy.
std::optional<WaveCue> parseLastingWave(const char* data, qsizetype size);
