// synthcues: builds every sound cue of the game from oscillators and filtered noise, nothing recorded.
// Usage: synthcues <outdir>  -> writes cue101.wav, cue102.wav, cue104.wav, cue105..cue108.wav
// Output is 16-bit mono 44.1 kHz PCM. Every noise source uses a fixed seed so reruns are byte-identical.

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
// Where the attacks start: at once. A shot's sound is timed from the click, so every sample of silence ahead of
// the attack is heard as delay.
constexpr double kLead = 0.0;
using Buffer = std::vector<double>;

// ---- noise ---------------------------------------------------------------------------------------

// xorshift32: tiny, fast and identical on every platform, unlike std:: distributions.
class Rng
{
public:
    explicit Rng(uint32_t seed) : m_state(seed ? seed : 0x9e3779b9u) {}
    uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    double uniform() { return (next() >> 8) * (1.0 / 16777216.0); } // [0, 1)
    double white() { return uniform() * 2.0 - 1.0; }                // [-1, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }

private:
    uint32_t m_state;
};

// ---- filters -------------------------------------------------------------------------------------

class OnePole
{
public:
    void setLowpass(double hz) { m_a = 1.0 - std::exp(-2.0 * kPi * hz / kRate); }
    double lowpass(double x) { return m_y += m_a * (x - m_y); }
    double highpass(double x) { return x - lowpass(x); }

private:
    double m_a = 1.0;
    double m_y = 0.0;
};

// RBJ cookbook biquad; coefficients may be changed every sample for sweeps.
class Biquad
{
public:
    enum class Kind { Lowpass, Highpass, Bandpass };
    void set(Kind kind, double hz, double q)
    {
        const double w = 2.0 * kPi * std::clamp(hz, 10.0, kRate * 0.45) / kRate;
        const double cw = std::cos(w);
        const double alpha = std::sin(w) / (2.0 * q);
        const double a0 = 1.0 + alpha;
        double b0 = 0.0, b1 = 0.0, b2 = 0.0;
        switch (kind) {
        case Kind::Lowpass:
            b0 = b2 = (1.0 - cw) / 2.0;
            b1 = 1.0 - cw;
            break;
        case Kind::Highpass:
            b0 = b2 = (1.0 + cw) / 2.0;
            b1 = -(1.0 + cw);
            break;
        case Kind::Bandpass:
            b0 = alpha;
            b1 = 0.0;
            b2 = -alpha;
            break;
        }
        m_b0 = b0 / a0;
        m_b1 = b1 / a0;
        m_b2 = b2 / a0;
        m_a1 = -2.0 * cw / a0;
        m_a2 = (1.0 - alpha) / a0;
    }
    double process(double x)
    {
        const double y = m_b0 * x + m_b1 * m_x1 + m_b2 * m_x2 - m_a1 * m_y1 - m_a2 * m_y2;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

private:
    double m_b0 = 1.0, m_b1 = 0.0, m_b2 = 0.0, m_a1 = 0.0, m_a2 = 0.0;
    double m_x1 = 0.0, m_x2 = 0.0, m_y1 = 0.0, m_y2 = 0.0;
};

// ---- envelopes -----------------------------------------------------------------------------------

// Linear attack of `attack` seconds, then exponential decay with time constant `tau`.
double attackDecay(double t, double attack, double tau)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / tau);
}

// Smooth rise-and-fall (raised sine), for swells that must not click.
double swell(double t, double length)
{
    if (t <= 0.0 || t >= length)
        return 0.0;
    return std::sin(kPi * t / length);
}

// ---- sources -------------------------------------------------------------------------------------

int samples(double seconds)
{
    return static_cast<int>(std::lround(seconds * kRate));
}

// Sine with a pitch glide from f0 to f1 (exponential, the way a thump or whistle falls), decaying.
Buffer glideTone(double seconds, double f0, double f1, double attack, double tau)
{
    Buffer out(samples(seconds));
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double f = f0 * std::pow(f1 / f0, t / seconds);
        phase += 2.0 * kPi * f / kRate;
        out[i] = std::sin(phase) * attackDecay(t, attack, tau);
    }
    return out;
}

