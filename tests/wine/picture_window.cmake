# The picture window of glide2x.dll under a user's keyboard and mouse, on a
# display of its own (Xvfb): our test host runs the plug-in on it.
find_program(XVFB Xvfb)
find_program(XDOTOOL xdotool)
find_program(CONVERT convert)
find_program(IMPORT import)
if(XVFB AND XDOTOOL AND CONVERT AND IMPORT)
  add_test(NAME wine.picture_window
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/support/on_own_display.sh
            sh ${CMAKE_CURRENT_SOURCE_DIR}/picture_window.sh
            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:velmo_testhost>
    WORKING_DIRECTORY ${VELMO_OUTPUT_DIR})
  set_tests_properties(wine.picture_window PROPERTIES TIMEOUT 400)
endif()
