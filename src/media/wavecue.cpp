#include "wavecue.h"

#include <QtEndian>

namespace {

quint32 le32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}
quint16 le16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

// The samples' place in a wave's bytes, and their format.
struct WaveLayout
{
    PcmFormat format;
    qsizetype offset;
    qsizetype length;
};

std::optional<WaveLayout> readLayout(QByteArrayView bytes)
{
    const qsizetype size = bytes.size();
    const char* data = bytes.data();
    if (size < 12 || bytes.first(4) != "RIFF" || bytes.sliced(8, 4) != "WAVE")
        return std::nullopt;

    std::optional<PcmFormat> format;
    qsizetype pos = 12;
    while (pos + 8 <= size) {
        const QByteArrayView id = bytes.sliced(pos, 4);
        const quint32 chunkSize = le32(data + pos + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = size - body;
        if (id == "fmt ") {
            if (chunkSize < 16 || available < 16)
                return std::nullopt;
            const quint16 tag = le16(data + body);
            const quint16 channels = le16(data + body + 2);
            const quint32 rate = le32(data + body + 4);
            const quint16 bits = le16(data + body + 14);
            if (tag != 1 || channels < 1 || channels > 2 || rate < 4000 || rate > 192000 || (bits != 8 && bits != 16))
                return std::nullopt;
            format = PcmFormat(static_cast<int>(rate), channels, bits);
        } else if (id == "data") {
            if (!format)
                return std::nullopt;
            // A data chunk that claims more than the file holds is cut to what is there, whole frames only.
            qsizetype length = qMin<qsizetype>(static_cast<qsizetype>(chunkSize), available);
            length -= length % format->bytesPerFrame();
            if (length <= 0)
                return std::nullopt;
            return WaveLayout{*format, body, length};
        }
        if (static_cast<qsizetype>(chunkSize) > available)
            return std::nullopt;
        pos = body + static_cast<qsizetype>(chunkSize) + (chunkSize & 1u);
    }
    return std::nullopt;
}

} // namespace

std::optional<WaveCue> parseWave(const QByteArray& bytes)
{
    const auto layout = readLayout(bytes);
    if (!layout)
        return std::nullopt;
    return WaveCue{layout->format, bytes.mid(layout->offset, layout->length)};
}

std::optional<WaveCue> parseLastingWave(const char* data, qsizetype size)
{
    const auto layout = readLayout(QByteArrayView(data, size));
    if (!layout)
        return std::nullopt;
    return WaveCue{layout->format, QByteArray::fromRawData(data + layout->offset, layout->length)};
}
