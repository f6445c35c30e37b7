# The scene generator that the detector's accuracy test relies on.
mirrel_add_test(SceneGeneratorTest
  SOURCES tools/SceneGeneratorTest.cpp
  LIBS mirrel_scenegen
  TIMEOUT 120)
