#include "ui/tutorial/Permissions.h"

#include "ui/tutorial/DesktopPermissions.h"

namespace {

std::shared_ptr<Permissions> &installed()
{
    static std::shared_ptr<Permissions> permissions = std::make_shared<DesktopPermissions>();
    return permissions;
}

} // namespace

std::shared_ptr<Permissions> Permissions::current()
{
    return installed();
}

std::shared_ptr<Permissions> Permissions::install(std::shared_ptr<Permissions> permissions)
{
    if (!permissions)
        permissions = std::make_shared<DesktopPermissions>();
    std::swap(installed(), permissions);
    return permissions;
}
