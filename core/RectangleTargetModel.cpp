#include "core/RectangleTargetModel.h"

#include "core/ProjectiveManager.h"

QList<QPointF> RectangleTargetModel::defaultQuadrilateral(int width, int height)
{
    const double w = width;
    const double h = height;
    const double cw = w / 3;
    const double ch = cw * ProjectiveManager::cardAspectRatio;
    const double x0 = (w - cw) * 0.5;
    const double y0 = (h - ch) * 0.5;
    const double inset = cw * 0.1;
    return {QPointF(x0 - inset, y0), QPointF(x0 + cw + inset, y0), QPointF(x0 + cw, y0 + ch),
            QPointF(x0, y0 + ch)};
}

RectangleTargetModel::RectangleTargetModel(int imageWidth, int imageHeight, bool isSelected,
                                           TargetSelector *model, QObject *parent)
    : TargetModel(defaultQuadrilateral(imageWidth, imageHeight), {}, isSelected, model, parent)
{
    setDistances(edgesOf(points(), 1.0));
}
