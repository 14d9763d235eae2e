// Disc rims, fragments, the gun-sight cursor and the window icon.
// Everything is vector geometry in 1x pixel units; the @2x files are the same geometry painted at
// twice the scale, so they are drawn sharp rather than blown up.

#include "sprites.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Painter = std::function<void(QPainter&)>;

// Clay orange and its shades, shared by the rims, the fragments and the icon.
const QColor kClayLight(0xFF, 0xC0, 0x80);
const QColor kClayUpper(0xF4, 0x9A, 0x4C);
const QColor kClay(0xE8, 0x78, 0x1E);
const QColor kClayShade(0xC4, 0x5C, 0x14);
const QColor kClayDeep(0x96, 0x42, 0x0C);
const QColor kClayEdge(0x6A, 0x2C, 0x06);

QImage render(int size, int scale, const Painter& paint)
{
    QImage img(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.scale(scale, scale);
    paint(p);
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

bool savePng(const QImage& img, const QString& dir, const QString& name)
{
    const QString path = dir + QLatin1Char('/') + name;
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "drawsprites: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Writes name.png at 1x and name@2x.png at double size.
bool saveBoth(const QString& dir, const QString& name, int size, const Painter& paint)
{
    bool ok = savePng(render(size, 1, paint), dir, name + QStringLiteral(".png"));
    ok &= savePng(render(size, 2, paint), dir, name + QStringLiteral("@2x.png"));
    return ok;
}

// ---- disc rims ----------------------------------------------------------------------------------

// The game fills `oval` with the disc colour underneath this picture. The rim hugs that oval from
// just outside, thin along the far edge and deeper along the near edge, where the disc's side
// shows; the top face in between stays clear so the fill colour shows through.
struct RimGeometry
{
    QRectF oval;   // the game's filled oval, picture pixels at 1x
    double side;   // rim width at the left and right ends
    double top;    // rim width along the far (upper) edge
    double bottom; // rim depth along the near (lower) edge
};

constexpr double kRimOverhang = 0.5; // the rim reaches this far outside the oval to hide its edge

QRectF rimOuter(const RimGeometry& g)
{
    return g.oval.adjusted(-kRimOverhang, -kRimOverhang, kRimOverhang, kRimOverhang);
}

QRectF rimInner(const RimGeometry& g)
{
    return g.oval.adjusted(g.side, g.top, -g.side, -g.bottom);
}

void paintRim(QPainter& p, const RimGeometry& g)
{
    const QRectF outer = rimOuter(g);
    const QRectF inner = rimInner(g);

    QPainterPath ring;
    ring.setFillRule(Qt::OddEvenFill);
    ring.addEllipse(outer);
    ring.addEllipse(inner);

    // Lit from above: bright on the far edge, deepening down the near side.
    QLinearGradient shade(0, outer.top(), 0, outer.bottom());
    shade.setColorAt(0.0, kClayLight);
    shade.setColorAt(0.18, kClayUpper);
    shade.setColorAt(0.5, kClay);
    shade.setColorAt(0.78, kClayShade);
    shade.setColorAt(1.0, kClayDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(ring);

    p.save();
    p.setClipPath(ring);
    p.setBrush(Qt::NoBrush);
    // The near lip of the top face catches the light.
    p.setPen(QPen(QColor(0xFF, 0xB8, 0x70), 0.7));
    p.drawArc(inner.adjusted(-0.35, -0.35, 0.35, 0.35), 200 * 16, 140 * 16);
    // A groove round the side, as moulded clay discs have.
    const double grooveDrop = (g.bottom - g.top) * 0.55;
    const QRectF groove = outer.adjusted(g.side * 0.6, grooveDrop + g.top * 0.5, -g.side * 0.6, -g.bottom * 0.3);
    p.setPen(QPen(QColor(0xA8, 0x4A, 0x0E, 150), 0.6));
    p.drawArc(groove, 205 * 16, 130 * 16);
    p.restore();

    // A fine dark edge keeps the disc readable against pale skies and pale fill colours.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x6A, 0x2C, 0x06, 190), 0.6));
    p.drawEllipse(outer.adjusted(0.3, 0.3, -0.3, -0.3));
    p.setPen(QPen(QColor(0x6A, 0x2C, 0x06, 110), 0.5));
    p.drawArc(inner, 20 * 16, 140 * 16); // far inner edge: the rim's shadow on the face
}

// ---- fragments ----------------------------------------------------------------------------------

// Outline of a disc seen a little from above: the top face ellipse swept down by its wall height.
QPainterPath discBody(const QRectF& face, double wall)
{
    QPainterPath path;
    path.moveTo(face.left(), face.center().y());
    path.arcTo(face, 180, -180); // far edge, over the top
    path.lineTo(face.right(), face.center().y() + wall);
    path.arcTo(face.translated(0, wall), 0, -180); // near edge, round the bottom
    path.closeSubpath();
    return path;
}

// The broken disc, centred at the origin, before it is cut into pieces.
constexpr double kModelRx = 13.0;
constexpr double kModelRy = 6.5;
constexpr double kModelWall = 3.0;

QRectF modelFace()
{
    return QRectF(-kModelRx, -kModelRy - 1.0, 2 * kModelRx, 2 * kModelRy);
}

// Three jagged cracks run from one point near the middle: up, down-left and down-right.
const QPointF kCrackStart(1.0, 0.5);
const std::vector<QPointF> kCrackUp = {{0.4, -1.8}, {2.0, -3.6}, {0.9, -5.4}, {1.8, -7.2}, {1.2, -12.0}};
const std::vector<QPointF> kCrackLeft = {{-1.6, 1.9}, {-2.8, 1.3}, {-4.6, 3.4}, {-6.3, 3.9}, {-10.0, 12.0}};
const std::vector<QPointF> kCrackRight = {{2.6, 2.1}, {3.7, 1.7}, {5.2, 4.1}, {6.8, 4.4}, {10.0, 12.0}};

// The piece between two cracks, closed round the far side through `far`.
QPolygonF wedge(const std::vector<QPointF>& a, const std::vector<QPointF>& b, const std::vector<QPointF>& far)
{
    QPolygonF poly;
    poly << kCrackStart;
    for (const QPointF& pt : a)
        poly << pt;
    for (const QPointF& pt : far)
        poly << pt;
    for (auto it = b.rbegin(); it != b.rend(); ++it)
        poly << *it;
    return poly;
}

QPainterPath crackPath(const std::vector<QPointF>& crack)
{
    QPainterPath path(kCrackStart);
    for (const QPointF& pt : crack)
        path.lineTo(pt);
    return path;
}

enum class Piece { Left, Right, Bottom };

// The whole disc is painted, broken edges included, and then everything outside the piece is
// erased: cheaper and cleaner than cutting every curve of the disc against the jagged outline.
void paintFragment(QPainter& p, Piece piece)
{
    QPolygonF cut;
    std::vector<const std::vector<QPointF>*> edges;
    double angle = 0;
    switch (piece) {
    case Piece::Left:
        cut = wedge(kCrackUp, kCrackLeft, {{-30, -30}, {-30, 30}});
        edges = {&kCrackUp, &kCrackLeft};
        angle = -14;
        break;
    case Piece::Right:
        cut = wedge(kCrackUp, kCrackRight, {{30, -30}, {30, 30}});
        edges = {&kCrackUp, &kCrackRight};
        angle = 17;
        break;
    case Piece::Bottom:
        cut = wedge(kCrackLeft, kCrackRight, {{-10, 30}, {10, 30}});
        edges = {&kCrackLeft, &kCrackRight};
        angle = 9;
        break;
    }

    const QRectF face = modelFace();
    const QPainterPath body = discBody(face, kModelWall);
    QPainterPath facePath;
    facePath.addEllipse(face);

    // Scale the shard up so it fills its picture, tilt it as if tumbling, and centre it.
    const double zoom = 1.3;
    QPainterPath piecePath;
    piecePath.addPolygon(cut);
    piecePath.closeSubpath();
    const QRectF box = body.boundingRect().intersected(cut.boundingRect());
    QTransform t;
    t.translate(16, 16);
    t.rotate(angle);
    t.scale(zoom, zoom);
    t.translate(-box.center().x(), -box.center().y());
    p.setTransform(t, true);

    // Side wall, then the top face: a raised rim round a slightly dished middle.
    QLinearGradient wall(0, face.center().y(), 0, face.bottom() + kModelWall);
    wall.setColorAt(0.0, kClayShade);
    wall.setColorAt(1.0, kClayDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(wall);
    p.drawPath(body);

    QLinearGradient lit(0, face.top(), 0, face.bottom());
    lit.setColorAt(0.0, kClayLight);
    lit.setColorAt(0.45, kClayUpper);
    lit.setColorAt(1.0, kClay);
    p.setBrush(lit);
    p.drawPath(facePath);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xC8, 0x62, 0x18, 170), 0.7));
    p.drawEllipse(face.adjusted(2.6, 1.4, -2.6, -1.4));
    p.setPen(QPen(QColor(0xFF, 0xCC, 0x96, 170), 0.6));
    p.drawArc(face.adjusted(2.6, 2.1, -2.6, -0.7), 200 * 16, 140 * 16);

    // Fresh break surfaces show the paler clay inside the crust, edged in dark. Each stroke is
    // centred on the crack, so the erase below leaves the inner half of it on the piece.
    p.save();
    p.setClipPath(body);
    for (const auto* edge : edges) {
        p.setPen(QPen(QColor(0xF6, 0xBC, 0x88), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(crackPath(*edge));
        p.setPen(QPen(kClayEdge, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(crackPath(*edge));
    }
    p.restore();
    p.setPen(QPen(kClayEdge, 0.7));
    p.drawPath(body);

    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(QRectF(-40, -40, 80, 80));
    outside.addPath(piecePath);
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawPath(outside);
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---- cursor -------------------------------------------------------------------------------------

// Gun sight, hotspot at pixel (16, 16): every stroke is centred on that pixel's middle.
void paintCursor(QPainter& p)
{
    const QPointF c(16.5, 16.5);
    const double ring = 10.0;
    const double armInner = 3.0;
    const double armOuter = 14.0;
    const QColor halo(255, 255, 255, 200);
    const QColor blue(0x12, 0x3C, 0xD8);

    // At 1x a smoothed one-pixel ring turns to faint mush, and the rasteriser's hard-edged circle
    // comes out lopsided; so the 1x ring is set pixel by pixel, mirror-symmetric about the hotspot.
    const bool pixelRing = p.transform().m11() < 1.5;
    auto ringPixels = [&](double halfWidth, const QColor& colour) {
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                if (std::abs(std::hypot(x + 0.5 - c.x(), y + 0.5 - c.y()) - ring) < halfWidth)
                    p.fillRect(QRectF(x, y, 1, 1), colour);
    };
    auto strokes = [&](const QPen& pen) {
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        if (!pixelRing)
            p.drawEllipse(c, ring, ring);
        p.drawLine(QPointF(c.x(), c.y() - armOuter), QPointF(c.x(), c.y() - armInner));
        p.drawLine(QPointF(c.x(), c.y() + armInner), QPointF(c.x(), c.y() + armOuter));
        p.drawLine(QPointF(c.x() - armOuter, c.y()), QPointF(c.x() - armInner, c.y()));
        p.drawLine(QPointF(c.x() + armInner, c.y()), QPointF(c.x() + armOuter, c.y()));
    };
    // A pale halo under the blue keeps the sight visible over dark trees and a bright sky alike.
    if (pixelRing)
        ringPixels(1.6, halo);
    strokes(QPen(halo, 3.0, Qt::SolidLine, Qt::SquareCap));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawRect(QRectF(15.0, 15.0, 3.0, 3.0));
    if (pixelRing) {
        // Clear the halo where the blue goes, so the translucent halo does not double up.
        p.setCompositionMode(QPainter::CompositionMode_Source);
        ringPixels(0.55, blue);
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    strokes(QPen(blue, 1.0, Qt::SolidLine, Qt::FlatCap));
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawRect(QRectF(16.0, 16.0, 1.0, 1.0)); // aim point
}

// ---- window icon --------------------------------------------------------------------------------

// A yellow clay disc with an orange rim, seen a little from above, in a 32-unit box.
void paintIcon(QPainter& p, double size)
{
    p.scale(size / 32.0, size / 32.0);
    const QRectF top(1.0, 4.5, 30.0, 19.0);
    const double wall = 4.0;
    const double rim = 2.6;

    const QPainterPath body = discBody(top, wall);

    QLinearGradient side(0, top.center().y(), 0, top.bottom() + wall);
    side.setColorAt(0.0, kClay);
    side.setColorAt(1.0, kClayDeep);
    p.setPen(Qt::NoPen);
    p.setBrush(side);
    p.drawPath(body);

    QLinearGradient rimShade(0, top.top(), 0, top.bottom());
    rimShade.setColorAt(0.0, kClayLight);
    rimShade.setColorAt(0.5, kClayUpper);
    rimShade.setColorAt(1.0, kClay);
    p.setBrush(rimShade);
    p.drawEllipse(top);

    const QRectF face = top.adjusted(rim, rim * 0.7, -rim, -rim * 0.7);
    QRadialGradient yellow(face.center() - QPointF(4.0, 3.0), face.width() * 0.62);
    yellow.setColorAt(0.0, QColor(0xFF, 0xF7, 0x8A));
    yellow.setColorAt(0.6, QColor(0xFF, 0xE0, 0x20));
    yellow.setColorAt(1.0, QColor(0xF0, 0xBE, 0x00));
    p.setBrush(yellow);
    p.drawEllipse(face);

    // Moulded ridge on the face, dark below a light line.
    const QRectF ridge = face.adjusted(5.0, 3.2, -5.0, -3.2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xC8, 0x94, 0x00), 0.9));
    p.drawEllipse(ridge);
    p.setPen(QPen(QColor(0xFF, 0xFA, 0xC0), 0.7));
    p.drawArc(ridge.translated(0, 0.8), 200 * 16, 140 * 16);

    // The outline is a full pixel at 32 px and slims down relative to the larger sizes.
    p.setPen(QPen(kClayEdge, 0.5 + 10.0 / size));
    p.drawPath(body);
}

// Same design as paintIcon, for desktops that prefer a scalable icon.
const char kIconSvg[] = R"svg(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">
  <defs>
    <linearGradient id="side" x1="0" y1="14" x2="0" y2="27.5" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#E8781E"/>
      <stop offset="1" stop-color="#96420C"/>
    </linearGradient>
    <linearGradient id="rim" x1="0" y1="4.5" x2="0" y2="23.5" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#FFC080"/>
      <stop offset="0.5" stop-color="#F49A4C"/>
      <stop offset="1" stop-color="#E8781E"/>
    </linearGradient>
    <radialGradient id="face" cx="12" cy="11" r="15.38" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="#FFF78A"/>
      <stop offset="0.6" stop-color="#FFE020"/>
      <stop offset="1" stop-color="#F0BE00"/>
    </radialGradient>
  </defs>
  <!-- body: the top ellipse swept 4 units down -->
  <path d="M1 14 A15 9.5 0 0 1 31 14 L31 18 A15 9.5 0 0 1 1 18 Z" fill="url(#side)"/>
  <ellipse cx="16" cy="14" rx="15" ry="9.5" fill="url(#rim)"/>
  <ellipse cx="16" cy="14" rx="12.4" ry="7.68" fill="url(#face)"/>
  <ellipse cx="16" cy="14" rx="7.4" ry="4.48" fill="none" stroke="#C89400" stroke-width="0.9"/>
  <path d="M9.05 16.33 A7.4 4.48 0 0 0 22.95 16.33" fill="none" stroke="#FFFAC0" stroke-width="0.7"/>
  <path d="M1 14 A15 9.5 0 0 1 31 14 L31 18 A15 9.5 0 0 1 1 18 Z"
        fill="none" stroke="#6A2C06" stroke-width="0.6"/>
</svg>
)svg";

} // namespace

bool drawSprites(const QString& outDir)
{
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "drawsprites: cannot create %s\n", qPrintable(outDir));
        return false;
    }
    bool ok = true;

    // The ovals are the game's disc shapes in picture pixels (15 twips each): offset and size.
    const RimGeometry small{QRectF(0, 200 / 15.0, 460 / 15.0, 270 / 15.0), 1.8, 1.5, 3.4};
    const RimGeometry medium{QRectF(0, 290 / 15.0, 720 / 15.0, 440 / 15.0), 2.2, 1.8, 4.6};
    const RimGeometry large{QRectF(0, 420 / 15.0, 1020 / 15.0, 660 / 15.0), 2.8, 2.2, 6.5};
    ok &= saveBoth(outDir, QStringLiteral("disc_small"), 32, [&](QPainter& p) { paintRim(p, small); });
    ok &= saveBoth(outDir, QStringLiteral("disc_medium"), 48, [&](QPainter& p) { paintRim(p, medium); });
    ok &= saveBoth(outDir, QStringLiteral("disc_large"), 72, [&](QPainter& p) { paintRim(p, large); });

    ok &= saveBoth(outDir, QStringLiteral("frag_left"), 32, [](QPainter& p) { paintFragment(p, Piece::Left); });
    ok &= saveBoth(outDir, QStringLiteral("frag_right"), 32, [](QPainter& p) { paintFragment(p, Piece::Right); });
    ok &= saveBoth(outDir, QStringLiteral("frag_bottom"), 32, [](QPainter& p) { paintFragment(p, Piece::Bottom); });

    ok &= saveBoth(outDir, QStringLiteral("cursor"), 32, paintCursor);

    ok &= savePng(render(32, 1, [](QPainter& p) { paintIcon(p, 32); }), outDir, QStringLiteral("icon.png"));
    for (int size : {64, 128, 256}) {
        const QImage img = render(size, 1, [size](QPainter& p) { paintIcon(p, size); });
        ok &= savePng(img, outDir, QStringLiteral("icon_%1.png").arg(size));
    }

    QFile svg(outDir + QStringLiteral("/icon.svg"));
    if (svg.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        ok &= svg.write(kIconSvg, qint64(sizeof(kIconSvg) - 1)) == qint64(sizeof(kIconSvg) - 1);
    } else {
        std::fprintf(stderr, "drawsprites: cannot write %s\n", qPrintable(svg.fileName()));
        ok = false;
    }
    return ok;
}
