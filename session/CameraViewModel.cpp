#include "session/CameraViewModel.h"

#include "capture/FeedbackManager.h"
#include "capture/FrameManager.h"
#include "capture/ImageProcessor.h"
#include "core/Diagnostics.h"
#include "core/ReferenceTargetModel.h"
#include "core/TargetModel.h"
#include "session/PhotoOpener.h"

#include <QPointer>

namespace {

// What the picture is drawn from. Camera frames are 32-bit BGRA with straight alpha; the
// painter and the scene graph draw premultiplied pixels, so straight alpha is converted once
// here, on the frame's way out. Opaque and premultiplied frames are shared as they are.
QImage drawable(const QImage &image)
{
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
}

} // namespace

// Braced initialisation evaluates left to right: the shared instances are created in the order
// the capture layer expects (the frame manager hands itself to the camera manager).
CameraViewModel::CameraViewModel(QObject *parent)
    : CameraViewModel{CameraManager::shared(), FrameManager::shared(), ImageProcessor::shared(),
                      &FeedbackManager::shared(), parent}
{
}

CameraViewModel::CameraViewModel(CameraManager &cameraManager, FrameManager &frameManager,
                                 ImageProcessor &imageProcessor, FeedbackManager *feedbackManager,
                                 QObject *parent)
    : QObject(parent), m_cameraManager(cameraManager), m_frameManager(frameManager),
      m_imageProcessor(imageProcessor), m_feedbackManager(feedbackManager)
{
    setupSubscriptions();
}

CameraViewModel::~CameraViewModel() = default;

void CameraViewModel::setupSubscriptions()
{
    // The lambdas hold the session weakly: a value that was already on its way when the
    // session went is dropped.
    const QPointer<CameraViewModel> self(this);

    m_errorSubscription = Cancellable::sink(
        &m_cameraManager, &CameraManager::errorChanged,
        [self](CameraManager::CameraError error, const QString &message, const QString &detail,
               const ImageLoader::Result &photo) {
            if (self)
                self->setError(error, message, detail, photo);
        },
        [self, error = m_cameraManager.error(), message = m_cameraManager.errorMessage(),
         detail = m_cameraManager.errorDetail(), photo = m_cameraManager.photoFailure()] {
            if (self)
                self->setError(error, message, detail, photo);
        });
    // A photo opened in the failed camera's place: the buttons come back for it.
    m_errorClearedSubscription = Cancellable::sink(
        &m_cameraManager, &CameraManager::errorCleared,
        [self] {
            if (self)
                self->setError(std::nullopt, {}, {}, {});
        },
        [] {});

    m_frameSubscription = Cancellable::sink(
        &m_frameManager, &FrameManager::currentChanged,
        [self](const QImage &pixelBuffer) {
            if (self)
                self->processFrame(pixelBuffer);
        },
        [self, pixelBuffer = m_frameManager.current()] {
            if (self)
                self->processFrame(pixelBuffer);
        });
}

QVariant CameraViewModel::errorValue() const
{
    return m_error ? QVariant::fromValue(*m_error) : QVariant();
}

bool CameraViewModel::isPermissionError() const
{
    return m_error && CameraManager::isPermissionError(*m_error);
}

void CameraViewModel::setError(std::optional<CameraManager::CameraError> error,
                               const QString &message, const QString &detail,
                               const ImageLoader::Result &photo)
{
    const bool unreadable = error == CameraManager::CameraError::unreadablePhoto;
    // Worded now, in the language the tables hold.
    const QString reason = unreadable ? PhotoOpener::reason(photo) : QString();
    if (error == m_error && message == m_errorMessage &&
        (unreadable ? detail : QString()) == m_errorDetail && reason == m_errorReason)
        return;
    m_error = error;
    m_errorMessage = error ? message : QString();
    m_errorDetail = unreadable ? detail : QString();
    m_errorReason = reason;
    Q_EMIT errorChanged();
}

QVariant CameraViewModel::frameValue() const
{
    return m_frame ? QVariant::fromValue(*m_frame) : QVariant();
}

void CameraViewModel::setFrame(FrameOutput frame)
{
    m_frame = std::move(frame);
    Q_EMIT frameChanged();
}

void CameraViewModel::processFrame(const QImage &pixelBuffer)
{
    if (pixelBuffer.isNull())
        return;
    if (m_expectedPhotoKey != 0 && pixelBuffer.cacheKey() == m_expectedPhotoKey) {
        m_expectedPhotoKey = 0;
        if (!m_cameraState.is(CameraState::Kind::takePicture))
            setCameraState(CameraState::takePicture());
    }
    // Shares the pixels; the processor may swap in the held picture.
    QImage image = pixelBuffer;
    const bool live = m_cameraState.is(CameraState::Kind::takePicture);
    std::optional<QList<QPointF>> points = m_imageProcessor.processImage(image, !live, live);
    // A frame that cannot be converted is published without a picture.
    setFrame(FrameOutput(drawableFrame(image), std::move(points)));
}

void CameraViewModel::expectPhoto(const QImage &photo)
{
    m_expectedPhotoKey = photo.isNull() ? 0 : photo.cacheKey();
}

QImage CameraViewModel::drawableFrame(const QImage &image)
{
    // While the picture is frozen, the held picture comes back with every camera frame. A
    // straight-alpha one is converted once: converting it again would cost a pass over every
    // pixel per frame, and the views would take the new copy for a new picture and upload it.
    if (m_frame && m_frame->hasImage() && image.cacheKey() == m_frameSourceKey)
        return m_frame->image();
    m_frameSourceKey = image.cacheKey();
    return drawable(image);
}

