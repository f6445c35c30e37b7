#include "bench/IdleCapture.h"
// What the measurement views cost on the GUI thread: one label and one loupe crop per drag
// step, one live frame shown in the frame view, and one drag step from the pointer event to
// the synchronised scene, on the views alone and on the whole measurement screen; and the
// memory that many measurements in a row leave behind. Runs offscreen (software renderer) unless
// QT_QPA_PLATFORM says otherwise, e.g. under xvfb-run with QT_QPA_PLATFORM=xcb for the OpenGL
// renderer.

#include "capture/StillPhotoSource.h"
#include "core/LineTargetModel.h"
#include "core/RectangleTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "core/Storage.h"
#include "core/UserDefaults.h"
#include "session/MeasurementActions.h"
#include "session/PhotoOpener.h"
#include "ui/LabelLayout.h"
#include "ui/LoupeLayout.h"
#include "ui/MiddleModifier.h"
#include "ui/PictureItem.h"
#include "ui/PictureMapping.h"
#include "ui/TextTables.h"
#include "ui/measure/PictureSaver.h"

#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtQml/QQmlExtensionPlugin>

#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <malloc.h>
#include <memory>
#include <unistd.h>
#include <vector>

Q_IMPORT_QML_PLUGIN(MirrelPlugin)

namespace {

// The GUI thread's own processor time: the machine running the benchmarks is shared, and
// waiting for a processor is not what a view costs. With the offscreen platform the scene is
// synchronised and rendered on the GUI thread too, so every interval below is on one clock.
struct Clock
{
    using time_point = double; // milliseconds
    static time_point now()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }
};

double millisecondsBetween(Clock::time_point a, Clock::time_point b)
{
    return b - a;
}

// A webcam frame: a wooden table with a white card; shade varies it from frame to frame.
QImage tableWithCard(QSize size, int shade)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(120 + shade, 84 + shade, 52));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 238, 232));
    const double w = size.width(), h = size.height();
    painter.drawPolygon(QPolygonF{QPointF(0.3 * w, 0.35 * h), QPointF(0.6 * w, 0.36 * h),
                                  QPointF(0.6 * w, 0.66 * h), QPointF(0.3 * w, 0.65 * h)});
    return image;
}

// The timestamps of one frame of a window: from the end of animations (polish follows) to the
// end of synchronisation, which the GUI thread waits for, and the rendering after it, which a
// threaded render loop would do on its own thread.
class FrameClock
{
public:
    explicit FrameClock(QQuickWindow &window)
    {
        const auto mark = [](Clock::time_point &at) { return [&at] { at = Clock::now(); }; };
        QObject::connect(&window, &QQuickWindow::afterAnimating, &window, mark(m_animated),
                         Qt::DirectConnection);
        QObject::connect(
            &window, &QQuickWindow::afterSynchronizing, &window,
            [this, &window] {
                m_synchronised = Clock::now();
                // Each thread has its own processor clock; intervals across threads mean
                // nothing.
                if (QThread::currentThread() != window.thread())
                    qFatal("the scene is rendered on its own thread: run offscreen");
            },
            Qt::DirectConnection);
        QObject::connect(&window, &QQuickWindow::beforeRendering, &window, mark(m_renderStart),
                         Qt::DirectConnection);
        QObject::connect(&window, &QQuickWindow::afterRendering, &window, mark(m_rendered),
                         Qt::DirectConnection);
        QObject::connect(
            &window, &QQuickWindow::frameSwapped, &window, [this] { ++m_frames; },
            Qt::DirectConnection);
    }

    // Waits for the next frame to be shown.
    bool waitForFrame()
    {
        const int before = m_frames.load();
        return QTest::qWaitFor([&] { return m_frames.load() > before; }, 5000);
    }

    [[nodiscard]] double polishAndSync() const
    {
        return millisecondsBetween(m_animated, m_synchronised);
    }
    [[nodiscard]] double render() const { return millisecondsBetween(m_renderStart, m_rendered); }

private:
    Clock::time_point m_animated = 0, m_synchronised = 0, m_renderStart = 0, m_rendered = 0;
    std::atomic<int> m_frames{0};
};

// A QML engine with the program's module and a phone-sized window to show a view in.
struct Stage
{
    Stage()
    {
        TextTables::install(QLocale(QLocale::English));
        engine.addImportPath(QStringLiteral("qrc:/"));
        window.resize(390, 844);
    }

