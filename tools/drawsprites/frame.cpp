// The skinned window frame: title bar, borders, rounded corners and the four round title buttons.
// Every piece is set pixel by pixel so the bands line up exactly when the game stretches them
// side by side; the only smooth shading is on the buttons' faces.

#include "frame.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPieceW = 19;
constexpr int kPieceH = 30;
constexpr int kButton = 13;
constexpr int kBevel = 7; // width of every highlight and shadow band

const QColor kMagenta(255, 0, 255); // becomes transparent in the game
const QColor kTitleBlue(0x15, 0x62, 0xAF);
const QColor kFrameGrey(0xCF, 0xCF, 0xCF);

// Title bar, one colour per row: a bright bevel on top, flat blue, a shadow at the bottom.
const QColor kTitleRows[kPieceH] = {
    QColor(0x4B, 0x86, 0xC2),
    QColor(0x55, 0x8D, 0xC5),
    QColor(0x48, 0x84, 0xC1),
    QColor(0x3C, 0x7C, 0xBC),
    QColor(0x2F, 0x73, 0xB8),
    QColor(0x22, 0x6B, 0xB3),
    QColor(0x18, 0x64, 0xB0),
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    kTitleBlue,
    QColor(0x15, 0x60, 0xAC),
    QColor(0x14, 0x5B, 0xA3),
    QColor(0x12, 0x54, 0x96),
    QColor(0x10, 0x4D, 0x89),
    QColor(0x0F, 0x46, 0x7D),
    QColor(0x0D, 0x3F, 0x70),
    QColor(0x0F, 0x44, 0x79),
};

// The left end repeats the top bevel sideways; its outermost column is a touch lighter than row 0.
const QColor kTitleLeftCols[kBevel] = {
    QColor(0x4C, 0x87, 0xC2), QColor(0x55, 0x8D, 0xC5), QColor(0x48, 0x84, 0xC1), QColor(0x3C, 0x7C, 0xBC),
    QColor(0x2F, 0x73, 0xB8), QColor(0x22, 0x6B, 0xB3), QColor(0x18, 0x64, 0xB0),
};

// Light grey frame: highlight down the left, shadow down the right and along the bottom.
const QColor kLeftHighlight[kBevel] = {
    QColor(0xDA, 0xDA, 0xDA), QColor(0xDC, 0xDC, 0xDC), QColor(0xDA, 0xDA, 0xDA), QColor(0xD7, 0xD7, 0xD7),
    QColor(0xD4, 0xD4, 0xD4), QColor(0xD2, 0xD2, 0xD2), QColor(0xD0, 0xD0, 0xD0),
};
const QColor kRightShadow[kBevel] = {
    QColor(0xCC, 0xCC, 0xCC), QColor(0xC0, 0xC0, 0xC0), QColor(0xB2, 0xB2, 0xB2), QColor(0xA3, 0xA3, 0xA3),
    QColor(0x95, 0x95, 0x95), QColor(0x86, 0x86, 0x86), QColor(0x90, 0x90, 0x90),
};
const QColor kBottomShadow[kBevel] = {
    QColor(0xCC, 0xCC, 0xCC), QColor(0xC0, 0xC0, 0xC0), QColor(0xB2, 0xB2, 0xB2), QColor(0xA2, 0xA2, 0xA2),
    QColor(0x94, 0x94, 0x94), QColor(0x84, 0x84, 0x84), QColor(0x90, 0x90, 0x90),
};

// Outside the top-left rounded corner, per row: how many pixels from the left edge are cut away.
// It follows the window outline's 12 px corner radius and is symmetric about the diagonal.
const int kCornerCut[8] = {8, 6, 4, 3, 2, 2, 1, 1};

constexpr int kFirstShadowRow = kPieceH - kBevel; // 23
constexpr int kFirstShadowCol = kPieceW - kBevel; // 12

bool cutTopLeft(int x, int y)
{
    return y < 8 && x < kCornerCut[y];
}
bool cutTopRight(int x, int y)
{
    return cutTopLeft(kPieceW - 1 - x, y);
}
bool cutBottomLeft(int x, int y)
{
    return cutTopLeft(x, kPieceH - 1 - y);
}
bool cutBottomRight(int x, int y)
{
    return cutTopLeft(kPieceW - 1 - x, kPieceH - 1 - y);
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    auto ch = [t](int p, int q) { return int(std::lround(p + (q - p) * t)); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()));
}

// Two shadows laid over each other darken like two layers of tinted glass.
QColor multiply(const QColor& a, const QColor& b, const QColor& base)
{
    auto ch = [](int p, int q, int m) { return int(std::lround(double(p) * q / m)); };
    return QColor(ch(a.red(), b.red(), base.red()), ch(a.green(), b.green(), base.green()),
                  ch(a.blue(), b.blue(), base.blue()));
}

