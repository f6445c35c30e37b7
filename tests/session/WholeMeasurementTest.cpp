#include "SessionRig.h"

#include "core/ReferenceTargetModel.h"
#include "core/Session.h"
#include "session/MeasurementActions.h"
#include "tools/scenegen/SceneFiles.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cmath>

// Runs with the argument "isUITest": the bundled scene is published, a new line lies on it.

namespace {

// The compiled-in scene when the resources are linked, else the same files in the source tree.
QString sceneFile(const QString &name)
{
    const QString bundled = QStringLiteral(":/mirrel/") + name;
    if (QFile::exists(bundled))
        return bundled;
    return qEnvironmentVariable("MIRREL_SOURCE_DIR") + QStringLiteral("/resources/") + name;
}

// Where an image point shows in an aspect-filled view: the inverse of movePoint's mapping.
QPointF viewPoint(QPointF image, QSizeF imageSize, QSizeF viewSize)
{
    const double s =
        std::min(imageSize.height() / viewSize.height(), imageSize.width() / viewSize.width());
    return {image.x() / s - (imageSize.width() / s - viewSize.width()) * 0.5,
            image.y() / s - (imageSize.height() / s - viewSize.height()) * 0.5};
}

void expectNear(QPointF actual, QPointF expected, double tolerance)
{
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
}

} // namespace

TEST(WholeMeasurement, UITest_a_whole_measurement_of_the_bundled_object)
{
    if (!Session::shared().isUITest())
        GTEST_SKIP() << "needs the process argument isUITest";
    QFile json(sceneFile(QStringLiteral("test.json")));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly)) << "the test scene's test.json is missing";
    const auto parsed = parseSceneTruth(json.readAll());
    ASSERT_TRUE(parsed);
    const Scene &truth = parsed->scene;
    SessionRig rig(sceneFile(QStringLiteral("test.jpg")));
    CameraViewModel &model = rig.model;
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.frame().has_value(); }, 10000))
        << "the test frame never arrived";
    MeasurementActions actions(&model);
    const FrameOutput first = *model.frame();
    const QSizeF imageSize = first.image().size();
    ASSERT_EQ(imageSize, QSizeF(3024, 4032));

    // Live preview: the card's corners are published with the picture.
    ASSERT_TRUE(first.points()) << "the card in the bundled scene was not detected";
    for (int k = 0; k < 4; ++k)
        expectNear(first.points()->at(k), truth.card[size_t(k)], 2.0);

    // The picture is taken: the card starts from the detected corners.
    actions.mainAction();
    EXPECT_EQ(model.cameraState(), CameraState::confirmCardSelection(false));
    ReferenceTargetModel *card = model.referenceRectangle();
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->points(), ReferenceTargetModel::orderedCorners(*first.points()));

    // Confirm the card, then open the add buttons.
    actions.mainAction();
    EXPECT_EQ(model.cameraState(), CameraState::addTarget(false));
    EXPECT_TRUE(model.measurableObjects().isEmpty());
    actions.mainAction();
    ASSERT_EQ(model.cameraState(), CameraState::addTarget(true));

    // A new line lies on the object and shows its true length at once.
    actions.addMeasurableAction(TargetModel::Measurable::line);
    ASSERT_EQ(model.measurableObjects().size(), 1);
    TargetModel *line = model.measurableObjects()[0];
    expectNear(line->points()[0], truth.objectFrom, 1e-9);
    expectNear(line->points()[1], truth.objectTo, 1e-9);
    EXPECT_NEAR(line->distances()[0].distance, truth.objectLengthMm, truth.objectLengthMm * 0.005);

    // The user drags both ends away and back onto the object on a phone-shaped view.
    const QSizeF view(390, 844);
    const Calculator::Matrix3x3 matrix = card->projectiveMatrix();
    line->movePoint(0, matrix, viewPoint(QPointF(1400, 2500), imageSize, view), imageSize, view);
    line->movePoint(1, matrix, viewPoint(QPointF(1500, 2000), imageSize, view), imageSize, view);
    EXPECT_GT(std::abs(line->distances()[0].distance - truth.objectLengthMm), 10.0);
    line->movePoint(0, matrix, viewPoint(truth.objectFrom, imageSize, view), imageSize, view);
    line->movePoint(1, matrix, viewPoint(truth.objectTo, imageSize, view), imageSize, view);
    expectNear(line->points()[0], truth.objectFrom, 1e-6);
    expectNear(line->points()[1], truth.objectTo, 1e-6);
    EXPECT_NEAR(line->distances()[0].distance, truth.objectLengthMm, truth.objectLengthMm * 0.005);

    // A card corner is dragged: the line follows on the next turn.
    const double lineBefore = line->distances()[0].distance;
    const QPointF corner = card->points()[2];
    card->movePoint(2, matrix, viewPoint(corner + QPointF(25, 30), imageSize, view), imageSize,
                    view);
    EXPECT_EQ(line->distances()[0].distance, lineBefore);
    turnEventLoop();
    EXPECT_NE(line->distances()[0].distance, lineBefore);
    for (TargetModel *target : model.measurableObjects()) {
        for (Distance edge : target->distances()) {
            const double shown = edge.distance;
            edge.recalculate(card->projectiveMatrix());
            EXPECT_DOUBLE_EQ(shown, edge.distance);
        }
    }

    // Export, then the second press of save starts over with live frames searched again.
    actions.saveImageAction();
    EXPECT_EQ(model.cameraState(), CameraState::exportPicture());
    actions.saveImageAction();
    EXPECT_EQ(model.cameraState(), CameraState::takePicture());
    EXPECT_EQ(model.referenceRectangle(), nullptr);
    const QImage live =
        cardPicture(QSize(1920, 1080), QPolygonF{QPointF(702.52, 351.58), QPointF(1241.2, 389.25),
                                                 QPointF(1217.48, 728.42), QPointF(678.8, 690.75)});
    ASSERT_TRUE(rig.deliverAndWait(live));
    EXPECT_EQ(model.frame()->image().cacheKey(), live.cacheKey());
    EXPECT_TRUE(model.frame()->points()) << "live frames are not searched again";
}
