#include "support/TestImages.h"

#include <QBuffer>
#include <QFile>

namespace {

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendBigEndian32(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

void appendChunk(QByteArray &out, const char *type, const QByteArray &data)
{
    appendBigEndian32(out, quint32(data.size()));
    const QByteArray body = QByteArray(type, 4) + data;
    out.append(body);
    appendBigEndian32(out, crc32(body));
}

} // namespace

QByteArray TestImages::pngHeaderOnly(quint32 width, quint32 height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian32(header, width);
    appendBigEndian32(header, height);
    header.append(char(8)).append(char(2)).append(char(0)).append(char(0)).append(char(0));
    appendChunk(png, "IHDR", header);
    // An empty deflate stream: decoders read the header up to the first IDAT.
    appendChunk(png, "IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    appendChunk(png, "IEND", {});
    return png;
}

QByteArray TestImages::encode(const QImage &img, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format, quality);
    return bytes;
}

QByteArray TestImages::withSegment(const QByteArray &jpeg, char marker, const QByteArray &payload)
{
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xFF", 1);
    segment.append(marker).append(char(length >> 8)).append(char(length & 0xFF)).append(payload);
    return jpeg.left(2) + segment + jpeg.mid(2);
}

QByteArray TestImages::jpegWithOrientation(const QImage &img, int orientation)
{
    // APP1 "Exif\0\0" + little-endian TIFF with one IFD entry: Orientation (0x0112), SHORT.
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    tiff.append("\x01\x00", 2);         // one entry
    tiff.append("\x12\x01\x03\x00", 4); // tag 0x0112, type SHORT
    tiff.append("\x01\x00\x00\x00", 4); // count 1
    tiff.append(char(orientation)).append(QByteArray(3, '\0'));
    tiff.append(QByteArray(4, '\0')); // no next IFD
    return withSegment(encode(img, "jpg"), '\xE1', QByteArray("Exif\0\0", 6) + tiff);
}

bool TestImages::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
