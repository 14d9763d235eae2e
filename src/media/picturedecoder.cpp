#include "picturedecoder.h"

#include "common/jpegdecoder.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace PictureDecoder {

namespace {

// The most pixels a picture within the caps holds, once in 32-bit pixels.
constexpr qint64 MaxPixels = MaxDecodedBytes / 4;

// What a reader may be handed beyond what a picture needs before it counts as made to cost: an eighth more,
// and a little for the smallest pictures.
qint64 withSlack(qint64 needed)
{
    return needed + needed / 8 + 64 * 1024;
}

// Inflates a zlib stream handed over in pieces into a scratch buffer, counting what it gives, and says when
// that passes a limit. A stream that ends or breaks stops counting: a reader stops there too.
class InflateMeter
{
public:
    explicit InflateMeter(qint64 limit) : m_limit(limit), m_scratch(64 * 1024)
    {
        m_done = inflateInit(&m_stream) != Z_OK;
    }
    ~InflateMeter() { inflateEnd(&m_stream); }
    InflateMeter(const InflateMeter&) = delete;
    InflateMeter& operator=(const InflateMeter&) = delete;

    // False once the stream has given more than the limit.
    bool feed(const uchar* data, qint64 size)
    {
        while (!m_done && size > 0) {
            const uInt piece = static_cast<uInt>(qMin<qint64>(size, 1 << 30));
            m_stream.next_in = const_cast<uchar*>(data);
            m_stream.avail_in = piece;
            do {
                m_stream.next_out = m_scratch.data();
                m_stream.avail_out = static_cast<uInt>(m_scratch.size());
                const int result = inflate(&m_stream, Z_NO_FLUSH);
                m_given += qint64(m_scratch.size()) - m_stream.avail_out;
                if (m_given > m_limit)
                    return false;
                if (result != Z_OK) {
                    // The end, a broken stream, or one that needs more than this piece.
                    m_done = result != Z_BUF_ERROR;
                    break;
                }
            } while (m_stream.avail_out == 0);
            data += piece - m_stream.avail_in;
            size -= piece - m_stream.avail_in;
            if (m_stream.avail_in == piece && !m_done)
                break; // no progress at all: wait for the next piece
        }
        return true;
    }
    qint64 given() const { return m_given; }

private:
    z_stream m_stream{};
    qint64 m_limit;
    qint64 m_given = 0;
    bool m_done = false;
    std::vector<uchar> m_scratch;
};

// The bytes of the filtered rows a PNG of this header decodes from: a filter byte and the packed samples of
// every row, of each of the seven passes when interlaced. 0 for a header libpng refuses, or a picture larger
// than the caps.
qint64 pngRowBytes(quint32 width, quint32 height, int depth, int colourType, int interlace)
{
    // Per colour type: the samples of a pixel, and the sample depths allowed (as a set of bits).
    const int channels[] = {1, 0, 3, 1, 2, 0, 4};
    const int depths[] = {1 << 1 | 1 << 2 | 1 << 4 | 1 << 8 | 1 << 16,
                          0,
                          1 << 8 | 1 << 16,
                          1 << 1 | 1 << 2 | 1 << 4 | 1 << 8,
                          1 << 8 | 1 << 16,
                          0,
                          1 << 8 | 1 << 16};
    if (colourType < 0 || colourType > 6 || depth < 1 || depth > 16 || !(depths[colourType] & 1 << depth) ||
        interlace > 1 || width == 0 || height == 0 || width > quint32(MaxSide) || height > quint32(MaxSide) ||
        qint64(width) * height > MaxPixels)
        return 0;
    const qint64 bits = qint64(channels[colourType]) * depth;
    const auto rows = [bits](qint64 w, qint64 h) { return w && h ? h * (1 + (w * bits + 7) / 8) : 0; };
    if (interlace == 0)
        return rows(width, height);
    const int passes[7][4] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                              {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};
    qint64 total = 0;
    for (const auto& p : passes) {
        const qint64 w = width > quint32(p[0]) ? (width - p[0] + p[1] - 1) / p[1] : 0;
        const qint64 h = height > quint32(p[2]) ? (height - p[2] + p[3] - 1) / p[3] : 0;
        total += rows(w, h);
    }
    return total;
}

// Where the compressed stream of a zTXt or iCCP chunk starts (after a keyword, its end and a method byte), or
// that of an iTXt chunk flagged compressed (after a keyword, a flag, a method, a language and a translated
// keyword); nullptr for any other chunk.
const uchar* compressedPart(const uchar* type, const uchar* body, const uchar* end)
{
    const auto pastZero = [end](const uchar* from) -> const uchar* {
        const void* zero = from && from < end ? std::memchr(from, 0, size_t(end - from)) : nullptr;
        return zero ? static_cast<const uchar*>(zero) + 1 : nullptr;
    };
    if (std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iCCP", 4) == 0) {
        const uchar* keywordEnd = pastZero(body);
        return keywordEnd && keywordEnd < end ? keywordEnd + 1 : nullptr;
    }
    if (std::memcmp(type, "iTXt", 4) != 0)
        return nullptr;
    const uchar* flag = pastZero(body);
    if (!flag || flag + 2 > end || *flag == 0)
        return nullptr;
    return pastZero(pastZero(flag + 2));
}

// libpng inflates the whole of a PNG's picture data, however far past the last row it runs, and every
// compressed text and colour profile. This inflates them first, counting: no more than the rows need (with a
// little slack), and a few megabytes of texts and profile.
bool pngWorkBounded(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    constexpr qint64 Signature = 8;
    if (size < Signature + 8 + 13 || qFromBigEndian<quint32>(data + Signature) != 13 ||
        std::memcmp(data + Signature + 4, "IHDR", 4) != 0)
        return false;
    const uchar* header = data + Signature + 8;
    const qint64 rowBytes = pngRowBytes(qFromBigEndian<quint32>(header), qFromBigEndian<quint32>(header + 4), header[8],
                                        header[9], header[12]);
    if (rowBytes == 0)
        return false;

    constexpr qint64 AncillaryBytes = 16 * 1024 * 1024;
    constexpr int AncillaryChunks = 64;
    InflateMeter rows(withSlack(rowBytes));
    qint64 ancillaryGiven = 0;
    int ancillaryChunks = 0;
    for (qint64 at = Signature; at + 12 <= size;) {
        const qint64 length = qFromBigEndian<quint32>(data + at);
        const uchar* type = data + at + 4;
        const uchar* body = data + at + 8;
        const qint64 available = qMin(length, size - at - 8);
        if (std::memcmp(type, "IDAT", 4) == 0) {
            if (!rows.feed(body, available))
                return false;
        } else if (const uchar* stream = compressedPart(type, body, body + available)) {
            if (++ancillaryChunks > AncillaryChunks)
                return false;
            InflateMeter text(AncillaryBytes - ancillaryGiven);
            if (!text.feed(stream, body + available - stream))
                return false;
            ancillaryGiven += text.given();
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        if (length > size - at - 12)
            break;
        at += 12 + length;
    }
    return true;
}

// Qt's GIF reader walks every pixel the first frame's picture data spell out, inside the frame or far past
// it: this counts them from the codes alone, as Qt's reader reads them, and allows the frame's own pixels.
bool gifWorkBounded(const QByteArray& bytes)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    const auto le16 = [data](qint64 at) { return qint64(data[at]) | qint64(data[at + 1]) << 8; };
    // Sub-blocks: a length byte and that many bytes, up to a length of 0.
    const auto skipBlocks = [data, size](qint64 at) {
        while (at < size && data[at] != 0)
            at += 1 + data[at];
        return at + 1;
    };
    qint64 at = 13;
    if (size < at)
        return true;
    if (data[10] & 0x80)
        at += 3 * (2 << (data[10] & 7));
    // Whatever comes before the first frame. Qt reads the first block of a graphic control or application
    // extension whatever length it states, even 0, and then the sub-blocks after it.
    while (at < size && data[at] == 0x21) {
        at += 2;
        if (at - 1 < size && (data[at - 1] == 0xF9 || data[at - 1] == 0xFF) && at < size)
            at += 1 + data[at];
        at = skipBlocks(at);
    }
    if (at + 11 > size || data[at] != 0x2C)
        return true; // no frame: Qt's reader has no picture data to walk
    const qint64 framePixels = qMin(le16(at + 5) * le16(at + 7), MaxPixels);
    const uchar flags = data[at + 9];
    at += 10;
    if (flags & 0x80)
        at += 3 * (2 << (flags & 7));
    if (at >= size || data[at] > 12)
        return true; // Qt's reader stops at a code size over 12 bits
    const int rootBits = data[at++];
    const int clear = 1 << rootBits;
    const qint64 allowed = withSlack(framePixels);

    // The length of each code's string, as Qt builds its table; a string Qt cannot walk counts as the longest
    // it would walk before giving up.
    constexpr int Longest = 8192;
    std::vector<int> length(4096, 1);
    int codeBits = rootBits + 1, limitCode = 2 * clear, nextCode = clear + 2, oldCode = 0;
    bool first = true;
    qint64 pixels = 0;
    const auto lengthOf = [&](int code) {
        return code < clear ? 1 : code >= clear + 2 && code < nextCode ? length[size_t(code)] : Longest;
    };
    quint32 accumulator = 0;
    int bits = 0;
    while (at < size && data[at] != 0) {
        const qint64 blockEnd = qMin(size, at + 1 + data[at]);
        for (++at; at < blockEnd; ++at) {
            accumulator |= quint32(data[at]) << bits;
            bits += 8;
            while (bits >= codeBits) {
                const int code = int(accumulator & ((1u << codeBits) - 1));
                accumulator >>= codeBits;
                bits -= codeBits;
                if (code == clear) {
                    codeBits = rootBits + 1, limitCode = 2 * clear, nextCode = clear + 2;
                    first = true;
                } else if (code == clear + 1) {
                    return true; // the end: Qt reads no further codes
                } else if (first) {
                    pixels += 1;
                    oldCode = code;
                    first = false;
                } else {
                    if (code >= nextCode && oldCode >= nextCode)
                        return true; // Qt's reader gives up on this code
                    pixels += code >= nextCode ? lengthOf(oldCode) + 1 : lengthOf(code);
                    if (nextCode < 4096) {
                        length[size_t(nextCode)] = qMin(lengthOf(oldCode) + 1, Longest);
                        if (++nextCode >= limitCode && limitCode < 4096) {
                            limitCode *= 2;
                            ++codeBits;
                        }
                    }
                    oldCode = code;
                }
                if (pixels > allowed)
                    return false;
            }
        }
    }
    return true;
}

// The formats Qt reads that are known to cost no more than their size: its built-in readers, and GIF and PNG
// once their picture data are counted. JPEG never gets here. The rest (icons holding PNGs, and whatever
// plugins a desktop adds, such as SVG) are refused.
bool qtMayRead(const QByteArray& format, const QByteArray& bytes)
{
    if (format == "png")
        return pngWorkBounded(bytes);
    if (format == "gif")
        return gifWorkBounded(bytes);
    return format == "bmp" || format == "pbm" || format == "pgm" || format == "ppm" || format == "xbm" ||
           format == "xpm";
}

std::once_flag allocationLimitSet;

} // namespace

