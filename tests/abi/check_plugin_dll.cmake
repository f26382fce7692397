# cmake -DOBJDUMP=... -DDLL=vis_velmo.dll -DEXPORTS=glide/exports.txt -DDECORATED=ON|OFF -P check_plugin_dll.cmake
# Fails unless the plug-in exports winampVisGetHeader alone, undecorated,
# imports nothing but Windows system DLLs and glide2x.dll, and imports from
# glide2x.dll only functions every glide2x.dll exports, under the names they
# have there (on 32-bit Windows the stdcall decoration, _grDrawTriangle@12),
# so that it loads on any Glide 2, not only ours.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../glide/export_names.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/PeFile.cmake)
glide_export_names(${EXPORTS} ${DECORATED} entries glide_names)
pe_read(${OBJDUMP} ${DLL})
if(NOT PE_EXPORTS STREQUAL "winampVisGetHeader")
  message(FATAL_ERROR "${DLL} exports '${PE_EXPORTS}', not winampVisGetHeader alone")
endif()
pe_require_system_imports(${DLL} glide2x.dll)
set(glide_imports ${PE_IMPORTS_glide2x.dll})
if(NOT glide_imports)
  message(FATAL_ERROR "${DLL} imports nothing from glide2x.dll")
endif()
set(unknown ${glide_imports})
list(REMOVE_ITEM unknown ${glide_names})
if(unknown)
  message(FATAL_ERROR "${DLL} imports from glide2x.dll names no glide2x.dll exports: ${unknown}")
endif()
list(LENGTH glide_imports count)
message(STATUS "exports winampVisGetHeader; ${count} Glide imports (${glide_imports}); imports: ${PE_IMPORT_DLLS}")
