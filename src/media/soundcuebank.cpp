#include "soundcuebank.h"

#include "audiooutput.h"
#include "common/resourcebytes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPluginLoader>
#include <mutex>

namespace {
// The cue numbers the game asks for; 103 has no sound of its own.
constexpr qint16 BuiltInCues[] = {101, 102, 104, 105, 106, 107, 108};
} // namespace

// The audio output, on its own thread: loading the sound module takes milliseconds, and the game's handlers must
// not wait for it. Once the output is open, a cue goes to it straight from the game's thread (the output never
// waits for the audio server), which saves the hop to this thread on every shot; a cue asked for before goes
// through this thread. Each request carries its number, so one that arrives late never cuts off a newer one.
class SoundOutput : public QObject
{
public:
    SoundOutput(QString modulePath, std::atomic<SoundCueBank::OutputState>& state)
        : m_modulePath(std::move(modulePath)), m_state(state)
    {}

    void open()
    {
        if (m_state != SoundCueBank::OutputState::NotOpened)
            return;
        // The module stays loaded once loaded: the output and its streams run its code until the program ends.
        QPluginLoader loader(m_modulePath);
        auto* module = qobject_cast<AudioOutputModule*>(loader.instance());
        if (!module) {
            qWarning("Volarino: no sound, the sound module did not load: %s", qPrintable(loader.errorString()));
            m_state = SoundCueBank::OutputState::NoModule;
            return;
        }
        m_output = module->openDefaultOutput();
        m_state = m_output ? SoundCueBank::OutputState::Open : SoundCueBank::OutputState::NoDevice;
    }

    // On the sound thread: opens the output first if need be.
    void playQueued(const PcmFormat& format, const QByteArray& pcm, quint64 request)
    {
        open();
        play(format, pcm, request);
    }

    // On any thread, once the output is open.
    void play(const PcmFormat& format, const QByteArray& pcm, quint64 request)
    {
        std::lock_guard<std::mutex> lock(m_playing);
        if (!m_output || request < m_newest)
            return;
        m_newest = request;
        m_output->play(format, pcm);
    }

    void close()
    {
        std::lock_guard<std::mutex> lock(m_playing);
        m_output.reset();
    }

private:
    QString m_modulePath;
    std::atomic<SoundCueBank::OutputState>& m_state; // written on this thread only
    std::unique_ptr<AudioOutput> m_output;           // set on the sound thread before m_state says Open
    std::mutex m_playing;
    quint64 m_newest = 0; // the number of the newest request played
};

SoundCueBank::SoundCueBank(QObject* parent, QString modulePath) : QObject(parent), m_modulePath(std::move(modulePath))
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
            m_output, [output = m_output] { output->close(); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    delete m_output;
}

void SoundCueBank::loadBuiltInCues()
{
    for (qint16 id : BuiltInCues) {
        const QString path = QStringLiteral(":/sounds/cue%1.wav").arg(id);
        // Stored uncompressed, a cue plays straight from the program's image: no copy of it on the heap, and its
        // pages are read in only when it first plays.
        if (const auto bytes = ResourceBytes::stored(path)) {
            m_cues[id] = parseLastingWave(bytes->data(), bytes->size());
            continue;
        }
        QFile file(path);
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

QString SoundCueBank::defaultModulePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral(VOLARINO_AUDIO_MODULE));
}

void SoundCueBank::prepareOutput()
{
    startThread();
    QMetaObject::invokeMethod(
        m_output, [output = m_output] { output->open(); }, Qt::QueuedConnection);
}

void SoundCueBank::startThread()
{
    if (m_output)
        return;
    m_output = new SoundOutput(m_modulePath, m_state);
    m_output->moveToThread(&m_thread);
    m_thread.start();
}

bool SoundCueBank::play(qint16 id)
{
    const auto it = m_cues.find(id);
    if (it == m_cues.end())
        return false;
    if (!it->second)
        return true; // loaded but not a playable wave: silence
    m_soundCueData = it->second->pcm;
    const OutputState state = m_state.load();
    if (state == OutputState::NoModule || state == OutputState::NoDevice)
        return true; // the sound thread found nothing to play through: nothing to hand over
    const quint64 request = ++m_requests;
    if (state == OutputState::Open) {
        m_output->play(it->second->format, m_soundCueData, request);
        return true;
    }
    startThread();
    QMetaObject::invokeMethod(
        m_output,
        [output = m_output, format = it->second->format, pcm = m_soundCueData, request] {
            output->playQueued(format, pcm, request);
        },
        Qt::QueuedConnection);
    return true;
}