QImage decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return {};
    // JPEG straight into 32-bit pixels; what that decoder refuses is refused.
    if (JpegDecoder::isJpeg(bytes))
        return JpegDecoder::decode(bytes, MaxSide, MaxDecodedBytes);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (!qtMayRead(format, bytes))
        return {};
    buffer.seek(0);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    // The reader refuses pictures whose declared size would need more memory than this.
    std::call_once(allocationLimitSet, [] { QImageReader::setAllocationLimit(MaxDecodedMegabytes); });
    // Whatever the reader's own format, the picture is shown in 32-bit pixels.
    const auto tooLarge = [](QSize size) {
        return size.width() > MaxSide || size.height() > MaxSide || qint64(size.width()) * size.height() > MaxPixels;
    };
    const QSize declared = reader.size();
    if (declared.isValid() && tooLarge(declared))
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    // The size a header declares need not be the size decoded: a GIF reports its first frame, yet is drawn
    // on its whole screen.
    if (tooLarge(image.size()))
        return {};
    return image;
}

std::optional<QByteArray> readPictureFile(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return std::nullopt;
    // Non-blocking, so that a pipe with no writer cannot hold the game; only regular files are read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > MaxFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes;
    bytes.resize(static_cast<qsizetype>(info.st_size));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    ::close(fd);
    bytes.truncate(done);
    return bytes;
}

QImage loadFile(const QString& path)
{
    const auto bytes = readPictureFile(path);
    return bytes ? decode(*bytes) : QImage();
}

QImage loadFileAside(const QString& path)
{
    QImage picture;
    QEventLoop waiting;
    std::thread worker([&] {
        try {
            picture = loadFile(path);
        } catch (...) {
            // Out of memory for a picture is a picture refused.
        }
        QMetaObject::invokeMethod(&waiting, &QEventLoop::quit, Qt::QueuedConnection);
    });
    waiting.exec();
    // Only a quitting application ends the wait early; the decode's work is bounded, so waiting for it is too.
    worker.join();
    return picture;
}

} // namespace PictureDecoder
