#include "capture/CardDetector.h"
#include "capture/detector/CardChecks.h"
#include "capture/detector/CoarseSearch.h"
#include "capture/detector/ColourSampler.h"
#include "capture/detector/EdgeField.h"
#include "capture/detector/EdgeRefiner.h"
#include "capture/detector/FineRefinement.h"
#include "tests/capture/DetectorTesting.h"
#include "tools/scenegen/SceneGenerator.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>

namespace {

using namespace DetectorTesting;

// cardWidth: the card's long edge as a share of the picture's width (a close card), or the
// category's own.
SceneSpec sceneOf(SceneCategory category, QSize size, quint64 seed,
                  std::optional<double> cardWidth = {})
{
    SceneSpec setup;
    setup.category = category;
    setup.width = size.width();
    setup.height = size.height();
    setup.seed = seed;
    setup.cardWidthFraction = cardWidth;
    return setup;
}

void addNoise(QImage &image, int amplitude, quint32 seed)
{
    QRandomGenerator rng(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = int(rng.bounded(2 * amplitude + 1)) - amplitude;
            const auto at = [n](int v) { return std::clamp(v + n, 0, 255); };
            row[x] = qRgb(at(qRed(row[x])), at(qGreen(row[x])), at(qBlue(row[x])));
        }
    }
}

// A table of one colour with what `draw` paints on it (antialiased, no outlines), under sensor
// noise of three levels.
QImage painted(QSize size, QColor table, quint32 noiseSeed,
               const std::function<void(QPainter &)> &draw)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(table);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    draw(painter);
    painter.end();
    addNoise(image, 3, noiseSeed);
    return image;
}

// The picture as a phone saves it.
QImage asJpeg(const QImage &image)
{
    QByteArray saved;
    QBuffer buffer(&saved);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "JPG", 92))
        return {};
    return QImage::fromData(saved, "JPG");
}

// A rectangle with its top corners rounded as a card's (3.7 % of its width) and its bottom
// ones sharp: a printed photo, a key.
QPainterPath twoCardCorners(const QRectF &r)
{
    const double radius = 0.037 * r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.bottom());
    path.lineTo(r.left(), r.top() + radius);
    path.arcTo(QRectF(r.left(), r.top(), 2 * radius, 2 * radius), 180, -90);
    path.lineTo(r.right() - radius, r.top());
    path.arcTo(QRectF(r.right() - 2 * radius, r.top(), 2 * radius, 2 * radius), 90, -90);
    path.lineTo(r.right(), r.bottom());
    path.closeSubpath();
    return path;
}

// The card of a generated scene is found, every corner within `pixels` (one unless the card's
// edges are too faint for that); saved as a phone saves it when `jpeg`.
void expectCardFound(const SceneSpec &setup, double pixels = 1.0, bool jpeg = false)
{
    const Scene scene = renderScene(setup);
    const auto features = CardDetector().features(jpeg ? asJpeg(scene.image) : scene.image);
    ASSERT_FALSE(features.empty()) << "seed " << setup.seed;
    EXPECT_LT(worstCorner(flipped(features.front(), scene.image.height()), scene.card), pixels)
        << "seed " << setup.seed;
}

// No card is reported in a generated scene saved as a phone saves it.
void expectNoCard(const SceneSpec &setup)
{
    const QImage photo = asJpeg(renderScene(setup).image);
    ASSERT_FALSE(photo.isNull());
    const auto features = CardDetector().features(photo);
    EXPECT_TRUE(features.empty()) << "seed " << setup.seed << ": reported a shape at "
                                  << features.front().topLeft.x() << ","
                                  << photo.height() - features.front().topLeft.y();
}

// Whether the full-size fit takes `card` (a rectangle of the picture) for a card when it comes
// from the shrunk picture's search as a closed outline or from loose lines, with the
// proportion error the shrunk picture's fit showed.
bool fineAccepts(const QImage &image, const QRectF &card, bool loose, double aspectError = 0)
{
    const ColourSampler sampler(image.constBits(), image.width(), image.height(),
                                std::ptrdiff_t(image.bytesPerLine()), 4);
    constexpr int factor = 4;
    const FineRefinement::Frame frame{sampler, cv::Size2d(image.width(), image.height()), 0.0,
                                      CardGeometry::aspectRatio, factor};
    Hypothesis shape;
    shape.corners = {cv::Point2d(card.left(), card.top()), cv::Point2d(card.right(), card.top()),
                     cv::Point2d(card.right(), card.bottom()),
                     cv::Point2d(card.left(), card.bottom())};
    for (auto &c : shape.corners)
        c /= factor;
    shape.aspectError = aspectError;
    shape.score = 1;
    shape.loose = loose;
    FineRefinement fine;
    fine.run(frame, {shape});
    return !fine.cards().empty();
}

} // namespace

// Guards against corners taken on the rounded arcs: on a large card they are tens of pixels
// off the straight edges' intersections and make every length about 1.5 % long.
TEST(CardDetector, cornersAreWhereTheStraightEdgesMeetNotOnTheArcs)
{
    SceneSpec setup = sceneOf(SceneCategory::Plain, QSize(3000, 2250), 31);
    setup.cardWidthFraction = 0.55;
    setup.tiltDeg = 15;
    const Scene scene = renderScene(setup);
    const auto features = CardDetector().features(scene.image);
    ASSERT_FALSE(features.empty());
    const Quad found = flipped(features.front(), scene.image.height());
    EXPECT_LT(worstCorner(found, scene.card), 1.0);
    const double length =
        lengthThroughCard(found, scene.cardFirstEdgeLong, scene.objectFrom, scene.objectTo);
    EXPECT_LT(std::abs(length / scene.objectLengthMm - 1), 0.003) << length << " mm";
}

