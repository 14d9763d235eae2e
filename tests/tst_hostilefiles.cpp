// Files a player might pick with "Altri sfondi", and worse: broken, truncated and lying pictures, pictures
// that declare absurd sizes or are made to cost, things that are no files at all, and thousands of seeded
// mutations of good pictures. None may crash, hang, eat the memory or cost more than an honest picture of its
// size; a refused one leaves the preview alone and says nothing.
#include "gamefixture.h"
#include "media/frmsfondo.h"
#include "media/picturedecoder.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QtEndian>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <random>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr qint64 DecodedLimitBytes = 256LL * 1024 * 1024;
constexpr qint64 RssLimitKiB = 1536LL * 1024;
const QSize ValidSize(48, 36);

enum class Outcome { Refused, Accepted, Either };

struct Case
{
    QString name;
    QString path;
    Outcome outcome;
    QSize size;       // of an accepted picture
    QString skipWhen; // a reason to skip the row, when it cannot mean anything here
};

// A stuck decoder would otherwise only show as the suite's time-out, without saying which file did it.
class Watchdog
{
public:
    Watchdog()
        : m_thread([this] {
              while (!m_stop) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(200));
                  const qint64 started = m_started;
                  if (started && now() - started > 60000) {
                      std::fprintf(stderr, "stuck for a minute on: %s\n", m_name);
                      std::abort();
                  }
              }
          })
    {}
    ~Watchdog()
    {
        m_stop = true;
        m_thread.join();
    }
    void begin(const char* name)
    {
        std::snprintf(m_name, sizeof m_name, "%s", name);
        m_started = now();
    }
    void end() { m_started = 0; }

private:
    static qint64 now()
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_started{0};
    char m_name[200] = {};
    std::thread m_thread;
};

