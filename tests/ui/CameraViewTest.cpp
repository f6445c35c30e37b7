#include "CameraScreen.h"
#include "ChromeTesting.h"
#include "UiHarness.h"

#include "capture/ImageLoader.h"
#include "capture/StillPhotoSource.h"
#include "session/CameraViewModel.h"
#include "session/PhotoOpener.h"
#include "support/TestImages.h"

#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using chrome::child;
using chrome::shown;

// The screen's camera is the process's shared one, so this program holds this one test: its
// camera is a launch photo that cannot be read, as after `mirrel broken.jpg` (a machine without
// a camera ends in the same error state).
//
// Guards three faults of that error state, in which the buttons are hidden: a photo opened from
// there showed without the buttons to measure it, for good, although the error view asks the
// user to choose another picture; a photo that could not be opened said nothing, its message
// being hidden with the buttons; and the launch photo's error view did not say what is wrong
// with the photo, although the loader says it.
TEST(CameraView, a_photo_opened_after_the_camera_failed_can_be_measured)
{
    QTemporaryDir folder;
    const QString broken = folder.filePath(QStringLiteral("broken.jpg"));
    const QString notes = folder.filePath(QStringLiteral("notes.jpg"));
    const QString desk = folder.filePath(QStringLiteral("desk.png"));
    ASSERT_TRUE(TestImages::writeFile(broken, "\xFF\xD8\xFF\xE0 cut off"));
    ASSERT_TRUE(TestImages::writeFile(notes, "no pixels here"));
    ASSERT_TRUE(deskPhoto({640, 480}).save(desk));
    StillPhotoSource::setLaunchPhoto(broken);

    CameraScreen camera(folder, QSize(390, 844));
    ASSERT_TRUE(camera.screen && camera.session);
    QQuickItem *screen = camera.screen;
    CameraViewModel *session = camera.session;
    auto *opener = screen->findChild<PhotoOpener *>();
    ASSERT_TRUE(opener);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->error().has_value(); }));
    // The error view says why, as the loader found it, not only that the photo cannot be opened.
    const QString reason = PhotoOpener::reason(ImageLoader::load(broken));
    ASSERT_TRUE(reason.contains(QStringLiteral("“broken.jpg”")));
    QQuickItem *errorMessage = child(screen, "CameraErrorView_Message");
    ASSERT_TRUE(errorMessage);
    EXPECT_TRUE(shown(errorMessage));
    EXPECT_EQ(errorMessage->property("text").toString(),
              qtTrId("Main_Error_UnreadablePhotoReason").arg(reason));
    QQuickItem *mainButton = child(screen, "CameraBottomView_CameraMainButton");
    EXPECT_FALSE(shown(mainButton));

    opener->openPath(notes);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !screen->property("photoMessage").toString().isEmpty(); }));
    EXPECT_TRUE(shown(child(screen, "photoMessage")));

    opener->openPath(desk);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return session->frame() && session->frame()->image().size() == QSize(640, 480); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(mainButton); }));
    EXPECT_FALSE(session->error().has_value());
    EXPECT_FALSE(shown(child(screen, "photoMessage")));
}
