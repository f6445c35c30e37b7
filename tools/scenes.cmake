# Scene generator: photo-like test pictures with exact ground truth. Not part of the program.
add_library(mirrel_scenegen STATIC
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/SceneGenerator.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/SceneGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/SceneFiles.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/SceneFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/SceneRng.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/PlaneRaster.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/PlaneRaster.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/Textures.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/Textures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/CardFace.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/CardFace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/ImageVariants.h
  ${CMAKE_CURRENT_LIST_DIR}/scenegen/ImageVariants.cpp)
target_include_directories(mirrel_scenegen PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(mirrel_scenegen SYSTEM PUBLIC ${OpenCV_INCLUDE_DIRS})
target_link_libraries(mirrel_scenegen PUBLIC Qt6::Core Qt6::Gui ${OpenCV_LIBS})

add_executable(mirrel-scene ${CMAKE_CURRENT_LIST_DIR}/scene/main.cpp)
target_link_libraries(mirrel-scene PRIVATE mirrel_scenegen)

# `ninja scenes` writes the labelled set into the build folder for looking at and tuning.
add_custom_target(scenes
  COMMAND mirrel-scene set ${PROJECT_BINARY_DIR}/scenes --format png
  COMMENT "Rendering the labelled scene set into ${PROJECT_BINARY_DIR}/scenes"
  VERBATIM)
add_dependencies(scenes mirrel-scene)
