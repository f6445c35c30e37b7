#include "UiHarness.h"

#include "core/LineTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "ui/Palette.h"
#include "ui/PictureMapping.h"

#include <QQmlComponent>
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

// The screens must look the same in light and dark mode; a scheme-dependent entry would show as
// a differently coloured button in the evening.
TEST(Palette, every_entry_is_the_same_in_both_schemes_and_the_secondary_accent_follows_accent)
{
    using S = Palette::ColorScheme;
    const QList<QColor (*)(S)> entries = {&Palette::lightBackground, &Palette::white,
                                          &Palette::black,           &Palette::alertRed,
                                          &Palette::accent,          &Palette::lightGray,
                                          &Palette::accentSecondary, &Palette::accentSecondaryFaded,
                                          &Palette::systemBlack,     &Palette::systemBlackFaded,
                                          &Palette::accentLight,     &Palette::systemWhite,
                                          &Palette::systemRed};
    for (auto entry : entries)
        EXPECT_EQ(entry(S::light), entry(S::dark));
    EXPECT_EQ(Palette::accent(), QColor(53, 202, 171));
    EXPECT_EQ(Palette::accentSecondary(), Palette::accent());
    QColor faded = Palette::accent();
    faded.setAlphaF(0.4f);
    EXPECT_EQ(Palette::accentSecondaryFaded(), faded);
    EXPECT_NEAR(Palette::lightBackground().redF(), 240.0 / 255.0, 1e-6);
}

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

// The module's singletons must be reachable from QML under the module's own qualifier, which
// keeps our Palette apart from Qt Quick's type of the same name.
TEST(MirrelModule, qml_reads_the_palette_and_the_mapping)
{
    UiHarness ui;
    QQuickItem *item = ui.show(QStringLiteral(R"(
        import QtQuick
        import Mirrel as Mirrel
        Item {
            property color accent: Mirrel.Palette.accent
            property real width2: Mirrel.Palette.standardLineWidth
            property point centre: Mirrel.PictureMapping.viewPoint(Qt.point(1512, 2016),
                                                                   Qt.size(3024, 4032),
                                                                   Qt.size(390, 844))
        })"),
                               {}, QSize(100, 100));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->property("accent").value<QColor>(), Palette::accent());
    EXPECT_EQ(item->property("width2").toDouble(), 2.0);
    expectNear(item->property("centre").toPointF(), {195, 422});
}
