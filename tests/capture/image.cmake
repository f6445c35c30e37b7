mirrel_add_test(capture_image_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageLoaderTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ImageProcessorTest.cpp
  LIBS mirrel_capture)
