#pragma once

#include "UiHarness.h"

#include "capture/StillPhotoSource.h"
#include "core/Storage.h"
#include "core/UserDefaults.h"
#include "session/CameraViewModel.h"

#include <QColor>
#include <QImage>
#include <QQuickItem>
#include <QSize>
#include <QTemporaryDir>
#include <QVariant>

// A plain grey photo, as of an empty desk.
inline QImage deskPhoto(QSize size)
{
    QImage photo(size, QImage::Format_RGB32);
    photo.fill(QColor(70, 74, 80));
    return photo;
}

// Saves a 640 x 480 desk photo in `folder` as the launch photo, as after `mirrel desk.png`: the
// camera of a screen made afterwards shows it. False when it could not be saved.
inline bool launchWithDeskPhoto(const QTemporaryDir &folder)
{
    const QString desk = folder.filePath(QStringLiteral("desk.png"));
    if (!deskPhoto({640, 480}).save(desk))
        return false;
    StillPhotoSource::setLaunchPhoto(desk);
    return true;
}

// The measurement screen in a window of `size`, on a settings file of its own in `folder`, with
// the session it shows. Null screen and session when the screen could not be made.
struct CameraScreen
{
    CameraScreen(const QTemporaryDir &folder, QSize size)
        : defaults(folder.filePath(QStringLiteral("Mirrel.conf"))), storage(defaults),
          screen(ui.show(QStringLiteral("CameraView"), {{"storage", QVariant::fromValue(&storage)}},
                         size)),
          session(screen ? screen->property("model").value<CameraViewModel *>() : nullptr)
    {
    }

    UserDefaults defaults;
    Storage storage;
    UiHarness ui;
    QQuickItem *screen;
    CameraViewModel *session;
};
