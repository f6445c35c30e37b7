#include "tools/scenegen/ImageVariants.h"

#include <QBuffer>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

cv::Mat wrap(const QImage &image)
{
    return cv::Mat(image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()),
                   size_t(image.bytesPerLine()));
}

QImage scaled(const QImage &image, double factor, QTransform &toOriginal)
{
    const int width = std::max(1, int(std::lround(image.width() * factor)));
    const int height = std::max(1, int(std::lround(image.height() * factor)));
    QImage out(width, height, QImage::Format_RGB32);
    cv::Mat dst = wrap(out);
    // Both keep pixel centres at +0.5, so continuous coordinates scale exactly.
    cv::resize(wrap(image), dst, dst.size(), 0, 0, factor < 1 ? cv::INTER_AREA : cv::INTER_LINEAR);
    toOriginal =
        QTransform::fromScale(double(image.width()) / width, double(image.height()) / height);
    return out;
}

QImage jpegRoundTrip(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    QImage decoded;
    decoded.loadFromData(bytes, "JPG");
    return decoded.convertToFormat(QImage::Format_RGB32);
}

} // namespace

std::vector<ImageVariant> imageVariants(const QImage &source,
                                        const std::optional<std::array<QPointF, 4>> &card)
{
    std::vector<ImageVariant> out;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return out;
    const double w = image.width(), h = image.height();
    for (const double factor : {0.5, 0.75, 1.25, 1.5}) {
        ImageVariant v;
        v.name = QStringLiteral("scale%1").arg(factor);
        v.image = scaled(image, factor, v.toOriginal);
        out.push_back(v);
    }
    if (card) {
        double longEdge = 0, x0 = w, y0 = h, x1 = 0, y1 = 0;
        for (size_t i = 0; i < 4; ++i) {
            const QPointF a = (*card)[i], b = (*card)[(i + 1) % 4];
            longEdge = std::max(longEdge, std::hypot(b.x() - a.x(), b.y() - a.y()));
            x0 = std::min(x0, a.x());
            y0 = std::min(y0, a.y());
            x1 = std::max(x1, a.x());
            y1 = std::max(y1, a.y());
        }
        const double margin = 0.25 * longEdge;
        const QRect box = QRect(QPoint(int(std::floor(std::max(0.0, x0 - margin))),
                                       int(std::floor(std::max(0.0, y0 - margin)))),
                                QPoint(int(std::ceil(std::min(w, x1 + margin))) - 1,
                                       int(std::ceil(std::min(h, y1 + margin))) - 1));
        if (box.width() >= 32 && box.height() >= 32) {
            ImageVariant v;
            v.name = QStringLiteral("crop");
            v.image = image.copy(box);
            v.toOriginal = QTransform::fromTranslate(box.x(), box.y());
            out.push_back(v);
        }
    }
    {
        // A quarter turn clockwise: the original point (x, y) lands on (h - y, x).
        ImageVariant v;
        v.name = QStringLiteral("rotate90");
        v.image = image.transformed(QTransform().rotate(90));
        v.toOriginal = QTransform(0, -1, 1, 0, 0, h);
        out.push_back(v);
    }
    {
        ImageVariant v;
        v.name = QStringLiteral("mirror");
        v.image = image.mirrored(true, false);
        v.toOriginal = QTransform(-1, 0, 0, 1, w, 0);
        out.push_back(v);
    }
    {
        ImageVariant v;
        v.name = QStringLiteral("darken60");
        v.image = image.copy();
        cv::Mat m = wrap(v.image);
        cv::multiply(m, cv::Scalar(0.6, 0.6, 0.6, 1.0), m);
        out.push_back(v);
    }
    {
        ImageVariant v;
        v.name = QStringLiteral("jpeg70");
        v.image = jpegRoundTrip(image, 70);
        out.push_back(v);
    }
    return out;
}