    QQuickItem *show(const char *source, const QVariantMap &properties)
    {
        QQmlComponent component(&engine);
        component.setData(source, QUrl(QStringLiteral("qrc:/bench/Host.qml")));
        root.reset(qobject_cast<QQuickItem *>(component.createWithInitialProperties(properties)));
        if (!root) {
            qFatal("%s", qPrintable(component.errorString()));
        }
        root->setParentItem(window.contentItem());
        root->setSize(window.size());
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window was never shown");
        return root.get();
    }

    QQmlEngine engine;
    QQuickWindow window;
    FrameClock clock{window};
    std::unique_ptr<QQuickItem> root;
};

// The arithmetic and the pixels behind one label and one loupe crop as a point moves: the
// label's text, turn and middle; the loupe's place, its lines and the round crop of the photo.
void labelAndLoupeCropPerStep(benchmark::State &state)
{
    const QImage photo = tableWithCard(QSize(3024, 4032), 0);
    const QSizeF image(3024, 4032), view(390, 844);
    const qreal dpr = state.range(0);
    const QSize cropPixels(qRound(LoupeLayout::side(view) * dpr),
                           qRound(LoupeLayout::side(view) * dpr));
    Distance edge{{1008, 2016}, {2016, 2016}, 120.0};
    double x = 150;
    for (auto _ : state) {
        x = x > 250 ? 150 : x + 0.5;
        const QPointF finger(x, 430);
        edge.to = PictureMapping::imagePoint(finger, image, view);
        benchmark::DoNotOptimize(LabelLayout::text(edge));
        benchmark::DoNotOptimize(LabelLayout::rotation(edge.from, edge.to));
        benchmark::DoNotOptimize(MiddleModifier::position(edge.from, edge.to, image, view));
        const DraggedPoint record{finger, {edge.from}, QStringLiteral("#ff9500")};
        benchmark::DoNotOptimize(LoupeLayout::center(finger, view));
        benchmark::DoNotOptimize(LoupeLayout::lines(record, image, view));
        const QImage crop =
            PictureItem::roundCut(photo, LoupeLayout::shownRect(finger, image, view), cropPixels);
        benchmark::DoNotOptimize(crop.constBits());
    }
}
BENCHMARK(labelAndLoupeCropPerStep)->ArgName("dpr")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Sums one benchmark's frames: the GUI thread's work for the change itself (events, bindings),
// the polish and synchronisation that follow, and the rendering. The iteration's time is the
// first two, which a threaded render loop keeps on the GUI thread.
class FrameCosts
{
public:
    FrameCosts(benchmark::State &state, FrameClock &clock) : m_state(state), m_clock(clock) {}
    ~FrameCosts()
    {
        using benchmark::Counter;
        m_state.counters["change_ms"] = Counter(m_change, Counter::kAvgIterations);
        m_state.counters["sync_ms"] = Counter(m_sync, Counter::kAvgIterations);
        m_state.counters["render_ms"] = Counter(m_render, Counter::kAvgIterations);
    }

    // After the change that took change milliseconds: waits for its frame and books it.
    void frameAfter(double change)
    {
        if (!m_clock.waitForFrame())
            m_state.SkipWithError("no frame");
        m_change += change;
        m_sync += m_clock.polishAndSync();
        m_render += m_clock.render();
        m_state.SetIterationTime((change + m_clock.polishAndSync()) / 1000.0);
    }

private:
    benchmark::State &m_state;
    FrameClock &m_clock;
    double m_change = 0, m_sync = 0, m_render = 0;
};

