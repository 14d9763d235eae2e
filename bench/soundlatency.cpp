// Click to sound: how long after a real mouse press on the playing field the shot's sound comes out of the audio
// server, and what a plain client of the same server reaches with the same sound (the floor). One run:
//
//   volarino_soundlatency [options] CUE.wav -- PROGRAM [ARGS...]
//
//   1. records the monitor of the server's null sink in fragments of about 1 ms, on a thread of its own, and notes
//      when each read of 32 frames came back (CLOCK_MONOTONIC);
//   2. starts PROGRAM, waits for its window (the top-level one whose _NET_WM_PID is the program's) and for its
//      sound output to open, then presses the left button through XTest at a point of the window (70,70: the
//      playing field, a shot that misses, the cue CUE.wav), noting the time of each press on the same clock;
//   3. ends the program, then writes CUE.wav whole into a playback stream of its own opened beforehand (a small
//      target length, the server asked to keep its latency to it), noting the time of each write: the floor.
//
// A shot's latency is the time from its press (or write) to the first read that brought a sample above the
// threshold; a shot with no such read within the window counts as silent; a shot whose last 100 ms before the
// press were not silent (the sound before it still playing) is left out. Presses, writes and reads are timed on one
// clock in this one process; what the recorder and the server add is the same for the game and for the floor.
//
// Prints one line of name=value pairs: game_median_ms, game_p90_ms, game_first_ms (the run's first shot),
// game_silent, game_shots, game_left_out, the same for floor_, and cue_lead_ms, how long the cue's samples stay
// at or below the threshold from its start (both sides include it).
//
// Options: -n SHOTS (10), -g GAP_MS between shots (800, plus up to 200 at random), -x X -y Y the point in the
// window (70 70), -t THRESHOLD (64 of 32767), -s SOURCE (null.monitor), -W WINDOW_MS (500), -S SETTLE_MS after the
// window appears (1500), -l TARGET_MS the floor stream's target length (5).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <pulse/pulseaudio.h>
#include <pulse/simple.h>

#include "xwindow.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <optional>
#include <poll.h>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

std::int64_t nowUs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void sleepUntil(std::int64_t us)
{
    timespec ts{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
    }
}

void sleepMs(int ms)
{
    sleepUntil(nowUs() + static_cast<std::int64_t>(ms) * 1000);
}

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "soundlatency: %s\n", what.c_str());
    std::exit(1);
}

// 16-bit PCM from a RIFF/WAVE file.
struct Sample
{
    pa_sample_spec spec{};
    std::vector<char> pcm;
};

std::uint32_t le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return u[0] | u[1] << 8 | u[2] << 16 | static_cast<std::uint32_t>(u[3]) << 24;
}
std::uint16_t le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(u[0] | u[1] << 8);
}

Sample readWave(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        fail(std::string(path) + " is not a WAV file");
    Sample sample;
    bool haveFormat = false;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const char* chunk = bytes.data() + at;
        const std::size_t size = std::min<std::size_t>(le32(chunk + 4), bytes.size() - at - 8);
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            if (le16(chunk + 8) != 1 || le16(chunk + 22) != 16)
                fail(std::string(path) + ": only 16-bit PCM is measured");
            sample.spec = {PA_SAMPLE_S16LE, le32(chunk + 12), static_cast<std::uint8_t>(le16(chunk + 10))};
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            sample.pcm.assign(chunk + 8, chunk + 8 + size);
            return sample;
        }
        at += 8 + size + (size & 1);
    }
    fail(std::string(path) + ": no format or no samples");
}

// The null sink's monitor, read 32 frames at a time; each read is kept as its time and its loudest sample.
class Recorder
{
public:
    Recorder(const char* source, int threshold) : m_threshold(threshold)
    {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 1};
        pa_buffer_attr attr;
        std::memset(&attr, 0xff, sizeof attr);
        attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(1000, &spec));
        int error = 0;
        m_stream = pa_simple_new(nullptr, "volarino soundlatency", PA_STREAM_RECORD, source, "recorder", &spec, nullptr,
                                 &attr, &error);
        if (!m_stream)
            fail(std::string("cannot record ") + source + ": " + pa_strerror(error));
        m_reads.reserve(200000);
        m_thread = std::thread([this] { run(); });
    }
    ~Recorder()
    {
        stop();
        pa_simple_free(m_stream);
    }

    void stop()
    {
        m_running = false;
        if (m_thread.joinable())
            m_thread.join();
    }

    struct Read
    {
        std::int64_t us;
        int loudest;
    };
    // Only once stopped.
    const std::vector<Read>& reads() const { return m_reads; }
    int threshold() const { return m_threshold; }

