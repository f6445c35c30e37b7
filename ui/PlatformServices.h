#pragma once

#include <QUrl>

#include <memory>

class QWindow;

// What the screens ask of the desktop: open a web page, a mail, a folder or a store page, and
// ask for a rating. Tests install a fake that records the requests instead. GUI thread only.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    // Hands the URL to the program the desktop opens it with; false when none took it.
    virtual bool openUrl(const QUrl &url) = 0;
    // Asks the store to prompt for a rating over the given active window. The store decides
    // whether anything shows; the desktop has no such prompt.
    virtual void requestReview(QWindow *activeWindow) = 0;

    // The services in use: the desktop's unless a test installed others.
    [[nodiscard]] static PlatformServices &current();
    // Makes `services` the current ones (null restores the desktop's); returns the previous.
    static std::shared_ptr<PlatformServices> install(std::shared_ptr<PlatformServices> services);
};