// White noise through a biquad with its centre swept exponentially from f0 to f1.
Buffer sweptNoise(Rng& rng, double seconds, Biquad::Kind kind, double f0, double f1, double q)
{
    Buffer out(samples(seconds));
    Biquad filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        filter.set(kind, f0 * std::pow(f1 / f0, t / seconds), q);
        out[i] = filter.process(rng.white());
    }
    return out;
}

// Noise burst with an envelope: the basic unit of blasts and clay fragments.
Buffer noiseBurst(Rng& rng, double seconds, Biquad::Kind kind, double hz, double q, double attack, double tau)
{
    Buffer out = sweptNoise(rng, seconds, kind, hz, hz, q);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] *= attackDecay(double(i) / kRate, attack, tau);
    return out;
}

// ---- mixing and effects --------------------------------------------------------------------------

void mixInto(Buffer& dst, const Buffer& src, double atSeconds, double gain)
{
    const int offset = samples(atSeconds);
    for (size_t i = 0; i < src.size(); ++i) {
        const size_t j = offset + i;
        if (j >= dst.size())
            break;
        dst[j] += src[i] * gain;
    }
}

// Two feedback delays in parallel: enough early reflections to place a shot outdoors near a clubhouse.
void addRoom(Buffer& buf, double delayA, double delayB, double feedback, double wet)
{
    const Buffer dry = buf;
    for (double delay : {delayA, delayB}) {
        const int d = samples(delay);
        Buffer line(dry.size(), 0.0);
        OnePole damp; // reflections lose their top end
        damp.setLowpass(2500.0);
        for (size_t i = 0; i < dry.size(); ++i) {
            const double back = i >= size_t(d) ? line[i - d] : 0.0;
            line[i] = damp.lowpass(dry[i] + back * feedback);
        }
        for (size_t i = 0; i < dry.size(); ++i)
            buf[i] += line[i] * wet * 0.5;
    }
}

// DC removal, fades and normalisation to about -3 dBFS, so every cue sits at the same level. The fade-in is a
// quarter of a millisecond, enough for the first sample to leave zero smoothly without blunting the attack; the
// fade-out takes 3 ms.
void finish(Buffer& buf)
{
    OnePole dc;
    dc.setLowpass(20.0);
    for (double& s : buf)
        s = dc.highpass(s);
    double mean = 0.0;
    for (double s : buf)
        mean += s;
    mean /= double(buf.size());
    for (double& s : buf)
        s -= mean;

    const int fadeIn = samples(0.00025);
    const int fadeOut = samples(0.003);
    const int n = int(buf.size());
    Buffer window(buf.size(), 1.0);
    for (int i = 0; i < fadeIn && i < n; ++i)
        window[i] = double(i) / fadeIn;
    for (int i = 0; i < fadeOut && i < n; ++i)
        window[n - 1 - i] = double(i) / fadeOut;
    double residual = 0.0, weight = 0.0;
    for (int i = 0; i < n; ++i) {
        buf[i] *= window[i];
        residual += buf[i];
        weight += window[i];
    }
    // The fades shift the mean slightly; take it out again in the window's shape so the ends stay at zero.
    for (int i = 0; i < n; ++i)
        buf[i] -= residual / weight * window[i];
    double peak = 0.0;
    for (double s : buf)
        peak = std::max(peak, std::abs(s));
    const double target = std::pow(10.0, -3.0 / 20.0);
    if (peak > 0.0)
        for (double& s : buf)
            s *= target / peak;
}

// ---- output --------------------------------------------------------------------------------------

bool writeWav(const QString& path, const Buffer& buf)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const quint32 dataBytes = quint32(buf.size() * 2);
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(kRate) << quint32(kRate * 2) << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (double s : buf)
        out << qint16(std::lround(std::clamp(s, -1.0, 1.0) * 32767.0));
    return out.status() == QDataStream::Ok;
}

