#pragma once

#include "ui/PlatformServices.h"

// The desktop's own services: URLs go to QDesktopServices; there is no rating prompt.
class DesktopServices final : public PlatformServices
{
public:
    bool openUrl(const QUrl &url) override;
    void requestReview(QWindow *activeWindow) override;
};
