// The bytes of a resource compiled into the program, read in place.
#pragma once

#include <QByteArrayView>
#include <QResource>
#include <QString>
#include <optional>

namespace ResourceBytes {

// The resource's bytes when it is stored uncompressed: they lie in the program's image and last as long as it,
// so they can be read without a copy. Nothing for a missing or compressed resource (read those with QFile).
inline std::optional<QByteArrayView> stored(const QString& path)
{
    const QResource resource(path);
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression)
        return std::nullopt;
    return QByteArrayView(reinterpret_cast<const char*>(resource.data()), static_cast<qsizetype>(resource.size()));
}

} // namespace ResourceBytes