qint64 statusKiB(const char* field)
{
    FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    qint64 value = -1;
    const std::size_t length = std::strlen(field);
    while (std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::strtoll(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(status);
    return value;
}

QByteArray encoded(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A grey picture `side` pixels square, with enough going on to cost what a real one does.
QImage greyCard(int side)
{
    QImage card(side, side, QImage::Format_Grayscale8);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            card.scanLine(y)[x] = uchar((x * 7) ^ (y * 3));
    return card;
}

// The CPU time the calling thread spends in `work`, in nanoseconds: what a decode costs, whatever else the
// machine is busy with.
template <typename Work> qint64 threadCpuNs(Work work)
{
    timespec start{}, end{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    work();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return (end.tv_sec - start.tv_sec) * 1000000000LL + end.tv_nsec - start.tv_nsec;
}

void putLe16(QByteArray& bytes, int at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}
void putLe32(QByteArray& bytes, int at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}
void putBe16(QByteArray& bytes, int at, quint16 value)
{
    qToBigEndian(value, bytes.data() + at);
}
void putBe32(QByteArray& bytes, int at, quint32 value)
{
    qToBigEndian(value, bytes.data() + at);
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    putLe16(bytes, 0, value);
    return bytes;
}

// A GIF written byte by byte: a four-colour palette and `frames` image descriptors of `frame` pixels each.
// The picture data are literal LZW codes with a clear code after every two, so the code size stays at 3 bits;
// a frame that claims more than `pixelsAtMost` pixels gets only that many. With `spelled`, the first frame's
// codes spell that many pixels instead, however few it holds: strings one pixel longer each time, then the
// longest again and again.
QByteArray gif(QSize screen, QSize frame, int frames, qint64 pixelsAtMost = 1 << 20, qint64 spelled = 0)
{
    QByteArray bytes("GIF89a");
    bytes += le16(quint16(screen.width()));
    bytes += le16(quint16(screen.height()));
    bytes += char(0x91); // global palette of 4 entries, colour resolution 2 bits
    bytes += char(0);    // background colour
    bytes += char(0);    // aspect
    bytes += QByteArray::fromHex("1e7a2c"
                                 "e0d040"
                                 "3050c0"
                                 "ffffff");
    const qint64 pixels = qMin(qint64(frame.width()) * frame.height(), pixelsAtMost);
    for (int f = 0; f < frames; ++f) {
        bytes += QByteArray::fromHex("21f904040a000000"); // graphic control: 10 hundredths of a second
        bytes += char(0x2C);
        bytes += le16(0);
        bytes += le16(0);
        bytes += le16(quint16(frame.width()));
        bytes += le16(quint16(frame.height()));
        bytes += char(0);
        bytes += char(2); // minimum code size

        // Codes as wide as the reader's growing table makes them.
        QByteArray data;
        quint32 accumulator = 0;
        int bits = 0, width = 3, widthLimit = 8, next = 6;
        bool first = true;
        auto code = [&](int value) {
            accumulator |= quint32(value) << bits;
            for (bits += width; bits >= 8; bits -= 8, accumulator >>= 8)
                data += char(accumulator & 0xFF);
            if (value == 4)
                width = 3, widthLimit = 8, next = 6, first = true;
            else if (first)
                first = false;
            else if (next < 4096 && ++next >= widthLimit && widthLimit < 4096)
                widthLimit *= 2, ++width;
        };
        if (f == 0 && spelled > 0) {
            code(4);
            code(0);
            for (qint64 done = 1; done < spelled;) {
                const int longest = qMin(next, 4095); // the string just being made, or the last one
                code(longest);
                done += longest - 4;
            }
        } else {
            for (qint64 p = 0; p < pixels; ++p) {
                if (p % 2 == 0)
                    code(4); // clear
                code(int((p + f) % 4));
            }
        }
        code(5); // end of information
        if (bits > 0)
            data += char(accumulator & 0xFF);
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            bytes += char(block.size());
            bytes += block;
        }
        bytes += char(0);
    }
    bytes += char(0x3B);
    return bytes;
}

// A BMP with a 40-byte information header saying whatever the test wants, and a few bytes of pixels.
QByteArray bmp(qint32 width, qint32 height, quint16 bitsPerPixel, quint32 compression = 0, quint32 colours = 0,
               quint32 pixelOffset = 54)
{
    QByteArray bytes(54 + 64, '\x55');
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLe32(bytes, 2, quint32(bytes.size()));
    putLe32(bytes, 6, 0);
    putLe32(bytes, 10, pixelOffset);
    putLe32(bytes, 14, 40);
    putLe32(bytes, 18, quint32(width));
    putLe32(bytes, 22, quint32(height));
    putLe16(bytes, 26, 1);
    putLe16(bytes, 28, bitsPerPixel);
    putLe32(bytes, 30, compression);
    putLe32(bytes, 34, 0);
    putLe32(bytes, 38, 2835);
    putLe32(bytes, 42, 2835);
    putLe32(bytes, 46, colours);
    putLe32(bytes, 50, 0);
    return bytes;
}

QByteArray pngChunk(const char* type, const QByteArray& body)
{
    QByteArray chunk(4, '\0');
    putBe32(chunk, 0, quint32(body.size()));
    const QByteArray typed = QByteArray(type) + body;
    chunk += typed;
    QByteArray crc(4, '\0');
    putBe32(crc, 0, quint32(::crc32(0, reinterpret_cast<const Bytef*>(typed.constData()), uInt(typed.size()))));
    return chunk + crc;
}

// A PNG whose header (with a correct checksum) declares the given size, followed by a little compressed data.
QByteArray png(quint32 width, quint32 height)
{
    QByteArray header(13, '\0');
    putBe32(header, 0, width);
    putBe32(header, 4, height);
    header[8] = 8; // bits per sample
    header[9] = 6; // RGBA
    return QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", header) +
           pngChunk("IDAT", QByteArray::fromHex("789c6360000000020001")) + pngChunk("IEND", {});
}

// A zlib stream of `mebibytes` MiB of zero bytes: one mebibyte compressed, its flushed block repeated.
QByteArray zeroStream(qint64 mebibytes)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::vector<uchar> in(1 << 20), out(1 << 20);
    z.next_in = in.data();
    z.avail_in = uInt(in.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FULL_FLUSH);
    const QByteArray block(reinterpret_cast<const char*>(out.data()), qsizetype(out.size() - z.avail_out));
    deflateEnd(&z);
    QByteArray stream = QByteArray("\x78\xDA", 2) + block.repeated(mebibytes) + QByteArray("\x03\x00\0\0\0\0", 6);
    putBe32(stream, int(stream.size() - 4), quint32((mebibytes << 20) % 65521) << 16 | 1);
    return stream;
}

// A grey PNG `side` pixels square whose picture data are `mebibytes` MiB of zero bytes (black rows, and what
// runs past them), after `texts` compressed texts of `textMebibytes` MiB each.
QByteArray zeroPng(quint32 side, qint64 mebibytes, int texts = 0, qint64 textMebibytes = 0)
{
    QByteArray header(13, '\0');
    putBe32(header, 0, side);
    putBe32(header, 4, side);
    header[8] = 8;
    QByteArray bytes = QByteArray::fromHex("89504e470d0a1a0a") + pngChunk("IHDR", header);
    for (int i = 0; i < texts; ++i)
        bytes += pngChunk("zTXt", QByteArray("Comment\0\0", 9) + zeroStream(textMebibytes));
    return bytes + pngChunk("IDAT", zeroStream(mebibytes)) + pngChunk("IEND", {});
}

QByteArray jpegSegment(uchar marker, const QByteArray& body)
{
    QByteArray bytes("\xFF\0\0\0", 4);
    bytes[1] = char(marker);
    putBe16(bytes, 2, quint16(body.size() + 2));
    return bytes + body;
}

// A progressive grey JPEG of `scans` scans that each walk every block and say nothing (runs of ends of block),
// with a broken table before its last scan, or an Exif block in front, when asked.
QByteArray scansJpeg(quint16 side, int scans, bool brokenTable, bool exif)
{
    QByteArray bytes("\xFF\xD8", 2);
    if (exif)
        bytes +=
            jpegSegment(0xE1, QByteArray("Exif\0\0MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0", 30));
    bytes += jpegSegment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame("\x08\0\0\0\0\x01\x01\x11\0", 9);
    putBe16(frame, 1, side);
    putBe16(frame, 3, side);
    bytes += jpegSegment(0xC2, frame);
    // One code, one bit long, that with 14 more bits says: the next 16384 blocks or more end here.
    const QByteArray table("\x10\x01\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xE0", 18);
    bytes += jpegSegment(0xC4, table);
    const qint64 bits = (qint64(side / 8) * (side / 8) + 16383) / 16384 * 15;
    QByteArray runs(qsizetype((bits + 7) / 8), '\0');
    runs[runs.size() - 1] = char((1 << (7 - (bits + 7) % 8)) - 1); // padded with ones
    const QByteArray scan = jpegSegment(0xDA, QByteArray("\x01\x01\x00\x01\x3F\x00", 6)) + runs;
    for (int s = 0; s < scans; ++s) {
        if (brokenTable && s == scans - 2)
            bytes +=
                jpegSegment(0xC4, QByteArray(table).replace(1, 1, "\x03") + QByteArray("\0\1", 2)); // 3 codes of 1 bit
        bytes += scan;
    }
    return bytes + QByteArray("\xFF\xD9", 2);
}

// The JPEG with its frame header saying another size.
QByteArray jpegSaying(QByteArray jpeg, quint16 width, quint16 height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray::fromHex("ffc0"));
    if (sof < 0)
        return {};
    putBe16(jpeg, int(sof + 5), height);
    putBe16(jpeg, int(sof + 7), width);
    return jpeg;
}

QByteArray flipped(QByteArray bytes, int flips, std::mt19937& rng)
{
    for (int i = 0; i < flips; ++i) {
        const auto at = std::uniform_int_distribution<qsizetype>(0, bytes.size() - 1)(rng);
        bytes[at] = char(bytes[at] ^ (1 << std::uniform_int_distribution<int>(0, 7)(rng)));
    }
    return bytes;
}

QByteArray randomBytes(qsizetype size, std::mt19937& rng)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(rng() & 0xFF);
    return bytes;
}

