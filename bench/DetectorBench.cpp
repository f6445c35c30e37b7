// Time of one search for the card over a whole frame, on one core: a 1080p preview frame and a
// 12-megapixel photo, each with a card on a grained table, and a frame without a card.

#include "capture/CardDetector.h"
#include "capture/detector/SyntheticCard.h"

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

BENCHMARK_MAIN();
