#include "bench/IdleCapture.h"
#include "core/LineTargetModel.h"
#include "core/RectangleTargetModel.h"
#include "core/ReferenceTargetModel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

namespace {

// A webcam-sized frame: a grainy wooden-brown table, a sheet of paper and a card with a
// printed face, seen at a slight angle.
QImage liveFrame(QImage::Format format)
{
    QImage image(1920, 1080, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(24)) + ((x / 7 + y / 53) % 5) * 3;
            row[x] = qRgb(120 + grain, 84 + grain, 52 + grain / 2);
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 238, 232));
    painter.drawPolygon(
        QPolygonF{QPointF(1250, 150), QPointF(1800, 190), QPointF(1760, 900), QPointF(1210, 860)});
    QTransform toImage;
    QTransform::quadToQuad(
        QPolygonF{QPointF(0, 0), QPointF(85.725, 0), QPointF(85.725, 53.975), QPointF(0, 53.975)},
        QPolygonF{QPointF(520, 380), QPointF(1010, 400), QPointF(995, 712), QPointF(505, 690)},
        toImage);
    painter.setTransform(toImage);
    painter.setBrush(QColor(30, 70, 160));
    painter.drawRoundedRect(QRectF(0, 0, 85.725, 53.975), 3.18, 3.18);
    painter.setBrush(QColor(210, 180, 90));
    painter.drawRoundedRect(QRectF(10, 20, 12, 9), 1.5, 1.5);
    painter.setBrush(QColor(230, 230, 240));
    painter.drawRect(QRectF(10, 38, 60, 4));
    painter.end();
    return image.convertToFormat(format);
}

// The main thread's share of one live frame: the hop from the frame manager's signal, the
// card search, the conversion and the publication. Camera frames arrive as straight-alpha
// BGRA (ARGB32) or as opaque BGRX (RGB32).
void liveFrame1920x1080(benchmark::State &state)
{
    Capture capture;
    const QImage frame = liveFrame(static_cast<QImage::Format>(state.range(0)));
    int found = 0, published = 0;
    QObject::connect(&capture.model, &CameraViewModel::frameChanged, [&] {
        ++published;
        found += capture.model.frame()->hasPoints() ? 1 : 0;
    });
    for (auto _ : state) {
        Q_EMIT capture.frames.currentChanged(frame);
        QCoreApplication::sendPostedEvents();
    }
    state.counters["found"] = published ? double(found) / published : 0.0;
}
BENCHMARK(liveFrame1920x1080)
    ->Arg(QImage::Format_ARGB32)
    ->Arg(QImage::Format_RGB32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The two parts of a live frame's cost, for comparison with the whole.
void searchOnly1920x1080(benchmark::State &state)
{
    ImageProcessor processor;
    const QImage frame = liveFrame(QImage::Format_ARGB32);
    for (auto _ : state) {
        QImage image = frame;
        auto points = processor.processImage(image, false, true);
        benchmark::DoNotOptimize(points);
    }
}
BENCHMARK(searchOnly1920x1080)->Unit(benchmark::kMillisecond)->UseRealTime();

void convertOnly1920x1080(benchmark::State &state)
{
    const QImage frame = liveFrame(QImage::Format_ARGB32);
    for (auto _ : state) {
        QImage drawable = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        benchmark::DoNotOptimize(drawable.constBits());
    }
}
BENCHMARK(convertOnly1920x1080)->Unit(benchmark::kMillisecond)->UseRealTime();

// After the picture is taken: the held frame replaces the new one, no search.
void frozenFrame1920x1080(benchmark::State &state)
{
    Capture capture;
    const QImage frame = liveFrame(QImage::Format_ARGB32);
    capture.model.processFrame(frame);
    capture.model.setCameraState(CameraState::confirmCardSelection(false));
    int published = 0;
    QObject::connect(&capture.model, &CameraViewModel::frameChanged, [&] { ++published; });
    for (auto _ : state) {
        Q_EMIT capture.frames.currentChanged(frame);
        QCoreApplication::sendPostedEvents();
    }
    state.counters["published"] = double(published) / double(state.iterations());
}
BENCHMARK(frozenFrame1920x1080)->Unit(benchmark::kMicrosecond)->UseRealTime();

// One step of a card-corner drag with 50 targets on the picture: the card's matrix is
// recomputed and, on the next turn of the event loop, every target is re-measured.
void remeasureAfterCornerMove(benchmark::State &state)
{
    Capture capture;
    CameraViewModel &model = capture.model;
    auto *card = new ReferenceTargetModel(
        {QPointF(1000, 1500), QPointF(2000, 1520), QPointF(2010, 2150), QPointF(990, 2140)},
        &model);
    model.setReferenceRectangle(card);
    const int targets = int(state.range(0));
    for (int i = 0; i < targets; ++i) {
        if (i % 2 == 0)
            model.appendMeasurable(new LineTargetModel(3024, 4032, false, &model));
        else
            model.appendMeasurable(new RectangleTargetModel(3024, 4032, false, &model));
    }
    model.subscribeToMatrix();
    QCoreApplication::sendPostedEvents();

    const QSizeF image(3024, 4032), view(390, 844);
    double x = 250;
    for (auto _ : state) {
        x = x > 260 ? 250 : x + 0.25;
        card->movePoint(2, Calculator::Matrix3x3::identity(), QPointF(x, 420), image, view);
        QCoreApplication::sendPostedEvents();
    }
    benchmark::DoNotOptimize(model.measurableObjects().last()->distances().constData());
}
BENCHMARK(remeasureAfterCornerMove)->Arg(50)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
