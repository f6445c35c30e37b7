#include "SessionRig.h"

#include "capture/SerialQueue.h"
#include "core/LineTargetModel.h"
#include "core/RectangleTargetModel.h"
#include "core/ReferenceTargetModel.h"

#include <QPointer>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

namespace {

// A card lying flat in front of the camera, turned by 4 degrees.
const QPolygonF tiltedCard{QPointF(702.52, 351.58), QPointF(1241.2, 389.25),
                           QPointF(1217.48, 728.42), QPointF(678.8, 690.75)};

ReferenceTargetModel *addCard(CameraViewModel &model)
{
    auto *card = new ReferenceTargetModel(
        {QPointF(1000, 1500), QPointF(2000, 1520), QPointF(2010, 2150), QPointF(990, 2140)},
        &model);
    model.setReferenceRectangle(card);
    return card;
}

// Placeholder lines in the session's list, as the add action leaves them.
QList<TargetModel *> addLines(CameraViewModel &model, int count)
{
    QList<TargetModel *> lines;
    for (int i = 0; i < count; ++i) {
        auto *line = new LineTargetModel(3024, 4032, false, &model);
        model.appendMeasurable(line);
        lines.append(line);
    }
    return lines;
}

} // namespace

TEST(CameraViewModel, capture_starts_and_stops_by_the_session_running_flag)
{
    DiagnosticLines diagnostics;
    SessionRig rig;
    CameraViewModel &model = rig.model;
    // Stopping what never started must not ask the camera to stop.
    model.stopCapture();
    model.startCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.camera.isRunning(); }, 5000));
    // A second start (the screen shown again while capture runs) must not restart it.
    model.startCapture();
    model.stopCapture();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.camera.isRunning(); }, 5000));

    EXPECT_EQ(DiagnosticLines::lines(),
              QStringList({"ERROR: Session was not started", "Starting Capture",
                           "ERROR: Session already running", "Stopping Capture"}));
}

// Guards a live preview frozen for good after the settings were opened and closed quickly: the
// screen came back while the camera's stop was still queued, took the camera for running and
// never started it again. The other way round the camera ran on behind the settings.
TEST(CameraViewModel, a_start_or_stop_right_after_the_other_has_the_last_word)
{
    SessionRig rig;
    SerialQueue &queue = rig.camera.sessionQueue();
    const auto settled = [&queue] {
        auto done = std::make_shared<std::atomic<bool>>(false);
        queue.async([done] { *done = true; });
        return QTest::qWaitFor([done] { return done->load(); }, 5000);
    };
    // A stop and a start, or a start and a stop, both waiting on the held queue.
    const auto backToBack = [&](bool startLast) {
        queue.suspend();
        startLast ? rig.model.stopCapture() : rig.model.startCapture();
        startLast ? rig.model.startCapture() : rig.model.stopCapture();
        queue.resume();
        return settled();
    };
    rig.model.startCapture();
    ASSERT_TRUE(settled());
    ASSERT_TRUE(rig.camera.isRunning());

    ASSERT_TRUE(backToBack(true));
    EXPECT_TRUE(rig.camera.isRunning());

    rig.model.stopCapture();
    ASSERT_TRUE(settled());
    ASSERT_TRUE(backToBack(false));
    EXPECT_FALSE(rig.camera.isRunning());
}

TEST(CameraViewModel, camera_errors_reach_the_session_even_when_they_came_first)
{
    SessionRig rig;
    rig.camera.setError(CameraManager::CameraError::deniedAuthorization);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.model.error().has_value(); }, 5000));
    EXPECT_EQ(*rig.model.error(), CameraManager::CameraError::deniedAuthorization);

    // A screen created after the camera failed must still show the error view.
    CameraViewModel later(rig.camera, rig.frames, rig.processor, nullptr);
    turnEventLoop();
    ASSERT_TRUE(later.error());
    EXPECT_EQ(*later.error(), CameraManager::CameraError::deniedAuthorization);
}

TEST(CameraViewModel, live_frames_are_analysed_and_the_picture_freezes_outside_live_preview)
{
    SessionRig rig;
    CameraViewModel &model = rig.model;

    const QImage live = cardPicture(QSize(1920, 1080), tiltedCard);
    ASSERT_TRUE(rig.deliverAndWait(live));
    ASSERT_TRUE(model.frame());
    EXPECT_EQ(model.frame()->image().size(), live.size());
    ASSERT_TRUE(model.frame()->points()) << "the card was not searched for or not found";
    for (int k = 0; k < 4; ++k)
        EXPECT_LT(QLineF(model.frame()->points()->at(k), tiltedCard[k]).length(), 3.0) << k;

    // Once the picture is taken, new frames must neither replace it nor be searched.
    model.setCameraState(CameraState::confirmCardSelection(false));
    const QImage other =
        cardPicture(QSize(640, 480), QPolygonF{QPointF(100, 100), QPointF(400, 100),
                                               QPointF(400, 290), QPointF(100, 290)});
    ASSERT_TRUE(rig.deliverAndWait(other));
    EXPECT_EQ(model.frame()->image().cacheKey(), live.cacheKey());
    EXPECT_FALSE(model.frame()->points());

    // Back in live preview the camera's picture shows again.
    model.setCameraState(CameraState::takePicture());
    ASSERT_TRUE(rig.deliverAndWait(other));
    EXPECT_EQ(model.frame()->image().size(), other.size());

    // Straight-alpha frames are drawn premultiplied; the pixels stay the same.
    const QImage straight = other.convertToFormat(QImage::Format_ARGB32);
    ASSERT_TRUE(rig.deliverAndWait(straight));
    EXPECT_EQ(model.frame()->image().format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(model.frame()->image().pixel(10, 10), straight.pixel(10, 10));

    // Guards a frozen straight-alpha picture converted anew with every camera frame: each
    // copy was a new picture to the views, which uploaded it again.
    model.setCameraState(CameraState::confirmCardSelection(false));
    ASSERT_TRUE(rig.deliverAndWait(other));
    const qint64 frozen = model.frame()->image().cacheKey();
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(rig.deliverAndWait(other));
        EXPECT_EQ(model.frame()->image().cacheKey(), frozen) << k;
    }
    EXPECT_EQ(model.frame()->image().pixel(10, 10), straight.pixel(10, 10));
    model.setCameraState(CameraState::takePicture());

    // An absent buffer keeps the last picture.
    QSignalSpy frames(&model, &CameraViewModel::frameChanged);
    model.processFrame(QImage());
    EXPECT_EQ(frames.count(), 0);
}

