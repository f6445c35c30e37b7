#include "capture/ImageLoader.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
QImage gradient(int w, int h, QImage::Format format)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 80));
    return image.convertToFormat(format);
}

QByteArray progressiveJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    return bytes;
}

// Where the JPEG's first scan's entropy-coded data starts.
qsizetype scanData(const QByteArray &jpeg)
{
    const qsizetype sos = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    return sos + 2 + ((uchar(jpeg[sos + 2]) << 8) | uchar(jpeg[sos + 3]));
}

// A socket file in dir, left in place while the returned descriptor is open.
int socketFile(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    return fd;
}
} // namespace

// The reason is what the interface words in the user's language: a wrong one tells the user
// something else than the English message.
TEST(ImageLoader, refuses_bad_files_with_a_message_and_its_reason)
{
    using Reason = ImageLoader::Reason;
    QTemporaryDir dir;
    const auto refused = [](const ImageLoader::Result &r, Reason reason, const char *needle) {
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QLatin1String(needle))) << r.error.toStdString();
        EXPECT_EQ(r.reason, reason) << r.error.toStdString();
    };
    refused(ImageLoader::load(dir.filePath("missing.jpg")), Reason::notFound, "no such file");
    refused(ImageLoader::load(dir.path()), Reason::folder, "folder");
    refused(ImageLoader::load(QString()), Reason::noFileName, "without a file name");

    // Endless or blocking: never opened. A pipe without a writer would hang the open.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600), 0);
    refused(ImageLoader::load(dir.filePath("pipe.jpg")), Reason::notAFile, "named pipe");
    refused(ImageLoader::load(QStringLiteral("/dev/zero")), Reason::notAFile, "device");
    const int socket = socketFile(dir.filePath("socket.jpg"));
    refused(ImageLoader::load(dir.filePath("socket.jpg")), Reason::notAFile, "socket");
    ::close(socket);

    TestImages::writeFile(dir.filePath("empty.jpg"), {});
    refused(ImageLoader::load(dir.filePath("empty.jpg")), Reason::empty, "empty");

    TestImages::writeFile(dir.filePath("text.jpg"), "this is not a photo\n");
    refused(ImageLoader::load(dir.filePath("text.jpg")), Reason::notAnImage, "not an image");

    const QByteArray jpeg = TestImages::encode(gradient(640, 480, QImage::Format_RGB32), "jpg");
    QByteArray corrupt = jpeg;
    for (qsizetype i = 200; i < corrupt.size() - 2; i += 7)
        corrupt[i] = char(corrupt[i] ^ 0x5A);
    const ImageLoader::Result scrambled = ImageLoader::load(corrupt, "scrambled.jpg");
    EXPECT_TRUE(scrambled.ok() || !scrambled.error.isEmpty()); // either way, no crash

    // Sizes are checked before any pixel is decoded.
    refused(ImageLoader::load(TestImages::pngHeaderOnly(20000, 20000), "huge.png"),
            Reason::tooManyPixels, "too large");
    const ImageLoader::Result over =
        ImageLoader::load(TestImages::pngHeaderOnly(10001, 10000), "over.png");
    refused(over, Reason::tooManyPixels, "too large");
    EXPECT_EQ(over.file, QStringLiteral("over.png"));
    EXPECT_EQ(over.details, (QStringList{"10001", "10000", "100"}));
    // Named as it is: the size must not take the place of a "%3" in the name.
    refused(ImageLoader::load(TestImages::pngHeaderOnly(20000, 20000), "scan 100%3.png"),
            Reason::tooManyPixels, "scan 100%3.png is too large");
    EXPECT_FALSE(ImageLoader::load(TestImages::pngHeaderOnly(0, 100), "zero.png").ok());
    EXPECT_FALSE(ImageLoader::load(QByteArray("\x89PNG\r\n\x1a\nnonsense"), "corrupt.png").ok());
}

