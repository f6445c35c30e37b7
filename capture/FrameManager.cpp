#include "capture/FrameManager.h"

#include "capture/CameraManager.h"
#include "capture/ImageLoader.h"
#include "capture/SerialQueue.h"

#include <QFile>
#include <QGuiApplication>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// BGRA bytes read as one little-endian 32-bit word are 0xAARRGGBB, QImage's ARGB32.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "BGRA frames are read as QImage::Format_ARGB32");

bool hasAlpha(QVideoFrameFormat::PixelFormat format)
{
    switch (format) {
    case QVideoFrameFormat::Format_ARGB8888:
    case QVideoFrameFormat::Format_ARGB8888_Premultiplied:
    case QVideoFrameFormat::Format_BGRA8888:
    case QVideoFrameFormat::Format_BGRA8888_Premultiplied:
    case QVideoFrameFormat::Format_ABGR8888:
    case QVideoFrameFormat::Format_RGBA8888:
    case QVideoFrameFormat::Format_AYUV:
    case QVideoFrameFormat::Format_AYUV_Premultiplied:
        return true;
    default:
        return false;
    }
}

// The frame's own buffer goes back to the camera at once: a frozen picture must not hold
// one of the few buffers the capture pipeline cycles through.
QImage copyBgra(const QVideoFrame &mapped, QImage::Format format)
{
    const int width = mapped.width();
    const int height = mapped.height();
    QImage image(width, height, format);
    if (image.isNull())
        return {};
    const uchar *source = mapped.bits(0);
    const int sourceStride = mapped.bytesPerLine(0);
    const qsizetype rowBytes = qsizetype(width) * 4;
    if (!source || sourceStride < rowBytes)
        return {};
    if (format == QImage::Format_ARGB32) {
        if (sourceStride == image.bytesPerLine()) {
            std::memcpy(image.bits(), source, size_t(rowBytes) * height);
        } else {
            for (int y = 0; y < height; ++y)
                std::memcpy(image.scanLine(y), source + qsizetype(y) * sourceStride, rowBytes);
        }
        return image;
    }
    // BGRX: the fourth byte is undefined, RGB32 wants it opaque.
    const cv::Mat in(height, width, CV_8UC4, const_cast<uchar *>(source), size_t(sourceStride));
    cv::Mat out(height, width, CV_8UC4, image.bits(), size_t(image.bytesPerLine()));
    cv::bitwise_or(in, cv::Scalar(0, 0, 0, 255), out);
    return image;
}

cv::Mat planeMat(const QVideoFrame &mapped, int plane, int rows, int cols, int type)
{
    return cv::Mat(rows, cols, type, const_cast<uchar *>(mapped.bits(plane)),
                   size_t(mapped.bytesPerLine(plane)));
}

// The layouts webcams deliver through GStreamer, converted on the CPU with BT.601 like the
// cameras encode them. QVideoFrame::toImage() would try to set up a GPU context on the video
// queue's thread for each of them.
QImage convertYuv(const QVideoFrame &mapped)
{
    const int width = mapped.width();
    const int height = mapped.height();
    const QVideoFrameFormat::PixelFormat format = mapped.pixelFormat();
    const bool subsampled =
        format != QVideoFrameFormat::Format_YUYV && format != QVideoFrameFormat::Format_UYVY;
    if (subsampled && (width % 2 || height % 2))
        return {};
    if (format != QVideoFrameFormat::Format_YUYV && format != QVideoFrameFormat::Format_UYVY &&
        format != QVideoFrameFormat::Format_NV12 && format != QVideoFrameFormat::Format_NV21 &&
        format != QVideoFrameFormat::Format_YUV420P && format != QVideoFrameFormat::Format_YV12)
        return {};

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    cv::Mat out(height, width, CV_8UC4, image.bits(), size_t(image.bytesPerLine()));
    try {
        switch (format) {
        case QVideoFrameFormat::Format_YUYV:
            cv::cvtColor(planeMat(mapped, 0, height, width, CV_8UC2), out, cv::COLOR_YUV2BGRA_YUYV);
            break;
        case QVideoFrameFormat::Format_UYVY:
            cv::cvtColor(planeMat(mapped, 0, height, width, CV_8UC2), out, cv::COLOR_YUV2BGRA_UYVY);
            break;
        case QVideoFrameFormat::Format_NV12:
        case QVideoFrameFormat::Format_NV21:
            cv::cvtColorTwoPlane(planeMat(mapped, 0, height, width, CV_8UC1),
                                 planeMat(mapped, 1, height / 2, width / 2, CV_8UC2), out,
                                 format == QVideoFrameFormat::Format_NV12
                                     ? cv::COLOR_YUV2BGRA_NV12
                                     : cv::COLOR_YUV2BGRA_NV21);
            break;
        default: {
            // Three planes, each with its own stride: gather them as one block first.
            cv::Mat planar(height * 3 / 2, width, CV_8UC1);
            planeMat(mapped, 0, height, width, CV_8UC1).copyTo(planar.rowRange(0, height));
            const int quarter = width * height / 4;
            for (int plane = 1; plane <= 2; ++plane) {
                cv::Mat chroma(height / 2, width / 2, CV_8UC1,
                               planar.ptr(height) + (plane - 1) * quarter);
                planeMat(mapped, plane, height / 2, width / 2, CV_8UC1).copyTo(chroma);
            }
            cv::cvtColor(planar, out,
                         format == QVideoFrameFormat::Format_YUV420P ? cv::COLOR_YUV2BGRA_I420
                                                                     : cv::COLOR_YUV2BGRA_YV12);
            break;
        }
        }
    } catch (const cv::Exception &) {
        return {};
    }
    if (out.data != image.constBits())
        return {}; // OpenCV reallocated: the sizes did not match
    return image;
}

