# Renders QML views into PNG files for the screenshot gallery. Not part of the program.
add_executable(mirrel-screenshot ${CMAKE_CURRENT_LIST_DIR}/screenshot/main.cpp)
target_include_directories(mirrel-screenshot PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(mirrel-screenshot PRIVATE mirrel_ui mirrel_uiplugin Qt6::Quick Qt6::Test)
