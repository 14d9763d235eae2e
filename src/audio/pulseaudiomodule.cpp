// The sound module: the game's cues through the desktop's audio server, PulseAudio or PipeWire's pulse server,
// which speak the same protocol. Loaded by the sound thread (soundcuebank.cpp).
//
// Why libpulse and not Qt's audio sink: a cue must sound a few milliseconds after the shot and come out whole,
// and a new cue must cut the playing one off at once. That takes one stream kept open for the whole game, whose
// queued sound is dropped on the server and replaced by the new cue in one go; Qt's sink can neither drop the
// server's queue of a running stream nor write a whole cue ahead of its own period timer, and it cannot give the
// stream the name, icon and role the desktop's mixer shows. Qt's sink talks to this same library underneath.
#include "media/audiooutput.h"

#include <QObject>
#include <QtGlobal>
#include <algorithm>
#include <optional>
#include <pulse/pulseaudio.h>
#include <vector>

namespace {

constexpr char AppName[] = "Volarino";
constexpr char AppId[] = "it.volarino.Volarino"; // the launcher's and the icon's name
constexpr char StreamName[] = "Effetti sonori";
// What the server keeps queued ahead of the speakers. A cue is written whole, so the stream never runs dry in
// the middle of one; this only sets how soon a new cue reaches the speakers, and how finely the server mixes
// it in. PipeWire's pulse server raises it to its smallest period (256 frames at 48 kHz), so the desktop's sound
// is not dragged to a tiny one.
constexpr pa_usec_t TargetLatency = 5 * PA_USEC_PER_MSEC;
// Silence ahead of every cue. A stream that has run dry starts again at the server's next mixing step, and the
// server drops what the stream holds for the part of that step already past: up to a quarter of the latency
// above (PulseAudio's step), measured. Without this lead-in that part is the cue's attack; with it, the cue is heard
// from its first sample, at the cost of the few samples of silence not swallowed.
constexpr pa_usec_t LeadIn = TargetLatency / 4;
// A cue that waited for the stream (the server was slow to answer, or was being reconnected) is dropped once
// it would sound this late: a shot heard a second after it was fired is worse than no sound.
constexpr pa_usec_t StaleAfter = 200 * PA_USEC_PER_MSEC;
// A stream that is not corked keeps the sound card running even while it plays nothing, and the server working
// for it, so the desktop never lets the card sleep. Once a cue has played out and no other followed for this
// long, the stream is corked; the next cue uncorks it. Measured: the uncork itself costs nothing we could see;
// a sink the server has let sleep meanwhile takes it 2 to 7 ms to wake. Shots in play follow one another
// sooner, and so does the shot or the miss that ends a disc's flight in the window at its normal size, at any
// speed.
constexpr pa_usec_t CorkAfter = 4 * PA_USEC_PER_SEC;
constexpr int FirstRetryMs = 500;
constexpr int LastRetryMs = 8000;

pa_sample_spec sampleSpec(const PcmFormat& format)
{
    pa_sample_spec spec;
    spec.format = format.bitsPerSample() == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec.rate = static_cast<uint32_t>(format.sampleRate());
    spec.channels = static_cast<uint8_t>(format.channelCount());
    return spec;
}

// Scoped hold of the main loop's lock: every call into libpulse outside its own callbacks needs it.
class LoopLock
{
public:
    explicit LoopLock(pa_threaded_mainloop* loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock&) = delete;
    LoopLock& operator=(const LoopLock&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

// One connection to the audio server and one playback stream on it, living as long as the game so that the
// mixer shows one "Volarino" whose volume and mute hold for every cue. libpulse runs it on a thread of its own;
// play() only queues work there and never waits for the server. When the server goes away (killed, restarted)
// the cues are silent until it is back: the connection is tried again, more and more seldom, up to every 8 s.
class PulseOutput : public AudioOutput
{
public:
    PulseOutput()
    {
        m_loop = pa_threaded_mainloop_new();
        if (!m_loop)
            return;
        pa_threaded_mainloop_set_name(m_loop, "sound-server");
        m_api = pa_threaded_mainloop_get_api(m_loop);
        if (pa_threaded_mainloop_start(m_loop) < 0) {
            pa_threaded_mainloop_free(m_loop);
            m_loop = nullptr;
            return;
        }
        LoopLock lock(m_loop);
        connect();
    }

    ~PulseOutput() override
    {
        if (!m_loop)
            return;
        {
            LoopLock lock(m_loop);
            m_closing = true;
            if (m_retry)
                m_api->time_free(m_retry);
            dropStream();
            dropContext();
        }
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }

    bool usable() const { return m_loop != nullptr; }

    void play(const PcmFormat& format, const QByteArray& pcm) override
    {
        LoopLock lock(m_loop);
        if (m_stream && pa_stream_get_state(m_stream) == PA_STREAM_READY && format == m_streamFormat) {
            write(pcm);
            return;
        }
        // Not ready for this cue yet: it waits, briefly, for the stream that can play it.
        m_pending = Pending{format, pcm, pa_rtclock_now()};
        if (m_context && pa_context_get_state(m_context) == PA_CONTEXT_READY && format != m_streamFormat)
            openStream(format);
    }

private:
    struct Pending
    {
        PcmFormat format;
        QByteArray pcm;
        pa_usec_t since;
    };

    // Drops whatever the server still holds of the last cue and queues the new one whole in its place: the old
    // cue stops where the new one starts, and nothing of it sounds later. Dropping also puts the stream's end back
    // at the play position, where PipeWire's pulse server, after the stream ran dry, would otherwise queue the cue
    // in time already past. (Writing the new cue over the old one from the play position instead, measured on
    // both servers, lost the start of some cues under PulseAudio and tore holes into them under PipeWire 1.4.)
    void write(const QByteArray& pcm)
    {
        const pa_sample_spec* spec = pa_stream_get_sample_spec(m_stream);
        const size_t frame = pa_frame_size(spec);
        const size_t bytes = static_cast<size_t>(pcm.size()) / frame * frame;
        const size_t lead = pa_usec_to_bytes(LeadIn, spec);
        // PipeWire's pulse server hands a stream's sound on only in whole periods: the last part of a cue shorter
        // than one would wait for more. A buffer's worth of silence after the cue pushes it out.
        const size_t trail = pa_stream_get_buffer_attr(m_stream)->tlength / frame * frame;
        if (m_silence.size() < std::max(lead, trail))
            m_silence.assign(std::max(lead, trail), spec->format == PA_SAMPLE_U8 ? 0x80 : 0);
        if (pa_operation* op = pa_stream_flush(m_stream, nullptr, nullptr))
            pa_operation_unref(op);
        pa_stream_write(m_stream, m_silence.data(), lead, nullptr, 0, PA_SEEK_RELATIVE);
        if (bytes > 0)
            pa_stream_write(m_stream, pcm.constData(), bytes, nullptr, 0, PA_SEEK_RELATIVE);
        pa_stream_write(m_stream, m_silence.data(), trail, nullptr, 0, PA_SEEK_RELATIVE);
        // Uncorked only now, with the whole cue on the server: it starts from its first sample at once. The
        // server takes requests in the order they were sent, so a cork still on its way is undone here too.
        if (m_corked)
            cork(false);
        timeval when;
        pa_timeval_add(pa_gettimeofday(&when), pa_bytes_to_usec(lead + bytes + trail, spec) + CorkAfter);
        if (m_corkDue)
            m_api->time_restart(m_corkDue, &when);
        else
            m_corkDue = m_api->time_new(m_api, &when, &PulseOutput::corkDue, this);
    }

    void cork(bool corked)
    {
        if (pa_operation* op = pa_stream_cork(m_stream, corked, nullptr, nullptr))
            pa_operation_unref(op);
        m_corked = corked;
    }

    static void corkDue(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        api->time_free(event);
        output->m_corkDue = nullptr;
        if (output->m_stream && pa_stream_get_state(output->m_stream) == PA_STREAM_READY && !output->m_corked)
            output->cork(true);
    }

    void connect()
    {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, AppName);
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, AppId);
        pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, AppId);
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
        m_context = pa_context_new_with_proplist(m_api, AppName, props);
        pa_proplist_free(props);
        if (!m_context)
            return scheduleRetry();
        pa_context_set_state_callback(m_context, &PulseOutput::contextChanged, this);
        // A game does not start the desktop's sound server of its own accord; the session does that.
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            connectionLost();
    }

