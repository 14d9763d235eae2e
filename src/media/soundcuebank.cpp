#include "soundcuebank.h"

#include <QAudioSink>
#include <QBuffer>
#include <QFile>
#include <QMediaDevices>
#include <memory>

namespace {
// The cue numbers the game asks for; 103 has no sound of its own.
constexpr qint16 BuiltInCues[] = {101, 102, 104, 105, 106, 107, 108};
} // namespace

// The audio output, on its own thread: opening a stream waits for the audio server to answer, and the game's
// handlers must not wait with it. Requests run one after another, so a new cue still cuts off the one before.
class SoundOutput : public QObject
{
public:
    void start(const QAudioDevice& device, const QAudioFormat& format, const QByteArray& pcm)
    {
        if (m_sink && m_format != format)
            stop();
        if (!m_sink) {
            m_sink = std::make_unique<QAudioSink>(device, format);
            m_format = format;
        }
        m_sink->stop();
        m_buffer.close();
        m_buffer.setData(pcm);
        m_buffer.open(QIODevice::ReadOnly);
        m_sink->start(&m_buffer);
    }

    void stop()
    {
        if (m_sink)
            m_sink->stop();
        m_sink.reset();
    }

private:
    QBuffer m_buffer{this};
    std::unique_ptr<QAudioSink> m_sink;
    QAudioFormat m_format;
};

SoundCueBank::SoundCueBank(QObject* parent) : QObject(parent)
{
    m_thread.setObjectName(QStringLiteral("sound"));
}

SoundCueBank::~SoundCueBank()
{
    if (!m_output)
        return;
    // The sink closes on its own thread, after the cues still queued there, then the thread ends.
    if (m_thread.isRunning()) {
        QMetaObject::invokeMethod(
            m_output, [output = m_output] { output->stop(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    delete m_output;
}

void SoundCueBank::loadBuiltInCues()
{
    for (qint16 id : BuiltInCues) {
        QFile file(QStringLiteral(":/sounds/cue%1.wav").arg(id));
        if (file.open(QIODevice::ReadOnly))
            addCue(id, file.readAll());
    }
}

void SoundCueBank::addCue(qint16 id, const QByteArray& waveBytes)
{
    m_cues[id] = parseWave(waveBytes);
}

bool SoundCueBank::isPlayable(qint16 id) const
{
    const auto it = m_cues.find(id);
    return it != m_cues.end() && it->second.has_value();
}

void SoundCueBank::prepareOutput()
{
    haveOutput();
}

bool SoundCueBank::haveOutput()
{
    if (!m_outputChecked) {
        m_outputChecked = true;
        m_device = QMediaDevices::defaultAudioOutput();
        if (!m_device.isNull()) {
            m_output = new SoundOutput;
            m_output->moveToThread(&m_thread);
            m_thread.start();
        }
    }
    return m_output != nullptr;
}

bool SoundCueBank::play(qint16 id)
{
    const auto it = m_cues.find(id);
    if (it == m_cues.end())
        return false;
    if (!it->second)
        return true; // loaded but not a playable wave: silence
    m_soundCueData = it->second->pcm;
    if (!haveOutput())
        return true;
    QMetaObject::invokeMethod(
        m_output,
        [output = m_output, device = m_device, format = it->second->format, pcm = m_soundCueData] {
            output->start(device, format, pcm);
        },
        Qt::QueuedConnection);
    return true;
}
