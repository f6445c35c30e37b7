#include "capture/ImageLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A photo file larger than this is not a photo; refusing it early keeps memory bounded.
constexpr qint64 maxFileBytes = 512ll * 1024 * 1024;

QString displayName(const QString &name)
{
    return name.isEmpty() ? QStringLiteral("the image") : name;
}

using Reason = ImageLoader::Reason;

ImageLoader::Result failure(Reason reason, const QString &file, QString message,
                            QStringList details = {})
{
    return {{}, std::move(message), reason, file, std::move(details)};
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Anything but a regular file is refused before it is opened: a device such as /dev/zero
// never ends, and opening a named pipe without a writer blocks for ever.
std::optional<ImageLoader::Result> notAFile(const QString &path, const struct stat &info)
{
    if (S_ISREG(info.st_mode))
        return std::nullopt;
    if (S_ISDIR(info.st_mode))
        return failure(Reason::folder, path,
                       QStringLiteral("cannot open %1: it is a folder").arg(path));
    const char *kind = S_ISFIFO(info.st_mode)                           ? "a named pipe"
                       : S_ISSOCK(info.st_mode)                         ? "a socket"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                                                                        : "not a file";
    return failure(Reason::notAFile, path,
                   QStringLiteral("cannot open %1: it is %2, not a photo file").arg(path, kind));
}

ImageLoader::Result tooLarge(const QString &path, qint64 bytes)
{
    const QString megabytes = QString::number(bytes / (1024 * 1024));
    // Every value in one call: a "%2" in the path must stay as it is.
    return failure(Reason::fileTooLarge, path,
                   QStringLiteral("%1 is too large to be a photo (%2 MB)").arg(path, megabytes),
                   {megabytes});
}

ImageLoader::Result cannotRead(const QString &path, const char *verb, const QString &why)
{
    return failure(Reason::cannotRead, path,
                   QStringLiteral("cannot %1 %2: %3").arg(QLatin1String(verb), path, why), {why});
}

// Reads at most maxFileBytes + 1 bytes, whatever size the file claims, so that a file that
// grows while it is read cannot take the memory with it.
ImageLoader::Result readBounded(int fd, const QString &path, qint64 sizeHint)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(qMin(sizeHint, maxFileBytes) + 1));
    qint64 have = 0;
    while (have <= maxFileBytes) {
        const qint64 chunk = qMin<qint64>(4 * 1024 * 1024, maxFileBytes + 1 - have);
        bytes.resize(qsizetype(have + chunk));
        const ssize_t got = ::read(fd, bytes.data() + have, size_t(chunk));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return cannotRead(path, "read", systemError(errno));
        if (got == 0)
            break;
        have += got;
    }
    bytes.resize(qsizetype(have));
    if (have > maxFileBytes)
        return tooLarge(path, have);
    return ImageLoader::load(bytes, path);
}

// Resources compiled into the program are read through Qt; they are never devices.
ImageLoader::Result loadResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return cannotRead(path, "open", file.errorString());
    if (file.size() > maxFileBytes)
        return tooLarge(path, file.size());
    return ImageLoader::load(file.readAll(), path);
}

enum class Ending
{
    complete,
    truncated,
    broken
};

// libjpeg decodes a cut-off file without complaint and fills the missing rows with grey: a
// card found in such a picture would be measured wrongly. So the segments are walked to each
// scan, through its entropy-coded data to the marker after it, until the end-of-image marker;
// bytes after that marker (some phones append data) do not matter. FF D9 inside a segment
// (an EXIF thumbnail) is skipped with the segment.
Ending jpegEnding(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    const qsizetype n = data.size();
    if (n < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return Ending::broken;
    qsizetype i = 2;
    bool inScan = false;
    while (i < n) {
        if (inScan) {
            const void *next = std::memchr(bytes + i, 0xFF, size_t(n - i));
            if (!next)
                return Ending::truncated;
            i = static_cast<const uchar *>(next) - bytes;
            if (i + 1 >= n)
                return Ending::truncated;
            const uchar after = bytes[i + 1];
            // A stuffed zero, a restart marker or fill: still inside the scan.
            if (after == 0x00 || (after >= 0xD0 && after <= 0xD7)) {
                i += 2;
                continue;
            }
            if (after == 0xFF) {
                ++i;
                continue;
            }
            inScan = false;
        }
        // Between segments libjpeg skips stray bytes up to the next marker; so does this walk.
        while (i < n && bytes[i] != 0xFF)
            ++i;
        while (i < n && bytes[i] == 0xFF)
            ++i;
        if (i >= n)
            return Ending::truncated;
        const uchar marker = bytes[i++];
        if (marker == 0xD9)
            return Ending::complete;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // markers without a length
        if (i + 2 > n)
            return Ending::truncated;
        const int length = (bytes[i] << 8) | bytes[i + 1];
        if (length < 2)
            return Ending::broken;
        i += length;
        if (i > n)
            return Ending::truncated;
        inScan = marker == 0xDA;
    }
    return Ending::truncated;
}

// A PNG ends with its IEND chunk; libpng keeps the rows it got from a cut-off file.
Ending pngEnding(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    const qint64 n = data.size();
    if (n < 8 || std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) != 0)
        return Ending::broken;
    qint64 i = 8;
    while (i + 12 <= n) {
        const quint32 length = (quint32(bytes[i]) << 24) | (quint32(bytes[i + 1]) << 16) |
                               (quint32(bytes[i + 2]) << 8) | quint32(bytes[i + 3]);
        if (length > 0x7FFFFFFFu)
            return Ending::broken;
        if (std::memcmp(bytes + i + 4, "IEND", 4) == 0)
            return Ending::complete;
        i += 12 + qint64(length);
    }
    return Ending::truncated;
}