// Guards continuous coordinates (pixel centres at +0.5) and corner naming after the y flip.
TEST(CardDetector, reportsContinuousYUpCoordinatesOfAnAxisAlignedCard)
{
    // Edges exactly on pixel boundaries: 864 x 544 px is 27:17.
    const Quad truth{QPointF(300, 250), QPointF(1164, 250), QPointF(1164, 794), QPointF(300, 794)};
    SceneSpec setup = sceneOf(SceneCategory::Plain, QSize(1600, 1200), 3);
    setup.clean = true;
    setup.cardCorners = truth;
    const Scene scene = renderScene(setup);
    const auto features = CardDetector().features(scene.image);
    ASSERT_FALSE(features.empty());
    const RectangleFeature &f = features.front();
    const QPointF yUp[] = {f.topLeft, f.topRight, f.bottomRight, f.bottomLeft};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(yUp[i].x(), truth[i].x(), 0.05) << "corner " << i;
        EXPECT_NEAR(yUp[i].y(), setup.height - truth[i].y(), 0.05) << "corner " << i;
    }
}

// Guards corner naming under rotation: topLeft has the smallest x + y, names run clockwise.
TEST(CardDetector, namesCornersConsistentlyAtEveryAngle)
{
    CardDetector detector;
    for (int angle = 0; angle < 360; angle += 20) {
        SceneSpec setup = sceneOf(SceneCategory::Plain, QSize(1280, 960), 40 + quint64(angle));
        setup.clean = true;
        setup.rollDeg = angle + 3;
        setup.cardCentre = QPointF(640, 480);
        setup.cardWidthFraction = 0.4;
        const Scene scene = renderScene(setup);
        const auto features = detector.features(scene.image);
        ASSERT_FALSE(features.empty()) << "angle " << angle;
        const Quad found = flipped(features.front(), scene.image.height());
        EXPECT_LT(worstCorner(found, scene.card), 0.5) << "angle " << angle;
        double area = 0;
        for (size_t i = 0; i < 4; ++i)
            area += found[i].x() * found[(i + 1) % 4].y() - found[(i + 1) % 4].x() * found[i].y();
        EXPECT_GT(area, 0) << "not clockwise on screen at angle " << angle;
    }
}

// Guards grey, alpha, 24/64-bit and odd-sized pictures against stride and row-end mistakes.
TEST(CardDetector, handlesGreyAlphaAndOddSizedPictures)
{
    const Scene scene = renderScene(sceneOf(SceneCategory::Plain, QSize(1279, 957), 1001));
    const QImage &image = scene.image;
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
        EXPECT_LT(worstCorner(flipped(features.front(), image.height()), scene.card), 1.0)
            << "format " << int(variant.format());
    }
}

// Guards against crashes on degenerate pictures: nothing, tiny, a line, flat, extreme shapes,
// and against a quadrilateral cut by the border being taken for a card to measure with.
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
        addNoise(image, 100, 4);
        (void)detector.features(image);
    }
    SceneSpec setup = sceneOf(SceneCategory::Plain, QSize(1280, 960), 12);
    setup.cardCorners =
        Quad{QPointF(-240, 300), QPointF(480, 300), QPointF(480, 753), QPointF(-240, 753)};
    EXPECT_TRUE(detector.features(renderScene(setup).image).empty());
}

// Guards the choice by what a card is: a rectangle of the card's proportions with sharp corners
// (a cut sheet, a sticky note) or with much rounder ones (a phone, a key) is not a card; the same
// rectangle with a card's corners is.
TEST(CardDetector, takesOnlyARectangleWithACardsRoundedCorners)
{
    const auto picture = [](double radiusShare, double longEdge) {
        return painted(QSize(1920, 1080), QColor(96, 84, 70), 5, [&](QPainter &painter) {
            const double shortEdge = longEdge * 17.0 / 27.0;
            const double r = radiusShare * longEdge;
            painter.translate(960, 540);
            painter.rotate(7);
            painter.setBrush(QColor(222, 218, 206));
            painter.drawRoundedRect(QRectF(-longEdge / 2, -shortEdge / 2, longEdge, shortEdge), r,
                                    r);
        });
    };
    CardDetector detector;
    EXPECT_FALSE(detector.features(picture(0.037, 900)).empty()) << "a card's corners";
    EXPECT_TRUE(detector.features(picture(0.0, 900)).empty()) << "sharp corners";
    EXPECT_TRUE(detector.features(picture(0.15, 900)).empty()) << "much rounder corners";
    // A card across an eighth of the picture: its corners span only a few pixels, and still
    // tell it from a label of its size and proportions.
    EXPECT_FALSE(detector.features(picture(0.037, 250)).empty()) << "a small card's corners";
    EXPECT_TRUE(detector.features(picture(0.0, 250)).empty()) << "a small label's sharp corners";
}

// Guards the corner check where something else lies along one side (a sticky-note flag, a
// cable, a box): beside such a corner the two sides show different surfaces, yet a card's
// corners there still count as a card's and a cut sheet's as sharp. A side taken on a line
// printed across the card's face leaves the card on both sides of it, and its corners are not
// a card's.
TEST(CardDetector, judgesCornersWithSomethingElseAlongOneSide)
{
    const double longEdge = 900, shortEdge = longEdge * 17.0 / 27.0;
    const QRectF card(350, 300, longEdge, shortEdge);
    const auto picture = [&](double radiusShare) {
        return painted(QSize(1600, 1200), QColor(96, 84, 70), 11, [&](QPainter &painter) {
            painter.setBrush(QColor(230, 60, 90));
            painter.drawRect(QRectF(card.left() - 200, card.top() - 160, longEdge + 400, 160));
            painter.setBrush(QColor(222, 218, 206));
            painter.drawRoundedRect(card, radiusShare * longEdge, radiusShare * longEdge);
            painter.setBrush(QColor(40, 60, 120));
            painter.drawRect(QRectF(card.left() + 60, card.top() + 120, longEdge - 120, 6));
        });
    };
    const auto arcs = [](const QImage &image, double top) {
        const ColourSampler sampler(image.constBits(), image.width(), image.height(),
                                    std::ptrdiff_t(image.bytesPerLine()), 4);
        const quad::Corners corners{cv::Point2d(350, top), cv::Point2d(1250, top),
                                    cv::Point2d(1250, 300 + 900 * 17.0 / 27.0),
                                    cv::Point2d(350, 300 + 900 * 17.0 / 27.0)};
        return cardcheck::cornerArcs(sampler, corners, CardGeometry::aspectRatio);
    };

    const QImage rounded = picture(0.037);
    const cardcheck::CornerArcs found = arcs(rounded, 300);
    EXPECT_EQ(found.rounded, 4) << "a card's corners, beside the flag as well";
    EXPECT_EQ(found.wrong, 0);

    const cardcheck::CornerArcs sheet = arcs(picture(0.0), 300);
    EXPECT_EQ(sheet.rounded, 0);
    EXPECT_EQ(sheet.wrong, 4) << "a cut sheet's corners, beside the flag as well";

    // The top side on the printed line: the shape is still of about a card's proportions.
    const cardcheck::CornerArcs printed = arcs(rounded, 300 + 123);
    EXPECT_GE(printed.wrong, 2) << "corners on a line printed on the card";
}

