# The measurement screen's chrome: hint banner, bottom bar, error view over the striped
# background, share sheet and blur.
list(APPEND MIRREL_UI_QML
  measure/Debug_BackgroundView.qml
  measure/VisualEffectView.qml
  measure/FocusRing.qml
  measure/CapsuleButton.qml
  measure/CameraErrorView.qml
  measure/ShareActionButton.qml
  measure/ActivityViewController.qml
  measure/HintView.qml
  measure/CameraButtonStyle.qml
  measure/CameraRoundButton.qml
  measure/CameraSaveImageButton.qml
  measure/CameraHelpButton.qml
  measure/CameraAddButton.qml
  measure/CameraMainButton.qml
  measure/CameraBottomView.qml
)
list(APPEND MIRREL_UI_SOURCES
  measure/CameraErrorCase.h measure/CameraErrorCase.cpp
  measure/PictureSaver.h measure/PictureSaver.cpp
  measure/PicturePreview.h measure/PicturePreview.cpp
  measure/CameraStates.h
)
# The generated type registrations include the headers by their bare names.
target_include_directories(mirrel_ui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/measure)
