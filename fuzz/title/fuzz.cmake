# The song-title cut and the play-time text on arbitrary captions and positions.
if(TARGET vis_velmo_core)
  velmo_add_fuzzer(title SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_title.cpp LIBS vis_velmo_core)
endif()
