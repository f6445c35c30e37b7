#include "core/LineTargetModel.h"
#include "core/ProjectiveManager.h"
#include "core/RectangleTargetModel.h"
#include "core/Session.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cmath>

namespace {

using Matrix = Calculator::Matrix3x3;

void expectPoint(QPointF actual, double x, double y, double tolerance = 5e-4)
{
    EXPECT_NEAR(actual.x(), x, tolerance);
    EXPECT_NEAR(actual.y(), y, tolerance);
}

Matrix workedCardMatrix()
{
    return *ProjectiveManager::shared().projectiveMatrix(
        {QPointF(100, 200), QPointF(400, 210), QPointF(420, 400), QPointF(90, 380)});
}

} // namespace

TEST(TargetModel, initial_shapes_for_a_portrait_phone_photo)
{
    const QList<QPointF> quad = RectangleTargetModel::defaultQuadrilateral(3024, 4032);
    ASSERT_EQ(quad.size(), 4);
    expectPoint(quad[0], 907.2, 1698.667);
    expectPoint(quad[1], 2116.8, 1698.667);
    expectPoint(quad[2], 2016, 2333.333);
    expectPoint(quad[3], 1008, 2333.333);

    // Each edge runs from its corner to the next, the last one closing the shape.
    const RectangleTargetModel rectangle(3024, 4032, false, nullptr);
    for (qsizetype k = 0; k < 4; ++k) {
        EXPECT_EQ(rectangle.distances()[k].from, quad[k]);
        EXPECT_EQ(rectangle.distances()[k].to, quad[(k + 1) % 4]);
    }
    if (Session::shared().isUITest())
        GTEST_SKIP() << "a test run places lines at fixed points";
    const LineTargetModel line(3024, 4032, false, nullptr);
    EXPECT_EQ(line.points(), (QList<QPointF>{QPointF(1008, 2016), QPointF(2016, 2016)}));
    EXPECT_NE(line.id(), rectangle.id());
}

// Run by CTest a second time with the argument "isUITest".
TEST(TargetModel, UITest_line_lies_on_the_test_photo_object)
{
    if (!Session::shared().isUITest())
        GTEST_SKIP() << "needs the isUITest argument";
    LineTargetModel line(1000, 800, false, nullptr);
    EXPECT_EQ(line.points(), (QList<QPointF>{QPointF(1984, 3016), QPointF(1957, 1199)}));
    EXPECT_EQ(line.distances()[0].to, QPointF(1957, 1199));
}

TEST(TargetModel, moving_a_corner_updates_exactly_the_two_edges_that_meet_there)
{
    const Matrix m = workedCardMatrix();
    RectangleTargetModel rectangle(3024, 4032, false, nullptr);
    rectangle.updateAllDistances(m);
    const QList<Distance> before = rectangle.distances();
    QSignalSpy pointsSpy(&rectangle, &TargetModel::pointsChanged);

    const QSizeF image(3024, 4032);
    rectangle.movePoint(0, m, QPointF(100, 120), image, image);
    const QList<Distance> &after = rectangle.distances();

    EXPECT_EQ(pointsSpy.count(), 2); // x, then y
    EXPECT_EQ(after[0].from, QPointF(100, 120));
    EXPECT_EQ(after[3].to, QPointF(100, 120));
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    for (Distance edge : {after[0], after[3]}) {
        const double shown = edge.distance;
        edge.recalculate(m);
        EXPECT_EQ(shown, edge.distance);
    }
    EXPECT_NE(after[0].distance, before[0].distance);

    // The last corner starts edge 3 and ends edge 2; edge 0 keeps its start.
    rectangle.movePoint(3, m, QPointF(50, 60), image, image);
    EXPECT_EQ(rectangle.distances()[3].from, QPointF(50, 60));
    EXPECT_EQ(rectangle.distances()[2].to, QPointF(50, 60));
    EXPECT_EQ(rectangle.distances()[0].from, QPointF(100, 120));
}

TEST(TargetModel, moving_either_end_of_a_line_remeasures_its_one_edge)
{
    const Matrix m = workedCardMatrix();
    TargetModel line({QPointF(100, 200), QPointF(400, 210)}, {Distance{{100, 200}, {400, 210}, 1}},
                     false, nullptr);
    const QSizeF image(1000, 1000);
    line.movePoint(1, m, QPointF(420, 400), image, image);
    EXPECT_EQ(line.distances()[0].to, QPointF(420, 400));
    EXPECT_EQ(line.distances()[0].from, QPointF(100, 200));
    EXPECT_NEAR(line.distances()[0].distance, std::hypot(85.725, 53.975), 1e-9);
    line.movePoint(0, m, QPointF(400, 210), image, image);
    EXPECT_NEAR(line.distances()[0].distance, 53.975, 1e-9);
}

TEST(TargetModel, touch_maps_through_the_aspect_fill_of_the_photo)
{
    const QSizeF image(3024, 4032);
    // Same size: the point lands under the finger.
    EXPECT_EQ(TargetModel::imagePoint(QPointF(123.5, 456.25), image, image),
              QPointF(123.5, 456.25));
    // Any view aspect: the view's centre is the picture's centre.
    for (const QSizeF view :
         {QSizeF(390, 844), QSizeF(1024, 768), QSizeF(300, 300), QSizeF(3024, 100)}) {
        const QPointF p =
            TargetModel::imagePoint(QPointF(view.width() / 2, view.height() / 2), image, view);
        EXPECT_NEAR(p.x(), 1512, 1e-9);
        EXPECT_NEAR(p.y(), 2016, 1e-9);
    }
    // A wide view shows the full width: its left edge is the picture's left edge.
    EXPECT_NEAR(TargetModel::imagePoint(QPointF(0, 384), image, QSizeF(1024, 768)).x(), 0, 1e-9);
}

// Guards the dragged corner's guide lines: cyclic neighbours, listed once for a line.
TEST(TargetModel, neighbours_wrap_around_and_a_line_has_one)
{
    RectangleTargetModel rectangle(300, 400, false, nullptr);
    EXPECT_EQ(rectangle.cyclicIndex(-1), 3);
    EXPECT_EQ(rectangle.cyclicIndex(4), 0);
    EXPECT_EQ(rectangle.neighbours(0, QPointF(5, 6), "#ff0000").neighbours,
              (QList<QPointF>{rectangle.points()[3], rectangle.points()[1]}));
    TargetModel line({QPointF(1, 1), QPointF(9, 9)}, {Distance{{1, 1}, {9, 9}, 1}}, false, nullptr);
    EXPECT_EQ(line.neighbours(0, {}, {}).neighbours, QList<QPointF>{QPointF(9, 9)});
    EXPECT_EQ(line.neighbours(1, {}, {}).neighbours, QList<QPointF>{QPointF(1, 1)});
}

TEST(TargetModelDeathTest, index_outside_the_points_stops_the_program)
{
    RectangleTargetModel rectangle(300, 400, false, nullptr);
    EXPECT_DEATH(rectangle.movePoint(4, {}, {}, QSizeF(1, 1), QSizeF(1, 1)), "point 4 of 4");
}
