#include "session/MeasurementActions.h"

#include "core/LineTargetModel.h"
#include "core/RectangleTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "session/CameraViewModel.h"

MeasurementActions::MeasurementActions(CameraViewModel *session, QObject *parent)
    : QObject(parent), m_session(session)
{
}

void MeasurementActions::setSession(CameraViewModel *session)
{
    if (m_session == session)
        return;
    m_session = session;
    Q_EMIT sessionChanged();
}

void MeasurementActions::mainAction()
{
    if (!m_session)
        return;
    CameraViewModel &session = *m_session;
    const CameraState state = session.cameraState();

    if (state.is(CameraState::Kind::export_))
        Q_EMIT exportRequested();

    if (state.is(CameraState::Kind::takePicture) && session.frame() &&
        session.frame()->hasImage()) {
        const FrameOutput &frame = *session.frame();
        // The detector reports four corners; anything else is not a card to start from.
        const QList<QPointF> corners = frame.points() && frame.points()->size() == 4
                                           ? *frame.points()
                                           : RectangleTargetModel::defaultQuadrilateral(
                                                 frame.image().width(), frame.image().height());
        auto *card = new ReferenceTargetModel(corners, &session);
        session.matrixCancellableSubsciption().cancel();
        session.setReferenceRectangle(card);
        session.subscribeToMatrix();
        card->setIsSelected(true);
    }

    session.setCameraState(state.successor());
}

void MeasurementActions::saveImageAction()
{
    if (!m_session)
        return;
    const bool exporting = m_session->cameraState().is(CameraState::Kind::export_);
    m_session->setCameraState(exporting ? CameraState::takePicture()
                                        : CameraState::exportPicture());
}

void MeasurementActions::addMeasurableAction(TargetModel::Measurable kind)
{
    if (!m_session || !m_session->frame() || !m_session->frame()->hasImage())
        return;
    CameraViewModel &session = *m_session;
    const int width = session.frame()->image().width();
    const int height = session.frame()->image().height();

    TargetModel *target = nullptr;
    switch (kind) {
    case TargetModel::Measurable::line:
        target = new LineTargetModel(width, height, false, &session);
        break;
    case TargetModel::Measurable::rectangle:
        target = new RectangleTargetModel(width, height, false, &session);
        break;
    }
    if (!target)
        return;
    session.appendMeasurable(target);

    TargetModel *added = session.measurableObjects().last();
    added->setIsSelected(true);

    // Without a card the target keeps its placeholder lengths until one is made.
    if (ReferenceTargetModel *card = session.referenceRectangle();
        card && !session.measurableObjects().isEmpty())
        session.measurableObjects().last()->updateAllDistances(card->projectiveMatrix());
}

void MeasurementActions::contextAction(TargetModel *target)
{
    if (!m_session || !target)
        return;
    if (qobject_cast<ReferenceTargetModel *>(target)) {
        m_session->setCameraState(CameraState::addTarget(false));
        return;
    }
    if (const std::optional<qsizetype> index = m_session->indexOfMeasurable(target))
        m_session->removeMeasurable(*index);
}
