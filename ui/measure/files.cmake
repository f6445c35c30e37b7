# The measurement screen: picture, targets, labels, loupe, chrome.
list(APPEND MIRREL_UI_QML
  measure/CameraView.qml
)
list(APPEND MIRREL_UI_SOURCES
)
