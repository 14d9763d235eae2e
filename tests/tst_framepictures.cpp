// Checks the committed window-frame bitmaps pixel by pixel: the pieces are stretched and butted
// together by the window, so a single stray colour shows up as a seam, and a stray magenta pixel
// as a hole in the frame.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <vector>

#ifndef VOLARINO_RESOURCE_DIR
#error "VOLARINO_RESOURCE_DIR must name the resources folder"
#endif

namespace {

constexpr int kPieceW = 19;
constexpr int kPieceH = 30;
constexpr int kButton = 13;

constexpr QRgb kMagenta = 0xFF00FF;
constexpr QRgb kTitleBlue = 0x1562AF;
constexpr QRgb kGrey = 0xCFCFCF;
constexpr QRgb kBlack = 0x000000;

const QRgb kTitleRows[kPieceH] = {
    0x4B86C2, 0x558DC5, 0x4884C1, 0x3C7CBC, 0x2F73B8, 0x226BB3, 0x1864B0, 0x1562AF, 0x1562AF, 0x1562AF,
    0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF, 0x1562AF,
    0x1562AF, 0x1562AF, 0x1562AF, 0x1560AC, 0x145BA3, 0x125496, 0x104D89, 0x0F467D, 0x0D3F70, 0x0F4479,
};
const QRgb kTitleLeftCols[7] = {0x4C87C2, 0x558DC5, 0x4884C1, 0x3C7CBC, 0x2F73B8, 0x226BB3, 0x1864B0};
const QRgb kLeftHighlight[7] = {0xDADADA, 0xDCDCDC, 0xDADADA, 0xD7D7D7, 0xD4D4D4, 0xD2D2D2, 0xD0D0D0};
const QRgb kRightShadow[7] = {0xCCCCCC, 0xC0C0C0, 0xB2B2B2, 0xA3A3A3, 0x959595, 0x868686, 0x909090};
const QRgb kBottomShadow[7] = {0xCCCCCC, 0xC0C0C0, 0xB2B2B2, 0xA2A2A2, 0x949494, 0x848484, 0x909090};

// How many pixels are cut away from the rounded side, per row, outside the window's outline.
int topCornerCut(int row)
{
    static const int cut[8] = {8, 6, 4, 3, 2, 2, 1, 1}; // rows 0..7
    return row < 8 ? cut[row] : 0;
}

int bottomCornerCut(int row)
{
    static const int cut[8] = {1, 1, 2, 2, 3, 4, 6, 8}; // rows 22..29
    return row >= 22 ? cut[row - 22] : 0;
}

QString framePath(const QString& name)
{
    return QStringLiteral(VOLARINO_RESOURCE_DIR "/frame/") + name;
}

QImage loadPiece(const QString& name)
{
    QImage img(framePath(name));
    return img.convertToFormat(QImage::Format_RGB32);
}

QRgb rgbAt(const QImage& img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

QString hex(QRgb c)
{
    return QStringLiteral("#%1").arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

// Compares one pixel and names it in the failure message.
bool samePixel(const QImage& img, int x, int y, QRgb want, QString* why)
{
    const QRgb got = rgbAt(img, x, y);
    if (got == want)
        return true;
    *why = QStringLiteral("pixel (%1, %2) is %3, expected %4").arg(x).arg(y).arg(hex(got), hex(want));
    return false;
}

quint32 le32(const QByteArray& b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}

double lightness(QRgb c)
{
    return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c);
}

} // namespace

class TestFramePictures : public QObject
{
    Q_OBJECT

private slots:
    void fileFormat_data();
    void fileFormat();

    void titleMainRows_data();
    void titleMainRows();

    void windowLeftColumns_data();
    void windowLeftColumns();
    void windowRightColumns_data();
    void windowRightColumns();
    void windowBottomRows_data();
    void windowBottomRows();

    void cornerMagenta_data();
    void cornerMagenta();

