# The first-run tutorial.
list(APPEND MIRREL_UI_QML
)
list(APPEND MIRREL_UI_SOURCES
  tutorial/TutorialPage.h tutorial/TutorialPage.cpp
)
# The generated type registrations include the headers by their bare names.
target_include_directories(mirrel_ui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tutorial)
