#pragma once

#include "UiHarness.h"

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
