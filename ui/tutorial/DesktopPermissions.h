#pragma once

#include "ui/tutorial/Permissions.h"

// The desktop's answers, given on a worker thread. The camera is granted exactly when the camera
// manager would be allowed to open it (the device node of the preferred camera can be opened,
// or there is no camera at all, which is not a permission problem). The desktop has no photo
// library to guard: that answer is always yes.
class DesktopPermissions final : public Permissions
{
public:
    void requestCameraAccess(Answer answer) override;
    void requestPhotoLibraryAccess(Answer answer) override;
};
