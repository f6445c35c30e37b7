#include "ui/tutorial/TutorialPage.h"

namespace TutorialPage {

std::optional<Page> fromRawValue(int rawValue)
{
    if (rawValue < welcome || rawValue > share)
        return std::nullopt;
    return Page(rawValue);
}

QString imageName(Page page)
{
    switch (page) {
    case welcome:
        return QStringLiteral("tutorial_default");
    case camera:
        return QStringLiteral("tutorial_camera");
    case photo:
        return QStringLiteral("tutorial_photo");
    case adjust:
        return QStringLiteral("tutorial_adjust");
    case share:
        return QStringLiteral("tutorial_share");
    }
    return {};
}

QString image(Page page)
{
    return QStringLiteral("qrc:/mirrel/tutorial/%1.svg").arg(imageName(page));
}

} // namespace TutorialPage
