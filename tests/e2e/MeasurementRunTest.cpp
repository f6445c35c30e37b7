#include "AppDriver.h"

#include "core/Session.h"
#include "core/Storage.h"
#include "core/TargetModel.h"
#include "session/CameraState.h"
#include "session/CameraViewModel.h"
#include "ui/PictureMapping.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

// A user-interface test run of the whole program ("isUITest" among its arguments): the bundled
// scene comes in as the camera's picture and is measured with real pointer events on the
// window, from the first frame to the saved picture and back to the live preview.

namespace {

// The bundled scene's object: a pencil of known length.
struct SceneObject
{
    QPointF from;
    QPointF to;
    double lengthMm = 0;
};

std::optional<SceneObject> bundledObject()
{
    QFile file(QStringLiteral(":/mirrel/test.json"));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(file.readAll())["object"].toObject();
    const auto point = [&](const char *key) {
        const QJsonArray xy = object[QLatin1String(key)].toArray();
        return QPointF(xy[0].toDouble(), xy[1].toDouble());
    };
    return SceneObject{point("from"), point("to"), object["lengthMm"].toDouble()};
}

// A label's text as a length in millimetres, whatever the unit; NaN when it is no length.
struct ShownLength
{
    double millimetres = std::nan("");
    QString unit;
};

ShownLength parseLength(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^(-?[0-9]+(?:\\.[0-9]+)?) (mm|in)$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    const double value = match.captured(1).toDouble();
    return {match.captured(2) == QLatin1String("in") ? value * 25.4 : value, match.captured(2)};
}

class MeasurementRun : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!Session::shared().isUITest())
            GTEST_SKIP() << "needs the process argument isUITest";
        ASSERT_TRUE(app.window()) << "the window did not load";
        auto *loader = app.find(QStringLiteral("measurementScreen"));
        ASSERT_TRUE(loader);
        screen = loader->property("item").value<QQuickItem *>();
        ASSERT_TRUE(screen) << "the measurement screen is not shown in a test run";
        session = screen->property("model").value<CameraViewModel *>();
        ASSERT_TRUE(session);
    }

    [[nodiscard]] CameraState state() const { return session->cameraState(); }

    // The frame view is rebuilt when the settings close; always the current one.
    [[nodiscard]] QQuickItem *frameView() const { return app.find(QStringLiteral("frameView")); }

    [[nodiscard]] QQuickItem *mainButton() const
    {
        return app.waitShown(QStringLiteral("CameraBottomView_CameraMainButton"));
    }

    // The save/restart button has no identifier of its own: it is found by its type.
    [[nodiscard]] QQuickItem *saveButton() const
    {
        QQuickItem *item = nullptr;
        AppDriver::waitFor([&] {
            item = app.find([](QQuickItem *candidate) {
                return QString::fromLatin1(candidate->metaObject()->className())
                    .startsWith(QLatin1String("CameraSaveImageButton"));
            });
            return AppDriver::shown(item);
        });
        return item;
    }

    // The text of the line's length label, once it shows.
    [[nodiscard]] QString lineLabel() const
    {
        QQuickItem *line = app.waitShown(QStringLiteral("targetView"));
        QQuickItem *label = line ? app.waitShown(QStringLiteral("label"), line) : nullptr;
        QQuickItem *text =
            label ? app.find([](QQuickItem *item) { return item->inherits("QQuickText"); }, label)
                  : nullptr;
        return text ? text->property("text").toString() : QString();
    }

    // Where the handle on point `index` of the line shows, in window coordinates.
    [[nodiscard]] QPointF handle(int index) const
    {
        const auto isHandle = [index](QQuickItem *item) {
            return item->objectName() == QLatin1String("handle") &&
                   item->property("pointIndex").toInt() == index;
        };
        QQuickItem *line = app.find(QStringLiteral("targetView"));
        QQuickItem *gesture = line ? app.find(isHandle, line) : nullptr;
        QQuickItem *touch = gesture ? app.find(QStringLiteral("touchArea"), gesture) : nullptr;
        EXPECT_TRUE(AppDriver::shown(touch)) << "no handle for point " << index;
        return touch ? AppDriver::centreOf(touch) : QPointF();
    }

    // Where a point of the photo shows in the window.
    [[nodiscard]] QPointF onScreen(QPointF imagePoint) const
    {
        QQuickItem *view = frameView();
        const QSizeF imageSize = view->property("imageSize").toSizeF();
        return view->mapToScene(PictureMapping::viewPoint(imagePoint, imageSize, view->size()));
    }

    void takePictureAndConfirmCard();
    void addLineOnTheObject(const SceneObject &truth);
    void switchToImperial(const SceneObject &truth);
    void exportAndSave(QImage &saved);
    void backToLivePreview();

    AppDriver app;
    QQuickItem *screen = nullptr;
    CameraViewModel *session = nullptr;
};

} // namespace

