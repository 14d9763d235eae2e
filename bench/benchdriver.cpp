// Drives the real game window (the library the player runs, with the real Qt desktop services) and times it
// from the inside. Each mode prints one line of name=value pairs for bench/run.sh to gather.
//
//   volarino_benchdriver flight normal|maximised SECONDS   CPU per second while discs fly, the flight rhythm, and
//                                                          what the repaints cost, widget by widget
//   volarino_benchdriver sound CALLS                       how long the call that starts a sound cue takes (the
//                                                          sound itself is measured by volarino_soundlatency)
//   volarino_benchdriver picker PAGES                      one page of the background picker against plain decodes
//   volarino_benchdriver startup                           where start-up spends its time, step by step
#include "app/application.h"
#include "common/jpegdecoder.h"
#include "game/frmgame.h"
#include "media/cloadrespicture.h"
#include "media/frmsfondo.h"
#include "media/picturedecoder.h"
#include "media/wavecue.h"
#include "app/qtplatformservices.h"
#include "probe.h"
#include "shell/modform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <sys/resource.h>
#include <unordered_map>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double msSince(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// The q-th quantile (0..1) of the values, by the nearest rank.
double quantile(std::vector<double> values, double q)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(rank, values.size() - 1)];
}

double mean(const std::vector<double>& values)
{
    double sum = 0;
    for (double v : values)
        sum += v;
    return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

// Lets the event loop run for `ms` milliseconds.
void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Times the paints of every widget, and the window's repaint passes (their paints plus the hand-over of the
// new pixels to the X server), while `metering` is on.
class MeteredApplication : public QApplication
{
public:
    using QApplication::QApplication;

    struct Cost
    {
        int count = 0;
        double ms = 0;
    };
    bool metering = false;
    Cost passes;

    // The paints so far, added up by widget name.
    std::map<QString, Cost> paints() const
    {
        std::map<QString, Cost> byName;
        for (const auto& [widget, painted] : m_paints) {
            Cost& sum = byName[painted.name];
            sum.count += painted.cost.count;
            sum.ms += painted.cost.ms;
        }
        return byName;
    }

    bool notify(QObject* receiver, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (!metering || (type != QEvent::Paint && type != QEvent::UpdateRequest))
            return QApplication::notify(receiver, event);
        QElapsedTimer clock;
        clock.start();
        const bool result = QApplication::notify(receiver, event);
        // Kept by widget, its name looked up once: a lookup by name at every paint would be metered too.
        Cost& cost = type == QEvent::Paint ? painted(receiver) : passes;
        ++cost.count;
        cost.ms += msSince(clock);
        return result;
    }

private:
    struct Painted
    {
        QString name;
        Cost cost;
    };
    std::unordered_map<const QObject*, Painted> m_paints;

    Cost& painted(const QObject* widget)
    {
        auto it = m_paints.find(widget);
        if (it == m_paints.end())
            it = m_paints.emplace(widget, Painted{name(widget), {}}).first;
        return it->second.cost;
    }

    static QString name(const QObject* object)
    {
        const QString kind = QString::fromLatin1(object->metaObject()->className());
        return object->objectName().isEmpty() ? kind : object->objectName();
    }
};

// The game window as the program puts it on screen (Application::run): centred, shown, and the audio output
// opened right after, from the event loop.
void showLikeTheProgram(frmGame& game, QtPlatformServices& platform, bool maximised)
{
    QApplication::setQuitOnLastWindowClosed(true);
    modForm::CenterOnScreen(&game, QGuiApplication::primaryScreen());
    game.show();
    Application::afterFirstPaint(platform);
    wait(300);
    if (maximised) {
        game.imgResize_Click(); // the size button, as the player presses it
        wait(300);
    }
}

// Presses "Lancia" as soon as it is enabled again, as a player keeping Space pressed would.
class Relauncher : public QObject
{
public:
    explicit Relauncher(frmGame& game) : m_game(game) { game.Command1->installEventFilter(this); }
    int launches = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::EnabledChange && m_game.Command1->isEnabled()) {
            QTimer::singleShot(0, this, [this] {
                if (m_game.Command1->isEnabled()) {
                    ++launches;
                    m_game.Command1_Click();
                }
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    frmGame& m_game;
};

int flight(MeteredApplication& app, frmGame& game, QtPlatformServices& platform, bool maximised, int seconds)
{
    showLikeTheProgram(game, platform, maximised);

    // Intervals between the ticks of one flight: the tick that ends a flight stops the timer, and the next
    // flight's first tick is not an interval of the same flight.
    std::vector<double> intervals;
    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = -1;
    int ticks = 0;
    QObject::connect(&game.Timer1, &QTimer::timeout, &game, [&] {
        const qint64 now = clock.nsecsElapsed();
        ++ticks;
        if (lastTick >= 0)
            intervals.push_back(static_cast<double>(now - lastTick) / 1e6);
        lastTick = game.Timer1.isActive() ? now : -1;
    });

    Relauncher relauncher(game);
    app.metering = true;
    const double cpuBefore = cpuSeconds();
    clock.restart();
    relauncher.launches = 1;
    game.Command1_Click();
    wait(seconds * 1000);
    const double wall = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    app.metering = false;
    game.Timer1.stop();

    std::printf("cpu_percent=%.3f wall_s=%.3f ticks=%d launches=%d misses=%d window=%dx%d field=%dx%d "
                "tick_mean_ms=%.3f tick_p99_ms=%.3f tick_min_ms=%.3f tick_max_ms=%.3f intervals=%zu "
                "passes_per_s=%.1f passes_ms_per_s=%.3f",
                100.0 * cpu / wall, wall, ticks, relauncher.launches, frmGameProbe::misses(game), game.width(),
                game.height(), game.Picture1->width(), game.Picture1->height(), mean(intervals),
                quantile(intervals, 0.99), quantile(intervals, 0), quantile(intervals, 1), intervals.size(),
                app.passes.count / wall, app.passes.ms / wall);
    // The widgets that took the most painting time: name, paints per second, milliseconds per second.
    const auto paints = app.paints();
    std::vector<std::pair<QString, MeteredApplication::Cost>> painted(paints.begin(), paints.end());
    std::sort(painted.begin(), painted.end(), [](const auto& a, const auto& b) { return a.second.ms > b.second.ms; });
    std::printf(" paints=");
    for (std::size_t i = 0; i < painted.size() && i < 6; ++i)
        std::printf("%s%s:%.1f:%.3f", i ? "," : "", qPrintable(painted[i].first), painted[i].second.count / wall,
                    painted[i].second.ms / wall);
    std::printf("\n");
    return 0;
}

const char* outputStateName(SoundCueBank::OutputState state)
{
    switch (state) {
    case SoundCueBank::OutputState::NotOpened:
        return "not_opened";
    case SoundCueBank::OutputState::NoModule:
        return "no_module";
    case SoundCueBank::OutputState::NoDevice:
        return "none";
    case SoundCueBank::OutputState::Open:
        return "open";
    }
    return "?";
}

int sound(frmGame& game, QtPlatformServices& platform, int calls, double bankMs)
{
    showLikeTheProgram(game, platform, false);

    // Cues in the order a game asks for them: launch, miss, launch, shot gone wide, launch, hits.
    const qint16 order[] = {101, 104, 101, 102, 101, 105, 101, 106, 101, 107, 101, 108};
    std::vector<double> times;
    const char* firstBytes = nullptr;
    bool sameBuffer = true;
    for (int i = 0; i < calls; ++i) {
        const qint16 id = order[static_cast<std::size_t>(i) % std::size(order)];
        QElapsedTimer clock;
        clock.start();
        platform.startCue(id);
        times.push_back(msSince(clock));
        // The bytes played must be the very buffer parsed when the bank was built, every time the cue plays:
        // a decode on the click would hand over a new buffer.
        if (id == 101) {
            const char* bytes = platform.cues().soundCueData().constData();
            if (firstBytes && bytes != firstBytes)
                sameBuffer = false;
            firstBytes = bytes;
        }
        platform.yieldToEvents();
        wait(40);
    }

    // What a decode on the click would cost: parsing the launch cue's WAV bytes.
    QFile file(QStringLiteral(":/sounds/cue101.wav"));
    file.open(QIODevice::ReadOnly);
    const QByteArray wav = file.readAll();
    QElapsedTimer parse;
    parse.start();
    const auto cue = parseWave(wav);
    const double parseMs = msSince(parse);

    std::printf("output=%s first_ms=%.4f median_ms=%.4f p90_ms=%.4f max_ms=%.4f calls=%d same_buffer=%s "
                "bank_build_ms=%.3f parse_cue101_ms=%.4f parsed=%s\n",
                outputStateName(platform.cues().outputState()), times.front(), quantile(times, 0.5),
                quantile(times, 0.9), *std::max_element(times.begin(), times.end()), calls, sameBuffer ? "yes" : "no",
                bankMs, parseMs, cue ? "yes" : "no");
    return 0;
}

int picker(frmGame& game, QtPlatformServices& platform, int pages)
{
    showLikeTheProgram(game, platform, false);
    game.Command10_Click(); // "Apri sfondo": the picker opens on the first landscape
    frmSfondo* sfondo = game.sfondo();
    wait(300);
    {
        const QSignalBlocker quiet(sfondo->HScroll1);
        sfondo->HScroll1->setValue(2); // the page of landscape 102, 800 x 532
    }
    QFile resource(QStringLiteral(":/CUSTOM/102"));
    resource.open(QIODevice::ReadOnly);
    const QByteArray bytes = resource.readAll();

    auto time = [](auto&& work) {
        QElapsedTimer clock;
        clock.start();
        work();
        return msSince(clock);
    };
    // The page as the player gets it: the scroll bar's change handler (decode, preview), then what the event
    // loop does next, at once: repaint what the new preview marked for repainting and hand it to the X server.
    auto onePage = [&] {
        sfondo->HScroll1_Change();
        QCoreApplication::sendPostedEvents(sfondo, QEvent::UpdateRequest);
    };
    auto onlyLoader = [&] { return game.picLoader().LoadResPicture(102, QStringLiteral("CUSTOM")); };
    auto plainDecode = [&] {
        QImage image;
        image.loadFromData(bytes);
        return image;
    };
    // The route through a file: write the bytes to a new temporary file, load the picture from it, delete it.
    auto throughFile = [&] {
        QTemporaryFile file(QDir::tempPath() + QStringLiteral("/LRPXXXXXX"));
        file.open();
        file.write(bytes);
        file.close();
        return QImage(file.fileName());
    };

    struct Way
    {
        const char* name;
        std::function<void()> run;
        std::vector<double> ms;
    };
    std::vector<Way> ways{
        {"page", onePage, {}},
        {"loader", [&] { onlyLoader(); }, {}},
        {"plain", [&] { plainDecode(); }, {}},
        {"file", [&] { throughFile(); }, {}},
    };
    // The game's JPEG decoder alone: no resource read, no preview.
    ways.push_back(
        {"libjpeg", [&] { JpegDecoder::decode(bytes, PictureDecoder::MaxSide, PictureDecoder::MaxDecodedBytes); }, {}});
    // Once each before timing: the image plugins load on first use.
    for (Way& way : ways)
        way.run();
    std::vector<double> repaints, pictureRepaints;
    for (int i = 0; i < pages; ++i) {
        // A different order every round, so that no way always finds the caches the one before it left.
        for (std::size_t k = 0; k < ways.size(); ++k) {
            Way& way = ways[(k + static_cast<std::size_t>(i)) % ways.size()];
            way.ms.push_back(time(way.run));
        }
        QCoreApplication::processEvents();
        // The repaint alone, of the whole window and of the picture's rectangle only.
        repaints.push_back(time([&] { sfondo->repaint(); }));
        QCoreApplication::processEvents();
        pictureRepaints.push_back(time([&] { sfondo->repaint(QRect(QPoint(0, 0), sfondo->preview().size())); }));
        QCoreApplication::processEvents();
    }

    auto stats = [](const char* name, const std::vector<double>& v) {
        std::printf("%s_ms=%.4f %s_q1=%.4f %s_q3=%.4f ", name, quantile(v, 0.5), name, quantile(v, 0.25), name,
                    quantile(v, 0.75));
    };
    for (const Way& way : ways)
        stats(way.name, way.ms);
    stats("repaint", repaints);
    stats("picturerepaint", pictureRepaints);
    const bool sameAsPlain = JpegDecoder::decode(bytes, PictureDecoder::MaxSide, PictureDecoder::MaxDecodedBytes) ==
                             plainDecode().convertToFormat(QImage::Format_RGB32);
    std::printf(
        "preview=%dx%d window=%dx%d pages=%d libjpeg_same_pixels=%s left_in_tmp=%lld\n", sfondo->preview().width(),
        sfondo->preview().height(), sfondo->width(), sfondo->height(), pages, sameAsPlain ? "yes" : "no",
        static_cast<long long>(QDir::temp().entryList({QStringLiteral("LRP*")}, QDir::Files | QDir::Hidden).size()));
    return 0;
}

// Finds the window's first repaint pass and notes when it began and when the event loop came back from it.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const QElapsedTimer& clock) : m_clock(clock) {}
    double from = -1;
    double to = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest && from < 0) {
            from = msSince(m_clock);
            // Posted events run after this one: the paint and its hand-over to the X server are done by then.
            QTimer::singleShot(0, this, [this] { to = msSince(m_clock); });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
};

// The steps of Application::run, each timed from the start of main().
int startup(int argc, char* argv[])
{
    QElapsedTimer clock;
    clock.start();
    Application::choosePlatform();
    Application::EarlyStart early;
    QApplication app(argc, argv);
    const double tApp = msSince(clock);
    early.fontsRead();
    const double tFonts = msSince(clock);
    Application::configure(app);
    QApplication::setQuitOnLastWindowClosed(true);
    const double tConfigure = msSince(clock);
    QtPlatformServices platform;
    const double tPlatform = msSince(clock);
    frmGame game(platform);
    const double tWindow = msSince(clock);
    FirstPaint paint(clock);
    game.installEventFilter(&paint);
    modForm::CenterOnScreen(&game, QGuiApplication::primaryScreen());
    game.show();
    const double tShow = msSince(clock);
    // After the first paint, as the program does: the window icon, then the audio output, which the sound thread
    // opens (loading the sound module first) while this thread watches for it.
    double iconFrom = -1;
    double soundFrom = -1;
    double soundTo = -1;
    double outputOpen = -1;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (platform.cues().outputState() == SoundCueBank::OutputState::NotOpened)
            return;
        outputOpen = msSince(clock);
        watch.stop();
    });
    QTimer::singleShot(250, &app, [&] {
        iconFrom = msSince(clock);
        Application::setIcon();
        soundFrom = msSince(clock);
        platform.prepareSound();
        soundTo = msSince(clock);
        watch.start(0);
    });
    // Leaves without closing the window: closing it would run the game's closing slide.
    QTimer::singleShot(1000, &app, [&] {
        std::printf("qapplication_ms=%.2f fontwait_ms=%.2f configure_ms=%.2f cues_ms=%.2f window_ms=%.2f "
                    "show_ms=%.2f icon_ms=%.2f sound_ms=%.2f output_ms=%.2f paint_ms=%.2f sound_from=%.2f "
                    "paint_from=%.2f paint_to=%.2f widgets=%lld\n",
                    tApp, tFonts - tApp, tConfigure - tFonts, tPlatform - tConfigure, tWindow - tPlatform,
                    tShow - tWindow, soundFrom - iconFrom, soundTo - soundFrom,
                    outputOpen < 0 ? -1.0 : outputOpen - soundFrom, paint.to - paint.from, soundFrom, paint.from,
                    paint.to, static_cast<long long>(game.findChildren<QWidget*>().size()));
        std::fflush(stdout);
        std::_Exit(0);
    });
    return app.exec();
}

} // namespace

int main(int argc, char* argv[])
{
    const QByteArray mode = argc > 1 ? argv[1] : "";
    if (mode == "startup")
        return startup(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s flight normal|maximised SECONDS | sound CALLS | picker PAGES | startup\n",
                     argv[0]);
        return 2;
    }
    Application::choosePlatform();
    MeteredApplication app(argc, argv);
    Application::configure(app);

    QElapsedTimer bankClock;
    bankClock.start();
    QtPlatformServices platform; // every cue is parsed here, once
    const double bankMs = msSince(bankClock);
    frmGame game(platform);

    if (mode == "flight" && argc >= 4)
        return flight(app, game, platform, QByteArray(argv[2]) == "maximised", std::atoi(argv[3]));
    if (mode == "sound")
        return sound(game, platform, std::atoi(argv[2]), bankMs);
    if (mode == "picker")
        return picker(game, platform, std::atoi(argv[2]));
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
}