// A seeded mutation: byte flips (mostly in the headers, where the sizes and offsets live), insertions,
// deletions, truncations and 16-bit fields set to extremes.
QByteArray mutated(QByteArray bytes, std::mt19937& rng)
{
    auto pick = [&rng](qsizetype n) {
        return std::uniform_int_distribution<qsizetype>(0, qMax<qsizetype>(0, n - 1))(rng);
    };
    const int steps = 1 + int(pick(4));
    for (int s = 0; s < steps && !bytes.isEmpty(); ++s) {
        const qsizetype at = pick(2) == 0 ? pick(qMin<qsizetype>(64, bytes.size())) : pick(bytes.size());
        switch (pick(6)) {
        case 0:
        case 1:
            bytes[at] = char(bytes[at] ^ (1 << pick(8)));
            break;
        case 2:
            bytes.insert(at, randomBytes(1 + pick(16), rng));
            break;
        case 3:
            bytes.remove(at, 1 + pick(16));
            break;
        case 4:
            bytes.truncate(at);
            break;
        default:
            if (at + 1 < bytes.size()) {
                const char extreme = pick(2) == 0 ? char(0xFF) : char(0x00);
                bytes[at] = extreme;
                bytes[at + 1] = pick(2) == 0 ? char(0x7F) : extreme;
            }
            break;
        }
    }
    return bytes;
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void pickedFile_data();
    void pickedFile();
    void costlyPictureCostsNoMoreThanAnHonestOneOfItsSize_data();
    void costlyPictureCostsNoMoreThanAnHonestOneOfItsSize();
    void seededMutationsDecodeSafely();
    void sizeLimitHoldsForAGifScreenLargerThanItsFirstFrame();
    void memoryStaysBounded();

private:
    QString write(const QString& name, const QByteArray& bytes);
    void add(const QString& name, const QString& path, Outcome outcome, QSize size = {}, const QString& skip = {});

    QTemporaryDir m_dir;
    std::vector<Case> m_cases;
    // Pictures made to cost, each beside an honest one of the same declared size.
    struct Costly
    {
        QByteArray name, costly, honest;
    };
    std::vector<Costly> m_costly;
    std::unique_ptr<GameFixture> m_game;
    std::unique_ptr<Watchdog> m_watchdog;
    QByteArray m_jpeg, m_gif, m_bmp, m_png;
    int m_listener = -1;
};

