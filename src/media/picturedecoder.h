// Decoding pictures safely: from the program's own bytes, and from files the player picks, which may be
// anything at all (a directory, a pipe, a device, a huge or broken file, or a picture made to cost).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace PictureDecoder {

// The most a picture file may weigh; real pictures are far smaller.
constexpr qint64 MaxFileBytes = 256LL * 1024 * 1024;
// The most a decoded picture may take in memory, in megabytes.
constexpr int MaxDecodedMegabytes = 256;
constexpr qint64 MaxDecodedBytes = qint64(MaxDecodedMegabytes) * 1024 * 1024;
// The longest side a picture may have, in pixels.
constexpr int MaxSide = 32768;

// The first frame of the picture in `bytes`, or a null image when it is none, would be absurdly large, or
// would cost more to decode than an honest picture of its declared size: JPEG through the game's own decoder,
// BMP, GIF, PNG and Qt's other built-in formats through Qt's readers once the work they would do is known to
// be bounded. Safe to call from any thread once the application object exists.
QImage decode(const QByteArray& bytes);

// The bytes of a regular file no larger than MaxFileBytes; nothing for anything else. Never blocks on a
// pipe or a device.
std::optional<QByteArray> readPictureFile(const QString& path);

// readPictureFile, then decode.
QImage loadFile(const QString& path);

// loadFile on a thread of its own, while the calling thread's event loop goes on (timers tick, windows
// answer, handlers run); returns once the file is decoded or refused.
QImage loadFileAside(const QString& path);

} // namespace PictureDecoder
