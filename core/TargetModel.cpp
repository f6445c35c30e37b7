#include "core/TargetModel.h"

#include "core/TargetSelector.h"

#include <QSet>
#include <QUuid>

QList<Distance> edgesOf(const QList<QPointF> &points, double length)
{
    QList<Distance> edges;
    edges.reserve(points.size());
    for (qsizetype k = 0; k < points.size(); ++k)
        edges.append({points[k], points[(k + 1) % points.size()], length});
    return edges;
}

TargetModel::TargetModel(QList<QPointF> points, QList<Distance> distances, bool isSelected,
                         TargetSelector *model, QObject *parent)
    : QObject(parent), m_id(QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()),
      m_points(std::move(points)), m_distances(std::move(distances)), m_isSelected(isSelected),
      m_model(model)
{
}

void TargetModel::setPoints(QList<QPointF> points)
{
    m_points = std::move(points);
    Q_EMIT pointsChanged();
}

void TargetModel::setDistances(QList<Distance> distances)
{
    m_distances = std::move(distances);
    Q_EMIT distancesChanged();
}

void TargetModel::setIsSelected(bool selected)
{
    m_isSelected = selected;
    Q_EMIT isSelectedChanged(selected);
    if (selected && m_model)
        m_model->select(this);
}

QPointF TargetModel::imagePoint(QPointF location, QSizeF imageSize, QSizeF viewSize)
{
    const double heightRatio = imageSize.height() / viewSize.height();
    const double widthRatio = imageSize.width() / viewSize.width();
    // A NaN ratio fails the comparison, so the width ratio is taken.
    const double s = heightRatio < widthRatio ? heightRatio : widthRatio;
    return {s * location.x() + s * ((imageSize.width() / s - viewSize.width()) * 0.5),
            s * location.y() + s * ((imageSize.height() / s - viewSize.height()) * 0.5)};
}

void TargetModel::movePoint(qsizetype index, const Calculator::Matrix3x3 &matrix, QPointF location,
                            QSizeF imageSize, QSizeF viewSize)
{
    checkIndex(index, "movePoint");
    const QPointF point = imagePoint(location, imageSize, viewSize);
    // Two published changes, x then y, as a view observing the point sees them.
    m_points[index].setX(point.x());
    Q_EMIT pointsChanged();
    m_points[index].setY(point.y());
    Q_EMIT pointsChanged();
    updateEndpoints(index);
    updateDistances(index, matrix);
}

void TargetModel::updateEndpoints(qsizetype index)
{
    if (m_distances.size() == 1) {
        // A line: one edge from point 0 to point 1.
        if (index == 0)
            m_distances[0].from = m_points[0];
        else
            m_distances[0].to = m_points[index];
        Q_EMIT distancesChanged();
        return;
    }
    if (index < m_distances.size()) {
        m_distances[index].from = m_points[index];
        Q_EMIT distancesChanged();
    }
    const qsizetype previous = cyclicIndex(index - 1);
    if (previous < m_distances.size()) {
        m_distances[previous].to = m_points[index];
        Q_EMIT distancesChanged();
    }
}

void TargetModel::updateDistances(qsizetype index, const Calculator::Matrix3x3 &matrix)
{
    if (index >= 0 && index < m_distances.size()) {
        m_distances[index].recalculate(matrix);
        Q_EMIT distancesChanged();
    }
    const qsizetype previous = cyclicIndex(index - 1);
    if (previous >= 0 && previous < m_distances.size()) {
        m_distances[previous].recalculate(matrix);
        Q_EMIT distancesChanged();
    }
}

void TargetModel::updateAllDistances(const Calculator::Matrix3x3 &matrix)
{
    for (qsizetype i = 0; i < m_points.size(); ++i)
        updateDistances(i, matrix);
}

qsizetype TargetModel::cyclicIndex(qsizetype index) const
{
    if (index == -1)
        return m_points.size() - 1;
    if (index == m_points.size())
        return 0;
    return index;
}

DraggedPoint TargetModel::neighbours(qsizetype index, QPointF location, const QString &color) const
{
    checkIndex(index, "neighbours");
    QList<qsizetype> indices{cyclicIndex(index - 1)};
    if (const qsizetype next = cyclicIndex(index + 1); next != indices.first())
        indices.append(next);
    DraggedPoint record{location, {}, color};
    for (const qsizetype i : indices)
        record.neighbours.append(m_points[i]);
    return record;
}

void TargetModel::checkIndex(qsizetype index, const char *operation) const
{
    // Views only pass indices of points they drew; anything else is a programming error that
    // must not write out of range.
    if (index < 0 || index >= m_points.size())
        qFatal("TargetModel::%s: point %lld of %lld", operation, static_cast<long long>(index),
               static_cast<long long>(m_points.size()));
}
