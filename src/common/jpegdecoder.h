// JPEG straight into Qt's 32-bit pixels with libjpeg-turbo, the library Qt's own reader uses: Qt's reader
// decodes to 24-bit rows and converts each one, which is most of what a picker page costs. It touches nothing
// of Qt's plugin machinery, so it may run on any thread, before the application object exists.
#pragma once

#include <QByteArray>
#include <QImage>

namespace JpegDecoder {

// More passes over the picture's blocks than this, counted scan by scan, are work no encoder asks for: a
// progressive stream takes five or six, while a stream of thousands of cheap scans would cost a pass each.
constexpr int MaxPasses = 32;

// Whether the bytes start as every JPEG stream does. Such bytes are this decoder's alone: what it refuses is
// refused for good, never handed to another reader to pay for again.
bool isJpeg(const QByteArray& bytes);

// The picture as Format_RGB32, with the same pixels as Qt's reader gives (CMYK turned into RGB as Qt does,
// an orientation tag ignored as Qt's reader does by default), or a null image: not a JPEG, a stream libjpeg
// gives up on, wider or taller than `maxSide`, more than `maxBytes` of pixels, more than MaxPasses over its
// blocks, or asking libjpeg for more working memory than one and a half times the picture (what a progressive
// stream of three full-size colours needs). A stream that merely ends early decodes as far as it goes, the
// rest grey, as with Qt.
QImage decode(const QByteArray& bytes, int maxSide, qint64 maxBytes);

} // namespace JpegDecoder