// The same step through the views: a line's end moves, its label follows, and the loupe
// shows the new spot.
void labelAndLoupeViewsPerStep(benchmark::State &state)
{
    const QImage photo = tableWithCard(QSize(3024, 4032), 0);
    LineTargetModel line(3024, 4032, true, nullptr);
    Stage stage;
    QQuickItem *root = stage.show(R"(
        import QtQuick
        import Mirrel as Mirrel
        Item {
            id: host
            required property Mirrel.TargetModel line
            required property var photo
            property var record
            Mirrel.DistanceView {
                target: host.line
                viewSize: Qt.size(390, 844)
                imageSize: Qt.size(3024, 4032)
                distance: edge.distance
                Mirrel.TargetEdge {
                    id: edge
                    target: host.line
                    index: 0
                }
            }
            Mirrel.ZoomView {
                anchors.fill: parent
                viewSize: Qt.size(390, 844)
                image: host.photo
                draggedPoint: host.record
            }
        })",
                                  {{"line", QVariant::fromValue<QObject *>(&line)},
                                   {"photo", photo},
                                   {"record", QVariant::fromValue(line.neighbours(1, {}, {}))}});
    const QSizeF image(3024, 4032), view(390, 844);
    FrameCosts costs(state, stage.clock);
    double x = 150;
    for (auto _ : state) {
        x = x > 250 ? 150 : x + 0.5;
        const QPointF finger(x, 430);
        const auto start = Clock::now();
        root->setProperty("record", QVariant::fromValue(line.neighbours(1, finger, "#ff9500")));
        line.movePoint(1, Calculator::Matrix3x3::identity(), finger, image, view);
        costs.frameAfter(millisecondsBetween(start, Clock::now()));
    }
}
BENCHMARK(labelAndLoupeViewsPerStep)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A session showing targets over the picture, in a frame view that fills the window.
struct MeasuredPicture
{
    explicit MeasuredPicture(QSize frameSize)
    {
        root = stage.show(R"(
            import QtQuick
            import Mirrel as Mirrel
            Mirrel.FrameView { viewSize: Qt.size(390, 844) })",
                          {{"model", QVariant::fromValue<QObject *>(&capture.model)}});
        capture.model.processFrame(tableWithCard(frameSize, 0));
    }

    // The views go before the session they show.
    Capture capture;
    MeasurementActions actions{&capture.model};
    Stage stage;
    QQuickItem *root = nullptr;
};

// A new live frame in the frame view: the bindings that the published frame sets off (timed
// from the session's announcement, so the card search before it is left out) and the
// synchronisation that hands the picture to the renderer.
void showLiveFrame1920x1080(benchmark::State &state)
{
    MeasuredPicture picture(QSize(1920, 1080));
    const QImage frames[] = {tableWithCard(QSize(1920, 1080), 0),
                             tableWithCard(QSize(1920, 1080), 6)};
    Clock::time_point announced = 0;
    // Connected before any binding of the view, so it runs first.
    QObject::connect(&picture.capture.model, &CameraViewModel::frameChanged,
                     [&announced] { announced = Clock::now(); });
    picture.stage.clock.waitForFrame();
    FrameCosts costs(state, picture.stage.clock);
    int i = 0;
    for (auto _ : state) {
        picture.capture.model.processFrame(frames[++i % 2]);
        costs.frameAfter(millisecondsBetween(announced, Clock::now()));
    }
}
BENCHMARK(showLiveFrame1920x1080)->UseManualTime()->Unit(benchmark::kMillisecond);

// Holds the pointer down at `held` (window coordinates) and times one move per iteration, back
// and forth within 20 pixels of it, up to the synchronised scene.
void timeDragMoves(benchmark::State &state, Stage &stage, QPointF held)
{
    QQuickWindow &window = stage.window;
    stage.clock.waitForFrame();
    QTest::mousePress(&window, Qt::LeftButton, {}, held.toPoint());
    stage.clock.waitForFrame();
    FrameCosts costs(state, stage.clock);
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 20;
        const auto start = Clock::now();
        // Sent straight to the window: QTest's own event processing would also render a frame
        // inside the timed part.
        const QPointF at = held + QPointF(step, step / 2);
        QMouseEvent move(QEvent::MouseMove, at, window.mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &move);
        QCoreApplication::sendPostedEvents();
        costs.frameAfter(millisecondsBetween(start, Clock::now()));
    }
    QTest::mouseRelease(&window, Qt::LeftButton, {}, held.toPoint());
}

