#pragma once

#include "core/Calculator.h"
#include "core/CardShape.h"
#include "core/TargetModel.h"

// The reference card on the photo. Its corners are ordered so that corner 0 -> 1 is a long
// edge; it publishes the homography from image pixels to millimetres on the card's plane
// (scaled to m33 = 1). While the corners do not outline a card (CardShape), it publishes the
// zero matrix instead, through which no target has a length; the outline still follows the
// corners. Its own edges always carry the card's nominal lengths.
class ReferenceTargetModel : public TargetModel
{
    Q_OBJECT
    Q_PROPERTY(Calculator::Matrix3x3 projectiveMatrix READ projectiveMatrix NOTIFY
                   projectiveMatrixChanged FINAL)

public:
    // corners: exactly four image points.
    ReferenceTargetModel(const QList<QPointF> &corners, TargetSelector *model,
                         QObject *parent = nullptr);

    [[nodiscard]] const Calculator::Matrix3x3 &projectiveMatrix() const
    {
        return m_projectiveMatrix;
    }

    // Recomputes the matrix from the corners; the zero matrix when they outline no card.
    void updateProjectiveMatrix();

    // What is wrong with the corners as a card's outline, if anything.
    [[nodiscard]] CardShape::Fault shapeFault() const;

    // The matrix argument is not used: the card measures itself by its own corners.
    void movePoint(qsizetype index, const Calculator::Matrix3x3 &matrix, QPointF location,
                   QSizeF imageSize, QSizeF viewSize) override;
    // Does nothing: the card's lengths are nominal.
    void updateDistances(qsizetype index, const Calculator::Matrix3x3 &matrix) override;

    // The corners rotated by one when edge 1 -> 2 or 3 -> 0 is the strictly longest.
    [[nodiscard]] static QList<QPointF> orderedCorners(const QList<QPointF> &corners);

Q_SIGNALS:
    void projectiveMatrixChanged(const Calculator::Matrix3x3 &projectiveMatrix);

private:
    Calculator::Matrix3x3 m_projectiveMatrix = Calculator::Matrix3x3::identity();
};
