#include "capture/detector/SyntheticCard.h"

#include <QBuffer>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

cv::Mat wrap(QImage &image)
{
    return cv::Mat(image.height(), image.width(), CV_8UC4, image.bits(),
                   size_t(image.bytesPerLine()));
}

QPointF apply(const std::array<double, 9> &h, double x, double y)
{
    const double w = h[6] * x + h[7] * y + h[8];
    return {(h[0] * x + h[1] * y + h[2]) / w, (h[3] * x + h[4] * y + h[5]) / w};
}

double roundedBoxDistance(double x, double y, const QRectF &r, double radius)
{
    const double cx = r.center().x(), cy = r.center().y();
    const double qx = std::abs(x - cx) - (r.width() * 0.5 - radius);
    const double qy = std::abs(y - cy) - (r.height() * 0.5 - radius);
    const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::hypot(ox, oy) + std::min(std::max(qx, qy), 0.0) - radius;
}

} // namespace

SyntheticCard::SyntheticCard(const std::array<QPointF, 4> &imageCorners, double widthMm,
                             double heightMm)
    : m_widthMm(widthMm), m_heightMm(heightMm)
{
    // Single precision would put the outline a few hundredths of a pixel off.
    std::vector<cv::Point2d> src = {{0, 0}, {widthMm, 0}, {widthMm, heightMm}, {0, heightMm}};
    std::vector<cv::Point2d> dst;
    for (const auto &p : imageCorners)
        dst.emplace_back(p.x(), p.y());
    cv::Mat a(8, 8, CV_64F), b(8, 1, CV_64F);
    for (int i = 0; i < 4; ++i) {
        const double x = src[size_t(i)].x, y = src[size_t(i)].y;
        const double u = dst[size_t(i)].x, v = dst[size_t(i)].y;
        const double r1[8] = {x, y, 1, 0, 0, 0, -x * u, -y * u};
        const double r2[8] = {0, 0, 0, x, y, 1, -x * v, -y * v};
        for (int j = 0; j < 8; ++j) {
            a.at<double>(2 * i, j) = r1[j];
            a.at<double>(2 * i + 1, j) = r2[j];
        }
        b.at<double>(2 * i) = u;
        b.at<double>(2 * i + 1) = v;
    }
    cv::Mat h;
    cv::solve(a, b, h, cv::DECOMP_LU);
    for (int i = 0; i < 8; ++i)
        m_toImage[size_t(i)] = h.at<double>(i);
    m_toImage[8] = 1;
    cv::Mat m(3, 3, CV_64F, m_toImage.data());
    cv::Mat inv = m.inv();
    for (int i = 0; i < 9; ++i)
        m_toPlane[size_t(i)] = inv.at<double>(i / 3, i % 3);
}

QPointF SyntheticCard::map(QPointF mm) const
{
    return apply(m_toImage, mm.x(), mm.y());
}

void SyntheticCard::fill(QImage &image, const QRectF &rectMm, double radiusMm, QColor colour) const
{
    const QPointF c[4] = {map(rectMm.topLeft()), map(rectMm.topRight()), map(rectMm.bottomRight()),
                          map(rectMm.bottomLeft())};
    double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
    for (const auto &p : c) {
        x0 = std::min(x0, p.x());
        y0 = std::min(y0, p.y());
        x1 = std::max(x1, p.x());
        y1 = std::max(y1, p.y());
    }
    const int ix0 = std::max(0, int(std::floor(x0)) - 2);
    const int iy0 = std::max(0, int(std::floor(y0)) - 2);
    const int ix1 = std::min(image.width() - 1, int(std::ceil(x1)) + 2);
    const int iy1 = std::min(image.height() - 1, int(std::ceil(y1)) + 2);
    const int cr = colour.red(), cg = colour.green(), cb = colour.blue();
    constexpr int sub = 8;
    for (int y = iy0; y <= iy1; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = ix0; x <= ix1; ++x) {
            const QPointF p = apply(m_toPlane, x + 0.5, y + 0.5);
            const QPointF px = apply(m_toPlane, x + 1.5, y + 0.5);
            const QPointF py = apply(m_toPlane, x + 0.5, y + 1.5);
            const double pixelMm = std::max(std::hypot(px.x() - p.x(), px.y() - p.y()),
                                            std::hypot(py.x() - p.x(), py.y() - p.y()));
            const double d = roundedBoxDistance(p.x(), p.y(), rectMm, radiusMm);
            double cover;
            if (d > pixelMm * 1.5) {
                continue;
            } else if (d < -pixelMm * 1.5) {
                cover = 1;
            } else {
                int inside = 0;
                for (int sy = 0; sy < sub; ++sy) {
                    for (int sx = 0; sx < sub; ++sx) {
                        const QPointF q =
                            apply(m_toPlane, x + (sx + 0.5) / sub, y + (sy + 0.5) / sub);
                        inside += roundedBoxDistance(q.x(), q.y(), rectMm, radiusMm) < 0;
                    }
                }
                if (inside == 0)
                    continue;
                cover = double(inside) / (sub * sub);
            }
            const QRgb old = line[x];
            auto mix = [cover](int a, int b) {
                return int(std::lround(a * (1 - cover) + b * cover));
            };
            line[x] = qRgb(mix(qRed(old), cr), mix(qGreen(old), cg), mix(qBlue(old), cb));
        }
    }
}

