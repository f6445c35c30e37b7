#include "SessionRig.h"

#include "core/LineTargetModel.h"
#include "core/RectangleTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "session/MeasurementActions.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QSize frameSize(1280, 960);
// A card lying flat in front of the camera, turned by 3 degrees.
const QPolygonF cardOnTable{QPointF(402.74, 317.42), QPointF(862.11, 293.35),
                            QPointF(877.26, 582.58), QPointF(417.89, 606.65)};

QImage pictureWithCard()
{
    return cardPicture(frameSize, cardOnTable);
}

QImage emptyTable()
{
    QImage image(frameSize, QImage::Format_RGB32);
    image.fill(QColor(70, 74, 80));
    return image;
}

double measured(const Distance &distance, const Calculator::Matrix3x3 &matrix)
{
    Distance copy = distance;
    copy.recalculate(matrix);
    return copy.distance;
}

} // namespace

TEST(MeasurementActions, main_action_before_any_frame_moves_on_without_a_card)
{
    SessionRig rig;
    MeasurementActions actions(&rig.model);

    actions.mainAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::confirmCardSelection(false));
    EXPECT_EQ(rig.model.referenceRectangle(), nullptr);
    EXPECT_FALSE(rig.model.matrixCancellableSubsciption().isActive());

    actions.mainAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(false));
    actions.mainAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(true));
    actions.mainAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(false));

    // No picture: nothing to put a target on.
    actions.addMeasurableAction(TargetModel::Measurable::line);
    EXPECT_TRUE(rig.model.measurableObjects().isEmpty());

    // A frame arriving now is held as the picture, but there is still no card: the new
    // target keeps its placeholder length instead of being measured through a stale matrix.
    ASSERT_TRUE(rig.deliverAndWait(emptyTable()));
    actions.addMeasurableAction(TargetModel::Measurable::line);
    ASSERT_EQ(rig.model.measurableObjects().size(), 1);
    EXPECT_EQ(rig.model.measurableObjects()[0]->distances()[0].distance, 1.0);
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
    ReferenceTargetModel *card = rig.model.referenceRectangle();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->points(), ReferenceTargetModel::orderedCorners(detected));
    EXPECT_TRUE(card->isSelected());
    EXPECT_TRUE(rig.model.matrixCancellableSubsciption().isActive());
    EXPECT_EQ(rig.model.cameraState(), CameraState::confirmCardSelection(false));

    // Back to live preview, and a picture without a card.
    actions.saveImageAction();
    actions.saveImageAction();
    ASSERT_EQ(rig.model.cameraState(), CameraState::takePicture());
    ASSERT_TRUE(rig.deliverAndWait(emptyTable()));
    EXPECT_FALSE(rig.model.frame()->points());
    actions.mainAction();
    card = rig.model.referenceRectangle();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->points(),
              RectangleTargetModel::defaultQuadrilateral(frameSize.width(), frameSize.height()));
}

TEST(MeasurementActions, confirming_the_card_by_either_button_leads_to_adding_targets)
{
    for (const bool byContextButton : {false, true}) {
        SCOPED_TRACE(byContextButton ? "context button" : "main button");
        SessionRig rig;
        MeasurementActions actions(&rig.model);
        ASSERT_TRUE(rig.deliverAndWait(pictureWithCard()));
        actions.mainAction();
        ReferenceTargetModel *card = rig.model.referenceRectangle();
        ASSERT_NE(card, nullptr);

        if (byContextButton)
            actions.contextAction(card);
        else
            actions.mainAction();
        EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(false));
        EXPECT_TRUE(rig.model.measurableObjects().isEmpty());
        EXPECT_FALSE(card->isSelected());
        EXPECT_EQ(rig.model.referenceRectangle(), card);
    }
}

