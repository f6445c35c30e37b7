// The numbers the measurement screen shows, from worked examples: how the photo maps onto the
// screen, where labels sit and how they turn, where the loupe goes and what it cuts, where a
// context button lands, how the picture item places a partly outside rectangle, and which
// colour a target gets.

#include "capture/PictureScaling.h"
#include "core/LineTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "ui/ContextButtonLayout.h"
#include "ui/LabelLayout.h"
#include "ui/LoupeLayout.h"
#include "ui/MiddleModifier.h"
#include "ui/Palette.h"
#include "ui/PictureItem.h"
#include "ui/PictureMapping.h"

#include <QSet>
#include <QUuid>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

const QSizeF photo(3024, 4032);
const QSizeF phone(390, 844);

void expectNear(QPointF actual, QPointF expected, double tolerance = 1e-3)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance) << "y " << actual.y();
    EXPECT_NEAR(actual.y(), expected.y(), tolerance) << "x " << actual.x();
}

void expectNear(QRectF actual, QRectF expected, double tolerance = 1e-3)
{
    expectNear(actual.topLeft(), expected.topLeft(), tolerance);
    expectNear(actual.bottomRight(), expected.bottomRight(), tolerance);
}

} // namespace

TEST(PictureMapping, a_phone_photo_fills_a_phone_screen_by_its_height)
{
    EXPECT_DOUBLE_EQ(PictureMapping::fillScale(photo, phone), 4.777251184834123);
    expectNear(PictureMapping::viewPoint({1512, 2016}, photo, phone), {195, 422}, 1e-9);
    expectNear(PictureMapping::viewPoint({0, 0}, photo, phone), {-121.5, 0}, 1e-9);
    expectNear(PictureMapping::viewPoint({3024, 4032}, photo, phone), {511.5, 844}, 1e-9);
    EXPECT_DOUBLE_EQ(PictureMapping::fillScale(photo, {756, 1008}), 4.0);
    expectNear(PictureMapping::viewPoint({0, 0}, photo, {756, 1008}), {0, 0}, 1e-9);
}

// A dragged point stays under the finger only if the two directions are exact inverses.
TEST(PictureMapping, image_to_view_and_back_is_the_identity_for_any_sizes)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> size(50, 6000), coordinate(-3000, 9000);
    for (int i = 0; i < 1000; ++i) {
        const QSizeF image(size(random), size(random)), view(size(random), size(random));
        const QPointF point(coordinate(random), coordinate(random));
        const QPointF back =
            PictureMapping::imagePoint(PictureMapping::viewPoint(point, image, view), image, view);
        expectNear(back, point, 1e-9 * (1 + std::abs(point.x()) + std::abs(point.y())));
    }
}

TEST(PictureMapping, a_polygon_path_closes_on_its_first_point)
{
    const QList<QPointF> line =
        PictureMapping::polygonPath({{1008, 2016}, {2016, 2016}}, photo, phone);
    ASSERT_EQ(line.size(), 3);
    EXPECT_EQ(line.front(), line.back());
    expectNear(line[1], PictureMapping::viewPoint({2016, 2016}, photo, phone), 1e-9);
    EXPECT_TRUE(PictureMapping::polygonPath({}, photo, phone).isEmpty());
}

TEST(TargetColor, the_card_is_accent_and_a_target_keeps_its_colour_for_the_run)
{
    ReferenceTargetModel card({{0, 0}, {86, 0}, {86, 54}, {0, 54}}, nullptr);
    EXPECT_EQ(PictureMapping::targetColor(&card, Palette::ColorScheme::dark), Palette::accent());

    QList<QColor> standard;
    for (int k = 0; k < 12; ++k)
        standard.append(Palette::standardColor(static_cast<Palette::StandardColor>(k)));
    LineTargetModel line(3024, 4032, false, nullptr);
    const QColor first = PictureMapping::targetColor(&line, Palette::ColorScheme::light);
    EXPECT_TRUE(standard.contains(first));
    EXPECT_EQ(PictureMapping::targetColor(&line, Palette::ColorScheme::dark), first);
    EXPECT_EQ(PictureMapping::targetColor(&line, Palette::ColorScheme::light), first);

    // Over many ids every one of the twelve colours shows up.
    QSet<int> seen;
    for (int i = 0; i < 500; ++i)
        seen.insert(PictureMapping::colorIndex(QUuid::createUuid().toString()));
    EXPECT_EQ(seen.size(), 12);
}

