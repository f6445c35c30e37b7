#include "ui/tutorial/DesktopPermissions.h"

#include "capture/CameraPlatform.h"
#include "capture/CameraPlatformQt.h"

#include <QThreadPool>

void DesktopPermissions::requestCameraAccess(Answer answer)
{
    // The device list belongs to the GUI thread; opening the device node may block, so that
    // part runs on a worker, as a platform's answer would.
    const QCameraDevice camera = CameraPlatformQt::preferredCamera();
    const QByteArray node = camera.isNull() ? QByteArray() : camera.id();
    QThreadPool::globalInstance()->start([node, answer = std::move(answer)] {
        const bool granted = node.isEmpty() || CameraPlatformQt::authorizationForDeviceNode(node) ==
                                                   CameraPlatform::authorized;
        answer(granted);
    });
}

void DesktopPermissions::requestPhotoLibraryAccess(Answer answer)
{
    QThreadPool::globalInstance()->start([answer = std::move(answer)] { answer(true); });
}
