#pragma once

#include "UiHarness.h"

#include "core/Storage.h"
#include "core/UserDefaults.h"
#include "session/CameraViewModel.h"

#include <QQuickItem>
#include <QSize>
#include <QTemporaryDir>
#include <QVariant>

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
