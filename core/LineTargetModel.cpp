#include "core/LineTargetModel.h"

#include "core/Session.h"

QList<QPointF> LineTargetModel::initialPoints(int imageWidth, int imageHeight)
{
    // A test run places the line on the object of the bundled test photo.
    if (Session::shared().isUITest())
        return {QPointF(1984, 3016), QPointF(1957, 1199)};
    const double w = imageWidth;
    const double h = imageHeight;
    return {QPointF((w - w / 3) * 0.5, h * 0.5), QPointF(w / 3 + (w - w / 3) * 0.5, h * 0.5)};
}

LineTargetModel::LineTargetModel(int imageWidth, int imageHeight, bool isSelected,
                                 TargetSelector *model, QObject *parent)
    : TargetModel(initialPoints(imageWidth, imageHeight), {}, isSelected, model, parent)
{
    setDistances({Distance{points()[0], points()[1], 1.0}});
}