quint32 littleEndian(const uchar *p, int bytes)
{
    quint32 value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | p[i];
    return value;
}

// An uncompressed BMP holds its rows at a known place and size; Qt's reader leaves the rows
// a cut-off file lacks black. The last row's padding may be missing. Compressed ones (run
// lengths, or a JPEG or PNG inside) are left to the decoder.
Ending bmpEnding(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    const qint64 n = data.size();
    if (n < 26 || bytes[0] != 'B' || bytes[1] != 'M')
        return Ending::broken;
    const qint64 pixels = littleEndian(bytes + 10, 4);
    const quint32 header = littleEndian(bytes + 14, 4);
    qint64 width = 0, height = 0, bits = 0, compression = 0;
    if (header == 12) {
        width = littleEndian(bytes + 18, 2);
        height = littleEndian(bytes + 20, 2);
        bits = littleEndian(bytes + 24, 2);
    } else if (header >= 40 && n >= 34) {
        width = qint32(littleEndian(bytes + 18, 4));
        height = qint32(littleEndian(bytes + 22, 4));
        bits = littleEndian(bytes + 28, 2);
        compression = littleEndian(bytes + 30, 4);
    } else {
        return Ending::complete;
    }
    // Plain rows, or plain rows with channel masks.
    if (compression != 0 && compression != 3 && compression != 6)
        return Ending::complete;
    if (width <= 0 || height == 0 || bits <= 0 || bits > 64)
        return Ending::complete;
    const qint64 rows = height < 0 ? -height : height;
    const qint64 rowBytes = (width * bits + 7) / 8, stride = (width * bits + 31) / 32 * 4;
    return pixels + stride * (rows - 1) + rowBytes > n ? Ending::truncated : Ending::complete;
}

// A GIF's first picture (the one shown) ends with an empty data block; Qt's reader leaves
// the rows a cut-off file lacks empty. A file that stops right after it, without the final
// byte, is whole enough.
Ending gifEnding(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    const qint64 n = data.size();
    if (n < 13 || std::memcmp(bytes, "GIF8", 4) != 0)
        return Ending::broken;
    const auto colourTable = [](uchar flags) {
        return (flags & 0x80) ? qint64(3) << ((flags & 7) + 1) : qint64(0);
    };
    qint64 i = 13 + colourTable(bytes[10]);
    // Data blocks, each a length byte and that many bytes, up to an empty one.
    const auto skipBlocks = [&] {
        while (i < n) {
            const uchar length = bytes[i++];
            if (length == 0)
                return true;
            i += length;
        }
        return false;
    };
    while (i < n) {
        const uchar introducer = bytes[i++];
        if (introducer == 0x3B)
            return Ending::complete;
        if (introducer == 0x21) { // an extension: its label, then its blocks
            ++i;
            if (!skipBlocks())
                return Ending::truncated;
        } else if (introducer == 0x2C) { // a picture: where and how large, colours, code size
            if (i + 9 > n)
                return Ending::truncated;
            i += 9 + colourTable(bytes[i + 8]) + 1;
            return skipBlocks() ? Ending::complete : Ending::truncated;
        } else {
            return Ending::complete; // what follows is for the decoder to judge
        }
    }
    return Ending::truncated;
}