// The test frame arrives on its own with the card found in it; the main button takes the
// picture with the card on the detected corners, and confirms the card.
void MeasurementRun::takePictureAndConfirmCard()
{
    ASSERT_TRUE(AppDriver::waitFor([&] {
        QQuickItem *view = frameView();
        return view && view->property("hasImage").toBool();
    })) << "the test frame never showed";
    ASSERT_TRUE(app.waitShown(QStringLiteral("detectedOutline")))
        << "the card in the test frame is not outlined";
    EXPECT_EQ(frameView()->property("imageSize").toSizeF(), QSizeF(3024, 4032));
    ASSERT_EQ(state(), CameraState::takePicture());
    app.snapshot(QStringLiteral("1-live"));

    app.click(mainButton());
    ASSERT_TRUE(
        AppDriver::waitFor([&] { return state().is(CameraState::Kind::confirmCardSelection); }));
    ASSERT_TRUE(session->referenceRectangle());
    EXPECT_TRUE(app.waitShown(QStringLiteral("cardView")));
    EXPECT_FALSE(AppDriver::shown(app.find(QStringLiteral("detectedOutline"))));
    app.snapshot(QStringLiteral("2-card"));

    app.click(mainButton());
    ASSERT_TRUE(AppDriver::waitFor([&] { return state() == CameraState::addTarget(false); }));
}

// The add buttons open; a new line appears on the object; each end dragged away changes the
// length, each end dragged back onto the object's ends gives the object's length again.
void MeasurementRun::addLineOnTheObject(const SceneObject &truth)
{
    app.click(mainButton());
    ASSERT_TRUE(AppDriver::waitFor([&] { return state() == CameraState::addTarget(true); }));
    QQuickItem *addLine = app.waitShown(QStringLiteral("CameraMainButton_AddLineButton"));
    ASSERT_TRUE(addLine) << "the add-line button did not show";
    app.click(addLine);
    ASSERT_TRUE(AppDriver::waitFor([&] { return session->measurableObjects().size() == 1; }));
    ASSERT_TRUE(AppDriver::waitFor([&] { return parseLength(lineLabel()).unit == "mm"; }))
        << "label: " << lineLabel().toStdString();
    app.snapshot(QStringLiteral("3-line"));

    const QPointF ends[2] = {truth.from, truth.to};
    for (int index = 0; index < 2; ++index) {
        SCOPED_TRACE("end " + std::to_string(index));
        // The loupe shows while the finger is down and goes when it lifts.
        QQuickItem *loupe = app.find(QStringLiteral("zoomView"));
        ASSERT_TRUE(loupe);
        app.drag(handle(index), handle(index) + QPointF(45, -60), [&] {
            EXPECT_TRUE(AppDriver::waitFor([&] { return loupe->opacity() == 1.0; }))
                << "no loupe while dragging";
        });
        EXPECT_TRUE(AppDriver::waitFor([&] { return loupe->opacity() == 0.0; }))
            << "the loupe stays after the finger lifted";
        ASSERT_TRUE(AppDriver::waitFor([&] {
            return std::abs(parseLength(lineLabel()).millimetres - truth.lengthMm) > 5;
        })) << "dragging an end away left the label at "
            << lineLabel().toStdString();
        app.drag(handle(index), onScreen(ends[index]));
        ASSERT_TRUE(AppDriver::waitFor([&] {
            return std::abs(parseLength(lineLabel()).millimetres - truth.lengthMm) <= 1.0;
        })) << "label: "
            << lineLabel().toStdString();
    }
    app.snapshot(QStringLiteral("4-dragged"));
    // A finger lands on whole window points: within half a point, five photo pixels here.
    ASSERT_EQ(session->measurableObjects().size(), 1);
    const QList<QPointF> points = session->measurableObjects()[0]->points();
    for (int index = 0; index < 2; ++index) {
        EXPECT_NEAR(points[index].x(), ends[index].x(), 5.0);
        EXPECT_NEAR(points[index].y(), ends[index].y(), 5.0);
    }
}

