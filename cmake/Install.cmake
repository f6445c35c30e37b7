# What `cmake --install` puts where a Linux desktop expects it (prefix /usr for the package):
# the two programs, the desktop entry that opens photos, the icon in the hicolor theme, AppStream
# metadata, the man pages and a sample photo for mirrel-measure.
include(GNUInstallDirs)

install(TARGETS mirrel mirrel-measure RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${PROJECT_SOURCE_DIR}/resources/app/${MIRREL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon: scalable, and a 256-pixel picture drawn from the same file at build time.
install(FILES ${PROJECT_SOURCE_DIR}/resources/app/mirrel.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${MIRREL_APP_ID}.svg)
set(_icon_png ${PROJECT_BINARY_DIR}/packaging/${MIRREL_APP_ID}.png)
add_custom_command(OUTPUT ${_icon_png}
  COMMAND mirrel-icon ${PROJECT_SOURCE_DIR}/resources/app/mirrel.svg ${_icon_png} 256
  DEPENDS mirrel-icon ${PROJECT_SOURCE_DIR}/resources/app/mirrel.svg
  COMMENT "Drawing the 256-pixel app icon" VERBATIM)
add_custom_target(mirrel_icon_png ALL DEPENDS ${_icon_png})
install(FILES ${_icon_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

# The release date: SOURCE_DATE_EPOCH when set (scripts/package.sh sets it to the commit's
# time), else today.
string(TIMESTAMP MIRREL_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${PROJECT_SOURCE_DIR}/resources/app/${MIRREL_APP_ID}.metainfo.xml
               ${PROJECT_BINARY_DIR}/packaging/${MIRREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${MIRREL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Man pages, compressed as Debian wants them.
foreach(_page mirrel.1 mirrel-measure.1)
  set(_gz ${PROJECT_BINARY_DIR}/packaging/${_page}.gz)
  add_custom_command(OUTPUT ${_gz}
    COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/doc/man/${_page} > ${_gz}
    DEPENDS ${PROJECT_SOURCE_DIR}/doc/man/${_page} VERBATIM)
  list(APPEND _man_pages ${_gz})
  install(FILES ${_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(mirrel_man_pages ALL DEPENDS ${_man_pages})

install(FILES ${PROJECT_SOURCE_DIR}/resources/test.jpg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mirrel RENAME sample.jpg)
