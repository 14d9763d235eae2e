#include "jpegdecoder.h"

#include <csetjmp>
#include <cstdio>
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
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    // The blocks the scans read so far walk, against what MaxPasses over the whole picture allow.
    int lastScan = 0;
    qint64 blocksWalked = 0;
    qint64 blockBudget = 0;
};

[[noreturn]] void jumpBack(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Decoder*>(info->client_data)->jump, 1);
}

// A broken stream is the player's picture, not our fault: no messages on the console.
void quiet(j_common_ptr) {}

// libjpeg calls this as it reads the stream, before the data of each scan: the scan is charged the blocks it
// walks before it costs anything, and a scan that goes past the budget ends the decode.
void chargeScans(j_common_ptr common)
{
    Decoder& d = *reinterpret_cast<Decoder*>(common->client_data);
    if (d.info.input_scan_number == d.lastScan)
        return;
    d.lastScan = d.info.input_scan_number;
    for (int i = 0; i < d.info.comps_in_scan; ++i) {
        const jpeg_component_info& component = *d.info.cur_comp_info[i];
        d.blocksWalked += qint64(component.width_in_blocks) * component.height_in_blocks;
    }
    if (d.blocksWalked > d.blockBudget)
        jumpBack(common);
}

bool readHeader(Decoder& d, const QByteArray& bytes)
{
    if (setjmp(d.jump))
        return false;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    switch (d.info.jpeg_color_space) {
    case JCS_YCbCr:
    case JCS_GRAYSCALE:
    case JCS_RGB:
        d.info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        return true;
    case JCS_CMYK:
    case JCS_YCCK:
        // Four bytes a pixel too, turned into RGB in place afterwards.
        d.info.out_color_space = JCS_CMYK;
        return true;
    default:
        // Qt's reader takes no other kind either.
        return false;
    }
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

// Qt's reader turns CMYK into RGB this way: the ink as stored (Adobe's inverted form), scaled by black, the
// product rounded to the nearest level (Qt 6.8 rounds it; Qt 6.4 cut it, a level darker at most).
void cmykToRgb(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        uchar* pixel = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, pixel += 4) {
            const int k = pixel[3];
            *reinterpret_cast<QRgb*>(pixel) =
                qRgb((k * pixel[0] + 127) / 255, (k * pixel[1] + 127) / 255, (k * pixel[2] + 127) / 255);
        }
    }
}

} // namespace

bool isJpeg(const QByteArray& bytes)
{
    return bytes.size() >= 2 && static_cast<uchar>(bytes[0]) == 0xFF && static_cast<uchar>(bytes[1]) == 0xD8;
}

QImage decode(const QByteArray& bytes, int maxSide, qint64 maxBytes)
{
    if (!isJpeg(bytes) || quint64(bytes.size()) > std::numeric_limits<unsigned long>::max())
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
            qint64 blocks = 0;
            for (int c = 0; c < d.info.num_components; ++c)
                blocks += qint64(d.info.comp_info[c].width_in_blocks) * d.info.comp_info[c].height_in_blocks;
            d.blockBudget = blocks * MaxPasses;
            d.progress.progress_monitor = chargeScans;
            d.info.progress = &d.progress;
            // A progressive stream keeps every block's coefficients until its last scan, two bytes a sample:
            // three colours at full size take one and a half times the picture itself, the most a screen
            // picture asks for (print's four, CMYK, take twice, and are refused when large). The margin covers
            // libjpeg's small buffers and a small picture's rounding up to whole blocks.
            d.info.mem->max_memory_to_use = static_cast<long>(width * height * 4 * 3 / 2 + 16 * 1024 * 1024);
            image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
            if (!image.isNull()) {
                std::vector<JSAMPROW> rows(static_cast<size_t>(height));
                for (int y = 0; y < image.height(); ++y)
                    rows[static_cast<size_t>(y)] = image.scanLine(y);
                if (!readRows(d, rows))
                    image = QImage();
                else if (d.info.out_color_space == JCS_CMYK)
                    cmykToRgb(image);
            }
        }
    }
    jpeg_destroy_decompress(&d.info);
    return image;
}

} // namespace JpegDecoder