// ---- the cues ------------------------------------------------------------------------------------

// The trap arm slamming forward (a low thump and a metal clack) and the disc tearing off into the air.
Buffer trapThrow()
{
    Rng rng(101);
    Buffer cue(samples(0.35), 0.0);
    mixInto(cue, glideTone(0.2, 95.0, 40.0, 0.002, 0.04), kLead, 1.3);
    mixInto(cue, noiseBurst(rng, 0.06, Biquad::Kind::Bandpass, 1300.0, 3.0, 0.0003, 0.008), kLead, 3.0);
    mixInto(cue, noiseBurst(rng, 0.12, Biquad::Kind::Lowpass, 300.0, 0.7, 0.001, 0.03), kLead, 0.8);
    Buffer whoosh = sweptNoise(rng, 0.31, Biquad::Kind::Bandpass, 350.0, 4000.0, 2.5);
    for (size_t i = 0; i < whoosh.size(); ++i) {
        const double t = double(i) / kRate;
        whoosh[i] *= std::pow(swell(t, 0.31), 1.5) * (t < 0.18 ? 1.0 : 1.0 - 0.5 * (t - 0.18) / 0.13);
    }
    mixInto(cue, whoosh, 0.03, 1.3);
    finish(cue);
    return cue;
}

// Colour of one shotgun report; varied per break so repeated hits don't sound copy-pasted.
struct Blast
{
    uint32_t seed;
    double bodyHz;  // cutoff of the low body
    double bodyTau; // how long the body rings
    double thumpHz; // pressure thump under it
    double crackHz; // high edge of the initial crack
};

Buffer shotBlast(const Blast& b, double seconds)
{
    Rng rng(b.seed);
    Buffer shot(samples(seconds), 0.0);
    mixInto(shot, noiseBurst(rng, 0.05, Biquad::Kind::Highpass, b.crackHz, 0.7, 0.0003, 0.004), 0.0, 1.0);
    mixInto(shot, noiseBurst(rng, seconds, Biquad::Kind::Lowpass, 3500.0, 0.7, 0.0005, 0.025), 0.0, 1.3);
    mixInto(shot, noiseBurst(rng, seconds, Biquad::Kind::Lowpass, b.bodyHz, 0.9, 0.001, b.bodyTau), 0.0, 2.2);
    mixInto(shot, glideTone(0.3, b.thumpHz, b.thumpHz * 0.55, 0.001, 0.05), 0.0, 0.9);
    // Distant rumble coming back off the treeline.
    mixInto(shot, noiseBurst(rng, seconds - 0.1, Biquad::Kind::Lowpass, 220.0, 0.7, 0.04, 0.12), 0.08, 0.5);
    return shot;
}

Buffer missedShot()
{
    Buffer cue(samples(0.5), 0.0);
    mixInto(cue, shotBlast({102, 650.0, 0.07, 62.0, 5000.0}, 0.5), kLead, 1.0);
    addRoom(cue, 0.037, 0.061, 0.4, 0.45);
    finish(cue);
    return cue;
}

// The disc sailing away untouched: a soft falling whistle inside an airy whoosh that thins out.
Buffer discEscapes()
{
    Rng rng(104);
    const double len = 0.5;
    Buffer cue(samples(len), 0.0);
    Buffer whistle = glideTone(len, 1500.0, 650.0, 0.05, 0.16);
    Buffer overtone = glideTone(len, 3000.0, 1300.0, 0.05, 0.1);
    mixInto(cue, whistle, 0.0, 1.0);
    mixInto(cue, overtone, 0.0, 0.12);
    Buffer air = sweptNoise(rng, len, Biquad::Kind::Bandpass, 2200.0, 700.0, 2.5);
    for (size_t i = 0; i < air.size(); ++i)
        air[i] *= attackDecay(double(i) / kRate, 0.04, 0.15);
    mixInto(cue, air, 0.0, 1.6);
    OnePole soften; // keep it gentle: nothing sharp above the whistle
    soften.setLowpass(4000.0);
    for (double& s : cue)
        s = soften.lowpass(s);
    finish(cue);
    return cue;
}

