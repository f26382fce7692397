# The POSIX profile (INI) functions on arbitrary files and call sequences.
velmo_add_fuzzer(profile SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_profile.cpp LIBS velmo_win32)
