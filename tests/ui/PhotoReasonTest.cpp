// Why a photo cannot be used, as a German interface says it.

#include "ChromeTesting.h"
#include "UiHarness.h"

#include "capture/CameraManager.h"
#include "capture/FakeCameraPlatform.h"
#include "capture/FrameManager.h"
#include "capture/ImageLoader.h"
#include "capture/ImageProcessor.h"
#include "session/CameraViewModel.h"
#include "session/PhotoOpener.h"
#include "support/TestImages.h"
#include "ui/TextTables.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using chrome::child;
using chrome::shown;

namespace {

// The German tables for the scope of a test; English again afterwards, as the harness has it.
auto speakGerman()
{
    EXPECT_EQ(TextTables::install(QLocale(QLocale::German)), QStringLiteral("de"));
    return qScopeGuard([] { TextTables::install(QLocale(QLocale::English)); });
}

} // namespace

// Guards a sentence that switched to English halfway, with the whole path: "Dieses Foto lässt
// sich nicht messen: cannot open /home/u/Bilder/kaputtes Foto.jpg: no such file". The reason
// was the loader's English message, which the command line still prints.
TEST(PhotoReason, an_opened_photo_that_cannot_be_used_says_why_in_german_by_its_file_name)
{
    const auto german = speakGerman();
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("kaputtes Foto.jpg"));
    const QString notes = folder.filePath(QStringLiteral("Notizen.jpg"));
    ASSERT_TRUE(TestImages::writeFile(notes, "keine Pixel hier"));
    const struct
    {
        QString path;
        QString shown;
    } cases[] = {
        {missing, QStringLiteral("Dieses Foto lässt sich nicht messen: „kaputtes Foto.jpg“ wurde "
                                 "nicht gefunden.")},
        {notes, QStringLiteral("Dieses Foto lässt sich nicht messen: „Notizen.jpg“ ist kein Bild, "
                               "das Mirrel lesen kann.")},
    };
    PhotoOpener opener;
    QSignalSpy failed(&opener, &PhotoOpener::failed);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        opener.openPath(c.path);
        ASSERT_TRUE(failed.wait(10000));
        // Worded as the measurement screen words it.
        const QString message =
            qtTrId("OpenPhoto_Failed").arg(failed.takeFirst().first().toString());
        EXPECT_EQ(message, c.shown);
        EXPECT_FALSE(message.contains(folder.path()));
    }
}

// Guards the same for a photo given at launch (`mirrel PHOTO`): the error view in the photo's
// place gave the loader's English and the whole path inside a German sentence.
TEST(PhotoReason, a_launch_photo_that_cannot_be_used_says_why_in_german_by_its_file_name)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("kaputtes Foto.jpg"));
    CameraManager camera(std::make_shared<FakeCameraPlatform>(),
                         CameraManager::Setup{false, StillPhotoSource(missing)});
    FrameManager frames(camera, QStringLiteral(":/no-test-frame"));
    ImageProcessor processor;
    CameraViewModel session(camera, frames, processor, nullptr);
    // After the session, so that the view goes first.
    UiHarness ui;
    const auto german = speakGerman();
    QQuickItem *view =
        ui.show(QStringLiteral("import QtQuick\nimport Mirrel as Mirrel\n"
                               "Mirrel.FrameView { viewSize: Qt.size(390, 844) }"),
                {{"model", QVariant::fromValue<QObject *>(&session)}}, QSize(390, 844));
    ASSERT_TRUE(view);
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.error().has_value(); }));
    QQuickItem *message = child(view, "CameraErrorView_Message");
    ASSERT_TRUE(message);
    EXPECT_TRUE(shown(message));
    EXPECT_EQ(message->property("text").toString(),
              QStringLiteral("Dieses Foto lässt sich nicht öffnen: „kaputtes Foto.jpg“ wurde nicht "
                             "gefunden. Wähle ein anderes Bild."));
    // The loader's words stay with the session, for the log.
    EXPECT_EQ(session.errorDetail(), ImageLoader::load(missing).error);
}