QString TestHostileFiles::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestHostileFiles::add(const QString& name, const QString& path, Outcome outcome, QSize size, const QString& skip)
{
    m_cases.push_back({name, path, outcome, size, skip});
}

void TestHostileFiles::initTestCase()
{
    configureTestApplication();
    // Every broken picture makes the decoders say so; here that is the point, not news.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    QVERIFY(m_dir.isValid());
    m_watchdog = std::make_unique<Watchdog>();
    std::mt19937 rng(4242);

    QImage picture(ValidSize, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x * 5, 120 + y * 3, 200 - x * 4));
    m_jpeg = encoded(picture, "JPG");
    m_bmp = encoded(picture, "BMP");
    m_png = encoded(picture, "PNG");
    m_gif = gif(ValidSize, ValidSize, 1);
    QVERIFY(!m_jpeg.isEmpty() && !m_bmp.isEmpty() && !m_png.isEmpty());

    // Good pictures: the preview must change to them.
    add("valid BMP", write("prato.bmp", m_bmp), Outcome::Accepted, ValidSize);
    add("valid JPEG", write("prato.jpg", m_jpeg), Outcome::Accepted, ValidSize);
    add("valid GIF written by hand", write("prato.gif", m_gif), Outcome::Accepted, ValidSize);
    add("PNG named .bmp", write("finto.bmp", m_png), Outcome::Accepted, ValidSize);
    add("GIF of 5000 frames", write("lungo.gif", gif(QSize(16, 16), QSize(4, 4), 5000)), Outcome::Accepted,
        QSize(16, 16));

    // Nothing to decode.
    add("zero bytes .bmp", write("vuoto.bmp", {}), Outcome::Refused);
    add("zero bytes .jpg", write("vuoto.jpg", {}), Outcome::Refused);
    add("zero bytes .gif", write("vuoto.gif", {}), Outcome::Refused);
    add("1 KiB of random bytes", write("caso.jpg", randomBytes(1024, rng)), Outcome::Refused);
    add("64 KiB of random bytes", write("caso.gif", randomBytes(65536, rng)), Outcome::Refused);
    add("text named .jpg", write("testo.jpg", "Questa non è un'immagine.\n"), Outcome::Refused);
    add("HTML named .gif", write("pagina.gif", "<!DOCTYPE html><html><body><img src=x></body></html>"),
        Outcome::Refused);

    // Things that are no regular file, or cannot be opened.
    QVERIFY(QDir(m_dir.path()).mkdir("cartella.bmp"));
    add("directory", m_dir.filePath("cartella.bmp"), Outcome::Refused);
    const QString fifo = m_dir.filePath("tubo.gif");
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    add("FIFO without a writer", fifo, Outcome::Refused);
    const QString locked = write("chiuso.bmp", m_bmp);
    QVERIFY(::chmod(QFile::encodeName(locked).constData(), 0) == 0);
    add("file with mode 000", locked, Outcome::Refused, {},
        ::geteuid() == 0 ? QStringLiteral("root reads a file whatever its mode; the rows after this one cover files "
                                          "that cannot be opened at all")
                         : QString());
    QVERIFY(QFile::link(m_dir.filePath("nessuno.bmp"), m_dir.filePath("spezzato.bmp")));
    add("dangling symlink", m_dir.filePath("spezzato.bmp"), Outcome::Refused);
    QVERIFY(QFile::link(m_dir.filePath("anello2.jpg"), m_dir.filePath("anello1.jpg")));
    QVERIFY(QFile::link(m_dir.filePath("anello1.jpg"), m_dir.filePath("anello2.jpg")));
    add("symlink loop", m_dir.filePath("anello1.jpg"), Outcome::Refused);
    add("name too long", m_dir.filePath(QString(300, QLatin1Char('n')) + ".bmp"), Outcome::Refused);
    add("path through a file", m_dir.filePath("prato.bmp/dentro.bmp"), Outcome::Refused);
    add("missing file", m_dir.filePath("nessuno.bmp"), Outcome::Refused);
    QVERIFY(QFile::link("/dev/zero", m_dir.filePath("zero.bmp")));
    add("symlink to /dev/zero", m_dir.filePath("zero.bmp"), Outcome::Refused);
    QVERIFY(QFile::link("/dev/urandom", m_dir.filePath("rumore.jpg")));
    add("symlink to /dev/urandom", m_dir.filePath("rumore.jpg"), Outcome::Refused);
    add("/dev/null", QStringLiteral("/dev/null"), Outcome::Refused);
    add("/proc file that claims no size", QStringLiteral("/proc/self/status"), Outcome::Refused);
    const QString socketPath = m_dir.filePath("presa.gif");
    m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(socketPath);
    QVERIFY(socketName.size() < qsizetype(sizeof address.sun_path));
    std::memcpy(address.sun_path, socketName.constData(), std::size_t(socketName.size()));
    QVERIFY(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0);
    QVERIFY(::listen(m_listener, 1) == 0);
    add("unix socket", socketPath, Outcome::Refused);
    // Sparse, so it costs no disk: a BMP header in front of more bytes than any picture file may have.
    const QString huge = write("enorme.bmp", bmp(48, 36, 24));
    QVERIFY(::truncate(QFile::encodeName(huge).constData(), PictureDecoder::MaxFileBytes + 4096) == 0);
    add("file larger than the limit", huge, Outcome::Refused);

    // Truncated, bit-flipped and header-corrupted pictures.
    add("JPEG start marker only", write("t1.jpg", m_jpeg.left(2)), Outcome::Refused);
    add("JPEG cut in its tables", write("t2.jpg", m_jpeg.left(120)), Outcome::Refused);
    add("JPEG cut in half", write("t3.jpg", m_jpeg.left(m_jpeg.size() / 2)), Outcome::Either);
    add("JPEG without its end marker", write("t4.jpg", m_jpeg.left(m_jpeg.size() - 2)), Outcome::Either);
    add("GIF header only", write("t1.gif", m_gif.left(13)), Outcome::Refused);
    add("GIF cut in its palette", write("t2.gif", m_gif.left(17)), Outcome::Refused);
    add("GIF cut in its picture data", write("t3.gif", m_gif.left(m_gif.size() / 2)), Outcome::Either);
    add("BMP headers only", write("t1.bmp", m_bmp.left(54)), Outcome::Either);
    add("BMP cut in its file header", write("t2.bmp", m_bmp.left(10)), Outcome::Refused);
    add("BMP cut in half", write("t3.bmp", m_bmp.left(m_bmp.size() / 2)), Outcome::Either);
    add("JPEG with flipped bits", write("f.jpg", flipped(m_jpeg, 24, rng)), Outcome::Either);
    add("GIF with flipped bits", write("f.gif", flipped(m_gif, 24, rng)), Outcome::Either);
    add("BMP with flipped bits", write("f.bmp", flipped(m_bmp, 24, rng)), Outcome::Either);
    QByteArray noMagic = m_jpeg;
    noMagic[0] = 'X';
    add("JPEG with a broken start marker", write("m.jpg", noMagic), Outcome::Refused);
    add("JPEG declaring 65535x65535", write("d1.jpg", jpegSaying(m_jpeg, 65535, 65535)), Outcome::Refused);
    add("JPEG declaring 30000x30000", write("d2.jpg", jpegSaying(m_jpeg, 30000, 30000)), Outcome::Refused);
    add("JPEG declaring 0x0", write("d3.jpg", jpegSaying(m_jpeg, 0, 0)), Outcome::Refused);
    add("GIF screen 65535x65535", write("d1.gif", gif(QSize(65535, 65535), QSize(2, 2), 1)), Outcome::Refused);
    add("GIF screen 30000x30000", write("d2.gif", gif(QSize(30000, 30000), QSize(2, 2), 1)), Outcome::Refused);
    add("GIF screen taller than the limit around a small frame",
        write("d5.gif", gif(QSize(48, 65535), QSize(48, 36), 1)), Outcome::Refused);
    add("GIF frame 65535x65535 on a small screen", write("d3.gif", gif(QSize(8, 8), QSize(65535, 65535), 1, 64)),
        Outcome::Either);
    add("BMP declaring 100000x100000", write("d1.bmp", bmp(100000, 100000, 24)), Outcome::Refused);
    add("BMP declaring 100000x100000 at 1 bit", write("d2.bmp", bmp(100000, 100000, 1, 0, 2)), Outcome::Refused);
    add("BMP declaring 65535x65535", write("d3.bmp", bmp(65535, 65535, 32)), Outcome::Refused);
    add("BMP declaring 30000x30000", write("d4.bmp", bmp(30000, 30000, 32)), Outcome::Refused);
    add("BMP with the most negative height", write("d5.bmp", bmp(16, INT32_MIN, 24)), Outcome::Refused);
    add("BMP with 0 bits per pixel", write("d6.bmp", bmp(16, 16, 0)), Outcome::Refused);
    add("BMP with an unknown compression", write("d7.bmp", bmp(16, 16, 24, 99)), Outcome::Refused);
    add("BMP with 4 billion palette entries", write("d8.bmp", bmp(16, 16, 8, 0, 0xFFFFFFFFu)), Outcome::Refused);
    add("BMP pixels beyond the end", write("d9.bmp", bmp(16, 16, 24, 0, 0, 0x7FFFFFF0u)), Outcome::Either);
    add("BMP run-length data that runs away", write("d10.bmp", bmp(16, 16, 8, 1, 0)), Outcome::Either);
    add("PNG declaring 100000x100000", write("d1.png.bmp", png(100000, 100000)), Outcome::Refused);
    add("PNG declaring 65535x65535", write("d2.png.gif", png(65535, 65535)), Outcome::Refused);
    add("PNG declaring 20000x20000", write("d3.png.jpg", png(20000, 20000)), Outcome::Refused);
    add("PNG declaring 0x0", write("d4.png.jpg", png(0, 0)), Outcome::Refused);
    add("PBM declaring 100000x100000", write("d.pbm.bmp", "P4\n100000 100000\n\xff\x00"), Outcome::Refused);
    add("PGM declaring 30000x30000", write("d.pgm.gif", "P5\n30000 30000\n255\n\x10\x20"), Outcome::Refused);
    add("XPM declaring 30000x30000",
        write("d.xpm.jpg", "/* XPM */\nstatic char *x[] = {\n\"30000 30000 2 1\",\n\"a c #000000\",\n"
                           "\"b c #ffffff\",\n\"ab\"\n};\n"),
        Outcome::Refused);
    add("XBM declaring 100000x100000",
        write("d.xbm.bmp", "#define x_width 100000\n#define x_height 100000\nstatic char x_bits[] = {0x00};\n"),
        Outcome::Refused);
    const auto icon = [](const QByteArray& inside) {
        QByteArray bytes = QByteArray::fromHex("000001000100"
                                               "0000000001002000"
                                               "00000000"
                                               "16000000") +
                           inside;
        putLe32(bytes, 14, quint32(inside.size()));
        return bytes;
    };
    add("ICO holding a PNG that declares 65535x65535", write("d.ico.bmp", icon(png(65535, 65535))), Outcome::Refused);
    // Qt's icon reader hands a PNG inside on to its PNG reader, past any look at that PNG's data.
    add("ICO holding a PNG whose data inflate to 256 MiB", write("d2.ico.gif", icon(zeroPng(1024, 256))),
        Outcome::Refused);
    QByteArray bomb = m_gif;
    putLe16(bomb, 6, 6000);
    putLe16(bomb, 8, 6000);
    add("GIF of 6000x6000 made of one small frame", write("d4.gif", bomb), Outcome::Either);

    // Made to cost: small files whose decoding would walk far more than their declared size needs.
    const QByteArray honestJpeg = encoded(greyCard(2048), "JPG", true);
    const QByteArray honestPng = encoded(greyCard(4096), "PNG");
    const QByteArray honestGif = gif(QSize(1024, 1024), QSize(1024, 1024), 1);
    m_costly = {
        {"JPEG of 6000 scans that walk every block", scansJpeg(2048, 6000, false, false), honestJpeg},
        {"the same with a broken table before its last scan", scansJpeg(2048, 6000, true, false), honestJpeg},
        {"the same behind an Exif block", scansJpeg(2048, 6000, false, true), honestJpeg},
        {"PNG whose data inflate to 256 MiB", zeroPng(4096, 256), honestPng},
        {"PNG with 60 texts inflating to 8 MiB each", zeroPng(4096, 17, 60, 8), honestPng},
        {"GIF whose frame spells out 256 megapixels", gif(QSize(1024, 1024), QSize(1024, 1024), 1, 0, 1 << 28),
         honestGif},
    };
    for (const Costly& c : m_costly)
        add(c.name, write(QString::fromUtf8(c.name).replace(' ', '_'), c.costly), Outcome::Refused);
    QVERIFY(m_cases.size() >= 40);

    // One game window with its picker open serves every row.
    m_game = std::make_unique<GameFixture>();
    m_game->g().Command10_Click();
    QVERIFY(m_game->g().sfondo() && m_game->g().sfondo()->isVisible());
}