TEST(MeasurementActions, added_targets_are_selected_measured_and_removable)
{
    SessionRig rig;
    MeasurementActions actions(&rig.model);
    ASSERT_TRUE(rig.deliverAndWait(pictureWithCard()));
    actions.mainAction();
    actions.mainAction();
    actions.mainAction();
    ASSERT_EQ(rig.model.cameraState(), CameraState::addTarget(true));
    ReferenceTargetModel *card = rig.model.referenceRectangle();
    ASSERT_NE(card, nullptr);

    actions.addMeasurableAction(TargetModel::Measurable::rectangle);
    actions.addMeasurableAction(TargetModel::Measurable::line);
    // Adding changes neither the state nor the card.
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(true));
    const QList<TargetModel *> targets = rig.model.measurableObjects();
    ASSERT_EQ(targets.size(), 2);
    TargetModel *rectangle = targets[0];
    TargetModel *line = targets[1];
    EXPECT_EQ(rectangle->points().size(), 4);
    EXPECT_EQ(line->points().size(), 2);
    EXPECT_FALSE(rectangle->isSelected());
    EXPECT_TRUE(line->isSelected());
    EXPECT_FALSE(card->isSelected());
    // Measured at once, not with placeholders until the next matrix change.
    for (TargetModel *target : targets) {
        for (const Distance &edge : target->distances()) {
            EXPECT_NE(edge.distance, 1.0);
            EXPECT_DOUBLE_EQ(edge.distance, measured(edge, card->projectiveMatrix()));
        }
    }

    // The card's context button confirms; a target's removes it; a stranger does nothing.
    LineTargetModel stranger(frameSize.width(), frameSize.height(), false, nullptr);
    actions.contextAction(&stranger);
    EXPECT_EQ(rig.model.measurableObjects().size(), 2);
    actions.contextAction(rectangle);
    EXPECT_EQ(rig.model.measurableObjects(), QList<TargetModel *>({line}));
    EXPECT_EQ(rig.model.cameraState(), CameraState::addTarget(true));
}

TEST(MeasurementActions, saving_exports_then_returns_to_a_live_empty_preview)
{
    SessionRig rig;
    MeasurementActions actions(&rig.model);
    QSignalSpy exports(&actions, &MeasurementActions::exportRequested);
    ASSERT_TRUE(rig.deliverAndWait(pictureWithCard()));
    actions.mainAction();
    actions.mainAction();
    actions.mainAction();
    actions.addMeasurableAction(TargetModel::Measurable::line);
    ASSERT_EQ(rig.model.measurableObjects().size(), 1);
    ASSERT_TRUE(rig.model.measurableObjects()[0]->isSelected());

    actions.saveImageAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::exportPicture());
    EXPECT_FALSE(rig.model.referenceRectangle()->isSelected());
    EXPECT_FALSE(rig.model.measurableObjects()[0]->isSelected());
    EXPECT_EQ(exports.count(), 0);

    // Each press of the main button while exporting renders and shares again.
    actions.mainAction();
    actions.mainAction();
    EXPECT_EQ(exports.count(), 2);
    EXPECT_EQ(rig.model.cameraState(), CameraState::exportPicture());
    EXPECT_EQ(rig.model.measurableObjects().size(), 1);

    actions.saveImageAction();
    EXPECT_EQ(rig.model.cameraState(), CameraState::takePicture());
    EXPECT_EQ(rig.model.referenceRectangle(), nullptr);
    EXPECT_TRUE(rig.model.measurableObjects().isEmpty());
    // The preview is live again.
    const QImage next = emptyTable();
    ASSERT_TRUE(rig.deliverAndWait(next));
    EXPECT_EQ(rig.model.frame()->image().cacheKey(), next.cacheKey());
}

TEST(MeasurementActions, actions_without_a_session_do_nothing)
{
    MeasurementActions actions;
    actions.mainAction();
    actions.saveImageAction();
    actions.addMeasurableAction(TargetModel::Measurable::line);
    actions.contextAction(nullptr);
    SUCCEED();
}
