#pragma once

#include <QString>
#include <QUrl>

// Where the product lives: its web site, its support mail and its store page. The addresses
// themselves come from cmake/Product.cmake, which the desktop metadata reads too.
namespace ProductLinks {

inline constexpr const char *webSite = MIRREL_WEBSITE;
// How to let Mirrel use the camera on the common desktops (device permissions, sandboxes).
inline constexpr const char *cameraAccessHelp = MIRREL_WEBSITE "/help/camera-access";
inline constexpr const char *supportMail = MIRREL_SUPPORT_EMAIL;
// The store that ships the desktop program, and the program's id there.
inline constexpr const char *storeHost = MIRREL_STORE_HOST;
inline constexpr const char *storeIdentifier = MIRREL_STORE_ID;

// https://flathub.org/apps/app.mirrel.Mirrel
[[nodiscard]] QUrl storePage();

} // namespace ProductLinks