void TestHostileFiles::cleanupTestCase()
{
    // Let the test directory be removed whatever the rows did to the modes.
    for (const Case& c : m_cases)
        if (QFileInfo(c.path).isFile())
            ::chmod(QFile::encodeName(c.path).constData(), 0600);
    if (m_listener >= 0)
        ::close(m_listener);
    m_game.reset();
    m_watchdog.reset();
}

void TestHostileFiles::pickedFile_data()
{
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < m_cases.size(); ++i)
        QTest::newRow(qPrintable(m_cases[i].name)) << int(i);
}

void TestHostileFiles::pickedFile()
{
    QFETCH(int, index);
    const Case& c = m_cases[std::size_t(index)];
    if (!c.skipWhen.isEmpty())
        QSKIP(qPrintable(c.skipWhen));

    // Straight through the decoder. What a file costs is checked on its own below; a hang trips the watchdog.
    QElapsedTimer clock;
    clock.start();
    m_watchdog->begin(qPrintable(c.name));
    const QImage image = PictureDecoder::loadFile(c.path);
    m_watchdog->end();
    const qint64 decodeMs = clock.elapsed();
    if (!image.isNull()) {
        QVERIFY(image.sizeInBytes() <= DecodedLimitBytes);
        QVERIFY(image.width() <= PictureDecoder::MaxSide && image.height() <= PictureDecoder::MaxSide);
    }
    if (c.outcome == Outcome::Refused)
        QVERIFY2(image.isNull(),
                 qPrintable(QStringLiteral("accepted as %1x%2").arg(image.width()).arg(image.height())));
    if (c.outcome == Outcome::Accepted)
        QCOMPARE(image.size(), c.size);
    if (c.outcome == Outcome::Either)
        qInfo("%s in %lld ms",
              image.isNull() ? "refused"
                             : qPrintable(QStringLiteral("decoded as %1x%2").arg(image.width()).arg(image.height())),
              decodeMs);

    // Through "Altri sfondi": a refused file changes nothing and says nothing; a good one is previewed.
    frmSfondo* picker = m_game->g().sfondo();
    const qint64 before = picker->preview().cacheKey();
    m_game->platform.messages.clear();
    m_game->platform.files.push_back(c.path);
    m_watchdog->begin(qPrintable(c.name));
    picker->Command3_Click();
    m_watchdog->end();
    QVERIFY(m_game->platform.files.empty());
    QVERIFY(m_game->platform.messages.isEmpty());
    QCOMPARE(m_game->platform.exits, 0);
    if (image.isNull()) {
        QCOMPARE(picker->preview().cacheKey(), before);
    } else {
        QVERIFY(picker->preview().cacheKey() != before);
        QCOMPARE(picker->preview().size(), image.size());
    }
}