    void titleLeftColumns_data();
    void titleLeftColumns();
    void titleLeftCornerIsLighter();
    void titleRightColumns_data();
    void titleRightColumns();
    void titleRightCornerIsDarkest();
    void bottomLeftColumns_data();
    void bottomLeftColumns();
    void bottomRightColumns_data();
    void bottomRightColumns();

    void buttonFace_data();
    void buttonFace();
    void minimizeGlyph();
    void resizeGlyph();
    void closeGlyph();
    void helpGlyph();
};

// ---- file format ------------------------------------------------------------------------------

void TestFramePictures::fileFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    const char* pieces[] = {"title_main.bmp",         "title_left.bmp",         "title_right.bmp",
                            "window_left.bmp",        "window_right.bmp",       "window_bottom.bmp",
                            "window_bottom_left.bmp", "window_bottom_right.bmp"};
    for (const char* name : pieces)
        QTest::newRow(name) << QString::fromLatin1(name) << kPieceW << kPieceH;
    const char* buttons[] = {"btn_close.bmp", "btn_minimize.bmp", "btn_help.bmp", "btn_resize.bmp"};
    for (const char* name : buttons)
        QTest::newRow(name) << QString::fromLatin1(name) << kButton << kButton;
}

void TestFramePictures::fileFormat()
{
    QFETCH(QString, name);
    QFETCH(int, width);
    QFETCH(int, height);

    QFile file(framePath(name));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray head = file.read(54);
    QCOMPARE(head.size(), 54);
    QCOMPARE(head.left(2), QByteArray("BM"));
    QCOMPARE(int(le32(head, 18)), width);
    QCOMPARE(int(le32(head, 22)), height);                       // positive: stored bottom-up
    QCOMPARE(int(quint8(head[28]) | quint8(head[29]) << 8), 24); // bits per pixel
    QCOMPARE(le32(head, 30), quint32(0));                        // no compression

    const QImage img(framePath(name));
    QVERIFY(!img.isNull());
    QCOMPARE(img.size(), QSize(width, height));
}

// ---- straight pieces --------------------------------------------------------------------------

void TestFramePictures::titleMainRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QRgb>("colour");
    for (int y = 0; y < kPieceH; ++y)
        QTest::addRow("row %d", y) << y << kTitleRows[y];
}

void TestFramePictures::titleMainRows()
{
    QFETCH(int, row);
    QFETCH(QRgb, colour);
    const QImage img = loadPiece(QStringLiteral("title_main.bmp"));
    QString why;
    for (int x = 0; x < kPieceW; ++x)
        QVERIFY2(samePixel(img, x, row, colour, &why), qPrintable(why));
}

void TestFramePictures::windowLeftColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QRgb>("colour");
    for (int x = 0; x < kPieceW; ++x)
        QTest::addRow("column %d", x) << x << (x < 7 ? kLeftHighlight[x] : kGrey);
}

void TestFramePictures::windowLeftColumns()
{
    QFETCH(int, column);
    QFETCH(QRgb, colour);
    const QImage img = loadPiece(QStringLiteral("window_left.bmp"));
    QString why;
    for (int y = 0; y < kPieceH; ++y)
        QVERIFY2(samePixel(img, column, y, colour, &why), qPrintable(why));
}

void TestFramePictures::windowRightColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QRgb>("colour");
    for (int x = 0; x < kPieceW; ++x)
        QTest::addRow("column %d", x) << x << (x >= 12 ? kRightShadow[x - 12] : kGrey);
}

void TestFramePictures::windowRightColumns()
{
    QFETCH(int, column);
    QFETCH(QRgb, colour);
    const QImage img = loadPiece(QStringLiteral("window_right.bmp"));
    QString why;
    for (int y = 0; y < kPieceH; ++y)
        QVERIFY2(samePixel(img, column, y, colour, &why), qPrintable(why));
}

void TestFramePictures::windowBottomRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QRgb>("colour");
    for (int y = 0; y < kPieceH; ++y)
        QTest::addRow("row %d", y) << y << (y >= 23 ? kBottomShadow[y - 23] : kGrey);
}

