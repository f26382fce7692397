# The Debian package: the program and the plug-in set (host/,
# resources/textures), and here the desktop entry with an icon, the manual
# page and the documents. All that is made is made at build time from our own
# sources: the icon is a frame the player draws, the manual page comes from
# the help texts.
include(GNUInstallDirs)
find_program(HELP2MAN help2man REQUIRED)
find_program(FFMPEG ffmpeg REQUIRED)

# The manual page, from `velmo --help` and every command's --help
# (man_help.sh); velmo.h2m adds the files and the environment it uses.
set(man_page ${CMAKE_CURRENT_BINARY_DIR}/velmo.1)
add_custom_command(OUTPUT ${man_page}.gz
  COMMAND ${HELP2MAN} --no-info --section 1 --name "runs a Winamp visualization plug-in on music"
          --include ${CMAKE_CURRENT_SOURCE_DIR}/velmo.h2m --output ${man_page}
          "sh ${CMAKE_CURRENT_SOURCE_DIR}/man_help.sh $<TARGET_FILE_DIR:velmo>"
  COMMAND gzip -n -9 -f ${man_page}
  DEPENDS velmo ${CMAKE_CURRENT_SOURCE_DIR}/man_help.sh ${CMAKE_CURRENT_SOURCE_DIR}/velmo.h2m
  COMMENT "Writing the manual page from the help texts" VERBATIM)

# The icon: the demo's frame at 12 s, where the cones stand high, cropped
# square around them. The plug-in's start-up trace goes to the build folder.
set(icon_frame ${CMAKE_CURRENT_BINARY_DIR}/icon-frame.png)
set(icon ${CMAKE_CURRENT_BINARY_DIR}/velmo.png)
add_custom_command(OUTPUT ${icon}
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY VELMO_TRACE_FILE=${CMAKE_CURRENT_BINARY_DIR}/icon-trace.txt
          $<TARGET_FILE:velmo> snapshot -q --force --at 12 -o ${icon_frame}
  COMMAND ${FFMPEG} -v error -y -i ${icon_frame} -vf crop=460:460:62:20,scale=256:256 ${icon}
  DEPENDS velmo vis_velmo velmo_textures
  COMMENT "Drawing the icon" VERBATIM)

add_custom_target(velmo_desktop_files ALL DEPENDS ${man_page}.gz ${icon})

install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES velmo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
# The README's links into docs/ hold in the installed copy too.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/player.md ${CMAKE_SOURCE_DIR}/docs/plugin.md
              ${CMAKE_SOURCE_DIR}/docs/bad-input.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Linked libraries, found by dpkg-shlibdeps; our own (Glide, the Win32
# layer) are in the package, in lib/velmo.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# They are found through the run path, not the linker's cache: no ldconfig.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_LDCONFIG OFF)
# Loaded at run time rather than linked: SDL's accelerated renderer opens
# OpenGL (X11) or EGL (Wayland); without them the window is drawn in software.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1, libegl1")
