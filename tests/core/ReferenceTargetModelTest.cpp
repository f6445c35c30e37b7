#include "core/ReferenceTargetModel.h"
#include "support/DiagnosticLines.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

using Matrix = Calculator::Matrix3x3;

QPointF project(const Matrix &m, QPointF p)
{
    const double w = m.m31 * p.x() + m.m32 * p.y() + m.m33;
    return {(m.m11 * p.x() + m.m12 * p.y() + m.m13) / w,
            (m.m21 * p.x() + m.m22 * p.y() + m.m23) / w};
}

void expectNominal(const ReferenceTargetModel &card)
{
    ASSERT_EQ(card.distances().size(), 4);
    for (qsizetype k = 0; k < 4; ++k) {
        EXPECT_EQ(card.distances()[k].distance, k % 2 == 0 ? 85.725 : 53.975) << "edge " << k;
        EXPECT_EQ(card.distances()[k].from, card.points()[k]);
        EXPECT_EQ(card.distances()[k].to, card.points()[(k + 1) % 4]);
    }
}

} // namespace

TEST(ReferenceTargetModel, corner_order_puts_a_long_edge_first)
{
    // Edge 1 -> 2 is the longest: rotate left by one.
    const ReferenceTargetModel tall(
        {QPointF(0, 0), QPointF(100, 0), QPointF(100, 200), QPointF(0, 200)}, nullptr);
    EXPECT_EQ(tall.points(),
              (QList<QPointF>{QPointF(100, 0), QPointF(100, 200), QPointF(0, 200), QPointF(0, 0)}));
    // The long edge starting there maps onto the card's long side.
    const QPointF corner1 = project(tall.projectiveMatrix(), QPointF(100, 200));
    EXPECT_NEAR(corner1.x(), 85.725, 1e-9);
    EXPECT_NEAR(corner1.y(), 0, 1e-9);

    // Landscape card: already in order.
    const QList<QPointF> wide{QPointF(10, 10), QPointF(300, 20), QPointF(290, 200),
                              QPointF(5, 190)};
    EXPECT_EQ(ReferenceTargetModel(wide, nullptr).points(), wide);

    // All edges equal: ties keep the first edge, so nothing moves.
    const QList<QPointF> square{QPointF(0, 0), QPointF(10, 0), QPointF(10, 10), QPointF(0, 10)};
    EXPECT_EQ(ReferenceTargetModel(square, nullptr).points(), square);
}

TEST(ReferenceTargetModel, dragging_a_corner_moves_the_matrix_but_not_the_labels)
{
    ReferenceTargetModel card(
        {QPointF(100, 200), QPointF(400, 210), QPointF(420, 400), QPointF(90, 380)}, nullptr);
    const Matrix before = card.projectiveMatrix();
    QSignalSpy matrixSpy(&card, &ReferenceTargetModel::projectiveMatrixChanged);
    const QSizeF image(1000, 1000);
    card.movePoint(2, before, QPointF(430, 420), image, image);

    EXPECT_EQ(card.points()[2], QPointF(430, 420));
    EXPECT_EQ(card.distances()[1].to, QPointF(430, 420));
    EXPECT_EQ(card.distances()[2].from, QPointF(430, 420));
    expectNominal(card);
    ASSERT_EQ(matrixSpy.count(), 1);
    const QPointF moved = project(card.projectiveMatrix(), QPointF(430, 420));
    EXPECT_NEAR(moved.x(), 85.725, 1e-9);
    EXPECT_NEAR(moved.y(), 53.975, 1e-9);
}

// Guards lengths shown through a card that is no card: a corner dragged onto the line of two
// others, or across the far edge, measures nothing until the outline is convex again.
TEST(ReferenceTargetModel, a_card_out_of_shape_measures_nothing_until_it_is_convex_again)
{
    ReferenceTargetModel card(
        {QPointF(100, 200), QPointF(400, 200), QPointF(400, 400), QPointF(100, 400)}, nullptr);
    const Matrix good = card.projectiveMatrix();
    QSignalSpy matrixSpy(&card, &ReferenceTargetModel::projectiveMatrixChanged);
    DiagnosticLines diagnostics;
    const QSizeF image(1000, 1000);
    // Corner 3 slides along the line through corners 0 and 1, two drag steps: the calculator
    // says so each time, the zero matrix is published once.
    card.movePoint(3, {}, QPointF(250, 200), image, image);
    card.movePoint(3, {}, QPointF(260, 200), image, image);
    EXPECT_EQ(DiagnosticLines::lines().size(), 2);
    EXPECT_EQ(card.shapeFault(), CardShape::Fault::collinearCorners);
    ASSERT_EQ(matrixSpy.count(), 1);
    EXPECT_EQ(card.projectiveMatrix(), Matrix::zero());
    EXPECT_EQ(card.points()[3], QPointF(260, 200));
    expectNominal(card);

    // Past corner 2 the outline crosses itself; the calculator has a matrix for it, unused.
    card.movePoint(3, {}, QPointF(500, 300), image, image);
    EXPECT_EQ(card.shapeFault(), CardShape::Fault::crossedEdges);
    EXPECT_EQ(matrixSpy.count(), 1);

    card.movePoint(3, {}, QPointF(100, 400), image, image);
    EXPECT_EQ(card.shapeFault(), CardShape::Fault::none);
    EXPECT_EQ(matrixSpy.count(), 2);
    EXPECT_EQ(card.projectiveMatrix(), good);
}

TEST(ReferenceTargetModel, a_degenerate_card_starts_measuring_nothing)
{
    DiagnosticLines diagnostics;
    const ReferenceTargetModel card({QPointF(5, 5), QPointF(5, 5), QPointF(5, 5), QPointF(5, 5)},
                                    nullptr);
    EXPECT_EQ(card.projectiveMatrix(), Matrix::zero());
    EXPECT_EQ(DiagnosticLines::lines().size(), 1);
}

// Guards the sign of the matrix: a card photographed so steeply that the picture's top-left
// corner lies beyond the horizon must still measure (W > 0 on the card, m33 = -1).
TEST(ReferenceTargetModel, horizon_between_the_picture_origin_and_the_card)
{
    // The sides converge towards a vanishing line near y = 100: the origin lies beyond it.
    const ReferenceTargetModel card(
        {QPointF(400, 300), QPointF(600, 300), QPointF(700, 500), QPointF(300, 500)}, nullptr);
    const Matrix &m = card.projectiveMatrix();
    ASSERT_NE(m, Matrix::zero());
    EXPECT_EQ(m.m33, -1);
    Distance edge{card.points()[0], card.points()[1], 0};
    edge.recalculate(m);
    EXPECT_NEAR(edge.distance, 85.725, 1e-9);
    Distance towardsTheOrigin{card.points()[0], QPointF(0, 0), 0};
    towardsTheOrigin.recalculate(m);
    EXPECT_FALSE(towardsTheOrigin.isMeasured());
}
