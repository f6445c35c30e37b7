mirrel_add_benchmark(frame_bench
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FrameBench.cpp
  LIBS mirrel_capture)
