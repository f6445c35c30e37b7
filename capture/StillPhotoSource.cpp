#include "capture/StillPhotoSource.h"

#include <mutex>

namespace {

struct LaunchPhoto
{
    std::mutex mutex;
    std::optional<QString> path;
};

LaunchPhoto &launch()
{
    static LaunchPhoto photo;
    return photo;
}

} // namespace

StillPhotoSource::StillPhotoSource(QString path) : m_path(std::move(path)) {}

ImageLoader::Result StillPhotoSource::load() const
{
    if (m_path.isEmpty())
        return {{}, QStringLiteral("no photo was given")};
    return ImageLoader::load(m_path);
}

void StillPhotoSource::setLaunchPhoto(const QString &path)
{
    std::lock_guard lock(launch().mutex);
    launch().path = path;
}

std::optional<StillPhotoSource> StillPhotoSource::launchPhoto()
{
    std::lock_guard lock(launch().mutex);
    if (!launch().path)
        return std::nullopt;
    return StillPhotoSource(*launch().path);
}