std::optional<ImageLoader::Result> endingProblem(const QByteArray &format, const QByteArray &bytes,
                                                 const QString &name, const QString &shown)
{
    Ending ending = Ending::complete;
    if (format == "jpeg")
        ending = jpegEnding(bytes);
    else if (format == "png")
        ending = pngEnding(bytes);
    else if (format == "bmp")
        ending = bmpEnding(bytes);
    else if (format == "gif")
        ending = gifEnding(bytes);
    const QString kind = QString::fromLatin1(format).toUpper();
    switch (ending) {
    case Ending::complete:
        return std::nullopt;
    case Ending::truncated:
        return failure(Reason::truncated, name,
                       QStringLiteral("%1 is truncated (the %2 data ends early)").arg(shown, kind),
                       {kind});
    case Ending::broken:
        return failure(
            Reason::damaged, name,
            QStringLiteral("%1 is damaged (its %2 structure is broken)").arg(shown, kind), {kind});
    }
    return std::nullopt;
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
    if (path.isEmpty())
        return failure(Reason::noFileName, path,
                       QStringLiteral("cannot open a photo without a file name"));
    if (path.startsWith(QLatin1Char(':')))
        return loadResource(path);
    const QByteArray native = QFile::encodeName(path);
    struct stat info;
    if (::stat(native.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return failure(Reason::notFound, path,
                           QStringLiteral("cannot open %1: no such file").arg(path));
        return cannotRead(path, "open", systemError(errno));
    }
    if (auto refused = notAFile(path, info))
        return std::move(*refused);
    if (info.st_size > maxFileBytes)
        return tooLarge(path, info.st_size);

    // Non-blocking, in case the path became a pipe since it was looked at; checked again on
    // what was opened.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return cannotRead(path, "open", systemError(errno));
    struct stat opened;
    Result result;
    if (::fstat(fd, &opened) != 0)
        result = cannotRead(path, "read", systemError(errno));
    else if (auto refused = notAFile(path, opened))
        result = std::move(*refused);
    else
        result = readBounded(fd, path, opened.st_size);
    ::close(fd);
    return result;
}

ImageLoader::Result ImageLoader::load(const QByteArray &bytes, const QString &name,
                                      qint64 pixelLimit)
{
    const QString shown = displayName(name);
    if (bytes.isEmpty())
        return failure(Reason::empty, name, QStringLiteral("%1 is empty (0 bytes)").arg(shown));

    QByteArray data = bytes; // shares, no copy
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    // The decoded picture of a 100-megapixel photo takes 400 MB in 32 bits per pixel, and twice
    // that for 16 bits per channel (a scan, a raw converter's PNG), which the decoder hands over
    // before the picture is brought to 32 bits.
    reader.setAllocationLimit(int(pixelLimit * 8 / (1024 * 1024)) + 16);

    if (!reader.canRead())
        return failure(Reason::notAnImage, name,
                       QStringLiteral("%1 is not an image this program can read").arg(shown));
    // The structure first: reading the header hands the chunks before the pixels to libpng,
    // which reserves whatever length a chunk claims (a 150-byte file can ask for 1.4 GB), and
    // once the header has failed the reader no longer names its format.
    if (auto problem = endingProblem(reader.format(), bytes, name, shown))
        return std::move(*problem);

    const QString limit = QString::number(double(pixelLimit) / 1'000'000);
    const QSize size = reader.size();
    if (size.isValid()) {
        const QString width = QString::number(size.width()),
                      height = QString::number(size.height());
        if (size.isEmpty())
            return failure(Reason::noPixels, name,
                           QStringLiteral("%1 has no pixels (%2 x %3)").arg(shown, width, height),
                           {width, height});
        if (qint64(size.width()) * size.height() > pixelLimit)
            return failure(Reason::tooManyPixels, name,
                           QStringLiteral("%1 is too large: %2 x %3 pixels (the limit is %4 "
                                          "megapixels)")
                               .arg(shown, width, height, limit),
                           {width, height, limit});
    }

    QImage image = reader.read();
    if (image.isNull())
        return failure(
            Reason::undecodable, name,
            QStringLiteral("%1 could not be decoded: %2").arg(shown, reader.errorString()),
            {reader.errorString()});
    if (qint64(image.width()) * image.height() > pixelLimit) {
        const QString width = QString::number(image.width()),
                      height = QString::number(image.height());
        return failure(Reason::tooManyPixels, name,
                       QStringLiteral("%1 is too large: %2 x %3 pixels").arg(shown, width, height),
                       {width, height, limit});
    }
    return {toBgra(std::move(image)), {}};
}