void TestHostileFiles::costlyPictureCostsNoMoreThanAnHonestOneOfItsSize_data()
{
    QTest::addColumn<int>("index");
    for (std::size_t i = 0; i < m_costly.size(); ++i)
        QTest::newRow(m_costly[i].name.constData()) << int(i);
}

void TestHostileFiles::costlyPictureCostsNoMoreThanAnHonestOneOfItsSize()
{
    // The decoding thread's CPU time against that of an honest picture of the same declared size, decoded in
    // turn in the same run, the least of five tries each: a busy machine slows both alike (and a try now and
    // then), while paying for what a costly file asks for costs many times the honest picture.
    QFETCH(int, index);
    const Costly& c = m_costly[std::size_t(index)];
    QImage picture, refused;
    qint64 honest = std::numeric_limits<qint64>::max(), costly = honest;
    m_watchdog->begin(c.name.constData());
    for (int i = 0; i < 5; ++i) {
        honest = qMin(honest, threadCpuNs([&] { picture = PictureDecoder::decode(c.honest); }));
        costly = qMin(costly, threadCpuNs([&] { refused = PictureDecoder::decode(c.costly); }));
    }
    m_watchdog->end();
    qInfo("%.1f ms of CPU, an honest picture %.1f ms", double(costly) / 1e6, double(honest) / 1e6);
    QVERIFY(!picture.isNull());
    QVERIFY(refused.isNull());
    QVERIFY2(costly <= honest, qPrintable(QStringLiteral("%1 ms against %2 ms").arg(costly / 1e6).arg(honest / 1e6)));
}

