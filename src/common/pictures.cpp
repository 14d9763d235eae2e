#include "pictures.h"

#include "common/jpegdecoder.h"
#include "common/resourcebytes.h"

#include <QBitmap>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace Pictures {

struct Prefetch::State
{
    std::mutex mutex;
    std::condition_variable decoded;
    QStringList waiting;          // not decoded yet
    QHash<QString, QImage> ready; // decoded, not taken yet
    std::thread thread;
};

namespace {

// The prefetch load() takes from; only the main thread sets and clears it.
std::shared_ptr<Prefetch::State> current;

std::optional<QImage> takePrefetched(const QString& path)
{
    if (!current)
        return std::nullopt;
    Prefetch::State& state = *current;
    std::unique_lock lock(state.mutex);
    state.decoded.wait(lock, [&] { return !state.waiting.contains(path); });
    const auto it = state.ready.find(path);
    if (it == state.ready.end())
        return std::nullopt;
    QImage image = std::move(*it);
    state.ready.erase(it);
    return image;
}

} // namespace

Prefetch::Prefetch(const QStringList& paths) : m_state(std::make_shared<State>())
{
    m_state->waiting = paths;
    m_state->thread = std::thread([state = m_state.get()] {
        for (;;) {
            QString path;
            {
                const std::lock_guard lock(state->mutex);
                if (state->waiting.isEmpty())
                    return;
                path = state->waiting.constFirst();
            }
            // Straight from the program's own bytes; the JPEG decoder needs nothing of Qt's plugins, which
            // must not load before the application object exists.
            QImage image;
            if (const auto bytes = ResourceBytes::stored(path))
                image = JpegDecoder::decode(QByteArray::fromRawData(bytes->data(), bytes->size()), 4096,
                                            64LL * 1024 * 1024);
            const std::lock_guard lock(state->mutex);
            state->waiting.removeFirst();
            if (!image.isNull())
                state->ready.insert(path, std::move(image));
            state->decoded.notify_all();
        }
    });
    current = m_state;
}

Prefetch::~Prefetch()
{
    if (current == m_state)
        current.reset();
    m_state->thread.join();
}

namespace {

// Our own pictures are what their names say. Reading them as that format only keeps Qt from asking each of its
// image plugins in turn whether it can read the bytes, which loads every one of them.
QImage readOwn(const QString& path)
{
    QImageReader reader(path);
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot > path.lastIndexOf(QLatin1Char('/'))) {
        reader.setFormat(path.mid(dot + 1).toLatin1());
        reader.setAutoDetectImageFormat(false);
    }
    return reader.read();
}

} // namespace

QPixmap fromFile(const QString& path)
{
    return QPixmap::fromImage(readOwn(path));
}

QPixmap load(const QString& path)
{
    if (qApp && qApp->devicePixelRatio() >= 1.5) {
        QString twin = path;
        twin.insert(twin.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        if (QFile::exists(twin)) {
            QPixmap picture = fromFile(twin);
            picture.setDevicePixelRatio(2.0);
            return picture;
        }
    }
    if (auto image = takePrefetched(path))
        return QPixmap::fromImage(std::move(*image));
    return fromFile(path);
}

QPixmap loadKeyed(const QString& path)
{
    QImage image = readOwn(path);
    if (image.isNull())
        return {};
    // The layout a pixmap keeps, so that handing it over converts nothing; a keyed pixel is 0 in either.
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QRgb magenta = qRgb(255, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == (magenta & 0xFFFFFFu))
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(std::move(image));
}

} // namespace Pictures
