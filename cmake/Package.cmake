# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh does it all) makes
# mirrel_<version>_amd64.deb. Library dependencies come from dpkg-shlibdeps; what it cannot see
# (QML modules, plugins loaded at run time) is listed by hand below.

# The version: a tag vX.Y.Z on the commit gives X.Y.Z; commits after it add +N.gHASH; without a
# tag (or outside git) the project's own version.
set(MIRREL_PACKAGE_VERSION ${PROJECT_VERSION})
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} describe --tags --match "v[0-9]*" --always
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE _describe OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE _described)
  if(_described EQUAL 0 AND _describe MATCHES "^v([0-9]+\\.[0-9]+\\.[0-9]+)(-([0-9]+)-g([0-9a-f]+))?$")
    set(MIRREL_PACKAGE_VERSION ${CMAKE_MATCH_1})
    if(CMAKE_MATCH_3)
      string(APPEND MIRREL_PACKAGE_VERSION "+${CMAKE_MATCH_3}.g${CMAKE_MATCH_4}")
    endif()
  endif()
endif()

# Debian wants the copyright and a changelog beside every package's documentation.
string(TIMESTAMP MIRREL_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in
               ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9n -c ${PROJECT_BINARY_DIR}/packaging/changelog
          > ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(mirrel_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
              ${PROJECT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/mirrel)

# Run-time pieces the program loads by name, which no library dependency reveals.
set(MIRREL_RUNTIME_PACKAGES
  qml6-module-qtqml
  qml6-module-qtqml-workerscript
  qml6-module-qtqml-models
  qml6-module-qtquick
  qml6-module-qtquick-window
  qml6-module-qtquick-shapes
  qml6-module-qtquick-controls
  qml6-module-qtquick-templates
  qml6-module-qtquick-layouts
  qml6-module-qtquick-dialogs
  qml6-module-qt-labs-folderlistmodel
  qml6-module-qt5compat-graphicaleffects
  qml6-module-qtmultimedia
  qt6-qpa-plugins
  qt6-image-formats-plugins
  libqt6svg6
  gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good
)
string(REPLACE ";" ", " _runtime_depends "${MIRREL_RUNTIME_PACKAGES}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mirrel)
set(CPACK_PACKAGE_VERSION ${MIRREL_PACKAGE_VERSION})
set(CPACK_PACKAGE_VENDOR "The Mirrel developers")
set(CPACK_PACKAGE_CONTACT "${MIRREL_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "measure objects in a photo against a bank card")
set(CPACK_PACKAGE_DESCRIPTION
  "Lay a bank-card-sized card next to an object and photograph both: Mirrel
finds the card in the camera's picture or in a photo and measures every line
and rectangle drawn over the object in millimetres or inches, correcting for
the camera's perspective. The package holds the desktop program mirrel and
the command-line tool mirrel-measure, which prints the card it finds and the
lengths it measures as JSON.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${MIRREL_WEBSITE}")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MIRREL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${_runtime_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR})
include(CPack)
