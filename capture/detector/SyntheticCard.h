#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

#include <array>

// Draws test pictures for the detector's tests and benchmark: rounded rectangles lying in a
// plane seen through a homography, anti-aliased by exact coverage near the outline, on plain,
// noisy or grained backgrounds. Ground truth is exact because the outline is analytic.
class SyntheticCard
{
public:
    static constexpr double cardWidthMm = 85.725;
    static constexpr double cardHeightMm = 53.975;

    // imageCorners: where the plane points (0, 0), (w, 0), (w, h), (0, h) land in the picture
    // (y down, continuous coordinates). The plane is then w x h millimetres.
    explicit SyntheticCard(const std::array<QPointF, 4> &imageCorners, double widthMm = cardWidthMm,
                           double heightMm = cardHeightMm);

    // Fills rect (plane millimetres) with rounded corners of the given radius.
    void fill(QImage &image, const QRectF &rectMm, double radiusMm, QColor colour) const;
    // The whole card: outline with a 3 mm radius and a plausible face.
    void drawCard(QImage &image, QColor colour, bool face = true) const;

    [[nodiscard]] QPointF map(QPointF mm) const;

    // Scene helpers, all deterministic for a seed.
    [[nodiscard]] static QImage background(QSize size, QColor colour, double grain, unsigned seed);
    static void blur(QImage &image, double sigma);
    static void addNoise(QImage &image, double sigma, unsigned seed);
    [[nodiscard]] static QImage jpeg(const QImage &image, int quality);

    // Picture corners of a rectangle about widthPx wide whose centre appears at centre,
    // turned by angle (degrees) in its plane and tilted away from the camera by tilt
    // (degrees), as a pinhole camera with its principal point at the picture's centre and a
    // focal length of 0.8 of the picture's long side sees it.
    [[nodiscard]] static std::array<QPointF, 4> pose(QSize imageSize, QPointF centre,
                                                     double widthPx, double angle,
                                                     double tilt = 0.0,
                                                     double aspect = cardWidthMm / cardHeightMm);

private:
    double m_widthMm;
    double m_heightMm;
    std::array<double, 9> m_toImage{};
    std::array<double, 9> m_toPlane{};
};
