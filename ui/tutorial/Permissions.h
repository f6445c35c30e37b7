#pragma once

#include <functional>
#include <memory>

// The two questions the tutorial asks: may Mirrel use the camera, and may it keep pictures in
// the photo library. Each answer arrives once, on whatever thread the platform answers on
// (usually not the GUI thread), also when the question was decided long ago.
class Permissions
{
public:
    using Answer = std::function<void(bool granted)>;

    virtual ~Permissions() = default;

    virtual void requestCameraAccess(Answer answer) = 0;
    virtual void requestPhotoLibraryAccess(Answer answer) = 0;

    // The permissions in use: the desktop's unless a test installed others. GUI thread only.
    [[nodiscard]] static std::shared_ptr<Permissions> current();
    // Makes `permissions` the current ones (null restores the desktop's); returns the previous.
    static std::shared_ptr<Permissions> install(std::shared_ptr<Permissions> permissions);
};
