# Measurement screen views: labels, loupe, handles, target views, frame view.
mirrel_add_test(ui_measure_layout_test
  SOURCES LayoutTest.cpp
  LIBS mirrel_ui)
mirrel_add_test(ui_measure_views_test
  SOURCES TargetViewsTest.cpp
  LIBS mirrel_ui_test_support mirrel_session)
