# The settings dialog of vis_velmo.dll on a real display (Xvfb) under Wine:
# a screenshot kept as an artifact, and Enter confirming the dialog.
find_program(XVFB Xvfb)
find_program(XDOTOOL xdotool)
find_program(IMPORT import)
if(XVFB AND XDOTOOL AND IMPORT)
  math(EXPR bits "${CMAKE_SIZEOF_VOID_P} * 8")
  add_test(NAME wine.dialog_screenshot
    COMMAND sh ${CMAKE_SOURCE_DIR}/tests/support/on_own_display.sh
            sh ${CMAKE_SOURCE_DIR}/tests/dialog/screenshot.sh
            ${CMAKE_BINARY_DIR}/artifacts/dialog-win${bits}.png
            ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:dialog_test> show
    WORKING_DIRECTORY ${VELMO_OUTPUT_DIR})
  set_tests_properties(wine.dialog_screenshot PROPERTIES TIMEOUT 400)
endif()
