target_sources(mirrel_capture PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ImageLoader.h
  ${CMAKE_CURRENT_LIST_DIR}/ImageLoader.cpp)
