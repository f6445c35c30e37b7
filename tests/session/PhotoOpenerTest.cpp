#include "SessionRig.h"

#include "session/MeasurementActions.h"
#include "session/PhotoOpener.h"

#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

namespace {

// A session whose picture is frozen with a card and one line on it.
struct Measuring : SessionRig
{
    Measuring()
    {
        EXPECT_TRUE(deliverAndWait(tablePicture({640, 480})));
        for (int press = 0; press < 3; ++press)
            actions.mainAction();
        actions.addMeasurableAction(TargetModel::Measurable::line);
    }

    [[nodiscard]] QSize frameSize() const { return model.frame()->image().size(); }

    MeasurementActions actions{&model};
    PhotoOpener opener;
    QTemporaryDir folder;
};

} // namespace

TEST(PhotoOpener, a_new_photo_starts_a_new_measurement_on_it)
{
    Measuring rig;
    rig.opener.setSession(&rig.model);
    const QString path = rig.folder.filePath(QStringLiteral("desk photo.png"));
    ASSERT_TRUE(tablePicture({800, 600}, Qt::darkGreen).save(path));

    QSignalSpy opened(&rig.opener, &PhotoOpener::opened);
    rig.opener.open(QUrl::fromLocalFile(path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.frameSize() == QSize(800, 600); }, 10000));
    EXPECT_EQ(opened.count(), 1);
    EXPECT_FALSE(rig.opener.isBusy());
    EXPECT_EQ(rig.model.cameraState(), CameraState::takePicture());
    EXPECT_EQ(rig.model.referenceRectangle(), nullptr);
    EXPECT_TRUE(rig.model.measurableObjects().isEmpty());
}

// The camera stops before an opened photo takes its place. A press of the main button in the
// meantime froze the picture again on the camera's last frame, and the photo, when it came,
// was swapped for that frozen frame: the photo was never seen.
TEST(PhotoOpener, a_photo_still_takes_the_place_of_a_picture_frozen_while_the_camera_stopped)
{
    Measuring rig;
    rig.opener.setSession(&rig.model);
    const QString path = rig.folder.filePath(QStringLiteral("desk photo.png"));
    ASSERT_TRUE(tablePicture({800, 600}, Qt::darkGreen).save(path));

    // A camera slow to stop: the session queue is held up until the press.
    std::promise<void> stopped;
    const std::shared_future<void> released = stopped.get_future().share();
    rig.camera.sessionQueue().async([released] { released.wait(); });
    const auto release = qScopeGuard([&] {
        if (released.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            stopped.set_value();
    });
    QSignalSpy opened(&rig.opener, &PhotoOpener::opened);
    rig.opener.open(QUrl::fromLocalFile(path));
    ASSERT_TRUE(opened.wait(10000));
    rig.actions.mainAction();
    EXPECT_TRUE(rig.model.cameraState().is(CameraState::Kind::confirmCardSelection));
    stopped.set_value();

    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.frameSize() == QSize(800, 600); }, 10000));
    EXPECT_EQ(rig.model.cameraState(), CameraState::takePicture());
    EXPECT_EQ(rig.model.referenceRectangle(), nullptr);
    EXPECT_TRUE(rig.model.measurableObjects().isEmpty());
}

// A dropped file that is no photo must not cost the user the measurement on screen, nor put the
// session into its error state, which would hide the buttons for good.
TEST(PhotoOpener, a_photo_that_cannot_be_used_leaves_everything_as_it_was)
{
    Measuring rig;
    rig.opener.setSession(&rig.model);
    const QString path = rig.folder.filePath(QStringLiteral("notes.jpg"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("these are not the pixels you are looking for");
    file.close();

    QSignalSpy failed(&rig.opener, &PhotoOpener::failed);
    QSignalSpy opened(&rig.opener, &PhotoOpener::opened);
    const CameraState state = rig.model.cameraState();
    rig.opener.openPath(path);
    ASSERT_TRUE(failed.wait(10000));
    EXPECT_FALSE(failed.first().first().toString().isEmpty());
    rig.opener.open(QUrl(QStringLiteral("https://example.org/card.jpg")));
    rig.opener.openPath(QString());
    EXPECT_EQ(failed.count(), 3);
    EXPECT_EQ(opened.count(), 0);

    EXPECT_EQ(rig.frameSize(), QSize(640, 480));
    EXPECT_EQ(rig.model.cameraState(), state);
    EXPECT_NE(rig.model.referenceRectangle(), nullptr);
    EXPECT_EQ(rig.model.measurableObjects().size(), 1);
    EXPECT_FALSE(rig.model.error().has_value());
    EXPECT_FALSE(rig.opener.isBusy());
}

// Opening a second photo while the first still decodes: only the last one the user chose shows.
TEST(PhotoOpener, the_last_photo_opened_wins)
{
    Measuring rig;
    rig.opener.setSession(&rig.model);
    const QString first = rig.folder.filePath(QStringLiteral("first.png"));
    const QString second = rig.folder.filePath(QStringLiteral("second.png"));
    ASSERT_TRUE(tablePicture({2000, 1500}, Qt::darkRed).save(first));
    ASSERT_TRUE(tablePicture({300, 200}, Qt::darkBlue).save(second));

    QSignalSpy opened(&rig.opener, &PhotoOpener::opened);
    rig.opener.openPath(first);
    rig.opener.openPath(second);
    ASSERT_TRUE(opened.wait(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rig.frameSize() == QSize(300, 200); }, 10000));
    // Let the first decode finish too; it must not replace the second photo.
    rig.opener.findChild<QThreadPool *>()->waitForDone();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(opened.first().first().toString(), second);
    EXPECT_EQ(rig.frameSize(), QSize(300, 200));
}

// Guards photos missing from the open dialog: the filter gave capitals only for JPEG, PNG and
// WebP, and the dialogs match case-sensitively, so "SCAN.TIF" or "IMG.BMP" did not show.
TEST(PhotoOpener, the_dialog_shows_every_photo_format_in_either_case)
{
    const QString photos = PhotoOpener::nameFilters().first();
    const QString inner = photos.section(QLatin1Char('('), 1).chopped(1);
    const QStringList patterns = inner.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString name : {"a.jpg", "A.JPG", "a.jpeg", "A.JPEG", "a.png", "A.PNG", "a.webp",
                               "A.WEBP", "a.bmp", "A.BMP", "a.tif", "A.TIF", "a.tiff", "A.TIFF"}) {
        const bool shown = std::any_of(patterns.begin(), patterns.end(), [&](const QString &p) {
            return QRegularExpression::fromWildcard(p, Qt::CaseSensitive).match(name).hasMatch();
        });
        EXPECT_TRUE(shown) << name.toStdString() << " in " << photos.toStdString();
    }
    EXPECT_EQ(PhotoOpener::nameFilters().last(), "All files (*)");
}