QImage newPiece()
{
    return QImage(kPieceW, kPieceH, QImage::Format_RGB888);
}

QImage titleMain()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y)
        for (int x = 0; x < kPieceW; ++x)
            img.setPixelColor(x, y, kTitleRows[y]);
    return img;
}

QImage titleLeft()
{
    QImage img = newPiece();
    const QColor cornerLight(0x93, 0xB6, 0xDA);
    for (int y = 0; y < kPieceH; ++y) {
        for (int x = 0; x < kPieceW; ++x) {
            QColor c = kTitleRows[y];
            if (x < kBevel) {
                if (y < kBevel) {
                    // Where the top and left bevels meet, the nearer edge wins; the rounded edge
                    // itself catches the light, fading within a couple of pixels.
                    c = y <= x ? kTitleRows[y] : kTitleLeftCols[x];
                    const double d = 12.0 - std::hypot(12.0 - (x + 0.5), 12.0 - (y + 0.5));
                    const double glow = std::clamp(1.0 - (d - 0.3) / 2.2, 0.0, 1.0);
                    c = mix(c, cornerLight, glow);
                } else if (y >= kFirstShadowRow) {
                    // Lower left: highlight and bottom shadow meet on the diagonal.
                    c = x < kPieceH - 1 - y ? kTitleLeftCols[x] : kTitleRows[y];
                } else {
                    c = kTitleLeftCols[x];
                }
            }
            img.setPixelColor(x, y, cutTopLeft(x, y) ? kMagenta : c);
        }
    }
    return img;
}

QImage titleRight()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y) {
        for (int x = 0; x < kPieceW; ++x) {
            QColor c = kTitleRows[y];
            if (x >= kFirstShadowCol) {
                const QColor side = kTitleRows[kFirstShadowRow + x - kFirstShadowCol];
                if (y < kBevel)
                    c = y < kPieceW - 1 - x ? kTitleRows[y] : side; // top bevel meets the shadow
                else if (y >= kFirstShadowRow)
                    c = multiply(kTitleRows[y], side, kTitleBlue); // both shadows: darkest
                else
                    c = side;
            }
            img.setPixelColor(x, y, cutTopRight(x, y) ? kMagenta : c);
        }
    }
    return img;
}

QImage windowLeft()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y)
        for (int x = 0; x < kPieceW; ++x)
            img.setPixelColor(x, y, x < kBevel ? kLeftHighlight[x] : kFrameGrey);
    return img;
}

QImage windowRight()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y)
        for (int x = 0; x < kPieceW; ++x)
            img.setPixelColor(x, y, x >= kFirstShadowCol ? kRightShadow[x - kFirstShadowCol] : kFrameGrey);
    return img;
}

QImage windowBottom()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y)
        for (int x = 0; x < kPieceW; ++x)
            img.setPixelColor(x, y, y >= kFirstShadowRow ? kBottomShadow[y - kFirstShadowRow] : kFrameGrey);
    return img;
}

QImage windowBottomLeft()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y) {
        for (int x = 0; x < kPieceW; ++x) {
            QColor c = kFrameGrey;
            const bool side = x < kBevel;
            const bool bottom = y >= kFirstShadowRow;
            if (side && bottom)
                c = x < kPieceH - 1 - y ? kLeftHighlight[x] : kBottomShadow[y - kFirstShadowRow];
            else if (side)
                c = kLeftHighlight[x];
            else if (bottom)
                c = kBottomShadow[y - kFirstShadowRow];
            img.setPixelColor(x, y, cutBottomLeft(x, y) ? kMagenta : c);
        }
    }
    return img;
}

QImage windowBottomRight()
{
    QImage img = newPiece();
    for (int y = 0; y < kPieceH; ++y) {
        for (int x = 0; x < kPieceW; ++x) {
            QColor c = kFrameGrey;
            const bool side = x >= kFirstShadowCol;
            const bool bottom = y >= kFirstShadowRow;
            if (side && bottom) {
                const QColor a = kRightShadow[x - kFirstShadowCol];
                const QColor b = kBottomShadow[y - kFirstShadowRow];
                c = a.red() < b.red() ? a : b; // the deeper of the two shadows
            } else if (side) {
                c = kRightShadow[x - kFirstShadowCol];
            } else if (bottom) {
                c = kBottomShadow[y - kFirstShadowRow];
            }
            img.setPixelColor(x, y, cutBottomRight(x, y) ? kMagenta : c);
        }
    }
    return img;
}

// ---- title buttons ------------------------------------------------------------------------------

