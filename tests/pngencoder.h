#pragma once

#include <QByteArray>
#include <QList>
#include <QtEndian>

// Writes PNG files of any colour type and bit depth, which Qt's own writer
// cannot all produce, and headers that claim any size.
namespace PngEncoder {

inline quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void appendBigEndian(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

inline QByteArray chunk(const char *type, const QByteArray &data)
{
    QByteArray out;
    appendBigEndian(out, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    out += typed;
    appendBigEndian(out, crc32(typed));
    return out;
}

inline QByteArray header(quint32 width, quint32 height, int bitDepth, int colourType)
{
    QByteArray ihdr;
    appendBigEndian(ihdr, width);
    appendBigEndian(ihdr, height);
    ihdr.append(char(bitDepth)).append(char(colourType)).append('\0').append('\0').append('\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr);
}

// A picture whose top-left pixel has the samples `first` and every other
// pixel the samples `rest`, packed at `bitDepth` bits per sample.
inline QByteArray encode(int width, int height, int bitDepth, int colourType,
                         const QList<int> &first, const QList<int> &rest,
                         const QByteArray &palette = {})
{
    QByteArray raw;
    for (int y = 0; y < height; ++y) {
        raw.append('\0'); // filter type None
        quint32 bits = 0;
        int used = 0;
        for (int x = 0; x < width; ++x) {
            for (const int sample : (x == 0 && y == 0) ? first : rest) {
                if (bitDepth == 16) {
                    raw.append(char(sample >> 8)).append(char(sample & 0xff));
                    continue;
                }
                bits = (bits << bitDepth) | quint32(sample);
                used += bitDepth;
                if (used == 8) {
                    raw.append(char(bits));
                    bits = 0;
                    used = 0;
                }
            }
        }
        if (used > 0)
            raw.append(char(bits << (8 - used)));
    }
    QByteArray out = header(quint32(width), quint32(height), bitDepth, colourType);
    if (!palette.isEmpty())
        out += chunk("PLTE", palette);
    // qCompress puts a four-byte length before the zlib stream.
    out += chunk("IDAT", qCompress(raw).mid(4));
    out += chunk("IEND", {});
    return out;
}

} // namespace PngEncoder
