#include "capture/ImageProcessor.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

namespace {
QImage plain(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
} // namespace

TEST(ImageProcessor, holds_the_last_frame_and_freezes_on_it)
{
    ImageProcessor processor;
    // The very first call asks for the held frame; there is none, so the new one stays.
    QImage first = plain(64, 48, qRgb(10, 20, 30));
    EXPECT_FALSE(processor.processImage(first, true, false));
    ASSERT_TRUE(processor.lastImage());
    EXPECT_EQ(processor.lastImage()->pixel(0, 0), qRgb(10, 20, 30));

    // A live frame without a card: no corners, but it is held.
    QImage live = plain(64, 48, qRgb(200, 200, 200));
    EXPECT_FALSE(processor.processImage(live, false, true));
    EXPECT_EQ(processor.lastImage()->pixel(0, 0), qRgb(200, 200, 200));

    // Frozen: later frames are replaced by the held one and nothing is searched.
    for (int i = 0; i < 2; ++i) {
        QImage incoming = plain(64, 48, qRgb(0, 0, 255));
        EXPECT_FALSE(processor.processImage(incoming, true, false));
        EXPECT_EQ(incoming.pixel(0, 0), qRgb(200, 200, 200));
        EXPECT_EQ(incoming.constBits(), live.constBits()); // the held frame, not a copy
    }
}

TEST(ImageProcessor, corners_come_back_y_down_clockwise_from_the_top_left)
{
    ImageProcessor processor;
    const QRectF card(300, 200, 540, 340);
    QImage frame = TestImages::cardOnTable(1280, 960, card);
    const auto corners = processor.processImage(frame, false, true);
    ASSERT_TRUE(corners) << "the detector found no card";
    ASSERT_EQ(corners->size(), 4);
    const QPointF expected[] = {card.topLeft(), card.topRight(), card.bottomRight(),
                                card.bottomLeft()};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR((*corners)[i].x(), expected[i].x(), 1.0) << "corner " << i;
        EXPECT_NEAR((*corners)[i].y(), expected[i].y(), 1.0) << "corner " << i;
    }
}
