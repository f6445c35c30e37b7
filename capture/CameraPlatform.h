#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QVideoFrame;
class SerialQueue;

// The few things CameraManager asks of the capture platform, one call per step of its
// configuration, so a test can answer each step differently. Everything except
// authorizationStatus(), requestAccess() and isRunning() is called on the camera manager's
// session queue only, in the manager's order.
class CameraPlatform
{
public:
    // Receives one video frame; called on the queue handed over with it.
    using FrameReceiver = std::function<void(const QVideoFrame &sampleBuffer)>;

    // The platform's authorization answers; any other value is a state this program does
    // not know.
    enum Authorization : int
    {
        notDetermined = 0,
        restricted = 1,
        denied = 2,
        authorized = 3,
    };

    virtual ~CameraPlatform() = default;

    // Asked on the thread that creates the camera manager.
    [[nodiscard]] virtual int authorizationStatus() = 0;
    // Asks the user for camera access. `completion` may be called on any thread, once.
    virtual void requestAccess(std::function<void(bool granted)> completion) = 0;

    virtual void beginConfiguration() = 0;
    virtual void commitConfiguration() = 0;
    // Picks the rear camera (or the default one where cameras face no particular way).
    // False when there is no camera at all.
    [[nodiscard]] virtual bool findBackCamera() = 0;
    // Turns on continuous autofocus where the camera supports it; a failure to get hold of
    // the camera for that is the platform's error text.
    [[nodiscard]] virtual std::optional<QString> setContinuousAutofocus() = 0;
    // Opens the camera as the session's input; a failure is the platform's error text.
    [[nodiscard]] virtual std::optional<QString> createInput() = 0;
    // Whether the session accepted the input (it stays added).
    [[nodiscard]] virtual bool addInput() = 0;
    // Whether the session accepted the video output that delivers 32-bit BGRA frames.
    [[nodiscard]] virtual bool addVideoOutput() = 0;

    virtual void startRunning() = 0;
    virtual void stopRunning() = 0;
    // The session's own running flag; may be read on any thread.
    [[nodiscard]] virtual bool isRunning() const = 0;

    // From now on each frame goes to `receiver` as an item on `queue`. Frames are not
    // delivered once `queue` is shut down.
    virtual void setSampleBufferDelegate(FrameReceiver receiver,
                                         std::shared_ptr<SerialQueue> queue) = 0;
};
