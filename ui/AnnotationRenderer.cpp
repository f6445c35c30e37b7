#include "ui/AnnotationRenderer.h"

#include "capture/CameraManager.h"
#include "capture/FrameManager.h"
#include "capture/ImageProcessor.h"
#include "capture/StillPhotoSource.h"
#include "core/Distance.h"
#include "core/LineTargetModel.h"
#include "core/ReferenceTargetModel.h"
#include "session/CameraViewModel.h"
#include "ui/PictureMapping.h"

#include <QEventLoop>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickItemGrabResult>
#include <QQuickWindow>
#include <QTimer>

#include <memory>

namespace {

constexpr double phoneScreenHeight = 844;
// Rendering a large photo in software takes a few seconds on a slow machine.
constexpr int renderTimeoutMs = 120000;

// The card and the segments on the photo, in the state the export renders: nothing selected.
void stage(CameraViewModel &session, const AnnotationRenderer::Scene &scene)
{
    session.setCameraState(CameraState::exportPicture());
    // Frozen, so the photo is shown as it is and not searched again.
    session.processFrame(scene.photo);

    auto *card = new ReferenceTargetModel(scene.card, &session);
    session.setReferenceRectangle(card);
    card->setIsSelected(false);
    for (const QLineF &segment : scene.segments) {
        auto *line = new LineTargetModel(scene.photo.width(), scene.photo.height(), false,
                                         &session);
        line->setPoints({segment.p1(), segment.p2()});
        line->setDistances({Distance{segment.p1(), segment.p2(), 0}});
        line->updateAllDistances(card->projectiveMatrix());
        session.appendMeasurable(line);
    }
}

std::unique_ptr<QQuickItem> frameView(QQmlEngine &engine, CameraViewModel &session, QSizeF size,
                                      QString *error)
{
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nimport Mirrel as Mirrel\nMirrel.FrameView {}\n",
                      QUrl(QStringLiteral("qrc:/Mirrel/AnnotationRenderer.qml")));
    std::unique_ptr<QObject> object(component.createWithInitialProperties(
        {{QStringLiteral("model"), QVariant::fromValue(&session)},
         {QStringLiteral("viewSize"), size},
         {QStringLiteral("imageLabel"), qtTrId("Content from camera")}}));
    auto *item = qobject_cast<QQuickItem *>(object.get());
    if (!item) {
        *error = QStringLiteral("the picture view did not load: %1").arg(component.errorString());
        return nullptr;
    }
    object.release();
    return std::unique_ptr<QQuickItem>(item);
}

} // namespace

QSizeF AnnotationRenderer::viewSize(QSizeF photoSize)
{
    const double longer = std::max(photoSize.width(), photoSize.height());
    if (longer <= 0)
        return {};
    return photoSize * (phoneScreenHeight / longer);
}

AnnotationRenderer::Result AnnotationRenderer::render(const Scene &scene)
{
    if (scene.photo.isNull() || scene.card.size() != 4)
        return {{}, QStringLiteral("nothing to draw")};

    // The session shows this photo and never touches a camera.
    CameraManager camera(nullptr, CameraManager::Setup{false, StillPhotoSource(scene.photoPath)});
    FrameManager frames(camera, QString());
    ImageProcessor processor;
    CameraViewModel session(camera, frames, processor, nullptr);
    stage(session, scene);

    QQmlEngine engine;
    engine.addImportPath(QStringLiteral("qrc:/"));
    const QSizeF size = viewSize(scene.photo.size());
    QString error;
    const std::unique_ptr<QQuickItem> item = frameView(engine, session, size, &error);
    if (!item)
        return {{}, error};

    QQuickWindow window;
    window.setColor(Qt::transparent);
    window.resize(size.toSize());
    item->setParentItem(window.contentItem());
    window.show();

    const double scale = PictureMapping::exportScale(scene.photo.size(), size);
    const QSize target(qRound(size.width() * scale), qRound(size.height() * scale));
    const QSharedPointer<QQuickItemGrabResult> grab = item->grabToImage(target);
    if (!grab) {
        item->setParentItem(nullptr);
        return {{}, QStringLiteral("the picture could not be rendered")};
    }
    QEventLoop loop;
    QObject::connect(grab.data(), &QQuickItemGrabResult::ready, &loop, &QEventLoop::quit);
    QTimer::singleShot(renderTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QImage image = grab->image();
    item->setParentItem(nullptr);
    if (image.isNull())
        return {{}, QStringLiteral("the picture could not be rendered")};
    return {std::move(image), {}};
}