TEST(CameraViewModel, frames_delivered_after_the_session_is_gone_are_dropped)
{
    SessionRig rig;
    const QImage frame = tablePicture({320, 240});
    ASSERT_TRUE(rig.deliverAndWait(frame));

    // A held frame and a new one are both on their way when the session goes.
    ImageProcessor processor;
    auto doomed = std::make_unique<CameraViewModel>(rig.camera, rig.frames, processor, nullptr);
    Q_EMIT rig.frames.currentChanged(frame);
    doomed.reset();
    turnEventLoop();
    EXPECT_FALSE(processor.lastImage()) << "a frame reached a destroyed session";
}

TEST(CameraViewModel, selection_moves_the_target_before_the_last_and_deselects_the_rest)
{
    SessionRig rig;
    CameraViewModel &model = rig.model;
    const QList<TargetModel *> abc = addLines(model, 3);
    TargetModel *a = abc[0], *b = abc[1], *c = abc[2];
    c->setIsSelected(true);

    const auto selected = [&] {
        QList<bool> flags;
        for (TargetModel *target : model.measurableObjects())
            flags.append(target->isSelected());
        return flags;
    };
    a->setIsSelected(true);
    EXPECT_EQ(model.measurableObjects(), QList<TargetModel *>({b, a, c}));
    EXPECT_EQ(selected(), QList<bool>({false, true, false}));
    // The last one stays last.
    c->setIsSelected(true);
    EXPECT_EQ(model.measurableObjects(), QList<TargetModel *>({b, a, c}));
    EXPECT_EQ(selected(), QList<bool>({false, false, true}));

    // The card is not in the list: selecting it leaves the order alone and deselects all.
    ReferenceTargetModel *card = addCard(model);
    card->setIsSelected(true);
    EXPECT_EQ(model.measurableObjects(), QList<TargetModel *>({b, a, c}));
    EXPECT_EQ(selected(), QList<bool>({false, false, false}));

    // And selecting a target takes the selection from the card.
    b->setIsSelected(true);
    EXPECT_FALSE(card->isSelected());
    EXPECT_EQ(model.measurableObjects(), QList<TargetModel *>({a, b, c}));
}

TEST(CameraViewModel, moving_a_card_corner_remeasures_every_target_on_the_next_turn)
{
    SessionRig rig;
    CameraViewModel &model = rig.model;
    ReferenceTargetModel *card = addCard(model);
    auto *line = new LineTargetModel(3024, 4032, false, &model);
    auto *rectangle = new RectangleTargetModel(3024, 4032, false, &model);
    model.appendMeasurable(line);
    model.appendMeasurable(rectangle);

    // Subscribing hands over the current matrix, but only once the event loop turns.
    model.subscribeToMatrix();
    EXPECT_EQ(line->distances()[0].distance, 1.0);
    turnEventLoop();
    expectMeasuredThroughTheCard(model);

    const double before = line->distances()[0].distance;
    const QSizeF image(3024, 4032);
    card->movePoint(2, Calculator::Matrix3x3::identity(), QPointF(2100, 2250), image, image);
    EXPECT_EQ(line->distances()[0].distance, before);
    turnEventLoop();
    EXPECT_NE(line->distances()[0].distance, before);
    expectMeasuredThroughTheCard(model);

    // A cancelled subscription drops even a matrix already on its way.
    const double settled = line->distances()[0].distance;
    card->movePoint(2, Calculator::Matrix3x3::identity(), QPointF(2200, 2300), image, image);
    model.matrixCancellableSubsciption().cancel();
    turnEventLoop();
    EXPECT_EQ(line->distances()[0].distance, settled);
}

TEST(CameraViewModel, each_state_sets_the_card_selection_and_keeps_or_clears_the_rest)
{
    SessionRig rig;
    CameraViewModel &model = rig.model;
    ReferenceTargetModel *card = addCard(model);
    model.subscribeToMatrix();
    card->setIsSelected(true);

    model.setCameraState(CameraState::addTarget(false));
    EXPECT_FALSE(card->isSelected());
    const QList<TargetModel *> lines = addLines(model, 2);
    lines[1]->setIsSelected(true);

    // Card confirmation starts over; removed targets are released.
    QPointer<TargetModel> removed = lines[0];
    model.setCameraState(CameraState::confirmCardSelection(false));
    EXPECT_TRUE(card->isSelected());
    EXPECT_TRUE(model.measurableObjects().isEmpty());
    flushDeletions();
    EXPECT_TRUE(removed.isNull());

    // Live preview drops the card and its subscription.
    addLines(model, 1);
    QPointer<ReferenceTargetModel> oldCard = card;
    model.setCameraState(CameraState::takePicture());
    EXPECT_EQ(model.referenceRectangle(), nullptr);
    EXPECT_TRUE(model.measurableObjects().isEmpty());
    EXPECT_FALSE(model.matrixCancellableSubsciption().isActive());
    flushDeletions();
    EXPECT_TRUE(oldCard.isNull());
}
