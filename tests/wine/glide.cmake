# glide_test.exe runs against our glide2x.dll (its export names are checked
# without Wine by tests/abi).
if(TARGET glide_test)
  target_link_libraries(glide_test PRIVATE glide2x)
endif()