void TestFramePictures::windowBottomRows()
{
    QFETCH(int, row);
    QFETCH(QRgb, colour);
    const QImage img = loadPiece(QStringLiteral("window_bottom.bmp"));
    QString why;
    for (int x = 0; x < kPieceW; ++x)
        QVERIFY2(samePixel(img, x, row, colour, &why), qPrintable(why));
}

// ---- rounded corners --------------------------------------------------------------------------

// One data row per picture row: magenta exactly on [first, last] (empty when first > last), and
// nowhere else in that row, so the neighbours of the cut-away area are checked too.
void TestFramePictures::cornerMagenta_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    for (int y = 0; y < kPieceH; ++y) {
        const int top = topCornerCut(y);
        const int bottom = bottomCornerCut(y);
        QTest::addRow("title_left row %d", y) << QStringLiteral("title_left.bmp") << y << 0 << top - 1;
        QTest::addRow("title_right row %d", y)
            << QStringLiteral("title_right.bmp") << y << kPieceW - top << kPieceW - 1;
        QTest::addRow("window_bottom_left row %d", y)
            << QStringLiteral("window_bottom_left.bmp") << y << 0 << bottom - 1;
        QTest::addRow("window_bottom_right row %d", y)
            << QStringLiteral("window_bottom_right.bmp") << y << kPieceW - bottom << kPieceW - 1;
    }
    for (int y = 0; y < kPieceH; ++y) {
        const char* plain[] = {"title_main.bmp", "window_left.bmp", "window_right.bmp", "window_bottom.bmp"};
        for (const char* name : plain)
            QTest::addRow("%s row %d", name, y) << QString::fromLatin1(name) << y << 1 << 0;
    }
}

void TestFramePictures::cornerMagenta()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, first);
    QFETCH(int, last);
    const QImage img = loadPiece(name);
    for (int x = 0; x < kPieceW; ++x) {
        const bool want = x >= first && x <= last;
        const bool got = rgbAt(img, x, row) == kMagenta;
        QVERIFY2(got == want, qPrintable(QStringLiteral("pixel (%1, %2) is %3, magenta expected: %4")
                                             .arg(x)
                                             .arg(row)
                                             .arg(hex(rgbAt(img, x, row)))
                                             .arg(want ? QStringLiteral("yes") : QStringLiteral("no"))));
    }
}

// ---- corner and end pieces --------------------------------------------------------------------

// A column checked over rows [from, to] against one colour (from < 0: against the title bands).
void TestFramePictures::titleLeftColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QRgb>("colour");
    // The left bevel repeats the top bands sideways, below the rounded corner and above the
    // bottom shadow.
    for (int x = 0; x < 7; ++x)
        QTest::addRow("bevel column %d", x) << x << 8 << 22 << kTitleLeftCols[x];
    QTest::addRow("column 7 bands") << 7 << -1 << 0 << QRgb(0);
    for (int x = 8; x < kPieceW; ++x)
        QTest::addRow("column %d bands", x) << x << -1 << -1 << QRgb(0);
}

void TestFramePictures::titleLeftColumns()
{
    QFETCH(int, column);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QRgb, colour);
    const QImage img = loadPiece(QStringLiteral("title_left.bmp"));
    QString why;
    if (from < 0) {
        // to == 0: the top pixel is magenta, start below it.
        for (int y = to == 0 ? 1 : 0; y < kPieceH; ++y)
            QVERIFY2(samePixel(img, column, y, kTitleRows[y], &why), qPrintable(why));
        return;
    }
    for (int y = from; y <= to; ++y)
        QVERIFY2(samePixel(img, column, y, colour, &why), qPrintable(why));
}

