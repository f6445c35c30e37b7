#include "capture/CameraManager.h"
#include "capture/CameraPlatformQt.h"
#include "capture/FrameManager.h"
#include "capture/SerialQueue.h"

#include "FakeCameraPlatform.h"

#include <QCoreApplication>
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

#include <unistd.h>

using Error = CameraManager::CameraError;
using Status = CameraManager::Status;
using Names = std::vector<std::string>;

namespace {

// Runs everything queued on the session queue so far, then everything it posted to main.
void settle(CameraManager &manager)
{
    std::atomic<bool> done{false};
    manager.sessionQueue().async([&] { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
    QCoreApplication::processEvents();
    QTest::qWait(20);
}

CameraManager::Setup stillPhoto(const QString &path)
{
    CameraManager::Setup setup;
    setup.stillPhoto = StillPhotoSource(path);
    return setup;
}

// Records every published error and whether all of them were published on main.
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

QString writeImage(const QTemporaryDir &dir, const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(image.save(path));
    return path;
}

const Names configuration = {"beginConfiguration", "findBackCamera", "setContinuousAutofocus",
                             "createInput",        "addInput",       "addVideoOutput"};

// authorizationStatus, then the first `steps` configuration steps and the commit, then `tail`.
Names calls(int steps, const Names &tail, const Names &head = {"authorizationStatus"})
{
    Names names = head;
    if (steps > 0) {
        names.insert(names.end(), configuration.begin(), configuration.begin() + steps);
        names.push_back("commitConfiguration");
    }
    names.insert(names.end(), tail.begin(), tail.end());
    return names;
}

} // namespace

// Guards the order on the session queue: configuration and the first start before the frame
// receiver is installed, and that before any start or stop asked for later; a second
// configuration must not touch the session again. Frames from the camera then become
// assignments of `current` on main in delivery order; a frame without a picture changes
// nothing.
TEST(CameraManager, configures_starts_and_hands_over_in_order_on_the_session_queue)
{
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, {});
    ErrorLog log(manager);
    FrameManager frames(manager);
    manager.startSession();
    manager.stopSession();
    settle(manager);
    const Names expected =
        calls(6, {"startRunning", "setSampleBufferDelegate", "startRunning", "stopRunning"});
    EXPECT_EQ(platform->names(), expected);
    const auto made = platform->calls();
    EXPECT_EQ(made.front().thread, QThread::currentThread()) << "authorization is asked on main";
    for (size_t i = 1; i < made.size(); ++i) {
        EXPECT_NE(made[i].thread, QThread::currentThread()) << made[i].name;
        EXPECT_EQ(made[i].thread, made[1].thread) << made[i].name;
    }
    EXPECT_EQ(manager.status(), Status::configured);
    EXPECT_TRUE(log.errors.empty());
    manager.sessionQueue().async([&] { manager.configureCaptureSession(); });
    settle(manager);
    EXPECT_EQ(platform->names(), expected);

    manager.startSession();
    settle(manager);
    std::vector<QRgb> seen;
    bool onMain = true;
    QObject::connect(
        &frames, &FrameManager::currentChanged, &frames,
        [&](const QImage &image) {
            seen.push_back(image.pixel(0, 0));
            onMain = onMain && QThread::currentThread() == qApp->thread();
        },
        Qt::DirectConnection);
    platform->deliver(bgraFrame({64, 48}, 0xff102030));
    platform->deliver(QVideoFrame()); // no picture
    platform->deliver(bgraFrame({64, 48}, 0xff405060));
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() >= 2; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(seen, (std::vector<QRgb>{0xff102030, 0xff405060}));
    EXPECT_TRUE(onMain);
}

// Guards the open access question: nothing on the session queue may run before the answer
// (not the configuration, not the hand-over, not a start), the answer may come on any thread,
// and a refusal is published as deniedAuthorization on main with an unconfigured start. A
// manager gone before the answer must neither hang nor be written to.
TEST(CameraManager, undetermined_access_suspends_the_session_queue_until_answered)
{
    const Names asked = {"authorizationStatus", "requestAccess"};
    for (const bool granted : {false, true}) {
        SCOPED_TRACE(granted ? "granted" : "declined");
        auto platform = std::make_shared<FakeCameraPlatform>();
        platform->authorization = CameraPlatform::notDetermined;
        CameraManager manager(platform, {});
        ErrorLog log(manager);
        FrameManager frames(manager);
        manager.startSession();
        QTest::qWait(200);
        EXPECT_EQ(platform->names(), asked);

        platform->answerAccess(granted);
        settle(manager);
        const Names tail = {"startRunning", "setSampleBufferDelegate", "startRunning"};
        EXPECT_EQ(platform->names(), calls(granted ? 6 : 0, tail, asked));
        EXPECT_EQ(manager.status(), granted ? Status::configured : Status::unauthorized);
        EXPECT_EQ(log.errors,
                  granted ? std::vector<Error>{} : std::vector<Error>{Error::deniedAuthorization});
        EXPECT_TRUE(log.onMain);
    }
    auto platform = std::make_shared<FakeCameraPlatform>();
    platform->authorization = CameraPlatform::notDetermined;
    {
        CameraManager manager(platform, {});
        FrameManager frames(manager);
        manager.startSession();
    }
    platform->answerAccess(false);
    QTest::qWait(50);
    EXPECT_EQ(platform->names(), asked);
}

// Guards every refusal before the camera runs: the matching error published once on main,
// the configuration committed with what was added before the failure, the session started
// anyway (so the error view explains the missing picture), and no retry on a second
// configuration.
TEST(CameraManager, each_refusal_publishes_its_error_on_main_and_starts_anyway)
{
    using Fake = FakeCameraPlatform;
    const struct
    {
        const char *name;
        std::function<void(Fake &)> setUp;
        Error error;
        int steps; // configuration steps run; 0: refused before configuring
        bool permission = false;
    } cases[] = {
        {"restricted", [](Fake &p) { p.authorization = CameraPlatform::restricted; },
         Error::restrictedAuthorization, 0, true},
        {"denied", [](Fake &p) { p.authorization = CameraPlatform::denied; },
         Error::deniedAuthorization, 0, true},
        {"unknown answer", [](Fake &p) { p.authorization = 7; }, Error::unknownAuthorization, 0},
        {"no camera", [](Fake &p) { p.hasCamera = false; }, Error::cameraUnavailable, 2},
        {"focus lock refused", [](Fake &p) { p.focusFailure = QStringLiteral("device is busy"); },
         Error::createCaptureInput, 3},
        {"input cannot be made", [](Fake &p) { p.inputFailure = QStringLiteral("no such device"); },
         Error::createCaptureInput, 4},
        {"input refused", [](Fake &p) { p.acceptsInput = false; }, Error::cannotAddInput, 5},
        {"output refused", [](Fake &p) { p.acceptsOutput = false; }, Error::cannotAddOutput, 6},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        auto platform = std::make_shared<FakeCameraPlatform>();
        c.setUp(*platform);
        CameraManager manager(platform, {});
        if (c.steps == 0) // set on the creating thread, before the session queue ran
            EXPECT_EQ(manager.status(), Status::unauthorized);
        ErrorLog log(manager);
        settle(manager);
        EXPECT_EQ(log.errors, (std::vector<Error>{c.error}));
        EXPECT_TRUE(log.onMain);
        EXPECT_EQ(manager.isPermissionError(), c.permission);
        EXPECT_EQ(manager.status(), c.steps == 0 ? Status::unauthorized : Status::failed);
        EXPECT_EQ(platform->names(), calls(c.steps, {"startRunning"}));
        EXPECT_TRUE(manager.isRunning());
        if (c.error == Error::createCaptureInput) // the platform's own words reach the user
            EXPECT_TRUE(log.messages.front().contains(
                platform->focusFailure.value_or(platform->inputFailure.value_or(QString()))));
        if (c.error == Error::cannotAddOutput)
            EXPECT_TRUE(platform->inputAdded()) << "the input stays added";

        manager.sessionQueue().async([&] { manager.configureCaptureSession(); });
        settle(manager);
        EXPECT_EQ(log.errors.size(), 1u);
    }
}

// Guards a user-interface test run: the bundled scene (compiled in, or from the source tree)
// arrives once as a 32-bit frame, and the camera is neither asked, configured nor handed a
// delegate. A frame manager gone before its test frame is due must not crash.
TEST(CameraManager, test_run_publishes_the_bundled_scene_instead_of_the_camera)
{
    QString scene = FrameManager::testImagePath;
    if (!QFile::exists(scene))
        scene = qEnvironmentVariable("MIRREL_SOURCE_DIR") + QStringLiteral("/resources/test.jpg");
    if (!QFile::exists(scene))
        GTEST_SKIP() << "the bundled test scene is not in this build";
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, CameraManager::Setup{true, std::nullopt});
    FrameManager frames(manager, scene);
    QSignalSpy published(&frames, &FrameManager::currentChanged);
    ASSERT_TRUE(published.wait(10000));
    {
        FrameManager shortLived(manager, scene);
    }
    QTest::qWait(700);
    EXPECT_EQ(published.size(), 1);
    EXPECT_EQ(frames.current().size(), QImageReader(scene).size());
    EXPECT_EQ(frames.current().depth(), 32);
    EXPECT_TRUE(platform->names().empty()) << "the camera was touched";
    EXPECT_EQ(manager.status(), Status::unconfigured);
}

