#include "capture/CameraManager.h"
#include "capture/CameraPlatformQt.h"
#include "capture/FrameManager.h"
#include "capture/SerialQueue.h"

#include "FakeCameraPlatform.h"
#include "support/TestImages.h"

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

#include <thread>
#include <unistd.h>
#include <vector>

using Error = CameraManager::CameraError;
using Status = CameraManager::Status;
using Names = std::vector<std::string>;

namespace {

QVideoFrame frameOf(QVideoFrameFormat::PixelFormat format, QSize size,
                    const std::function<void(QVideoFrame &)> &fill)
{
    QVideoFrame frame(QVideoFrameFormat(size, format));
    EXPECT_TRUE(frame.map(QVideoFrame::WriteOnly));
    fill(frame);
    frame.unmap();
    return frame;
}

void fillWords(QVideoFrame &frame, const std::function<quint32(int, int)> &word)
{
    for (int y = 0; y < frame.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(frame.bits(0) + y * frame.bytesPerLine(0));
        for (int x = 0; x < frame.width(); ++x)
            row[x] = word(x, y);
    }
}

struct Yuv
{
    uchar y, u, v;
};

QVideoFrame yuvFrame(QVideoFrameFormat::PixelFormat format, QSize size)
{
    using F = QVideoFrameFormat;
    return frameOf(format, size, [format](QVideoFrame &frame) {
        const int w = frame.width();
        const int h = frame.height();
        auto at = [&](int plane, int x, int y) -> uchar & {
            return frame.bits(plane)[y * frame.bytesPerLine(plane) + x];
        };
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                // Left half red, right half blue, in BT.601 studio range as webcams encode them.
                const Yuv p = x < w / 2 ? Yuv{81, 90, 240} : Yuv{41, 240, 110};
                switch (format) {
                case F::Format_YUYV:
                    at(0, 2 * x, y) = p.y;
                    at(0, 2 * x + 1, y) = (x % 2) ? p.v : p.u;
                    break;
                case F::Format_UYVY:
                    at(0, 2 * x + 1, y) = p.y;
                    at(0, 2 * x, y) = (x % 2) ? p.v : p.u;
                    break;
                default:
                    at(0, x, y) = p.y;
                    if (x % 2 || y % 2)
                        break;
                    if (format == F::Format_NV12 || format == F::Format_NV21) {
                        const bool nv12 = format == F::Format_NV12;
                        at(1, x, y / 2) = nv12 ? p.u : p.v;
                        at(1, x + 1, y / 2) = nv12 ? p.v : p.u;
                    } else {
                        const bool i420 = format == F::Format_YUV420P;
                        at(1, x / 2, y / 2) = i420 ? p.u : p.v;
                        at(2, x / 2, y / 2) = i420 ? p.v : p.u;
                    }
                }
            }
        }
    });
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) <= 12 && qAbs(qGreen(a) - qGreen(b)) <= 12 &&
           qAbs(qBlue(a) - qBlue(b)) <= 12 && qAlpha(a) == 255;
}

// A frame manager wired to a fake camera that runs and has handed over its delegate.
struct Rig
{
    Rig() : platform(std::make_shared<FakeCameraPlatform>())
    {
        manager = std::make_unique<CameraManager>(platform, CameraManager::Setup{});
        frames = std::make_unique<FrameManager>(*manager);
        EXPECT_TRUE(QTest::qWaitFor([&] { return platform->hasDelegate(); }));
    }
    std::shared_ptr<FakeCameraPlatform> platform;
    std::unique_ptr<CameraManager> manager;
    std::unique_ptr<FrameManager> frames;
};

QVideoFrame bgraFrame(QSize size, QRgb colour)
{
    return frameOf(QVideoFrameFormat::Format_BGRA8888, size, [colour](QVideoFrame &f) {
        fillWords(f, [colour](int, int) { return colour; });
    });
}

// Waits until every item queued on `queue` so far has run, then every item those posted to the
// main queue (which runs its items in order): whatever they were going to publish is published.
void drain(SerialQueue &queue)
{
    std::atomic<bool> done{false};
    queue.async([&] { SerialQueue::main().async([&] { done = true; }); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 5000));
}

