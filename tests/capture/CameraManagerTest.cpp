#include "capture/CameraManager.h"
#include "capture/CameraPlatformQt.h"
#include "capture/FrameManager.h"
#include "capture/SerialQueue.h"

#include "FakeCameraPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

using Error = CameraManager::CameraError;
using Status = CameraManager::Status;
using Names = std::vector<std::string>;

namespace {

bool waitFor(const std::function<bool()> &done, int ms = 5000)
{
    return QTest::qWaitFor(done, ms);
}

// Runs everything queued on the session queue so far, then everything it posted to main.
void settle(CameraManager &manager)
{
    std::atomic<bool> done{false};
    manager.sessionQueue().async([&] { done = true; });
    ASSERT_TRUE(waitFor([&] { return done.load(); }));
    QCoreApplication::processEvents();
    QTest::qWait(20);
}

CameraManager::Setup cameraRun()
{
    return {};
}

CameraManager::Setup testRun()
{
    CameraManager::Setup setup;
    setup.useTestFrame = true;
    return setup;
}

// Records every published error and the thread it was published on.
struct ErrorLog
{
    explicit ErrorLog(CameraManager &manager)
    {
        QObject::connect(
            &manager, &CameraManager::errorChanged, &manager,
            [this](Error error, const QString &message) {
                errors.push_back(error);
                messages.push_back(message);
                onMain = onMain && QThread::currentThread() == qApp->thread();
            },
            Qt::DirectConnection);
    }
    std::vector<Error> errors;
    QStringList messages;
    bool onMain = true;
};

QVideoFrame bgraFrame(QSize size, QRgb colour)
{
    QVideoFrame frame(QVideoFrameFormat(size, QVideoFrameFormat::Format_BGRA8888));
    frame.map(QVideoFrame::WriteOnly);
    for (int y = 0; y < size.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(frame.bits(0) + y * frame.bytesPerLine(0));
        std::fill(row, row + size.width(), quint32(colour));
    }
    frame.unmap();
    return frame;
}

QString writeImage(const QTemporaryDir &dir, const QString &name, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

const Names fullConfiguration = {"beginConfiguration",  "findBackCamera", "setContinuousAutofocus",
                                 "createInput",         "addInput",       "addVideoOutput",
                                 "commitConfiguration", "startRunning"};

Names concat(Names a, const Names &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

// Guards the order on the session queue: configuration and the first start before the frame
// receiver is installed, and that before any start or stop asked for later; a second
// configuration must not touch the session again.
TEST(CameraManager, configures_starts_and_hands_over_in_order_on_the_session_queue)
{
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, cameraRun());
    ErrorLog log(manager);
    FrameManager frames(manager);
    manager.startSession();
    manager.stopSession();
    settle(manager);

    const Names expected = concat(concat({"authorizationStatus"}, fullConfiguration),
                                  {"setSampleBufferDelegate", "startRunning", "stopRunning"});
    EXPECT_EQ(platform->names(), expected);
    const auto calls = platform->calls();
    EXPECT_EQ(calls.front().thread, QThread::currentThread()) << "authorization is asked on main";
    for (size_t i = 1; i < calls.size(); ++i) {
        EXPECT_NE(calls[i].thread, QThread::currentThread()) << calls[i].name;
        EXPECT_EQ(calls[i].thread, calls[1].thread) << calls[i].name;
    }
    EXPECT_EQ(manager.status(), Status::configured);
    EXPECT_FALSE(manager.isRunning());
    EXPECT_TRUE(log.errors.empty());
    EXPECT_FALSE(manager.error().has_value());

    // A second configuration does nothing.
    manager.sessionQueue().async([&] { manager.configureCaptureSession(); });
    settle(manager);
    EXPECT_EQ(platform->names(), expected);
    EXPECT_EQ(manager.status(), Status::configured);
}

// Guards the open access question: nothing on the session queue may run before the answer
// (not the configuration, not the hand-over, not a start), the answer may come on any thread,
// and a refusal is published as deniedAuthorization on main with an unconfigured start.
TEST(CameraManager, undetermined_access_suspends_the_session_queue_until_answered)
{
    for (const bool granted : {false, true}) {
        SCOPED_TRACE(granted ? "granted" : "declined");
        auto platform = std::make_shared<FakeCameraPlatform>();
        platform->authorization = CameraPlatform::notDetermined;
        CameraManager manager(platform, cameraRun());
        ErrorLog log(manager);
        FrameManager frames(manager);
        manager.startSession();
        QTest::qWait(200);
        EXPECT_EQ(platform->names(), (Names{"authorizationStatus", "requestAccess"}));
        EXPECT_EQ(manager.status(), Status::unconfigured);

        platform->answerAccess(granted);
        settle(manager);
        if (granted) {
            EXPECT_EQ(manager.status(), Status::configured);
            EXPECT_TRUE(log.errors.empty());
            EXPECT_EQ(platform->names(),
                      concat(concat({"authorizationStatus", "requestAccess"}, fullConfiguration),
                             {"setSampleBufferDelegate", "startRunning"}));
        } else {
            EXPECT_EQ(manager.status(), Status::unauthorized);
            EXPECT_EQ(log.errors, (std::vector<Error>{Error::deniedAuthorization}));
            EXPECT_TRUE(log.onMain);
            EXPECT_EQ(manager.error(), Error::deniedAuthorization);
            EXPECT_TRUE(manager.isPermissionError());
            // Configuration returned at once, the session was started unconfigured.
            EXPECT_EQ(platform->names(),
                      (Names{"authorizationStatus", "requestAccess", "startRunning",
                             "setSampleBufferDelegate", "startRunning"}));
        }
    }
}

// Guards each immediate authorization answer: the status is unauthorized before the
// configuration item runs, the matching error is published on main, and the session still
// starts (unconfigured) so the error view explains the missing picture.
TEST(CameraManager, refused_authorization_publishes_its_error_on_main)
{
    const struct
    {
        int answer;
        Error error;
        bool permission;
    } cases[] = {
        {CameraPlatform::restricted, Error::restrictedAuthorization, true},
        {CameraPlatform::denied, Error::deniedAuthorization, true},
        {7, Error::unknownAuthorization, false},
        {-1, Error::unknownAuthorization, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer);
        auto platform = std::make_shared<FakeCameraPlatform>();
        platform->authorization = c.answer;
        auto manager = std::make_unique<CameraManager>(platform, cameraRun());
        // Set on the creating thread, before anything ran on the session queue.
        EXPECT_EQ(manager->status(), Status::unauthorized);
        ErrorLog log(*manager);
        EXPECT_FALSE(manager->error().has_value()) << "published through the main queue only";
        settle(*manager);
        EXPECT_EQ(log.errors, (std::vector<Error>{c.error}));
        EXPECT_TRUE(log.onMain);
        EXPECT_EQ(manager->isPermissionError(), c.permission);
        EXPECT_FALSE(manager->errorMessage().isEmpty());
        EXPECT_EQ(platform->names(), (Names{"authorizationStatus", "startRunning"}));
        EXPECT_TRUE(manager->isRunning());
    }
}

// Guards each failing configuration step: the right error, status failed, the configuration
// committed, what was added before the failure kept, and the session started anyway.
TEST(CameraManager, failed_configuration_steps_publish_their_error_and_commit)
{
    const struct
    {
        const char *name;
        std::function<void(FakeCameraPlatform &)> setUp;
        Error error;
        Names steps;
    } cases[] = {
        {"no camera",
         [](FakeCameraPlatform &p) { p.hasCamera = false; },
         Error::cameraUnavailable,
         {"beginConfiguration", "findBackCamera"}},
        {"focus lock refused",
         [](FakeCameraPlatform &p) { p.focusFailure = QStringLiteral("device is busy"); },
         Error::createCaptureInput,
         {"beginConfiguration", "findBackCamera", "setContinuousAutofocus"}},
        {"input cannot be made",
         [](FakeCameraPlatform &p) { p.inputFailure = QStringLiteral("no such device"); },
         Error::createCaptureInput,
         {"beginConfiguration", "findBackCamera", "setContinuousAutofocus", "createInput"}},
        {"input refused",
         [](FakeCameraPlatform &p) { p.acceptsInput = false; },
         Error::cannotAddInput,
         {"beginConfiguration", "findBackCamera", "setContinuousAutofocus", "createInput",
          "addInput"}},
        {"output refused",
         [](FakeCameraPlatform &p) { p.acceptsOutput = false; },
         Error::cannotAddOutput,
         {"beginConfiguration", "findBackCamera", "setContinuousAutofocus", "createInput",
          "addInput", "addVideoOutput"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto platform = std::make_shared<FakeCameraPlatform>();
        c.setUp(*platform);
        CameraManager manager(platform, cameraRun());
        ErrorLog log(manager);
        settle(manager);
        EXPECT_EQ(log.errors, (std::vector<Error>{c.error}));
        EXPECT_TRUE(log.onMain);
        EXPECT_EQ(manager.status(), Status::failed);
        EXPECT_EQ(platform->names(), concat(concat({"authorizationStatus"}, c.steps),
                                            {"commitConfiguration", "startRunning"}));
        if (c.error == Error::createCaptureInput) {
            // The platform's own words reach the user.
            EXPECT_TRUE(log.messages.front().contains(
                platform->focusFailure.value_or(platform->inputFailure.value_or(QString()))))
                << log.messages.front().toStdString();
        }
        if (c.error == Error::cannotAddOutput) {
            EXPECT_TRUE(platform->inputAdded()) << "the input stays added";
        }

        // Nothing retries, however often configuration is asked for.
        manager.sessionQueue().async([&] { manager.configureCaptureSession(); });
        settle(manager);
        EXPECT_EQ(log.errors.size(), 1u);
        EXPECT_EQ(manager.status(), Status::failed);
    }
}

// Guards live frames from a webcam: three frames become three assignments of `current` on
// main in delivery order, and a frame without a picture between them changes nothing.
TEST(CameraManager, webcam_frames_reach_current_in_order)
{
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, cameraRun());
    FrameManager frames(manager);
    settle(manager);
    ASSERT_TRUE(platform->hasDelegate());
    ASSERT_TRUE(manager.isRunning());

    std::vector<QRgb> seen;
    bool onMain = true;
    QObject::connect(
        &frames, &FrameManager::currentChanged, &frames,
        [&](const QImage &image) {
            seen.push_back(image.pixel(0, 0));
            onMain = onMain && QThread::currentThread() == qApp->thread();
        },
        Qt::DirectConnection);
    const QSize size(64, 48);
    platform->deliver(bgraFrame(size, 0xff102030));
    platform->deliver(QVideoFrame()); // no picture
    platform->deliver(bgraFrame(size, 0xff405060));
    platform->deliver(bgraFrame(size, 0xff708090));
    ASSERT_TRUE(waitFor([&] { return seen.size() >= 3; }));
    QTest::qWait(50);
    EXPECT_EQ(seen, (std::vector<QRgb>{0xff102030, 0xff405060, 0xff708090}));
    EXPECT_TRUE(onMain);
    EXPECT_EQ(frames.current().pixel(0, 0), 0xff708090);
    EXPECT_EQ(frames.current().size(), size);
    EXPECT_EQ(frames.current().format(), QImage::Format_ARGB32);
}

// Guards a user-interface test run: no authorization prompt, no configuration, no delegate,
// status unconfigured, and the test picture arriving once, about half a second after the
// frame manager was made.
TEST(CameraManager, test_run_publishes_the_test_frame_instead_of_the_camera)
{
    QTemporaryDir dir;
    const QString path = writeImage(dir, QStringLiteral("test.png"), {120, 90}, Qt::darkCyan);
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, testRun());
    QElapsedTimer clock;
    clock.start();
    FrameManager frames(manager, path);
    QSignalSpy published(&frames, &FrameManager::currentChanged);
    ASSERT_TRUE(published.wait(10000));
    const qint64 after = clock.elapsed();
    // Loose on purpose: a loaded machine may be late, but never early.
    EXPECT_GE(after, 400);
    EXPECT_LE(after, 5000);
    QTest::qWait(200);
    EXPECT_EQ(published.size(), 1);
    EXPECT_EQ(frames.current().size(), QSize(120, 90));
    EXPECT_EQ(frames.current().depth(), 32);
    EXPECT_TRUE(platform->names().empty()) << "the camera was touched";
    EXPECT_EQ(manager.status(), Status::unconfigured);
    EXPECT_FALSE(platform->hasDelegate());

    // A frame manager gone before its test frame is due receives nothing and crashes nothing.
    {
        FrameManager shortLived(manager, path);
    }
    QTest::qWait(700);
}

// Guards the test run against a test scene the loader cannot turn into a BGRA frame: the
// bundled picture (compiled in, or from the source tree) must arrive as a 32-bit frame.
TEST(CameraManager, test_run_uses_the_bundled_test_scene)
{
    QString scene = FrameManager::testImagePath;
    if (!QFile::exists(scene))
        scene = qEnvironmentVariable("MIRREL_SOURCE_DIR") + QStringLiteral("/resources/test.jpg");
    if (!QFile::exists(scene))
        GTEST_SKIP() << "the bundled test scene is not in this build";
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, testRun());
    FrameManager frames(manager, scene);
    QSignalSpy published(&frames, &FrameManager::currentChanged);
    ASSERT_TRUE(published.wait(5000));
    const QImage image = frames.current();
    EXPECT_FALSE(image.isNull());
    EXPECT_TRUE(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QImageReader(scene).size());
}

// Guards the desktop photo path: the photo replaces the camera (nothing touched, nothing
// started), is published once, and an unreadable photo is an error value, not a crash.
TEST(CameraManager, still_photo_replaces_the_camera)
{
    QTemporaryDir dir;
    const QString good = writeImage(dir, QStringLiteral("desk.png"), {300, 200}, Qt::yellow);
    {
        auto platform = std::make_shared<FakeCameraPlatform>();
        CameraManager::Setup setup;
        setup.stillPhoto = StillPhotoSource(good);
        CameraManager manager(platform, setup);
        FrameManager frames(manager);
        QSignalSpy published(&frames, &FrameManager::currentChanged);
        manager.startSession();
        ASSERT_TRUE(published.wait(5000));
        settle(manager);
        EXPECT_EQ(published.size(), 1);
        EXPECT_EQ(frames.current().size(), QSize(300, 200));
        EXPECT_TRUE(platform->names().empty());
        EXPECT_FALSE(manager.isRunning());
        EXPECT_FALSE(manager.error().has_value());
    }
    const QString corrupt = dir.filePath(QStringLiteral("broken.jpg"));
    {
        QFile file(corrupt);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\xFF\xD8\xFF\xE0 not really a jpeg");
    }
    for (const QString &bad : {corrupt, dir.filePath(QStringLiteral("missing.jpg")), dir.path()}) {
        SCOPED_TRACE(bad.toStdString());
        auto platform = std::make_shared<FakeCameraPlatform>();
        CameraManager::Setup setup;
        setup.stillPhoto = StillPhotoSource(bad);
        CameraManager manager(platform, setup);
        ErrorLog log(manager);
        FrameManager frames(manager);
        settle(manager);
        settle(manager);
        EXPECT_EQ(log.errors, (std::vector<Error>{Error::unreadablePhoto}));
        EXPECT_TRUE(log.onMain);
        EXPECT_FALSE(manager.errorMessage().isEmpty());
        EXPECT_FALSE(manager.errorMessage().contains('\n'));
        EXPECT_TRUE(frames.current().isNull());
        EXPECT_TRUE(platform->names().empty());
    }
}

// Guards a photo dropped while the camera runs: the camera stops, frames already on their way
// arrive first, the photo arrives last and stays (a later start does not revive the camera).
TEST(CameraManager, dropped_photo_stops_the_camera_and_stays)
{
    QTemporaryDir dir;
    const QString photo = writeImage(dir, QStringLiteral("drop.png"), {40, 30}, Qt::red);
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, cameraRun());
    FrameManager frames(manager);
    settle(manager);
    QSignalSpy published(&frames, &FrameManager::currentChanged);
    platform->deliver(bgraFrame({64, 48}, 0xff000000));
    manager.showStillPhoto(photo);
    manager.startSession();
    settle(manager);
    ASSERT_TRUE(waitFor([&] { return published.size() == 2; }));
    EXPECT_EQ(frames.current().size(), QSize(40, 30));
    EXPECT_FALSE(manager.isRunning());
    EXPECT_FALSE(platform->hasDelegate());
    platform->deliver(bgraFrame({64, 48}, 0xff000000)); // goes nowhere now
    QTest::qWait(50);
    EXPECT_EQ(published.size(), 2);
}

