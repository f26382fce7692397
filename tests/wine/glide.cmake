# glide_test.exe runs against our glide2x.dll; a second test checks the DLL's
# export names and imports with objdump.
if(TARGET glide_test)
  target_link_libraries(glide_test PRIVATE glide2x)
endif()
find_program(VELMO_OBJDUMP NAMES i686-w64-mingw32-objdump objdump)
if(VELMO_OBJDUMP)
  add_test(NAME wine.glide_exports
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${VELMO_OBJDUMP} -DDLL=$<TARGET_FILE:glide2x>
            -DEXPORTS=${CMAKE_SOURCE_DIR}/glide/exports.txt
            -P ${CMAKE_SOURCE_DIR}/glide/check_exports.cmake)
endif()