// Guards the one faint side allowed to a shape with three of a card's corners: the card's own
// edge has the table beyond it, as its other sides do; a line printed on the card's face that
// closes a shape with three of the card's corners has more of the face beyond it.
TEST(CardDetector, allowsAFaintSideOnlyWithTheTableBeyondIt)
{
    const double longEdge = 900, shortEdge = longEdge * 17.0 / 27.0;
    const QRectF card(350, 300, longEdge, shortEdge);
    const QImage image = painted(QSize(1600, 1200), QColor(96, 84, 70), 11, [&](QPainter &p) {
        p.setBrush(QColor(222, 218, 206));
        p.drawRoundedRect(card, 0.037 * longEdge, 0.037 * longEdge);
        // A stripe along the right side in nearly the table's colour, a photo on the left.
        p.setBrush(QColor(112, 52, 48));
        p.drawRect(QRectF(card.right() - 120, card.top(), 120, shortEdge));
        p.setBrush(QColor(186, 188, 196));
        p.drawRect(QRectF(card.left() + 40, card.top() + 60, 360, shortEdge - 120));
    });
    const ColourSampler sampler(image.constBits(), image.width(), image.height(),
                                std::ptrdiff_t(image.bytesPerLine()), 4);
    const auto fitOf = [&](double right) {
        EdgeRefiner::Result fit;
        fit.corners = {cv::Point2d(card.left(), card.top()), cv::Point2d(right, card.top()),
                       cv::Point2d(right, card.bottom()), cv::Point2d(card.left(), card.bottom())};
        for (auto &side : fit.sides)
            side.edgeWidth = 2;
        return fit;
    };
    EXPECT_TRUE(cardcheck::tableBeyondSide(sampler, fitOf(card.right()), 1))
        << "the card's edge along the stripe";
    EXPECT_FALSE(cardcheck::tableBeyondSide(sampler, fitOf(card.left() + 400), 1))
        << "the photo's edge on the card's face";
}

// Guards the faint sides allowed to a shape with all four of a card's corners: a pale card on
// white paper with print beyond two of its sides is faint along the other two, while a
// card-shaped frame printed on the paper has the paper beyond all four.
TEST(CardDetector, allowsTwoFaintSidesOnlyWhereTheSurfaceChangesAtTheOthers)
{
    const double longEdge = 900, shortEdge = longEdge * 17.0 / 27.0, radius = 0.037 * longEdge;
    const QRectF card(350, 300, longEdge, shortEdge);
    const QColor paper(236, 236, 232), print(60, 60, 66);
    const QImage paleCard = painted(QSize(1600, 1200), paper, 11, [&](QPainter &p) {
        p.setBrush(print);
        p.drawRect(QRectF(card.right(), 0, 1600 - card.right(), 1200));
        p.drawRect(QRectF(0, card.bottom(), 1600, 1200 - card.bottom()));
        p.setBrush(QColor(226, 226, 220));
        p.drawRoundedRect(card, radius, radius);
    });
    const QImage printedFrame = painted(QSize(1600, 1200), paper, 11, [&](QPainter &p) {
        p.setPen(QPen(print, 3));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(card, radius, radius);
    });
    EdgeRefiner::Result fit;
    fit.corners = {cv::Point2d(card.left(), card.top()), cv::Point2d(card.right(), card.top()),
                   cv::Point2d(card.right(), card.bottom()),
                   cv::Point2d(card.left(), card.bottom())};
    for (auto &side : fit.sides) {
        side.contrast = 40;
        side.edgeWidth = 3;
    }
    const auto sampler = [](const QImage &image) {
        return ColourSampler(image.constBits(), image.width(), image.height(),
                             std::ptrdiff_t(image.bytesPerLine()), 4);
    };
    std::vector<double> scratch;
    EXPECT_TRUE(cardcheck::surfaceChangesAcrossSides(sampler(paleCard), fit, scratch, true, true));
    EXPECT_FALSE(cardcheck::surfaceChangesAcrossSides(sampler(paleCard), fit, scratch, true, false))
        << "three of a card's corners allow one faint side only";
    EXPECT_FALSE(
        cardcheck::surfaceChangesAcrossSides(sampler(printedFrame), fit, scratch, true, true));
}

