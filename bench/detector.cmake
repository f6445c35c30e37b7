mirrel_add_benchmark(DetectorBench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DetectorBench.cpp
  LIBS mirrel_capture mirrel_scenegen ${OpenCV_LIBS})
target_include_directories(DetectorBench SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
