#include "capture/CameraPlatformQt.h"

#include "capture/SerialQueue.h"

#include <QCamera>
#include <QFileInfo>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoFrame>
#include <QVideoSink>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CameraPlatformQt::CameraPlatformQt() = default;

CameraPlatformQt::~CameraPlatformQt()
{
    {
        std::lock_guard lock(m_delegateMutex);
        m_receiver = {};
        m_queue.reset();
    }
    if (m_camera)
        m_camera->stop();
    // The session refers to the camera and the sink: it goes first.
    m_session.reset();
    m_camera.reset();
    m_sink.reset();
}

QCameraDevice CameraPlatformQt::preferredCamera()
{
    const QList<QCameraDevice> cameras = QMediaDevices::videoInputs();
    if (cameras.isEmpty())
        return {};
    for (const QCameraDevice &camera : cameras) {
        if (camera.position() == QCameraDevice::BackFace)
            return camera;
    }
    const QCameraDevice fallback = QMediaDevices::defaultVideoInput();
    return fallback.isNull() ? cameras.first() : fallback;
}

int CameraPlatformQt::authorizationForDeviceNode(const QByteArray &path)
{
    if (!path.startsWith('/') || !QFileInfo::exists(QString::fromLocal8Bit(path)))
        return authorized;
    const int fd = ::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return authorized;
    }
    if (errno == EACCES)
        return denied;
    if (errno == EPERM)
        return restricted;
    return authorized; // busy or gone: opening the camera will say so
}

int CameraPlatformQt::authorizationStatus()
{
    // No camera is not a permission problem; configuration reports it.
    const QCameraDevice camera = preferredCamera();
    return camera.isNull() ? int(authorized) : authorizationForDeviceNode(camera.id());
}

void CameraPlatformQt::requestAccess(std::function<void(bool granted)> completion)
{
    // Desktop systems grant device access through file permissions, never by asking.
    completion(authorizationStatus() == authorized);
}

void CameraPlatformQt::beginConfiguration()
{
    if (!m_session)
        m_session = std::make_unique<QMediaCaptureSession>();
}

void CameraPlatformQt::commitConfiguration()
{
    // Qt applies each change as it is made.
}

bool CameraPlatformQt::findBackCamera()
{
    // The GStreamer backend shows test bars for a camera that does not exist, so frames are
    // never taken as proof: only the device list counts.
    m_device = preferredCamera();
    return !m_device.isNull();
}

std::optional<QString> CameraPlatformQt::setContinuousAutofocus()
{
    // A desktop camera needs no lock to change its focus; the mode is set once it is open.
    m_wantsAutofocus = true;
    return std::nullopt;
}

std::optional<QString> CameraPlatformQt::createInput()
{
    m_camera = std::make_unique<QCamera>(m_device);
    if (m_camera->error() != QCamera::NoError) {
        const QString why = m_camera->errorString();
        m_camera.reset();
        return why.isEmpty() ? QStringLiteral("the camera cannot be opened") : why;
    }
    if (m_wantsAutofocus && m_camera->isFocusModeSupported(QCamera::FocusModeAuto))
        m_camera->setFocusMode(QCamera::FocusModeAuto);
    QObject::connect(m_camera.get(), &QCamera::activeChanged, m_camera.get(), [this](bool active) {
        if (!active)
            m_running.store(false);
    });
    return std::nullopt;
}

bool CameraPlatformQt::addInput()
{
    if (!m_session || !m_camera)
        return false;
    m_session->setCamera(m_camera.get());
    return m_session->camera() == m_camera.get();
}

bool CameraPlatformQt::addVideoOutput()
{
    if (!m_session)
        return false;
    m_sink = std::make_unique<QVideoSink>();
    // The backend emits this on its streaming thread; the frame is only passed on.
    QObject::connect(
        m_sink.get(), &QVideoSink::videoFrameChanged, m_sink.get(),
        [this](const QVideoFrame &frame) { deliver(frame); }, Qt::DirectConnection);
    m_session->setVideoSink(m_sink.get());
    return m_session->videoSink() == m_sink.get();
}

void CameraPlatformQt::startRunning()
{
    if (m_camera)
        m_camera->start();
    m_running.store(true);
}

void CameraPlatformQt::stopRunning()
{
    if (m_camera)
        m_camera->stop();
    m_running.store(false);
}

void CameraPlatformQt::setSampleBufferDelegate(FrameReceiver receiver,
                                               std::shared_ptr<SerialQueue> queue)
{
    std::lock_guard lock(m_delegateMutex);
    m_receiver = std::move(receiver);
    m_queue = std::move(queue);
}

void CameraPlatformQt::deliver(const QVideoFrame &frame)
{
    FrameReceiver receiver;
    std::shared_ptr<SerialQueue> queue;
    {
        std::lock_guard lock(m_delegateMutex);
        receiver = m_receiver;
        queue = m_queue;
    }
    if (receiver && queue)
        queue->async([receiver, frame] { receiver(frame); });
}
