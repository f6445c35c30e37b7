#include "ui/PlatformServices.h"

#include "ui/DesktopServices.h"

namespace {

std::shared_ptr<PlatformServices> &installed()
{
    static std::shared_ptr<PlatformServices> services = std::make_shared<DesktopServices>();
    return services;
}

} // namespace

PlatformServices &PlatformServices::current()
{
    return *installed();
}

std::shared_ptr<PlatformServices>
PlatformServices::install(std::shared_ptr<PlatformServices> services)
{
    if (!services)
        services = std::make_shared<DesktopServices>();
    std::swap(installed(), services);
    return services;
}
