# The first-run tutorial.
list(APPEND MIRREL_UI_QML
  tutorial/TutorialButtonStyle.qml
  tutorial/TutorialPageButton.qml
  tutorial/TutorialTextView.qml
  tutorial/TutorialPageControl.qml
  tutorial/TutorialNavigationView.qml
  tutorial/TutorialView.qml
)
list(APPEND MIRREL_UI_SOURCES
  tutorial/TutorialPage.h tutorial/TutorialPage.cpp
  tutorial/TutorialFlow.h tutorial/TutorialFlow.cpp
  tutorial/Permissions.h tutorial/Permissions.cpp
  tutorial/DesktopPermissions.h tutorial/DesktopPermissions.cpp
)
# The generated type registrations include the headers by their bare names.
target_include_directories(mirrel_ui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tutorial)
