#include "capture/CardDetector.h"
#include "capture/detector/SyntheticCard.h"
#include "core/Distance.h"
#include "core/ProjectiveManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Quad = std::array<QPointF, 4>;

double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}

// The detector's corners in picture coordinates (y down), in its own naming order.
Quad flipped(const RectangleFeature &f, int height)
{
    const auto down = [height](QPointF p) { return QPointF(p.x(), height - p.y()); };
    return {down(f.topLeft), down(f.topRight), down(f.bottomRight), down(f.bottomLeft)};
}

// Clockwise on screen from the corner with the smallest x + y.
Quad ordered(Quad c)
{
    QPointF centre;
    for (const auto &p : c)
        centre += p / 4;
    std::sort(c.begin(), c.end(), [&](QPointF a, QPointF b) {
        return std::atan2(a.y() - centre.y(), a.x() - centre.x()) <
               std::atan2(b.y() - centre.y(), b.x() - centre.x());
    });
    std::rotate(
        c.begin(),
        std::min_element(c.begin(), c.end(),
                         [](QPointF a, QPointF b) { return a.x() + a.y() < b.x() + b.y(); }),
        c.end());
    return c;
}

double worstCorner(const Quad &a, const Quad &b)
{
    double worst = 0;
    for (size_t i = 0; i < 4; ++i)
        worst = std::max(worst, distance(a[i], b[i]));
    return worst;
}

QImage cardScene(QSize size, const Quad &corners, QColor table = QColor(90, 95, 100),
                 QColor card = QColor(230, 228, 220), double blur = 0.7, double noise = 1.5)
{
    QImage image = SyntheticCard::background(size, table, 0.0, 1);
    SyntheticCard(corners).drawCard(image, card);
    SyntheticCard::blur(image, blur);
    SyntheticCard::addNoise(image, noise, 2);
    return image;
}

// Length of the plane segment a-b (mm) measured through a homography from the card corners.
double measuredLength(const Quad &cardCorners, const SyntheticCard &plane, QPointF a, QPointF b)
{
    Distance d{plane.map(a), plane.map(b), 0};
    d.recalculate(*ProjectiveManager::shared().projectiveMatrix(cardCorners));
    return d.distance;
}

} // namespace

// Guards against corners taken on the rounded arcs, which makes every length about 2 % long.
TEST(CardDetector, cornersAreWhereTheStraightEdgesMeetNotOnTheArcs)
{
    const QSize size(3000, 2250);
    const Quad truth = SyntheticCard::pose(size, QPointF(1500, 1100), 1800, 8, 15);
    const auto features = CardDetector().features(cardScene(size, truth));
    ASSERT_FALSE(features.empty());
    const Quad found = flipped(features.front(), size.height());
    EXPECT_LT(worstCorner(found, ordered(truth)), 0.5);
    // A 150 mm object lying beside the card.
    const double length = measuredLength(found, SyntheticCard(truth), {-40, 70}, {110, 70});
    EXPECT_LT(std::abs(length / 150 - 1), 0.001) << length << " mm";
}

// Guards continuous coordinates (pixel centres at +0.5) and corner naming after the y flip.
TEST(CardDetector, reportsContinuousYUpCoordinatesOfAnAxisAlignedCard)
{
    const QSize size(1600, 1200);
    // Edges exactly on pixel boundaries: 864 x 544 px is 27:17.
    const Quad truth{QPointF(300, 250), QPointF(1164, 250), QPointF(1164, 794), QPointF(300, 794)};
    const auto features = CardDetector().features(
        cardScene(size, truth, QColor(60, 60, 60), QColor(235, 235, 235), 0.0, 0.0));
    ASSERT_FALSE(features.empty());
    const RectangleFeature &f = features.front();
    const QPointF yUp[] = {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(yUp[i].x(), truth[i].x(), 0.05) << "corner " << i;
        EXPECT_NEAR(yUp[i].y(), size.height() - truth[i].y(), 0.05) << "corner " << i;
    }
}