QImage convertedPixels(const QVideoFrame &sampleBuffer)
{
    if (!sampleBuffer.isValid() || sampleBuffer.width() <= 0 || sampleBuffer.height() <= 0)
        return {};

    const QVideoFrameFormat::PixelFormat format = sampleBuffer.pixelFormat();
    {
        QVideoFrame mapped = sampleBuffer;
        if (mapped.map(QVideoFrame::ReadOnly)) {
            QImage image;
            if (format == QVideoFrameFormat::Format_BGRA8888)
                image = copyBgra(mapped, QImage::Format_ARGB32);
            else if (format == QVideoFrameFormat::Format_BGRX8888)
                image = copyBgra(mapped, QImage::Format_RGB32);
            else
                image = convertYuv(mapped);
            mapped.unmap();
            if (!image.isNull())
                return image;
        }
    }

    // Everything else goes through Qt, which needs the GUI application object.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return {};
    QImage image = sampleBuffer.toImage();
    if (image.isNull())
        return {};
    if (!hasAlpha(format) && image.depth() == 32 &&
        (image.format() == QImage::Format_ARGB32_Premultiplied ||
         image.format() == QImage::Format_ARGB32)) {
        // Opaque pixels read the same in every 32-bit layout with alpha first.
        image.reinterpretAsFormat(QImage::Format_RGB32);
    }
    const QImage::Format wanted = hasAlpha(format) ? QImage::Format_ARGB32 : QImage::Format_RGB32;
    if (image.format() != wanted)
        image.convertTo(wanted);
    return image;
}

std::atomic<qsizetype> livePixelBufferCount{0};

void releaseCountedPixels(void *owner)
{
    delete static_cast<QImage *>(owner);
    livePixelBufferCount.fetch_sub(1, std::memory_order_relaxed);
}

// The same pixels, without a copy, in an image whose last reference gives them back through
// releaseCountedPixels(): the count of live pixel buffers then follows every holder.
QImage counted(QImage image)
{
    if (image.isNull())
        return image;
    auto *owner = new QImage(std::move(image));
    // The image was just made here and is not shared, so this does not copy.
    uchar *bits = owner->bits();
    livePixelBufferCount.fetch_add(1, std::memory_order_relaxed);
    return QImage(bits, owner->width(), owner->height(), owner->bytesPerLine(), owner->format(),
                  releaseCountedPixels, owner);
}

} // namespace

FrameManager &FrameManager::shared()
{
    static FrameManager *const instance = new FrameManager(CameraManager::shared());
    return *instance;
}

FrameManager::FrameManager(CameraManager &cameraManager, QString testImage, QObject *parent)
    : QObject(parent), m_videoOutputQueue(std::make_shared<SerialQueue>(
                           QStringLiteral("org.mirrel.Mirrel.videooutput"))),
      m_testImage(std::move(testImage))
{
    cameraManager.setVideoOutputDelegate(this, m_videoOutputQueue);
}

FrameManager::~FrameManager()
{
    m_videoOutputQueue->shutdown();
}

void FrameManager::captureOutput(const QVideoFrame &sampleBuffer)
{
    const QImage image = pixelBuffer(sampleBuffer);
    if (image.isNull())
        return;
    publishPixelBuffer(image);
}

void FrameManager::publishPixelBuffer(const QImage &pixelBuffer)
{
    // When the main thread falls behind the camera (a slow card search, a window being
    // dragged), a frame not yet shown is dropped for the newer one, as a phone camera drops
    // late frames: otherwise every frame would wait its turn, the picture would lag further
    // and further behind and the waiting frames would fill the memory.
    {
        std::lock_guard lock(m_waitingMutex);
        m_waiting = pixelBuffer;
        if (std::exchange(m_waitingPosted, true))
            return;
    }
    // Runs on the video output queue, so this object is alive now; the main queue skips the
    // item if it is destroyed before the item runs.
    SerialQueue::main().async(this, [this] {
        {
            std::lock_guard lock(m_waitingMutex);
            m_current = std::exchange(m_waiting, QImage());
            m_waitingPosted = false;
        }
        Q_EMIT currentChanged(m_current);
    });
}

void FrameManager::prepareTestImage()
{
    if (m_preparedTestImage)
        return;
    QFile file(m_testImage);
    if (!file.open(QIODevice::ReadOnly)) {
        m_preparedTestImage =
            ImageLoader::Result{{}, QStringLiteral("test frame %1 is missing").arg(m_testImage)};
        return;
    }
    m_preparedTestImage = ImageLoader::load(file.readAll(), m_testImage);
    if (!m_preparedTestImage->ok())
        m_preparedTestImage->error = QStringLiteral("test frame: ") + m_preparedTestImage->error;
}

void FrameManager::publishTestImage()
{
    prepareTestImage();
    // Published once: what is left behind is an empty picture without a message.
    const ImageLoader::Result prepared = *std::exchange(m_preparedTestImage, ImageLoader::Result{});
    if (prepared.ok())
        publishPixelBuffer(prepared.image);
    else if (!prepared.error.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(prepared.error));
}

qsizetype FrameManager::livePixelBuffers()
{
    return livePixelBufferCount.load(std::memory_order_relaxed);
}

QImage FrameManager::pixelBuffer(const QVideoFrame &sampleBuffer)
{
    return counted(convertedPixels(sampleBuffer));
}