// Where a label sits and how it turns on the screen is checked through the views; these are the
// edges a view test does not reach.
TEST(Labels, an_edge_either_way_round_is_not_folded_and_one_of_no_length_stays_upright)
{
    // The same edge the other way round: same place, half a turn further, so the label reads
    // upside down rather than being folded upright.
    const QPointF a(907.2, 1698.667), b(1008, 2333.333);
    expectNear(MiddleModifier::position(a, b, photo, phone),
               MiddleModifier::position(b, a, photo, phone), 1e-9);
    EXPECT_NEAR(std::abs(LabelLayout::rotation(b, a) - LabelLayout::rotation(a, b)), 180, 1e-9);

    // An edge of no length: upright, on its point.
    EXPECT_EQ(LabelLayout::rotation({500, 700}, {500, 700}), 0.0);
    expectNear(MiddleModifier::position({500, 700}, {500, 700}, photo, phone),
               PictureMapping::viewPoint({500, 700}, photo, phone), 1e-9);
}

TEST(Loupe, sits_in_the_quarter_away_from_the_finger)
{
    EXPECT_NEAR(LoupeLayout::side(phone), 130, 1e-9);
    expectNear(LoupeLayout::center({100, 200}, phone), {303.333, 530.333});
    expectNear(LoupeLayout::center({300, 200}, phone), {86.667, 530.333});
    expectNear(LoupeLayout::center({100, 600}, phone), {303.333, 313.667});
    expectNear(LoupeLayout::center({300, 700}, phone), {86.667, 313.667});
    expectNear(LoupeLayout::center({195, 422}, phone), {86.667, 313.667});
    // Outside the area counts as below or to the right.
    expectNear(LoupeLayout::center({-5, 200}, phone), {86.667, 313.667});
    expectNear(LoupeLayout::center({400, 100}, phone), {86.667, 313.667});
    expectNear(LoupeLayout::center({390, 100}, phone), {86.667, 530.333});
}

TEST(Loupe, cuts_the_square_around_the_finger_clamped_to_the_top_left_only)
{
    // Around the middle of the photo the zoom view's own pixels show what is cut. Near the top
    // the crop starts at row 0, so the loupe's middle is below the finger's pixel.
    const QRectF topLeft = LoupeLayout::cropRect({5, 5}, photo, phone);
    EXPECT_EQ(topLeft.y(), 0.0);
    EXPECT_GT(topLeft.center().y(), PictureMapping::imagePoint({5, 5}, photo, phone).y());

    // Near the bottom right the square reaches 60 pixels past the bottom; what can be cut is
    // about 70 pixels high, and the loupe shows its middle.
    const QPointF corner(389, 843);
    const QRectF crop = LoupeLayout::cropRect(corner, photo, phone);
    EXPECT_NEAR(crop.bottom() - photo.height(), 60, 0.5);
    const QRectF cut = LoupeLayout::cutRect(corner, photo, phone);
    EXPECT_NEAR(cut.height(), 70, 0.5);
    EXPECT_EQ(cut.width(), 130.0);
    EXPECT_EQ(cut.bottom(), photo.height());
    expectNear(LoupeLayout::shownRect(corner, photo, phone).center(), cut.center(), 1e-9);
}

TEST(Loupe, draws_a_line_to_the_rim_towards_each_neighbour_and_a_cross)
{
    const double half = 65;
    const QPointF middle(half, half);
    // A rectangle's point has two neighbours: lines of length L / 2 whatever their distance.
    const QPointF finger(195, 422);
    DraggedPoint record{finger,
                        {PictureMapping::imagePoint({395, 422}, photo, phone),
                         PictureMapping::imagePoint({195, 400}, photo, phone)},
                        QStringLiteral("#ff0000")};
    QList<QPolygonF> lines = LoupeLayout::lines(record, photo, phone);
    ASSERT_EQ(lines.size(), 4);
    expectNear(lines[0][0], middle);
    expectNear(lines[0][1], {130, 65});
    expectNear(lines[1][1], {65, 0});
    // The cross: 10 points each way.
    expectNear(lines[2][0], {65, 60});
    expectNear(lines[2][1], {65, 70});
    expectNear(lines[3][0], {60, 65});
    expectNear(lines[3][1], {70, 65});

    // A line's end has one neighbour; one under the finger gives a line of no length.
    record.neighbours = {PictureMapping::imagePoint(finger, photo, phone)};
    lines = LoupeLayout::lines(record, photo, phone);
    ASSERT_EQ(lines.size(), 3);
    expectNear(lines[0][0], middle);
    expectNear(lines[0][1], middle);

    // Without neighbours only the cross.
    EXPECT_EQ(LoupeLayout::lines(DraggedPoint{finger, {}, {}}, photo, phone).size(), 2);
}

