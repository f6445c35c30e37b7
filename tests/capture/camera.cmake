mirrel_add_test(capture_serial_queue_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SerialQueueTest.cpp
  LIBS mirrel_capture
  LABELS capture TIMEOUT 60)
mirrel_add_test(capture_camera_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CameraTest.cpp ${CMAKE_CURRENT_LIST_DIR}/FakeCameraPlatform.h
  LIBS mirrel_capture
  LABELS capture TIMEOUT 180)
