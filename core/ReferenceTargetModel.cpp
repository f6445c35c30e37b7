#include "core/ReferenceTargetModel.h"

#include "core/CardShape.h"
#include "core/ProjectiveManager.h"

#include <cmath>

namespace {
QList<Distance> nominalEdges(const QList<QPointF> &points)
{
    QList<Distance> edges = edgesOf(points, 0.0);
    for (qsizetype k = 0; k < edges.size(); ++k)
        edges[k].distance =
            k % 2 == 0 ? ProjectiveManager::cardWidth : ProjectiveManager::cardHeight;
    return edges;
}
} // namespace

QList<QPointF> ReferenceTargetModel::orderedCorners(const QList<QPointF> &corners)
{
    if (corners.size() != 4)
        qFatal("ReferenceTargetModel: a card has 4 corners, got %lld",
               static_cast<long long>(corners.size()));
    qsizetype longest = 0;
    double longestLength = -1;
    for (qsizetype k = 0; k < 4; ++k) {
        const QPointF d = corners[(k + 1) % 4] - corners[k];
        const double length = std::sqrt(d.x() * d.x() + d.y() * d.y());
        if (length > longestLength) { // ties keep the earlier edge
            longest = k;
            longestLength = length;
        }
    }
    if (longest % 2 == 0)
        return corners;
    return {corners[1], corners[2], corners[3], corners[0]};
}

ReferenceTargetModel::ReferenceTargetModel(const QList<QPointF> &corners, TargetSelector *model,
                                           QObject *parent)
    : TargetModel(orderedCorners(corners), {}, false, model, parent)
{
    setDistances(nominalEdges(points()));
    updateProjectiveMatrix();
}

CardShape::Fault ReferenceTargetModel::shapeFault() const
{
    const QList<QPointF> &p = points();
    return CardShape::check({p[0], p[1], p[2], p[3]});
}

void ReferenceTargetModel::updateProjectiveMatrix()
{
    auto matrix = ProjectiveManager::shared().projectiveMatrix(*this);
    if (!matrix || shapeFault() != CardShape::Fault::none) {
        // Lengths read through the last good matrix belong to a card that is no longer
        // there, and those through this shape's matrix mean nothing: publish the matrix that
        // measures nothing until the card has a proper shape again.
        if (m_projectiveMatrix == Calculator::Matrix3x3::zero())
            return;
        m_projectiveMatrix = Calculator::Matrix3x3::zero();
        Q_EMIT projectiveMatrixChanged(m_projectiveMatrix);
        return;
    }
    // Scaled to m33 = 1, keeping the sign that makes W positive on the card: when the photo's
    // top-left corner lies beyond the card plane's horizon, m33 is -1 instead.
    if (matrix->m33 != 0)
        matrix = matrix->divided(std::fabs(matrix->m33));
    m_projectiveMatrix = *matrix;
    Q_EMIT projectiveMatrixChanged(m_projectiveMatrix);
}

void ReferenceTargetModel::movePoint(qsizetype index, const Calculator::Matrix3x3 &,
                                     QPointF location, QSizeF imageSize, QSizeF viewSize)
{
    TargetModel::movePoint(index, Calculator::Matrix3x3::identity(), location, imageSize, viewSize);
    updateProjectiveMatrix();
}

void ReferenceTargetModel::updateDistances(qsizetype, const Calculator::Matrix3x3 &) {}