void TestHostileFiles::seededMutationsDecodeSafely()
{
    const QByteArray* originals[] = {&m_jpeg, &m_gif, &m_bmp, &m_png};
    const char* names[] = {"JPEG", "GIF", "BMP", "PNG"};
    std::mt19937 rng(777);
    int decoded = 0;
    qint64 slowest = 0;
    QElapsedTimer total;
    total.start();
    // A hang trips the watchdog; what a picture may cost is held to an honest one's by the test above.
    constexpr int Mutations = 6000;
    for (int i = 0; i < Mutations; ++i) {
        const int kind = i % 4;
        const QByteArray bytes = mutated(*originals[kind], rng);
        const QByteArray name = QStringLiteral("mutation %1 of the %2").arg(i).arg(names[kind]).toUtf8();
        QImage image;
        m_watchdog->begin(name.constData());
        slowest = qMax(slowest, threadCpuNs([&] { image = PictureDecoder::decode(bytes); }) / 1000000);
        m_watchdog->end();
        if (!image.isNull()) {
            ++decoded;
            QVERIFY2(
                image.sizeInBytes() <= DecodedLimitBytes && image.width() <= PictureDecoder::MaxSide &&
                    image.height() <= PictureDecoder::MaxSide,
                qPrintable(QStringLiteral("%1 decoded as %2x%3").arg(name).arg(image.width()).arg(image.height())));
        }
    }
    qInfo("%d mutations in %lld ms, %d still decoded, slowest %lld ms of CPU", Mutations, total.elapsed(), decoded,
          slowest);
    // Most small mutations leave a picture that still decodes; if none did, the mutations tested nothing.
    QVERIFY(decoded > Mutations / 10);
    QVERIFY(decoded < Mutations);
}

