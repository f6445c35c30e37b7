# The measurement screen: picture, targets, labels, loupe, chrome.
list(APPEND MIRREL_UI_QML
  measure/CameraView.qml
  measure/DistanceView.qml
  measure/DraggablePointView.qml
  measure/DraggingGestureModifier.qml
  measure/FrameView.qml
  measure/MeasurableView.qml
  measure/TargetModelContextButtonStyle.qml
  measure/ZoomView.qml
)
# The numbers those views show, and the picture item that draws the photo.
list(APPEND MIRREL_UI_SOURCES
  AnnotationRenderer.h AnnotationRenderer.cpp
  ContextButtonLayout.h ContextButtonLayout.cpp
  LabelLayout.h LabelLayout.cpp
  LoupeLayout.h LoupeLayout.cpp
  MiddleModifier.h MiddleModifier.cpp
  PictureItem.h PictureItem.cpp
  TargetActions.h TargetActions.cpp
  TargetEdge.h TargetEdge.cpp
  TargetPoint.h TargetPoint.cpp
  TargetShape.h TargetShape.cpp
)
