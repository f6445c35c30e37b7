# The window, the root view and what every screen shares: palette, texts, picture mapping.
list(APPEND MIRREL_UI_QML
  MirrelApp.qml
  ContentView.qml
)
list(APPEND MIRREL_UI_SOURCES
  Palette.h Palette.cpp
  PictureMapping.h PictureMapping.cpp
  ProcessFacts.h
  QmlTypes.h
  SymbolImage.h SymbolImage.cpp
  TextTables.h TextTables.cpp
  # Text keys, and what the screens ask of the desktop (links, mail, rating, folders).
  ResolvedText.h ResolvedText.cpp
  TextKeys.h TextKeys.cpp
  PlatformServices.h PlatformServices.cpp
  DesktopServices.h DesktopServices.cpp
  ProductLinks.h ProductLinks.cpp
  SystemActions.h SystemActions.cpp
)
