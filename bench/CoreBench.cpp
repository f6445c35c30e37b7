#include "core/Calculator.h"
#include "core/Diagnostics.h"
#include "core/ProjectiveManager.h"
#include "core/RectangleTargetModel.h"

#include <benchmark/benchmark.h>

namespace {

const Calculator::Quadrilateral card{QPointF(100, 200), QPointF(400, 210), QPointF(420, 400),
                                     QPointF(90, 380)};

void projectionMatrix(benchmark::State &state)
{
    const Calculator calculator;
    Calculator::Quadrilateral corners = card;
    for (auto _ : state) {
        benchmark::DoNotOptimize(corners);
        auto m = calculator.projectionMatrix(corners, ProjectiveManager::cardOutline);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(projectionMatrix);

// One step of a finger dragging a rectangle's corner: map the touch, move the point, update
// the two edges' ends and re-measure them through the card's matrix.
void dragStep(benchmark::State &state)
{
    const auto matrix = ProjectiveManager::shared().projectiveMatrix(card);
    RectangleTargetModel rectangle(3024, 4032, true, nullptr);
    rectangle.updateAllDistances(*matrix);
    const QSizeF image(3024, 4032), view(390, 844);
    double x = 100;
    for (auto _ : state) {
        x = x > 300 ? 100 : x + 0.5;
        rectangle.movePoint(1, *matrix, QPointF(x, 400), image, view);
        benchmark::DoNotOptimize(rectangle.distances().constData());
    }
}
BENCHMARK(dragStep);

} // namespace

BENCHMARK_MAIN();
