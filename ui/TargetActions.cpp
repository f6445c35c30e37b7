#include "ui/TargetActions.h"

#include "capture/FeedbackManager.h"
#include "core/ReferenceTargetModel.h"
#include "session/CameraViewModel.h"
#include "ui/PictureMapping.h"

#include <algorithm>

namespace {

CameraViewModel *sessionOf(const TargetModel *target)
{
    return dynamic_cast<CameraViewModel *>(target->model());
}

bool isLive(const TargetModel *target, int pointIndex)
{
    return target && target->isSelected() && pointIndex >= 0 &&
           pointIndex < target->points().size();
}

} // namespace

QVariant TargetActions::record(TargetModel *target, int pointIndex, QPointF location)
{
    if (!isLive(target, pointIndex))
        return {};
    return QVariant::fromValue(target->neighbours(
        pointIndex, location, PictureMapping::targetColor(target).name(QColor::HexRgb)));
}

void TargetActions::move(TargetModel *target, int pointIndex, QPointF location, QSizeF imageSize,
                         QSizeF viewSize)
{
    if (!isLive(target, pointIndex))
        return;
    CameraViewModel *session = sessionOf(target);
    ReferenceTargetModel *card = session ? session->referenceRectangle() : nullptr;
    if (!card)
        return;
    target->movePoint(pointIndex, card->projectiveMatrix(), location, imageSize, viewSize);
}

QVariant TargetActions::nudge(TargetModel *target, int pointIndex, int dx, int dy, QSizeF imageSize,
                              QSizeF viewSize)
{
    if (!isLive(target, pointIndex) || imageSize.isEmpty() || viewSize.isEmpty())
        return {};
    CameraViewModel *session = sessionOf(target);
    ReferenceTargetModel *card = session ? session->referenceRectangle() : nullptr;
    if (!card)
        return {};
    const QRectF shown = PictureMapping::visibleRect(imageSize, viewSize);
    const QPointF from = target->points()[pointIndex];
    const QPointF to(std::clamp(from.x() + dx, shown.left(), shown.right()),
                     std::clamp(from.y() + dy, shown.top(), shown.bottom()));
    // The model moves points to view locations; in a view of the photo's own size a location is
    // the pixel itself, so the point lands exactly on whole-pixel steps. At the border it stays,
    // still shown in the loupe.
    if (to != from)
        target->movePoint(pointIndex, card->projectiveMatrix(), to, imageSize, imageSize);
    return record(target, pointIndex, PictureMapping::viewPoint(to, imageSize, viewSize));
}

void TargetActions::impact(TargetModel *target)
{
    if (!target || !target->isSelected())
        return;
    CameraViewModel *session = sessionOf(target);
    FeedbackManager *feedback = session && session->feedbackManager() ? session->feedbackManager()
                                                                      : &FeedbackManager::shared();
    feedback->impactOccurred();
}

void TargetActions::deleteTarget(CameraViewModel *session, TargetModel *target)
{
    if (!session || !target)
        return;
    if (const std::optional<qsizetype> index = session->indexOfMeasurable(target))
        session->removeMeasurable(*index);
}
