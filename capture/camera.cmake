target_sources(mirrel_capture PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SerialQueue.h
  ${CMAKE_CURRENT_LIST_DIR}/SerialQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CameraPlatform.h
  ${CMAKE_CURRENT_LIST_DIR}/CameraPlatformQt.h
  ${CMAKE_CURRENT_LIST_DIR}/CameraPlatformQt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CameraManager.h
  ${CMAKE_CURRENT_LIST_DIR}/CameraManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameManager.h
  ${CMAKE_CURRENT_LIST_DIR}/FrameManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StillPhotoSource.h
  ${CMAKE_CURRENT_LIST_DIR}/StillPhotoSource.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackManager.h
  ${CMAKE_CURRENT_LIST_DIR}/FeedbackManager.cpp)
