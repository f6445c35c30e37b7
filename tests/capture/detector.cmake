mirrel_add_test(CardDetectorTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CardDetectorTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS capture)
mirrel_add_test(CardTrackerTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CardTrackerTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS capture)
mirrel_add_test(DetectorShortcutTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DetectorShortcutTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS capture)
