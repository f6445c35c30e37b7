#pragma once

#include "capture/CameraManager.h"
#include "capture/CameraPlatform.h"
#include "capture/FeedbackManager.h"
#include "capture/FrameManager.h"
#include "capture/ImageProcessor.h"
#include "capture/SerialQueue.h"
#include "core/Diagnostics.h"
#include "session/CameraViewModel.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QTest>
#include <QTransform>

#include <atomic>
#include <memory>

// A capture platform without a camera: only the running flag is real.
class IdlePlatform final : public CameraPlatform
{
public:
    int authorizationStatus() override { return authorized; }
    void requestAccess(std::function<void(bool)> completion) override { completion(true); }
    void beginConfiguration() override {}
    void commitConfiguration() override {}
    bool findBackCamera() override { return false; }
    std::optional<QString> setContinuousAutofocus() override { return std::nullopt; }
    std::optional<QString> createInput() override { return std::nullopt; }
    bool addInput() override { return false; }
    bool addVideoOutput() override { return false; }
    void startRunning() override { m_running = true; }
    void stopRunning() override { m_running = false; }
    bool isRunning() const override { return m_running; }
    void setSampleBufferDelegate(FrameReceiver, std::shared_ptr<SerialQueue>) override {}

private:
    std::atomic<bool> m_running{false};
};

// The capture layer of a test-frame run with its own instances, so each test starts from a
// fresh session, processor and frame manager. testImage is what the frame manager publishes
// half a second after it is created; a missing one publishes nothing.
struct SessionRig
{
    explicit SessionRig(const QString &testImage = QStringLiteral(":/no-test-frame"))
        : camera(platform, CameraManager::Setup{true, std::nullopt}), frames(camera, testImage),
          feedback(std::make_unique<FeedbackManager::CountingOutput>()),
          model(camera, frames, processor, &feedback)
    {
    }

    // The way a camera frame travels: from the video output queue to the main thread.
    void deliver(const QImage &image)
    {
        frames.videoOutputQueue()->async([this, image] { frames.publishPixelBuffer(image); });
    }

    // Delivers one frame and waits until the session has published it.
    [[nodiscard]] bool deliverAndWait(const QImage &image)
    {
        int published = 0;
        const QMetaObject::Connection connection =
            QObject::connect(&model, &CameraViewModel::frameChanged, [&published] { ++published; });
        deliver(image);
        const bool ok = QTest::qWaitFor([&published] { return published > 0; }, 5000);
        QObject::disconnect(connection);
        return ok;
    }

    std::shared_ptr<IdlePlatform> platform = std::make_shared<IdlePlatform>();
    CameraManager camera;
    FrameManager frames;
    ImageProcessor processor;
    FeedbackManager feedback;
    CameraViewModel model;
};

// Runs everything already posted to the GUI thread: one turn of the event loop.
inline void turnEventLoop()
{
    QCoreApplication::sendPostedEvents();
}

// Deletes the objects released with deleteLater().
inline void flushDeletions()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Collects the diagnostic lines while it lives.
class DiagnosticLines
{
public:
    DiagnosticLines() { m_previous = Diagnostics::setSink(&record); }
    ~DiagnosticLines() { Diagnostics::setSink(m_previous); }
    DiagnosticLines(const DiagnosticLines &) = delete;
    DiagnosticLines &operator=(const DiagnosticLines &) = delete;

    [[nodiscard]] static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void record(const char *line) { lines().append(QString::fromUtf8(line)); }
    Diagnostics::Sink m_previous = nullptr;
};

// A grey table with a white card seen at a slight angle; corners clockwise from the top left.
inline QImage cardPicture(QSize size, const QPolygonF &card,
                          QImage::Format format = QImage::Format_RGB32)
{
    QImage image(size, format);
    image.fill(QColor(70, 74, 80));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QTransform toImage;
    const QPolygonF plane{QPointF(0, 0), QPointF(85.725, 0), QPointF(85.725, 53.975),
                          QPointF(0, 53.975)};
    QTransform::quadToQuad(plane, card, toImage);
    painter.setTransform(toImage);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(235, 235, 230));
    painter.drawRoundedRect(QRectF(0, 0, 85.725, 53.975), 3.18, 3.18);
    return image;
}