void drainMain()
{
    bool done = false;
    SerialQueue::main().async([&] { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
}

// Records every published error and whether all of them were published on main.
struct ErrorLog
{
    explicit ErrorLog(CameraManager &manager)
    {
        QObject::connect(
            &manager, &CameraManager::errorChanged, &manager,
            [this](Error error) {
                errors.push_back(error);
                onMain = onMain && QThread::currentThread() == qApp->thread();
            },
            Qt::DirectConnection);
    }
    std::vector<Error> errors;
    bool onMain = true;
};

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

// Guards the session queue's order (configure, start, hand over, then later starts and stops)
// and frames reaching `current` on main in delivery order.
TEST(CameraManager, configures_starts_and_hands_over_in_order_on_the_session_queue)
{
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, {});
    ErrorLog log(manager);
    FrameManager frames(manager);
    manager.startSession();
    manager.stopSession();
    drain(manager.sessionQueue());
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
    drain(manager.sessionQueue());
    EXPECT_EQ(platform->names(), expected);

    manager.startSession();
    drain(manager.sessionQueue());
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.size() == 1; }, 5000));
    platform->deliver(QVideoFrame()); // no picture
    platform->deliver(bgraFrame({64, 48}, 0xff405060));
    drain(*frames.videoOutputQueue());
    EXPECT_EQ(seen, (std::vector<QRgb>{0xff102030, 0xff405060}));
    EXPECT_TRUE(onMain);
}

// Guards the open access question: nothing runs before the answer, from any thread, and a
// manager gone before it neither hangs nor is written to.
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
        // An item queued on another queue at the same time runs; the session queue's do not.
        SerialQueue beside(QStringLiteral("org.mirrel.test.beside"));
        drain(beside);
        EXPECT_EQ(platform->names(), asked);

        platform->answerAccess(granted);
        drain(manager.sessionQueue());
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
    platform->answerAccess(false); // answers synchronously
    drainMain();
    EXPECT_EQ(platform->names(), asked);
}

// Guards each refusal: its error once on main, the configuration committed, started anyway.
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
        // Set on the creating thread, before the session queue ran.
        if (c.steps == 0) {
            EXPECT_EQ(manager.status(), Status::unauthorized);
        }
        ErrorLog log(manager);
        drain(manager.sessionQueue());
        EXPECT_EQ(log.errors, (std::vector<Error>{c.error}));
        EXPECT_TRUE(log.onMain);
        EXPECT_EQ(manager.isPermissionError(), c.permission);
        EXPECT_EQ(manager.status(), c.steps == 0 ? Status::unauthorized : Status::failed);
        EXPECT_EQ(platform->names(), calls(c.steps, {"startRunning"}));
        EXPECT_TRUE(manager.isRunning());
        // The platform's own words reach the user.
        if (c.error == Error::createCaptureInput) {
            EXPECT_TRUE(manager.errorMessage().contains(
                platform->focusFailure.value_or(platform->inputFailure.value_or(QString()))));
        }
        if (c.error == Error::cannotAddOutput) {
            EXPECT_TRUE(platform->inputAdded()) << "the input stays added";
        }

        manager.sessionQueue().async([&] { manager.configureCaptureSession(); });
        drain(manager.sessionQueue());
        EXPECT_EQ(log.errors.size(), 1u);
    }
}

// Guards a test run: the bundled scene arrives once as 32 bits and the camera is not touched.
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
    drain(*frames.videoOutputQueue());
    EXPECT_EQ(published.size(), 1);
    EXPECT_EQ(frames.current().size(), QImageReader(scene).size());
    EXPECT_EQ(frames.current().depth(), 32);
    EXPECT_TRUE(platform->names().empty()) << "the camera was touched";
    EXPECT_EQ(manager.status(), Status::unconfigured);
}

// Guards the desktop photo: it replaces the camera; an unreadable one is an error value.
TEST(CameraManager, still_photo_replaces_the_camera)
{
    QTemporaryDir dir;
    {
        auto platform = std::make_shared<FakeCameraPlatform>();
        CameraManager manager(platform,
                              {false, StillPhotoSource(writeImage(dir, "desk.png", {300, 200}))});
        FrameManager frames(manager);
        QSignalSpy published(&frames, &FrameManager::currentChanged);
        manager.startSession();
        ASSERT_TRUE(published.wait(5000));
        drain(manager.sessionQueue());
        EXPECT_EQ(published.size(), 1);
        EXPECT_EQ(frames.current().size(), QSize(300, 200));
        EXPECT_TRUE(platform->names().empty());
        EXPECT_FALSE(manager.isRunning());
        EXPECT_FALSE(manager.error().has_value());
    }
    // Which photos are unreadable is the image loader's to judge; here, that one is reported.
    const QString corrupt = dir.filePath(QStringLiteral("broken.jpg"));
    ASSERT_TRUE(TestImages::writeFile(corrupt, "\xFF\xD8\xFF\xE0 not really a jpeg"));
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, {false, StillPhotoSource(corrupt)});
    ErrorLog log(manager);
    FrameManager frames(manager);
    drain(manager.sessionQueue());
    EXPECT_EQ(log.errors, (std::vector<Error>{Error::unreadablePhoto}));
    EXPECT_TRUE(log.onMain);
    EXPECT_FALSE(manager.errorMessage().isEmpty());
    EXPECT_FALSE(manager.errorMessage().contains('\n'));
    EXPECT_TRUE(frames.current().isNull());
    EXPECT_TRUE(platform->names().empty());
}

