#pragma once

#include "capture/ImageLoader.h"

#include <QString>

#include <optional>

// A photo the user gave the program (`mirrel PHOTO`, a dropped file) standing in for the
// camera: it is published once as the frame, like the test frame, and no camera is started.
class StillPhotoSource
{
public:
    explicit StillPhotoSource(QString path);

    [[nodiscard]] const QString &path() const { return m_path; }

    // The photo upright (EXIF orientation applied) as a 32-bit BGRA pixel buffer, or a
    // one-line message saying why it cannot be used.
    [[nodiscard]] ImageLoader::Result load() const;

    // The photo named on the command line. Set it before CameraManager::shared() is first
    // used; the shared camera manager then never touches the camera.
    static void setLaunchPhoto(const QString &path);
    [[nodiscard]] static std::optional<StillPhotoSource> launchPhoto();

private:
    QString m_path;
};
