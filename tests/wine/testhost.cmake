# The Win32 test host: a program a person can run under Wine to drive the
# plug-in DLL as Winamp would (see the comment at the top of the source).
add_executable(velmo_testhost ${CMAKE_CURRENT_SOURCE_DIR}/velmo_testhost.cpp)
target_include_directories(velmo_testhost PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(velmo_testhost PRIVATE user32 gdi32 kernel32)
