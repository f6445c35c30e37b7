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

TEST(ReferenceTargetModel, degenerate_drag_keeps_the_previous_matrix)
{
    ReferenceTargetModel card(
        {QPointF(100, 200), QPointF(400, 200), QPointF(400, 400), QPointF(100, 400)}, nullptr);
    const Matrix good = card.projectiveMatrix();
    QSignalSpy matrixSpy(&card, &ReferenceTargetModel::projectiveMatrixChanged);
    DiagnosticLines diagnostics;
    const QSizeF image(1000, 1000);
    // Corner 3 slides along the line through corners 0 and 1, two drag steps.
    card.movePoint(3, {}, QPointF(250, 200), image, image);
    card.movePoint(3, {}, QPointF(260, 200), image, image);
    EXPECT_EQ(DiagnosticLines::lines().size(), 2);
    EXPECT_EQ(matrixSpy.count(), 0);
    EXPECT_EQ(card.projectiveMatrix(), good);
    EXPECT_EQ(card.points()[3], QPointF(260, 200));
    expectNominal(card);
}

TEST(ReferenceTargetModel, a_degenerate_card_starts_with_the_identity)
{
    DiagnosticLines diagnostics;
    const ReferenceTargetModel card({QPointF(5, 5), QPointF(5, 5), QPointF(5, 5), QPointF(5, 5)},
                                    nullptr);
    EXPECT_EQ(card.projectiveMatrix(), Matrix::identity());
    EXPECT_EQ(DiagnosticLines::lines().size(), 1);
}
