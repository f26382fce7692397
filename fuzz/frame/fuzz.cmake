# The band analyser and the frame composer on arbitrary spectrum sequences,
# drawing through our Glide; the host window, options and keys vary as well.
velmo_add_fuzzer(frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_frame.cpp
                 LIBS vis_velmo_core velmo_win32 glide2x DEPENDS velmo_textures)
