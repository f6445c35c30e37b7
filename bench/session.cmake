mirrel_add_benchmark(session_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/SessionBench.cpp
  LIBS mirrel_session Qt6::Gui)
