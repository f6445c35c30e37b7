# The settings screen and its sections.
list(APPEND MIRREL_UI_QML
  settings/SettingsSectionTitleView.qml
  settings/SettingsSectionsSeperator.qml
  settings/SettingsSectionButton.qml
  settings/SettingsTopView.qml
  settings/SettingsAppUnitView.qml
  settings/SettingsHelpView.qml
  settings/SettingsTheAppView.qml
  settings/SettingsView.qml
)
list(APPEND MIRREL_UI_SOURCES
  settings/UnitSystems.h
)
# The generated type registrations include the headers by their bare names.
target_include_directories(mirrel_ui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/settings)
