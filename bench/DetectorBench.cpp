// Time of one search for the card over a whole frame, on one core: 1080p preview frames and
// 12-megapixel photos, with and without a card, and the slow frames. With MIRREL_REALCARDS set
// to a folder of photos (images/*.jpg), each photo is timed too.

#include "capture/CardDetector.h"
#include "capture/CardTracker.h"
#include "tools/scenegen/SceneGenerator.h"

#include <QDir>
#include <QImage>

#include <benchmark/benchmark.h>
#include <opencv2/core/utility.hpp>

namespace {

void detectImage(benchmark::State &state, const QImage &image)
{
    cv::setNumThreads(0);
    CardDetector detector;
    size_t found = detector.features(image).size(); // warm the reused buffers
    for (auto _ : state) {
        auto features = detector.features(image);
        found = features.size();
        benchmark::DoNotOptimize(features);
    }
    state.counters["found"] = double(found);
}

// Photo-like scenes of the generator (wood, fabric, print on the card, an object beside it,
// lens blur, sensor mosaic and noise).
void detectScene(benchmark::State &state, SceneSpec sceneSpec)
{
    const QImage image = renderScene(sceneSpec).image;
    detectImage(state, image);
}

SceneSpec sceneOf(SceneCategory category, int width, int height, quint64 seed);

// A tracked live frame: the card of the frame before is looked for where it was, in frames of a
// camera moving over the table (1080p).
void trackScene(benchmark::State &state)
{
    cv::setNumThreads(0);
    SceneSpec first = sceneOf(SceneCategory::Plain, 1920, 1080, 71);
    first.tiltDeg = 12;
    first.rollDeg = 4;
    first.yawDeg = 8;
    first.focalPx = 1700;
    first.cardWidthFraction = 0.3;
    first.cardCentre = QPointF(760, 540);
    std::vector<QImage> frames;
    for (const SceneSpec &setup : cameraPath(first, 8, 0.01))
        frames.push_back(renderScene(setup).image);
    CardDetector detector;
    CardTracker tracker(detector);
    for (const QImage &frame : frames)
        (void)tracker.features(frame, detector.options());
    // Back and forth along the path, so each frame follows a neighbour.
    const size_t period = 2 * (frames.size() - 1);
    size_t i = 0, tracked = 0, runs = 0;
    for (auto _ : state) {
        const size_t k = i++ % period;
        auto features =
            tracker.features(frames[k < frames.size() ? k : period - k], detector.options());
        tracked += tracker.tracked();
        ++runs;
        benchmark::DoNotOptimize(features);
    }
    state.counters["trackedShare"] = double(tracked) / double(std::max<size_t>(runs, 1));
}

// Every photo in $MIRREL_REALCARDS/images, as the camera would deliver it (32-bit).
void registerRealPhotos()
{
    const QString folder = qEnvironmentVariable("MIRREL_REALCARDS");
    if (folder.isEmpty())
        return;
    const QDir images(folder + QStringLiteral("/images"));
    for (const QString &name : images.entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
        const QImage image = QImage(images.filePath(name)).convertToFormat(QImage::Format_RGB32);
        if (image.isNull())
            continue;
        benchmark::RegisterBenchmark(("real/" + name.chopped(4)).toStdString().c_str(), detectImage,
                                     image)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.2);
    }
}

SceneSpec sceneOf(SceneCategory category, int width, int height, quint64 seed)
{
    SceneSpec sceneSpec;
    sceneSpec.seed = seed;
    sceneSpec.width = width;
    sceneSpec.height = height;
    sceneSpec.category = category;
    return sceneSpec;
}

SceneSpec plainScene(int width, int height, quint64 seed)
{
    return sceneOf(SceneCategory::Plain, width, height, seed);
}

} // namespace

BENCHMARK_CAPTURE(detectScene, card_1920x1080, plainScene(1920, 1080, 1001))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detectScene, card_4032x3024, plainScene(4032, 3024, 1003))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detectScene, bundled_3024x4032, bundledTestSceneSpec())
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
// The slow frames: no card but card-like print and shapes (every route is tried, at two
// sizes), and glare breaking the card's outline (the straight-segment route finds it).
BENCHMARK_CAPTURE(detectScene, noCard_1920x1080, sceneOf(SceneCategory::NoCard, 1920, 1080, 1066))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detectScene, noCard_1280x960, sceneOf(SceneCategory::NoCard, 1280, 960, 1067))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detectScene, glare_1280x960, sceneOf(SceneCategory::Glare, 1280, 960, 1022))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK(trackScene)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    registerRealPhotos();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
