// The detector gives up on work whose outcome is already settled (a shape whose support can no
// longer reach what its caller demands). These tests hold such shortcuts to the answers of the
// full computation on many shapes, good and bad, of a busy picture.

#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeField.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/QuadGeometry.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

struct Field
{
    cv::Mat small;
    EdgeField field;
    std::vector<quad::Corners> shapes;
};

// The shrunk picture of a card among other shapes, and shapes of every quality on it: around
// the card, a little off it, and at random.
Field busyField()
{
    QImage image(QSize(1920, 1080), QImage::Format_RGB32);
    image.fill(QColor(120, 96, 70));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QRandomGenerator clutter(7);
    for (int i = 0; i < 40; ++i) {
        painter.setBrush(QColor(int(clutter.bounded(256)), int(clutter.bounded(256)),
                                int(clutter.bounded(256))));
        painter.drawRect(QRectF(clutter.bounded(1800), clutter.bounded(1000),
                                20 + clutter.bounded(300), 20 + clutter.bounded(200)));
    }
    const QRectF card(600, 300, 690, 690 * 17.0 / 27.0);
    painter.setBrush(QColor(232, 230, 226));
    painter.drawRoundedRect(card, 25, 25);
    painter.end();
    const std::array<QPointF, 4> corners{card.topLeft(), card.topRight(), card.bottomRight(),
                                         card.bottomLeft()};
    Field f;
    const ColourSampler picture(image.constBits(), image.width(), image.height(),
                                std::ptrdiff_t(image.bytesPerLine()), 4);
    constexpr int factor = 4;
    picture.shrink(factor, f.small);
    EXPECT_TRUE(f.field.compute(f.small));
    QRandomGenerator rng(99);
    const auto jitter = [&](double amount) { return (rng.generateDouble() - 0.5) * amount; };
    for (int i = 0; i < 400; ++i) {
        quad::Corners c;
        const double amount = i < 200 ? 0.1 + i * 0.1 : 0.0;
        for (size_t k = 0; k < 4; ++k) {
            if (i < 200)
                c[k] = cv::Point2d(corners[k].x() / factor + jitter(amount),
                                   corners[k].y() / factor + jitter(amount));
            else
                c[k] = cv::Point2d(rng.bounded(f.small.cols), rng.bounded(f.small.rows));
        }
        quad::orderClockwise(c);
        if (quad::isConvex(c))
            f.shapes.push_back(c);
    }
    return f;
}

} // namespace

// Guards against the support count stopping early on a shape its caller would have taken, or
// reporting other numbers for it than the whole count, also when the sides were measured
// before (shapes of the same lines share sides) under another demand: the proposals, and with
// them every answer, would change.
TEST(DetectorShortcut, supportCountStopsOnlyWhereTheShapeIsRefused)
{
    const Field f = busyField();
    ASSERT_GT(f.shapes.size(), 200u);
    // Whole counts, from a field of its own.
    EdgeField whole;
    ASSERT_TRUE(whole.compute(f.small));
    std::vector<std::pair<double, double>> full;
    for (const quad::Corners &c : f.shapes) {
        double worst = -1;
        const double mean = whole.sideSupport(c, &worst);
        full.emplace_back(mean, worst);
    }
    struct Demand
    {
        double minMean;
        double minWorst;
    };
    // The strictest demand last but one: its cut-short counts are then asked again by a milder
    // one.
    for (const Demand demand :
         {Demand{0.5, 0.25}, Demand{0.6, 0.3}, Demand{0.9, 0.8}, Demand{0.6, 0.0}}) {
        int taken = 0, refused = 0;
        for (size_t i = 0; i < f.shapes.size(); ++i) {
            const auto [mean, worst] = full[i];
            double quickWorst = -1;
            const double quick =
                f.field.sideSupport(f.shapes[i], &quickWorst, demand.minMean, demand.minWorst);
            if (mean >= demand.minMean && worst >= demand.minWorst) {
                ++taken;
                EXPECT_EQ(quick, mean);
                EXPECT_EQ(quickWorst, worst);
            } else {
                ++refused;
                EXPECT_TRUE(quick < demand.minMean || quickWorst < demand.minWorst)
                    << "a shape of mean " << mean << " and worst " << worst << " was taken";
            }
        }
        // Both kinds must be there for the comparison to mean anything.
        EXPECT_GT(taken, 10) << demand.minMean;
        EXPECT_GT(refused, 10) << demand.minMean;
    }
}

