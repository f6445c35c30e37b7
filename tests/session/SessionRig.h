#pragma once

#include "capture/CameraManager.h"
#include "capture/FakeCameraPlatform.h"
#include "capture/FeedbackManager.h"
#include "capture/FrameManager.h"
#include "capture/ImageProcessor.h"
#include "core/ReferenceTargetModel.h"
#include "session/CameraViewModel.h"
#include "support/DiagnosticLines.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTransform>
#include <gtest/gtest.h>

#include <memory>

// A fresh capture layer of a test-frame run; testImage is published half a second in.
struct SessionRig
{
    explicit SessionRig(const QString &testImage = QStringLiteral(":/no-test-frame"))
        : camera(std::make_shared<FakeCameraPlatform>(), CameraManager::Setup{true, std::nullopt}),
          frames(camera, testImage), feedback(std::make_unique<FeedbackManager::CountingOutput>()),
          model(camera, frames, processor, &feedback)
    {
    }

    // Publishes a frame as the camera would and waits until the session has it.
    [[nodiscard]] bool deliverAndWait(const QImage &image)
    {
        int published = 0;
        const QMetaObject::Connection connection =
            QObject::connect(&model, &CameraViewModel::frameChanged, [&published] { ++published; });
        frames.videoOutputQueue()->async([this, image] { frames.publishPixelBuffer(image); });
        const bool ok = QTest::qWaitFor([&published] { return published > 0; }, 5000);
        QObject::disconnect(connection);
        return ok;
    }

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

// Every edge of every target shows a length, the one the card's matrix gives it now.
inline void expectMeasuredThroughTheCard(const CameraViewModel &model)
{
    ASSERT_TRUE(model.referenceRectangle());
    const Calculator::Matrix3x3 matrix = model.referenceRectangle()->projectiveMatrix();
    for (const TargetModel *target : model.measurableObjects()) {
        for (Distance edge : target->distances()) {
            const double shown = edge.distance;
            edge.recalculate(matrix);
            EXPECT_TRUE(edge.isMeasured());
            EXPECT_DOUBLE_EQ(shown, edge.distance);
        }
    }
}

// An empty table, grey unless told otherwise.
inline QImage tablePicture(QSize size, QColor colour = QColor(70, 74, 80))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A grey table with a white card seen at a slight angle; corners clockwise from the top left.
inline QImage cardPicture(QSize size, const QPolygonF &card)
{
    QImage image = tablePicture(size);
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
