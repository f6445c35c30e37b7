// The measurement picture driven with real pointer events: dragging points, selecting with a
// tap, the context buttons, what the frame view draws when, and the loupe's pixels.

#include "ChromeTesting.h"
#include "UiHarness.h"
#include "session/SessionRig.h"

#include "core/ReferenceTargetModel.h"
#include "session/MeasurementActions.h"
#include "ui/Palette.h"
#include "ui/PictureMapping.h"

#include <QPointingDevice>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using chrome::centreOf;
using chrome::items;

namespace {

const QSize screen(390, 844);
const QSize photo(756, 1008);

QImage pictureWithCard()
{
    return cardPicture(photo, QPolygonF{QPointF(218, 400), QPointF(538, 400), QPointF(538, 601.48),
                                        QPointF(218, 601.48)});
}

// A session on a picture of a card, shown in a frame view that fills a phone-sized window; the
// card's context button confirms it, as the screen's actions do.
class PictureScreen
{
public:
    PictureScreen()
    {
        m_view = m_ui.show(QStringLiteral(R"(
            import QtQuick
            import Mirrel as Mirrel
            Mirrel.FrameView {
                required property Mirrel.MeasurementActions actions
                viewSize: Qt.size(390, 844)
                onTargetContextAction: target => actions.contextAction(target)
            })"),
                           {{"model", QVariant::fromValue<QObject *>(&rig.model)},
                            {"actions", QVariant::fromValue<QObject *>(&actions)}},
                           screen);
    }

    // The picture arrives and is taken: the card from the detected corners, selected.
    void takePicture()
    {
        ASSERT_TRUE(rig.deliverAndWait(pictureWithCard()));
        ASSERT_TRUE(rig.model.frame()->points()) << "the card was not detected";
        actions.mainAction();
        ASSERT_NE(card(), nullptr);
        turnEventLoop();
    }

    TargetModel *add(TargetModel::Measurable kind)
    {
        actions.addMeasurableAction(kind);
        return rig.model.measurableObjects().last();
    }

    [[nodiscard]] ReferenceTargetModel *card() const { return rig.model.referenceRectangle(); }
    [[nodiscard]] QQuickItem *view() const { return m_view; }
    [[nodiscard]] QQuickWindow *window() { return &m_ui.window(); }
    UiHarness &ui() { return m_ui; }

    [[nodiscard]] QPointF toView(QPointF imagePoint) const
    {
        return PictureMapping::viewPoint(imagePoint, photo, screen);
    }
    [[nodiscard]] static QPointF toImage(QPoint viewPoint)
    {
        return TargetModel::imagePoint(viewPoint, photo, screen);
    }

    // The target view drawing target.
    [[nodiscard]] QQuickItem *viewOf(const TargetModel *target) const
    {
        return chrome::viewOf(m_view, target);
    }

    void drag(const QList<QPoint> &path)
    {
        QTest::mousePress(window(), Qt::LeftButton, {}, path.front());
        for (qsizetype i = 1; i < path.size(); ++i)
            QTest::mouseMove(window(), path[i]);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, path.back());
    }

    void tap(QPoint at) { QTest::mouseClick(window(), Qt::LeftButton, {}, at); }

    SessionRig rig;
    MeasurementActions actions{&rig.model};

private:
    UiHarness m_ui;
    QQuickItem *m_view = nullptr;
};

QList<QPoint> pathFrom(QPoint start, QPoint offset, int steps)
{
    QList<QPoint> path;
    for (int i = 0; i <= steps; ++i)
        path.append(start + offset * i / steps);
    return path;
}

int taps(PictureScreen &screen)
{
    return static_cast<FeedbackManager::CountingOutput &>(screen.rig.feedback.impact())
        .impactCount();
}

DraggedPoint recordAt(const QSignalSpy &spy, qsizetype i)
{
    return spy.at(i).at(0).value<DraggedPoint>();
}

} // namespace

