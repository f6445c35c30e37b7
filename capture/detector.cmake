target_sources(mirrel_capture PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CardDetector.h
  ${CMAKE_CURRENT_LIST_DIR}/CardDetector.cpp)
