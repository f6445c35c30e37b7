#pragma once

#include "capture/CameraManager.h"
#include "capture/FeedbackManager.h"
#include "core/Calculator.h"
#include "core/TargetModel.h"
#include "core/TargetSelector.h"
#include "session/CameraState.h"
#include "session/Cancellable.h"
#include "session/FrameOutput.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <optional>

class FrameManager;
class ImageProcessor;
class ReferenceTargetModel;

// The controller of one measurement session, owned by the measurement screen. It turns camera
// frames into published pictures with the detected card outline, holds the screen's state,
// the reference card and the measured targets, keeps every target's lengths in step with the
// card's matrix, and decides which target is the selected one. Main thread only; frames and
// camera errors reach it through the GUI thread's event loop.
class CameraViewModel : public QObject, public TargetSelector
{
    Q_OBJECT
    // Undefined while the camera works or a photo stands in for it, else the
    // CameraManager::CameraError.
    Q_PROPERTY(QVariant error READ errorValue NOTIFY errorChanged FINAL)
    // One line for the user, empty without an error.
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged FINAL)
    // Why a photo cannot be used, in the loader's words; empty for other errors.
    Q_PROPERTY(QString errorDetail READ errorDetail NOTIFY errorChanged FINAL)
    // The same in the interface's language, naming the file by its name; empty for other errors
    // and when the loader gave no reason.
    Q_PROPERTY(QString errorReason READ errorReason NOTIFY errorChanged FINAL)
    // The error is a missing camera permission, which the user can grant in the settings.
    Q_PROPERTY(bool permissionError READ isPermissionError NOTIFY errorChanged FINAL)
    // Undefined until the first frame, then a FrameOutput.
    Q_PROPERTY(QVariant frame READ frameValue NOTIFY frameChanged FINAL)
    Q_PROPERTY(CameraState cameraState READ cameraState NOTIFY cameraStateChanged FINAL)
    Q_PROPERTY(TargetModel *referenceRectangle READ referenceRectangleTarget NOTIFY
                   referenceRectangleChanged FINAL)
    Q_PROPERTY(QList<TargetModel *> measurableObjects READ measurableObjects NOTIFY
                   measurableObjectsChanged FINAL)
    // Tapped by the point gesture when a selected target's point is let go.
    Q_PROPERTY(FeedbackManager *feedbackManager READ feedbackManager CONSTANT FINAL)

