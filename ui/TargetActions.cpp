#include "ui/TargetActions.h"

#include "capture/FeedbackManager.h"
#include "core/ReferenceTargetModel.h"
#include "session/CameraViewModel.h"
#include "ui/PictureMapping.h"

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
