#pragma once

#include "core/TargetModel.h"

// A four-point target, first laid out as a card seen at an angle in the middle of the picture.
class RectangleTargetModel : public TargetModel
{
    Q_OBJECT

public:
    RectangleTargetModel(int imageWidth, int imageHeight, bool isSelected, TargetSelector *model,
                         QObject *parent = nullptr);

    // A trapezoid centred in the picture, a third of its width, wider at the top by a tenth of
    // its width on each side.
    [[nodiscard]] static QList<QPointF> defaultQuadrilateral(int width, int height);
};
