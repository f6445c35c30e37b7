// Time of one search for the card over a whole frame, on one core: a 1080p preview frame and a
// 12-megapixel photo, each with a card on a grained table, and a frame without a card.

#include "capture/CardDetector.h"
#include "capture/detector/SyntheticCard.h"
#include "tools/scenegen/SceneGenerator.h"

#include <benchmark/benchmark.h>
#include <opencv2/core/utility.hpp>

namespace {

QImage frame(QSize size, bool withCard)
{
    QImage image = SyntheticCard::background(size, QColor(150, 110, 70), 0.15, 7);
    if (withCard) {
        const auto corners = SyntheticCard::pose(
            size, QPointF(size.width() * 0.45, size.height() * 0.55), size.width() * 0.3, 23, 25);
        SyntheticCard(corners).drawCard(image, QColor(235, 235, 230));
    }
    SyntheticCard::blur(image, 0.8);
    SyntheticCard::addNoise(image, 3.0, 11);
    return image;
}

void detect(benchmark::State &state, QSize size, bool withCard)
{
    // One core: no OpenCV worker threads.
    cv::setNumThreads(0);
    const QImage image = frame(size, withCard);
    CardDetector detector;
    size_t found = detector.features(image).size(); // warm the reused buffers
    for (auto _ : state) {
        auto features = detector.features(image);
        found = features.size();
        benchmark::DoNotOptimize(features);
    }
    state.counters["found"] = double(found);
    state.counters["cvThreads"] = cv::getNumThreads();
}

// The same on photo-like scenes of the generator (wood, fabric, print on the card, an object
// beside it, lens blur, sensor mosaic and noise).
void detectScene(benchmark::State &state, SceneSpec sceneSpec)
{
    cv::setNumThreads(0);
    const QImage image = renderScene(sceneSpec).image;
    CardDetector detector;
    size_t found = detector.features(image).size();
    for (auto _ : state) {
        auto features = detector.features(image);
        found = features.size();
        benchmark::DoNotOptimize(features);
    }
    state.counters["found"] = double(found);
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

BENCHMARK_CAPTURE(detect, card_1920x1080, QSize(1920, 1080), true)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detect, card_4032x3024, QSize(4032, 3024), true)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detect, empty_1920x1080, QSize(1920, 1080), false)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detect, empty_4032x3024, QSize(4032, 3024), false)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_CAPTURE(detectScene, scene_1920x1080, plainScene(1920, 1080, 1001))
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(detectScene, scene_4032x3024, plainScene(4032, 3024, 1003))
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

BENCHMARK_MAIN();
