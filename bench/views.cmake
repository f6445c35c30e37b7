mirrel_add_benchmark(views_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ViewsBench.cpp
  LIBS mirrel_ui mirrel_uiplugin Qt6::Quick Qt6::Test)
