#include "capture/CameraManager.h"

#include "capture/CameraPlatform.h"
#include "capture/CameraPlatformQt.h"
#include "capture/FrameManager.h"
#include "capture/SerialQueue.h"
#include "core/Session.h"

#include <QVideoFrame>

#include <mutex>

// The access question's answer may come on any thread, after this manager is gone; it finds
// the manager through this and the destructor clears it under the same lock.
struct CameraManager::Liveness
{
    std::mutex mutex;
    CameraManager *owner = nullptr;
};

CameraManager &CameraManager::shared()
{
    static CameraManager *const instance = [] {
        Session &session = Session::shared();
        Setup setup;
        setup.useTestFrame = session.isUITest() || session.isSimulator();
        setup.stillPhoto = StillPhotoSource::launchPhoto();
        return new CameraManager(std::make_shared<CameraPlatformQt>(), std::move(setup));
    }();
    return *instance;
}

CameraManager::CameraManager(std::shared_ptr<CameraPlatform> platform, Setup setup, QObject *parent)
    : QObject(parent), m_platform(std::move(platform)),
      m_sessionQueue(std::make_unique<SerialQueue>(QStringLiteral("org.mirrel.Mirrel.session"))),
      m_setup(std::move(setup)), m_liveness(std::make_shared<Liveness>())
{
    m_liveness->owner = this;
    m_stillPhotoShown = m_setup.stillPhoto.has_value();
    configure();
}

CameraManager::~CameraManager()
{
    {
        std::lock_guard lock(m_liveness->mutex);
        m_liveness->owner = nullptr;
    }
    // The platform's objects were created on the session thread; they are released there.
    auto platform = std::make_shared<std::shared_ptr<CameraPlatform>>(std::move(m_platform));
    m_sessionQueue->shutdown([platform] { platform->reset(); });
}

void CameraManager::configure()
{
    if (m_setup.useTestFrame || m_setup.stillPhoto)
        return;
    checkPermissions();
    // Starts even when configuration was skipped or failed: the session then runs without a
    // camera, and the error explains why there is no picture.
    m_sessionQueue->async([this] {
        configureCaptureSession();
        m_platform->startRunning();
    });
}

void CameraManager::checkPermissions()
{
    const int answer = m_platform->authorizationStatus();
    switch (answer) {
    case CameraPlatform::notDetermined: {
        // Nothing on the session queue may run before the user has answered.
        m_sessionQueue->suspend();
        std::shared_ptr<Liveness> liveness = m_liveness;
        m_platform->requestAccess([liveness](bool granted) {
            std::lock_guard lock(liveness->mutex);
            CameraManager *manager = liveness->owner;
            if (!manager)
                return;
            if (!granted) {
                manager->setStatus(Status::unauthorized);
                manager->setError(CameraError::deniedAuthorization);
            }
            manager->m_sessionQueue->resume();
        });
        return;
    }
    case CameraPlatform::restricted:
        setStatus(Status::unauthorized);
        setError(CameraError::restrictedAuthorization);
        return;
    case CameraPlatform::denied:
        setStatus(Status::unauthorized);
        setError(CameraError::deniedAuthorization);
        return;
    case CameraPlatform::authorized:
        return;
    default:
        setStatus(Status::unauthorized);
        setError(CameraError::unknownAuthorization);
        return;
    }
}

void CameraManager::configureCaptureSession()
{
    Q_ASSERT(m_sessionQueue->isCurrent());
    if (status() != Status::unconfigured)
        return;

    m_platform->beginConfiguration();
    // What was added before a failure stays added. The status is stored before the error is
    // posted, as for a refused permission, so whoever hears of the error reads it as failed.
    auto fail = [this](CameraError error, const QString &detail = {}) {
        setStatus(Status::failed);
        setError(error, detail);
        m_platform->commitConfiguration();
    };

    if (!m_platform->findBackCamera())
        return fail(CameraError::cameraUnavailable);
    if (const std::optional<QString> failure = m_platform->setContinuousAutofocus())
        return fail(CameraError::createCaptureInput, *failure);
    if (const std::optional<QString> failure = m_platform->createInput())
        return fail(CameraError::createCaptureInput, *failure);
    if (!m_platform->addInput())
        return fail(CameraError::cannotAddInput);
    if (!m_platform->addVideoOutput())
        return fail(CameraError::cannotAddOutput);

    setStatus(Status::configured);
    m_platform->commitConfiguration();
}

void CameraManager::setError(CameraError error, const QString &detail)
{
    publishError(error, detail, {});
}

void CameraManager::publishError(CameraError error, const QString &detail,
                                 const ImageLoader::Result &photo)
{
    SerialQueue::main().async(this, [this, error, detail, photo] {
        m_error = error;
        m_errorDetail = detail;
        m_photoFailure = photo;
        Q_EMIT errorChanged(error, message(error, detail), detail, photo);
    });
}

void CameraManager::clearError()
{
    SerialQueue::main().async(this, [this] {
        if (!m_error)
            return;
        m_error.reset();
        m_errorDetail.clear();
        m_photoFailure = {};
        Q_EMIT errorCleared();
    });
}

void CameraManager::setStatus(Status status)
{
    m_status.store(status);
    SerialQueue::main().async(this, [this, status] { Q_EMIT statusChanged(status); });
}

QString CameraManager::errorMessage() const
{
    return m_error ? message(*m_error, m_errorDetail) : QString();
}

