#include "core/ReferenceTargetModel.h"

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

void ReferenceTargetModel::updateProjectiveMatrix()
{
    auto matrix = ProjectiveManager::shared().projectiveMatrix(*this);
    if (!matrix)
        return;
    if (matrix->m33 != 0)
        matrix = matrix->divided(matrix->m33);
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