// One step of dragging a card corner, with pairs of a line and a rectangle on the picture: the
// pointer event, the corner's move and the card's new matrix, the re-measuring of every target
// on the next turn of the event loop, and the synchronised scene.
void dragStepEndToEnd(benchmark::State &state)
{
    MeasuredPicture picture(QSize(3024, 4032));
    CameraViewModel &model = picture.capture.model;
    // The card below the new targets, so its corner is clear of them.
    model.setReferenceRectangle(new ReferenceTargetModel(
        {QPointF(900, 2900), QPointF(2100, 2920), QPointF(2110, 3650), QPointF(890, 3640)},
        &model));
    model.subscribeToMatrix();
    for (int i = 0; i < state.range(0); ++i) {
        picture.actions.addMeasurableAction(TargetModel::Measurable::line);
        picture.actions.addMeasurableAction(TargetModel::Measurable::rectangle);
    }
    model.referenceRectangle()->setIsSelected(true);
    QCoreApplication::sendPostedEvents();
    const QSizeF image(3024, 4032), view(390, 844);
    timeDragMoves(state, picture.stage,
                  PictureMapping::viewPoint(model.referenceRectangle()->points()[2], image, view));
}
BENCHMARK(dragStepEndToEnd)
    ->ArgName("pairs")
    ->Arg(0)
    ->Arg(1)
    ->Arg(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The measurement screen as the user has it: a photo opened in place of the camera, taken and
// its card confirmed, with targets laid over it. Every target lies at view positions that stay
// clear of the card and of one another.
struct MeasurementScreen
{
    explicit MeasurementScreen(QSize photoSize)
        : defaults(folder.filePath(QStringLiteral("Mirrel.conf"))), storage(defaults)
    {
        const QString path = folder.filePath(QStringLiteral("photo.png"));
        if (!tableWithCard(photoSize, 0).save(path))
            qFatal("the photo could not be written");
        // No camera: the photo stands in for it from the start.
        StillPhotoSource::setLaunchPhoto(path);
        QQuickItem *screen = stage.show(R"(
            import QtQuick
            import Mirrel as Mirrel
            Mirrel.CameraView {})",
                                        {{"storage", QVariant::fromValue(&storage)}});
        session = screen->property("model").value<CameraViewModel *>();
        actions = screen->findChild<MeasurementActions *>();
        auto *opener = screen->findChild<PhotoOpener *>();
        if (!session || !actions || !opener)
            qFatal("the measurement screen has no session");
        image = QSizeF(photoSize);
        // The process's camera keeps its first launch photo: the one for this screen is opened.
        if (!QTest::qWaitFor([&] { return session->frame() && session->frame()->hasImage(); },
                             60000) ||
            !open(opener, path))
            qFatal("the photo never showed");
        actions->mainAction(); // take the picture
        actions->mainAction(); // confirm the card
        session->matrixCancellableSubsciption().cancel();
        session->setReferenceRectangle(new ReferenceTargetModel(
            {imagePoint(100, 420), imagePoint(290, 425), imagePoint(292, 540), imagePoint(98, 535)},
            session));
        session->subscribeToMatrix();
    }

    // Opens the photo at path and waits until it is the picture on screen: opening starts a
    // new measurement when the photo arrives, after the picture shown before.
    bool open(PhotoOpener *opener, const QString &path) const
    {
        const qint64 before = session->frame()->image().cacheKey();
        QSignalSpy opened(opener, &PhotoOpener::opened);
        opener->openPath(path);
        return opened.wait(60000) && QTest::qWaitFor(
                                         [&] {
                                             const QImage shown = session->frame()->image();
                                             return shown.size() == image.toSize() &&
                                                    shown.cacheKey() != before;
                                         },
                                         60000);
    }

    QPointF imagePoint(double x, double y) const
    {
        return PictureMapping::imagePoint(QPointF(x, y), image, view);
    }

    // Lays `count` targets, lines and rectangles in turn, in rows above the card.
    void addTargets(int count)
    {
        for (int i = 0; i < count; ++i) {
            const bool line = i % 2 == 0;
            actions->addMeasurableAction(line ? TargetModel::Measurable::line
                                              : TargetModel::Measurable::rectangle);
            const double y = 90 + 14 * i;
            TargetModel *target = session->measurableObjects().last();
            target->setPoints(line ? QList<QPointF>{imagePoint(40, y), imagePoint(350, y)}
                                   : QList<QPointF>{imagePoint(40, y), imagePoint(350, y),
                                                    imagePoint(350, y + 10),
                                                    imagePoint(40, y + 10)});
            target->setDistances(edgesOf(target->points(), 0));
            target->updateAllDistances(session->referenceRectangle()->projectiveMatrix());
        }
    }

    QTemporaryDir folder;
    UserDefaults defaults;
    Storage storage;
    Stage stage;
    CameraViewModel *session = nullptr;
    MeasurementActions *actions = nullptr;
    QSizeF image;
    const QSizeF view{390, 844};
};