void CameraViewModel::setCameraState(const CameraState &state)
{
    m_cameraState = state;
    Q_EMIT cameraStateChanged(m_cameraState);
    cameraStateDidChange();
}

TargetModel *CameraViewModel::referenceRectangleTarget() const
{
    return m_referenceRectangle;
}

void CameraViewModel::setReferenceRectangle(ReferenceTargetModel *card)
{
    if (card == m_referenceRectangle)
        return;
    if (card)
        card->setParent(this);
    ReferenceTargetModel *previous = std::exchange(m_referenceRectangle, card);
    Q_EMIT referenceRectangleChanged();
    release(previous);
}

void CameraViewModel::appendMeasurable(TargetModel *target)
{
    if (!target)
        return;
    target->setParent(this);
    m_measurableObjects.append(target);
    Q_EMIT measurableObjectsChanged();
}

void CameraViewModel::removeMeasurable(qsizetype index)
{
    if (index < 0 || index >= m_measurableObjects.size())
        return;
    TargetModel *target = m_measurableObjects.takeAt(index);
    Q_EMIT measurableObjectsChanged();
    release(target);
}

void CameraViewModel::clearMeasurables()
{
    const QList<TargetModel *> targets = std::exchange(m_measurableObjects, {});
    Q_EMIT measurableObjectsChanged();
    for (TargetModel *target : targets)
        release(target);
}

void CameraViewModel::release(TargetModel *target)
{
    // A view or the action that removed it may still be inside one of the target's calls.
    if (target)
        target->deleteLater();
}

void CameraViewModel::startCapture()
{
    if (m_cameraManager.isRunning()) {
        Diagnostics::write("ERROR: Session already running");
        return;
    }
    Diagnostics::write("Starting Capture");
    m_cameraManager.startSession();
}

void CameraViewModel::stopCapture()
{
    if (!m_cameraManager.isRunning()) {
        Diagnostics::write("ERROR: Session was not started");
        return;
    }
    Diagnostics::write("Stopping Capture");
    m_cameraManager.stopSession();
}

void CameraViewModel::cameraStateDidChange()
{
    const bool cardSelected = m_cameraState.is(CameraState::Kind::confirmCardSelection) ||
                              m_cameraState.is(CameraState::Kind::takePicture);
    if (m_referenceRectangle)
        m_referenceRectangle->setIsSelected(cardSelected);

    switch (m_cameraState.kind()) {
    case CameraState::Kind::confirmCardSelection:
        clearMeasurables();
        break;
    case CameraState::Kind::addTarget:
        break;
    case CameraState::Kind::takePicture:
        clearMeasurables();
        m_matrixCancellableSubsciption.cancel();
        setReferenceRectangle(nullptr);
        subscribeToMatrix();
        break;
    case CameraState::Kind::export_:
        if (m_referenceRectangle)
            m_referenceRectangle->setIsSelected(false);
        for (TargetModel *target : QList(m_measurableObjects))
            target->setIsSelected(false);
        break;
    }
}

void CameraViewModel::subscribeToMatrix()
{
    if (!m_referenceRectangle) {
        m_matrixCancellableSubsciption.cancel();
        return;
    }
    const QPointer<CameraViewModel> self(this);
    m_matrixCancellableSubsciption = Cancellable::sink(
        m_referenceRectangle, &ReferenceTargetModel::projectiveMatrixChanged,
        [self](const Calculator::Matrix3x3 &matrix) {
            if (self)
                self->remeasure(matrix);
        },
        [self, matrix = m_referenceRectangle->projectiveMatrix()] {
            if (self)
                self->remeasure(matrix);
        });
}

void CameraViewModel::remeasure(const Calculator::Matrix3x3 &matrix)
{
    // The card's own lengths are nominal and stay as they are. Copied: a target's observers
    // must not be able to change the list under the loop.
    const QList<TargetModel *> targets = m_measurableObjects;
    for (TargetModel *target : targets) {
        for (qsizetype i = 0; i < target->points().size(); ++i)
            target->updateDistances(i, matrix);
    }
}

void CameraViewModel::select(TargetModel *target)
{
    if (!target)
        return;
    if (m_referenceRectangle && m_referenceRectangle->id() != target->id())
        m_referenceRectangle->setIsSelected(false);

    // Moved to just before the element that was last: the last target stays last, any other
    // becomes the second-last.
    if (const std::optional<qsizetype> index = indexOfMeasurable(target)) {
        const qsizetype last = m_measurableObjects.size() - 1;
        if (*index < last) {
            m_measurableObjects.move(*index, last - 1);
            if (*index != last - 1)
                Q_EMIT measurableObjectsChanged();
        }
    }

    // A copy: observers of a target's flag run inside the loop.
    for (TargetModel *other : QList(m_measurableObjects)) {
        if (other->id() != target->id())
            other->setIsSelected(false);
    }
}

std::optional<qsizetype> CameraViewModel::indexOfMeasurable(const TargetModel *target) const
{
    if (!target)
        return std::nullopt;
    for (qsizetype i = 0; i < m_measurableObjects.size(); ++i) {
        if (m_measurableObjects[i]->id() == target->id())
            return i;
    }
    return std::nullopt;
}