// The settings take the screen's place; the unit picker switches to imperial; closed, the
// screen comes back with the same line, now labelled in inches.
void MeasurementRun::switchToImperial(const SceneObject &truth)
{
    app.click(app.waitShown(QStringLiteral("CameraBottomView_CameraHelpButton")));
    QQuickItem *imperial = app.waitShown(QStringLiteral("SettingsAppUnitView_Imperial"));
    ASSERT_TRUE(imperial) << "the settings did not open";
    EXPECT_FALSE(app.find(QStringLiteral("frameView")));
    app.click(imperial);
    auto *storage = screen->property("storage").value<Storage *>();
    ASSERT_TRUE(storage);
    ASSERT_TRUE(
        AppDriver::waitFor([&] { return storage->unitSystem() == Storage::UnitSystem::imperial; }));
    app.snapshot(QStringLiteral("5-settings"));
    app.click(app.waitShown(QStringLiteral("SettingsView_CloseButton")));
    ASSERT_TRUE(AppDriver::waitFor([&] { return !storage->showSettings(); }));

    ASSERT_TRUE(AppDriver::waitFor([&] { return parseLength(lineLabel()).unit == "in"; }))
        << "label: " << lineLabel().toStdString();
    // One decimal of an inch: within 0.05 in of the truth, plus the drag's millimetre.
    EXPECT_NEAR(parseLength(lineLabel()).millimetres, truth.lengthMm, 0.05 * 25.4 + 1.0)
        << lineLabel().toStdString();
    EXPECT_EQ(session->cameraState().kind(), CameraState::Kind::addTarget);
    app.snapshot(QStringLiteral("6-imperial"));
}

// The save button leads to the export state; the main button there renders the picture and
// opens the share sheet; its save action asks for a file in the save dialog and writes a PNG,
// read back into `saved`.
void MeasurementRun::exportAndSave(QImage &saved)
{
    QQuickItem *save = saveButton();
    ASSERT_TRUE(save) << "the save button did not show";
    app.click(save);
    ASSERT_TRUE(AppDriver::waitFor([&] { return state() == CameraState::exportPicture(); }));
    app.click(mainButton());
    QQuickItem *saveAction = app.waitShown(QStringLiteral("ActivityViewController_SaveButton"));
    ASSERT_TRUE(saveAction) << "the share sheet did not open";
    QQuickItem *sheet =
        app.find(QStringLiteral("shareSheet"))->property("item").value<QQuickItem *>();
    // Enabled once the rendered picture has arrived.
    EXPECT_TRUE(AppDriver::waitFor([&] { return saveAction->isEnabled(); }));
    app.snapshot(QStringLiteral("7-share"));
    app.click(saveAction);
    auto *dialog = sheet->findChild<QObject *>(QStringLiteral("ActivityViewController_SaveDialog"));
    ASSERT_TRUE(dialog && AppDriver::waitFor([&] { return dialog->property("visible").toBool(); }))
        << "the save dialog did not open";
    // Qt Quick's own dialog: its name field is typed into as a user would.
    QQuickItem *name = app.find(QStringLiteral("fileNameTextField"));
    if (!name)
        name = dialog->findChild<QQuickItem *>(QStringLiteral("fileNameTextField"));
    ASSERT_TRUE(name) << "the save dialog has no name field";
    name->forceActiveFocus();
    QMetaObject::invokeMethod(name, "selectAll");
    for (const char letter : QByteArrayLiteral("pencil"))
        QTest::keyClick(app.window(), letter);
    app.snapshot(QStringLiteral("8-save-dialog"));
    QMetaObject::invokeMethod(dialog, "accept");

    const QString path =
        QDir(dialog->property("currentFolder").toUrl().toLocalFile()).filePath("pencil.png");
    ASSERT_TRUE(AppDriver::waitFor([&] { return QFile::exists(path); }))
        << "nothing was saved at " << path.toStdString();
    QImageReader reader(path);
    EXPECT_EQ(reader.format(), QByteArray("png"));
    saved = reader.read();
}

