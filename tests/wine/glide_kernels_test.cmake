# Every fast pixel kernel of our glide2x.dll against its reference path.
target_link_libraries(glide_kernels_test PRIVATE glide2x)
set_property(TEST wine.glide_kernels_test APPEND PROPERTY ENVIRONMENT VELMO_GLIDE_WINDOW=0)