TEST(ContextButton, sits_off_a_line_along_its_normal_inside_the_area_and_on_a_quad_centroid)
{
    // The default line runs left to right: the button is 44 points above its middle...
    expectNear(ContextButtonLayout::position({{1008, 2016}, {2016, 2016}}, true, photo, phone),
               {195, 378});
    // ...and below it when the middle is less than 44 points from the top.
    expectNear(ContextButtonLayout::position({{1008, 100}, {2016, 100}}, true, photo, phone),
               PictureMapping::viewPoint({1512, 100}, photo, phone) + QPointF(0, 44));
    // Exactly 44 points below the top edge the upper place is on the edge, which counts.
    const double y44 = PictureMapping::imagePoint({0, 44}, photo, phone).y();
    expectNear(ContextButtonLayout::position({{1008, y44}, {2016, y44}}, true, photo, phone),
               {195, 0});

    // A line drawn downwards: to the right of its middle, or to the left near the right edge.
    expectNear(ContextButtonLayout::position({{1512, 1000}, {1512, 3000}}, true, photo, phone),
               PictureMapping::viewPoint({1512, 2000}, photo, phone) + QPointF(44, 0));
    const double xRight = PictureMapping::imagePoint({370, 0}, photo, phone).x();
    expectNear(ContextButtonLayout::position({{xRight, 1000}, {xRight, 3000}}, true, photo, phone),
               PictureMapping::viewPoint({xRight, 2000}, photo, phone) - QPointF(44, 0));

    // A line whose ends were dragged onto each other has no normal; its button stays on it
    // rather than at a position of NaN that would take it off the screen for good.
    expectNear(ContextButtonLayout::position({{1512, 2016}, {1512, 2016}}, true, photo, phone),
               {195, 422});

    // A quadrilateral's button is on the mean of its corners, not the middle of its bounds.
    const QList<QPointF> kite{{0, 0}, {100, 0}, {100, 100}, {0, 300}};
    expectNear(ContextButtonLayout::position(kite, false, photo, phone),
               PictureMapping::viewPoint({50, 100}, photo, phone), 1e-9);
}

TEST(PictureItem, draws_only_the_part_of_a_rectangle_that_lies_in_the_picture)
{
    // A source reaching 60 pixels past the bottom of the picture fills only the upper part of
    // the target, in proportion.
    const PictureItem::Placement placement =
        PictureItem::place({100, 940, 120, 120}, QSize(400, 1000), {0, 0, 240, 240});
    expectNear(placement.source, {100, 940, 120, 60});
    expectNear(placement.target, {0, 0, 240, 120});
    EXPECT_TRUE(
        PictureItem::place({500, 0, 10, 10}, QSize(400, 1000), {0, 0, 10, 10}).source.isEmpty());
    // The loupe's round window is checked on the zoom view's pixels.
}

TEST(PictureItem, reduces_a_photo_shown_small_by_a_whole_factor_that_keeps_every_pixel_covered)
{
    // A 12-megapixel photo on a phone-sized area: 7.75 photo pixels per screen pixel across,
    // 5.8 down; the smaller decides, rounded down, so no side falls below one texel per pixel.
    EXPECT_EQ(PictureItem::reduction({3024, 4032}, {390, 693}), 5);
    // Drawn at its own size (the export) or magnified, nothing is reduced.
    EXPECT_EQ(PictureItem::reduction({3024, 4032}, {3024, 4032}), 1);
    EXPECT_EQ(PictureItem::reduction({100, 100}, {400, 400}), 1);
    EXPECT_EQ(PictureItem::reduction({100, 100}, {}), 1);
    EXPECT_EQ(PictureItem::reduction({100000, 100000}, {10, 10}), 16);

    // Averaged, not sampled: one-pixel stripes become their mean, not one of the two colours.
    QImage stripes(9, 4, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x)
        for (int y = 0; y < stripes.height(); ++y)
            stripes.setPixel(x, y, x % 2 ? qRgb(200, 100, 0) : qRgb(0, 100, 200));
    const QImage small = PictureScaling::averagedDown(stripes, 2);
    ASSERT_EQ(small.size(), QSize(4, 2));
    const QColor mean = small.pixelColor(1, 1);
    EXPECT_NEAR(mean.red(), 100, 25);
    EXPECT_NEAR(mean.blue(), 100, 25);
    EXPECT_EQ(PictureScaling::averagedDown(stripes, 1).cacheKey(), stripes.cacheKey());
}
