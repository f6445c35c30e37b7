#pragma once

#include "capture/ImageLoader.h"
#include "capture/StillPhotoSource.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QVariant>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

class CameraPlatform;
class FrameManager;
class SerialQueue;

// Owns the capture session of the rear camera. Creating it checks the camera authorization
// and queues the configuration and the first start of the session on the session queue; the
// frame manager then hands itself over as the receiver of the video frames. The first failure
// met (and any later one) is published as `error` on the main thread. A photo shown in the
// camera's place clears it: the picture no longer depends on the camera.
//
// In user-interface test and simulator runs, and when the user gave a photo, the camera is
// never touched: the frame manager is fed that one still picture instead.
class CameraManager : public QObject
{
    Q_OBJECT
    // Absent (undefined in QML) until the first failure, then a CameraError.
    Q_PROPERTY(QVariant error READ errorValue NOTIFY errorChanged FINAL)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorChanged FINAL)
    // The camera permission is missing: the user can fix it in the system settings.
    Q_PROPERTY(bool permissionError READ isPermissionError NOTIFY errorChanged FINAL)
    Q_PROPERTY(Status status READ status NOTIFY statusChanged FINAL)

public:
    enum class Status
    {
        unconfigured,
        configured,
        unauthorized,
        failed,
    };
    Q_ENUM(Status)

    enum class CameraError
    {
        createCaptureInput, // carries the platform's error text, see errorMessage()
        cameraUnavailable,
        cannotAddInput,
        cannotAddOutput,
        deniedAuthorization,
        restrictedAuthorization,
        unknownAuthorization,
        // The photo given instead of the camera cannot be used; carries the reason.
        unreadablePhoto,
    };
    Q_ENUM(CameraError)

    // How this run gets its frames.
    struct Setup
    {
        // A user-interface test or simulator run: the bundled test frame, no camera.
        bool useTestFrame = false;
        // The user's photo, no camera.
        std::optional<StillPhotoSource> stillPhoto;
    };

    static constexpr std::chrono::milliseconds testFrameDelay{500};

    // Created on first use from the process facts and the Qt Multimedia platform; never
    // destroyed. Ask for it on the main thread first.
    [[nodiscard]] static CameraManager &shared();

    CameraManager(std::shared_ptr<CameraPlatform> platform, Setup setup, QObject *parent = nullptr);
    // Waits for the session queue's running item; queued work is dropped.
    ~CameraManager() override;

    // Main thread only.
    [[nodiscard]] std::optional<CameraError> error() const { return m_error; }
    [[nodiscard]] QString errorMessage() const;
    [[nodiscard]] QString errorDetail() const { return m_error ? m_errorDetail : QString(); }
    // The loader's failure behind unreadablePhoto, for the interface to word; else empty.
    [[nodiscard]] ImageLoader::Result photoFailure() const
    {
        return m_error ? m_photoFailure : ImageLoader::Result();
    }
    [[nodiscard]] bool isPermissionError() const;
    [[nodiscard]] QVariant errorValue() const;

    // Any thread.
    [[nodiscard]] Status status() const { return m_status.load(); }
    // The capture session's own running flag, read at the moment of the call; while a start or
    // stop is still queued, what the last of them asked for.
    [[nodiscard]] Q_INVOKABLE bool isRunning() const;

    // One line for the user; `detail` is what the platform or the photo loader said.
    [[nodiscard]] static QString message(CameraError error, const QString &detail = {});
    [[nodiscard]] static bool isPermissionError(CameraError error);

    // Queue a start or stop of the session; does nothing once a still photo replaced the
    // camera.
    Q_INVOKABLE void startSession();
    Q_INVOKABLE void stopSession();

    // Makes `delegate` the receiver of the video frames, delivered on `queue`. In test and
    // simulator runs it schedules the test frame instead, and with a still photo that photo.
    void setVideoOutputDelegate(FrameManager *delegate, std::shared_ptr<SerialQueue> queue);

    // Replaces the camera by a photo from now on (a dropped file): stops the session and
    // publishes the photo once and clears the error, or publishes the error unreadablePhoto.
    Q_INVOKABLE void showStillPhoto(const QString &path);
    // The same for a photo already decoded (a 32-bit BGRA pixel buffer): the app checks a photo
    // the user opens before it gives up the current picture.
    void showStillImage(const QImage &pixelBuffer);

    // Publishes `error` on the main thread; callable from any thread.
    void setError(CameraError error, const QString &detail = {});

    // Session queue only. Does nothing unless the status is still unconfigured.
    void configureCaptureSession();

    [[nodiscard]] SerialQueue &sessionQueue() { return *m_sessionQueue; }

Q_SIGNALS:
    // Emitted on the main thread for every published failure, after `error` holds it.
    // `detail` is what the message was made around (the loader's reason for a photo), or empty;
    // `photo` is the loader's failure for unreadablePhoto.
    void errorChanged(CameraManager::CameraError error, const QString &message,
                      const QString &detail, const ImageLoader::Result &photo);
    // Emitted on the main thread when a photo took the failed camera's (or an unreadable
    // photo's) place, after `error` returned to absent.
    void errorCleared();
    // Emitted on the main thread after each change of the status.
    void statusChanged(CameraManager::Status status);

private:
    struct Liveness;

    void configure();
    void checkPermissions();
    void setStatus(Status status);
    void publishError(CameraError error, const QString &detail, const ImageLoader::Result &photo);
    // Publishes the return of `error` to absent on the main thread; callable from any thread.
    void clearError();
    // Session queue only.
    void publishStillPhoto(const StillPhotoSource &photo);
    // Hands a photo to the frame manager and clears the error: the photo takes the camera's
    // place.
    void publishPixelBuffer(const QImage &pixelBuffer);
    // Session queue only: from now on the camera stays off and its frames go nowhere.
    void replaceCameraByStillPhoto();
    // Queues a start (or stop) of the session and notes it as the last word until it has run.
    void requestRunning(bool running);

    std::optional<CameraError> m_error;
    QString m_errorDetail;
    ImageLoader::Result m_photoFailure;
    std::shared_ptr<CameraPlatform> m_platform;
    std::unique_ptr<SerialQueue> m_sessionQueue;
    std::atomic<Status> m_status{Status::unconfigured};
    const Setup m_setup;
    std::shared_ptr<Liveness> m_liveness;
    // The starts and stops asked for and those the session queue has run: the screen going
    // away and coming back quickly must not read the flag of a camera about to stop.
    std::atomic<quint64> m_runRequests{0};
    std::atomic<quint64> m_runRequestsDone{0};
    std::atomic<bool> m_requestedRunning{false};

    // Session queue only.
    FrameManager *m_delegate = nullptr;
    std::weak_ptr<SerialQueue> m_delegateQueue;
    bool m_stillPhotoShown = false;
};
