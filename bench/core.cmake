mirrel_add_benchmark(core_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/CoreBench.cpp LIBS mirrel_core)
