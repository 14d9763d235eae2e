// Paints the game's backdrops from nothing but gradients, soft dabs and value noise, so the art can be regenerated
// bit for bit on any machine. Usage: paintlandscapes <output-folder>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// ---- numbers and colours ---------------------------------------------------------------------------------------

float clamp01(float v)
{
    return std::min(1.0f, std::max(0.0f, v));
}
float smooth(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Col
{
    float r = 0, g = 0, b = 0;
    Col operator+(Col o) const { return {r + o.r, g + o.g, b + o.b}; }
    Col operator*(float k) const { return {r * k, g * k, b * k}; }
    Col operator*(Col o) const { return {r * o.r, g * o.g, b * o.b}; }
};
Col hex(uint32_t v)
{
    return {((v >> 16) & 255) / 255.f, ((v >> 8) & 255) / 255.f, (v & 255) / 255.f};
}
Col mix(Col a, Col b, float t)
{
    return a * (1 - t) + b * t;
}
QColor qc(Col c, float alpha = 1)
{
    return QColor::fromRgbF(clamp01(c.r), clamp01(c.g), clamp01(c.b), clamp01(alpha));
}
Col fromRgb(QRgb p)
{
    return {qRed(p) / 255.f, qGreen(p) / 255.f, qBlue(p) / 255.f};
}
QRgb toRgb(Col c)
{
    return qRgb(int(clamp01(c.r) * 255 + 0.5f), int(clamp01(c.g) * 255 + 0.5f), int(clamp01(c.b) * 255 + 0.5f));
}

// Small xorshift generator: the same seed must always paint the same picture.
class Rng
{
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 0x6d2b79f5u)
    {
        for (int i = 0; i < 8; ++i)
            uni();
    }
    float uni()
    {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return (s_ >> 8) / 16777216.0f;
    }
    float range(float a, float b) { return a + (b - a) * uni(); }

private:
    uint32_t s_;
};

// ---- value noise -----------------------------------------------------------------------------------------------

uint32_t hash3(int x, int y, uint32_t seed)
{
    uint32_t h = (seed * 0x9E3779B9u) ^ (uint32_t(x) * 0x85EBCA6Bu) ^ (uint32_t(y) * 0xC2B2AE35u);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}
float lattice(int x, int y, uint32_t s)
{
    return (hash3(x, y, s) & 0xFFFFFF) / float(0xFFFFFF);
}

float vnoise(float x, float y, uint32_t s)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = lattice(ix, iy, s), b = lattice(ix + 1, iy, s);
    const float c = lattice(ix, iy + 1, s), d = lattice(ix + 1, iy + 1, s);
    return a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty;
}

// Fractal sum of octaves, normalised to roughly 0..1. `ridge` folds every octave into a sharp crease, which is what
// rock faces, gullies and crests need.
float fbm(float x, float y, uint32_t s, int oct = 5, bool ridge = false)
{
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < oct; ++i) {
        const float n = vnoise(x, y, s + uint32_t(i) * 101u);
        sum += amp * (ridge ? 1 - std::fabs(2 * n - 1) : n);
        norm += amp;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
        amp *= 0.5f;
    }
    return sum / norm;
}
float fbm1(float x, uint32_t s, int oct = 5)
{
    return fbm(x, 0.37f, s, oct);
}
float ridged(float x, float y, uint32_t s, int oct = 5)
{
    return fbm(x, y, s, oct, true);
}

// A painter on the picture with antialiasing on, opened for each vector pass between the per-pixel fills.
struct Canvas : QPainter
{
    explicit Canvas(QImage& img) : QPainter(&img)
    {
        setRenderHint(Antialiasing);
        setPen(Qt::NoPen);
    }
};

// ---- per-pixel fills -------------------------------------------------------------------------------------------

using Shade = std::function<Col(float x, float y)>;
using Edge = std::function<float(float x)>;
using Terrain = std::function<Col(float x, float y, float depth)>;

Col pixel(const QImage& img, float x, float y)
{
    const int xi = std::clamp(int(x), 0, img.width() - 1), yi = std::clamp(int(y), 0, img.height() - 1);
    return fromRgb(reinterpret_cast<const QRgb*>(img.constScanLine(yi))[xi]);
}
void blendPixel(QImage& img, int x, int y, Col c, float a)
{
    QRgb* p = reinterpret_cast<QRgb*>(img.scanLine(y)) + x;
    *p = toRgb(mix(fromRgb(*p), c, a));
}

// Fills a path with a colour computed per pixel; an antialiased mask keeps the outline soft.
void shadePath(QImage& img, const QPainterPath& path, const Shade& shade, float alpha = 1)
{
    const QRect r = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1).intersected(img.rect());
    if (r.isEmpty())
        return;
    QImage mask(r.size(), QImage::Format_Alpha8);
    mask.fill(Qt::transparent);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(-r.topLeft());
        p.fillPath(path, Qt::white);
    }
    for (int y = 0; y < r.height(); ++y) {
        const uchar* m = mask.constScanLine(y);
        for (int x = 0; x < r.width(); ++x)
            if (m[x])
                blendPixel(img, r.x() + x, r.y() + y, shade(r.x() + x + 0.5f, r.y() + y + 0.5f), alpha * m[x] / 255.f);
    }
}

// Everything under a skyline; the shader also learns how far below the line each pixel lies.
void fillBelow(QImage& img, const Edge& edge, const Terrain& shade, float alpha = 1)
{
    const int w = img.width(), h = img.height();
    std::vector<float> top(size_t(w) + 1);
    QPainterPath path(QPointF(-1, h + 1));
    for (int x = 0; x <= w; ++x) {
        top[size_t(x)] = edge(float(x));
        path.lineTo(x, top[size_t(x)]);
    }
    path.lineTo(w + 1, h + 1);
    path.closeSubpath();
    shadePath(
        img, path, [&](float x, float y) { return shade(x, y, y - top[size_t(std::clamp(int(x), 0, w))]); }, alpha);
}

// A skyline wandering around `base` by up to `amp` pixels.
Edge ridge(float base, float amp, float freq, uint32_t seed, int oct = 5)
{
    return [=](float x) { return base - amp * (2 * fbm1(x * freq, seed, oct) - 1); };
}

// A closed, lumpy outline: rocks, bushes, islands.
QPainterPath lump(float cx, float cy, float rx, float ry, uint32_t seed, float rough, bool flatBottom = false)
{
    QPainterPath path;
    const int n = 72;
    for (int i = 0; i <= n; ++i) {
        const float a = i * 6.2831853f / n;
        const float k = 1 + rough * (2 * fbm(std::cos(a) * 1.6f + 4, std::sin(a) * 1.6f + 4, seed, 4) - 1);
        float y = cy + std::sin(a) * ry * k;
        if (flatBottom)
            y = std::min(y, cy + ry * 0.35f);
        const QPointF pt(cx + std::cos(a) * rx * k, y);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    return path;
}

// Fields on a slope: noise-warped cells, each with its own crop, tone and furrows, with darker seams between them.
// `d` is the depth below the hill's skyline; `cell` is the width of one field in pixels.
Col patchwork(float x, float d, float cell, uint32_t seed, const std::vector<Col>& crops)
{
    const float wx = x + cell * 0.5f * (2 * fbm(x * 0.5f / cell, d * 1.5f / cell, seed, 3) - 1);
    const float v = d / (cell * 0.3f) + 0.4f * (2 * fbm(x * 0.8f / cell, d / cell, seed + 1, 3) - 1);
    const float u = wx / cell + std::floor(v) * 0.43f;
    const int iu = int(std::floor(u)), iv = int(std::floor(v));
    const uint32_t id = hash3(iu, iv, seed);
    Col c = crops[id % crops.size()] * (0.9f + 0.2f * ((id >> 8) & 255) / 255.f);
    const float fu = u - iu, fv = v - iv;
    const float furrow = std::sin((fu * 6 + fv * ((id >> 16) % 3)) * 3.1416f * 2 * (3 + (id >> 20) % 4));
    c = c * (1 + 0.04f * furrow);
    const float seam = std::min(std::min(fu, 1 - fu) * cell, std::min(fv, 1 - fv) * cell * 0.3f);
    return mix(c * 0.72f, c, smooth(0.3f, 1.3f, seam));
}

// ---- sky and atmosphere ----------------------------------------------------------------------------------------

struct Stop
{
    float t;
    Col c;
};
Col ramp(const std::vector<Stop>& st, float t)
{
    if (t <= st.front().t)
        return st.front().c;
    for (size_t i = 1; i < st.size(); ++i)
        if (t <= st[i].t)
            return mix(st[i - 1].c, st[i].c, (t - st[i - 1].t) / (st[i].t - st[i - 1].t));
    return st.back().c;
}

// Vertical gradient down to the horizon, dithered so the JPEG does not band.
void paintSky(QImage& img, const std::vector<Stop>& stops, float horizon)
{
    for (int y = 0; y < img.height(); ++y) {
        const Col c = ramp(stops, y / horizon);
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const float d = (lattice(x, y, 7) - 0.5f) / 255.f;
            line[x] = toRgb(c + Col{d, d, d});
        }
    }
}

// A soft elliptical dab whose alpha fades like a bell: the brush behind clouds, mist and glows.
void softBlob(QPainter& p, float cx, float cy, float rx, float ry, Col c, float alpha, float firm = 0.35f)
{
    QRadialGradient g(QPointF(0, 0), 1);
    g.setColorAt(0, qc(c, alpha));
    g.setColorAt(firm, qc(c, alpha * 0.8f));
    g.setColorAt(std::min(0.97f, (1 + firm) * 0.5f + 0.15f), qc(c, alpha * 0.3f));
    g.setColorAt(1, qc(c, 0));
    p.save();
    p.translate(cx, cy);
    p.scale(rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), 1, 1);
    p.restore();
}