private:
    void run()
    {
        std::int16_t frames[32];
        while (m_running) {
            int error = 0;
            if (pa_simple_read(m_stream, frames, sizeof frames, &error) < 0)
                fail(std::string("recording: ") + pa_strerror(error));
            const std::int64_t us = nowUs();
            int loudest = 0;
            for (const std::int16_t v : frames)
                loudest = std::max(loudest, std::abs(static_cast<int>(v)));
            m_reads.push_back({us, loudest});
        }
    }

    int m_threshold;
    pa_simple* m_stream = nullptr;
    std::atomic<bool> m_running{true};
    std::vector<Read> m_reads;
    std::thread m_thread;
};

// What happened after one shot: its latency in ms, nothing when silent; left out when it was not quiet before.
struct Heard
{
    std::optional<double> ms;
    bool leftOut = false;
};

Heard heardAfter(const Recorder& recorder, std::int64_t pressUs, int windowMs)
{
    const auto& reads = recorder.reads();
    auto it = std::lower_bound(reads.begin(), reads.end(), pressUs - 100000,
                               [](const Recorder::Read& r, std::int64_t us) { return r.us < us; });
    Heard heard;
    for (; it != reads.end() && it->us <= pressUs; ++it)
        if (it->loudest > recorder.threshold())
            heard.leftOut = true;
    for (; it != reads.end() && it->us < pressUs + static_cast<std::int64_t>(windowMs) * 1000; ++it) {
        if (it->loudest > recorder.threshold()) {
            heard.ms = static_cast<double>(it->us - pressUs) / 1000.0;
            break;
        }
    }
    return heard;
}

// Starts the program and waits up to ten seconds for its first top-level window to be mapped.
Window startProgram(Display* display, char** argv, pid_t& pid)
{
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        fail(std::string("cannot start ") + argv[0] + ": " + std::strerror(spawned));
    const std::int64_t until = nowUs() + 10000000;
    while (nowUs() < until) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == root && windowPid(display, event.xmap.window) == pid)
                return event.xmap.window;
        }
        pollfd p{ConnectionNumber(display), POLLIN, 0};
        poll(&p, 1, 5);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    fail(std::string(argv[0]) + " mapped no window");
}

void endProgram(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) != 0)
            return;
        sleepMs(10);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// A playback stream of our own, opened before the first shot and kept: each shot writes the whole sample into it.
class FloorPlayer
{
public:
    FloorPlayer(const Sample& sample, int targetMs) : m_sample(sample)
    {
        m_loop = pa_threaded_mainloop_new();
        pa_threaded_mainloop_start(m_loop);
        pa_threaded_mainloop_lock(m_loop);
        m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "volarino soundlatency floor");
        pa_context_set_state_callback(m_context, &FloorPlayer::wake, m_loop);
        if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            fail("floor: cannot connect to the audio server");
        while (pa_context_get_state(m_context) != PA_CONTEXT_READY) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)))
                fail("floor: the audio server turned the connection down");
            pa_threaded_mainloop_wait(m_loop);
        }
        m_stream = pa_stream_new(m_context, "floor", &m_sample.spec, nullptr);
        pa_stream_set_state_callback(m_stream, &FloorPlayer::wakeStream, m_loop);
        pa_buffer_attr attr;
        std::memset(&attr, 0xff, sizeof attr);
        attr.tlength =
            static_cast<std::uint32_t>(pa_usec_to_bytes(static_cast<pa_usec_t>(targetMs) * 1000, &m_sample.spec));
        pa_stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr);
        while (pa_stream_get_state(m_stream) != PA_STREAM_READY) {
            if (!PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
                fail("floor: the audio server refused the stream");
            pa_threaded_mainloop_wait(m_loop);
        }
        pa_threaded_mainloop_unlock(m_loop);
    }
    ~FloorPlayer()
    {
        pa_threaded_mainloop_lock(m_loop);
        pa_stream_disconnect(m_stream);
        pa_stream_unref(m_stream);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
        pa_threaded_mainloop_unlock(m_loop);
        pa_threaded_mainloop_stop(m_loop);
        pa_threaded_mainloop_free(m_loop);
    }

    // Writes the sample; returns the time just before the write.
    std::int64_t play()
    {
        pa_threaded_mainloop_lock(m_loop);
        const std::int64_t us = nowUs();
        pa_stream_write(m_stream, m_sample.pcm.data(), m_sample.pcm.size(), nullptr, 0, PA_SEEK_RELATIVE);
        pa_threaded_mainloop_unlock(m_loop);
        return us;
    }

private:
    static void wake(pa_context*, void* loop)
    {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    }
    static void wakeStream(pa_stream*, void* loop)
    {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    }

    const Sample& m_sample;
    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_stream* m_stream = nullptr;
};

