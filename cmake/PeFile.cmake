# Reading a Windows DLL's export and import tables with objdump, for the
# -P scripts that check our DLLs without running them.
#
# pe_read(OBJDUMP DLL) sets in the caller
#   PE_EXPORTS            the exported names
#   PE_IMPORT_DLLS        the DLLs imported from, in lower case
#   PE_IMPORTS_<dll>      the names imported from each of them
cmake_policy(VERSION 3.25)

function(pe_read objdump dll)
  execute_process(COMMAND ${objdump} -p ${dll} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "objdump failed on ${dll}")
  endif()
  # One list element per line; brackets would stop CMake splitting the list.
  string(REPLACE ";" "," dump "${dump}")
  string(REPLACE "[" "<" dump "${dump}")
  string(REPLACE "]" ">" dump "${dump}")
  string(REPLACE "\n" ";" lines "${dump}")
  set(section "")
  set(exports "")
  set(import_dlls "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^<Ordinal/Name Pointer> Table")
      set(section exports)
    elseif(line MATCHES "^\tDLL Name: (.+)$")
      string(TOLOWER "${CMAKE_MATCH_1}" section)
      list(APPEND import_dlls ${section})
      set(imports_${section} "")
    elseif(line STREQUAL "")
      set(section "")
    elseif(section STREQUAL "exports" AND line MATCHES "^\t< *[0-9]+> (.+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    elseif(section AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+  (.+)$")
      list(APPEND imports_${section} "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(PE_EXPORTS "${exports}" PARENT_SCOPE)
  set(PE_IMPORT_DLLS "${import_dlls}" PARENT_SCOPE)
  foreach(import_dll IN LISTS import_dlls)
    set(PE_IMPORTS_${import_dll} "${imports_${import_dll}}" PARENT_SCOPE)
  endforeach()
endfunction()

# Fails unless every DLL of PE_IMPORT_DLLS is a Windows system DLL (the C
# runtime is linked in, so its own DLLs would be a mistake) or one of ARGN.
function(pe_require_system_imports dll)
  set(allowed kernel32.dll user32.dll gdi32.dll msvcrt.dll advapi32.dll winmm.dll ${ARGN})
  foreach(import_dll IN LISTS PE_IMPORT_DLLS)
    if(NOT import_dll IN_LIST allowed)
      message(FATAL_ERROR "${dll} imports ${import_dll}, which is neither a Windows system DLL nor one of: ${ARGN}")
    endif()
  endforeach()
endfunction()
