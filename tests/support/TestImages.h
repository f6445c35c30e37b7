#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Hand-made image files for the decoding tests: headers that lie, cut-off data, EXIF rotation.
namespace TestImages {

// A PNG whose header claims width x height but carries no pixel data.
QByteArray pngHeaderOnly(quint32 width, quint32 height);

// img encoded in the given format ("png", "jpg", ...).
QByteArray encode(const QImage &img, const char *format, int quality = 90);

// The JPEG with an extra segment (0xFF, marker, big-endian length, payload) right after its
// start marker.
QByteArray withSegment(const QByteArray &jpeg, char marker, const QByteArray &payload);

// A JPEG of img carrying an EXIF orientation tag (1..8).
QByteArray jpegWithOrientation(const QImage &img, int orientation);

bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace TestImages