// Guards against a hang or a late write into a destroyed manager when the manager goes away
// while the access question is still open and the answer comes afterwards.
TEST(CameraManager, destroyed_while_asking_for_access)
{
    auto platform = std::make_shared<FakeCameraPlatform>();
    platform->authorization = CameraPlatform::notDetermined;
    {
        CameraManager manager(platform, cameraRun());
        FrameManager frames(manager);
        manager.startSession();
    }
    platform->answerAccess(false);
    QTest::qWait(50);
    EXPECT_EQ(platform->names(), (Names{"authorizationStatus", "requestAccess"}));
}

// This machine's real platform: without a camera the manager must publish cameraUnavailable
// (never take the backend's test bars as a camera) and not hang, also when torn down.
TEST(CameraManager, real_platform_without_camera_reports_camera_unavailable)
{
    if (!QMediaDevices::videoInputs().isEmpty())
        GTEST_SKIP() << "this machine has a camera";
    auto manager =
        std::make_unique<CameraManager>(std::make_shared<CameraPlatformQt>(), cameraRun());
    auto frames = std::make_unique<FrameManager>(*manager);
    QSignalSpy errors(manager.get(), &CameraManager::errorChanged);
    ASSERT_TRUE(errors.size() > 0 || errors.wait(30000));
    EXPECT_EQ(manager->error(), Error::cameraUnavailable);
    manager->startSession();
    manager->stopSession();
    settle(*manager);
    // The error is posted before the status is stored: read it once the queue has settled.
    EXPECT_EQ(manager->status(), Status::failed);
    EXPECT_TRUE(frames->current().isNull());
    frames.reset();
    manager.reset();
}

// Guards the device-node check behind "denied": a node this user may not open is a refusal,
// a missing node is left for opening the camera to judge.
TEST(CameraManager, device_node_permissions_map_to_authorization)
{
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("video0"));
    {
        QFile file(node);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(CameraPlatformQt::authorizationForDeviceNode(node.toLocal8Bit()),
              CameraPlatform::authorized);
    QFile::setPermissions(node, QFileDevice::Permissions());
    if (::geteuid() != 0) {
        EXPECT_EQ(CameraPlatformQt::authorizationForDeviceNode(node.toLocal8Bit()),
                  CameraPlatform::denied);
    }
    EXPECT_EQ(CameraPlatformQt::authorizationForDeviceNode(dir.filePath("nope").toLocal8Bit()),
              CameraPlatform::authorized);
}