// Guards against a side taken on a row of text printed along the card's edge: on the shrunk
// picture the text and the edge merge into one outline, and the shape closed on the text has
// nearly the card's proportions. Looking past that side finds the card's own edge.
TEST(CardDetector, looksPastARowOfTextAlongTheCardsEdge)
{
    constexpr int factor = 5;
    const double longEdge = 690, shortEdge = longEdge * 17.0 / 27.0;
    const QRectF card(330, 1110, longEdge, shortEdge);
    const double textTop = card.top() + 0.05 * shortEdge;
    const QImage image = painted(QSize(1350, 2400), QColor(120, 96, 70), 23, [&](QPainter &p) {
        p.setBrush(QColor(232, 230, 226));
        p.drawRoundedRect(card, 0.037 * longEdge, 0.037 * longEdge);
        p.setBrush(QColor(50, 50, 60));
        for (double x = 0.04; x < 0.95; x += 0.018)
            p.drawRect(
                QRectF(card.left() + x * longEdge, textTop, 0.012 * longEdge, 0.03 * shortEdge));
    });

    const ColourSampler picture(image.constBits(), image.width(), image.height(),
                                std::ptrdiff_t(image.bytesPerLine()), 4);
    cv::Mat small;
    picture.shrink(factor, small);
    EdgeField field;
    ASSERT_TRUE(field.compute(small));
    const ColourSampler shrunk(small);
    const CoarseSearch::Frame frame{shrunk, field,
                                    cv::Size2d(double(small.cols), double(small.rows)), 0.0,
                                    CardGeometry::aspectRatio};
    const auto at = [](double x, double y) { return cv::Point2d(x / factor, y / factor); };
    const quad::Corners onText{at(card.left(), textTop), at(card.right(), textTop),
                               at(card.right(), card.bottom()), at(card.left(), card.bottom())};
    CoarseSearch search;
    search.reset();
    search.tryOutwards(frame, onText);
    ASSERT_FALSE(search.shapes().empty());
    const quad::Corners &found = search.shapes().front().corners;
    EXPECT_NEAR(0.5 * (found[0].y + found[1].y), card.top() / factor, 1.0)
        << "the top side stayed at " << 0.5 * (found[0].y + found[1].y) * factor;
}

// Guards against reporting print on a card that runs off the picture (a name field, a photo):
// such a card cannot be measured with, and neither can its print. The same card whole is found
// as the card, not its print.
TEST(CardDetector, givesNoCardWhenTheCardRunsOffThePicture)
{
    const QSize size(1440, 1080);
    const auto picture = [&](double left, double longEdge) {
        return painted(size, QColor(70, 64, 58), 17, [&](QPainter &painter) {
            const QRectF card(left, 70, longEdge, longEdge * 17.0 / 27.0);
            painter.setBrush(QColor(226, 222, 212));
            painter.drawRoundedRect(card, 0.037 * longEdge, 0.037 * longEdge);
            // A field of the card's own proportions, printed dark on its face.
            painter.setBrush(QColor(40, 52, 96));
            const double scale = longEdge / 1500;
            painter.drawRect(QRectF(card.left() + 380 * scale, card.top() + 330 * scale,
                                    216 * scale, 136 * scale));
        });
    };
    CardDetector detector;
    const QImage cut = picture(50, 1500);
    const std::vector<RectangleFeature> reported = detector.features(cut);
    EXPECT_TRUE(reported.empty()) << "reported a shape at " << reported.front().topLeft.x() << ","
                                  << size.height() - reported.front().topLeft.y();

    // A photo printed with two corners rounded like a card's and two sharp: print all the same.
    const QImage photo = painted(size, QColor(70, 64, 58), 23, [&](QPainter &painter) {
        const QRectF card(50, 70, 1500, 1500 * 17.0 / 27.0);
        painter.setBrush(QColor(226, 222, 212));
        painter.drawRoundedRect(card, 0.037 * 1500, 0.037 * 1500);
        painter.setBrush(QColor(40, 52, 96));
        painter.drawPath(
            twoCardCorners(QRectF(card.left() + 420, card.top() + 260, 420, 420 * 17.0 / 27.0)));
    });
    const std::vector<RectangleFeature> printed = detector.features(photo);
    EXPECT_TRUE(printed.empty()) << "reported a shape at " << printed.front().topLeft.x() << ","
                                 << size.height() - printed.front().topLeft.y();

    // Smaller, the same card is whole: it is found, and not its print.
    const std::vector<RectangleFeature> found = detector.features(picture(50, 1200));
    ASSERT_FALSE(found.empty());
    const double width = std::hypot(found.front().topRight.x() - found.front().topLeft.x(),
                                    found.front().topRight.y() - found.front().topLeft.y());
    EXPECT_NEAR(width, 1200, 10) << "the whole card, not its print";
}

// Guards against print on a card cut by the border where too little of the card shows to
// know it as one (a thumb over a corner): a field sharing two of the card's sides has one of
// them run on to the border between the same card and table. A whole card's sides stop at its
// corners, even where the edge of a plank of the table runs on in line with one.
TEST(CardDetector, aFieldSharingACutCardsSidesRunsToTheBorder)
{
    const QSize size(1440, 1080);
    constexpr int factor = 3;
    const auto check = [&](const QImage &image, const quad::Corners &shape) {
        const ColourSampler picture(image.constBits(), image.width(), image.height(),
                                    std::ptrdiff_t(image.bytesPerLine()), 4);
        cv::Mat small;
        picture.shrink(factor, small);
        EdgeField field;
        return field.compute(small) &&
               cardcheck::sideRunsToBorder(shape, field, double(factor), picture);
    };
    // The field: under a printed band, left of a tinted panel, down to the card's bottom edge.
    const auto card = [&](double longEdge, double fieldHeight) {
        return painted(size, QColor(70, 64, 58), 29, [&](QPainter &painter) {
            const QRectF outline(50, 70, longEdge, longEdge * 17.0 / 27.0);
            painter.setBrush(QColor(226, 222, 212));
            painter.drawRoundedRect(outline, 0.037 * longEdge, 0.037 * longEdge);
            const double top = outline.bottom() - fieldHeight;
            const double right = outline.left() + fieldHeight * 27.0 / 17.0;
            painter.setBrush(QColor(70, 150, 210));
            painter.drawRect(QRectF(outline.left(), top - 40, right - outline.left(), 40));
            painter.setBrush(QColor(236, 196, 200));
            painter.drawRect(QRectF(right, top - 40, 200, fieldHeight - 20));
            // A lighter plank of the table, its edge in line with the card's bottom edge.
            painter.setBrush(QColor(150, 120, 90));
            painter.drawRect(QRectF(outline.right() + 40, outline.bottom(), 2000, 2000));
        });
    };
    const auto corners = [](double left, double top, double right, double bottom) {
        return quad::Corners{cv::Point2d(left, top), cv::Point2d(right, top),
                             cv::Point2d(right, bottom), cv::Point2d(left, bottom)};
    };
    const double bottom = 70 + 1500 * 17.0 / 27.0, height = 560;
    EXPECT_TRUE(
        check(card(1500, height), corners(50, bottom - height, 50 + height * 27.0 / 17.0, bottom)));
    const double whole = 70 + 1100 * 17.0 / 27.0;
    EXPECT_FALSE(check(card(1100, height), corners(50, 70, 1150, whole)));
}

