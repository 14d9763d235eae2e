// JPEG straight into Qt's 32-bit pixels with libjpeg-turbo, the library Qt's own reader uses: Qt's reader
// decodes to 24-bit rows and converts each one, which is most of what a picker page costs. It touches nothing
// of Qt's plugin machinery, so it may run on any thread, before the application object exists.
#pragma once

#include <QByteArray>
#include <QImage>

namespace JpegDecoder {

// The picture as Format_RGB32, or a null image when this decoder does not take it: not a JPEG, a stream
// libjpeg gives up on, colour stored as CMYK, an orientation tag to honour, wider or taller than `maxSide`, or
// more than `maxBytes` of pixels. A stream that merely ends early decodes as far
// as it goes, the rest grey, as with Qt. Callers hand what this refuses to Qt's reader, which has the last word.
QImage decode(const QByteArray& bytes, int maxSide, qint64 maxBytes);

} // namespace JpegDecoder