// A layer of broken cloud laid out on a plane above the land, so its cells flatten and crowd towards the horizon.
// Thin parts glow, thick parts turn to grey undersides; `cover` is the share of sky hidden.
void cloudDeck(QImage& img, float horizon, uint32_t seed, Col lit, Col shade, float cover, float alpha = 1)
{
    for (int y = 0; y < int(horizon); ++y) {
        const float z = 1 / (horizon - y + 25), v = 3000 * z;
        for (int x = 0; x < img.width(); ++x) {
            const float u = (x - img.width() * 0.5f) * z * 60;
            const float n = fbm(u * 0.016f, v * 0.07f, seed, 6) + 0.5f * (cover - 0.5f);
            const float body = smooth(0.4f, 0.5f, n), thick = smooth(0.48f, 0.7f, n);
            const float rim =
                smooth(0, 0.06f, n - fbm(u * 0.016f, (v - 0.3f) * 0.07f, seed, 6) - 0.5f * (0.5f - cover));
            const Col c = mix(mix(lit, shade, thick * 0.85f), lit, rim * 0.5f);
            blendPixel(img, x, y, c, body * alpha);
        }
    }
}

// A heaped cloud painted per pixel: a union of puffs with billowy edges, bright where a puff faces the sun
// (up and to the left) and greying towards its flat base.
void cloud(QImage& img, Rng& r, float cx, float cy, float w, float h, Col lit, Col shade, float alpha = 1,
           float soft = 0.12f)
{
    struct Puff
    {
        float x, y, r;
    };
    std::vector<Puff> puffs;
    for (int i = 0; i < int(6 + w / 12); ++i) {
        const float u = r.range(-1, 1), dome = std::sqrt(1 - u * u * 0.9f);
        const float rad = h * (0.18f + 0.3f * dome) * r.range(0.7f, 1.2f);
        puffs.push_back({cx + u * w * 0.42f, cy - rad * 0.5f - r.uni() * dome * h * 0.55f, rad});
    }
    const uint32_t seed = uint32_t(r.uni() * 1e6f);
    const auto field = [&](float x, float y) {
        float f = -1;
        for (const Puff& pf : puffs)
            f = std::max(f, 1 - std::hypot(x - pf.x, y - pf.y) / pf.r);
        return f + 0.2f * (fbm(x * 6 / h, y * 6 / h, seed, 4) - 0.5f);
    };
    const int x0 = std::max(0, int(cx - w * 0.5f - h)), x1 = std::min(img.width(), int(cx + w * 0.5f + h));
    const int y0 = std::max(0, int(cy - h * 1.4f)), y1 = std::min(img.height(), int(cy + h * 0.2f));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const float f = field(x, y);
            const float cover = smooth(0, soft, f) * (1 - smooth(cy - h * 0.08f - soft * h, cy + h * 0.12f, y + 4 * f));
            if (cover <= 0)
                continue;
            const float sun = clamp01(0.55f + 2.5f * (f - field(x - h * 0.08f, y - h * 0.1f)));
            const Col body = mix(lit, shade, smooth(cy - h * 0.9f, cy + h * 0.1f, y) * 0.75f);
            blendPixel(img, x, y, mix(mix(shade, body, 0.35f), body, sun), cover * alpha);
        }
}

// Long, flat strands of cloud for high or hazy skies.
void stratus(QPainter& p, Rng& r, float x0, float x1, float y, float thick, int n, Col c, float alpha)
{
    for (int i = 0; i < n; ++i) {
        const float rx = r.range(2.5f, 6) * thick;
        softBlob(p, r.range(x0, x1), y + r.range(-1, 1) * thick, rx, thick * r.range(0.5f, 1), c, alpha);
    }
}

// ---- vegetation ------------------------------------------------------------------------------------------------

struct Leaf
{
    Col dark, mid, light, trunk;
};

// A fir of ragged, drooping tiers with its lit side to the left; big ones get needle strokes along each tier.
void conifer(QPainter& p, Rng& r, float x, float base, float h, const Leaf& c, float alpha = 1)
{
    const float w = h * r.range(0.26f, 0.34f);
    p.setPen(Qt::NoPen);
    p.setBrush(qc(c.trunk, alpha));
    p.drawRect(QRectF(x - h * 0.018f, base - h * 0.2f, h * 0.036f, h * 0.2f));
    const int tiers = std::clamp(int(h / 9), 3, 16);
    for (int t = 0; t < tiers; ++t) {
        const float f = (t + 1.0f) / tiers;
        const float top = base - h + (t == 0 ? 0 : (h * 0.85f) * (t - 0.6f) / tiers);
        const float bot = base - h * 0.1f - (h * 0.85f) * (1 - f);
        const float hw = w * (0.3f + 0.7f * f) * 0.5f * r.range(0.85f, 1.1f);
        QPainterPath path(QPointF(x, top));
        const int teeth = 5 + int(h / 60) * 2;
        for (int k = 0; k <= teeth; ++k) {
            const float u = 1 - 2.0f * k / teeth;
            path.lineTo(x + u * hw + r.range(-1, 1) * hw * 0.1f,
                        bot - (k % 2) * h * 0.04f + r.range(0, h * 0.02f) - (1 - u * u) * h * 0.02f);
        }
        path.closeSubpath();
        QLinearGradient g(x - hw, 0, x + hw, 0);
        g.setColorAt(0, qc(mix(c.mid, c.light, 0.4f * f), alpha));
        g.setColorAt(0.45, qc(c.mid, alpha));
        g.setColorAt(1, qc(c.dark, alpha));
        p.fillPath(path, g);
        for (int i = 0; h > 60 && i < int(hw * 0.8f); ++i) {
            const float u = r.range(-1, 1), px = x + u * hw * 0.9f,
                        py = bot - r.range(0, 0.7f) * (bot - top) * (1 - std::fabs(u));
            p.setPen(QPen(qc(u < 0 ? c.light : c.dark * 0.8f, alpha * 0.6f), std::max(0.7f, h * 0.005f)));
            p.drawLine(QPointF(px, py), QPointF(px + u * h * 0.02f, py + h * r.range(0.015f, 0.04f)));
        }
        p.setPen(Qt::NoPen);
    }
}

// A mass of foliage: dark dabs all over, mid-tones shifted up-left, smaller highlights above, so it reads as round.
void crown(QPainter& p, Rng& r, float cx, float cy, float rx, float ry, int n, float dab, const Leaf& c, float alpha)
{
    p.setPen(Qt::NoPen);
    for (int pass = 0; pass < 3; ++pass) {
        const Col col = pass == 0 ? c.dark : (pass == 1 ? c.mid : c.light);
        const float shift = pass * 0.2f;
        for (int i = 0; i < n * (3 - pass) / 3; ++i) {
            const float a = r.range(0, 6.2832f), d = std::sqrt(r.uni()) * (1 - shift * 0.8f);
            const float px = cx + std::cos(a) * rx * d - shift * rx * 0.6f, py = cy + std::sin(a) * ry * d - shift * ry;
            const float rad = dab * r.range(0.7f, 1.3f) * (1 - shift * 0.4f);
            p.setBrush(qc(mix(col, c.mid, r.range(0, 0.35f)), alpha));
            p.drawEllipse(QPointF(px, py), rad * 1.3f, rad * 0.85f);
        }
    }
}

// A broadleaf tree; `spread` widens the crown and `lobes` splits it into several masses.
void leafyTree(QPainter& p, Rng& r, float x, float base, float s, const Leaf& c, float spread = 1, int lobes = 1,
               float alpha = 1)
{
    softBlob(p, x + s * 0.15f, base, s * 0.55f * spread, s * 0.1f, hex(0x1a2010), 0.35f * alpha);
    const float lean = r.range(-0.1f, 0.1f) * s;
    QPainterPath trunk(QPointF(x - s * 0.06f, base));
    trunk.quadTo(x + lean * 0.3f - s * 0.04f, base - s * 0.3f, x + lean - s * 0.03f, base - s * 0.6f);
    trunk.lineTo(x + lean + s * 0.03f, base - s * 0.6f);
    trunk.quadTo(x + lean * 0.3f + s * 0.04f, base - s * 0.3f, x + s * 0.06f, base);
    QLinearGradient bark(x - s * 0.06f, 0, x + s * 0.06f, 0);
    bark.setColorAt(0, qc(c.trunk * 1.3f, alpha));
    bark.setColorAt(1, qc(c.trunk * 0.6f, alpha));
    p.fillPath(trunk, bark);
    for (int k = 0; lobes > 1 && k < lobes; ++k) {
        const float off = (k - (lobes - 1) * 0.5f) * s * 0.42f * spread;
        p.setPen(QPen(qc(c.trunk * 0.8f, alpha), s * 0.03f, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x + lean, base - s * 0.5f), QPointF(x + lean + off * 0.8f, base - s * 0.72f));
    }
    for (int k = 0; k < lobes; ++k) {
        const float off = lobes == 1 ? 0 : (k - (lobes - 1) * 0.5f) * s * 0.42f * spread;
        crown(p, r, x + lean + off, base - s * (0.72f + (lobes > 1 && k % 2 ? 0.1f : 0)),
              s * 0.5f * spread * (lobes > 1 ? 0.6f : 1), s * 0.36f, int(10 + s * s * 0.01f / lobes),
              s * 0.12f / (1 + s / 60), c, alpha);
    }
}