namespace {

// The card's bounding box, unclipped.
QRectF boundsOf(const std::array<QPointF, 4> &card)
{
    double x0 = card[0].x(), y0 = card[0].y(), x1 = x0, y1 = y0;
    for (const QPointF &p : card) {
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

using Boxes = std::vector<std::pair<QString, QRect>>;

// The picture cropped to each named box, of those at least a quarter of its width and height.
std::vector<ImageVariant> crops(const QImage &source, const Boxes &boxes)
{
    std::vector<ImageVariant> out;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return out;
    const int w = image.width(), h = image.height();
    for (const auto &[name, box] : boxes) {
        const QRect inside = box & image.rect();
        if (inside.width() < w / 4 || inside.height() < h / 4)
            continue;
        ImageVariant v;
        v.name = name;
        v.image = image.copy(inside);
        v.toOriginal = QTransform::fromTranslate(inside.x(), inside.y());
        out.push_back(v);
    }
    return out;
}

} // namespace

std::vector<ImageVariant> cutVariants(const QImage &source, const std::array<QPointF, 4> &card)
{
    const int w = source.width(), h = source.height();
    const QRectF bounds = boundsOf(card);
    const double x0 = bounds.left(), y0 = bounds.top(), x1 = bounds.right(), y1 = bounds.bottom();
    Boxes boxes;
    for (const int percent : {12, 30}) {
        const double share = percent / 100.0;
        const int left = int(std::ceil(x0 + share * (x1 - x0)));
        const int right = int(std::floor(x1 - share * (x1 - x0)));
        const int top = int(std::ceil(y0 + share * (y1 - y0)));
        const int bottom = int(std::floor(y1 - share * (y1 - y0)));
        const auto name = [percent](char side) {
            return QStringLiteral("cut%1%2").arg(QLatin1Char(side)).arg(percent);
        };
        boxes.insert(boxes.end(), {{name('L'), QRect(left, 0, w - left, h)},
                                   {name('R'), QRect(0, 0, right, h)},
                                   {name('T'), QRect(0, top, w, h - top)},
                                   {name('B'), QRect(0, 0, w, bottom)}});
    }
    return crops(source, boxes);
}

std::vector<ImageVariant> awayVariants(const QImage &source, const std::array<QPointF, 4> &card)
{
    const int w = source.width(), h = source.height();
    const QRectF bounds = boundsOf(card);
    // Clear of the card's shadow and of the rounding of its corners' positions.
    const double margin = std::max(8.0, 0.05 * std::max(bounds.width(), bounds.height()));
    const int left = int(std::floor(bounds.left() - margin));
    const int right = int(std::ceil(bounds.right() + margin));
    const int top = int(std::floor(bounds.top() - margin));
    const int bottom = int(std::ceil(bounds.bottom() + margin));
    return crops(source, {{QStringLiteral("awayL"), QRect(0, 0, left, h)},
                          {QStringLiteral("awayR"), QRect(right, 0, w - right, h)},
                          {QStringLiteral("awayT"), QRect(0, 0, w, top)},
                          {QStringLiteral("awayB"), QRect(0, bottom, w, h - bottom)}});
}

std::vector<ImageVariant> turnVariants(const QImage &source)
{
    std::vector<ImageVariant> out;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return out;
    const double w = image.width(), h = image.height();
    for (const int degrees : {20, -35}) {
        const double t = degrees * CV_PI / 180.0, c = std::cos(t), s = std::sin(t);
        const int width = int(std::ceil(w * std::abs(c) + h * std::abs(s) - 1e-9));
        const int height = int(std::ceil(w * std::abs(s) + h * std::abs(c) - 1e-9));
        // In continuous coordinates, turned about the centres: X = c (x - w/2) - s (y - h/2)
        // + W/2 and Y = s (x - w/2) + c (y - h/2) + H/2. warpAffine works on pixel indices,
        // whose centres lie half a pixel before the continuous ones.
        const double bx = width / 2.0 - c * w / 2.0 + s * h / 2.0;
        const double by = height / 2.0 - s * w / 2.0 - c * h / 2.0;
        const cv::Matx23d forward(c, -s, bx + 0.5 * (c - s) - 0.5, s, c, by + 0.5 * (s + c) - 0.5);
        ImageVariant v;
        v.name = QStringLiteral("turn%1").arg(degrees);
        v.image = QImage(width, height, QImage::Format_RGB32);
        cv::Mat dst = wrap(v.image);
        // The bare corners repeat the nearest border pixel, so the old border is no edge.
        cv::warpAffine(wrap(image), dst, forward, dst.size(), cv::INTER_LINEAR,
                       cv::BORDER_REPLICATE);
        // The inverse turn: x = c (X - W/2) + s (Y - H/2) + w/2, y = -s (X - W/2) + c (Y - H/2)
        // + h/2.
        v.toOriginal = QTransform(c, -s, s, c, w / 2.0 - c * width / 2.0 - s * height / 2.0,
                                  h / 2.0 + s * width / 2.0 - c * height / 2.0);
        out.push_back(v);
    }
    return out;
}