// A point follows the mouse or a finger exactly, from the press on, and reports itself with
// its neighbours for the loupe; the card's corner changes the matrix and so every length.
TEST(PointDragging, a_point_follows_mouse_or_finger_exactly_and_reports_its_neighbours)
{
    PictureScreen screen;
    screen.takePicture();
    TargetModel *line = screen.add(TargetModel::Measurable::line);
    turnEventLoop();
    const double lineLength = line->distances()[0].distance;
    screen.card()->setIsSelected(true);
    ASSERT_FALSE(line->isSelected());

    const QList<QPointF> before = screen.card()->points();
    const int tapsBefore = taps(screen);
    QSignalSpy reports(screen.view(), SIGNAL(draggingOccurred(QVariant)));
    // Press a little off the corner, inside the touch area but outside the drawn disc.
    const QPoint start = (screen.toView(before[2]) + QPointF(12, -9)).toPoint();
    const QList<QPoint> path = pathFrom(start, QPoint(30, 24), 6);
    screen.drag(path);

    const QList<QPointF> after = screen.card()->points();
    EXPECT_EQ(after[2], PictureScreen::toImage(path.back()));
    for (int k : {0, 1, 3})
        EXPECT_EQ(after[k], before[k]) << k;

    // One report on touch-down and one per movement, each with the finger and the corner's two
    // neighbours, then the end and one tap.
    ASSERT_EQ(reports.size(), path.size() + 1);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const DraggedPoint record = recordAt(reports, i);
        EXPECT_EQ(record.center, QPointF(path[i]));
        EXPECT_EQ(record.neighbours.size(), 2);
        EXPECT_TRUE(record.neighbours.contains(before[1]));
        EXPECT_TRUE(record.neighbours.contains(before[3]));
        EXPECT_EQ(QColor(record.color), Palette::accent());
    }
    EXPECT_FALSE(reports.back().at(0).isValid());
    EXPECT_EQ(taps(screen), tapsBefore + 1);

    // The card's matrix changed, so the line is measured anew once the event loop turns.
    EXPECT_TRUE(QTest::qWaitFor([&] { return line->distances()[0].distance != lineLength; }));
    EXPECT_EQ(screen.card()->distances()[0].distance, 85.725);

    // A finger on the line's end: the other end is its one neighbour.
    line->setIsSelected(true);
    reports.clear();
    QPointingDevice *finger = QTest::createTouchDevice();
    const QPoint touch = screen.toView(line->points()[1]).toPoint();
    const QPoint stop = touch + QPoint(20, -40);
    QTest::touchEvent(screen.window(), finger).press(0, touch);
    QTest::touchEvent(screen.window(), finger).move(0, touch + QPoint(10, -20));
    QTest::touchEvent(screen.window(), finger).move(0, stop);
    QTest::touchEvent(screen.window(), finger).release(0, stop);
    // Touch moves between two frames may be merged into one; the last one counts.
    ASSERT_GE(reports.size(), 3);
    for (qsizetype i = 0; i + 1 < reports.size(); ++i)
        EXPECT_EQ(recordAt(reports, i).neighbours, QList<QPointF>{line->points()[0]});
    EXPECT_EQ(recordAt(reports, reports.size() - 2).center, QPointF(stop));
    EXPECT_EQ(line->points()[1], PictureScreen::toImage(stop));
    EXPECT_FALSE(reports.back().at(0).isValid());
}

// Guards the loupe staying up for good after a drag was taken away without the finger lifting:
// its target deselected under the finger (the card confirmed with the keyboard or a second
// finger), or every target's view made anew (a target added or deleted meanwhile).
TEST(PointDragging, a_drag_taken_away_from_under_the_finger_still_ends_its_report)
{
    PictureScreen screen;
    screen.takePicture();
    QSignalSpy reports(screen.view(), SIGNAL(draggingOccurred(QVariant)));
    const auto hold = [&](QPointF imagePoint) {
        reports.clear();
        const QPoint at = screen.toView(imagePoint).toPoint() + QPoint(10, 10);
        QTest::mousePress(screen.window(), Qt::LeftButton, {}, at - QPoint(10, 10));
        QTest::mouseMove(screen.window(), at);
        return at;
    };
    const auto ended = [&] { return !reports.isEmpty() && !reports.back().at(0).isValid(); };

    QPoint held = hold(screen.card()->points()[2]);
    ASSERT_EQ(reports.size(), 2);
    screen.actions.mainAction();
    ASSERT_FALSE(screen.card()->isSelected());
    EXPECT_TRUE(QTest::qWaitFor(ended));
    QTest::mouseRelease(screen.window(), Qt::LeftButton, {}, held);

    TargetModel *line = screen.add(TargetModel::Measurable::line);
    turnEventLoop();
    held = hold(line->points()[1]);
    ASSERT_EQ(reports.size(), 2);
    screen.add(TargetModel::Measurable::rectangle);
    EXPECT_TRUE(QTest::qWaitFor(ended));
    QTest::mouseRelease(screen.window(), Qt::LeftButton, {}, held);
}