void TestFramePictures::titleLeftCornerIsLighter()
{
    // Between the two bevels the rounded corner is lighter than the bands around it, at most
    // the pale blue #93B6DA.
    const QImage img = loadPiece(QStringLiteral("title_left.bmp"));
    const double limit = lightness(0x93B6DA);
    double brightest = 0;
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 7; ++x) {
            const QRgb c = rgbAt(img, x, y);
            if (c == kMagenta)
                continue;
            QVERIFY2(lightness(c) <= limit + 0.5, qPrintable(hex(c)));
            QVERIFY2(lightness(c) >= lightness(kTitleRows[6]) - 0.5, qPrintable(hex(c)));
            brightest = std::max(brightest, lightness(c));
        }
    }
    QVERIFY(brightest > lightness(kTitleRows[1]) + 10);
}

void TestFramePictures::titleRightColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QRgb>("colour");
    for (int x = 0; x < 11; ++x)
        QTest::addRow("column %d bands", x) << x << -1 << -1 << QRgb(0);
    QTest::addRow("column 11 bands") << 11 << -1 << 0 << QRgb(0);
    // The right edge repeats the bottom shadow sideways.
    for (int x = 12; x < kPieceW; ++x)
        QTest::addRow("shadow column %d", x) << x << 8 << 22 << kTitleRows[23 + x - 12];
}

void TestFramePictures::titleRightColumns()
{
    QFETCH(int, column);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QRgb, colour);
    const QImage img = loadPiece(QStringLiteral("title_right.bmp"));
    QString why;
    if (from < 0) {
        for (int y = to == 0 ? 1 : 0; y < kPieceH; ++y)
            QVERIFY2(samePixel(img, column, y, kTitleRows[y], &why), qPrintable(why));
        return;
    }
    for (int y = from; y <= to; ++y)
        QVERIFY2(samePixel(img, column, y, colour, &why), qPrintable(why));
}

void TestFramePictures::titleRightCornerIsDarkest()
{
    // Where the right and bottom shadows meet the piece is darker than either, down to about
    // #092A4A.
    const QImage img = loadPiece(QStringLiteral("title_right.bmp"));
    QRgb darkest = 0xFFFFFF;
    for (int y = 23; y < kPieceH; ++y)
        for (int x = 12; x < kPieceW; ++x)
            if (lightness(rgbAt(img, x, y)) < lightness(darkest))
                darkest = rgbAt(img, x, y);
    QVERIFY2(lightness(darkest) < lightness(kTitleRows[28]) - 5, qPrintable(hex(darkest)));
    QVERIFY2(std::abs(qRed(darkest) - 0x09) <= 8 && std::abs(qGreen(darkest) - 0x2A) <= 8 &&
                 std::abs(qBlue(darkest) - 0x4A) <= 8,
             qPrintable(hex(darkest)));
}

void TestFramePictures::bottomLeftColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("lastRow"); // rows 0..lastRow are compared with the bottom edge piece
    for (int x = 0; x < 7; ++x)
        QTest::addRow("highlight column %d", x) << x << -1;
    QTest::addRow("column 7") << 7 << kPieceH - 2;
    for (int x = 8; x < kPieceW; ++x)
        QTest::addRow("column %d", x) << x << kPieceH - 1;
}

void TestFramePictures::bottomLeftColumns()
{
    QFETCH(int, column);
    QFETCH(int, lastRow);
    const QImage img = loadPiece(QStringLiteral("window_bottom_left.bmp"));
    QString why;
    if (lastRow < 0) {
        // The left side's highlight, down to where the rounded corner and the shadow begin.
        for (int y = 0; y < 22; ++y)
            QVERIFY2(samePixel(img, column, y, kLeftHighlight[column], &why), qPrintable(why));
        return;
    }
    for (int y = 0; y <= lastRow; ++y)
        QVERIFY2(samePixel(img, column, y, y >= 23 ? kBottomShadow[y - 23] : kGrey, &why), qPrintable(why));
}