// One pointer move while a point is held, on the whole measurement screen over a photo of
// `megapixels` with `targets` targets besides the card: the loupe follows, the point moves
// and its labels follow; a card corner re-measures every target. With lineEnd the end of one
// more line is dragged instead of a card corner. The cost must not grow with the photo, only
// with the targets a move changes.
void dragMoveOnScreen(benchmark::State &state)
{
    const bool corner = state.range(0) == 0;
    const int targets = int(state.range(1));
    const QSize photo = state.range(2) == 12 ? QSize(4032, 3024) : QSize(1152, 864);
    MeasurementScreen screen(photo);
    screen.addTargets(targets);
    QPointF held;
    if (corner) {
        screen.session->referenceRectangle()->setIsSelected(true);
        held = QPointF(292, 540);
    } else {
        screen.actions->addMeasurableAction(TargetModel::Measurable::line);
        TargetModel *line = screen.session->measurableObjects().last();
        line->setPoints({screen.imagePoint(80, 620), screen.imagePoint(300, 620)});
        line->setDistances(edgesOf(line->points(), 0));
        held = QPointF(300, 620);
    }
    QCoreApplication::sendPostedEvents();
    timeDragMoves(state, screen.stage, held);
}
BENCHMARK(dragMoveOnScreen)
    ->ArgNames({"lineEnd", "targets", "megapixels"})
    ->ArgsProduct({{0, 1}, {0, 5, 20}, {12}})
    ->Args({0, 5, 1})
    ->Args({1, 5, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The resident memory of this process, in megabytes.
double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1048576 : 0;
}

// Measurements after measurements on one screen, as a user goes through a pile of photos: open
// a 12-megapixel photo, take it, lay three lines, export, save the PNG, back to the live
// picture. Counters: the resident memory after the first and the last round, its growth per
// round over the last two thirds of the rounds (near zero unless something piles up), and the
// blocks big enough to be pictures that are alive after the first and the last round.
void exportRounds(benchmark::State &state)
{
    const QSize photo(4032, 3024);
    MeasurementScreen screen(photo);
    QQuickItem *root = screen.stage.root.get();
    auto *opener = root->findChild<PhotoOpener *>();
    const QString path = screen.folder.filePath(QStringLiteral("photo.png"));
    const QUrl saved = QUrl::fromLocalFile(screen.folder.filePath(QStringLiteral("out.png")));
    std::vector<double> resident, largeBlocks;
    for (auto _ : state) {
        for (int round = 0; round < state.range(0); ++round) {
            if (!screen.open(opener, path)) {
                state.SkipWithError("the photo never opened");
                return;
            }
            screen.actions->mainAction();
            screen.actions->mainAction();
            for (int i = 0; i < 3; ++i)
                screen.actions->addMeasurableAction(TargetModel::Measurable::line);
            screen.actions->saveImageAction();
            screen.actions->mainAction();
            if (!QTest::qWaitFor([&] { return root->property("shareActivityVisible").toBool(); },
                                 60000)) {
                state.SkipWithError("nothing was exported");
                return;
            }
            auto *saver = root->findChild<PictureSaver *>();
            if (!saver || saver->save(saved, true) != PictureSaver::Saved) {
                state.SkipWithError("the picture was not saved");
                return;
            }
            root->setProperty("shareActivityVisible", false);
            screen.actions->saveImageAction(); // back to the live picture
            screen.stage.clock.waitForFrame();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            resident.push_back(residentMegabytes());
            // Pictures are the only blocks large enough for malloc to map them on their own.
            const struct mallinfo2 heap = mallinfo2();
            largeBlocks.push_back(double(heap.hblks));
            fprintf(stderr, "round %d: %.1f MB resident, %zu large blocks (%.1f MB)\n", round + 1,
                    resident.back(), heap.hblks, double(heap.hblkhd) / 1048576);
        }
    }
    state.counters["rss_first_mb"] = resident.front();
    state.counters["rss_last_mb"] = resident.back();
    state.counters["large_blocks_first"] = largeBlocks.front();
    state.counters["large_blocks_last"] = largeBlocks.back();
    state.counters["growth_mb_per_round"] = (resident.back() - resident[resident.size() / 3]) /
                                            double(resident.size() - 1 - resident.size() / 3);
}
BENCHMARK(exportRounds)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
