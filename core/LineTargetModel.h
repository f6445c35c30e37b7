#pragma once

#include "core/TargetModel.h"

// A two-point target: a horizontal segment one third of the picture wide, centred.
class LineTargetModel : public TargetModel
{
    Q_OBJECT

public:
    LineTargetModel(int imageWidth, int imageHeight, bool isSelected, TargetSelector *model,
                    QObject *parent = nullptr);

    [[nodiscard]] static QList<QPointF> initialPoints(int imageWidth, int imageHeight);
};
