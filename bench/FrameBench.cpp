// Per-frame cost of the live-frame path for a 1920 x 1080 camera: from the platform handing
// a frame over (the sink) to `current` holding it on the main thread.
#include "capture/CameraManager.h"
#include "capture/FrameManager.h"
#include "capture/SerialQueue.h"
#include "tests/capture/FakeCameraPlatform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

const QSize fullHd(1920, 1080);

QVideoFrame makeFrame(QVideoFrameFormat::PixelFormat format, int seed)
{
    QVideoFrame frame(QVideoFrameFormat(fullHd, format));
    frame.map(QVideoFrame::WriteOnly);
    for (int plane = 0; plane < frame.planeCount(); ++plane)
        std::memset(frame.bits(plane), 0x40 + seed, size_t(frame.mappedBytes(plane)));
    frame.unmap();
    return frame;
}

struct Pipeline
{
    Pipeline() : platform(std::make_shared<FakeCameraPlatform>())
    {
        manager = std::make_unique<CameraManager>(platform, CameraManager::Setup{});
        frames = std::make_unique<FrameManager>(*manager);
        QObject::connect(frames.get(), &FrameManager::currentChanged, frames.get(),
                         [this](const QImage &) { ++received; });
        while (!platform->hasDelegate())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    void waitFor(long long count)
    {
        while (received < count)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::shared_ptr<FakeCameraPlatform> platform;
    std::unique_ptr<CameraManager> manager;
    std::unique_ptr<FrameManager> frames;
    long long received = 0;
};

// One frame at a time, waiting for each to arrive: the latency of a single frame.
void sinkToCurrent_latency(benchmark::State &state, QVideoFrameFormat::PixelFormat format)
{
    Pipeline pipeline;
    std::vector<QVideoFrame> pool;
    for (int i = 0; i < 4; ++i)
        pool.push_back(makeFrame(format, i));
    size_t next = 0;
    for (auto _ : state) {
        pipeline.platform->deliver(pool[next++ % pool.size()]);
        pipeline.waitFor(pipeline.received + 1);
    }
    state.SetItemsProcessed(state.iterations());
}

// Bursts of 30 frames (one second of video): the cost per frame when the queues overlap work.
void sinkToCurrent_burst(benchmark::State &state, QVideoFrameFormat::PixelFormat format)
{
    Pipeline pipeline;
    std::vector<QVideoFrame> pool;
    for (int i = 0; i < 4; ++i)
        pool.push_back(makeFrame(format, i));
    constexpr int burst = 30;
    for (auto _ : state) {
        const long long target = pipeline.received + burst;
        for (int i = 0; i < burst; ++i)
            pipeline.platform->deliver(pool[size_t(i) % pool.size()]);
        pipeline.waitFor(target);
    }
    state.SetItemsProcessed(state.iterations() * burst);
}

// The main-thread part alone: a ready pixel buffer from the video queue to `current`.
void mainThreadHop(benchmark::State &state)
{
    Pipeline pipeline;
    QImage image(fullHd, QImage::Format_ARGB32);
    image.fill(0xff336699);
    for (auto _ : state) {
        pipeline.frames->videoOutputQueue()->async(
            [&pipeline, image] { pipeline.frames->publishPixelBuffer(image); });
        pipeline.waitFor(pipeline.received + 1);
    }
    state.SetItemsProcessed(state.iterations());
}

// The conversion on the video queue alone.
void conversion(benchmark::State &state, QVideoFrameFormat::PixelFormat format)
{
    const QVideoFrame frame = makeFrame(format, 0);
    for (auto _ : state) {
        QImage image = FrameManager::pixelBuffer(frame);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

BENCHMARK_CAPTURE(sinkToCurrent_latency, bgra, QVideoFrameFormat::Format_BGRA8888)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(sinkToCurrent_burst, bgra, QVideoFrameFormat::Format_BGRA8888)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(sinkToCurrent_latency, nv12, QVideoFrameFormat::Format_NV12)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(sinkToCurrent_latency, yuyv, QVideoFrameFormat::Format_YUYV)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK(mainThreadHop)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(conversion, bgra, QVideoFrameFormat::Format_BGRA8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(conversion, bgrx, QVideoFrameFormat::Format_BGRX8888)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(conversion, nv12, QVideoFrameFormat::Format_NV12)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    // The main queue and the worker queues' event loops need the application object.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
