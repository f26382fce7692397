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


install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES velmo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
# The README's links into docs/ hold in the installed copy too.
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/player.md ${CMAKE_SOURCE_DIR}/docs/plugin.md
              ${CMAKE_SOURCE_DIR}/docs/bad-input.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

# Stripped as Debian strips (dh_strip): CPack's plain strip leaves the
# compiler's .comment and .note sections in. Run after host/'s install rules.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB elf_files \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/velmo\"
                        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELMO_PLUGIN_INSTALL_DIR}/*.so\")
    execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note \${elf_files}
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")

# The licence in Debian's machine-readable form, its terms taken from LICENSE.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(FIND "${licence}" "Permission is hereby granted" terms_start)
string(SUBSTRING "${licence}" ${terms_start} -1 terms)
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " VELMO_LICENCE_TERMS " ${terms}")
configure_file(copyright.in copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Not a native package: its changelog is changelog.Debian, whose newest entry
# must be this version's. The version is project()'s; the changelog follows.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(deb_version ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})
file(STRINGS changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^velmo \\(${deb_version}\\) ")
  message(FATAL_ERROR "packaging/changelog has no entry for ${deb_version} at the top: ${changelog_head}")
endif()
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND gzip -n -9 -c ${CMAKE_CURRENT_SOURCE_DIR}/changelog > ${changelog}
  DEPENDS changelog COMMENT "Compressing the Debian changelog")
install(FILES ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME velmo)
add_custom_target(velmo_desktop_files ALL DEPENDS ${man_page}.gz ${icon} ${changelog})

# AppStream: the release's date is the changelog's newest entry's.
file(STRINGS changelog changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX REPLACE ".*  [A-Za-z]+, ([0-9]+ [A-Za-z]+ [0-9]+) .*" "\\1" release_day "${changelog_trailer}")
execute_process(COMMAND date -u -d "${release_day}" +%Y-%m-%d OUTPUT_VARIABLE VELMO_RELEASE_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(velmo.metainfo.xml.in org.example.velmo.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/org.example.velmo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Linked libraries, found by dpkg-shlibdeps; our own (Glide, the Win32
# layer) are in the package, in lib/velmo.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# They are found through the run path, not the linker's cache: no ldconfig.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/deb_without_ldconfig.cmake)
# Loaded at run time rather than linked: SDL's accelerated renderer opens
# OpenGL (X11) or EGL (Wayland); without them the window is drawn in software.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1, libegl1")
