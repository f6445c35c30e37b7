#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqml.h>

#include <optional>

// The five pages of the first-run tutorial, in the order they are shown. The value is the
// page's number, which indexes its texts and its dot.
namespace TutorialPage {
Q_NAMESPACE
QML_ELEMENT

enum Page
{
    welcome = 0,
    camera = 1,
    photo = 2,
    adjust = 3,
    share = 4,
};
Q_ENUM_NS(Page)

inline constexpr int count = 5;

// The page with this number; none outside 0 to 4.
[[nodiscard]] std::optional<Page> fromRawValue(int rawValue);
// The page's picture, as a resource URL ("qrc:/mirrel/tutorial/tutorial_camera.svg").
[[nodiscard]] QString image(Page page);
// The picture's asset name ("tutorial_default" for the welcome page).
[[nodiscard]] QString imageName(Page page);

} // namespace TutorialPage
