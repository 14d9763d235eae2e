#include "picturedecoder.h"

#include "common/jpegdecoder.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PictureDecoder {

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
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    // The reader refuses pictures whose declared size would need more memory than this.
    QImageReader::setAllocationLimit(MaxDecodedMegabytes);
    const auto tooLarge = [](QSize size) { return size.width() > MaxSide || size.height() > MaxSide; };
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

} // namespace PictureDecoder