// A cut-off file decodes into a picture with grey or missing rows unless it is caught, and a
// card found in it is measured wrongly. Judged by the file's structure, not by its last bytes.
TEST(ImageLoader, truncation_is_judged_by_the_file_structure)
{
    const QImage picture = gradient(640, 480, QImage::Format_RGB32);
    const QByteArray jpeg = TestImages::encode(picture, "jpg");
    // An EXIF block whose bytes hold the end-of-image marker.
    const QByteArray withExif = TestImages::withSegment(
        jpeg, '\xE1', QByteArray("Exif\0\0II*\0\xFF\xD9\xFF\xD9 thumbnail", 24));
    const QByteArray progressive = progressiveJpeg(picture);
    const QByteArray png = TestImages::encode(gradient(64, 48, QImage::Format_RGB32), "png");
    const qsizetype iend = png.size() - 12;
    // A chunk right after the header that claims 256 MB of a file of a few hundred bytes: the
    // decoder would reserve it all before finding out.
    const QByteArray longChunk =
        png.left(33) + QByteArray("\x10\0\0\0tEXtdate:modify", 19) + png.mid(33);
    // 63 pixels of three bytes: each row padded by three bytes.
    const QByteArray bmp = TestImages::encode(gradient(63, 48, QImage::Format_RGB32), "bmp");
    // One pixel: header, two colours, its extension, the picture and its data, the end.
    const QByteArray gif("GIF89a\x01\0\x01\0\x80\0\0\xff\xff\xff\0\0\0"
                         "!\xf9\x04\x01\0\0\0\0,\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;",
                         43);
    const struct
    {
        const char *name;
        QByteArray bytes;
        bool loads;
    } cases[] = {
        {"half.jpg", jpeg.left(jpeg.size() / 2), false},
        {"no-end-marker.jpg", jpeg.left(jpeg.size() - 2), false},
        {"header-only.jpg", jpeg.left(scanData(jpeg)), false},
        {"exif-holds-the-end-marker.jpg", withExif.left(scanData(withExif) + 2000), false},
        {"progressive-first-scans.jpg", progressive.left(progressive.size() * 2 / 3), false},
        {"trailing-data.jpg", jpeg + QByteArray(3000, '\x55') + "\xFF\xD8\xFF", true},
        {"exif-complete.jpg", withExif, true},
        {"progressive.jpg", progressive, true},
        {"half.png", png.left(png.size() / 2), false},
        {"no-iend.png", png.left(iend), false},
        {"trailing-data.png", png + QByteArray(100, '\0'), true},
        {"chunk-longer-than-the-file.png", longChunk, false},
        {"half.bmp", bmp.left(bmp.size() / 2), false},
        {"last-row-short.bmp", bmp.left(bmp.size() - 4), false},
        {"last-padding-missing.bmp", bmp.left(bmp.size() - 3), true},
        {"whole.bmp", bmp, true},
        {"in-the-data.gif", gif.left(40), false},
        {"in-the-picture-header.gif", gif.left(30), false},
        {"no-end-byte.gif", gif.left(42), true},
        {"whole.gif", gif, true},
    };
    for (const auto &c : cases) {
        const ImageLoader::Result r = ImageLoader::load(c.bytes, QString::fromLatin1(c.name));
        EXPECT_EQ(r.ok(), c.loads) << c.name << ": " << r.error.toStdString();
        if (!c.loads) {
            EXPECT_TRUE(r.error.contains(QLatin1String("truncated"))) << r.error.toStdString();
            EXPECT_EQ(r.reason, ImageLoader::Reason::truncated) << c.name;
        }
    }
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
        // Offered by the open dialog; read through the image formats package.
        {QImage::Format_RGB32, "webp", QImage::Format_RGB32},
        {QImage::Format_RGB32, "tiff", QImage::Format_RGB32},
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

// Guards a photo within the pixel limit refused as undecodable: a 16-bit PNG (a scan, a raw
// converter's output) is decoded at 8 bytes per pixel before it becomes 32-bit.
TEST(ImageLoader, sixteen_bit_photos_are_held_to_the_pixel_limit_only)
{
    const qint64 limit = 10'000'000;
    const QImage deep = gradient(3000, 3000, QImage::Format_RGBX64);
    const ImageLoader::Result r = ImageLoader::load(TestImages::encode(deep, "png"), {}, limit);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.image.size(), QSize(3000, 3000));
    EXPECT_EQ(r.image.format(), QImage::Format_RGB32);
}
