target_sources(mirrel_capture PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SerialQueue.h
  ${CMAKE_CURRENT_LIST_DIR}/SerialQueue.cpp)
