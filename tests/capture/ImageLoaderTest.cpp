#include "capture/ImageLoader.h"
#include "support/TestImages.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QImage gradient(int w, int h, QImage::Format format)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 80));
    return image.convertToFormat(format);
}
} // namespace

TEST(ImageLoader, refuses_bad_files_with_a_message)
{
    QTemporaryDir dir;
    const auto refused = [](const ImageLoader::Result &r, const char *needle) {
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QLatin1String(needle))) << r.error.toStdString();
    };
    refused(ImageLoader::load(dir.filePath("missing.jpg")), "no such file");
    refused(ImageLoader::load(dir.path()), "folder");

    TestImages::writeFile(dir.filePath("empty.jpg"), {});
    refused(ImageLoader::load(dir.filePath("empty.jpg")), "empty");

    TestImages::writeFile(dir.filePath("text.jpg"), "this is not a photo\n");
    refused(ImageLoader::load(dir.filePath("text.jpg")), "not an image");

    // A cut-off JPEG decodes into a half-grey picture unless it is caught.
    const QByteArray jpeg = TestImages::encode(gradient(640, 480, QImage::Format_RGB32), "jpg");
    refused(ImageLoader::load(jpeg.left(jpeg.size() / 2), "half.jpg"), "truncated");

    const QByteArray png = TestImages::encode(gradient(64, 48, QImage::Format_RGB32), "png");
    EXPECT_FALSE(ImageLoader::load(png.left(png.size() / 2), "half.png").ok());

    QByteArray corrupt = jpeg;
    for (qsizetype i = 200; i < corrupt.size() - 2; i += 7)
        corrupt[i] = char(corrupt[i] ^ 0x5A);
    const ImageLoader::Result scrambled = ImageLoader::load(corrupt, "scrambled.jpg");
    EXPECT_TRUE(scrambled.ok() || !scrambled.error.isEmpty()); // either way, no crash

    // Sizes are checked before any pixel is decoded.
    refused(ImageLoader::load(TestImages::pngHeaderOnly(20000, 20000), "huge.png"), "too large");
    refused(ImageLoader::load(TestImages::pngHeaderOnly(10001, 10000), "over.png"), "too large");
    EXPECT_FALSE(ImageLoader::load(TestImages::pngHeaderOnly(0, 100), "zero.png").ok());
}

TEST(ImageLoader, any_pixel_format_becomes_32_bit_bgra)
{
    const struct
    {
        QImage::Format format;
        const char *encoding;
        QImage::Format expected;
    } cases[] = {
        {QImage::Format_Grayscale8, "png", QImage::Format_RGB32},
        {QImage::Format_Grayscale16, "png", QImage::Format_RGB32},
        {QImage::Format_RGBA64, "png", QImage::Format_ARGB32},
        {QImage::Format_ARGB32, "png", QImage::Format_ARGB32},
        {QImage::Format_RGB32, "jpg", QImage::Format_RGB32},
        {QImage::Format_Indexed8, "bmp", QImage::Format_RGB32},
    };
    for (const auto &c : cases) {
        const QImage source = gradient(33, 17, c.format);
        const ImageLoader::Result r = ImageLoader::load(TestImages::encode(source, c.encoding));
        ASSERT_TRUE(r.ok()) << r.error.toStdString() << " format " << int(c.format);
        EXPECT_EQ(r.image.size(), QSize(33, 17));
        EXPECT_EQ(r.image.format(), c.expected) << "format " << int(c.format);
    }
}

TEST(ImageLoader, exif_orientation_is_applied)
{
    QImage landscape(200, 100, QImage::Format_RGB32);
    landscape.fill(Qt::white);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            landscape.setPixel(x, y, qRgb(0, 0, 0)); // a black mark top left
    // Orientation 6: the camera was turned a quarter clockwise; a viewer shows it upright.
    const ImageLoader::Result r = ImageLoader::load(TestImages::jpegWithOrientation(landscape, 6));
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.image.size(), QSize(100, 200));
    EXPECT_LT(qGray(r.image.pixel(90, 10)), 60); // the mark is now top right
    EXPECT_GT(qGray(r.image.pixel(10, 10)), 200);
}