// Guards the scenes that once fooled the detector, each the card of one of its rules.
TEST(CardDetector, findsTheCardInScenesThatFooledItBefore)
{
    // Fingers over two sides leave less than half of one on its line and little more of the
    // other; the card's corners still show it is a card.
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1920, 1080), 11054));
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1280, 960), 11063));
    // A close card whose outline a finger breaks is seen whole only on the picture shrunk until
    // its short side is about a hundred pixels, and there its straight sides are put together.
    expectCardFound(sceneOf(SceneCategory::Finger, QSize(1920, 1080), 13010, 0.46));
    // Held in a hand, the card is darker than the hand and brighter than the table, and the
    // side the fingers break steps the other way; three card corners rule out a box's face or a
    // column of print.
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1080, 1920), 14006, 0.81));
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1080, 1920), 14018, 0.79));
    // A pale card on printed paper: faint against the paper, crisp against a block of print on
    // one side, which alone must not make the others look like shadows.
    expectCardFound(sceneOf(SceneCategory::OnPaper, QSize(1080, 1920), 14009, 0.825));
    // The lines of print and clutter close many shapes ranked above a card whose sides fingers
    // break; they must not use up the turns before the card's.
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1920, 1080), 5030));
    // A larger shape running past the card onto glare shows fewer card corners, and must not
    // win as the card around print would.
    expectCardFound(sceneOf(SceneCategory::Glare, QSize(1280, 960), 1025));
    // The card's outline moved up by its own height lies on the card's own top side and on the
    // wood's grain along its sides: no like of the card, which is no key in a row.
    expectCardFound(sceneOf(SceneCategory::Finger, QSize(1080, 1920), 14014, 0.819));
    // A band printed along the top in nearly the wood's colour leaves that side faint among
    // crisp ones; its four corners are a card's, so the faint side is the card's own.
    expectCardFound(sceneOf(SceneCategory::Clutter, QSize(1920, 1080), 7001));
    // Fingers over two sides, one lying along a side so that the surface hardly changes across
    // it: the four corners are a card's.
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1920, 1080), 11061));
    // Fingers over two opposite sides leave under a third of one: the four corners are a card's.
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1920, 1080), 31093), 1.0, true);
    // A grey card on printed paper: its sides faint against the paper and broken by the print
    // beside them, three corners a card's. The faint sides put its corners within two pixels.
    expectCardFound(sceneOf(SceneCategory::OnPaper, QSize(1080, 1920), 7020), 2.0, true);
    // A small card in a picture searched at a third: the second look must be at a finer size.
    expectCardFound(sceneOf(SceneCategory::Small, QSize(1536, 1152), 33024), 1.0, true);
    // A small card's top side taken on the edge of a stripe printed across its face: both of
    // that side's corners are no card's, the other two are; the card's edge lies just past it.
    expectCardFound(sceneOf(SceneCategory::Small, QSize(1536, 1152), 33002), 1.0, true);
    // Grey print beside a purple card's corner, neither the paper's colour nor the card's, made
    // the corner look sharp; the card was then taken past a line of print.
    expectCardFound(sceneOf(SceneCategory::OnPaper, QSize(1080, 1920), 32042, 0.805), 1.0, true);
    // A dark stripe along one side leaves it faint against the wood, and a ruler's crisp edge
    // just beyond closed a larger shape with fewer of a card's corners: three corners are the
    // card's, and the wood lies beyond the faint side as beyond the others.
    expectCardFound(sceneOf(SceneCategory::Distractors, QSize(1280, 960), 30125), 1.0, true);
    // Fingers over two opposite sides of a close card leave under half of one and little more
    // of the other, and the table beyond one side is brighter than the card, beyond the others
    // darker: three corners are the card's.
    expectCardFound(sceneOf(SceneCategory::Held, QSize(1080, 1920), 32010, 0.73), 1.0, true);
    // A pale card on white paper, faint along two sides; print touching the third scatters its
    // points. All four corners are a card's. The scattered side puts a corner within 1 % of the
    // card's long edge.
    expectCardFound(sceneOf(SceneCategory::OnPaper, QSize(1080, 1920), 32047, 0.745), 8.0, true);
    // A card on a sheet running off the picture: the sheet's edge, its top and a line through
    // the card's far side and the print made a card cut by the border, with the card on it
    // taken for print. That line begins far from the sheet's top.
    expectCardFound(sceneOf(SceneCategory::OnPaper, QSize(1080, 1920), 32036, 0.715), 1.0, true);
    // A card on printed paper, print touching one of its corners: the shape running past its
    // bottom edge onto a row of print showed two of a card's corners, the card's own fit three
    // and the touched one, and was refused for it. The larger shape must not be taken; the
    // card is seen whole further shrunk.
    expectCardFound(sceneOf(SceneCategory::OnPaper, QSize(1080, 1920), 32041, 0.79), 1.0, true);
}

