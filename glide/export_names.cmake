# glide_export_names(EXPORTS_FILE DECORATED OUT_ENTRIES OUT_NAMES): the
# functions of exports.txt as it lists them (name@argument-bytes), and the
# name glide2x.dll exports each under: with DECORATED (32-bit Windows) the
# stdcall decoration _name@bytes, otherwise (x64, which has no decoration)
# the plain name.
function(glide_export_names exports_file decorated out_entries out_names)
  file(STRINGS ${exports_file} entries REGEX "^[A-Za-z]")
  set(names "")
  foreach(entry IN LISTS entries)
    if(decorated)
      list(APPEND names "_${entry}")
    else()
      string(REGEX REPLACE "@[0-9]+$" "" plain "${entry}")
      list(APPEND names "${plain}")
    endif()
  endforeach()
  set(${out_entries} "${entries}" PARENT_SCOPE)
  set(${out_names} "${names}" PARENT_SCOPE)
endfunction()
