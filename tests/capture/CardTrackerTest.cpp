#include "capture/CardTracker.h"
#include "capture/CardDetector.h"
#include "tests/capture/DetectorTesting.h"
#include "tools/scenegen/SceneGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

using namespace DetectorTesting;

// A phone held over a card on a table, the pose pinned so only the camera's path moves.
SceneSpec heldOver(SceneCategory category, quint64 seed)
{
    SceneSpec setup;
    setup.category = category;
    setup.seed = seed;
    setup.width = 1920;
    setup.height = 1080;
    setup.tiltDeg = 12;
    setup.rollDeg = 4;
    setup.yawDeg = 8;
    setup.focalPx = 1700;
    setup.cardWidthFraction = 0.3;
    setup.cardCentre = QPointF(760, 540);
    return setup;
}

} // namespace

// Guards the live outline: while the camera moves, it follows the card in every frame (most of
// them without a search of the whole frame) and never jumps to another rectangle.
TEST(CardTracker, follows_the_card_as_the_camera_moves)
{
    for (const auto category : {SceneCategory::Plain, SceneCategory::Distractors}) {
        CardDetector detector;
        CardTracker tracker(detector);
        int onCard = 0, tracked = 0, frames = 0;
        for (const SceneSpec &setup : cameraPath(heldOver(category, 71), 16, 0.01)) {
            const Scene scene = renderScene(setup);
            const auto found = tracker.features(scene.image, detector.options());
            ++frames;
            tracked += tracker.tracked();
            if (!found.empty() &&
                worstCorner(flipped(found.front(), scene.image.height()), scene.card) < 3.0)
                ++onCard;
        }
        std::printf("%s: card outlined in %d of %d frames, %d tracked\n",
                    qPrintable(sceneCategoryName(category)), onCard, frames, tracked);
        EXPECT_EQ(onCard, frames) << qPrintable(sceneCategoryName(category));
        EXPECT_GE(tracked, frames - 2) << qPrintable(sceneCategoryName(category));
    }
}

// Guards a steady outline on a still scene: from frame to frame only the sensor noise changes,
// and the corners must not wander with it.
TEST(CardTracker, holds_still_on_a_still_scene)
{
    CardDetector detector;
    CardTracker tracker(detector);
    std::vector<double> jitter;
    Quad previous{};
    bool first = true;
    for (const SceneSpec &setup : cameraPath(heldOver(SceneCategory::Plain, 72), 10, 0.0)) {
        const Scene scene = renderScene(setup);
        const auto found = tracker.features(scene.image, detector.options());
        ASSERT_FALSE(found.empty());
        const Quad now = flipped(found.front(), scene.image.height());
        if (!first)
            jitter.push_back(worstCorner(now, previous));
        previous = now;
        first = false;
    }
    std::sort(jitter.begin(), jitter.end());
    double mean = 0;
    for (double j : jitter)
        mean += j / double(jitter.size());
    std::printf("frame-to-frame corner jitter: mean %.3f px, largest %.3f px\n", mean,
                jitter.back());
    EXPECT_LT(mean, 0.3);
}