public:
    using FrameOutput = ::FrameOutput;

    // The process's shared camera manager, frame manager, image processor and feedback
    // manager, created in that order when they do not exist yet.
    explicit CameraViewModel(QObject *parent = nullptr);
    CameraViewModel(CameraManager &cameraManager, FrameManager &frameManager,
                    ImageProcessor &imageProcessor, FeedbackManager *feedbackManager,
                    QObject *parent = nullptr);
    ~CameraViewModel() override;

    [[nodiscard]] const std::optional<CameraManager::CameraError> &error() const { return m_error; }
    [[nodiscard]] QVariant errorValue() const;
    [[nodiscard]] const QString &errorMessage() const { return m_errorMessage; }
    [[nodiscard]] const QString &errorDetail() const { return m_errorDetail; }
    [[nodiscard]] const QString &errorReason() const { return m_errorReason; }
    [[nodiscard]] bool isPermissionError() const;

    [[nodiscard]] const std::optional<FrameOutput> &frame() const { return m_frame; }
    [[nodiscard]] QVariant frameValue() const;

    [[nodiscard]] const CameraState &cameraState() const { return m_cameraState; }
    // Stores the state, then runs the entry step for it.
    void setCameraState(const CameraState &state);
    // The photo the user opened is on its way in place of the camera. The camera stops first,
    // and the picture may be frozen again meanwhile (on one of its last frames): when the photo
    // arrives, the session goes back to the live state for it, or the frozen frame would be
    // kept in its place.
    void expectPhoto(const QImage &photo);

    [[nodiscard]] ReferenceTargetModel *referenceRectangle() const { return m_referenceRectangle; }
    [[nodiscard]] TargetModel *referenceRectangleTarget() const;
    // Takes ownership; the previous card is released. Does not touch the matrix subscription.
    void setReferenceRectangle(ReferenceTargetModel *card);

    // In drawing order: later ones on top.
    [[nodiscard]] const QList<TargetModel *> &measurableObjects() const
    {
        return m_measurableObjects;
    }
    // Takes ownership.
    void appendMeasurable(TargetModel *target);
    // Releases the target at index; an index outside the list does nothing.
    void removeMeasurable(qsizetype index);

    // The subscription to the card's matrix; cancelling it stops the re-measuring.
    [[nodiscard]] Cancellable &matrixCancellableSubsciption()
    {
        return m_matrixCancellableSubsciption;
    }

    [[nodiscard]] CameraManager &cameraManager() const { return m_cameraManager; }
    [[nodiscard]] FrameManager &frameManager() const { return m_frameManager; }
    [[nodiscard]] ImageProcessor &imageProcessor() const { return m_imageProcessor; }
    // Fired by the point gesture when a drag ends; may be null in tests.
    [[nodiscard]] FeedbackManager *feedbackManager() const { return m_feedbackManager; }

    // Starts the capture session unless it runs; either way one diagnostic line.
    Q_INVOKABLE void startCapture();
    // Stops the capture session if it runs; either way one diagnostic line.
    Q_INVOKABLE void stopCapture();

    // The entry step for the current state: the card's selection, and the targets and card
    // that the new state keeps.
    void cameraStateDidChange();
    // Re-measures every target whenever the card's matrix changes, and once with the current
    // matrix on the next turn of the event loop. Without a card it only cancels.
    void subscribeToMatrix();

    // Makes target the one selected target and moves it towards the end of the drawing order.
    // Called by the target after it became selected; its own flag is not written here.
    void select(TargetModel *target) override;
    // The position of the first target with the same id, or none.
    [[nodiscard]] std::optional<qsizetype> indexOfMeasurable(const TargetModel *target) const;

    // One step of the frame pipeline: analyse (live) or replace by the held picture (frozen),
    // convert and publish. A null buffer changes nothing.
    void processFrame(const QImage &pixelBuffer);

Q_SIGNALS:
    void errorChanged();
    void frameChanged();
    void cameraStateChanged(const CameraState &cameraState);
    void referenceRectangleChanged();
    void measurableObjectsChanged();

private:
    void setupSubscriptions();
    void setError(std::optional<CameraManager::CameraError> error, const QString &message,
                  const QString &detail, const ImageLoader::Result &photo);
    void setFrame(FrameOutput frame);
    // The picture to publish for a frame's image, converted for drawing.
    [[nodiscard]] QImage drawableFrame(const QImage &image);
    void clearMeasurables();
    void remeasure(const Calculator::Matrix3x3 &matrix);
    static void release(TargetModel *target);

    Cancellable m_matrixCancellableSubsciption;
    std::optional<CameraManager::CameraError> m_error;
    QString m_errorMessage;
    QString m_errorDetail;
    QString m_errorReason;
    std::optional<FrameOutput> m_frame;
    // The image m_frame's picture was made from.
    qint64 m_frameSourceKey = 0;
    // The photo expected in place of the camera; 0 for none.
    qint64 m_expectedPhotoKey = 0;
    CameraState m_cameraState = CameraState::takePicture();
    ReferenceTargetModel *m_referenceRectangle = nullptr;
    QList<TargetModel *> m_measurableObjects;

    CameraManager &m_cameraManager;
    FrameManager &m_frameManager;
    ImageProcessor &m_imageProcessor;
    FeedbackManager *m_feedbackManager;

    Cancellable m_errorSubscription;
    Cancellable m_errorClearedSubscription;
    Cancellable m_frameSubscription;
};
