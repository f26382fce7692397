# The scene's geometry helpers compiled into a Win32 program of their own.
target_sources(scene_geometry_test PRIVATE ${CMAKE_SOURCE_DIR}/scene/geometry.cpp)
target_include_directories(scene_geometry_test PRIVATE ${CMAKE_SOURCE_DIR}/glide/include)
