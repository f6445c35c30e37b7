#include "core/LineTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "ui/Palette.h"
#include "ui/PictureMapping.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QUuid>

#include <random>

namespace {

const QSizeF photo(3024, 4032);
const QSizeF phone(390, 844);

void expectNear(QPointF actual, QPointF expected, double tolerance = 1e-9)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

} // namespace

TEST(PictureMapping, a_phone_photo_fills_a_phone_screen_by_its_height)
{
    EXPECT_DOUBLE_EQ(PictureMapping::fillScale(photo, phone), 4.777251184834123);
    expectNear(PictureMapping::viewPoint({1512, 2016}, photo, phone), {195, 422});
    expectNear(PictureMapping::viewPoint({0, 0}, photo, phone), {-121.5, 0});
    expectNear(PictureMapping::viewPoint({3024, 4032}, photo, phone), {511.5, 844});
    EXPECT_DOUBLE_EQ(PictureMapping::fillScale(photo, {756, 1008}), 4.0);
    expectNear(PictureMapping::viewPoint({0, 0}, photo, {756, 1008}), {0, 0});
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
    expectNear(line[1], PictureMapping::viewPoint({2016, 2016}, photo, phone));
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
