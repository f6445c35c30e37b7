mirrel_add_test(CardDetectorTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CardDetectorTest.cpp
  LIBS mirrel_capture mirrel_detector_synth ${OpenCV_LIBS}
  LABELS capture)
target_include_directories(CardDetectorTest SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
