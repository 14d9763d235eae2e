// The game's own JPEG decoder must give exactly the pixels Qt's reader gives, so that a picture looks as Qt
// would draw it, and what it refuses must reach no other reader.
#include "common/jpegdecoder.h"
#include "media/picturedecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTest>

#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace {

constexpr qint64 Limit = 256LL * 1024 * 1024;

QImage qtDecode(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

QByteArray resourceBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A picture with edges, gradients and flat areas, the things chroma upsampling and rounding get wrong.
QImage testCard(int width, int height)
{
    QImage card(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            card.setPixel(x, y, qRgb((x * 7) & 255, (y * 5) & 255, ((x ^ y) * 3) & 255));
    QPainter painter(&card);
    painter.setBrush(Qt::red);
    painter.drawEllipse(QRect(width / 4, height / 4, width / 2, height / 2));
    return card;
}

QByteArray encoded(const QImage& image, int quality, bool progressive)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// What Qt cannot write: CMYK, or three colours none of them halved, progressive if asked. libjpeg does it here,
// four colours per pixel (or three) straight from a pattern.
QByteArray libjpegStream(int width, int height, bool cmyk, bool progressive = false)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = cmyk ? 4 : 3;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    for (int c = 0; c < info.num_components; ++c)
        info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(width) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &row[size_t(x) * size_t(info.input_components)];
            p[0] = uchar(x * 3), p[1] = uchar(y * 3), p[2] = uchar(x + y);
            if (cmyk)
                p[3] = uchar(x > width / 2 ? 40 : 0);
        }
        JSAMPROW line = row.data();
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

// The same stream with an Exif block right after its start marker, saying "turn the picture right".
QByteArray withOrientation(const QByteArray& jpeg)
{
    const char tiff[] = "MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0";
    QByteArray payload = QByteArray("Exif\0\0", 6) + QByteArray(tiff, sizeof tiff - 1);
    QByteArray segment("\xFF\xE1", 2);
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 255)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

// Rewrites the size in the first frame header (SOF0 or SOF2).
QByteArray withDeclaredSize(QByteArray jpeg, int width, int height)
{
    for (int i = 2; i + 9 < jpeg.size(); ++i) {
        const uchar m = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && (m == 0xC0 || m == 0xC2)) {
            jpeg[i + 5] = char(height >> 8), jpeg[i + 6] = char(height & 255);
            jpeg[i + 7] = char(width >> 8), jpeg[i + 8] = char(width & 255);
            break;
        }
    }
    return jpeg;
}

} // namespace

class TestJpegDecoder : public QObject
{
    Q_OBJECT

private slots:
    void samePixelsAsQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("tolerance"); // levels a channel may differ by
        for (const char* id : {"101", "102", "103", "104", "105", "106", "107"})
            QTest::newRow(QByteArray("landscape ") + id) << resourceBytes(QStringLiteral(":/CUSTOM/") + id) << 0;
        QTest::newRow("the playing field") << resourceBytes(QStringLiteral(":/pictures/field.jpg")) << 0;
        QTest::newRow("baseline, odd size") << encoded(testCard(131, 77), 90, false) << 0;
        QTest::newRow("progressive") << encoded(testCard(200, 120), 75, true) << 0;
        QTest::newRow("full quality") << encoded(testCard(64, 64), 100, false) << 0;
        QTest::newRow("grey") << encoded(testCard(97, 41).convertToFormat(QImage::Format_Grayscale8), 80, false) << 0;
        QTest::newRow("one pixel") << encoded(testCard(1, 1), 80, false) << 0;
        const QByteArray whole = encoded(testCard(160, 160), 80, false);
        QTest::newRow("cut off in the middle") << whole.left(whole.size() / 2) << 0;
        // Qt 6.4 cuts the product of ink and black to a level, Qt 6.8 rounds it.
        QTest::newRow("CMYK") << libjpegStream(90, 60, true) << 1;
        // Qt's reader, as the game asks it, leaves an orientation tag alone.
        QTest::newRow("orientation tag") << withOrientation(encoded(testCard(90, 60), 85, false)) << 0;
    }

    void samePixelsAsQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, tolerance);
        QVERIFY(!bytes.isEmpty());
        const QImage ours = JpegDecoder::decode(bytes, 32768, Limit);
        QVERIFY2(!ours.isNull(), "the game's decoder should take this stream itself");
        QCOMPARE(ours.format(), QImage::Format_RGB32);
        const QImage qt = qtDecode(bytes);
        if (tolerance == 0) {
            QCOMPARE(ours, qt);
            return;
        }
        QCOMPARE(ours.size(), qt.size());
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const QRgb a = ours.pixel(x, y), b = qt.pixel(x, y);
                QVERIFY2(qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
                             qAbs(qBlue(a) - qBlue(b)) <= tolerance,
                         qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
    }

    // A picture that is no JPEG reaches the player through Qt's reader, looking the same; a JPEG the game's
    // decoder refuses is refused for good, not handed on for another reader to pay for again.
    void onlyWhatIsNoJpegGoesToQt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("picture");
        QTest::newRow("a PNG") << [] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            testCard(30, 20).save(&buffer, "PNG");
            return bytes;
        }() << true;
        QTest::newRow("a start marker and nothing else") << QByteArray("\xFF\xD8\xFF\xE0", 4) << false;
        QTest::newRow("header cut before the frame") << encoded(testCard(50, 50), 80, false).left(30) << false;
        QTest::newRow("declares 40000 pixels wide")
            << withDeclaredSize(encoded(testCard(50, 50), 80, false), 40000, 16) << false;
        QTest::newRow("declares 30000 x 30000")
            << withDeclaredSize(encoded(testCard(50, 50), 80, false), 30000, 30000) << false;
        QTest::newRow("declares no width") << withDeclaredSize(encoded(testCard(50, 50), 80, false), 0, 50) << false;
    }

    void onlyWhatIsNoJpegGoesToQt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, picture);
        QVERIFY(JpegDecoder::decode(bytes, 32768, Limit).isNull());
        const QImage shown = PictureDecoder::decode(bytes);
        QCOMPARE(!shown.isNull(), picture);
        if (picture)
            QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), qtDecode(bytes));
    }

    // A progressive stream keeps every block until its last scan: three colours at full size need one and a half
    // times the picture, and are decoded; four need twice, and are refused once that is more than a little.
    void workingMemoryStaysWithinHalfThePictureAgain_data()
    {
        QTest::addColumn<bool>("cmyk");
        QTest::newRow("three colours") << false;
        QTest::newRow("four colours") << true;
    }

    void workingMemoryStaysWithinHalfThePictureAgain()
    {
        QFETCH(bool, cmyk);
        const QByteArray bytes = libjpegStream(3584, 3584, cmyk, true);
        QCOMPARE(JpegDecoder::decode(bytes, 32768, Limit).isNull(), cmyk);
    }

    // The size checks come from the header, before a single row is allocated.
    void limitsAreTheCallersOwn()
    {
        const QByteArray bytes = encoded(testCard(100, 40), 80, false);
        QVERIFY(!JpegDecoder::decode(bytes, 100, 100 * 40 * 4).isNull());
        QVERIFY(JpegDecoder::decode(bytes, 99, Limit).isNull());
        QVERIFY(JpegDecoder::decode(bytes, 32768, 100 * 40 * 4 - 1).isNull());
    }
};

QTEST_MAIN(TestJpegDecoder)
#include "tst_jpegdecoder.moc"
