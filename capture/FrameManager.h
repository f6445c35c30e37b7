#pragma once

#include "capture/ImageLoader.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>

class CameraManager;
class QVideoFrame;
class SerialQueue;

// The receiving end of the camera's video stream. Frames arrive on the video output queue,
// become 32-bit BGRA pixel buffers there (QImage Format_ARGB32 or Format_RGB32, implicitly
// shared) and are published on the main thread as `current`: one assignment per frame, in
// delivery order, without touching the pixels on the way.
class FrameManager : public QObject
{
    Q_OBJECT
    // Null until the first frame, then the latest frame; never null again.
    Q_PROPERTY(QImage current READ current NOTIFY currentChanged FINAL)

public:
    static inline const QString testImagePath = QStringLiteral(":/mirrel/test.jpg");

    // Created on first use, after CameraManager::shared(); never destroyed.
    [[nodiscard]] static FrameManager &shared();

    // Hands itself to `cameraManager` as the receiver of the video frames (or, in test runs,
    // of the test frame loaded from `testImage`).
    explicit FrameManager(CameraManager &cameraManager, QString testImage = testImagePath,
                          QObject *parent = nullptr);
    // Stops the video output queue first: once this returns, nothing calls into the frame
    // manager any more and frames still on their way to the main thread are dropped.
    ~FrameManager() override;

    // Main thread only.
    [[nodiscard]] QImage current() const { return m_current; }

    [[nodiscard]] const std::shared_ptr<SerialQueue> &videoOutputQueue() const
    {
        return m_videoOutputQueue;
    }

    // The calls below run on the video output queue only.

    // A frame from the platform; a frame without a picture is dropped without a trace.
    void captureOutput(const QVideoFrame &sampleBuffer);
    // Loads and decodes the bundled test picture ahead of its publication, so that the wait
    // before the test frame is not followed by the decoding too. Optional.
    void prepareTestImage();
    // Publishes the test picture once (loading it first unless it was prepared). A missing or
    // unreadable test picture is reported on standard error and publishes nothing.
    void publishTestImage();
    // Assigns `pixelBuffer` to `current` on the main thread; nothing is copied. Only the newest
    // frame waits for the main thread: a frame still waiting when the next one comes is
    // replaced by it, so frames never pile up behind a busy main thread.
    void publishPixelBuffer(const QImage &pixelBuffer);

    // The frame's picture as a 32-bit BGRA image (null when the frame has none). BGRA frames
    // cost one copy of the rows; other layouts one conversion.
    [[nodiscard]] static QImage pixelBuffer(const QVideoFrame &sampleBuffer);
    // How many pixel buffers made by pixelBuffer() are alive in the whole process, wherever
    // they are held (`current`, a publication on its way, a caller's copy). A steady stream
    // of frames keeps this at a handful; a holder that never lets go makes it grow per frame.
    [[nodiscard]] static qsizetype livePixelBuffers();

Q_SIGNALS:
    // Emitted on the main thread for every assignment, after `current` holds the frame.
    void currentChanged(const QImage &current);

private:
    QImage m_current;
    std::shared_ptr<SerialQueue> m_videoOutputQueue;
    const QString m_testImage;
    // Video output queue only.
    std::optional<ImageLoader::Result> m_preparedTestImage;
    // The frame on its way to the main thread, if any.
    std::mutex m_waitingMutex;
    QImage m_waiting;
    bool m_waitingPosted = false;
};