    static void contextChanged(pa_context* context, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        if (context != output->m_context || output->m_closing)
            return;
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            output->m_retryMs = FirstRetryMs;
            if (output->m_lost)
                qInfo("Volarino: the audio server is back, the cues sound again");
            output->m_lost = false;
            output->openStream(output->m_pending ? output->m_pending->format : output->m_streamFormat);
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            output->connectionLost();
            break;
        default:
            break;
        }
    }

    void connectionLost()
    {
        // Said once per loss, and only for a server that was there: a machine without sound is no fault.
        if (m_everReady && !m_lost)
            qWarning("Volarino: the sound output was lost; the cues are silent until the audio server is back");
        m_lost = m_everReady;
        dropStream();
        dropContext();
        scheduleRetry();
    }

    void scheduleRetry()
    {
        if (m_closing || m_retry)
            return;
        timeval when;
        pa_timeval_add(pa_gettimeofday(&when), static_cast<pa_usec_t>(m_retryMs) * PA_USEC_PER_MSEC);
        m_retry = m_api->time_new(m_api, &when, &PulseOutput::retryDue, this);
        m_retryMs = qMin(m_retryMs * 2, LastRetryMs);
    }

    static void retryDue(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        api->time_free(event);
        output->m_retry = nullptr;
        if (!output->m_closing)
            output->connect();
    }

    void openStream(const PcmFormat& format)
    {
        dropStream();
        if (format.sampleRate() <= 0)
            return; // no cue asked for yet: nothing says which format the stream should have
        m_streamFormat = format;
        const pa_sample_spec spec = sampleSpec(format);
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
        pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, AppId);
        m_stream = pa_stream_new_with_proplist(m_context, StreamName, &spec, nullptr, props);
        pa_proplist_free(props);
        if (!m_stream)
            return;
        pa_stream_set_state_callback(m_stream, &PulseOutput::streamChanged, this);
        pa_buffer_attr attr;
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(TargetLatency, &spec));
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        // Corked until the first cue, so that a game nobody shoots in does not keep the card awake either.
        m_corked = true;
        if (pa_stream_connect_playback(
                m_stream, nullptr, &attr,
                static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED), nullptr,
                nullptr) < 0)
            dropStream();
    }

    static void streamChanged(pa_stream* stream, void* self)
    {
        auto* output = static_cast<PulseOutput*>(self);
        if (stream != output->m_stream || output->m_closing)
            return;
        switch (pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            output->m_everReady = true;
            if (output->m_pending && output->m_pending->format == output->m_streamFormat) {
                if (pa_rtclock_now() - output->m_pending->since < StaleAfter)
                    output->write(output->m_pending->pcm);
                output->m_pending.reset();
            }
            break;
        case PA_STREAM_FAILED:
            // Refused by the server, or its sink went away: start over with a new connection, after a pause so
            // that a server that keeps refusing is not asked again and again.
            output->connectionLost();
            break;
        default:
            break;
        }
    }

    void dropStream()
    {
        if (m_corkDue) {
            m_api->time_free(m_corkDue);
            m_corkDue = nullptr;
        }
        if (!m_stream)
            return;
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        if (pa_stream_get_state(m_stream) == PA_STREAM_READY || pa_stream_get_state(m_stream) == PA_STREAM_CREATING)
            pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }

    void dropContext()
    {
        if (!m_context)
            return;
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        m_context = nullptr;
    }

    pa_threaded_mainloop* m_loop = nullptr;
    pa_mainloop_api* m_api = nullptr;
    // All below belong to the main loop's thread, or to whoever holds its lock.
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
    pa_time_event* m_retry = nullptr;
    pa_time_event* m_corkDue = nullptr; // set while the stream plays or has just played
    int m_retryMs = FirstRetryMs;
    PcmFormat m_streamFormat{44100, 1, 16}; // the built-in cues' format: the stream opens ready for them
    std::optional<Pending> m_pending;
    std::vector<uint8_t> m_silence; // written before and after the cues
    bool m_everReady = false;
    bool m_lost = false;
    bool m_corked = true; // as last asked of the server
    bool m_closing = false;
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
        auto output = std::make_unique<PulseOutput>();
        if (!output->usable())
            return nullptr;
        return output;
    }
};

#include "pulseaudiomodule.moc"