// Done closes the sheet; the restart button goes back to the live preview, where the card is
// searched again and nothing of the measurement is left.
void MeasurementRun::backToLivePreview()
{
    app.click(app.waitShown(QStringLiteral("ActivityViewController_DoneButton")));
    ASSERT_TRUE(AppDriver::waitFor(
        [&] { return !app.find(QStringLiteral("shareSheet"))->property("active").toBool(); }));
    EXPECT_EQ(state(), CameraState::exportPicture());
    app.click(saveButton());
    ASSERT_TRUE(AppDriver::waitFor([&] { return state() == CameraState::takePicture(); }));
    EXPECT_TRUE(session->measurableObjects().isEmpty());
    EXPECT_FALSE(session->referenceRectangle());
    EXPECT_TRUE(app.waitShown(QStringLiteral("detectedOutline")))
        << "the live preview does not outline the card again";
    EXPECT_FALSE(app.find(QStringLiteral("targetView")));
    app.snapshot(QStringLiteral("9-live-again"));
}

TEST_F(MeasurementRun, UITest_measure_the_bundled_object_switch_units_export_and_start_over)
{
    const std::optional<SceneObject> truth = bundledObject();
    ASSERT_TRUE(truth) << "the bundled scene's description is missing";
    ASSERT_NO_FATAL_FAILURE(takePictureAndConfirmCard());
    ASSERT_NO_FATAL_FAILURE(addLineOnTheObject(*truth));
    ASSERT_NO_FATAL_FAILURE(switchToImperial(*truth));

    const QSizeF viewSize = frameView()->size();
    const QSizeF imageSize(3024, 4032);
    const QPointF quarter = truth->from + (truth->to - truth->from) * 0.25;
    QImage saved;
    ASSERT_NO_FATAL_FAILURE(exportAndSave(saved));
    ASSERT_FALSE(saved.isNull()) << "the saved file is no picture";
    // The picture area as it shows, at the photo's own resolution.
    const double scale = PictureMapping::exportScale(imageSize, viewSize);
    EXPECT_EQ(saved.size(),
              QSize(std::lround(viewSize.width() * scale), std::lround(viewSize.height() * scale)));
    EXPECT_TRUE(saved.height() == 4032 || saved.width() == 3024)
        << "not at the photo's resolution: " << saved.width() << "x" << saved.height();
    // The line is drawn into it, on the object.
    const QPoint onLine =
        (PictureMapping::viewPoint(quarter, imageSize, viewSize) * scale).toPoint();
    const QColor line = PictureMapping::targetColor(session->measurableObjects()[0]);
    bool lineFound = false;
    for (int dy = -8; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
            const QColor pixel = saved.pixelColor(onLine + QPoint(dx, dy));
            lineFound = lineFound || std::abs(pixel.red() - line.red()) +
                                             std::abs(pixel.green() - line.green()) +
                                             std::abs(pixel.blue() - line.blue()) <
                                         40;
        }
    }
    EXPECT_TRUE(lineFound) << "the exported picture has no line on the object";

    ASSERT_NO_FATAL_FAILURE(backToLivePreview());
}
