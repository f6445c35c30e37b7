#include "CameraScreen.h"
#include "ChromeTesting.h"
#include "UiHarness.h"
#include "session/SessionRig.h"

#include "capture/FeedbackManager.h"
#include "capture/StillPhotoSource.h"
#include "core/ReferenceTargetModel.h"
#include "session/CameraViewModel.h"
#include "session/MeasurementActions.h"
#include "ui/PictureMapping.h"

#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using chrome::items;
using chrome::shown;
using chrome::viewOf;

namespace {

const QSize window(390, 844);
const QSize photo(756, 1008);

QPoint toView(QPointF imagePoint)
{
    return PictureMapping::viewPoint(imagePoint, photo, window).toPoint();
}

int taps()
{
    return static_cast<FeedbackManager::CountingOutput &>(FeedbackManager::shared().impact())
        .impactCount();
}

// The indices of target's points whose handle wears the ring of the active point.
QList<int> ringed(QQuickItem *screen, const TargetModel *target)
{
    QList<int> found;
    QQuickItem *view = viewOf(screen, target);
    if (!view)
        return found;
    for (QQuickItem *disc : items(view, QStringLiteral("disc")))
        if (shown(items(disc, QStringLiteral("activeRing")).value(0)))
            found.append(disc->property("pointIndex").toInt());
    return found;
}

QString labelText(QQuickItem *screen, const TargetModel *target)
{
    const QList<QQuickItem *> labels = items(viewOf(screen, target), QStringLiteral("label"));
    for (QQuickItem *child : labels.value(0)->childItems())
        if (child->property("text").isValid())
            return child->property("text").toString();
    return {};
}

} // namespace