// Guards the scenes where a shape that is no card once was reported (mostly scenes without a
// whole card), saved as a phone saves them.
TEST(CardDetector, reportsNoShapeInScenesThatFooledItBefore)
{
    // Once a card cut by the border is seen, no later look may report a shape put together
    // from its print and the table (the JPEG's blocks close it).
    expectNoCard(sceneOf(SceneCategory::Partial, QSize(1920, 1080), 11065));
    // The finer look at a 1080p frame is a second chance for small shapes of the card's
    // proportions too, and counts only with a card's corners.
    expectNoCard(sceneOf(SceneCategory::NoCard, QSize(1080, 1920), 9028));
    // A shape with a sharp corner and no corner like a card's.
    expectNoCard(sceneOf(SceneCategory::NoCard, QSize(1280, 960), 7072));
    // Shapes large enough for their corners to be judged, none of which can be: nothing but
    // their outline is a card's.
    expectNoCard(sceneOf(SceneCategory::NoCard, QSize(1920, 1080), 9099));
    expectNoCard(sceneOf(SceneCategory::NoCard, QSize(1280, 960), 7070));
    // Lettering on a pale card lying on white paper, whose sides barely show: the block looks
    // like a card only when seen tilted by fifty degrees, and misses its proportions even so.
    const SceneSpec paper = sceneOf(SceneCategory::OnPaper, QSize(1280, 960), 31063);
    const Scene scene = renderScene(paper);
    const auto features = CardDetector().features(asJpeg(scene.image));
    if (!features.empty())
        EXPECT_LT(worstCorner(flipped(features.front(), scene.image.height()), scene.card), 1.0);
}

// Guards the card running off the picture, after which nothing is looked for: a shape closed
// by faint lines around two of a card's corners (a card's side and the table's grain beside
// it) is not one, or a whole card in the picture is never found.
TEST(CardDetector, aCardCutByTheBorderIsOneCardAgainstTheTable)
{
    const cv::Size2d picture(1080, 1111);
    const cardcheck::CornerArcs arcs{2, 0, 2};
    const auto fit = [](std::array<double, 4> contrasts) {
        EdgeRefiner::Result r;
        r.corners = {cv::Point2d(-1.9, 135.0), cv::Point2d(952.0, 229.2),
                     cv::Point2d(1034.4, 778.9), cv::Point2d(121.6, 1115.7)};
        const std::array<int, 4> inliers{53, 80, 42, 50};
        for (size_t k = 0; k < 4; ++k) {
            r.sides[k].profiles = 80;
            r.sides[k].inliers = inliers[k];
            r.sides[k].contrast = contrasts[k];
        }
        return r;
    };
    EXPECT_FALSE(cardcheck::cardCutByBorder(fit({5.0, 42.1, 2.1, 3.7}), arcs, picture))
        << "one crisp side among faint ones";
    EXPECT_TRUE(cardcheck::cardCutByBorder(fit({35.0, 42.1, 30.0, 38.0}), arcs, picture));
    EXPECT_FALSE(cardcheck::cardCutByBorder(fit({35.0, 42.1, 30.0, 38.0}), {1, 0, 3}, picture));

    // A card whose corner touches the border is whole; a shape whose side runs along the
    // border (a field printed on a card cut there) has nothing to show it ends there.
    EXPECT_TRUE(cardcheck::insidePicture({cv::Point2d(0.0, 542.0), cv::Point2d(945.0, 396.0),
                                          cv::Point2d(1014.0, 976.0), cv::Point2d(122.0, 1110.0)},
                                         picture));
    EXPECT_FALSE(cardcheck::insidePicture({cv::Point2d(108.7, 1.5), cv::Point2d(949.5, 0.9),
                                           cv::Point2d(999.2, 465.4), cv::Point2d(72.1, 483.7)},
                                          picture));
    EXPECT_FALSE(cardcheck::insidePicture({cv::Point2d(200.0, 300.0), cv::Point2d(1078.5, 310.0),
                                           cv::Point2d(1079.2, 800.0), cv::Point2d(210.0, 790.0)},
                                          picture));
}

// Guards the view a shape is judged from: the tilt recovered from a card's corners is the
// camera's, and only a view far steeper than anyone measures from is refused.
TEST(CardDetector, judgesHowObliquelyTheCardIsSeen)
{
    const cv::Size2d picture(1920, 1080);
    const double focal = 1.1 * picture.width;
    // The card's corners, the camera turned by tilt degrees about the picture's x axis and a
    // little about its y axis (both vanishing points in reach), 400 mm away.
    const auto seen = [&](double tilt) {
        const double a = tilt * CV_PI / 180, b = 0.3;
        const cv::Matx33d turn =
            cv::Matx33d(std::cos(b), 0, std::sin(b), 0, 1, 0, -std::sin(b), 0, std::cos(b)) *
            cv::Matx33d(1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a));
        const cv::Vec3d normal = turn * cv::Vec3d(0, 0, 1);
        quad::Corners corners;
        const double w = CardGeometry::width / 2, h = w / CardGeometry::aspectRatio;
        const cv::Point2d plane[] = {{-w, -h}, {w, -h}, {w, h}, {-w, h}};
        for (size_t k = 0; k < 4; ++k) {
            const cv::Vec3d p = turn * cv::Vec3d(plane[k].x, plane[k].y, 0) + cv::Vec3d(0, 0, 400);
            corners[k] = cv::Point2d(picture.width / 2 + focal * p[0] / p[2],
                                     picture.height / 2 + focal * p[1] / p[2]);
        }
        return std::pair(corners, std::acos(std::abs(normal[2])) * 180 / CV_PI);
    };
    for (double tilt : {5.0, 30.0, 50.0, 70.0}) {
        const auto [corners, expected] = seen(tilt);
        EXPECT_NEAR(quad::planeTilt(corners, picture, focal), expected, 1e-6) << tilt;
        // Without the focal length it is recovered from the corners.
        EXPECT_EQ(cardcheck::plausibleView(
                      cardcheck::viewOf(corners, picture, 0.0, CardGeometry::aspectRatio)),
                  expected <= cardcheck::kMaxTiltDegrees)
            << tilt;
    }
}

