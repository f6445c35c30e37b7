#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a user's photo safely: refuses images above maxPixels before decoding, applies the
// EXIF orientation as a photo viewer does, and converts to 32-bit BGRA (Format_RGB32 or
// Format_ARGB32). Never throws; a failure is a value with a one-line message for the user.
class ImageLoader
{
public:
    static constexpr qint64 maxPixels = 100'000'000;

    struct Result
    {
        QImage image;  // null on failure
        QString error; // empty on success
        [[nodiscard]] bool ok() const { return !image.isNull(); }
    };

    [[nodiscard]] static Result load(const QString &path);
    // pixelLimit lowers maxPixels where decoding a large picture is not worth its time (the
    // fuzzer).
    [[nodiscard]] static Result load(const QByteArray &bytes, const QString &name = {},
                                     qint64 pixelLimit = maxPixels);
};
