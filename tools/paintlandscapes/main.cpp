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

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float smooth(float e0, float e1, float v) {
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}

struct Col {
    float r = 0, g = 0, b = 0;
};
Col operator+(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Col operator*(Col a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Col operator*(Col a, Col b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Col hex(uint32_t v) { return {((v >> 16) & 255) / 255.f, ((v >> 8) & 255) / 255.f, (v & 255) / 255.f}; }
Col mix(Col a, Col b, float t) { return a * (1 - t) + b * t; }
QColor qc(Col c, float alpha = 1) { return QColor::fromRgbF(clamp01(c.r), clamp01(c.g), clamp01(c.b), clamp01(alpha)); }
Col fromRgb(QRgb p) { return {qRed(p) / 255.f, qGreen(p) / 255.f, qBlue(p) / 255.f}; }
QRgb toRgb(Col c) {
    return qRgb(int(clamp01(c.r) * 255 + 0.5f), int(clamp01(c.g) * 255 + 0.5f), int(clamp01(c.b) * 255 + 0.5f));
}

// Small xorshift generator: the same seed must always paint the same picture.
class Rng {
public:
    explicit Rng(uint32_t seed) : s_(seed * 2654435761u + 0x6d2b79f5u) {
        for (int i = 0; i < 8; ++i)
            uni();
    }
    float uni() {
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

uint32_t hash3(int x, int y, uint32_t seed) {
    uint32_t h = (seed * 0x9E3779B9u) ^ (uint32_t(x) * 0x85EBCA6Bu) ^ (uint32_t(y) * 0xC2B2AE35u);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}
float lattice(int x, int y, uint32_t s) { return (hash3(x, y, s) & 0xFFFFFF) / float(0xFFFFFF); }

float vnoise(float x, float y, uint32_t s) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float a = lattice(ix, iy, s), b = lattice(ix + 1, iy, s);
    const float c = lattice(ix, iy + 1, s), d = lattice(ix + 1, iy + 1, s);
    return a + (b - a) * tx + (c - a) * ty + (a - b - c + d) * tx * ty;
}

// Fractal sum of octaves, normalised to roughly 0..1.
float fbm(float x, float y, uint32_t s, int oct = 5) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < oct; ++i) {
        sum += amp * vnoise(x, y, s + uint32_t(i) * 101u);
        norm += amp;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
        amp *= 0.5f;
    }
    return sum / norm;
}
float fbm1(float x, uint32_t s, int oct = 5) { return fbm(x, 0.37f, s, oct); }

// Sharp creases instead of soft bumps: rock faces, gullies, crests.
float ridged(float x, float y, uint32_t s, int oct = 5) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < oct; ++i) {
        sum += amp * (1 - std::fabs(2 * vnoise(x, y, s + uint32_t(i) * 77u) - 1));
        norm += amp;
        x = x * 2.1f + 3.7f;
        y = y * 2.1f + 9.1f;
        amp *= 0.5f;
    }
    return sum / norm;
}

// A painter on the picture with antialiasing on, opened for each vector pass between the per-pixel fills.
struct Canvas : QPainter {
    explicit Canvas(QImage& img) : QPainter(&img) {
        setRenderHint(Antialiasing);
        setPen(Qt::NoPen);
    }
};

// ---- per-pixel fills -------------------------------------------------------------------------------------------

using Shade = std::function<Col(float x, float y)>;
using Edge = std::function<float(float x)>;
using Terrain = std::function<Col(float x, float y, float depth)>;

Col pixel(const QImage& img, float x, float y) {
    const int xi = std::clamp(int(x), 0, img.width() - 1), yi = std::clamp(int(y), 0, img.height() - 1);
    return fromRgb(reinterpret_cast<const QRgb*>(img.constScanLine(yi))[xi]);
}
void blendPixel(QImage& img, int x, int y, Col c, float a) {
    QRgb* p = reinterpret_cast<QRgb*>(img.scanLine(y)) + x;
    *p = toRgb(mix(fromRgb(*p), c, a));
}