// Guards a dropped photo: the camera stops, a camera frame on its way does not replace the
// photo, and the photo stays.
TEST(CameraManager, dropped_photo_stops_the_camera_and_stays)
{
    QTemporaryDir dir;
    const QString photo = writeImage(dir, QStringLiteral("drop.png"), {40, 30});
    auto platform = std::make_shared<FakeCameraPlatform>();
    CameraManager manager(platform, {});
    FrameManager frames(manager);
    drain(manager.sessionQueue());
    QSignalSpy published(&frames, &FrameManager::currentChanged);
    platform->deliver(bgraFrame({64, 48}, 0xff000000));
    manager.showStillPhoto(photo);
    manager.startSession();
    drain(manager.sessionQueue());
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.current().size() == QSize(40, 30); }, 5000));
    drain(*frames.videoOutputQueue());
    EXPECT_EQ(frames.current().size(), QSize(40, 30));
    EXPECT_FALSE(manager.isRunning());
    EXPECT_FALSE(platform->hasDelegate());
    const qsizetype shown = published.size();
    platform->deliver(bgraFrame({64, 48}, 0xff000000)); // goes nowhere now
    drain(*frames.videoOutputQueue());
    EXPECT_EQ(published.size(), shown);
    EXPECT_EQ(frames.current().size(), QSize(40, 30));
}

// Guards a machine without a camera: cameraUnavailable, never the backend's test bars, no hang.
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
    EXPECT_EQ(manager->status(), Status::failed);
    manager->startSession();
    manager->stopSession();
    drain(manager->sessionQueue());
    EXPECT_EQ(manager->status(), Status::failed);
    EXPECT_TRUE(frames->current().isNull());
}

// Guards the device-node check: an unopenable node is "denied", a missing one is not judged.
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
    if (::geteuid() != 0) {
        EXPECT_EQ(authorization(node), CameraPlatform::denied);
    }
    EXPECT_EQ(authorization(dir.filePath("nope")), CameraPlatform::authorized);
}

// Guards the pixel layout the detector relies on: colours, row stride, BGRX alpha, conversions.
TEST(FrameManager, frames_become_32_bit_bgra_pixel_buffers)
{
    using F = QVideoFrameFormat;
    const QSize size(7, 5); // odd width: rows are padded in some buffers
    const auto filled = [size](F::PixelFormat format, std::function<quint32(int, int)> word) {
        return FrameManager::pixelBuffer(
            frameOf(format, size, [&](QVideoFrame &frame) { fillWords(frame, word); }));
    };
    // Little-endian words: BGRA bytes are 0xAARRGGBB.
    const QImage image = filled(F::Format_BGRA8888, [](int x, int y) {
        return quint32(128 << 24 | 200 << 16 | (20 + y) << 8 | (10 + x));
    });
    ASSERT_EQ(image.format(), QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), size);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), qRgba(200, 20 + y, 10 + x, 128)) << x << "," << y;

    const QImage opaque = filled(F::Format_BGRX8888, [](int, int) { return 0x00336699u; });
    ASSERT_EQ(opaque.format(), QImage::Format_RGB32);
    EXPECT_EQ(opaque.pixel(3, 3), qRgb(0x33, 0x66, 0x99));
    EXPECT_EQ(qAlpha(reinterpret_cast<const quint32 *>(opaque.constScanLine(2))[1]), 255);

    const QImage converted = filled(F::Format_RGBX8888, [](int, int) { return 0xff332211u; });
    EXPECT_EQ(converted.format(), QImage::Format_RGB32);
    EXPECT_EQ(converted.pixel(1, 1), qRgb(0x11, 0x22, 0x33));

    // A swapped chroma plane or a wrong stride turns red into blue or shears the halves.
    for (const F::PixelFormat format : {F::Format_YUYV, F::Format_UYVY, F::Format_NV12,
                                        F::Format_NV21, F::Format_YUV420P, F::Format_YV12}) {
        SCOPED_TRACE(F::pixelFormatToString(format).toStdString());
        const QSize yuvSize(36, 6);
        const QImage rgb = FrameManager::pixelBuffer(yuvFrame(format, yuvSize));
        ASSERT_EQ(rgb.format(), QImage::Format_RGB32);
        ASSERT_EQ(rgb.size(), yuvSize);
        for (const QPoint p : {QPoint(0, 0), QPoint(15, 5), QPoint(17, 3)})
            EXPECT_PRED2(near, rgb.pixel(p), qRgb(255, 0, 0)) << p.x() << "," << p.y();
        for (const QPoint p : {QPoint(18, 0), QPoint(35, 5)})
            EXPECT_PRED2(near, rgb.pixel(p), qRgb(0, 0, 255)) << p.x() << "," << p.y();
    }

    EXPECT_TRUE(FrameManager::pixelBuffer(QVideoFrame()).isNull());
    EXPECT_TRUE(FrameManager::pixelBuffer(
                    QVideoFrame(QVideoFrameFormat(QSize(0, 0), QVideoFrameFormat::Format_BGRA8888)))
                    .isNull());
}