// How a clay breaks: when the shatter lands after the shot and how bright the shards ring.
struct Shatter
{
    uint32_t seed;
    double delay;  // seconds from shot to first crack (pellet flight)
    double baseHz; // lowest shard resonance
    int bursts;    // number of fragment cracks
    double spread; // seconds over which they scatter
};

Buffer clayBreak(const Blast& blast, const Shatter& sh)
{
    const double len = 0.6;
    Rng rng(sh.seed);
    Buffer cue(samples(len), 0.0);
    mixInto(cue, shotBlast(blast, len), kLead, 1.0);
    const double crack = kLead + sh.delay;

    // The main crack: a hard bright snap where the disc splits.
    mixInto(cue, noiseBurst(rng, 0.06, Biquad::Kind::Highpass, sh.baseHz * 1.2, 0.8, 0.0002, 0.006), crack, 1.4);
    for (int k = 0; k < sh.bursts; ++k) {
        const double at = crack + sh.spread * std::pow(rng.uniform(), 1.6);
        const double hz = sh.baseHz * rng.range(1.0, 3.2);
        const double gain = rng.range(0.5, 1.0) * std::exp(-(at - crack) / 0.09);
        mixInto(cue, noiseBurst(rng, 0.08, Biquad::Kind::Bandpass, hz, 3.0, 0.0002, rng.range(0.003, 0.01)), at,
                gain * 2.2);
    }
    // Clicky inharmonic partials: the fired clay ringing briefly like a tile.
    for (int k = 0; k < 5; ++k) {
        const double hz = sh.baseHz * rng.range(1.3, 4.0);
        const double at = crack + rng.range(0.0, 0.02);
        mixInto(cue, glideTone(0.15, hz, hz * 0.97, 0.0003, rng.range(0.006, 0.016)), at, 0.25);
    }
    // A few fragments still tinkling apart a little later, well below the crack.
    for (int k = 0; k < 6; ++k) {
        const double at = crack + rng.range(0.09, 0.28);
        const double hz = sh.baseHz * rng.range(1.5, 3.5);
        mixInto(cue, noiseBurst(rng, 0.03, Biquad::Kind::Bandpass, hz, 6.0, 0.001, 0.003), at, 0.3);
    }
    addRoom(cue, 0.033 + sh.delay * 0.1, 0.057, 0.35, 0.35);
    finish(cue);
    return cue;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: synthcues <outdir>\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "synthcues: cannot create %s\n", argv[1]);
        return 1;
    }
    struct Cue
    {
        const char* name;
        Buffer data;
    };
    const std::vector<Cue> cues = {
        {"cue101.wav", trapThrow()},
        {"cue102.wav", missedShot()},
        {"cue104.wav", discEscapes()},
        // Four breaks: dry and close, booming, bright and quick, far and late.
        {"cue105.wav", clayBreak({105, 700.0, 0.06, 65.0, 5000.0}, {1105, 0.035, 2400.0, 10, 0.08})},
        {"cue106.wav", clayBreak({106, 450.0, 0.10, 52.0, 3800.0}, {1106, 0.050, 1900.0, 12, 0.11})},
        {"cue107.wav", clayBreak({107, 950.0, 0.05, 75.0, 6500.0}, {1107, 0.030, 3200.0, 9, 0.06})},
        {"cue108.wav", clayBreak({108, 550.0, 0.08, 58.0, 4500.0}, {1108, 0.060, 2700.0, 14, 0.13})},
    };
    for (const Cue& cue : cues) {
        const QString path = QDir(outDir).filePath(QString::fromLatin1(cue.name));
        if (!writeWav(path, cue.data)) {
            std::fprintf(stderr, "synthcues: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s  %.3f s\n", qPrintable(path), double(cue.data.size()) / kRate);
    }
    return 0;
}
