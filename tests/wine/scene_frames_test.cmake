# The whole-frame comparison reads the native build's reference images (PNG,
# inflated with zlib) and drives the plug-in DLL on our glide2x.dll.
find_package(ZLIB REQUIRED)
target_link_libraries(scene_frames_test PRIVATE glide2x ZLIB::ZLIB)
target_compile_definitions(scene_frames_test PRIVATE
  VELMO_SCENE_REFERENCE_DIR="${CMAKE_SOURCE_DIR}/tests/scene/reference")
add_dependencies(scene_frames_test vis_velmo)
if(TARGET velmo_textures)
  add_dependencies(scene_frames_test velmo_textures)
endif()
set_property(TEST wine.scene_frames_test APPEND PROPERTY ENVIRONMENT VELMO_GLIDE_WINDOW=0)
