#include "pictures.h"

#include <QBitmap>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

namespace Pictures {

QPixmap load(const QString& path)
{
    if (qApp && qApp->devicePixelRatio() >= 1.5) {
        QString twin = path;
        twin.insert(twin.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        if (QFile::exists(twin)) {
            QPixmap picture(twin);
            picture.setDevicePixelRatio(2.0);
            return picture;
        }
    }
    return QPixmap(path);
}

QPixmap loadKeyed(const QString& path)
{
    QImage image(path);
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb magenta = qRgb(255, 0, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFFu) == (magenta & 0xFFFFFFu))
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace Pictures