TEST(DetectorShortcut, sideShareKnowsWhetherItReachesWhatIsNeeded)
{
    const Field f = busyField();
    int reached = 0, missed = 0;
    for (const quad::Corners &c : f.shapes) {
        cv::Point2d centre(0, 0);
        for (const auto &p : c)
            centre += p * 0.25;
        for (size_t k = 0; k < 4; ++k) {
            const cv::Point2d a = c[k], b = c[(k + 1) % 4];
            const double share = f.field.sideShare(a, b, centre, 24);
            for (const double needed : {0.3, 0.6, 0.9}) {
                const double quick = f.field.sideShare(a, b, centre, 24, needed);
                if (share >= needed) {
                    ++reached;
                    EXPECT_EQ(quick, share);
                } else {
                    ++missed;
                    EXPECT_LT(quick, needed);
                }
            }
        }
    }
    EXPECT_GT(reached, 50);
    EXPECT_GT(missed, 50);
}

// Guards the vector path of the edge field: at every pixel, and in the columns past the last
// full vector, the gradient is that of the colour channel whose gradient is largest (the first
// such channel on a tie), as Canny takes it for colour.
TEST(DetectorShortcut, fieldTakesTheStrongestChannelsGradientEverywhere)
{
    cv::Mat image(117, 203, CV_8UC3);
    cv::randu(image, 0, 256);
    cv::GaussianBlur(image, image, cv::Size(3, 3), 0.8); // ties and near ties of channels
    EdgeField field;
    ASSERT_TRUE(field.compute(image));
    cv::Mat smooth, dx, dy;
    cv::GaussianBlur(image, smooth, cv::Size(5, 5), 1.2, 1.2, cv::BORDER_REPLICATE);
    cv::Sobel(smooth, dx, CV_16S, 1, 0, 3, 1, 0, cv::BORDER_REPLICATE);
    cv::Sobel(smooth, dy, CV_16S, 0, 1, 3, 1, 0, cv::BORDER_REPLICATE);
    int mismatches = 0;
    for (int y = 0; y < image.rows; ++y) {
        for (int x = 0; x < image.cols; ++x) {
            const cv::Vec3s gx = dx.at<cv::Vec3s>(y, x), gy = dy.at<cv::Vec3s>(y, x);
            int strongest = 0;
            for (int c = 1; c < 3; ++c) {
                if (std::abs(gx[c]) + std::abs(gy[c]) >
                    std::abs(gx[strongest]) + std::abs(gy[strongest]))
                    strongest = c;
            }
            mismatches += field.dx().at<short>(y, x) != gx[strongest] ||
                          field.dy().at<short>(y, x) != gy[strongest];
        }
    }
    EXPECT_EQ(mismatches, 0);
}

