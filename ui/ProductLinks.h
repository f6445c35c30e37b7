#pragma once

#include <QString>
#include <QUrl>

// Where the product lives: its web site, its support mail and its store page. The one place
// that knows these addresses.
namespace ProductLinks {

inline constexpr const char *webSite = "https://www.mirrel.app";
// How to let Mirrel use the camera on the common desktops (device permissions, sandboxes).
inline constexpr const char *cameraAccessHelp = "https://www.mirrel.app/help/camera-access";
inline constexpr const char *supportMail = "support@mirrel.app";
// The store that ships the desktop program, and the program's id there.
inline constexpr const char *storeHost = "flathub.org";
inline constexpr const char *storeIdentifier = "app.mirrel.Mirrel";

// https://flathub.org/apps/app.mirrel.Mirrel
[[nodiscard]] QUrl storePage();

} // namespace ProductLinks