// Keys and a memory module's chips come in rows; a card lies among things of other sizes.
TEST(CardDetector, aShapeWithItsLikeBesideItIsOneOfARow)
{
    // A w x h shape centred at c, turned by angle radians, its corners starting at `first`.
    const auto box = [](cv::Point2d c, double w, double h, double angle, size_t first = 0) {
        const cv::Point2d u(std::cos(angle) * w / 2, std::sin(angle) * w / 2);
        const cv::Point2d v(-std::sin(angle) * h / 2, std::cos(angle) * h / 2);
        const std::array<cv::Point2d, 4> corners{c - u - v, c + u - v, c + u + v, c - u + v};
        quad::Corners q;
        for (size_t k = 0; k < 4; ++k)
            q[k] = corners[(k + first) % 4];
        return q;
    };
    const EdgeField none;
    const auto row = [&](const quad::Corners &shape, const std::vector<quad::Corners> &others) {
        return cardcheck::oneOfARow(shape, others, none, 1.0);
    };
    const double turn = 0.3;
    const cv::Point2d along(std::cos(turn), std::sin(turn)),
        across(-std::sin(turn), std::cos(turn));
    const cv::Point2d key(400, 300);
    const quad::Corners shape = box(key, 80, 52, turn);
    // Among closed outlines: the next key of the row, 1.3 widths on, named from another corner;
    // the row below.
    EXPECT_TRUE(row(shape, {box(key + along * 104, 78, 54, turn, 1)}));
    EXPECT_TRUE(row(shape, {box(key + across * 70, 80, 52, turn + 0.02)}));
    // The shape's own outline found again, things of another size or out of line, and a like
    // shape too far off are no row.
    EXPECT_FALSE(row(shape, {box(key + along * 2, 82, 52, turn)}));
    EXPECT_FALSE(
        row(shape, {box(key + along * 104, 50, 52, turn), box(key + along * 104, 80, 70, turn)}));
    EXPECT_FALSE(row(shape, {box(key + along * 104 + across * 30, 80, 52, turn)}));
    EXPECT_FALSE(row(shape, {box(key + along * 160, 80, 52, turn)}));

    // On the picture's edges: dark keys on a light board, the second of a row of four, and the
    // same key alone.
    const auto board = [](int keys) {
        cv::Mat picture(360, 640, CV_8UC3, cv::Scalar(200, 200, 200));
        for (int k = 0; k < keys; ++k)
            picture(cv::Rect(60 + 104 * k, 150, 80, 52)).setTo(cv::Scalar(40, 40, 40));
        EdgeField field;
        EXPECT_TRUE(field.compute(picture));
        return field;
    };
    const quad::Corners second{cv::Point2d(164, 150), cv::Point2d(244, 150), cv::Point2d(244, 202),
                               cv::Point2d(164, 202)};
    EXPECT_TRUE(cardcheck::oneOfARow(second, {}, board(4), 1.0));
    const quad::Corners first{cv::Point2d(60, 150), cv::Point2d(140, 150), cv::Point2d(140, 202),
                              cv::Point2d(60, 202)};
    EXPECT_FALSE(cardcheck::oneOfARow(first, {}, board(1), 1.0));
    // The other keys' long sides half hidden (worn legends, light on the keys): found again
    // only at the support a shape that showed a card's corners needs.
    cv::Mat worn(360, 640, CV_8UC3, cv::Scalar(200, 200, 200));
    for (int k = 0; k < 4; ++k) {
        worn(cv::Rect(60 + 104 * k, 150, 80, 52)).setTo(cv::Scalar(40, 40, 40));
        if (k == 1)
            continue;
        for (const int y : {144, 196})
            worn(cv::Rect(60 + 104 * k + 23, y, 34, 12)).setTo(cv::Scalar(200, 200, 200));
    }
    EdgeField wornField;
    ASSERT_TRUE(wornField.compute(worn));
    EXPECT_TRUE(cardcheck::oneOfARow(second, {}, wornField, 1.0, true));
    EXPECT_FALSE(cardcheck::oneOfARow(second, {}, wornField, 1.0, false));
}

// Keys with rounded corners of their own pass for two of a card's; in a row they are keys.
TEST(CardDetector, aRowOfKeysWithTwoCardCornersIsNoCard)
{
    const auto keys = [](int count) {
        return asJpeg(painted(QSize(1440, 1080), QColor(38, 38, 42), 31, [&](QPainter &painter) {
            painter.setBrush(QColor(205, 205, 200));
            for (int k = 0; k < count; ++k)
                painter.drawPath(
                    twoCardCorners(QRectF(260 + k * 330, 420, 290, 290 * 17.0 / 27.0)));
        }));
    };
    CardDetector detector;
    const std::vector<RectangleFeature> row = detector.features(keys(3));
    EXPECT_TRUE(row.empty()) << "reported a shape at " << row.front().topLeft.x() << ","
                             << 1080 - row.front().topLeft.y();
    // Alone, nothing tells such a key from a card: it is the row that does.
    EXPECT_FALSE(detector.features(keys(1)).empty());
}

