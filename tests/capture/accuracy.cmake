# Runs the detector over the generated labelled set; slow, so it carries its own label.
mirrel_add_test(DetectorAccuracyTest
  SOURCES DetectorAccuracyTest.cpp
  LIBS mirrel_capture mirrel_scenegen
  LABELS accuracy
  TIMEOUT 600)
