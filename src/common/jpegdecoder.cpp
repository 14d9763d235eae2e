#include "jpegdecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <limits>
#include <vector>

namespace JpegDecoder {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return: it jumps back to the decoder.
// Only the two small functions below set the jump point, and they hold nothing that needs a destructor.
struct Decoder
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    std::jmp_buf jump{};
};

[[noreturn]] void jumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Decoder*>(info->client_data)->jump, 1);
}

// A broken stream is the player's picture, not our fault: no messages on the console.
void quiet(j_common_ptr) {}

bool hasOrientationTag(const jpeg_decompress_struct& info)
{
    static const char exif[] = "Exif\0";
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker == JPEG_APP0 + 1 && marker->data_length >= sizeof exif &&
            std::memcmp(marker->data, exif, sizeof exif) == 0)
            return true;
    }
    return false;
}

bool readHeader(Decoder& d, const QByteArray& bytes)
{
    if (setjmp(d.jump))
        return false;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 0xFFFF);
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    // libjpeg turns YCbCr and grey into any RGB layout, but not CMYK; Qt's reader handles those.
    if (d.info.jpeg_color_space != JCS_YCbCr && d.info.jpeg_color_space != JCS_GRAYSCALE &&
        d.info.jpeg_color_space != JCS_RGB)
        return false;
    if (hasOrientationTag(d.info))
        return false;
    d.info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    return true;
}

bool readRows(Decoder& d, std::vector<JSAMPROW>& rows)
{
    if (setjmp(d.jump))
        return false;
    if (!jpeg_start_decompress(&d.info))
        return false;
    if (d.info.output_components != 4 || d.info.output_height != rows.size())
        return false;
    while (d.info.output_scanline < d.info.output_height) {
        const JDIMENSION before = d.info.output_scanline;
        jpeg_read_scanlines(&d.info, rows.data() + before, d.info.output_height - before);
        if (d.info.output_scanline == before)
            return false; // cannot happen with a memory source; never loop on it
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// A JPEG stream starts with the start-of-image marker and another marker right after it.
bool looksLikeJpeg(const QByteArray& bytes)
{
    return bytes.size() > 3 && static_cast<uchar>(bytes[0]) == 0xFF && static_cast<uchar>(bytes[1]) == 0xD8 &&
           static_cast<uchar>(bytes[2]) == 0xFF;
}

} // namespace

QImage decode(const QByteArray& bytes, int maxSide, qint64 maxBytes)
{
    if (!looksLikeJpeg(bytes) || quint64(bytes.size()) > std::numeric_limits<unsigned long>::max())
        return {};
    Decoder d;
    d.info.err = jpeg_std_error(&d.errors);
    d.errors.error_exit = jumpBack;
    d.errors.output_message = quiet;
    d.info.client_data = &d;
    jpeg_create_decompress(&d.info);

    QImage image;
    if (readHeader(d, bytes)) {
        const qint64 width = d.info.image_width;
        const qint64 height = d.info.image_height;
        if (width > 0 && height > 0 && width <= maxSide && height <= maxSide && width * height * 4 <= maxBytes) {
            image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
            if (!image.isNull()) {
                std::vector<JSAMPROW> rows(static_cast<size_t>(height));
                for (int y = 0; y < image.height(); ++y)
                    rows[static_cast<size_t>(y)] = image.scanLine(y);
                if (!readRows(d, rows))
                    image = QImage();
            }
        }
    }
    jpeg_destroy_decompress(&d.info);
    return image;
}

} // namespace JpegDecoder
