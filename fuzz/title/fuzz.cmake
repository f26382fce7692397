# The song-title cut and the play-time text on arbitrary captions and positions.
velmo_add_fuzzer(title SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_title.cpp LIBS vis_velmo_core)