bool CameraManager::isPermissionError() const
{
    return m_error && isPermissionError(*m_error);
}

QVariant CameraManager::errorValue() const
{
    return m_error ? QVariant::fromValue(*m_error) : QVariant();
}

bool CameraManager::isRunning() const
{
    if (m_runRequestsDone.load() != m_runRequests.load())
        return m_requestedRunning.load();
    return m_platform && m_platform->isRunning();
}

QString CameraManager::message(CameraError error, const QString &detail)
{
    switch (error) {
    case CameraError::createCaptureInput:
        return detail.isEmpty() ? QStringLiteral("The camera could not be opened.")
                                : QStringLiteral("The camera could not be opened: %1").arg(detail);
    case CameraError::cameraUnavailable:
        return QStringLiteral("No camera was found.");
    case CameraError::cannotAddInput:
        return QStringLiteral("The camera could not be connected to the capture session.");
    case CameraError::cannotAddOutput:
        return QStringLiteral("The camera's picture could not be received.");
    case CameraError::deniedAuthorization:
        return QStringLiteral("Camera access is denied. Allow it in the system settings.");
    case CameraError::restrictedAuthorization:
        return QStringLiteral("Camera access is restricted on this system.");
    case CameraError::unknownAuthorization:
        return QStringLiteral("Camera access is in an unknown state.");
    case CameraError::unreadablePhoto:
        return detail.isEmpty() ? QStringLiteral("The photo cannot be used.")
                                : QStringLiteral("The photo cannot be used: %1").arg(detail);
    }
    return {};
}

bool CameraManager::isPermissionError(CameraError error)
{
    return error == CameraError::deniedAuthorization ||
           error == CameraError::restrictedAuthorization;
}

void CameraManager::startSession()
{
    requestRunning(true);
}

void CameraManager::stopSession()
{
    requestRunning(false);
}

void CameraManager::requestRunning(bool running)
{
    m_requestedRunning.store(running);
    const quint64 request = ++m_runRequests;
    m_sessionQueue->async([this, running, request] {
        if (!running)
            m_platform->stopRunning();
        else if (!m_stillPhotoShown)
            m_platform->startRunning();
        m_runRequestsDone.store(request);
    });
}

void CameraManager::setVideoOutputDelegate(FrameManager *delegate,
                                           std::shared_ptr<SerialQueue> queue)
{
    std::weak_ptr<SerialQueue> weakQueue = queue;
    if (!m_setup.useTestFrame && !m_setup.stillPhoto) {
        m_sessionQueue->async([this, delegate, queue] {
            m_delegate = delegate;
            m_delegateQueue = queue;
            m_platform->setSampleBufferDelegate(
                [delegate](const QVideoFrame &sampleBuffer) {
                    delegate->captureOutput(sampleBuffer);
                },
                queue);
        });
        return;
    }

    m_sessionQueue->async([this, delegate, weakQueue] {
        m_delegate = delegate;
        m_delegateQueue = weakQueue;
    });
    if (m_setup.stillPhoto) {
        m_sessionQueue->async([this] { publishStillPhoto(*m_setup.stillPhoto); });
        return;
    }
    // The frame manager is held weakly through its queue: once it is gone, its queue is shut
    // down (or destroyed) and the test frame goes nowhere. The picture is decoded during the
    // wait, on the frame manager's queue, ahead of its publication there.
    if (const std::shared_ptr<SerialQueue> queue = weakQueue.lock())
        queue->async([delegate] { delegate->prepareTestImage(); });
    m_sessionQueue->asyncAfter(testFrameDelay, [delegate, weakQueue] {
        if (const std::shared_ptr<SerialQueue> queue = weakQueue.lock())
            queue->async([delegate] { delegate->publishTestImage(); });
    });
}

void CameraManager::showStillPhoto(const QString &path)
{
    m_sessionQueue->async([this, photo = StillPhotoSource(path)] {
        replaceCameraByStillPhoto();
        publishStillPhoto(photo);
    });
}

void CameraManager::showStillImage(const QImage &pixelBuffer)
{
    m_sessionQueue->async([this, pixelBuffer] {
        replaceCameraByStillPhoto();
        publishPixelBuffer(pixelBuffer);
    });
}

void CameraManager::replaceCameraByStillPhoto()
{
    Q_ASSERT(m_sessionQueue->isCurrent());
    if (m_stillPhotoShown)
        return;
    m_stillPhotoShown = true;
    // Live frames would overwrite the photo.
    m_platform->setSampleBufferDelegate({}, nullptr);
    if (m_platform->isRunning())
        m_platform->stopRunning();
}

void CameraManager::publishStillPhoto(const StillPhotoSource &photo)
{
    Q_ASSERT(m_sessionQueue->isCurrent());
    ImageLoader::Result loaded = photo.load();
    if (!loaded.ok()) {
        publishError(CameraError::unreadablePhoto, loaded.error, loaded);
        return;
    }
    publishPixelBuffer(loaded.image);
}

void CameraManager::publishPixelBuffer(const QImage &pixelBuffer)
{
    Q_ASSERT(m_sessionQueue->isCurrent());
    if (const std::shared_ptr<SerialQueue> queue = m_delegateQueue.lock()) {
        queue->async(
            [delegate = m_delegate, pixelBuffer] { delegate->publishPixelBuffer(pixelBuffer); });
    }
    // A camera that failed, or a photo that could not be read, no longer keeps the screen in
    // its error state: the picture is there to measure.
    clearError();
}