// Guards the memory of fitted sides: a side taken from it must be the side a fresh fit gives,
// and new pixels under the same buffer (the next frame) must never be answered from it.
TEST(DetectorShortcut, rememberedSidesAreTheSidesAFreshFitGives)
{
    QImage image(QSize(480, 270), QImage::Format_RGB32);
    const auto paint = [&](QPointF shift) {
        image.fill(QColor(120, 96, 70));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(232, 230, 226));
        painter.drawRoundedRect(QRectF(QPointF(150, 80) + shift, QSizeF(172, 108)), 6, 6);
    };
    const ColourSampler picture(image.constBits(), image.width(), image.height(),
                                std::ptrdiff_t(image.bytesPerLine()), 4);
    // The card's outline, and the same with one side moved outwards by a few pixels at a time:
    // the side opposite the moved one is the same each time.
    std::vector<quad::Corners> shapes;
    for (int moved = 0; moved < 4; ++moved) {
        for (double offset : {0.0, 2.0, 4.0}) {
            quad::Corners c{cv::Point2d(151, 81), cv::Point2d(321, 79), cv::Point2d(322, 187),
                            cv::Point2d(149, 189)};
            const cv::Point2d out[] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
            c[size_t(moved)] += out[moved] * offset;
            c[size_t((moved + 1) % 4)] += out[moved] * offset;
            shapes.push_back(c);
        }
    }
    EdgeRefiner::Params params;
    params.searchRadius = 7;
    const auto same = [](const EdgeRefiner::Result &x, const EdgeRefiner::Result &y) {
        for (size_t k = 0; k < 4; ++k) {
            const EdgeRefiner::Side &s = x.sides[k], &t = y.sides[k];
            if (x.corners[k] != y.corners[k] || s.line.p != t.line.p || s.line.d != t.line.d ||
                s.inliers != t.inliers || s.profiles != t.profiles || s.rms != t.rms ||
                s.contrast != t.contrast || s.polarity != t.polarity ||
                s.edgeWidth != t.edgeWidth || s.gaps != t.gaps)
                return false;
        }
        return true;
    };
    EdgeRefiner remembering, fresh;
    for (std::uint64_t frame = 1; frame <= 2; ++frame) {
        paint(QPointF(frame == 1 ? 0 : 3, frame == 1 ? 0 : 2));
        remembering.rememberSidesOf(frame);
        for (const quad::Corners &c : shapes) {
            EdgeRefiner::Result x, y;
            const bool a = remembering.refine(picture, c, params, x);
            const bool b = fresh.refine(picture, c, params, y);
            ASSERT_EQ(a, b);
            if (a) {
                EXPECT_TRUE(same(x, y)) << "frame " << frame;
            }
        }
    }
}

// Guards the fast paths of the brightness profiles (a whole window inside the picture, a single
// tap, the vector stores): every value must be the sum of the bilinear colours at the taps,
// times the scale, as ColourSampler::at gives them, for grey, BGR and BGRA pixels.
TEST(DetectorShortcut, profilesAreSumsOfTheBilinearColours)
{
    QRandomGenerator rng(5);
    for (const int bytes : {1, 3, 4}) {
        cv::Mat pixels(61, 83, CV_8UC(bytes));
        cv::randu(pixels, 0, 256);
        const ColourSampler sampler(pixels);
        for (int trial = 0; trial < 300; ++trial) {
            const double angle = rng.generateDouble() * 6.283;
            const cv::Point2d across(std::cos(angle), std::sin(angle));
            const cv::Point2d along(-across.y, across.x);
            // Most windows inside the picture, some over its border.
            const cv::Point2d centre(rng.generateDouble() * 90 - 3, rng.generateDouble() * 68 - 3);
            const int radius = 2 + int(rng.bounded(8));
            const int taps = trial % 2 == 0 ? 1 : 3;
            const float scale = 3.0f / float(taps);
            // One value more than the profile needs, to catch a write past its end.
            std::vector<float> out(size_t(3 * (2 * radius + 1) + 1), -1.0f);
            sampler.profile(centre, across, along, radius, taps, scale, out.data());
            for (int k = 0; k <= 2 * radius; ++k) {
                const cv::Point2d q = centre + across * double(k - radius);
                std::array<float, 3> sum{0, 0, 0};
                for (int t = 0; t < taps; ++t) {
                    const double half = 0.5 * (taps - 1);
                    const auto c =
                        sampler.at(q.x + along.x * (t - half), q.y + along.y * (t - half));
                    for (size_t ch = 0; ch < 3; ++ch)
                        sum[ch] += c[ch];
                }
                for (size_t ch = 0; ch < 3; ++ch) {
                    ASSERT_EQ(out[size_t(3 * k) + ch], sum[ch] * scale)
                        << bytes << " bytes, sample " << k << " of trial " << trial;
                }
            }
            EXPECT_EQ(out.back(), -1.0f) << "written past the profile";
        }
    }
}

