# The settings screen and its sections.
list(APPEND MIRREL_UI_QML
)
list(APPEND MIRREL_UI_SOURCES
)