// Guards against a pixel buffer held per frame by a queue, a connection or the frame manager.
// Counting the live buffers makes a leak of even one per frame fail every round, and nothing
// the allocator or a loaded machine does can move the count.
TEST(FrameManager, ten_thousand_frames_do_not_grow_memory)
{
    Rig rig;
    const QSize size(160, 120);
    int received = 0;
    QObject::connect(rig.frames.get(), &FrameManager::currentChanged, rig.frames.get(),
                     [&] { ++received; });
    QVideoFrame source = frameOf(QVideoFrameFormat::Format_BGRA8888, size, [](QVideoFrame &f) {
        fillWords(f, [](int x, int y) { return quint32(x ^ y); });
    });
    source.map(QVideoFrame::ReadOnly);
    const auto pump = [&](int count) {
        const int start = received;
        for (int sent = 0; sent < count; sent += 100) {
            for (int i = 0; i < 100; ++i) {
                // A fresh frame each time, as a camera delivers them.
                QVideoFrame frame(source.surfaceFormat());
                frame.map(QVideoFrame::WriteOnly);
                std::memcpy(frame.bits(0), source.bits(0), size_t(source.mappedBytes(0)));
                frame.unmap();
                rig.platform->deliver(frame);
            }
            drain(*rig.frames->videoOutputQueue());
        }
        EXPECT_GT(received, start);
    };
    // Other tests' images may still be alive; only this rig's frames are judged.
    const qsizetype before = FrameManager::livePixelBuffers();
    constexpr int rounds = 5, perRound = 2000;
    std::vector<qsizetype> held;
    for (int round = 0; round < rounds; ++round) {
        pump(perRound);
        // Everything on its way has arrived: only `current` may still hold a frame.
        held.push_back(FrameManager::livePixelBuffers() - before);
    }
    for (size_t round = 0; round < held.size(); ++round)
        EXPECT_EQ(held[round], 1) << "pixel buffers alive after round " << round + 1 << " of "
                                  << perRound << " frames";
    EXPECT_EQ(rig.frames->current().size(), size);
    rig.frames.reset();
    EXPECT_EQ(FrameManager::livePixelBuffers(), before) << "after the frame manager is gone";
}

// Guards against frames piling up behind a busy main thread: each would wait its turn, the
// picture would lag further and further behind and the waiting frames would fill the memory.
TEST(FrameManager, a_frame_waiting_for_a_busy_main_thread_is_replaced_by_the_next)
{
    Rig rig;
    std::vector<QRgb> seen;
    QObject::connect(rig.frames.get(), &FrameManager::currentChanged, rig.frames.get(),
                     [&](const QImage &image) { seen.push_back(image.pixel(0, 0)); });
    const qsizetype before = FrameManager::livePixelBuffers();
    // The main thread does not turn while fifty frames arrive and are converted.
    std::atomic<bool> converted{false};
    for (int i = 0; i < 50; ++i)
        rig.platform->deliver(bgraFrame({64, 48}, 0xff000000 | quint32(i)));
    rig.frames->videoOutputQueue()->async([&] { converted = true; });
    while (!converted.load())
        QThread::yieldCurrentThread();
    EXPECT_LE(FrameManager::livePixelBuffers() - before, 1) << "frames wait for the main thread";

    drainMain();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.front(), 0xff000000 | 49u) << "the newest frame is shown";
    EXPECT_EQ(rig.frames->current().pixel(0, 0), 0xff000000 | 49u);
}

// Guards against a use-after-free when torn down while the camera hands over frames.
TEST(FrameManager, destroyed_while_frames_are_arriving)
{
    for (int round = 0; round < 5; ++round) {
        auto rig = std::make_unique<Rig>();
        std::shared_ptr<FakeCameraPlatform> platform = rig->platform;
        std::atomic<bool> stop{false};
        std::thread camera([&] {
            const QVideoFrame frame = bgraFrame({320, 240}, 0xff00ff00);
            while (!stop)
                platform->deliver(frame);
        });
        int published = 0;
        QObject::connect(rig->frames.get(), &FrameManager::currentChanged, rig->frames.get(),
                         [&] { ++published; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return published >= 3; }, 5000));
        rig.reset();
        drainMain(); // posts that were on their way to main find nobody there
        stop = true;
        camera.join();
    }
}
