# The 3DF reader of our Glide on arbitrary file contents.
velmo_add_fuzzer(tdf SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_tdf.cpp LIBS glide2x)
