#include "SessionRig.h"

#include "core/CardShape.h"
#include "core/DistanceFormatter.h"
#include "core/LineTargetModel.h"
#include "core/RectangleTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "session/MeasurementActions.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

#include <utility>

namespace {

const QSize frameSize(1280, 960);

// A card lying flat in front of the camera, turned by 3 degrees.
QImage pictureWithCard()
{
    return cardPicture(frameSize, QPolygonF{QPointF(402.74, 317.42), QPointF(862.11, 293.35),
                                            QPointF(877.26, 582.58), QPointF(417.89, 606.65)});
}

// A session whose picture is taken with the card found and confirmed, the add buttons open.
struct AddingTargets : SessionRig
{
    AddingTargets()
    {
        EXPECT_TRUE(deliverAndWait(pictureWithCard()));
        for (int press = 0; press < 3; ++press)
            actions.mainAction();
        EXPECT_EQ(model.cameraState(), CameraState::addTarget(true));
    }
    MeasurementActions actions{&model};
};

} // namespace

// Guards a target measured through a stale matrix when there is no card.
TEST(MeasurementActions, targets_without_a_card_are_not_measured)
{
    SessionRig rig;
    MeasurementActions actions(&rig.model);
    actions.mainAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::confirmCardSelection(false));
    EXPECT_EQ(rig.model.referenceRectangle(), nullptr);
    EXPECT_FALSE(rig.model.matrixCancellableSubsciption().isActive());
    actions.mainAction();
    actions.mainAction();
    actions.addMeasurableAction(TargetModel::Measurable::line);
    EXPECT_TRUE(rig.model.measurableObjects().isEmpty());

    ASSERT_TRUE(rig.deliverAndWait(tablePicture(frameSize)));
    actions.addMeasurableAction(TargetModel::Measurable::line);
    ASSERT_EQ(rig.model.measurableObjects().size(), 1);
    turnEventLoop();
    EXPECT_EQ(rig.model.measurableObjects()[0]->distances()[0].distance, 1.0);
}

TEST(MeasurementActions, the_card_comes_from_the_detected_corners_or_the_default_trapezoid)
{
    SessionRig rig;
    MeasurementActions actions(&rig.model);
    ASSERT_TRUE(rig.deliverAndWait(pictureWithCard()));
    ASSERT_TRUE(rig.model.frame()->points()) << "the card on the table was not detected";
    const QList<QPointF> detected = *rig.model.frame()->points();
    actions.mainAction();
    ASSERT_NE(rig.model.referenceRectangle(), nullptr);
    EXPECT_EQ(rig.model.referenceRectangle()->points(),
              ReferenceTargetModel::orderedCorners(detected));
    EXPECT_TRUE(rig.model.referenceRectangle()->isSelected());
    EXPECT_TRUE(rig.model.matrixCancellableSubsciption().isActive());

    // Back to live preview, and a picture without a card.
    actions.saveImageAction();
    actions.saveImageAction();
    ASSERT_EQ(rig.model.cameraState(), CameraState::takePicture());
    ASSERT_TRUE(rig.deliverAndWait(tablePicture(frameSize)));
    actions.mainAction();
    ASSERT_NE(rig.model.referenceRectangle(), nullptr);
    EXPECT_EQ(rig.model.referenceRectangle()->points(),
              RectangleTargetModel::defaultQuadrilateral(frameSize.width(), frameSize.height()));
}

// Guards placeholder lengths on new targets and context buttons acting on the wrong target.
TEST(MeasurementActions, added_targets_are_selected_measured_and_removable)
{
    AddingTargets rig;
    ReferenceTargetModel *card = rig.model.referenceRectangle();
    rig.actions.addMeasurableAction(TargetModel::Measurable::rectangle);
    rig.actions.addMeasurableAction(TargetModel::Measurable::line);
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(true));
    const QList<TargetModel *> targets = rig.model.measurableObjects();
    ASSERT_EQ(targets.size(), 2);
    EXPECT_EQ(targets[0]->points().size(), 4);
    EXPECT_FALSE(targets[0]->isSelected());
    EXPECT_TRUE(targets[1]->isSelected());
    EXPECT_FALSE(card->isSelected());
    expectMeasuredThroughTheCard(rig.model);

    LineTargetModel stranger(frameSize.width(), frameSize.height(), false, nullptr);
    rig.actions.contextAction(&stranger);
    EXPECT_EQ(rig.model.measurableObjects().size(), 2);
    rig.actions.contextAction(targets[0]);
    EXPECT_EQ(rig.model.measurableObjects(), QList<TargetModel *>({targets[1]}));
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(true));
}

