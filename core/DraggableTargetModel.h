#pragma once

#include "core/Calculator.h"

#include <QPointF>
#include <QSizeF>

// The operations a view drives while the user drags one of a target's points.
class DraggableTargetModel
{
public:
    virtual ~DraggableTargetModel() = default;

    // Moves point index to the touch location (view points) and re-measures the edges that
    // meet there.
    virtual void movePoint(qsizetype index, const Calculator::Matrix3x3 &matrix, QPointF location,
                           QSizeF imageSize, QSizeF viewSize) = 0;
    virtual void updateAllDistances(const Calculator::Matrix3x3 &matrix) = 0;
    virtual void updateDistances(qsizetype index, const Calculator::Matrix3x3 &matrix) = 0;
};
