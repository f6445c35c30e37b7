#include "capture/FrameManager.h"
#include "capture/CameraManager.h"
#include "capture/SerialQueue.h"

#include "FakeCameraPlatform.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <gtest/gtest.h>

#include <thread>
#include <unistd.h>

#ifndef __has_feature
#define __has_feature(x) 0
#endif

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

// Left half red, right half blue, in BT.601 studio range as webcams encode them.
Yuv leftRedRightBlue(int x, int width)
{
    return x < width / 2 ? Yuv{81, 90, 240} : Yuv{41, 240, 110};
}

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
                const Yuv p = leftRedRightBlue(x, w);
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

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
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

} // namespace

// Guards the pixel layout the detector relies on: BGRA bytes must come out as the same
// colours in a 32-bit BGRA QImage, a padded row stride must not shear the picture, BGRX's
// undefined fourth byte must not turn into transparency, other layouts are converted, and a
// frame without a picture is no picture.
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

    // Webcam layouts: a swapped chroma plane or a wrong stride would turn red into blue or
    // shear the halves.
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

// Guards against a leak per frame (a buffer kept by a queue, a connection or the frame
// manager): after 10,000 frames with a consumer that keeps up, memory is where it was after
// the warm-up.
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
            // The consumer keeps up: at most a few hundred frames are in flight.
            ASSERT_TRUE(QTest::qWaitFor([&] { return received >= start + sent; }, 10000));
        }
    };
    pump(1000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 1000; }, 10000));
    const qint64 warm = residentBytes();
    ASSERT_GT(warm, 0);
    pump(10000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 11000; }, 10000));
    // One frame is 75 kB; a leak of one buffer per frame would add 750 MB. AddressSanitizer
    // keeps freed memory in quarantine and finds leaks itself.
#if !defined(__SANITIZE_ADDRESS__) && !__has_feature(address_sanitizer)
    EXPECT_LT(residentBytes() - warm, 16 * 1024 * 1024) << "warm " << warm;
#endif
}

// Guards against a use-after-free when the frame manager and camera manager are destroyed
// while the camera is still handing over frames from its own thread.
TEST(FrameManager, destroyed_while_frames_are_arriving)
{
    for (int round = 0; round < 5; ++round) {
        auto rig = std::make_unique<Rig>();
        std::shared_ptr<FakeCameraPlatform> platform = rig->platform;
        std::atomic<bool> stop{false};
        std::thread camera([&] {
            const QVideoFrame frame =
                frameOf(QVideoFrameFormat::Format_BGRA8888, {320, 240},
                        [](QVideoFrame &f) { fillWords(f, [](int, int) { return 0xff00ff00u; }); });
            while (!stop)
                platform->deliver(frame);
        });
        QTest::qWait(30);
        rig.reset();
        QTest::qWait(10); // posts that were on their way to main find nobody there
        stop = true;
        camera.join();
    }
}
