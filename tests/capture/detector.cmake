mirrel_add_test(CardDetectorTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CardDetectorTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS capture)