// An old olive: a short, twisting split trunk under loose silvery lobes of foliage with gaps between them.
void olive(QPainter& p, Rng& r, float x, float base, float s, const Leaf& c, float alpha = 1)
{
    softBlob(p, x + s * 0.1f, base, s * 0.65f, s * 0.1f, hex(0x2a3020), 0.35f * alpha);
    const int limbs = 2 + (r.uni() > 0.5f ? 1 : 0);
    std::vector<QPointF> tips;
    for (int k = 0; k < limbs; ++k) {
        const float off = (k - (limbs - 1) * 0.5f) * s * 0.32f + r.range(-0.06f, 0.06f) * s;
        const QPointF tip(x + off, base - s * r.range(0.5f, 0.62f));
        QPainterPath limb(QPointF(x + off * 0.15f, base));
        limb.cubicTo(x - off * 0.3f, base - s * 0.2f, x + off * 0.9f, base - s * 0.3f, tip.x(), tip.y());
        p.setPen(QPen(qc(c.trunk, alpha), std::max(0.8f, s * (0.09f - k * 0.015f)), Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(limb);
        tips.push_back(tip);
    }
    tips.emplace_back(x + r.range(-0.1f, 0.1f) * s, base - s * 0.78f);
    for (const QPointF& t : tips)
        crown(p, r, t.x(), t.y() - s * 0.08f, s * 0.34f, s * 0.22f, int(8 + s * 0.5f + s * s * 0.005f),
              s * 0.085f / (1 + s / 70), c, alpha);
}

// A low shrub: a foliage mass sitting on the ground.
void bush(QPainter& p, Rng& r, float x, float base, float s, const Leaf& c, float alpha = 1)
{
    softBlob(p, x + s * 0.2f, base, s * 0.8f, s * 0.15f, hex(0x201a10), 0.3f * alpha);
    crown(p, r, x, base - s * 0.35f, s * 0.6f, s * 0.38f, int(8 + s * 0.5f), s * 0.13f / (1 + s / 150), c, alpha);
}

// Rows of conifers covering the ground below `edge`, back to front, shrinking and fading with distance.
void forest(QPainter& p, Rng& r, const Edge& edge, float x0, float x1, float y0, float y1, float s0, float s1,
            const Leaf& c, Col haze, float haze0, float haze1)
{
    for (float y = y0; y < y1;) {
        const float t = (y - y0) / (y1 - y0), s = s0 + (s1 - s0) * t;
        const float hz = haze0 + (haze1 - haze0) * t;
        const Leaf lc{mix(c.dark, haze, hz), mix(c.mid, haze, hz), mix(c.light, haze, hz), mix(c.trunk, haze, hz)};
        for (float x = x0 + r.range(0, s * 0.5f); x < x1; x += s * r.range(0.35f, 0.6f))
            if (y > edge(x) + s * 0.25f) {
                const float v = r.range(0.8f, 1.15f);
                conifer(p, r, x, y + r.range(-0.2f, 0.2f) * s, s * r.range(0.85f, 1.2f),
                        Leaf{lc.dark * v, lc.mid * v, lc.light * v, lc.trunk});
            }
        y += s * 0.22f;
    }
}

// Bunch grass: blades fanning out of one root, pale at the tips.
void tuft(QPainter& p, Rng& r, float x, float y, float s, Col root, Col tip, float alpha = 1)
{
    for (int i = 0; i < int(8 + s * 0.5f); ++i) {
        const float a = r.range(-1.1f, 1.1f), l = s * r.range(0.5f, 1);
        QPainterPath blade(QPointF(x + a * s * 0.08f, y));
        blade.quadTo(x + a * l * 0.2f, y - l * 0.6f, x + a * l * 0.6f, y - l * std::cos(a * 0.8f));
        p.setPen(QPen(qc(mix(root, tip, r.uni()), alpha), std::max(0.7f, s * 0.035f), Qt::SolidLine, Qt::RoundCap));
        p.drawPath(blade);
    }
    p.setPen(Qt::NoPen);
}

// A leafless tree: each limb carries on a little bent and throws off one thinner side limb.
void bareTree(QPainter& p, Rng& r, QPointF from, float angle, float len, float width, Col c, int depth = 7)
{
    const QPointF to = from + QPointF(std::sin(angle), -std::cos(angle)) * len;
    p.setPen(QPen(qc(c), width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(Qt::NoPen);
    if (depth == 0)
        return;
    const float side = r.uni() < 0.5f ? -1.f : 1.f;
    bareTree(p, r, to, angle - side * r.range(0.05f, 0.25f), len * r.range(0.72f, 0.85f), width * 0.75f, c, depth - 1);
    bareTree(p, r, to, angle + side * r.range(0.4f, 0.8f), len * r.range(0.5f, 0.7f), width * 0.55f, c,
             depth - 2 < 0 ? 0 : depth - 2);
}

// The Tuscan cypress: a tall dark flame.
void cypress(QPainter& p, Rng& r, float x, float base, float h, const Leaf& c, float alpha = 1)
{
    const float w = h * r.range(0.16f, 0.2f);
    QPainterPath path(QPointF(x, base - h));
    path.cubicTo(x + w * 0.9f, base - h * 0.6f, x + w * 0.7f, base - h * 0.1f, x + w * 0.15f, base);
    path.lineTo(x - w * 0.15f, base);
    path.cubicTo(x - w * 0.7f, base - h * 0.1f, x - w * 0.9f, base - h * 0.6f, x, base - h);
    QLinearGradient g(x - w * 0.6f, 0, x + w * 0.6f, 0);
    g.setColorAt(0, qc(c.mid, alpha));
    g.setColorAt(0.5, qc(c.dark, alpha));
    g.setColorAt(1, qc(c.dark * 0.8f, alpha));
    p.fillPath(path, g);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < int(h / 3); ++i) {
        const float t = r.range(0.1f, 0.95f);
        p.setBrush(qc(c.light, alpha * 0.5f));
        p.drawEllipse(QPointF(x - w * 0.25f * std::sin(t * 3.1416f) * r.uni(), base - h * t), w * 0.15f, w * 0.1f);
    }
}

// Curved blades scattered over an area; farther (higher) blades are shorter.
void grass(QPainter& p, Rng& r, QRectF area, int count, float len, Col a, Col b, float alpha, float lean = 0.3f,
           const Edge& ground = {})
{
    for (int i = 0; i < count; ++i) {
        const float x = r.range(area.left(), area.right()), y = r.range(area.top(), area.bottom());
        if (ground && y < ground(x) + 2)
            continue;
        const float persp = 0.35f + 0.65f * (y - area.top()) / std::max(1.0, area.height());
        const float l = len * persp * r.range(0.5f, 1.3f), bend = (lean + r.range(-0.5f, 0.5f)) * l;
        QPainterPath blade(QPointF(x, y));
        blade.quadTo(x + bend * 0.2f, y - l * 0.6f, x + bend, y - l);
        p.setPen(QPen(qc(mix(a, b, r.uni()), alpha), std::max(0.6f, persp * 1.4f), Qt::SolidLine, Qt::RoundCap));
        p.drawPath(blade);
    }
    p.setPen(Qt::NoPen);
}

// A farmhouse of two stone blocks under terracotta roofs, lit from the left; `s` is the width of the main block.
void farmhouse(QPainter& p, float x, float base, float s, Col wall, Col roof, float alpha = 1)
{
    p.setPen(Qt::NoPen);
    const float h = s * 0.55f;
    auto block = [&](float bx, float bw, float bh) {
        p.setBrush(qc(wall, alpha));
        p.drawRect(QRectF(bx, base - bh, bw * 0.7f, bh));
        p.setBrush(qc(wall * 0.75f, alpha));
        p.drawRect(QRectF(bx + bw * 0.7f, base - bh, bw * 0.3f, bh));
        QPainterPath rf(QPointF(bx - bw * 0.06f, base - bh));
        rf.lineTo(bx + bw * 0.2f, base - bh - bw * 0.16f);
        rf.lineTo(bx + bw * 1.05f, base - bh - bw * 0.16f);
        rf.lineTo(bx + bw * 1.06f, base - bh);
        rf.closeSubpath();
        p.fillPath(rf, qc(roof, alpha));
        p.setBrush(qc(hex(0x3a3028), alpha));
        for (int i = 0; i < 3; ++i) {
            const float wx = bx + bw * (0.12f + 0.2f * i);
            p.drawRect(QRectF(wx, base - bh * 0.75f, bw * 0.06f, bh * 0.18f));
            p.drawRect(QRectF(wx, base - bh * 0.38f, bw * 0.06f, bh * 0.18f));
        }
    };
    block(x + s * 0.85f, s * 0.5f, h * 0.65f);
    block(x, s, h);
    p.fillRect(QRectF(x + s * 0.42f, base - h * 1.45f, s * 0.16f, h * 0.45f), qc(wall * 0.95f, alpha));
    p.fillRect(QRectF(x + s * 0.4f, base - h * 1.5f, s * 0.2f, h * 0.07f), qc(roof, alpha));
}

// Posts from `nearBase` to `farBase`, shrinking with distance, joined by `rails` rails or wires; `cap` adds snow.
void fence(QPainter& p, QPointF nearBase, QPointF farBase, int posts, float hNear, float hFar, Col wood, int rails,
           float railWidth, const Col* cap = nullptr)
{
    for (int i = 0; i < posts; ++i) {
        const auto at = [&](int k, float& h) {
            h = hNear + (hFar - hNear) * k / (posts - 1.f);
            return nearBase + (farBase - nearBase) * (k / (posts - 1.f));
        };
        float h = 0, h2 = 0;
        const QPointF b = at(i, h), b2 = at(i + 1, h2);
        p.setBrush(qc(wood));
        p.drawRect(QRectF(b.x(), b.y() - h, std::max(1.0f, h * 0.08f), h));
        if (cap) {
            p.setBrush(qc(*cap));
            p.drawEllipse(QPointF(b.x() + h * 0.04f, b.y() - h), h * 0.07f, h * 0.03f);
        }
        p.setPen(QPen(qc(wood, 0.85f), std::max(0.8f, h * railWidth)));
        for (int k = 0; i + 1 < posts && k < rails; ++k)
            p.drawLine(b - QPointF(0, h * (0.8f - 0.38f * k)), b2 - QPointF(0, h2 * (0.8f - 0.38f * k)));
        p.setPen(Qt::NoPen);
    }
}

// Meadow flowers: dots of two colours, growing towards the viewer.
void flowers(QPainter& p, Rng& r, QRectF area, int n, Col a, Col b, float size)
{
    for (int i = 0; i < n; ++i) {
        const float y = r.range(area.top(), area.bottom()), k = 1 + size * (y - area.top());
        p.setBrush(qc(r.uni() < 0.55f ? a : b, 0.85f));
        p.drawEllipse(QPointF(r.range(area.left(), area.right()), y), k, k * 0.8f);
    }
}

// ---- water -----------------------------------------------------------------------------------------------------

// Mirrors the scene above `waterY` into `area`, broken into horizontal ripples that tighten towards the horizon.
void reflectWater(QImage& img, const QPainterPath& area, float waterY, Col tint, float tintAmt, float ripple,
                  uint32_t seed)
{
    const QImage src = img.copy();
    const float depth = std::max(1.0f, float(area.boundingRect().bottom()) - waterY);
    shadePath(img, area, [&](float x, float y) {
        const float d = std::max(1.0f, y - waterY), z = 60.f / (d + 6), k = clamp01(d / depth);
        const float wave = fbm(x * 0.005f * z, d * 0.1f * z + 3, seed, 3) - 0.5f;
        const Col c = mix(pixel(src, x + wave * ripple * 6 * (1 + k * 2), waterY - d * (1 + wave * ripple * 0.6f)),
                          tint, clamp01(tintAmt + k * 0.25f));
        const float glint = smooth(0.62f, 0.8f, fbm(x * 0.0045f * z, d * 0.21f * z, seed + 9, 3));
        return c * (0.94f + 0.1f * wave) + Col{0.06f, 0.06f, 0.07f} * glint;
    });
}

// ---- rock and mountains ----------------------------------------------------------------------------------------

// A boulder lit from the upper left: a dome roughened by ridged facets, shaded from its own surface normal, with
// moss settling on the faces that look up.
void rock(QImage& img, float cx, float cy, float rx, float ry, uint32_t seed, Col stone, Col moss, float mossAmt)
{
    const auto height = [=](float x, float y) {
        const float u = (x - cx) / rx, v = (y - cy) / ry;
        return std::sqrt(std::max(0.02f, 1 - u * u - v * v)) + 0.22f * ridged(u * 3 + 5, v * 3 + 5, seed, 4);
    };
    shadePath(img, lump(cx, cy, rx, ry, seed, 0.28f, true), [=](float x, float y) {
        const float du = (height(x + 1, y) - height(x - 1, y)) * rx * 0.5f;
        const float dv = (height(x, y + 1) - height(x, y - 1)) * ry * 0.5f;
        const float len = std::sqrt(du * du + dv * dv + 1), up = dv / len;
        const float light = clamp01((0.5f * du + 0.6f * dv + 0.62f) / len) * 0.8f + 0.2f;
        const Col c = stone * (0.3f + 0.9f * light) * (0.85f + 0.3f * fbm(x * 0.12f, y * 0.12f, seed + 5, 3)) *
                      (1 - 0.35f * smooth(0.1f, 0.35f, (y - cy) / ry));
        const float m = smooth(0.55f, 0.7f, fbm(x * 0.05f, y * 0.07f, seed + 7, 4) * 0.6f + up * 0.6f + mossAmt * 0.5f);
        return mix(c, moss * (0.35f + 0.8f * light), m);
    });
}

// One snowy peak, painted as an illustrator would: a jagged outline, a ridge running down from the summit that
// splits the sunlit face (left) from the shaded one, gullies streaked along the fall line, snow lying longest in the
// gullies, and haze thickening towards the foot.
void peak(QImage& img, float ax, float ay, float foot, float halfW, uint32_t seed, Col rockCol, Col snow, Col haze,
          float hazeTop, float hazeFoot, float snowFrac = 0.45f)
{
    const float h = foot - ay, tilt = 0.35f * (2 * vnoise(ax * 0.01f, 1, seed) - 1);
    QPainterPath outline(QPointF(ax - halfW * 1.2f, foot + 2));
    for (int side = -1; side <= 1; side += 2)
        for (int i = 0; i <= 40; ++i) {
            const float t = side < 0 ? i / 40.f : 1 - i / 40.f;
            const float jag = h * 0.07f * (std::pow(ridged(t * 12 + side * 7, 0.5f, seed + 1, 4), 4.f) - 0.25f) * 3;
            outline.lineTo(ax + side * halfW * (1 - t) * (side < 0 ? 1.2f : 1),
                           ay + h * (1 - t) - jag * std::sin(t * 3.1416f));
        }
    outline.lineTo(ax + halfW, foot + 2);
    shadePath(img, outline, [=](float x, float y) {
        const float dy = y - ay, ridgeX = ax + dy * tilt + h * 0.08f * (fbm(dy * 0.02f, 3, seed + 2, 3) - 0.5f);
        const float lit = smooth(1.5f, -1.5f, x - ridgeX), t = dy / h;
        const float gully = ridged((x + (lit > 0.5f ? 0.8f : -0.8f) * dy) * 10 / halfW, dy * 4 / h, seed + 3, 5);
        const float light = clamp01(0.2f + 0.6f * lit + 0.8f * (gully - 0.5f));
        const Col c = mix(rockCol, hex(0x5f6b4c), smooth(0.6f, 0.95f, t) * 0.6f) * (0.45f + 0.75f * light) *
                      (0.9f + 0.2f * fbm(x * 0.1f, y * 0.1f, seed + 4, 3));
        const float cover = smooth(-0.04f, 0.04f,
                                   snowFrac - t + 0.25f * (fbm(x * 0.03f, y * 0.04f, seed + 5, 4) - 0.5f) -
                                       0.35f * (gully - 0.5f) - 0.05f * (1 - lit));
        const Col sc = mix(snow * hex(0x9fb4d4), snow, clamp01(light * 1.4f));
        return mix(mix(c, sc, cover), haze, clamp01(hazeTop + (hazeFoot - hazeTop) * smooth(0.2f, 1, t)));
    });
}

// Open water seen at a low angle: noise laid out on the ground plane, so waves shrink and crowd towards the horizon.
Terrain sea(Col farCol, Col nearCol, Col glint, float depth, uint32_t seed)
{
    return [=](float x, float, float d) {
        const float z = 1 / (d + 4), u = (x - 400) * z * 40, v = 4000 * z;
        const float wave = fbm(u * 0.04f, v * 0.25f, seed, 4),
                    crest = smooth(0.62f, 0.78f, fbm(u * 0.08f, v * 0.6f, seed + 1, 3));
        const Col c = mix(farCol, nearCol, smooth(0, depth, d)) * (0.88f + 0.22f * wave);
        return mix(c, glint, crest * 0.45f * (1 - smooth(0, 8, d) * 0.3f));
    };
}

// ---- finishing -------------------------------------------------------------------------------------------------

// Faint paper grain and a soft vignette: they hide gradient banding and make the picture read as painted.
void finish(QImage& img, uint32_t seed, float vignette = 0.12f)
{
    const float cx = img.width() * 0.5f, cy = img.height() * 0.5f;
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const float g = (fbm(x * 0.35f, y * 0.35f, seed, 2) - 0.5f) * 0.035f + (lattice(x, y, seed) - 0.5f) * 0.02f;
            const float dx = (x - cx) / cx, dy = (y - cy) / cy;
            const float v = 1 - vignette * smooth(0.5f, 1.5f, dx * dx + dy * dy);
            line[x] = toRgb((fromRgb(line[x]) + Col{g, g, g}) * v);
        }
    }
}

bool save(const QImage& img, const QString& dir, const char* name)
{
    const QString path = QDir(dir).filePath(QString::fromLatin1(name));
    if (!img.save(path, "JPG", 88)) {
        std::fprintf(stderr, "paintlandscapes: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), img.width(), img.height());
    return true;
}

// ---- the scenes ------------------------------------------------------------------------------------------------

// The default field. The game shows only its top-left 449 x 257 pixels in a normal window, so that corner carries a
// complete little view: overcast sky above y~150, far hills, then an olive grove on the hill below.
QImage paintField()
{
    QImage img(832, 666, QImage::Format_RGB32);
    Rng r(1001);
    paintSky(img, {{0, hex(0xa7b1ba)}, {0.5f, hex(0xc9cdcf)}, {1, hex(0xe8e7e0)}}, 160);
    // Overcast: a broken grey deck, whiter where it thins, lifting a little towards the horizon.
    cloudDeck(img, 150, 1003, hex(0xf0efea), hex(0x9aa1a8), 0.62f, 0.95f);
    {
        Canvas p(img);
        stratus(p, r, -100, 930, 140, 7, 50, hex(0xebeae4), 0.35f);
    }
    const Col haze = hex(0xdadcd8);
    fillBelow(img, ridge(142, 10, 0.006f, 11), [&](float x, float y, float d) {
        return mix(hex(0x98a4ac), haze, 0.4f + 0.2f * fbm(x * 0.02f, y * 0.05f, 12, 4) - clamp01(d / 60) * 0.1f);
    });
    const std::vector<Col> crops{hex(0x8f9c6c), hex(0xb9ad78), hex(0x7f8f5d), hex(0xa08a66), hex(0xa7aa74)};
    const Edge far = ridge(156, 9, 0.01f, 21);
    fillBelow(img, far, [&](float x, float y, float d) {
        const Col c = patchwork(x, d, 40 + d * 0.8f, 22, crops) * (0.94f + 0.1f * fbm(x * 0.05f, y * 0.2f, 24, 3));
        return mix(c, haze, 0.5f - clamp01(d / 60) * 0.12f);
    });
    {
        Canvas p(img);
        const Leaf dim{hex(0x5d6857), hex(0x6c7663), hex(0x858f79), hex(0x606050)};
        for (int i = 0; i < 26; ++i) {
            float x = r.range(0, 832);
            for (int k = int(r.range(1, 4)); k > 0; --k, x += r.range(3, 5))
                cypress(p, r, x, far(x) + 6 + i % 5 * 4, r.range(8, 12), dim);
        }
        stratus(p, r, -10, 842, 172, 6, 280, haze, 0.12f); // haze lying in the valley
    }
    // The olive hill filling the lower part of the visible corner; on the right it opens onto the valley.
    const Edge hill = [](float x) {
        return 184 + 0.035f * x - 10 * (2 * fbm1(x * 0.007f, 31) - 1) + 60 * smooth(430, 640, x) -
               20 * smooth(650, 832, x);
    };
    fillBelow(img, hill, [&](float x, float y, float d) {
        const float n = fbm(x * 0.04f, y * 0.18f, 32, 4);
        Col c = mix(hex(0x849060), hex(0xa69d6c), smooth(0.45f, 0.65f, fbm(x * 0.006f, d * 0.02f, 33, 3)));
        c = c * (0.86f + 0.22f * n) * (1.03f - 0.08f * smooth(0, 60, d));
        return mix(c, haze, 0.25f - clamp01(d / 200) * 0.15f);
    });
    const Leaf olv{hex(0x505c44), hex(0x7a8666), hex(0xaeb69a), hex(0x6a6152)};
    {
        Canvas p(img);
        for (float row = 6; row < 150; row += 7 + row * 0.16f) {
            const float s = 8 + row * 0.2f;
            for (float x = r.range(-10, 10); x < 840; x += s * 1.9f + r.range(0, s * 0.5f))
                if (r.uni() > 0.08f)
                    olive(p, r, x, hill(x) + row + r.range(-1.5f, 1.5f), s, olv, 0.95f);
        }
    }
    // The near hill: ripe wheat and a white road lined with cypresses climbing to a farmhouse.
    const Edge nearHill = [](float x) { return 380 - 0.1f * x - 14 * (2 * fbm1(x * 0.005f, 41) - 1); };
    fillBelow(img, nearHill, [&](float x, float y, float d) {
        const float n = fbm(x * 0.03f, y * 0.1f, 42, 4);
        const float rows = std::sin((y + 18 * fbm(x * 0.004f, 0, 43, 3) - x * 0.08f) * 0.5f);
        Col c = mix(hex(0xc4ad6e), hex(0xa99a5c), smooth(0.4f, 0.7f, fbm(x * 0.008f, d * 0.02f, 44, 3)));
        c = c * (0.9f + 0.15f * n + 0.03f * rows) * (1.04f - 0.1f * smooth(0, 50, d));
        return mix(c, haze, 0.12f);
    });
    const auto roadX = [](float y) { return 560 - (y - 330) * 1.25f + 45 * std::sin((y - 318) * 0.025f); };
    QPainterPath road(QPointF(roadX(318) - 3, 318));
    for (float y = 318; y <= 580; y += 4)
        road.lineTo(roadX(y) - 3 - (y - 318) * 0.06f, y);
    for (float y = 580; y >= 318; y -= 4)
        road.lineTo(roadX(y) + 3 + (y - 318) * 0.06f, y);
    shadePath(img, road,
              [](float x, float y) { return hex(0xd8cdb0) * (0.92f + 0.12f * fbm(x * 0.1f, y * 0.1f, 45, 3)); });
    const Leaf olvNear{hex(0x4a5640), hex(0x75825f), hex(0xb0b89a), hex(0x6b6354)};
    {
        Canvas p(img);
        farmhouse(p, 590, nearHill(590) + 22, 52, hex(0xd9c6a0), hex(0xa5573a));
        const Leaf cyp{hex(0x2f3d2a), hex(0x46573c), hex(0x6b7a58), hex(0x4a4034)};
        for (float y = 345; y < 520; y += 14 + (y - 330) * 0.12f) {
            const float sc = 0.35f + (y - 330) / 150;
            cypress(p, r, roadX(y) - 14 * sc - 6, y, 46 * sc, cyp);
            cypress(p, r, roadX(y) + 14 * sc + 6, y + 3, 46 * sc, cyp);
        }
        for (float x = 20; x < 380; x += r.range(45, 70))
            olive(p, r, x, nearHill(x) + r.range(25, 45), r.range(28, 36), olvNear);
    }
    // Foreground meadow with two big old olives framing the view.
    const Edge meadow = [](float x) { return 520 + 30 * (2 * fbm1(x * 0.004f, 51) - 1) + 0.03f * x; };
    fillBelow(img, meadow, [&](float x, float y, float d) {
        const float n = fbm(x * 0.02f, y * 0.06f, 52, 5);
        const Col c = mix(hex(0x7f8a52), hex(0x9e9a5e), smooth(0.4f, 0.65f, fbm(x * 0.01f, y * 0.02f, 53, 3)));
        return c * (0.85f + 0.25f * n) * (1 - 0.1f * smooth(0, 120, d));
    });
    Canvas p(img);
    grass(p, r, QRectF(0, 515, 832, 160), 2600, 18, hex(0x6a7445), hex(0xb4ac72), 0.6f);
    flowers(p, r, QRectF(0, 540, 832, 126), 160, hex(0xe8e2c8), hex(0xd9b84a), 0.01f);
    olive(p, r, 95, 640, 190, olvNear);
    olive(p, r, 770, 610, 140, olvNear);
    return img;
}

// 101: a waterfall dropping out of a wooded valley between two forested slopes into a green pool.
QImage paintWaterfall()
{
    QImage img(787, 807, QImage::Format_RGB32);
    Rng r(101);
    paintSky(img, {{0, hex(0x6b9bcb)}, {0.6f, hex(0xa9c6de)}, {1, hex(0xe2eae6)}}, 290);
    cloud(img, r, 390, 215, 300, 85, hex(0xfbfbf8), hex(0x9aaabd), 0.95f);
    cloud(img, r, 650, 140, 200, 55, hex(0xfbfbf8), hex(0x9aaabd), 0.9f);
    cloud(img, r, 110, 105, 160, 40, hex(0xfbfbf8), hex(0x9aaabd), 0.85f);
    const Col haze = hex(0xc5d6dc);
    const Leaf pine{hex(0x1d3829), hex(0x2d5037), hex(0x5e8452), hex(0x1d2a20)};
    fillBelow(img, ridge(262, 22, 0.006f, 111), [&](float x, float y, float d) {
        return mix(hex(0x6f8fa3), haze, 0.5f + 0.12f * fbm(x * 0.03f, y * 0.05f, 112, 4) - clamp01(d / 200) * 0.1f);
    });
    // Slopes framing the valley, each layer nearer, darker and more saturated. The nearest one leaves a gap
    // for the cliff, so it is painted after the fall.
    const float hz[3] = {0.55f, 0.3f, 0.06f};
    auto slope = [&](int layer) {
        const float tip = 330 + layer * 25.f, rise = 0.5f + layer * layer * 0.42f;
        const Edge e = [=](float x) {
            const float dx = std::fabs(x - 395) - (60 + layer * layer * 32.f);
            if (layer == 2 && dx < -100) // keep the plunge pool clear of trees
                return 2000.f;
            return tip - rise * dx - (18 + layer * 6) * (2 * fbm1(x * 0.01f, 120 + uint32_t(layer)) - 1);
        };
        fillBelow(img, e, [&](float x, float y, float) {
            return mix(pine.dark * (0.8f + 0.5f * fbm(x * 0.12f, y * 0.12f, 130, 3)), haze, hz[layer]);
        });
        Canvas p(img);
        forest(p, r, e, -10, 800, layer * 30.f, 807, 9 + layer * 7.f, 26 + layer * 26.f, pine, haze, hz[layer],
               hz[layer] * 0.6f);
    };
    slope(0);
    slope(1);
    // The cliff: wet, layered rock with moss in the ledges.
    QPainterPath cliff(QPointF(225, 700));
    for (float x = 225; x <= 570; x += 5)
        cliff.lineTo(x, 398 + 12 * fbm1(x * 0.04f, 143) + 8 * std::fabs(x - 397) / 170 -
                            6 * smooth(60, 0, std::fabs(x - 397)));
    cliff.lineTo(570, 700);
    shadePath(img, cliff, [](float x, float y) {
        const float strata = ridged(x * 0.012f + 0.3f * fbm(x * 0.01f, y * 0.02f, 142, 3), y * 0.05f, 140, 4);
        const float crack = ridged(x * 0.06f, y * 0.008f, 144, 3);
        const float n = fbm(x * 0.08f, y * 0.05f, 141, 4), lit = clamp01((460 - x) / 200);
        const Col c = hex(0x64655f) * (0.4f + 0.45f * strata * n + 0.25f * lit - 0.25f * smooth(0.8f, 0.95f, crack)) *
                      (1.05f - 0.35f * smooth(420, 690, y));
        return mix(c, hex(0x4a6a35) * (0.5f + 0.5f * n), smooth(0.68f, 0.8f, strata) * 0.55f);
    });
    QPainterPath fall(QPointF(355, 402));
    fall.cubicTo(380, 398, 410, 398, 438, 402);
    fall.cubicTo(446, 500, 452, 600, 462, 675);
    fall.lineTo(335, 675);
    fall.cubicTo(342, 600, 346, 500, 355, 402);
    shadePath(img, fall, [](float x, float y) {
        const float streak = fbm(x * 0.18f, y * 0.012f - x * 0.01f, 150, 4);
        const float edge = std::fabs(x - 398) / (42 + (y - 400) * 0.06f);
        return mix(hex(0x8fb3bf), hex(0xf4f9fa), smooth(0.3f, 0.7f, streak) * (1 - 0.5f * edge * edge));
    });
    slope(2);
    {
        // Afternoon sun on the right-hand slope, the left one turning into shade.
        Canvas p(img);
        softBlob(p, 720, 330, 380, 420, hex(0xffeeb0), 0.16f, 0.5f);
        softBlob(p, 40, 460, 300, 480, hex(0x0c1820), 0.22f, 0.5f);
    }
    // The pool, mirroring the fall and the slopes, then foam and spray where the water lands.
    QPainterPath pool(QPointF(-10, 807));
    pool.cubicTo(60, 690, 250, 672, 395, 670);
    pool.cubicTo(560, 672, 730, 690, 800, 807);
    reflectWater(img, pool, 672, hex(0x24503f), 0.35f, 0.6f, 160);
    {
        Canvas p(img);
        for (int i = 0; i < 70; ++i) {
            const float a = r.range(-1, 1);
            softBlob(p, 398 + a * 100, 676 + r.range(-6, 12) * (1 - std::fabs(a)), r.range(10, 26), r.range(4, 9),
                     hex(0xf4f8f8), 0.35f);
        }
        for (int i = 0; i < 18; ++i)
            softBlob(p, 398 + r.range(-80, 80), r.range(600, 670), r.range(30, 60), r.range(20, 40), hex(0xe8f0f2),
                     0.2f);
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 14; ++i) {
            const float rx = 60 + i * 22.f;
            p.setPen(QPen(qc(hex(0xe0ecec), 0.25f - i * 0.015f), 1.2f));
            p.drawArc(QRectF(398 - rx, 680 + i * 2.f - rx * 0.08f, 2 * rx, rx * 0.16f), 200 * 16, 140 * 16);
        }
        p.setPen(Qt::NoPen);
    }
    const Col stone = hex(0x6c6e68), moss = hex(0x557a36);
    rock(img, 250, 700, 60, 30, 171, stone, moss, 0.3f);
    rock(img, 545, 705, 70, 32, 172, stone, moss, 0.3f);
    rock(img, 110, 790, 160, 70, 173, stone, moss, 0.35f);
    rock(img, 700, 800, 150, 75, 174, stone, moss, 0.35f);
    return img;
}

// 102: dry bunch grass on a desert plain, buttes on the horizon, big summer clouds sailing overhead.
QImage paintDesert()
{
    QImage img(800, 532, QImage::Format_RGB32);
    Rng r(102);
    paintSky(img, {{0, hex(0x4a7db8)}, {0.55f, hex(0x8db3d8)}, {1, hex(0xe6e2d6)}}, 320);
    {
        Canvas p(img);
        stratus(p, r, 0, 800, 40, 12, 30, hex(0xeef2f6), 0.25f);
    }
    const Col lit = hex(0xfdfbf5), shade = hex(0x8d9bb2);
    {
        Canvas p(img);
        for (int i = 0; i < 6; ++i) {
            const float x = r.range(0, 800), y = r.range(288, 306);
            stratus(p, r, x - 60, x + 60, y, 7, 8, lit, 0.5f);
            stratus(p, r, x - 50, x + 50, y + 5, 5, 6, shade, 0.25f);
        }
    }
    cloud(img, r, 760, 245, 200, 70, lit, shade);
    cloud(img, r, 170, 200, 330, 120, lit, shade);
    cloud(img, r, 570, 150, 380, 120, lit, shade);
    const Col haze = hex(0xd9d3c8);
    // Buttes: a steep caprock over a gentler apron of scree.
    const Edge buttes = [](float x) {
        const float c[3] = {150, 520, 690}, hw[3] = {70, 35, 80}, h[3] = {40, 30, 20};
        float top = 0;
        for (int i = 0; i < 3; ++i) {
            const auto hat = [&](float e) {
                return smooth(c[i] - hw[i] - e, c[i] - hw[i], x) * (1 - smooth(c[i] + hw[i], c[i] + hw[i] + e, x));
            };
            top = std::max(top, h[i] * (0.45f * hat(70) + 0.55f * hat(8)));
        }
        return 329 - top - 2 * fbm1(x * 0.08f, 201);
    };
    fillBelow(img, buttes, [&](float x, float y, float d) {
        const float s = buttes(x + 2) - buttes(x - 2), g = ridged(x * 0.08f, y * 0.02f, 202, 3);
        const float band = 0.92f + 0.08f * std::sin(y * 0.7f + 2 * fbm(x * 0.05f, y * 0.1f, 203, 3));
        const Col c = hex(0xb57f5e) * band * (s > 0.5f ? 0.78f : 1.0f) * (0.85f + 0.25f * g);
        return mix(c, hex(0xbdb3b8), 0.5f - clamp01(d / 40) * 0.1f);
    });
    fillBelow(img, ridge(330, 1.5f, 0.02f, 204), [&](float x, float y, float d) {
        const float shadow = smooth(0.48f, 0.64f, fbm(x * 0.003f, y * 0.012f, 205, 3));
        const float ripple = std::sin(y * 0.9f + 6 * fbm(x * 0.01f, y * 0.02f, 208, 3)) * smooth(380, 532, y);
        const Col c = mix(hex(0xd6b887), hex(0xad9060), fbm(x * 0.01f, y * 0.05f, 206, 4)) * (1 - 0.28f * shadow) *
                      (1 + 0.04f * ripple) * (0.94f + 0.12f * lattice(int(x / 2), int(y / 2), 209));
        return mix(c * (0.92f + 0.12f * fbm(x * 0.15f, y * 0.6f, 207, 2)), haze, 0.4f * (1 - smooth(0, 50, d)));
    });
    Canvas p(img);
    const Leaf sage{hex(0x5a6246), hex(0x7e8662), hex(0xa9ab88), hex(0x5a4a38)};
    for (int i = 0; i < 420; ++i) {
        const float y = 332 + 205 * std::pow(r.uni(), 1.5f), s = 1.5f + (y - 330) * 0.22f * r.range(0.6f, 1.3f);
        const float x = r.range(-20, 820);
        if (r.uni() < 0.2f)
            bush(p, r, x, y, s * 0.5f, sage, 0.95f);
        else
            for (int k = int(r.range(1, 4)); k > 0; --k)
                tuft(p, r, x + r.range(-1, 1) * s * 0.8f, y + r.range(-0.1f, 0.1f) * s, s * r.range(0.7f, 1.1f),
                     hex(0x94804a), hex(0xeedca2), 0.9f);
    }
    grass(p, r, QRectF(0, 470, 800, 70), 500, 30, hex(0x9c8348), hex(0xe6d49a), 0.7f);
    return img;
}

// 103: an alpine lake under snowy peaks, fir woods on the shore and the mountains mirrored in still water.
QImage paintAlpineLake()
{
    QImage img(770, 739, QImage::Format_RGB32);
    Rng r(103);
    paintSky(img, {{0, hex(0x3f74b6)}, {0.6f, hex(0x86b0da)}, {1, hex(0xd9e7ef)}}, 330);
    cloud(img, r, 600, 120, 220, 55, hex(0xfcfcfa), hex(0xa2b2c8), 0.9f);
    cloud(img, r, 130, 160, 170, 40, hex(0xfcfcfa), hex(0xa2b2c8), 0.8f);
    const Col haze = hex(0xc8d7e6), snow = hex(0xf6f8fb);
    const float farPk[5][3] = {{120, 215, 180}, {330, 140, 230}, {560, 180, 210}, {735, 240, 150}, {20, 250, 140}};
    for (const auto& k : farPk)
        peak(img, k[0], k[1], 450, k[2], 301 + uint32_t(k[0]), hex(0x7d89a0), snow, haze, 0.3f, 0.65f, 0.5f);
    const float nearPk[4][3] = {{30, 250, 200}, {250, 320, 160}, {470, 340, 150}, {650, 270, 210}};
    for (const auto& k : nearPk)
        peak(img, k[0], k[1], 450, k[2], 401 + uint32_t(k[0]), hex(0x5d5e60), snow, haze, 0.05f, 0.45f, 0.3f);
    const Leaf fir{hex(0x16301f), hex(0x254630), hex(0x4d7048), hex(0x3a2c20)};
    const Edge shore = ridge(432, 10, 0.015f, 305);
    fillBelow(img, shore, [&](float x, float y, float) {
        return mix(fir.dark * (0.8f + 0.4f * fbm(x * 0.2f, y * 0.2f, 306, 3)), haze, 0.25f);
    });
    {
        Canvas p(img);
        forest(p, r, shore, -10, 780, 400, 452, 12, 22, fir, haze, 0.3f, 0.2f);
    }
    QPainterPath lake;
    lake.addRect(-1, 452, 772, 300);
    reflectWater(img, lake, 452, hex(0x2d5c74), 0.28f, 0.35f, 307);
    // Near shore: a grassy bank with boulders and two tall firs framing the lake.
    const Edge bank = [](float x) {
        return 640 - 70 * smooth(250, 0, x) - 40 * smooth(560, 770, x) + 8 * fbm1(x * 0.03f, 308);
    };
    fillBelow(img, bank, [&](float x, float y, float d) {
        Col c = mix(hex(0x4f6b33), hex(0x7f8a4a), fbm(x * 0.02f, y * 0.05f, 309, 4));
        c = mix(hex(0xa49c88), c, smooth(4, 14, d + 8 * fbm(x * 0.05f, 1, 311, 3)));
        return c * (0.8f + 0.3f * fbm(x * 0.15f, y * 0.3f, 310, 3)) * (1 - 0.25f * smooth(0, 120, d));
    });
    const Col stone = hex(0x777a7c), moss = hex(0x6b7d3e);
    rock(img, 330, 655, 55, 28, 311, stone, moss, 0.15f);
    rock(img, 430, 662, 30, 16, 312, stone, moss, 0.15f);
    rock(img, 700, 690, 90, 45, 313, stone, moss, 0.2f);
    Canvas p(img);
    grass(p, r, QRectF(0, 560, 770, 180), 2500, 20, hex(0x4a6430), hex(0xa3a560), 0.7f, 0.3f, bank);
    conifer(p, r, 70, 620, 330, fir);
    conifer(p, r, 150, 600, 220, fir);
    conifer(p, r, 720, 630, 260, fir);
    return img;
}

// 104: green, moss-covered rocks on a sunny coast, surf breaking white around them.
QImage paintSeaRocks()
{
    QImage img(800, 532, QImage::Format_RGB32);
    Rng r(104);
    paintSky(img, {{0, hex(0x5788c2)}, {0.6f, hex(0x9cc0de)}, {1, hex(0xe3ecee)}}, 215);
    const Col lit = hex(0xfcfcfa), shade = hex(0x9fb0c4), haze = hex(0xd3e0e6);
    cloud(img, r, 180, 110, 260, 60, lit, shade, 0.9f);
    cloud(img, r, 600, 70, 200, 45, lit, shade, 0.85f);
    {
        Canvas p(img);
        stratus(p, r, 0, 800, 200, 6, 30, lit, 0.35f);
    }
    fillBelow(
        img, [](float x) { return 216 - 36 * smooth(520, 650, x) * (0.75f + 0.25f * fbm1(x * 0.02f, 401)); },
        [&](float x, float y, float) {
            return mix(hex(0x6f8a78) * (0.85f + 0.3f * fbm(x * 0.05f, y * 0.1f, 402, 3)), haze, 0.5f);
        });
    fillBelow(
        img, [](float) { return 215.f; }, sea(hex(0x4a7aa0), hex(0x2b7d84), hex(0xe8f4f4), 320, 403));
    {
        Canvas p(img);
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 50; ++i) {
            const float y = r.range(230, 520), w = (y - 200) * r.range(0.2f, 0.6f);
            p.setPen(QPen(qc(hex(0xf0f8f8), 0.3f), std::max(0.6f, (y - 200) / 200)));
            p.drawArc(QRectF(r.range(-50, 800), y, w, w * 0.08f), 0, 180 * 16);
        }
    }
    const Col stone = hex(0x6a675f), moss = hex(0x5f8c33);
    const float rocks[][5] = {{440, 266, 36, 16, 0.3f},   {478, 270, 18, 8, 0.2f},   {40, 300, 110, 90, 0.3f},
                              {130, 405, 190, 110, 0.4f}, {310, 440, 110, 62, 0.3f}, {770, 320, 110, 90, 0.3f},
                              {650, 390, 150, 90, 0.4f},  {540, 462, 80, 44, 0.25f}, {60, 590, 230, 100, 0.3f},
                              {740, 600, 200, 90, 0.3f}};
    for (const auto& k : rocks) {
        const float base = k[1] + k[3] * 0.35f;
        {
            Canvas p(img);
            for (int i = 0; i < int(k[2] / 3); ++i)
                softBlob(p, k[0] + r.range(-1.15f, 1.15f) * k[2], base + r.range(-0.05f, 0.15f) * k[3],
                         k[2] * r.range(0.05f, 0.2f), k[3] * r.range(0.04f, 0.1f), hex(0xf2f8f8), r.range(0.2f, 0.5f));
        }
        rock(img, k[0], k[1], k[2], k[3], 410 + uint32_t(k[0]), stone, moss, k[4]);
        Canvas p(img);
        for (int i = 0; i < int(k[2] / 3); ++i) {
            const float a = r.range(-1, 1), x = k[0] + a * k[2] * 0.95f;
            softBlob(p, x, base + r.range(-0.08f, 0.06f) * k[3], k[2] * r.range(0.08f, 0.25f),
                     std::max(1.5f, k[3] * r.range(0.02f, 0.06f)), hex(0xfbfdfd), r.range(0.2f, 0.5f));
        }
    }
    return img;
}

// 105: sunset over a lagoon: a violet-to-gold sky mirrored in still water between reed beds.
QImage paintLagoon()
{
    QImage img(800, 532, QImage::Format_RGB32);
    Rng r(105);
    const float horizon = 292, sunX = 560;
    paintSky(
        img,
        {{0, hex(0x2c3866)}, {0.35f, hex(0x6e5886)}, {0.65f, hex(0xd0836d)}, {0.9f, hex(0xf2b56e)}, {1, hex(0xf8d594)}},
        horizon);
    {
        Canvas p(img);
        softBlob(p, sunX, horizon - 10, 420, 200, hex(0xffd59a), 0.45f);
        softBlob(p, sunX, horizon - 14, 90, 60, hex(0xfff0c8), 0.7f);
        for (int i = 0; i < 7; ++i) {
            const float y = r.range(110, 270), t = (y - 110) / 160;
            stratus(p, r, r.range(-100, 500), r.range(400, 900), y + 4, 5 + 6 * (1 - t), 16, hex(0x6b4a6c), 0.35f);
            stratus(p, r, r.range(-100, 500), r.range(400, 900), y, 4 + 5 * (1 - t), 16,
                    mix(hex(0xf59a80), hex(0xffd9a0), t), 0.45f);
        }
        p.setBrush(qc(hex(0xfff6de)));
        p.drawEllipse(QPointF(sunX, horizon - 14), 15, 15);
    }
    // Far shore: a low wood whose skyline is the union of round crowns.
    const Edge shore = [](float x) {
        float crowns = 0;
        for (int i = int(x / 12) - 2; i <= int(x / 12) + 2; ++i) {
            const float cx = (i + lattice(i, 0, 501)) * 12, rad = 7 + 8 * lattice(i, 1, 501), u = (x - cx) / rad;
            crowns = std::max(crowns, (3 + 6 * lattice(i, 2, 501)) * std::sqrt(std::max(0.f, 1 - u * u)));
        }
        return 289 - 6 * fbm1(x * 0.006f, 502) - crowns * smooth(0.3f, 0.5f, fbm1(x * 0.01f, 503));
    };
    fillBelow(img, shore,
              [](float x, float y, float) { return hex(0x54405c) * (0.9f + 0.2f * fbm(x * 0.1f, y * 0.1f, 503, 3)); });
    QPainterPath water;
    water.addRect(-1, horizon, 802, 250);
    reflectWater(img, water, horizon, hex(0x3a2b48), 0.12f, 0.45f, 504);
    Canvas p(img);
    for (int i = 0; i < 120; ++i) {
        const float y = horizon + 2 + 200 * std::pow(r.uni(), 1.5f), spread = 8 + (y - horizon) * 0.5f;
        p.setPen(QPen(qc(hex(0xffe2a8), r.range(0.15f, 0.55f)), std::max(0.6f, (y - horizon) * 0.012f), Qt::SolidLine,
                      Qt::RoundCap));
        const float x = sunX + r.range(-1, 1) * spread, len = r.range(3, 10) * (0.4f + (y - horizon) / 80);
        p.drawLine(QPointF(x - len, y), QPointF(x + len, y));
    }
    p.setPen(Qt::NoPen);
    // Reed islands and the near reed beds, dark against the bright water.
    const Col reed = hex(0x2b1f2c), rim = hex(0xb07050);
    auto reeds = [&](float x0, float x1, float base, float h, int n) {
        softBlob(p, (x0 + x1) / 2, base, (x1 - x0) * 0.6f, h * 0.06f + 2, reed, 0.9f, 0.8f);
        for (int i = 0; i < n; ++i) {
            const float x = r.range(x0, x1),
                        l = h * r.range(0.25f, 1) * (1 - 1.2f * std::fabs((x - (x0 + x1) / 2) / (x1 - x0)));
            QPainterPath stem(QPointF(x, base));
            const float bend = r.range(-0.25f, 0.15f) * l;
            stem.quadTo(x, base - l * 0.6f, x + bend, base - l);
            p.setPen(
                QPen(qc(mix(reed, rim, r.uni() * 0.15f)), std::max(0.8f, h * 0.012f), Qt::SolidLine, Qt::RoundCap));
            p.drawPath(stem);
            if (r.uni() < 0.15f) {
                p.setPen(QPen(qc(reed), std::max(1.5f, h * 0.035f), Qt::SolidLine, Qt::RoundCap));
                p.drawLine(QPointF(x + bend * 0.95f, base - l * 0.95f), QPointF(x + bend * 0.9f, base - l * 0.85f));
            }
        }
        p.setPen(Qt::NoPen);
    };
    reeds(60, 260, 330, 40, 160);
    reeds(640, 760, 318, 26, 90);
    reeds(330, 420, 305, 14, 50);
    reeds(-40, 260, 545, 190, 420);
    reeds(620, 840, 545, 150, 320);
    p.setPen(QPen(qc(hex(0x2a2030)), 1.4f, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 6; ++i) {
        const float x = r.range(250, 450), y = r.range(150, 220), s = r.range(3, 6);
        p.drawLine(QPointF(x - s, y - s * 0.4f), QPointF(x, y));
        p.drawLine(QPointF(x, y), QPointF(x + s, y - s * 0.5f));
    }
    return img;
}

// 106: rolling farmland on a bright day: patchwork fields, hedgerows, a farm on the hill and an oak in front.
QImage paintFarmland()
{
    QImage img(832, 666, QImage::Format_RGB32);
    Rng r(106);
    paintSky(img, {{0, hex(0x5790cf)}, {0.6f, hex(0xa5c7e4)}, {1, hex(0xedf1e9)}}, 240);
    const Col lit = hex(0xfdfdfa), shade = hex(0x9db0c6), haze = hex(0xdce6e6);
    cloud(img, r, 160, 120, 240, 70, lit, shade, 0.95f);
    cloud(img, r, 520, 80, 300, 80, lit, shade, 0.95f);
    cloud(img, r, 760, 170, 160, 45, lit, shade, 0.9f);
    for (int k = 0; k < 2; ++k)
        fillBelow(img, ridge(222 + k * 14.f, 14, 0.005f + k * 0.003f, 601 + uint32_t(k)),
                  [&](float x, float y, float d) {
                      const float n = fbm(x * 0.03f, y * 0.08f, 603, 4);
                      return mix(mix(hex(0x7f9aa8), hex(0x7e9a7a), k * 0.6f) * (0.9f + 0.2f * n), haze,
                                 0.55f - k * 0.12f - clamp01(d / 50) * 0.1f);
                  });
    const std::vector<Col> crops{hex(0x7ea34c), hex(0x9bb85a), hex(0xd8c54e),
                                 hex(0xd4bd85), hex(0xa2805a), hex(0x6e9443)};
    const Leaf hedge{hex(0x2f4a22), hex(0x4c6e30), hex(0x86a552), hex(0x4a3a28)};
    const Edge hills[3] = {ridge(262, 18, 0.006f, 611), ridge(340, 30, 0.004f, 612), ridge(460, 35, 0.0035f, 613)};
    const float hazeAmt[3] = {0.45f, 0.22f, 0.06f};
    for (int k = 0; k < 3; ++k) {
        const Edge& e = hills[k];
        fillBelow(img, e, [&](float x, float y, float d) {
            const float slope = e(x + 4) - e(x - 4), cell = 40 + k * 40 + d * (1.2f + k * 0.5f);
            const Col c =
                patchwork(x, d, cell, 620 + uint32_t(k), crops) * (0.92f + 0.12f * fbm(x * 0.08f, y * 0.2f, 630, 3));
            const float light = 1.05f - std::clamp(0.08f * slope, -0.1f, 0.1f) - 0.18f * smooth(0, 90.f + k * 40, d);
            return mix(c * light, haze, hazeAmt[k]);
        });
        Canvas p(img);
        const float s = 8 + k * 9.f;
        for (float x = r.range(-10, 10); x < 840; x += s * r.range(0.6f, 1.6f))
            if (fbm1(x * 0.01f, 640 + uint32_t(k)) > 0.45f) {
                const Leaf lc{mix(hedge.dark, haze, hazeAmt[k]), mix(hedge.mid, haze, hazeAmt[k]),
                              mix(hedge.light, haze, hazeAmt[k]), hedge.trunk};
                leafyTree(p, r, x, e(x) + s * 0.3f, s * r.range(0.8f, 1.3f), lc);
            }
        if (k == 1) {
            farmhouse(p, 440, hills[1](470) + 34, 60, hex(0xe8dcc4), hex(0x8a4a38));
            farmhouse(p, 520, hills[1](545) + 40, 44, hex(0xa8493a), hex(0x6e5a50));
        }
    }
    const Edge meadow = [](float x) { return 585 - 30 * smooth(0, 832, x) + 10 * fbm1(x * 0.01f, 650); };
    fillBelow(img, meadow, [](float x, float y, float) {
        return mix(hex(0x5f8f35), hex(0x86a844), fbm(x * 0.01f, y * 0.03f, 651, 4)) *
               (0.85f + 0.25f * fbm(x * 0.1f, y * 0.3f, 652, 3));
    });
    Canvas p(img);
    grass(p, r, QRectF(0, 555, 832, 120), 3000, 22, hex(0x3f6a25), hex(0xa7c25e), 0.75f, 0.3f, meadow);
    flowers(p, r, QRectF(0, 590, 832, 76), 140, hex(0xfdfbf0), hex(0xf2d03a), 0.02f);
    fence(p, QPointF(20, 660), QPointF(380, 580), 9, 70, 25, hex(0x6a5038), 2, 0.05f);
    leafyTree(p, r, 775, 640, 250, Leaf{hex(0x2c4a20), hex(0x4f7a30), hex(0x9cbf5c), hex(0x5a4634)}, 1.2f, 3);
    return img;
}

// 107: a snowy plain at dusk: blue shadows, a fir wood, a cabin with a lit window, and the last pink light.
QImage paintSnow()
{
    QImage img(800, 532, QImage::Format_RGB32);
    Rng r(107);
    const float horizon = 300;
    paintSky(img, {{0, hex(0x3f4f7c)}, {0.45f, hex(0x8a8db4)}, {0.8f, hex(0xe2b4b0)}, {1, hex(0xf6d2a6)}}, horizon);
    {
        Canvas p(img);
        softBlob(p, 180, horizon, 380, 160, hex(0xffd6a8), 0.45f);
        for (int i = 0; i < 5; ++i)
            stratus(p, r, r.range(-100, 300), r.range(500, 900), r.range(90, 230), 8, 14, hex(0xf0b8b0), 0.35f);
    }
    const Col haze = hex(0xc9c0d4), snowLit = hex(0xfbeee8), snowShade = hex(0x9eaad0);
    fillBelow(img, ridge(282, 14, 0.006f, 701), [&](float x, float y, float d) {
        return mix(mix(snowShade, snowLit, fbm(x * 0.01f, y * 0.05f, 702, 3)), haze, 0.55f - clamp01(d / 40) * 0.1f);
    });
    const Leaf fir{hex(0x22323c), hex(0x33464f), hex(0xe6e2ee), hex(0x2a2428)};
    const Edge wood = [](float x) { return 312 - 12 * smooth(300, 700, x) + 5 * fbm1(x * 0.03f, 703); };
    fillBelow(img, wood,
              [](float x, float y, float) { return hex(0x3b4656) * (0.85f + 0.3f * fbm(x * 0.1f, y * 0.1f, 704, 3)); });
    {
        Canvas p(img);
        forest(p, r, wood, -10, 810, 280, 330, 12, 24, fir, haze, 0.35f, 0.2f);
    }
    // The plain: drifts lit pink on the sunward side, blue in their own shadow.
    fillBelow(
        img, [](float) { return 328.f; },
        [&](float x, float y, float d) {
            const float z = 1 / (d + 4), u = (x - 400) * z * 40, v = 4000 * z;
            const auto drift = [&](float pu) { return fbm(pu * 0.01f, v * 0.03f, 705, 4); };
            const float light = clamp01(0.55f + 3.5f * (drift(u + 6) - drift(u - 6)) + 0.5f * (drift(u) - 0.5f));
            const Col c = mix(snowShade, snowLit, light * 0.85f + 0.15f * smooth(0, 200, d));
            const float spark = lattice(int(x), int(y), 706) > 0.997f ? 0.15f : 0;
            return mix(c, haze, 0.3f * (1 - smooth(0, 60, d))) + Col{spark, spark, spark};
        });
    Canvas p(img);
    farmhouse(p, 520, 348, 48, hex(0x6e4c3c), hex(0xeef0f6));
    softBlob(p, 537, 334, 14, 10, hex(0xffb860), 0.8f);
    p.setBrush(qc(hex(0xffc870)));
    p.drawRect(QRectF(534.5f, 331.5f, 4.5f, 5));
    fence(p, QPointF(30, 530), QPointF(450, 350), 14, 56, 10, hex(0x4a3a36), 1, 0.015f, &snowLit);
    bareTree(p, r, QPointF(690, 480), 0.05f, 60, 6, hex(0x3a3036), 9);
    bareTree(p, r, QPointF(765, 445), -0.08f, 42, 4, hex(0x3a3036), 8);
    grass(p, r, QRectF(0, 440, 800, 100), 700, 24, hex(0x6b5440), hex(0xb09070), 0.7f);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: paintlandscapes <output-folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    struct Job
    {
        const char* name;
        QImage (*paint)();
    };
    const Job jobs[] = {{"field.jpg", paintField},    {"101.jpg", paintWaterfall}, {"102.jpg", paintDesert},
                        {"103.jpg", paintAlpineLake}, {"104.jpg", paintSeaRocks},  {"105.jpg", paintLagoon},
                        {"106.jpg", paintFarmland},   {"107.jpg", paintSnow}};
    bool ok = true;
    uint32_t seed = 1;
    for (const Job& job : jobs) {
        QImage img = job.paint();
        finish(img, seed++);
        ok = save(img, out, job.name) && ok;
    }
    return ok ? 0 : 1;
}
