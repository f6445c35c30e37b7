mirrel_add_test(CardDetectorScenesTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CardDetectorScenesTest.cpp
  LIBS mirrel_capture mirrel_detector_synth
  LABELS capture)
