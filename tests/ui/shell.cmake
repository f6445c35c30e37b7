mirrel_add_test(ui_shell_test
  SOURCES PaletteAndMappingTest.cpp
  LIBS mirrel_ui_test_support)
