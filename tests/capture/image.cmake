mirrel_add_test(capture_image_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageLoaderTest.cpp
  LIBS mirrel_capture)
