# Runs the detector over the generated labelled set; slow, so it carries its own label.
mirrel_add_test(DetectorAccuracyTest
  SOURCES DetectorAccuracyTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS accuracy
  TIMEOUT 600)
# The same card whatever is done to the picture: scaled, cropped, turned, mirrored, darkened.
mirrel_add_test(DetectorInvarianceTest
  SOURCES DetectorInvarianceTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS accuracy
  TIMEOUT 600)