void TestFramePictures::bottomRightColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("lastRow");
    for (int x = 0; x < 11; ++x)
        QTest::addRow("column %d", x) << x << kPieceH - 1;
    QTest::addRow("column 11") << 11 << kPieceH - 2;
    for (int x = 12; x < kPieceW; ++x)
        QTest::addRow("shadow column %d", x) << x << -1;
}

void TestFramePictures::bottomRightColumns()
{
    QFETCH(int, column);
    QFETCH(int, lastRow);
    const QImage img = loadPiece(QStringLiteral("window_bottom_right.bmp"));
    QString why;
    if (lastRow < 0) {
        for (int y = 0; y < 22; ++y)
            QVERIFY2(samePixel(img, column, y, kRightShadow[column - 12], &why), qPrintable(why));
        return;
    }
    for (int y = 0; y <= lastRow; ++y)
        QVERIFY2(samePixel(img, column, y, y >= 23 ? kBottomShadow[y - 23] : kGrey, &why), qPrintable(why));
}

// ---- title buttons ----------------------------------------------------------------------------

void TestFramePictures::buttonFace_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("close") << QStringLiteral("btn_close.bmp");
    QTest::newRow("minimize") << QStringLiteral("btn_minimize.bmp");
    QTest::newRow("help") << QStringLiteral("btn_help.bmp");
    QTest::newRow("resize") << QStringLiteral("btn_resize.bmp");
}

void TestFramePictures::buttonFace()
{
    QFETCH(QString, name);
    const QImage img = loadPiece(name);
    QString why;

    // Outside the round face: the title blue.
    for (const QPoint& pt : {QPoint(0, 0), QPoint(12, 0), QPoint(0, 12), QPoint(12, 12), QPoint(1, 0), QPoint(0, 1),
                             QPoint(11, 12), QPoint(12, 11)})
        QVERIFY2(samePixel(img, pt.x(), pt.y(), kTitleBlue, &why), qPrintable(why));

    const double c = kButton / 2.0;
    int glyph = 0;
    double upperLeft = 0;
    double lowerRight = 0;
    int upperCount = 0;
    int lowerCount = 0;
    for (int y = 0; y < kButton; ++y) {
        for (int x = 0; x < kButton; ++x) {
            const QRgb px = rgbAt(img, x, y);
            const double d = std::hypot(x + 0.5 - c, y + 0.5 - c);
            QVERIFY2(px != kMagenta, qPrintable(QStringLiteral("magenta at (%1, %2)").arg(x).arg(y)));
            if (px == kBlack) {
                // The glyph stays well inside the face.
                QVERIFY2(d < 5.5, qPrintable(QStringLiteral("glyph pixel at (%1, %2)").arg(x).arg(y)));
                ++glyph;
                continue;
            }
            if (d > 5.0)
                continue;
            // The face is a light blue, lighter than the title bar.
            QVERIFY2(qBlue(px) >= qRed(px) && lightness(px) > lightness(kTitleBlue) + 40, qPrintable(hex(px)));
            if (x + y < kButton - 2) {
                upperLeft += lightness(px);
                ++upperCount;
            } else if (x + y > kButton) {
                lowerRight += lightness(px);
                ++lowerCount;
            }
        }
    }
    QVERIFY(glyph >= 8);
    QVERIFY(upperCount > 0 && lowerCount > 0);
    QVERIFY2(upperLeft / upperCount > lowerRight / lowerCount + 10, "the face is lit from the upper left");
}

namespace {

// The black pixels of a button, as a set of points with their bounding box.
struct GlyphPixels
{
    std::vector<QPoint> points;
    QRect box;
    bool has(int x, int y) const
    {
        for (const QPoint& p : points)
            if (p == QPoint(x, y))
                return true;
        return false;
    }
};

GlyphPixels glyphOf(const QString& name)
{
    const QImage img = loadPiece(name);
    GlyphPixels g;
    for (int y = 0; y < kButton; ++y)
        for (int x = 0; x < kButton; ++x)
            if (rgbAt(img, x, y) == kBlack) {
                g.points.emplace_back(x, y);
                g.box = g.box.isNull() ? QRect(x, y, 1, 1) : g.box.united(QRect(x, y, 1, 1));
            }
    return g;
}

} // namespace