// Guards corner naming under rotation: topLeft has the smallest x + y, names run clockwise.
TEST(CardDetector, namesCornersConsistentlyAtEveryAngle)
{
    const QSize size(1280, 960);
    CardDetector detector;
    for (int angle = 0; angle < 360; angle += 20) {
        const Quad truth = SyntheticCard::pose(size, QPointF(640, 480), 520, angle + 3, 20);
        const QImage image = cardScene(size, truth);
        const auto features = detector.features(image);
        ASSERT_FALSE(features.empty()) << "angle " << angle;
        const Quad found = flipped(features.front(), image.height());
        EXPECT_LT(worstCorner(found, ordered(truth)), 0.5) << "angle " << angle;
        double area = 0;
        for (size_t i = 0; i < 4; ++i)
            area += found[i].x() * found[(i + 1) % 4].y() - found[(i + 1) % 4].x() * found[i].y();
        EXPECT_GT(area, 0) << "not clockwise on screen at angle " << angle;
    }
}

// Guards against an A4 sheet or wood grain taken for the card.
TEST(CardDetector, prefersTheCardShapeAndReportsNothingWithoutOne)
{
    const QSize size(1920, 1080);
    QImage image = SyntheticCard::background(size, QColor(120, 90, 60), 0.12, 5);
    const SyntheticCard sheet(
        SyntheticCard::pose(size, QPointF(560, 540), 700, -10, 15, 297.0 / 210), 297, 210);
    sheet.fill(image, QRectF(0, 0, 297, 210), 0, QColor(245, 245, 240));
    QImage withoutCard = image;
    const Quad truth = SyntheticCard::pose(size, QPointF(1400, 560), 520, 12, 15);
    SyntheticCard(truth).drawCard(image, QColor(30, 60, 140));
    for (QImage *picture : {&image, &withoutCard}) {
        SyntheticCard::blur(*picture, 0.7);
        SyntheticCard::addNoise(*picture, 2.0, 9);
    }

    CardDetector detector;
    const auto features = detector.features(image);
    ASSERT_FALSE(features.empty());
    EXPECT_LT(worstCorner(flipped(features.front(), size.height()), ordered(truth)), 0.5);

    EXPECT_TRUE(detector.features(withoutCard).empty()) << "the A4 sheet taken for a card";

    QImage grain = SyntheticCard::background(size, QColor(150, 110, 70), 0.25, 8);
    SyntheticCard::addNoise(grain, 4.0, 3);
    EXPECT_TRUE(detector.features(grain).empty()) << "wood grain taken for a card";
}

// Guards grey, alpha, 24/64-bit and odd-sized pictures against stride and row-end mistakes.
TEST(CardDetector, handlesGreyAlphaAndOddSizedPictures)
{
    const QSize size(1279, 957);
    const Quad truth = SyntheticCard::pose(size, QPointF(630, 470), 560, 33, 10);
    const QImage image = cardScene(size, truth);
    CardDetector detector;
    QImage alpha = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < alpha.height(); y += 7)
        reinterpret_cast<QRgb *>(alpha.scanLine(y))[y % alpha.width()] &= 0x00ffffffu;
    const QImage variants[] = {image,
                               image.convertToFormat(QImage::Format_Grayscale8),
                               alpha,
                               image.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                               image.convertToFormat(QImage::Format_RGB888),
                               image.convertToFormat(QImage::Format_Grayscale16),
                               image.convertToFormat(QImage::Format_RGBA64)};
    for (const QImage &variant : variants) {
        const auto features = detector.features(variant);
        ASSERT_FALSE(features.empty()) << "format " << int(variant.format());
        EXPECT_LT(worstCorner(flipped(features.front(), size.height()), ordered(truth)), 0.5)
            << "format " << int(variant.format());
    }
}

// Guards against crashes on degenerate pictures: nothing, tiny, a line, flat, extreme shapes.
TEST(CardDetector, degeneratePicturesGiveNothingAndDoNotCrash)
{
    CardDetector detector;
    EXPECT_TRUE(detector.features(QImage()).empty());
    EXPECT_TRUE(detector.features(QImage(0, 0, QImage::Format_RGB32)).empty());
    for (const QSize size : {QSize(1, 1), QSize(2, 3), QSize(31, 17), QSize(33, 33), QSize(4000, 2),
                             QSize(3, 3000), QSize(641, 33), QSize(1921, 1081)}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(128, 128, 128));
        EXPECT_TRUE(detector.features(image).empty()) << size.width() << "x" << size.height();
        SyntheticCard::addNoise(image, 60, 4);
        (void)detector.features(image);
    }
    // A card cut by the picture's border is not a card to measure with.
    const QSize size(1280, 960);
    const Quad outside = SyntheticCard::pose(size, QPointF(60, 480), 600, 0, 0);
    EXPECT_TRUE(detector.features(cardScene(size, outside)).empty());
}