// A glyph is drawn on a 13 x 13 grid; 'X' marks a black pixel.
using Glyph = std::vector<const char*>;

const Glyph kCloseGlyph = {
    ".............", ".............", ".............", "...XX...XX...", "....XX.XX....",
    ".....XXX.....", ".....XXX.....", "....XX.XX....", "...XX...XX...", ".............",
    ".............", ".............", ".............",
};

const Glyph kMinimizeGlyph = {
    ".............", ".............", ".............", ".............", ".............",
    ".............", ".............", ".............", "...XXXXXXX...", "...XXXXXXX...",
    ".............", ".............", ".............",
};

const Glyph kHelpGlyph = {
    ".............", ".............", ".....XXX.....", "....XX.XX....", ".......XX....",
    "......XX.....", ".....XX......", ".....XX......", ".............", ".....XX......",
    ".....XX......", ".............", ".............",
};

const Glyph kResizeGlyph = {
    ".............", ".............", ".............", "...XXXXXX....", "...XXXXXX....",
    "...X....X....", "...X....X....", "...X....X....", "...XXXXXX....", ".............",
    ".............", ".............", ".............",
};

// The round face: lit from the upper left, a darker rim, antialiased against the title blue.
QImage button(const Glyph& glyph)
{
    QImage img(kButton, kButton, QImage::Format_RGB888);
    const double cx = kButton / 2.0;
    const double cy = kButton / 2.0;
    const double radius = 6.2;
    const QColor light(0xEE, 0xF6, 0xFF);
    const QColor mid(0xA9, 0xCD, 0xF0);
    const QColor dark(0x5E, 0x97, 0xD2);
    const QColor rim(0x2C, 0x5E, 0x96);
    constexpr int kSub = 4;
    for (int y = 0; y < kButton; ++y) {
        for (int x = 0; x < kButton; ++x) {
            double r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    const double px = x + (sx + 0.5) / kSub;
                    const double py = y + (sy + 0.5) / kSub;
                    const double dist = std::hypot(px - cx, py - cy);
                    QColor c = kTitleBlue;
                    if (dist <= radius) {
                        // Diagonal light, plus a soft hot spot up and to the left.
                        const double t = std::clamp(((px - cx) + (py - cy)) / (2.0 * radius) + 0.5, 0.0, 1.0);
                        c = t < 0.5 ? mix(light, mid, t * 2.0) : mix(mid, dark, (t - 0.5) * 2.0);
                        const double spot = std::hypot(px - (cx - 2.2), py - (cy - 2.2));
                        c = mix(c, light, std::clamp(1.0 - spot / 2.6, 0.0, 1.0) * 0.6);
                        if (dist > radius - 1.0)
                            c = mix(c, rim, 0.55);
                    }
                    r += c.red();
                    g += c.green();
                    b += c.blue();
                }
            }
            constexpr double n = kSub * kSub;
            QColor face(int(std::lround(r / n)), int(std::lround(g / n)), int(std::lround(b / n)));
            if (glyph[size_t(y)][x] == 'X')
                face = Qt::black;
            img.setPixelColor(x, y, face);
        }
    }
    return img;
}

bool saveBmp(const QImage& img, const QString& dir, const char* name)
{
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    // RGB888 without alpha makes Qt write a plain uncompressed 24-bit bitmap.
    if (!img.convertToFormat(QImage::Format_RGB888).save(path, "BMP")) {
        std::fprintf(stderr, "drawsprites: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

bool drawFrame(const QString& outDir)
{
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "drawsprites: cannot create %s\n", qPrintable(outDir));
        return false;
    }
    bool ok = true;
    ok &= saveBmp(titleMain(), outDir, "title_main.bmp");
    ok &= saveBmp(titleLeft(), outDir, "title_left.bmp");
    ok &= saveBmp(titleRight(), outDir, "title_right.bmp");
    ok &= saveBmp(windowLeft(), outDir, "window_left.bmp");
    ok &= saveBmp(windowRight(), outDir, "window_right.bmp");
    ok &= saveBmp(windowBottom(), outDir, "window_bottom.bmp");
    ok &= saveBmp(windowBottomLeft(), outDir, "window_bottom_left.bmp");
    ok &= saveBmp(windowBottomRight(), outDir, "window_bottom_right.bmp");
    ok &= saveBmp(button(kCloseGlyph), outDir, "btn_close.bmp");
    ok &= saveBmp(button(kMinimizeGlyph), outDir, "btn_minimize.bmp");
    ok &= saveBmp(button(kHelpGlyph), outDir, "btn_help.bmp");
    ok &= saveBmp(button(kResizeGlyph), outDir, "btn_resize.bmp");
    return ok;
}
