// Feeds arbitrary bytes to the photo decoder and the card detector. Inputs that start with
// "RAW" skip the decoder: a width, a height and a pixel format byte follow, then the pixels,
// so the detector also sees pictures no image file would produce.

#include "capture/CardDetector.h"
#include "capture/ImageLoader.h"

#include <QCoreApplication>
#include <QImage>

#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstring>

namespace {

// Decoded pictures above this size are skipped: they only slow the search for crashes down,
// and the detector's work on them is the same as on smaller ones.
constexpr qint64 maxFuzzPixels = 12'000'000;

QImage rawImage(const uint8_t *data, size_t size)
{
    if (size < 8)
        return {};
    const int width = data[3] | (data[4] << 8);
    const int height = data[5] | (data[6] << 8);
    static constexpr QImage::Format formats[] = {
        QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_Grayscale8,
        QImage::Format_RGB888, QImage::Format_ARGB32_Premultiplied, QImage::Format_Grayscale16};
    const QImage::Format format = formats[data[7] % std::size(formats)];
    if (width <= 0 || height <= 0 || qint64(width) * height > 4'000'000)
        return {};
    QImage image(width, height, format);
    if (image.isNull())
        return {};
    // Tile the remaining bytes over the picture.
    const uint8_t *pixels = data + 8;
    const size_t count = size - 8;
    size_t at = 0;
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
            line[x] = count ? pixels[at++ % count] : uchar(x ^ y);
    }
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static CardDetector detector;
    QImage image;
    if (size >= 3 && std::memcmp(data, "RAW", 3) == 0) {
        image = rawImage(data, size);
    } else {
        const ImageLoader::Result result = ImageLoader::load(
            QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)),
            QStringLiteral("fuzz input"));
        if (!result.ok()) {
            // A failure must say why.
            if (result.error.isEmpty())
                __builtin_trap();
            return 0;
        }
        image = result.image;
    }
    if (image.isNull() || qint64(image.width()) * image.height() > maxFuzzPixels)
        return 0;
    const auto features = detector.features(image);
    for (const auto &f : features) {
        for (const QPointF &p : {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft}) {
            // Reported corners are finite and near the picture.
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || p.x() < -10 ||
                p.y() < -10 || p.x() > image.width() + 10 || p.y() > image.height() + 10)
                __builtin_trap();
        }
    }
    return 0;
}