// Fills a path with a colour computed per pixel; an antialiased mask keeps the outline soft.
void shadePath(QImage& img, const QPainterPath& path, const Shade& shade, float alpha = 1) {
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
void fillBelow(QImage& img, const Edge& edge, const Terrain& shade, float alpha = 1) {
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
Edge ridge(float base, float amp, float freq, uint32_t seed, int oct = 5) {
    return [=](float x) { return base - amp * (2 * fbm1(x * freq, seed, oct) - 1); };
}

// A closed, lumpy outline: rocks, bushes, islands.
QPainterPath lump(float cx, float cy, float rx, float ry, uint32_t seed, float rough, bool flatBottom = false) {
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
Col patchwork(float x, float d, float cell, uint32_t seed, const std::vector<Col>& crops) {
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

struct Stop {
    float t;
    Col c;
};
Col ramp(const std::vector<Stop>& st, float t) {
    if (t <= st.front().t)
        return st.front().c;
    for (size_t i = 1; i < st.size(); ++i)
        if (t <= st[i].t)
            return mix(st[i - 1].c, st[i].c, (t - st[i - 1].t) / (st[i].t - st[i - 1].t));
    return st.back().c;
}

// Vertical gradient down to the horizon, dithered so the JPEG does not band.
void paintSky(QImage& img, const std::vector<Stop>& stops, float horizon) {
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
void softBlob(QPainter& p, float cx, float cy, float rx, float ry, Col c, float alpha, float firm = 0.35f) {
    QRadialGradient g(QPointF(0, 0), 1);
    g.setColorAt(0, qc(c, alpha));
    g.setColorAt(firm, qc(c, alpha * 0.8f));
    g.setColorAt((1 + firm) * 0.5f + 0.15f, qc(c, alpha * 0.3f));
    g.setColorAt(1, qc(c, 0));
    p.save();
    p.translate(cx, cy);
    p.scale(rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(QPointF(0, 0), 1, 1);
    p.restore();
}

// A heaped cloud: grey underside first, then puffs that catch the light piled towards the top and towards `lightX`.
void cumulus(QPainter& p, Rng& r, float cx, float cy, float w, float h, Col lit, Col shade, float alpha = 1,
             float firm = 0.5f, float lightX = -0.3f) {
    const int n = int(8 + w / 9);
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = 0; i < n; ++i) {
            const float u = r.range(-1, 1);
            const float dome = std::sqrt(1 - u * u * 0.95f);
            const float px = cx + u * w * 0.5f;
            const float py = cy - r.uni() * dome * h * 0.75f;
            const float rad = h * (0.22f + 0.33f * dome) * r.range(0.7f, 1.2f);
            if (pass == 0)
                softBlob(p, px, py + rad * 0.3f, rad * 1.3f, rad * 0.7f, shade, alpha * 0.55f, firm);
            else if (pass == 1)
                softBlob(p, px, py, rad, rad * 0.85f, mix(shade, lit, 0.55f), alpha * 0.5f, firm);
            else
                softBlob(p, px + lightX * rad * 0.4f, py - rad * 0.35f, rad * 0.75f, rad * 0.6f, lit, alpha * 0.55f, firm);
        }
    }
}

// Long, flat strands of cloud for high or hazy skies.
void stratus(QPainter& p, Rng& r, float x0, float x1, float y, float thick, int n, Col c, float alpha) {
    for (int i = 0; i < n; ++i) {
        const float rx = r.range(2.5f, 6) * thick;
        softBlob(p, r.range(x0, x1), y + r.range(-1, 1) * thick, rx, thick * r.range(0.5f, 1), c, alpha);
    }
}

// A horizontal band of haze lying in the valleys.
void mistBand(QPainter& p, Rng& r, float w, float y, float thick, Col c, float alpha) {
    stratus(p, r, -thick, w + thick, y, thick, int(w / thick) * 2 + 4, c, alpha);
}

// ---- vegetation ------------------------------------------------------------------------------------------------

struct Leaf {
    Col dark, mid, light, trunk;
};

// A cone of ragged tiers with its lit side to the left.
void conifer(QPainter& p, Rng& r, float x, float base, float h, const Leaf& c, float alpha = 1) {
    const float w = h * r.range(0.26f, 0.34f);
    p.setPen(Qt::NoPen);
    p.setBrush(qc(c.trunk, alpha));
    p.drawRect(QRectF(x - h * 0.025f, base - h * 0.15f, h * 0.05f, h * 0.15f));
    const int tiers = std::clamp(int(h / 9), 3, 14);
    for (int t = 0; t < tiers; ++t) {
        const float f = (t + 1.0f) / tiers;
        const float top = base - h + (t == 0 ? 0 : (h * 0.85f) * (t - 0.6f) / tiers);
        const float bot = base - h * 0.1f - (h * 0.85f) * (1 - f);
        const float hw = w * (0.3f + 0.7f * f) * 0.5f;
        QPainterPath path(QPointF(x, top));
        const int teeth = 5 + int(h / 80) * 2;
        for (int k = 0; k <= teeth; ++k) {
            const float u = 1 - 2.0f * k / teeth;
            path.lineTo(x + u * hw + r.range(-1, 1) * hw * 0.1f, bot - (k % 2) * h * 0.04f + r.range(0, h * 0.02f));
        }
        path.closeSubpath();
        QLinearGradient g(x - hw, 0, x + hw, 0);
        g.setColorAt(0, qc(mix(c.mid, c.light, 0.4f * f), alpha));
        g.setColorAt(0.45, qc(c.mid, alpha));
        g.setColorAt(1, qc(c.dark, alpha));
        p.fillPath(path, g);
    }
}

// A mass of foliage: dark dabs all over, mid-tones shifted up-left, smaller highlights above, so it reads as round.
void crown(QPainter& p, Rng& r, float cx, float cy, float rx, float ry, int n, float dab, const Leaf& c, float alpha) {
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
               float alpha = 1) {
    softBlob(p, x + s * 0.15f, base, s * 0.55f * spread, s * 0.1f, hex(0x1a2010), 0.35f * alpha);
    const float lean = r.range(-0.1f, 0.1f) * s;
    QPainterPath trunk(QPointF(x - s * 0.06f, base));
    trunk.quadTo(x + lean * 0.3f - s * 0.04f, base - s * 0.3f, x + lean - s * 0.03f, base - s * 0.6f);
    trunk.lineTo(x + lean + s * 0.03f, base - s * 0.6f);
    trunk.quadTo(x + lean * 0.3f + s * 0.04f, base - s * 0.3f, x + s * 0.06f, base);
    p.fillPath(trunk, qc(c.trunk, alpha));
    for (int k = 0; k < lobes; ++k) {
        const float off = lobes == 1 ? 0 : (k - (lobes - 1) * 0.5f) * s * 0.42f * spread;
        crown(p, r, x + lean + off, base - s * (0.72f + (lobes > 1 && k % 2 ? 0.1f : 0)), s * 0.5f * spread * (lobes > 1 ? 0.6f : 1),
              s * 0.36f, int(10 + s * 0.6f / lobes), s * 0.12f / (1 + s / 150), c, alpha);
    }
}

// An old olive: a short, twisting split trunk under loose silvery lobes of foliage with gaps between them.
void olive(QPainter& p, Rng& r, float x, float base, float s, const Leaf& c, float alpha = 1) {
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
        crown(p, r, t.x(), t.y() - s * 0.08f, s * 0.34f, s * 0.22f, int(6 + s * 0.7f), s * 0.08f / (1 + s / 150), c,
              alpha);
}

// A low shrub: a foliage mass sitting on the ground.
void bush(QPainter& p, Rng& r, float x, float base, float s, const Leaf& c, float alpha = 1) {
    softBlob(p, x + s * 0.2f, base, s * 0.8f, s * 0.15f, hex(0x201a10), 0.3f * alpha);
    crown(p, r, x, base - s * 0.35f, s * 0.6f, s * 0.38f, int(8 + s * 0.5f), s * 0.13f / (1 + s / 150), c, alpha);
}

// Rows of conifers covering the ground below `edge`, back to front, shrinking and fading with distance.
void forest(QPainter& p, Rng& r, const Edge& edge, float x0, float x1, float y0, float y1, float s0, float s1,
            const Leaf& c, Col haze, float haze0, float haze1) {
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
void tuft(QPainter& p, Rng& r, float x, float y, float s, Col root, Col tip, float alpha = 1) {
    for (int i = 0; i < int(8 + s * 0.5f); ++i) {
        const float a = r.range(-1.1f, 1.1f), l = s * r.range(0.5f, 1);
        QPainterPath blade(QPointF(x + a * s * 0.08f, y));
        blade.quadTo(x + a * l * 0.2f, y - l * 0.6f, x + a * l * 0.6f, y - l * std::cos(a * 0.8f));
        p.setPen(QPen(qc(mix(root, tip, r.uni()), alpha), std::max(0.7f, s * 0.035f), Qt::SolidLine, Qt::RoundCap));
        p.drawPath(blade);
    }
    p.setPen(Qt::NoPen);
}

// The Tuscan cypress: a tall dark flame.
void cypress(QPainter& p, Rng& r, float x, float base, float h, const Leaf& c, float alpha = 1) {
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
void grass(QPainter& p, Rng& r, QRectF area, int count, float len, Col a, Col b, float alpha, float lean = 0.3f) {
    for (int i = 0; i < count; ++i) {
        const float x = r.range(area.left(), area.right()), y = r.range(area.top(), area.bottom());
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
void farmhouse(QPainter& p, float x, float base, float s, Col wall, Col roof, float alpha = 1) {
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

// ---- water -----------------------------------------------------------------------------------------------------

// Mirrors the scene above `waterY` into `area`, broken into horizontal ripples that tighten towards the horizon.
void reflectWater(QImage& img, const QPainterPath& area, float waterY, Col tint, float tintAmt, float ripple,
                  uint32_t seed) {
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
QPainterPath rectPath(float x, float y, float w, float h) {
    QPainterPath p;
    p.addRect(QRectF(x, y, w, h));
    return p;
}

// ---- rock and mountains ----------------------------------------------------------------------------------------

// A boulder lit from the upper left: a dome roughened by ridged facets, shaded from its own surface normal, with
// moss settling on the faces that look up.
void rock(QImage& img, float cx, float cy, float rx, float ry, uint32_t seed, Col stone, Col moss, float mossAmt) {
    const auto height = [=](float x, float y) {
        const float u = (x - cx) / rx, v = (y - cy) / ry;
        return std::sqrt(std::max(0.02f, 1 - u * u - v * v)) + 0.22f * ridged(u * 3 + 5, v * 3 + 5, seed, 4);
    };
    shadePath(img, lump(cx, cy, rx, ry, seed, 0.28f, true), [=](float x, float y) {
        const float du = (height(x + 1, y) - height(x - 1, y)) * rx * 0.5f;
        const float dv = (height(x, y + 1) - height(x, y - 1)) * ry * 0.5f;
        const float len = std::sqrt(du * du + dv * dv + 1), up = dv / len;
        const float light = clamp01((0.5f * du + 0.6f * dv + 0.62f) / len) * 0.8f + 0.2f;
        const Col c = stone * (0.3f + 0.9f * light) * (0.85f + 0.3f * fbm(x * 0.12f, y * 0.12f, seed + 5, 3));
        const float m = smooth(0.55f, 0.7f, fbm(x * 0.05f, y * 0.07f, seed + 7, 4) * 0.6f + up * 0.6f + mossAmt * 0.5f);
        return mix(c, moss * (0.35f + 0.8f * light), m);
    });
}

// Snow-capped rock for a mountain layer: gullies from stretched ridged noise, lit from the left, snow near the
// crests thinning out with depth, and haze rising towards the foot.
Terrain alpine(uint32_t seed, float snowDepth, Col rockCol, Col snow, Col haze, float hazeTop, float hazeFoot) {
    return [=](float x, float y, float d) {
        auto height = [&](float px) { return ridged(px * 0.014f, y * 0.006f, seed, 5) + 0.4f * fbm(px * 0.05f, y * 0.05f, seed + 1, 3); };
        const float light = clamp01(0.5f + 3.5f * (height(x - 1.5f) - height(x + 1.5f)));
        const float h = height(x);
        Col c = rockCol * (0.55f + 0.7f * light) * (0.85f + 0.25f * h);
        const float cover = smooth(0.45f, 0.6f, 1 - d / snowDepth + 0.45f * fbm(x * 0.03f, y * 0.03f, seed + 2, 4) + 0.25f * (h - 0.5f));
        c = mix(c, mix(snow * hex(0xb9c8e0), snow, light), cover);
        return mix(c, haze, clamp01(hazeTop + (hazeFoot - hazeTop) * smooth(0, 1, d / (snowDepth * 3))));
    };
}

// ---- finishing -------------------------------------------------------------------------------------------------

// Faint paper grain and a soft vignette: they hide gradient banding and make the picture read as painted.
void finish(QImage& img, uint32_t seed, float vignette = 0.12f) {
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

bool save(const QImage& img, const QString& dir, const char* name) {
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
QImage paintField() {
    QImage img(832, 666, QImage::Format_RGB32);
    Rng r(1001);
    paintSky(img, {{0, hex(0xa7b1ba)}, {0.5f, hex(0xc9cdcf)}, {1, hex(0xe8e7e0)}}, 160);
    {
        Canvas p(img);
        const Col lit = hex(0xf2f1ec), shade = hex(0x9aa2a9);
        stratus(p, r, -100, 930, 15, 30, 40, hex(0x98a0a8), 0.35f);
        for (int i = 0; i < 10; ++i)
            cumulus(p, r, r.range(-50, 880), r.range(45, 95), r.range(180, 320), r.range(40, 65), lit, shade, 0.75f, 0.35f);
        for (int i = 0; i < 7; ++i)
            cumulus(p, r, r.range(-50, 880), r.range(110, 135), r.range(150, 260), r.range(20, 32), lit, shade, 0.6f, 0.35f);
        stratus(p, r, -100, 930, 140, 8, 50, hex(0xebeae4), 0.5f);
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
        mistBand(p, r, 832, 174, 7, haze, 0.18f);
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
    shadePath(img, road, [](float x, float y) { return hex(0xd8cdb0) * (0.92f + 0.12f * fbm(x * 0.1f, y * 0.1f, 45, 3)); });
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
    for (int i = 0; i < 160; ++i) {
        p.setBrush(qc(r.uni() < 0.6f ? hex(0xe8e2c8) : hex(0xd9b84a), 0.8f));
        const float y = r.range(540, 666);
        p.drawEllipse(QPointF(r.range(0, 832), y), 1 + (y - 540) * 0.01f, 0.8f + (y - 540) * 0.008f);
    }
    olive(p, r, 95, 640, 190, olvNear);
    olive(p, r, 770, 610, 140, olvNear);
    return img;
}

// 101: a waterfall dropping out of a wooded valley between two forested slopes into a green pool.
QImage paintWaterfall() {
    QImage img(787, 807, QImage::Format_RGB32);
    Rng r(101);
    paintSky(img, {{0, hex(0x6b9bcb)}, {0.6f, hex(0xa9c6de)}, {1, hex(0xe2eae6)}}, 290);
    {
        Canvas p(img);
        cumulus(p, r, 390, 200, 300, 80, hex(0xfbfbf8), hex(0x9aaabd), 0.9f);
        cumulus(p, r, 650, 140, 200, 55, hex(0xfbfbf8), hex(0x9aaabd), 0.8f);
        cumulus(p, r, 110, 100, 160, 40, hex(0xfbfbf8), hex(0x9aaabd), 0.7f);
    }
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
        cliff.lineTo(x, 398 + 12 * fbm1(x * 0.04f, 143) + 8 * std::fabs(x - 397) / 170 - 6 * smooth(60, 0, std::fabs(x - 397)));
    cliff.lineTo(570, 700);
    shadePath(img, cliff, [](float x, float y) {
        const float strata = ridged(x * 0.012f + 0.3f * fbm(x * 0.01f, y * 0.02f, 142, 3), y * 0.05f, 140, 4);
        const float crack = ridged(x * 0.06f, y * 0.008f, 144, 3);
        const float n = fbm(x * 0.08f, y * 0.05f, 141, 4), lit = clamp01((460 - x) / 200);
        const Col c = hex(0x6a665c) * (0.4f + 0.45f * strata * n + 0.25f * lit - 0.25f * smooth(0.8f, 0.95f, crack)) *
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
            softBlob(p, 398 + r.range(-80, 80), r.range(600, 670), r.range(30, 60), r.range(20, 40), hex(0xe8f0f2), 0.2f);
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: paintlandscapes <output-folder>\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    struct Job {
        const char* name;
        QImage (*paint)();
    };
    const Job jobs[] = {{"field.jpg", paintField}, {"101.jpg", paintWaterfall}};
    bool ok = true;
    uint32_t seed = 1;
    for (const Job& job : jobs) {
        QImage img = job.paint();
        finish(img, seed++);
        ok = save(img, out, job.name) && ok;
    }
    return ok ? 0 : 1;
}
