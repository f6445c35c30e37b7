#include "AppDriver.h"

#include "core/Session.h"
#include "core/UserDefaults.h"
#include "session/CameraState.h"
#include "session/CameraViewModel.h"
#include "ui/tutorial/Permissions.h"

#include <QTest>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// A first launch of the whole program (not a test run, so the tutorial shows) on a photo given
// on the command line: the tutorial is gone through with both questions refused, the
// measurement screen follows, and the next launch opens on it directly.

namespace {

// Says no to both questions, from a thread of its own, as a platform answers.
class RefusingPermissions final : public Permissions
{
public:
    void requestCameraAccess(Answer answer) override { refuse(std::move(answer), cameraQuestions); }
    void requestPhotoLibraryAccess(Answer answer) override
    {
        refuse(std::move(answer), photoQuestions);
    }

    std::atomic<int> cameraQuestions{0};
    std::atomic<int> photoQuestions{0};

private:
    static void refuse(Answer answer, std::atomic<int> &count)
    {
        ++count;
        std::thread([answer = std::move(answer)] { answer(false); }).join();
    }
};

bool tutorialSeenOnDisk()
{
    return UserDefaults(UserDefaults::standard().fileName())
        .boolValue(QStringLiteral("Storage_isTutorialSeen"));
}

// The screen a loader of the root view holds, when it is active.
QQuickItem *screenOf(const AppDriver &app, const char *loader)
{
    QQuickItem *item = app.find(QString::fromLatin1(loader));
    return item && item->property("active").toBool() ? item->property("item").value<QQuickItem *>()
                                                     : nullptr;
}

} // namespace

TEST(TutorialRun, refused_permissions_lead_to_the_measurement_screen_which_the_next_launch_opens)
{
    if (Session::shared().isUITest())
        GTEST_SKIP() << "a test run skips the tutorial";
    auto permissions = std::make_shared<RefusingPermissions>();
    Permissions::install(permissions);
    ASSERT_FALSE(tutorialSeenOnDisk()) << "the run's settings are not fresh";
    {
        AppDriver app;
        ASSERT_TRUE(app.window());
        QQuickItem *tutorial = screenOf(app, "tutorialScreen");
        ASSERT_TRUE(tutorial) << "a first launch does not show the tutorial";
        EXPECT_FALSE(screenOf(app, "measurementScreen"));

        for (int page = 0; page < 5; ++page) {
            SCOPED_TRACE("page " + std::to_string(page));
            ASSERT_EQ(tutorial->property("page").toInt(), page);
            QQuickItem *button = app.waitShown(QStringLiteral("TutorialPageButton"), tutorial);
            ASSERT_TRUE(button);
            app.click(button);
            if (page < 4) {
                ASSERT_TRUE(AppDriver::waitFor(
                    [&] { return tutorial->property("page").toInt() == page + 1; }));
            }
        }
        EXPECT_EQ(permissions->cameraQuestions, 1);
        EXPECT_EQ(permissions->photoQuestions, 1);

        // The measurement screen grows in, on the photo, and the tutorial is gone.
        QQuickItem *frameView = nullptr;
        ASSERT_TRUE(AppDriver::waitFor([&] {
            frameView = app.find(QStringLiteral("frameView"));
            return frameView && frameView->property("hasImage").toBool() &&
                   !app.find(QStringLiteral("tutorialScreen"))->property("active").toBool();
        })) << "the measurement screen did not follow the tutorial";
        EXPECT_TRUE(app.waitShown(QStringLiteral("CameraBottomView_CameraMainButton")));
        EXPECT_TRUE(tutorialSeenOnDisk());
    }

    // The next launch, on the same settings: straight to the measurement screen.
    AppDriver again;
    ASSERT_TRUE(again.window());
    EXPECT_FALSE(screenOf(again, "tutorialScreen"));
    ASSERT_TRUE(screenOf(again, "measurementScreen"));
    EXPECT_EQ(screenOf(again, "measurementScreen")->scale(), 1.0) << "it should not grow in";
    QQuickItem *mainButton = again.waitShown(QStringLiteral("CameraBottomView_CameraMainButton"));
    ASSERT_TRUE(mainButton);

    // The picture taken, then "How to use" from the settings and the tutorial gone through
    // again: the measurement is where it was, not a fresh one on the live picture.
    auto *session =
        screenOf(again, "measurementScreen")->property("model").value<CameraViewModel *>();
    ASSERT_TRUE(session);
    ASSERT_TRUE(AppDriver::waitFor([&] {
        QQuickItem *view = again.find(QStringLiteral("frameView"));
        return view && view->property("hasImage").toBool();
    }));
    again.click(mainButton);
    ASSERT_TRUE(AppDriver::waitFor(
        [&] { return session->cameraState().is(CameraState::Kind::confirmCardSelection); }));
    again.click(again.waitShown(QStringLiteral("CameraBottomView_CameraHelpButton")));
    again.click(again.waitShown(QStringLiteral("Settings_HowToUse")));
    QQuickItem *tutorial = nullptr;
    ASSERT_TRUE(AppDriver::waitFor([&] { return (tutorial = screenOf(again, "tutorialScreen")); }));
    EXPECT_FALSE(again.find(QStringLiteral("frameView"))) << "the camera runs behind the tutorial";
    // This time by keyboard. The measurement screen kept behind the tutorial has shortcuts on
    // the same keys (Space, Enter, Escape): only the tutorial's may act, and they must act once.
    again.window()->requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(again.window()));
    ASSERT_TRUE(again.waitShown(QStringLiteral("TutorialPageButton"), tutorial));
    const Qt::Key keys[] = {Qt::Key_Space, Qt::Key_Return, Qt::Key_Right, Qt::Key_PageDown};
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE("page " + std::to_string(page));
        QTest::keyClick(again.window(), keys[page]);
        ASSERT_TRUE(
            AppDriver::waitFor([&] { return tutorial->property("page").toInt() == page + 1; }));
    }
    EXPECT_EQ(permissions->cameraQuestions, 2); // one a launch ago, one now
    QTest::keyClick(again.window(), Qt::Key_Enter);
    ASSERT_TRUE(AppDriver::waitFor([&] { return !screenOf(again, "tutorialScreen"); }));
    ASSERT_EQ(screenOf(again, "measurementScreen")->property("model").value<CameraViewModel *>(),
              session);
    EXPECT_TRUE(session->cameraState().is(CameraState::Kind::confirmCardSelection));
    EXPECT_TRUE(again.waitShown(QStringLiteral("cardView")));
    // The tutorial gone, Space is the measurement screen's main button again.
    QTest::keyClick(again.window(), Qt::Key_Space);
    EXPECT_TRUE(AppDriver::waitFor(
        [&] { return session->cameraState().is(CameraState::Kind::addTarget); }));
    Permissions::install(nullptr);
}
