target_sources(mirrel_capture PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ImageLoader.h
  ${CMAKE_CURRENT_LIST_DIR}/ImageLoader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageProcessor.h
  ${CMAKE_CURRENT_LIST_DIR}/ImageProcessor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PictureScaling.h
  ${CMAKE_CURRENT_LIST_DIR}/PictureScaling.cpp)