// Guards wrong lengths shown as results in the running session: while the user drags the
// card out of shape every target's label is a dash, a target added meanwhile as well, and all
// of them measure again, each through the new matrix, once the card is convex again. A point
// past the card plane's horizon has no length either.
TEST(MeasurementActions, lengths_are_dashes_while_the_card_is_out_of_shape)
{
    AddingTargets rig;
    ReferenceTargetModel *card = rig.model.referenceRectangle();
    rig.actions.addMeasurableAction(TargetModel::Measurable::rectangle);
    rig.actions.addMeasurableAction(TargetModel::Measurable::line);
    const auto labels = [&] {
        QStringList texts;
        for (const TargetModel *target : rig.model.measurableObjects())
            for (const Distance &d : target->distances())
                texts.append(DistanceFormatter::format(d.distance, Storage::UnitSystem::metric));
        return texts;
    };
    const QString dash(QChar(0x2013));
    const QSizeF image(frameSize);
    const QPointF corner2 = card->points()[2];

    // Corner 2 dragged across the opposite edge, then inside the card: crossed, then concave.
    // The outline follows the finger both times.
    for (const auto &[where, fault] : {std::pair{QPointF(300, 450), CardShape::Fault::crossedEdges},
                                       std::pair{QPointF(600, 400), CardShape::Fault::concave}}) {
        card->movePoint(2, {}, where, image, image);
        turnEventLoop();
        EXPECT_EQ(card->points()[2], where);
        EXPECT_EQ(card->shapeFault(), fault);
        EXPECT_EQ(labels(), QStringList(5, dash));
    }
    rig.actions.addMeasurableAction(TargetModel::Measurable::line);
    EXPECT_EQ(labels(), QStringList(6, dash));

    card->movePoint(2, {}, corner2 + QPointF(12, 9), image, image);
    turnEventLoop();
    EXPECT_EQ(card->shapeFault(), CardShape::Fault::none);
    EXPECT_FALSE(labels().contains(dash));
    expectMeasuredThroughTheCard(rig.model);

    // A card seen steeply: its horizon runs above the picture (y = -1634 at x = 100). An end
    // of a line dragged past it loses the line's length; the other targets keep theirs.
    const QList<QPointF> steep{QPointF(100, 200), QPointF(400, 210), QPointF(420, 400),
                               QPointF(90, 380)};
    for (int k = 0; k < 4; ++k)
        card->movePoint(k, {}, steep[k], image, image);
    turnEventLoop();
    TargetModel *line = rig.model.measurableObjects().last();
    line->movePoint(1, card->projectiveMatrix(), QPointF(100, -3000), image, image);
    EXPECT_EQ(labels().last(), dash);
    EXPECT_EQ(labels().count(dash), 1);
    line->movePoint(1, card->projectiveMatrix(), QPointF(100, 100), image, image);
    expectMeasuredThroughTheCard(rig.model);
}

// Guards the export and the return to a live preview.
TEST(MeasurementActions, saving_exports_then_returns_to_a_live_empty_preview)
{
    AddingTargets rig;
    QSignalSpy exports(&rig.actions, &MeasurementActions::exportRequested);
    rig.actions.addMeasurableAction(TargetModel::Measurable::line);
    ASSERT_EQ(rig.model.measurableObjects().size(), 1);

    rig.actions.saveImageAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::exportPicture());
    EXPECT_FALSE(rig.model.referenceRectangle()->isSelected());
    EXPECT_FALSE(rig.model.measurableObjects()[0]->isSelected());
    EXPECT_EQ(exports.count(), 0);
    rig.actions.mainAction();
    rig.actions.mainAction();
    EXPECT_EQ(exports.count(), 2);
    EXPECT_EQ(rig.model.measurableObjects().size(), 1);

    rig.actions.saveImageAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::takePicture());
    EXPECT_EQ(rig.model.referenceRectangle(), nullptr);
    EXPECT_TRUE(rig.model.measurableObjects().isEmpty());
    const QImage next = tablePicture(frameSize);
    ASSERT_TRUE(rig.deliverAndWait(next));
    EXPECT_EQ(rig.model.frame()->image().cacheKey(), next.cacheKey());
}

// Guards against a crash when the buttons are pressed before a session exists.
TEST(MeasurementActions, actions_without_a_session_do_nothing)
{
    MeasurementActions actions;
    actions.mainAction();
    actions.saveImageAction();
    actions.addMeasurableAction(TargetModel::Measurable::line);
    actions.contextAction(nullptr);
}