// Guards the corners of a card whose side is seen bowed (a phone's lens curves straight edges
// near the picture's border, a laminated card bends): the robust line fit follows whichever
// part of the bow its first guess lies on, so the corners moved when the picture was mirrored.
// The line through the whole side does not. A straight side beside a printed line keeps its
// own line.
TEST(CardDetector, fitsABowedSideAsAWhole)
{
    const double left = 200, right = 1000, top = 300, bottom = 800;
    // The top edge sags by `sag` pixels, most at a third of the way along; a line is printed
    // `print` pixels inside it where print > 0.
    const auto picture = [&](double sag, double print) {
        return painted(QSize(1200, 1000), QColor(96, 84, 70), 7, [&](QPainter &p) {
            QPainterPath face;
            face.moveTo(left, top);
            face.quadTo(left + 0.3 * (right - left), top + 2 * sag, right, top);
            face.lineTo(right, bottom);
            face.lineTo(left, bottom);
            face.closeSubpath();
            p.setBrush(QColor(222, 218, 206));
            p.drawPath(face);
            if (print > 0) {
                p.setBrush(QColor(40, 60, 120));
                for (double x = left + 40; x < right - 60; x += 30)
                    p.drawRect(QRectF(x, top + print, 18, 3));
            }
        });
    };
    EdgeRefiner::Params params;
    params.searchRadius = 8;
    params.maxProfiles = 80;
    params.inlierTolerance = 1.0;
    params.minGradient = 1.0f;
    // The top corners fitted on the picture, or on its mirror image and mapped back.
    const auto topCorners = [&](const QImage &image, bool mirrored, bool whole) {
        const QImage seen = mirrored ? image.mirrored(true, false) : image;
        const ColourSampler sampler(seen.constBits(), seen.width(), seen.height(),
                                    std::ptrdiff_t(seen.bytesPerLine()), 4);
        const auto x = [&](double at) { return mirrored ? seen.width() - at : at; };
        quad::Corners guess{cv::Point2d(x(left), top + 1), cv::Point2d(x(right), top + 1),
                            cv::Point2d(x(right), bottom), cv::Point2d(x(left), bottom)};
        quad::orderClockwise(guess);
        params.wholeBowedSide = whole;
        EdgeRefiner refiner;
        EdgeRefiner::Result r;
        EXPECT_TRUE(refiner.refine(sampler, guess, params, r));
        std::array<cv::Point2d, 2> corners;
        size_t n = 0;
        for (const auto &c : r.corners) {
            if (c.y < (top + bottom) / 2 && n < 2)
                corners[n++] = cv::Point2d(x(c.x), c.y);
        }
        if (corners[0].x > corners[1].x)
            std::swap(corners[0], corners[1]);
        return corners;
    };
    const QImage bowed = picture(2.5, 0);
    const auto seen = topCorners(bowed, false, true), mirrored = topCorners(bowed, true, true);
    for (size_t k = 0; k < 2; ++k)
        EXPECT_LT(cv::norm(seen[k] - mirrored[k]), 0.1) << "corner " << k;

    const QImage printed = picture(0, 4);
    const auto robust = topCorners(printed, false, false), whole = topCorners(printed, false, true);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(robust[k], whole[k]) << "corner " << k;
        EXPECT_NEAR(whole[k].y, top, 0.3) << "corner " << k;
    }
}

// Guards the near miss on proportions: a card nearly facing the camera may come out of the
// full-size fit just past the proportion's tolerance, and a closed outline fitted with the
// card's proportions on the shrunk picture vouches for it. A shape put together from loose
// lines does not (a key's sides and a line of print on a card below it make one).
TEST(CardDetector, onlyAClosedOutlineVouchesForANearMiss)
{
    // A rounded card 8 % longer than a card: its proportion is 0.08 off, past the tolerance
    // (0.07) but within the near miss (0.105).
    const double height = 400, width = height * 27.0 / 17.0 * 1.08;
    const QRectF card(300, 250, width, height);
    const QImage image = painted(QSize(1600, 1000), QColor(96, 84, 70), 3, [&](QPainter &p) {
        p.setBrush(QColor(222, 218, 206));
        p.drawRoundedRect(card, 0.037 * width, 0.037 * width);
    });
    // As the shrunk picture's fit showed it.
    constexpr double coarseError = 0.02;
    EXPECT_TRUE(fineAccepts(image, card, false, coarseError)) << "a closed outline's near miss";
    EXPECT_FALSE(fineAccepts(image, card, true, coarseError)) << "loose lines' near miss";
}

// Guards the corners of shapes from loose lines: such a shape passes only when more of its
// corners are a card's than unlike one. A block of print on a card that the border cuts off
// meets one of the card's corners, its own corners sharp; a card with a finger over one corner
// still shows three of a card's.
TEST(CardDetector, aLooseShapeNeedsMoreCardCornersThanWrongOnes)
{
    const double height = 400, width = height * CardGeometry::aspectRatio;
    const QRectF card(300, 250, width, height);
    const double r = CardGeometry::relativeCornerRadius * width;
    // The shape with the given corners rounded (clockwise from the top left) and the rest sharp.
    const auto picture = [&](std::array<bool, 4> rounded) {
        return painted(QSize(1600, 1000), QColor(96, 84, 70), 3, [&](QPainter &p) {
            const std::array<QPointF, 4> at{card.topLeft(), card.topRight(), card.bottomRight(),
                                            card.bottomLeft()};
            // d pixels from c towards p.
            const auto toward = [](QPointF c, QPointF p, double d) {
                const QPointF v = p - c;
                return c + v * (d / std::hypot(v.x(), v.y()));
            };
            QPainterPath face;
            for (size_t k = 0; k < 4; ++k) {
                const QPointF c = at[k], previous = at[(k + 3) % 4], next = at[(k + 1) % 4];
                const double d = rounded[k] ? r : 0.0;
                if (k == 0)
                    face.moveTo(toward(c, previous, d));
                else
                    face.lineTo(toward(c, previous, d));
                if (rounded[k])
                    face.quadTo(c, toward(c, next, d));
            }
            face.closeSubpath();
            p.setBrush(QColor(222, 218, 206));
            p.drawPath(face);
        });
    };
    const QImage oneCardCorner = picture({true, false, false, false});
    EXPECT_FALSE(fineAccepts(oneCardCorner, card, true))
        << "one card corner, three sharp, loose lines";
    EXPECT_TRUE(fineAccepts(oneCardCorner, card, false)) << "the same closed outline";
    const QImage twoAndTwo = picture({true, true, false, false});
    EXPECT_FALSE(fineAccepts(twoAndTwo, card, true)) << "two card corners, two sharp, loose lines";
    const QImage threeCardCorners = picture({true, true, true, false});
    EXPECT_TRUE(fineAccepts(threeCardCorners, card, true))
        << "three card corners, one sharp, loose lines";
}
