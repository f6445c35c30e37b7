#include "SessionRig.h"

#include "session/MeasurementActions.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <gtest/gtest.h>

#include <memory>

// Every value and action the measurement screen's QML uses must be reachable from there.
TEST(SessionInQml, the_screen_can_bind_to_the_session_and_call_its_actions)
{
    SessionRig rig;
    MeasurementActions actions(&rig.model);
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQml
        QtObject {
            required property QtObject session
            required property QtObject actions
            property string hint: session.cameraState.hint
            property string stateName: session.cameraState.name
            property bool addSelected: session.cameraState.selected
            property int targets: session.measurableObjects.length
            property bool hasCard: session.referenceRectangle !== null
            property bool hasFrame: session.frame !== undefined && session.frame.hasImage
            property int cornerCount: session.frame === undefined ? -1
                                                                  : session.frame.points.length
            property bool hasError: session.error !== undefined
            function press() { actions.mainAction() }
            function addLine() { actions.addMeasurableAction(0) }
            function confirm() { actions.contextAction(session.referenceRectangle) }
        })",
                      QUrl());
    std::unique_ptr<QObject> screen(component.createWithInitialProperties(
        {{"session", QVariant::fromValue<QObject *>(&rig.model)},
         {"actions", QVariant::fromValue<QObject *>(&actions)}}));
    ASSERT_TRUE(screen) << component.errorString().toStdString();

    EXPECT_EQ(screen->property("hint").toString(), "Main_hintTakePicture");
    EXPECT_EQ(screen->property("stateName").toString(), "takePicture");
    EXPECT_FALSE(screen->property("hasFrame").toBool());
    EXPECT_FALSE(screen->property("hasError").toBool());

    ASSERT_TRUE(rig.deliverAndWait(
        cardPicture(QSize(640, 480), QPolygonF{QPointF(160, 170), QPointF(480, 170),
                                               QPointF(480, 371.48), QPointF(160, 371.48)})));
    EXPECT_TRUE(screen->property("hasFrame").toBool());
    EXPECT_EQ(screen->property("cornerCount").toInt(), 4);

    QMetaObject::invokeMethod(screen.get(), "press");
    EXPECT_EQ(screen->property("hint").toString(), "Main_hintConfirmCardSelectionCard");
    EXPECT_TRUE(screen->property("hasCard").toBool());
    QMetaObject::invokeMethod(screen.get(), "confirm");
    EXPECT_EQ(screen->property("stateName").toString(), "addTarget");
    QMetaObject::invokeMethod(screen.get(), "press");
    EXPECT_TRUE(screen->property("addSelected").toBool());
    EXPECT_EQ(screen->property("hint").toString(), "Main_hintAddTargetSelected");
    QMetaObject::invokeMethod(screen.get(), "addLine");
    EXPECT_EQ(screen->property("targets").toInt(), 1);

    rig.camera.setError(CameraManager::CameraError::cameraUnavailable);
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen->property("hasError").toBool(); }, 5000));
}
