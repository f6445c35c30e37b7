// Feeds arbitrary bytes to the photo decoder: the structure checks of JPEG and PNG files, the
// size checks, EXIF rotation and the conversion to 32-bit BGRA.

#include "capture/ImageLoader.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

namespace {

// Decoding 100 megapixels takes seconds and finds nothing that a smaller picture would not.
// The loader's own limit is lowered rather than asking Qt for the size here: reading the
// header is one of the things being fuzzed, and it must come after the loader's checks.
constexpr qint64 maxFuzzPixels = 4'000'000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const ImageLoader::Result result =
        ImageLoader::load(bytes, QStringLiteral("fuzz input"), maxFuzzPixels);
    if (!result.ok()) {
        // A failure says why, in one line.
        if (result.error.isEmpty() || result.error.contains(QLatin1Char('\n')))
            __builtin_trap();
        return 0;
    }
    const QImage &image = result.image;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        __builtin_trap();
    if (qint64(image.width()) * image.height() > maxFuzzPixels)
        __builtin_trap();
    return 0;
}
