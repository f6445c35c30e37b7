#include "CameraScreen.h"
#include "ChromeTesting.h"
#include "UiHarness.h"

#include "session/CameraViewModel.h"
#include "session/MeasurementActions.h"

#include <QFontMetricsF>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

using chrome::child;

namespace {

QRectF sceneRect(const QQuickItem *item)
{
    return item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
}

} // namespace

// The screen's camera is the process's shared one, so this program holds this one test: its
// camera is a launch photo, as after `mirrel desk.png`.
//
// Guards the hint at the narrowest window: centred with room for the photo button on both
// sides, its text had so little width that words broke inside ("Photogra|ph", "rectangl|e").
// Every hint must keep its words whole there, be no taller than wide and stay clear of the
// photo button; from 374 pixels on, the hint stays centred.
TEST(CameraView, the_hint_keeps_its_words_whole_and_clear_of_the_photo_button)
{
    QTemporaryDir folder;
    ASSERT_TRUE(launchWithDeskPhoto(folder));

    CameraScreen camera(folder, QSize(320, 844));
    ASSERT_TRUE(camera.screen && camera.session);
    QQuickItem *screen = camera.screen;
    CameraViewModel *session = camera.session;
    UiHarness &ui = camera.ui;
    auto *actions = screen->findChild<MeasurementActions *>();
    ASSERT_TRUE(actions);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session->frame() && session->frame()->hasImage(); }));
    QQuickItem *text = child(screen, "HintView_Text");
    QQuickItem *banner = child(screen, "HintView_Banner");
    QQuickItem *openButton = child(screen, "CameraView_OpenPhotoButton");
    ASSERT_TRUE(text && banner && openButton);

    const std::function<void()> steps[] = {
        [] {},
        [&] { actions->mainAction(); },
        [&] { actions->mainAction(); },
        [&] { actions->mainAction(); },
        [&] { actions->saveImageAction(); },
    };
    for (const auto &step : steps) {
        step();
        const QString hint = text->property("text").toString();
        SCOPED_TRACE(hint.toStdString());
        for (int width : {320, 374}) {
            ui.window().resize(width, 844);
            screen->setWidth(width);
            SCOPED_TRACE(width);
            // Wrapping breaks inside a word only where the word is wider than the line.
            const QFontMetricsF metrics(text->property("font").value<QFont>());
            const QStringList words =
                hint.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            for (const QString &word : words)
                EXPECT_LE(metrics.horizontalAdvance(word), text->width()) << word.toStdString();
            // A capsule, not a tower of one or two words a line.
            EXPECT_LE(text->height(), text->width());
            EXPECT_FALSE(sceneRect(banner).intersects(sceneRect(openButton)));
            EXPECT_GE(sceneRect(banner).left(), 0);
            EXPECT_LE(sceneRect(banner).right(), width);
            if (width == 374) {
                EXPECT_NEAR(sceneRect(banner).center().x(), width / 2.0, 0.5);
            }
        }
    }
    EXPECT_EQ(session->cameraState(), CameraState::exportPicture());
}
