// The sound module: the game's audio output on QtMultimedia. Loaded by the sound thread (soundcuebank.cpp).
#include "media/audiooutput.h"
#include "qtaudioformat.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#include <QObject>

namespace {

class QtAudioOutput : public AudioOutput
{
public:
    explicit QtAudioOutput(const QAudioDevice& device) : m_device(device) {}
    ~QtAudioOutput() override { stop(); }

    void play(const PcmFormat& format, const QByteArray& pcm) override
    {
        // One sink while the format stays the same: opening a stream costs a round trip to the audio server.
        if (m_sink && m_format != format)
            stop();
        if (!m_sink) {
            m_sink = std::make_unique<QAudioSink>(m_device, toQAudioFormat(format));
            m_format = format;
        }
        m_sink->stop();
        m_buffer.close();
        m_buffer.setData(pcm);
        m_buffer.open(QIODevice::ReadOnly);
        m_sink->start(&m_buffer);
    }

private:
    void stop()
    {
        if (m_sink)
            m_sink->stop();
        m_sink.reset();
    }

    QAudioDevice m_device;
    QBuffer m_buffer;
    std::unique_ptr<QAudioSink> m_sink;
    PcmFormat m_format;
};

} // namespace

class VolarinoAudioModule : public QObject, public AudioOutputModule
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID AudioOutputModule_iid)
    Q_INTERFACES(AudioOutputModule)

public:
    std::unique_ptr<AudioOutput> openDefaultOutput() override
    {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull())
            return nullptr;
        return std::make_unique<QtAudioOutput>(device);
    }
};

#include "qtaudiomodule.moc"
