#include "soundcuebank.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>

namespace {
// The cue numbers the game asks for; 103 has no sound of its own.
constexpr qint16 BuiltInCues[] = {101, 102, 104, 105, 106, 107, 108};
} // namespace

SoundCueBank::SoundCueBank(QObject* parent) : QObject(parent) {}

SoundCueBank::~SoundCueBank()
{
    if (m_sink)
        m_sink->stop();
}

void SoundCueBank::loadBuiltInCues()
{
    for (qint16 id : BuiltInCues) {
        QFile file(QStringLiteral(":/sounds/cue%1.wav").arg(id));
        if (file.open(QIODevice::ReadOnly))
            addCue(id, file.readAll());
    }
}

void SoundCueBank::addCue(qint16 id, const QByteArray& waveBytes) { m_cues[id] = parseWave(waveBytes); }

bool SoundCueBank::isPlayable(qint16 id) const
{
    const auto it = m_cues.find(id);
    return it != m_cues.end() && it->second.has_value();
}

void SoundCueBank::prepareOutput()
{
    for (const auto& [id, cue] : m_cues) {
        if (cue) {
            ensureSink(cue->format);
            return;
        }
    }
}

bool SoundCueBank::ensureSink(const QAudioFormat& format)
{
    if (!m_outputChecked) {
        m_outputChecked = true;
        m_haveOutput = !QMediaDevices::defaultAudioOutput().isNull();
    }
    if (!m_haveOutput)
        return false;
    if (m_sink && m_sinkFormat == format)
        return true;
    if (m_sink)
        m_sink->stop();
    m_sink = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
    m_sinkFormat = format;
    return true;
}

bool SoundCueBank::play(qint16 id)
{
    const auto it = m_cues.find(id);
    if (it == m_cues.end())
        return false;
    if (!it->second)
        return true; // loaded but not a playable wave: silence
    m_soundCueData = it->second->pcm;
    if (!ensureSink(it->second->format))
        return true;
    m_sink->stop();
    m_buffer.close();
    m_buffer.setData(m_soundCueData);
    m_buffer.open(QIODevice::ReadOnly);
    m_sink->start(&m_buffer);
    return true;
}
