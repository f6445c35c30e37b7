# The measurement screen's chrome: hint banner, bottom bar, error view over the striped
# background, share sheet and blur.
list(APPEND MIRREL_UI_QML
)
list(APPEND MIRREL_UI_SOURCES
)
