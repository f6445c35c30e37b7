# The first-run tutorial.
list(APPEND MIRREL_UI_QML
)
list(APPEND MIRREL_UI_SOURCES
)
