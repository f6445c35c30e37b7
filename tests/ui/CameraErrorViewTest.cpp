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

// Each camera failure must lead to the one message that helps: a missing permission to the way
// of granting it, a broken camera to a plain explanation, and anything else to no message at
// all (a stale permission text over a working picture would mislead).
TEST(CameraErrorView, each_error_shows_its_case)
{
    struct Case
    {
        QVariant error;
        QString message; // empty: nothing visible
        bool button;
    };
    UiHarness texts; // installs the tables
    const QString permission = qtTrId("Main_Error_CameraPermission");
    const QString failure = qtTrId("Main_Error_UknownError");
    const QList<Case> cases = {
        {QVariant::fromValue(Error::deniedAuthorization), permission, true},
        {QVariant::fromValue(Error::restrictedAuthorization), permission, true},
        {QVariant::fromValue(Error::cameraUnavailable), failure, false},
        {QVariant(), QString(), false},
        // Not a camera error at all.
        {QVariant(QStringLiteral("disk full")), QString(), false},
    };
    for (const Case &c : cases) {
        UiHarness ui;
        QQuickItem *view =
            ui.show(QStringLiteral("CameraErrorView"), {{"error", c.error}}, QSize(390, 844));
        ASSERT_TRUE(view);
        SCOPED_TRACE(c.error.toString().toStdString());
        QQuickItem *message = child(view, "CameraErrorView_Message");
        QQuickItem *icon = child(view, "CameraErrorView_Icon");
        QQuickItem *button = child(view, "CameraErrorView_GoToSettingsButton");
        EXPECT_EQ(message->isVisible(), !c.message.isEmpty());
        EXPECT_EQ(icon->isVisible(), !c.message.isEmpty());
        if (!c.message.isEmpty()) {
            EXPECT_EQ(message->property("text").toString(), c.message);
        }
        EXPECT_EQ(shown(button), c.button);
    }
}

// The session's error reaches QML as a number; a number that is no camera error is not one.
TEST(CameraErrorView, the_error_as_qml_holds_it_picks_the_same_case)
{
    UiHarness ui;
    QQuickItem *view = ui.show(QStringLiteral("import QtQuick\nimport Mirrel as Mirrel\n"
                                              "Mirrel.CameraErrorView { property int code: 5; "
                                              "error: code }"),
                               {}, QSize(390, 844));
    ASSERT_TRUE(view);
    EXPECT_TRUE(shown(child(view, "CameraErrorView_GoToSettingsButton"))); // restricted
    view->setProperty("code", 2);                                          // cannotAddInput
    EXPECT_FALSE(shown(child(view, "CameraErrorView_GoToSettingsButton")));
    EXPECT_EQ(child(view, "CameraErrorView_Message")->property("text").toString(),
              qtTrId("Main_Error_UknownError"));
    view->setProperty("code", 42);
    EXPECT_FALSE(child(view, "CameraErrorView_Message")->isVisible());
}

TEST(CameraErrorView, the_settings_button_opens_the_camera_permission_help_and_nothing_else)
{
    FakePlatformServicesScope services;
    UiHarness ui;
    QQuickItem *view = ui.show(QStringLiteral("import QtQuick\nimport Mirrel as Mirrel\n"
                                              "Mirrel.CameraErrorView { error: 4; "
                                              "onGoToSettingsAction: "
                                              "Mirrel.SystemActions.openCameraSettings() }"),
                               {}, QSize(390, 844));
    ASSERT_TRUE(view);
    click(ui.window(), child(view, "CameraErrorView_GoToSettingsButton"));
    ASSERT_EQ(services->urls.size(), 1);
    EXPECT_EQ(services->urls[0], QUrl(QString::fromLatin1(ProductLinks::cameraAccessHelp)));
    // The error stays: only granting access and a new frame end it.
    EXPECT_TRUE(shown(child(view, "CameraErrorView_GoToSettingsButton")));
}