// Guards the desktop photo path: the photo replaces the camera (nothing touched, nothing
// started), is published once, and an unreadable photo is an error value, not a crash.
TEST(CameraManager, still_photo_replaces_the_camera)
{
    QTemporaryDir dir;
    {
        auto platform = std::make_shared<FakeCameraPlatform>();
        CameraManager manager(platform, stillPhoto(writeImage(dir, "desk.png", {300, 200})));
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
        CameraManager manager(platform, stillPhoto(bad));
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
    const QString photo = writeImage(dir, QStringLiteral("drop.png"), {40, 30});
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, {});
    FrameManager frames(manager);
    settle(manager);
    QSignalSpy published(&frames, &FrameManager::currentChanged);
    platform->deliver(bgraFrame({64, 48}, 0xff000000));
    manager.showStillPhoto(photo);
    manager.startSession();
    settle(manager);
    ASSERT_TRUE(QTest::qWaitFor([&] { return published.size() == 2; }, 5000));
    EXPECT_EQ(frames.current().size(), QSize(40, 30));
    EXPECT_FALSE(manager.isRunning());
    EXPECT_FALSE(platform->hasDelegate());
    platform->deliver(bgraFrame({64, 48}, 0xff000000)); // goes nowhere now
    QTest::qWait(50);
    EXPECT_EQ(published.size(), 2);
}

// This machine's real platform: without a camera the manager must publish cameraUnavailable
// (never take the backend's test bars as a camera) and not hang, also when torn down.
TEST(CameraManager, real_platform_without_camera_reports_camera_unavailable)
{
    if (!QMediaDevices::videoInputs().isEmpty())
        GTEST_SKIP() << "this machine has a camera";
    auto manager = std::make_unique<CameraManager>(std::make_shared<CameraPlatformQt>(),
                                                   CameraManager::Setup{});
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
}

// Guards the device-node check behind "denied": a node this user may not open is a refusal,
// a missing node is left for opening the camera to judge.
TEST(CameraManager, device_node_permissions_map_to_authorization)
{
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("video0"));
    QFile(node).open(QIODevice::WriteOnly);
    const auto authorization = [](const QString &path) {
        return CameraPlatformQt::authorizationForDeviceNode(path.toLocal8Bit());
    };
    EXPECT_EQ(authorization(node), CameraPlatform::authorized);
    QFile::setPermissions(node, QFileDevice::Permissions());
    if (::geteuid() != 0)
        EXPECT_EQ(authorization(node), CameraPlatform::denied);
    EXPECT_EQ(authorization(dir.filePath("nope")), CameraPlatform::authorized);
}
