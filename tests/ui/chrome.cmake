# Measurement screen chrome: error view, share sheet, hint banner, bottom bar; tutorial; settings.
mirrel_add_test(ui_text_keys_test
  SOURCES TextKeysTest.cpp
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_camera_error_view_test
  SOURCES CameraErrorViewTest.cpp FakePlatformServices.h
  LIBS mirrel_ui_test_support)
# The measurement screen on the process's shared camera: one test per program.
mirrel_add_test(ui_camera_view_test
  SOURCES CameraViewTest.cpp CameraScreen.h ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_camera_view_open_test
  SOURCES CameraViewOpenTest.cpp CameraScreen.h ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_camera_view_hint_test
  SOURCES CameraViewHintTest.cpp CameraScreen.h ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_camera_view_keys_test
  SOURCES CameraViewKeysTest.cpp CameraScreen.h ChromeTesting.h
  LIBS mirrel_ui_test_support mirrel_session)
mirrel_add_test(ui_camera_view_accessibility_test
  SOURCES CameraViewAccessibilityTest.cpp CameraScreen.h ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_share_sheet_test
  SOURCES ShareSheetTest.cpp FakePlatformServices.h ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_bottom_bar_and_hint_test
  SOURCES BottomBarAndHintTest.cpp ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_tutorial_test
  SOURCES TutorialTest.cpp ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_settings_test
  SOURCES SettingsTest.cpp FakePlatformServices.h ChromeTesting.h
  LIBS mirrel_ui_test_support)
mirrel_add_test(ui_photo_reason_test
  SOURCES PhotoReasonTest.cpp ChromeTesting.h
  LIBS mirrel_ui_test_support mirrel_session)