// The q-th quantile (0..1) by the nearest rank.
double quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

void report(const char* side, const std::vector<Heard>& shots)
{
    std::vector<double> ms;
    int silent = 0;
    int leftOut = 0;
    for (const Heard& h : shots) {
        if (h.leftOut)
            ++leftOut;
        else if (h.ms)
            ms.push_back(*h.ms);
        else
            ++silent;
    }
    const double first = shots.empty() || shots.front().leftOut || !shots.front().ms ? -1 : *shots.front().ms;
    std::printf("%s_median_ms=%.2f %s_p90_ms=%.2f %s_first_ms=%.2f %s_silent=%d %s_shots=%zu %s_left_out=%d ", side,
                quantile(ms, 0.5), side, quantile(ms, 0.9), side, first, side, silent, side, shots.size(), side,
                leftOut);
}

} // namespace

int main(int argc, char* argv[])
{
    int shots = 10;
    int gapMs = 800;
    int x = 70;
    int y = 70;
    int threshold = 64;
    const char* source = "null.monitor";
    int windowMs = 500;
    int settleMs = 1500;
    int targetMs = 5;
    int option = 0;
    while ((option = getopt(argc, argv, "+n:g:x:y:t:s:W:S:l:")) != -1) {
        switch (option) {
        case 'n':
            shots = std::atoi(optarg);
            break;
        case 'g':
            gapMs = std::atoi(optarg);
            break;
        case 'x':
            x = std::atoi(optarg);
            break;
        case 'y':
            y = std::atoi(optarg);
            break;
        case 't':
            threshold = std::atoi(optarg);
            break;
        case 's':
            source = optarg;
            break;
        case 'W':
            windowMs = std::atoi(optarg);
            break;
        case 'S':
            settleMs = std::atoi(optarg);
            break;
        case 'l':
            targetMs = std::atoi(optarg);
            break;
        default:
            return 2;
        }
    }
    if (argc - optind < 3 || std::strcmp(argv[optind + 1], "--") != 0) {
        std::fprintf(stderr, "usage: %s [options] CUE.wav -- PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const Sample sample = readWave(argv[optind]);
    char** program = argv + optind + 2;

    Display* display = XOpenDisplay(nullptr);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!display || !XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        fail("no X display with XTest");
    XSetErrorHandler(ignoreXErrors);

    std::mt19937 random(static_cast<unsigned>(nowUs()));
    std::uniform_int_distribution<int> jitter(0, 200);
    Recorder recorder(source, threshold);
    sleepMs(300);

    // The game: pressed where its playing field is, as a player shoots.
    pid_t pid = 0;
    const Window window = startProgram(display, program, pid);
    sleepMs(settleMs);
    int left = 0, top = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), x, y, &left, &top, &child);
    XTestFakeMotionEvent(display, -1, left, top, 0);
    XSync(display, False);
    sleepMs(100);
    std::vector<std::int64_t> presses;
    for (int i = 0; i < shots; ++i) {
        const std::int64_t at = nowUs();
        XTestFakeButtonEvent(display, 1, True, 0);
        presses.push_back(nowUs());
        XFlush(display);
        sleepUntil(at + 40000);
        XTestFakeButtonEvent(display, 1, False, 0);
        XFlush(display);
        sleepUntil(at + static_cast<std::int64_t>(gapMs + jitter(random)) * 1000);
    }
    endProgram(pid);

    // The floor: a plain client of the same server, its stream opened ahead of the shots.
    std::vector<std::int64_t> writes;
    {
        FloorPlayer floor(sample, targetMs);
        sleepMs(500);
        for (int i = 0; i < shots; ++i) {
            const std::int64_t at = floor.play();
            writes.push_back(at);
            sleepUntil(at + static_cast<std::int64_t>(gapMs + jitter(random)) * 1000);
        }
    }
    recorder.stop();

    std::vector<Heard> game, plain;
    for (const std::int64_t at : presses)
        game.push_back(heardAfter(recorder, at, windowMs));
    for (const std::int64_t at : writes)
        plain.push_back(heardAfter(recorder, at, windowMs));
    report("game", game);
    report("floor", plain);
    // Where the cue itself first rises above the threshold: both sides' figures include this much.
    std::size_t lead = 0;
    const std::size_t samples = sample.pcm.size() / 2;
    while (lead < samples &&
           std::abs(static_cast<int>(static_cast<std::int16_t>(le16(sample.pcm.data() + 2 * lead)))) <= threshold)
        ++lead;
    std::printf("cue_lead_ms=%.2f reads=%zu\n",
                1000.0 * static_cast<double>(lead / sample.spec.channels) / static_cast<double>(sample.spec.rate),
                recorder.reads().size());
    XCloseDisplay(display);
    return 0;
}
