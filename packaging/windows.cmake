# The zip for Winamp and compatible players, laid out as a player's folder:
# our glide2x.dll beside the program, where Windows finds a plug-in's DLLs;
# the plug-in and its textures (resources/textures) in Plugins; a readme.
install(FILES $<TARGET_FILE:vis_velmo> DESTINATION ${VELMO_PLUGIN_INSTALL_DIR})
install(FILES $<TARGET_FILE:glide2x> DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELMO_WINDOWS_BITS win32)
  set(VELMO_WINDOWS_SET "This is the 32-bit set, for Winamp and other 32-bit players.")
else()
  set(VELMO_WINDOWS_BITS win64)
  set(VELMO_WINDOWS_SET
    "This is the 64-bit set, for 64-bit players only: a 64-bit program loads\n"
    "only 64-bit DLLs. Winamp is a 32-bit program; it takes the set in\n"
    "velmo-${PROJECT_VERSION}-win32.zip.")
  string(JOIN "" VELMO_WINDOWS_SET ${VELMO_WINDOWS_SET})
endif()
# Notepad before Windows 10 shows a file without carriage returns as one line.
configure_file(windows_readme.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME velmo-${PROJECT_VERSION}-${VELMO_WINDOWS_BITS})