void SyntheticCard::drawCard(QImage &image, QColor colour, bool face) const
{
    fill(image, QRectF(0, 0, m_widthMm, m_heightMm), 3.0, colour);
    if (!face)
        return;
    const QColor ink = colour.lightness() > 128 ? colour.darker(130) : colour.lighter(160);
    // A chip, a printed band and a line of digits.
    fill(image, QRectF(9, 18, 11, 8.5), 1.5, QColor(200, 170, 90));
    fill(image, QRectF(0, 40, m_widthMm, 6), 0, ink);
    for (int i = 0; i < 12; ++i)
        fill(image, QRectF(9 + i * 5.5, 32, 3.5, 4), 0.5, ink);
}

QImage SyntheticCard::background(QSize size, QColor colour, double grain, unsigned seed)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (grain <= 0)
        return image;
    // Wood-like grain: bands along one direction, wavy and of uneven width.
    cv::RNG rng(seed);
    const double angle = rng.uniform(0.0, CV_PI);
    const double ca = std::cos(angle), sa = std::sin(angle);
    const double period = rng.uniform(9.0, 25.0) * std::max(size.width(), size.height()) / 1000.0;
    const double wave = rng.uniform(0.002, 0.006);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const double u = x * ca + y * sa, v = -x * sa + y * ca;
            const double phase = (u + 40.0 * std::sin(v * wave)) / period;
            const double s = std::sin(phase + 0.8 * std::sin(phase * 0.37));
            const double k = 1.0 + grain * s;
            line[x] = qRgb(std::clamp(int(colour.red() * k), 0, 255),
                           std::clamp(int(colour.green() * k), 0, 255),
                           std::clamp(int(colour.blue() * k), 0, 255));
        }
    }
    return image;
}

void SyntheticCard::blur(QImage &image, double sigma)
{
    if (sigma <= 0)
        return;
    cv::Mat m = wrap(image);
    cv::GaussianBlur(m, m, cv::Size(0, 0), sigma);
}

void SyntheticCard::addNoise(QImage &image, double sigma, unsigned seed)
{
    if (sigma <= 0)
        return;
    cv::Mat m = wrap(image);
    cv::Mat noise(m.size(), CV_16SC4);
    cv::RNG rng(seed);
    rng.fill(noise, cv::RNG::NORMAL, 0, sigma);
    cv::Mat wide;
    m.convertTo(wide, CV_16SC4);
    wide += noise;
    wide.convertTo(m, CV_8UC4);
    // Keep the pixels opaque.
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] |= 0xff000000u;
    }
}

QImage SyntheticCard::jpeg(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    QImage decoded;
    decoded.loadFromData(bytes, "JPEG");
    return decoded.convertToFormat(QImage::Format_RGB32);
}

std::array<QPointF, 4> SyntheticCard::pose(QSize imageSize, QPointF centre, double widthPx,
                                           double angle, double tilt, double aspect)
{
    const double focal = 0.8 * std::max(imageSize.width(), imageSize.height());
    const QPointF principal(imageSize.width() * 0.5, imageSize.height() * 0.5);
    const double w = widthPx * 0.5, h = widthPx / aspect * 0.5;
    const double a = angle * CV_PI / 180.0, t = tilt * CV_PI / 180.0;
    const double ca = std::cos(a), sa = std::sin(a), ct = std::cos(t), st = std::sin(t);
    // The plane's centre sits at depth `focal` on the ray through `centre`, so a width of
    // widthPx in the plane appears about widthPx wide.
    const double tx = (centre.x() - principal.x()), ty = (centre.y() - principal.y());
    const double local[4][2] = {{-w, -h}, {w, -h}, {w, h}, {-w, h}};
    std::array<QPointF, 4> out;
    for (int i = 0; i < 4; ++i) {
        const double x = local[i][0] * ca - local[i][1] * sa;
        const double y = local[i][0] * sa + local[i][1] * ca;
        // Tilt about the horizontal axis through the plane's centre.
        const double yy = y * ct, zz = y * st;
        const double X = x + tx, Y = yy + ty, Z = focal + zz;
        out[size_t(i)] = QPointF(principal.x() + focal * X / Z, principal.y() + focal * Y / Z);
    }
    return out;
}