void TestHostileFiles::sizeLimitHoldsForAGifScreenLargerThanItsFirstFrame()
{
    // A GIF whose screen outgrew its first frame once slipped past the size limit.
    // The header check saw only the 48x36 frame; the decoded picture is the whole 48x65535 screen.
    QVERIFY(PictureDecoder::decode(gif(QSize(48, 65535), QSize(48, 36), 1)).isNull());
    QVERIFY(PictureDecoder::decode(gif(QSize(PictureDecoder::MaxSide + 1, 4), QSize(4, 4), 1)).isNull());
    // At the limit itself the picture is fine.
    QCOMPARE(PictureDecoder::decode(gif(QSize(48, PictureDecoder::MaxSide), QSize(48, 36), 1)).size(),
             QSize(48, PictureDecoder::MaxSide));
}

void TestHostileFiles::memoryStaysBounded()
{
    const qint64 rss = statusKiB("VmRSS");
    const qint64 peak = statusKiB("VmHWM");
    qInfo("resident %lld MiB, peak %lld MiB", rss / 1024, peak / 1024);
    QVERIFY(rss > 0);
    QVERIFY2(rss < RssLimitKiB, qPrintable(QStringLiteral("resident %1 MiB").arg(rss / 1024)));
    QVERIFY2(peak < RssLimitKiB, qPrintable(QStringLiteral("peak %1 MiB").arg(peak / 1024)));
}

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
