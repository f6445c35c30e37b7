// Feeds pictures to the card detector. Random pixels rarely look like a card, so most inputs
// describe a scene instead: a background, a four-cornered shape in another colour, a few
// lines, noise and a pixel format. Inputs that start with "RAW" give the pixels directly: a
// width, a height and a format byte follow, then the pixels, tiled over the picture.

#include "capture/CardDetector.h"
#include "core/CardShape.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr QImage::Format formats[] = {QImage::Format_RGB32,
                                      QImage::Format_ARGB32,
                                      QImage::Format_Grayscale8,
                                      QImage::Format_RGB888,
                                      QImage::Format_ARGB32_Premultiplied,
                                      QImage::Format_Grayscale16,
                                      QImage::Format_Indexed8};

// Reads the input front to back; zeros once it runs out.
class Bytes
{
public:
    Bytes(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    uint8_t next() { return m_at < m_size ? m_data[m_at++] : 0; }
    int next16() { return next() | (next() << 8); }
    [[nodiscard]] const uint8_t *rest() const { return m_data + m_at; }
    [[nodiscard]] size_t left() const { return m_size - std::min(m_at, m_size); }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

QImage rawImage(Bytes in)
{
    const int width = in.next16();
    const int height = in.next16();
    const QImage::Format format = formats[in.next() % std::size(formats)];
    if (width <= 0 || height <= 0 || qint64(width) * height > 100000)
        return {};
    QImage image(width, height, format);
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> table;
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, 255 - i, (i * 7) & 255));
        image.setColorTable(table);
    }
    const uint8_t *pixels = in.rest();
    const size_t count = in.left();
    size_t at = 0;
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype x = 0; x < image.bytesPerLine(); ++x)
            line[x] = count ? pixels[at++ % count] : uchar(x ^ y);
    }
    return image;
}

QColor colour(Bytes &in)
{
    return QColor(in.next(), in.next(), in.next());
}

QImage sceneImage(Bytes in)
{
    const int width = 24 + in.next16() % 233;
    const int height = 24 + in.next16() % 233;
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour(in));
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, in.next() & 1);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour(in));
        // Corners anywhere from a little outside the picture to a little past it.
        QPolygonF shape;
        for (int i = 0; i < 4; ++i)
            shape << QPointF((in.next16() % 1200) / 1000.0 * width - 0.1 * width,
                             (in.next16() % 1200) / 1000.0 * height - 0.1 * height);
        painter.drawPolygon(shape);
        const int lines = in.next() % 6;
        for (int i = 0; i < lines; ++i) {
            painter.setPen(QPen(colour(in), 1 + in.next() % 8));
            painter.drawLine(QPointF(in.next16() % width, in.next16() % height),
                             QPointF(in.next16() % width, in.next16() % height));
        }
    }
    // Noise from the rest of the input, added to every channel.
    const int amplitude = in.next() % 64;
    const uint8_t *noise = in.rest();
    const size_t count = in.left();
    if (amplitude && count) {
        size_t at = 0;
        for (int y = 0; y < height; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int d = (noise[at++ % count] % (2 * amplitude + 1)) - amplitude;
                const QRgb p = line[x];
                line[x] = qRgb(qBound(0, qRed(p) + d, 255), qBound(0, qGreen(p) + d, 255),
                               qBound(0, qBlue(p) + d, 255));
            }
        }
    }
    const QImage::Format format = formats[in.next() % std::size(formats)];
    return format == QImage::Format_RGB32 ? image : image.convertToFormat(format);
}

bool nearThePicture(QPointF p, const QImage &image)
{
    return std::isfinite(p.x()) && std::isfinite(p.y()) && p.x() >= -10 && p.y() >= -10 &&
           p.x() <= image.width() + 10 && p.y() <= image.height() + 10;
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
    const bool raw = size >= 3 && std::memcmp(data, "RAW", 3) == 0;
    const QImage image = raw ? rawImage(Bytes(data + 3, size - 3)) : sceneImage(Bytes(data, size));
    if (image.isNull())
        return 0;
    for (const RectangleFeature &f : detector.features(image)) {
        // Reported corners are finite and near the picture.
        for (const QPointF &p : {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft})
            if (!nearThePicture(p, image))
                __builtin_trap();
        if (!std::isfinite(f.score))
            __builtin_trap();
        // The app measures through whatever the detector reports; an outline that is no card
        // would show dashes where the user expects lengths.
        if (CardShape::check({f.topLeft, f.topRight, f.bottomRight, f.bottomLeft}) !=
            CardShape::Fault::none)
            __builtin_trap();
    }
    return 0;
}
