#pragma once

#include "capture/CameraPlatform.h"

#include <QCameraDevice>

#include <atomic>
#include <memory>
#include <mutex>

class QCamera;
class QMediaCaptureSession;
class QVideoSink;

// The capture platform on Qt Multimedia. Cameras are whatever QMediaDevices lists (the
// GStreamer backend on Linux); access is denied when the camera's device node exists but
// this user may not open it. The session's objects are created on the session queue's
// thread, which runs an event loop for them, and must be destroyed there.
class CameraPlatformQt final : public CameraPlatform
{
public:
    CameraPlatformQt();
    ~CameraPlatformQt() override;

    [[nodiscard]] int authorizationStatus() override;
    void requestAccess(std::function<void(bool granted)> completion) override;

    void beginConfiguration() override;
    void commitConfiguration() override;
    [[nodiscard]] bool findBackCamera() override;
    [[nodiscard]] std::optional<QString> setContinuousAutofocus() override;
    [[nodiscard]] std::optional<QString> createInput() override;
    [[nodiscard]] bool addInput() override;
    [[nodiscard]] bool addVideoOutput() override;

    void startRunning() override;
    void stopRunning() override;
    [[nodiscard]] bool isRunning() const override { return m_running.load(); }

    void setSampleBufferDelegate(FrameReceiver receiver,
                                 std::shared_ptr<SerialQueue> queue) override;

    // The rear camera if one says so, else the system's default one; null when there is none.
    [[nodiscard]] static QCameraDevice preferredCamera();
    // CameraPlatform's authorization answer for a device node: EACCES means denied, EPERM
    // restricted; anything else leaves the verdict to opening the camera.
    [[nodiscard]] static int authorizationForDeviceNode(const QByteArray &path);

private:
    void deliver(const QVideoFrame &frame);

    QCameraDevice m_device;
    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<QVideoSink> m_sink;
    bool m_wantsAutofocus = false;
    std::atomic<bool> m_running{false};

    // Frames come on the backend's streaming thread, the delegate is set on the session queue.
    std::mutex m_delegateMutex;
    FrameReceiver m_receiver;
    std::shared_ptr<SerialQueue> m_queue;
};