void TestFramePictures::minimizeGlyph()
{
    // A solid bar, 7 wide and 2 high, centred across and in the lower half.
    const GlyphPixels g = glyphOf(QStringLiteral("btn_minimize.bmp"));
    QCOMPARE(g.box.width(), 7);
    QCOMPARE(g.box.height(), 2);
    QCOMPARE(int(g.points.size()), 14);
    QCOMPARE(g.box.left(), 3);
    QVERIFY(g.box.top() >= 7);
    QVERIFY(g.box.bottom() <= 10);
}

void TestFramePictures::resizeGlyph()
{
    // A 6 x 6 window outline with a title edge two pixels thick, hollow inside.
    const GlyphPixels g = glyphOf(QStringLiteral("btn_resize.bmp"));
    QCOMPARE(g.box.width(), 6);
    QCOMPARE(g.box.height(), 6);
    const int l = g.box.left();
    const int t = g.box.top();
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool edge = y < 2 || y == 5 || x == 0 || x == 5;
            QVERIFY2(g.has(l + x, t + y) == edge, qPrintable(QStringLiteral("at (%1, %2)").arg(l + x).arg(t + y)));
        }
    }
}

void TestFramePictures::closeGlyph()
{
    // A diagonal cross, two pixels thick: every row of it holds two pixels per stroke, and the
    // cross is left-right symmetric about the button's centre column.
    const GlyphPixels g = glyphOf(QStringLiteral("btn_close.bmp"));
    QVERIFY(g.box.width() >= 6);
    QVERIFY(g.box.height() >= 5);
    for (const QPoint& p : g.points)
        QVERIFY2(g.has(kButton - 1 - p.x(), p.y()), qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
    // Top and bottom rows: two separate 2-pixel stroke ends.
    for (int y : {g.box.top(), g.box.bottom()}) {
        int count = 0;
        for (int x = 0; x < kButton; ++x)
            count += g.has(x, y) ? 1 : 0;
        QCOMPARE(count, 4);
        QVERIFY(g.has(g.box.left(), y) && g.has(g.box.left() + 1, y));
        QVERIFY(g.has(g.box.right(), y) && g.has(g.box.right() - 1, y));
    }
    QVERIFY(g.has(kButton / 2, (g.box.top() + g.box.bottom()) / 2)); // the strokes cross in the middle
}

void TestFramePictures::helpGlyph()
{
    // A question mark: a hook on top and a dot below it, with a clear row between them.
    const GlyphPixels g = glyphOf(QStringLiteral("btn_help.bmp"));
    QVERIFY(g.points.size() >= 10);
    QVERIFY(g.box.height() >= 7);
    int gapRow = -1;
    for (int y = g.box.top(); y <= g.box.bottom(); ++y) {
        bool any = false;
        for (int x = 0; x < kButton; ++x)
            any = any || g.has(x, y);
        if (!any)
            gapRow = y;
    }
    QVERIFY2(gapRow > g.box.top() + 3, "no gap between the hook and the dot");
    // The hook is wider than the dot.
    int hookWidth = 0;
    int dotWidth = 0;
    for (int x = 0; x < kButton; ++x) {
        bool inHook = false;
        bool inDot = false;
        for (int y = g.box.top(); y < gapRow; ++y)
            inHook = inHook || g.has(x, y);
        for (int y = gapRow + 1; y <= g.box.bottom(); ++y)
            inDot = inDot || g.has(x, y);
        hookWidth += inHook ? 1 : 0;
        dotWidth += inDot ? 1 : 0;
    }
    QVERIFY(hookWidth > dotWidth);
    QVERIFY(dotWidth >= 1);
}

QTEST_GUILESS_MAIN(TestFramePictures)
#include "tst_framepictures.moc"
