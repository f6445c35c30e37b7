#pragma once

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QString>

#include <array>

// Hand-made image files for the decoding tests: headers that lie, cut-off data, EXIF rotation.
namespace TestImages {

// A PNG whose header claims width x height but carries no pixel data.
QByteArray pngHeaderOnly(quint32 width, quint32 height);

// img encoded in the given format ("png", "jpg", ...).
QByteArray encode(const QImage &img, const char *format, int quality = 90);

// A JPEG of img carrying an EXIF orientation tag (1..8).
QByteArray jpegWithOrientation(const QImage &img, int orientation);

// A light table with a dark, sharp, rounded-corner card drawn axis-aligned with its straight
// edges at the given rectangle (y down), on a width x height picture.
QImage cardOnTable(int width, int height, const QRectF &card);

bool writeFile(const QString &path, const QByteArray &bytes);

} // namespace TestImages
