# The window, the root view and what every screen shares: palette, texts, picture mapping.
list(APPEND MIRREL_UI_QML
  MirrelApp.qml
  ContentView.qml
)
list(APPEND MIRREL_UI_SOURCES
  Palette.h Palette.cpp
  PictureMapping.h PictureMapping.cpp
  QmlTypes.h
  SymbolImage.h SymbolImage.cpp
  TextTables.h TextTables.cpp
)