TEST(TargetView, an_unselected_target_has_no_handles_and_a_tap_on_it_selects_it_alone)
{
    PictureScreen screen;
    screen.takePicture();
    TargetModel *line = screen.add(TargetModel::Measurable::line);
    TargetModel *rectangle = screen.add(TargetModel::Measurable::rectangle);
    ASSERT_TRUE(rectangle->isSelected());
    ASSERT_FALSE(line->isSelected());

    QQuickItem *lineView = screen.viewOf(line);
    ASSERT_TRUE(lineView);
    for (QQuickItem *handle : items(lineView, QStringLiteral("handle")))
        EXPECT_FALSE(handle->isVisible());
    EXPECT_FALSE(items(lineView, QStringLiteral("contextButton")).front()->isVisible());

    // Pressing where an unselected line's end is moves nothing.
    QSignalSpy reports(screen.view(), SIGNAL(draggingOccurred(QVariant)));
    const QList<QPointF> ends = line->points();
    screen.drag(pathFrom(screen.toView(ends[0]).toPoint() + QPoint(0, 30), QPoint(0, -30), 2));
    EXPECT_EQ(line->points(), ends);
    EXPECT_TRUE(reports.isEmpty());

    // A tap on empty photo selects nothing.
    screen.tap(QPoint(30, 60));
    EXPECT_TRUE(rectangle->isSelected());
    EXPECT_FALSE(line->isSelected());

    // A tap a few points beside the line, a quarter of the way along, selects it alone.
    const QPointF quarter = screen.toView(ends[0] * 0.75 + ends[1] * 0.25);
    screen.tap((quarter + QPointF(0, 6)).toPoint());
    EXPECT_TRUE(line->isSelected());
    EXPECT_FALSE(rectangle->isSelected());
    EXPECT_FALSE(screen.card()->isSelected());

    // The views were rebuilt in the new order; the selected line shows its handles.
    lineView = screen.viewOf(line);
    ASSERT_TRUE(lineView);
    const QList<QQuickItem *> discs = items(lineView, QStringLiteral("disc"));
    ASSERT_EQ(discs.size(), 2);
    for (QQuickItem *disc : discs)
        EXPECT_TRUE(disc->isVisible());
}

TEST(TargetView, labels_turn_with_their_edges_and_ring_the_selected_target)
{
    PictureScreen screen;
    screen.takePicture();
    TargetModel *rectangle = screen.add(TargetModel::Measurable::rectangle);
    const QList<QQuickItem *> labels = items(screen.viewOf(rectangle), QStringLiteral("label"));
    ASSERT_EQ(labels.size(), 4);
    const double turns[] = {0.0, 99.025, 180.0, -99.025};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(labels[k]->rotation(), turns[k], 1e-3) << k;
        const Distance edge = rectangle->distances()[k];
        const QPointF middle = screen.toView((edge.from + edge.to) / 2);
        const QPointF centre = centreOf(labels[k]);
        EXPECT_NEAR(centre.x(), middle.x(), 1e-6);
        EXPECT_NEAR(centre.y(), middle.y(), 1e-6);
        EXPECT_EQ(labels[k]->property("ringWidth").toDouble(), 1.0);
    }
    screen.card()->setIsSelected(true);
    EXPECT_EQ(labels[0]->property("ringWidth").toDouble(), 0.0);
}

TEST(ContextButton, the_card_check_mark_confirms_the_card_and_a_bin_removes_only_its_target)
{
    PictureScreen screen;
    screen.takePicture();
    const auto symbolOf = [](QQuickItem *button) {
        return items(button, QStringLiteral("symbol")).front()->property("name").toString();
    };
    QQuickItem *cardButton =
        items(screen.viewOf(screen.card()), QStringLiteral("contextButton")).front();
    EXPECT_EQ(symbolOf(cardButton), "checkmark");
    screen.tap(centreOf(cardButton).toPoint());
    EXPECT_EQ(screen.rig.model.cameraState(), CameraState::addTarget(false));

    TargetModel *kept = screen.add(TargetModel::Measurable::line);
    TargetModel *removed = screen.add(TargetModel::Measurable::rectangle);
    QQuickItem *bin = items(screen.viewOf(removed), QStringLiteral("contextButton")).front();
    EXPECT_EQ(symbolOf(bin), "trash.fill");
    screen.tap(centreOf(bin).toPoint());
    ASSERT_EQ(screen.rig.model.measurableObjects().size(), 1);
    EXPECT_EQ(screen.rig.model.measurableObjects().front(), kept);
}

