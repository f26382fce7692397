# The zip for Winamp and compatible players, laid out as a player's folder:
# our glide2x.dll beside the program, where Windows finds a plug-in's DLLs,
# with its settings file glide2x.ini;
# the plug-in and its textures (resources/textures) in Plugins; a readme,
# the licence and the notices, under names of our own: the player's folder
# may hold a README.txt or LICENSE.txt of its own. The installer lays out the same files.
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
configure_file(windows_readme.txt.in Velmo-README.txt @ONLY NEWLINE_STYLE CRLF)
# The licence, and the notices of the compiler's runtime that the DLLs link
# statically (windows_notices.txt.in, from the toolchain's copyright files).
configure_file(${CMAKE_SOURCE_DIR}/LICENSE Velmo-LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(windows_notices.txt.in Velmo-NOTICES.txt @ONLY NEWLINE_STYLE CRLF)
# Our Glide's settings, each at its default, beside it.
configure_file(glide2x.ini glide2x.ini @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/glide2x.ini DESTINATION .)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/Velmo-README.txt ${CMAKE_CURRENT_BINARY_DIR}/Velmo-LICENSE.txt
              ${CMAKE_CURRENT_BINARY_DIR}/Velmo-NOTICES.txt DESTINATION .)

# The installer (installer.nsi, made by make_installer.sh) reads these.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/installer.nsh
  "!define VELMO_VERSION ${PROJECT_VERSION}\n!define VELMO_BITS ${VELMO_WINDOWS_BITS}\n")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME velmo-${PROJECT_VERSION}-win${VELMO_WINDOWS_BITS})
