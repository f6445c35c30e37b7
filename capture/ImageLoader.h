#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// Decodes a user's photo safely: refuses images above maxPixels before decoding, applies the
// EXIF orientation as a photo viewer does, and converts to 32-bit BGRA (Format_RGB32 or
// Format_ARGB32). Never throws; a failure is a value with a one-line message in English (for logs
// and the command line) and a reason the interface words in the user's language.
class ImageLoader
{
public:
    static constexpr qint64 maxPixels = 100'000'000;

    // Why a photo cannot be used; the values each reason carries in Result::details follow it.
    enum class Reason
    {
        none,
        noFileName,
        notFound,
        folder,
        notAFile,     // a named pipe, a device or a socket
        cannotRead,   // the system's (or Qt's) words
        fileTooLarge, // the file's size in MB
        empty,
        notAnImage,
        truncated,     // the format (JPEG, PNG, ...)
        damaged,       // the format
        noPixels,      // width, height
        tooManyPixels, // width, height, the limit in megapixels
        undecodable,   // the decoder's words
    };

    struct Result
    {
        QImage image;  // null on failure
        QString error; // empty on success
        Reason reason = Reason::none;
        // The file as the caller named it (a path, or the name given with the bytes), and what
        // the reason carries besides it.
        QString file;
        QStringList details;
        [[nodiscard]] bool ok() const { return !image.isNull(); }
    };

    [[nodiscard]] static Result load(const QString &path);
    // pixelLimit lowers maxPixels where decoding a large picture is not worth its time (the
    // fuzzer).
    [[nodiscard]] static Result load(const QByteArray &bytes, const QString &name = {},
                                     qint64 pixelLimit = maxPixels);
};
