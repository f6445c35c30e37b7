#include "capture/ImageLoader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

// A photo file larger than this is not a photo; refusing it early keeps memory bounded.
constexpr qint64 maxFileBytes = 512ll * 1024 * 1024;

QString displayName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("the image") : name;
}

// libjpeg decodes a cut-off file without complaint and fills the missing rows with grey.
// A card found in a half-grey picture would be measured wrongly, so a JPEG must end with its
// end-of-image marker (a few bytes of trailing padding are tolerated).
bool jpegLooksComplete(const QByteArray &bytes)
{
    const qsizetype tail = qMin<qsizetype>(bytes.size(), 4096);
    const QByteArrayView end(bytes.constData() + bytes.size() - tail, tail);
    return end.lastIndexOf(QByteArrayView("\xFF\xD9", 2)) >= 0;
}

QImage toBgra(QImage image)
{
    const QImage::Format wanted =
        image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    return image;
}

} // namespace

ImageLoader::Result ImageLoader::load(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, QStringLiteral("cannot open %1: no such file").arg(path)};
    if (info.isDir())
        return {{}, QStringLiteral("cannot open %1: it is a folder").arg(path)};
    if (info.size() > maxFileBytes)
        return {{},
                QStringLiteral("%1 is too large to be a photo (%2 MB)")
                    .arg(path)
                    .arg(info.size() / (1024 * 1024))};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("cannot open %1: %2").arg(path, file.errorString())};
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, QStringLiteral("cannot read %1: %2").arg(path, file.errorString())};
    return load(bytes, path);
}

ImageLoader::Result ImageLoader::load(const QByteArray &bytes, const QString &name)
{
    const QString shown = displayName(name);
    if (bytes.isEmpty())
        return {{}, QStringLiteral("%1 is empty (0 bytes)").arg(shown)};

    QByteArray data = bytes; // shares, no copy
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // The decoded picture of a 100-megapixel photo takes 400 MB in 32 bits per pixel.
    reader.setAllocationLimit(int(maxPixels * 4 / (1024 * 1024)) + 16);

    if (!reader.canRead())
        return {{}, QStringLiteral("%1 is not an image this program can read").arg(shown)};

    const QSize size = reader.size();
    if (size.isValid()) {
        if (size.isEmpty())
            return {{},
                    QStringLiteral("%1 has no pixels (%2 x %3)")
                        .arg(shown)
                        .arg(size.width())
                        .arg(size.height())};
        if (qint64(size.width()) * size.height() > maxPixels)
            return {{},
                    QStringLiteral("%1 is too large: %2 x %3 pixels (the limit is %4 "
                                   "megapixels)")
                        .arg(shown)
                        .arg(size.width())
                        .arg(size.height())
                        .arg(maxPixels / 1'000'000)};
    }

    const QByteArray format = reader.format();
    if (format == "jpeg" && !jpegLooksComplete(bytes))
        return {{}, QStringLiteral("%1 is truncated (the JPEG data ends early)").arg(shown)};

    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("%1 could not be decoded: %2").arg(shown, reader.errorString())};
    if (qint64(image.width()) * image.height() > maxPixels)
        return {{},
                QStringLiteral("%1 is too large: %2 x %3 pixels")
                    .arg(shown)
                    .arg(image.width())
                    .arg(image.height())};
    return {toBgra(std::move(image)), {}};
}
