#include "ChromeTesting.h"
#include "FakePlatformServices.h"
#include "UiHarness.h"

#include "capture/CameraManager.h"
#include "ui/ProductLinks.h"

#include <gtest/gtest.h>

using chrome::child;
using chrome::click;
using chrome::shown;
using Error = CameraManager::CameraError;

namespace {

} // namespace

// Each camera failure must lead to the one message that helps: a missing permission to the way
// of granting it, a broken camera to a plain explanation, and anything else to no message at
// all (a stale permission text over a working picture would mislead). The error arrives as the
// enum from C++ or as a plain number through QML, and changes while the view shows. The
// settings button opens the camera permission help and nothing else, and the error stays: only
// granting access and a new frame end it.
TEST(CameraErrorView, each_error_shows_its_case_and_the_button_opens_the_permission_help)
{
    FakePlatformServicesScope services;
    UiHarness ui;
    const QString permission = qtTrId("Main_Error_CameraPermission");
    const QString failure = qtTrId("Main_Error_UknownError");
    const struct
    {
        QVariant error;
        QString message; // empty: nothing visible
        bool button;
    } cases[] = {
        // The view starts with no error, as the app's does; the permission error arriving later
        // must still bring the button.
        {QVariant(), QString(), false},
        {QVariant::fromValue(Error::deniedAuthorization), permission, true},
        {QVariant::fromValue(Error::restrictedAuthorization), permission, true},
        {QVariant(5), permission, true}, // restricted, as a number
        {QVariant::fromValue(Error::cameraUnavailable), failure, false},
        {QVariant(2.0), failure, false},                           // cannotAddInput, as a double
        {QVariant(42), QString(), false},                          // no camera error's number
        {QVariant(QStringLiteral("disk full")), QString(), false}, // not a camera error at all
        {QVariant::fromValue(Error::deniedAuthorization), permission, true},
    };
    // Wired as the frame view wires it.
    QQuickItem *view = ui.show(QStringLiteral("import QtQuick\nimport Mirrel as Mirrel\n"
                                              "Mirrel.CameraErrorView { onGoToSettingsAction: "
                                              "Mirrel.SystemActions.openCameraSettings() }"),
                               {{"error", cases[0].error}}, QSize(390, 844));
    ASSERT_TRUE(view);
    QQuickItem *message = child(view, "CameraErrorView_Message");
    QQuickItem *icon = child(view, "CameraErrorView_Icon");
    QQuickItem *button = child(view, "CameraErrorView_GoToSettingsButton");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.error.toString().toStdString());
        view->setProperty("error", c.error);
        EXPECT_EQ(message->isVisible(), !c.message.isEmpty());
        EXPECT_EQ(icon->isVisible(), !c.message.isEmpty());
        if (!c.message.isEmpty()) {
            EXPECT_EQ(message->property("text").toString(), c.message);
        }
        EXPECT_EQ(shown(button), c.button);
        if (c.button) {
            services->urls.clear();
            click(ui.window(), button);
            EXPECT_EQ(services->urls,
                      QList<QUrl>{QUrl(QString::fromLatin1(ProductLinks::cameraAccessHelp))});
            EXPECT_TRUE(shown(button));
        }
    }
}

// A photo that cannot be used shows the loader's reason inside the message, whatever words the
// camera manager puts around it; without a reason (or with a message of another error) it shows
// the plain message. Guards the launch photo's error saying only that it cannot be opened.
TEST(CameraErrorView, an_unreadable_photo_says_why)
{
    UiHarness ui;
    const QString reason = QStringLiteral("shelf.jpg is not an image this program can read");
    const QVariant unreadable = QVariant::fromValue(Error::unreadablePhoto);
    QQuickItem *view = ui.show(QStringLiteral("CameraErrorView"),
                               {{"error", unreadable}, {"photoReason", reason}}, QSize(390, 844));
    ASSERT_TRUE(view);
    QQuickItem *message = child(view, "CameraErrorView_Message");
    EXPECT_TRUE(shown(message));
    EXPECT_EQ(message->property("text").toString(),
              qtTrId("Main_Error_UnreadablePhotoReason").arg(reason));
    EXPECT_TRUE(message->property("text").toString().contains(reason));
    EXPECT_FALSE(shown(child(view, "CameraErrorView_GoToSettingsButton")));

    view->setProperty("photoReason", QString());
    EXPECT_EQ(message->property("text").toString(), qtTrId("Main_Error_UnreadablePhoto"));

    // The reason belongs to the photo's error only.
    view->setProperty("photoReason", reason);
    view->setProperty("error", QVariant::fromValue(Error::createCaptureInput));
    EXPECT_EQ(message->property("text").toString(), qtTrId("Main_Error_UknownError"));
}