TEST(FrameView, draws_the_photo_then_the_detected_outline_or_the_card_then_targets_in_order)
{
    PictureScreen screen;
    QQuickItem *stack = items(screen.view(), QStringLiteral("pictureStack")).front();
    QQuickItem *errorSlot = items(screen.view(), QStringLiteral("errorView")).front();
    EXPECT_FALSE(stack->isVisible());
    EXPECT_TRUE(errorSlot->property("active").toBool());

    ASSERT_TRUE(screen.rig.deliverAndWait(pictureWithCard()));
    EXPECT_TRUE(stack->isVisible());
    EXPECT_FALSE(errorSlot->property("active").toBool());
    QQuickItem *outline = items(screen.view(), QStringLiteral("detectedOutline")).front();
    EXPECT_TRUE(outline->isVisible());

    // The photo fills the area and is cut at its sides; it renders with the offscreen
    // platform too. The table and the card show where the mapping puts them.
    const QPoint table = screen.toView({200, 100}).toPoint();
    const QPoint card = screen.toView({378, 500}).toPoint();
    QImage shown;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        shown = screen.ui().grab();
        return shown.pixelColor(table) == QColor(70, 74, 80);
    })) << "the photo never showed";
    EXPECT_EQ(shown.pixelColor(card), QColor(235, 235, 230));

    screen.actions.mainAction();
    EXPECT_FALSE(outline->isVisible());
    ASSERT_TRUE(screen.viewOf(screen.card()));

    TargetModel *a = screen.add(TargetModel::Measurable::line);
    TargetModel *b = screen.add(TargetModel::Measurable::rectangle);
    TargetModel *c = screen.add(TargetModel::Measurable::line);
    a->setIsSelected(true); // [b, a, c]
    QList<QObject *> drawn;
    for (QQuickItem *item : screen.viewOf(a)->parentItem()->childItems())
        if (item->objectName() == QLatin1String("targetView") && item->isVisible())
            drawn.append(item->property("target").value<QObject *>());
    EXPECT_EQ(drawn, (QList<QObject *>{b, a, c}));
    // The card is drawn below every target.
    QQuickItem *cardLayer = screen.viewOf(screen.card())->parentItem();
    EXPECT_LT(cardLayer->parentItem()->childItems().indexOf(cardLayer),
              cardLayer->parentItem()->childItems().indexOf(screen.viewOf(b)));
}

TEST(ZoomView, shows_the_photo_around_the_finger_twice_as_large_inside_a_red_ring)
{
    // Each pixel's colour says where it is.
    QImage picture(3024, 4032, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x % 256, y % 256, 128));
    const QPointF finger(195, 422);
    UiHarness ui;
    QQuickItem *zoom = ui.show(
        QStringLiteral("ZoomView"),
        {{"viewSize", QSizeF(screen)},
         {"image", picture},
         {"draggedPoint", QVariant::fromValue(DraggedPoint{finger, {{1512, 100}}, "#ff0000"})}},
        screen);
    ASSERT_TRUE(zoom);
    QQuickItem *loupe = items(zoom, QStringLiteral("loupe")).front();
    EXPECT_NEAR(centreOf(loupe).x(), 86.667, 1e-3);
    EXPECT_NEAR(centreOf(loupe).y(), 313.667, 1e-3);

    const QImage shown = ui.grab();
    const QPoint middle = centreOf(loupe).toPoint();
    // 20 points left of and below the middle: 10 pixels from the finger's pixel (1512, 2016).
    const QColor seen = shown.pixelColor(middle + QPoint(-20, 20));
    EXPECT_NEAR(seen.red(), (1512 - 10) % 256, 2);
    EXPECT_NEAR(seen.green(), (2016 + 10) % 256, 2);
    // The ring at the rim, the window's white outside the circle.
    EXPECT_EQ(shown.pixelColor(middle + QPoint(-63, 0)), Palette::systemRed());
    EXPECT_EQ(shown.pixelColor(middle + QPoint(-62, -62)), QColor(Qt::white));
}