// Guards the vote on a side's colour step, which passes over directions that let the same
// peaks agree as one already counted: the step found along most of the side must still win
// over a stronger one that the first profiles show (a red stripe printed along a quarter of
// the card's top edge, just inside it).
TEST(DetectorShortcut, sideTakesTheStepSeenAlongMostOfIt)
{
    QImage image(QSize(400, 300), QImage::Format_RGB32);
    image.fill(QColor(90, 70, 50));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 200, 205));
    painter.drawRect(QRectF(80, 80, 240, 150));
    painter.setBrush(QColor(220, 20, 20));
    painter.drawRect(QRectF(80, 83, 60, 4));
    painter.end();
    const ColourSampler picture(image.constBits(), image.width(), image.height(),
                                std::ptrdiff_t(image.bytesPerLine()), 4);
    EdgeRefiner refiner;
    EdgeRefiner::Params params;
    params.searchRadius = 6;
    params.marginFraction = 0.02;
    EdgeRefiner::Result fit;
    ASSERT_TRUE(refiner.refine(
        picture,
        {cv::Point2d(81, 82), cv::Point2d(319, 82), cv::Point2d(319, 229), cv::Point2d(81, 229)},
        params, fit));
    const EdgeRefiner::Side &top = fit.sides[0];
    // The card's edge is the line y = 80.
    EXPECT_NEAR(top.line.p.y + (200 - top.line.p.x) * top.line.d.y / top.line.d.x, 80.0, 0.5);
    EXPECT_GT(top.inliers, top.profiles * 3 / 4);
}

// Guards the one-row path of shrinking 32-bit frames (blocks of 3 x 3 and more, and no
// shrinking at all): it must give the same picture as the general path does for the same
// pixels in three bytes, to the last column of an odd width.
TEST(DetectorShortcut, shrinkingFramesGivesTheSamePictureWhateverThePixelSize)
{
    cv::Mat bgra(203, 331, CV_8UC4);
    cv::randu(bgra, 0, 256);
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    for (int factor = 1; factor <= 9; ++factor) {
        cv::Mat fromFour, fromThree;
        ColourSampler(bgra).shrink(factor, fromFour);
        ColourSampler(bgr).shrink(factor, fromThree);
        ASSERT_EQ(fromFour.size(), fromThree.size()) << factor;
        EXPECT_EQ(cv::norm(fromFour, fromThree, cv::NORM_INF), 0.0) << "factor " << factor;
    }
}

// Guards the quick comparison of shapes corner by corner against the full one, many of them
// with a corner just either side of the limit, where a shortcut would first go wrong.
TEST(DetectorShortcut, closerThanAgreesWithTheLargestCornerDistance)
{
    QRandomGenerator rng(11);
    int closer = 0, further = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        quad::Corners a, b;
        const double limit = trial % 3 == 0 ? 2.5 : trial % 3 == 1 ? 5.0 : 0.1 * (trial % 50);
        for (size_t k = 0; k < 4; ++k) {
            a[k] = cv::Point2d(rng.generateDouble() * 500, rng.generateDouble() * 500);
            const double angle = rng.generateDouble() * 6.283;
            // Mostly near the limit, straight along x or at an angle.
            double r = limit * (0.999 + 0.002 * rng.generateDouble());
            if (trial % 5 == 0)
                r = limit * 2 * rng.generateDouble();
            const cv::Point2d step = trial % 2 == 0
                                         ? cv::Point2d(r, 0)
                                         : cv::Point2d(r * std::cos(angle), r * std::sin(angle));
            b[k] = a[k] + (k == size_t(trial % 4) ? step : step * 0.5);
        }
        const bool expected = quad::maxCornerDistance(a, b) < limit;
        ASSERT_EQ(quad::closerThan(a, b, limit), expected) << "trial " << trial;
        (expected ? closer : further)++;
    }
    EXPECT_GT(closer, 1000);
    EXPECT_GT(further, 1000);
}