// The screen's camera is the process's shared one, so this program holds this one test: its
// camera is a launch photo of a card on a table.
//
// Guards the arrow keys moving a point other than the one the user last pressed, by other than
// whole pixels of the photo, past the picture's border, without measuring it anew, or while
// they belong to the settings; moving a target no longer selected or already deleted; and the
// loupe staying up after the key is let go. Also guards a held Space running through the
// screen's states.
TEST(CameraView, arrow_keys_nudge_the_last_pressed_point_by_whole_pixels)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("card.png"));
    ASSERT_TRUE(cardPicture(photo, QPolygonF{QPointF(218, 400), QPointF(538, 400),
                                             QPointF(538, 601.48), QPointF(218, 601.48)})
                    .save(path));
    StillPhotoSource::setLaunchPhoto(path);

    CameraScreen camera(folder, window);
    ASSERT_TRUE(camera.screen && camera.session);
    QQuickItem *screen = camera.screen;
    CameraViewModel *session = camera.session;
    QQuickWindow *shownIn = &camera.ui.window();
    shownIn->requestActivate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(shownIn));
    auto *actions = screen->findChild<MeasurementActions *>();
    ASSERT_TRUE(actions);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->frame() && session->frame()->points(); }))
        << "the card was not detected";
    actions->mainAction();
    ReferenceTargetModel *card = session->referenceRectangle();
    ASSERT_TRUE(card && card->isSelected());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewOf(screen, card) != nullptr; }));
    // Space held down: its repeats are no presses of the main button.
    chrome::repeatedPress(shownIn, Qt::Key_Space, QStringLiteral(" "));
    EXPECT_TRUE(session->cameraState().is(CameraState::Kind::confirmCardSelection));

    QQuickItem *zoom = chrome::child(screen, "zoomView");
    ASSERT_TRUE(zoom);
    const auto loupeAt = [&](QPointF imagePoint) {
        const auto record = screen->property("draggedPoint").value<DraggedPoint>();
        return zoom->opacity() == 1 &&
               record.center == PictureMapping::viewPoint(imagePoint, photo, window);
    };
    const auto loupeGone = [&] {
        return zoom->opacity() == 0 &&
               screen->property("draggedPoint").value<DraggedPoint>().isNone();
    };
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(shownIn, k, modifiers);
    };

    // Before any press the arrows move nothing.
    const QList<QPointF> untouched = card->points();
    key(Qt::Key_Right);
    EXPECT_EQ(card->points(), untouched);
    EXPECT_TRUE(ringed(screen, card).isEmpty());

    // A click on a corner makes it the active point, ringed; held, an arrow moves it by one
    // pixel and the loupe shows it until the key is let go, which taps once like a drag's end.
    QTest::mouseClick(shownIn, Qt::LeftButton, {}, toView(untouched[2]));
    const QPointF corner = card->points()[2];
    EXPECT_EQ(ringed(screen, card), QList<int>{2});
    const int tapsBefore = taps();
    QTest::keyPress(shownIn, Qt::Key_Right);
    EXPECT_EQ(card->points()[2].x(), corner.x() + 1);
    EXPECT_EQ(card->points()[2].y(), corner.y());
    for (int k : {0, 1, 3})
        EXPECT_EQ(card->points()[k], untouched[k]) << k;
    EXPECT_TRUE(QTest::qWaitFor([&] { return loupeAt(corner + QPointF(1, 0)); }));
    QTest::keyRelease(shownIn, Qt::Key_Right);
    EXPECT_TRUE(QTest::qWaitFor(loupeGone));
    EXPECT_EQ(taps(), tapsBefore + 1);

    // Ten with Shift; and kept at the picture's right border, which shows 756 / 2 + 195 points
    // of 1008 / 844 pixels each.
    key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(card->points()[2].x(), corner.x() + 1);
    EXPECT_EQ(card->points()[2].y(), corner.y() + 10);
    for (int i = 0; i < 10; ++i)
        key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_DOUBLE_EQ(card->points()[2].x(), 378 + 195 * 1008.0 / 844);
    EXPECT_EQ(card->points()[2].y(), corner.y() + 10);

    // The card confirmed is no longer selected: its corner stays.
    actions->mainAction();
    ASSERT_FALSE(card->isSelected());
    const QList<QPointF> confirmed = card->points();
    key(Qt::Key_Left);
    EXPECT_EQ(card->points(), confirmed);

    // A line's end, pressed: it moves and its length is measured and labelled anew.
    actions->addMeasurableAction(TargetModel::Measurable::line);
    QPointer<TargetModel> line = session->measurableObjects().last();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewOf(screen, line) != nullptr; }));
    QTest::mouseClick(shownIn, Qt::LeftButton, {}, toView(line->points()[1]));
    const QPointF end = line->points()[1];
    const double length = line->distances()[0].distance;
    const QString label = labelText(screen, line);
    EXPECT_EQ(ringed(screen, line), QList<int>{1});
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(line->points()[1], end - QPointF(10, 0));
    EXPECT_NE(line->distances()[0].distance, length);
    EXPECT_NE(labelText(screen, line), label);

    // The settings have the arrows while they show: they pick the unit; closed, the keys move
    // the point again.
    const QList<QPointF> beforeSettings = line->points();
    camera.storage.setShowSettings(true);
    QQuickItem *metric = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        metric = items(screen, QStringLiteral("SettingsAppUnitView_Metric")).value(0);
        return metric != nullptr;
    }));
    metric->forceActiveFocus(Qt::TabFocusReason);
    key(Qt::Key_Right);
    EXPECT_EQ(camera.storage.unitSystem(), Storage::UnitSystem::imperial);
    EXPECT_EQ(line->points(), beforeSettings);
    camera.storage.setShowSettings(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewOf(screen, line) != nullptr; }));
    key(Qt::Key_Up);
    EXPECT_EQ(line->points()[1], beforeSettings[1] - QPointF(0, 1));

    // Another target selected: the line's end is no longer active, also once the line is
    // selected again, and the new rectangle has none.
    actions->addMeasurableAction(TargetModel::Measurable::rectangle);
    QPointer<TargetModel> rectangle = session->measurableObjects().last();
    ASSERT_TRUE(rectangle->isSelected() && !line->isSelected());
    const QList<QPointF> lineBefore = line->points();
    const QList<QPointF> rectangleBefore = rectangle->points();
    key(Qt::Key_Down);
    EXPECT_EQ(rectangle->points(), rectangleBefore);
    line->setIsSelected(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewOf(screen, line) != nullptr; }));
    key(Qt::Key_Down);
    EXPECT_EQ(line->points(), lineBefore);
    EXPECT_TRUE(ringed(screen, line).isEmpty());

    // A deleted target's point is no longer active: nothing moves and no loupe shows.
    rectangle->setIsSelected(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewOf(screen, rectangle) != nullptr; }));
    QTest::mouseClick(shownIn, Qt::LeftButton, {}, toView(rectangleBefore[0]));
    ASSERT_EQ(ringed(screen, rectangle), QList<int>{0});
    key(Qt::Key_Backspace);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rectangle.isNull(); }));
    line->setIsSelected(true);
    QTest::keyPress(shownIn, Qt::Key_Right);
    EXPECT_EQ(line->points(), lineBefore);
    EXPECT_TRUE(screen->property("draggedPoint").value<DraggedPoint>().isNone());
    QTest::keyRelease(shownIn, Qt::Key_Right);
}
