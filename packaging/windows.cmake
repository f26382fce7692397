# The zip for Winamp and compatible players, laid out as a player's folder:
# our glide2x.dll beside the program, where Windows finds a plug-in's DLLs;
# the plug-in and its textures (resources/textures) in Plugins; a readme.
# The DLLs' import libraries are for building, not for players.
install(TARGETS vis_velmo RUNTIME DESTINATION ${VELMO_PLUGIN_INSTALL_DIR}
                          ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)
install(TARGETS glide2x RUNTIME DESTINATION . ARCHIVE DESTINATION lib EXCLUDE_FROM_ALL)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELMO_WINDOWS_BITS 32)
else()
  set(VELMO_WINDOWS_BITS 64)
endif()
# Notepad before Windows 10 shows a file without carriage returns as one line.
configure_file(windows_readme.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME velmo-${PROJECT_VERSION}-win${VELMO_WINDOWS_BITS})
