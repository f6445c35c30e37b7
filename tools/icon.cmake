# Draws the app icon's fixed-size pictures at build time. Not part of the program.
add_executable(mirrel-icon ${CMAKE_CURRENT_LIST_DIR}/icon/main.cpp)
target_link_libraries(mirrel-icon PRIVATE Qt6::Gui Qt6::Svg)
