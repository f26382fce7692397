# cmake -DOBJDUMP=... -DDLL=glide2x.dll -DEXPORTS=exports.txt -DDECORATED=ON|OFF -P check_exports.cmake
# Fails unless the DLL exports exactly the functions of exports.txt, each
# under the name its architecture gives it (see export_names.cmake), and
# imports only Windows system DLLs.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/export_names.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/PeFile.cmake)
glide_export_names(${EXPORTS} ${DECORATED} entries expected)
pe_read(${OBJDUMP} ${DLL})
set(missing ${expected})
list(REMOVE_ITEM missing ${PE_EXPORTS})
set(unexpected ${PE_EXPORTS})
list(REMOVE_ITEM unexpected ${expected})
if(missing OR unexpected)
  message(FATAL_ERROR "${DLL}: missing exports: ${missing}; exports not in ${EXPORTS}: ${unexpected}")
endif()
pe_require_system_imports(${DLL})
list(LENGTH expected count)
message(STATUS "${count} exports as expected (${expected}); imports: ${PE_IMPORT_DLLS}")
