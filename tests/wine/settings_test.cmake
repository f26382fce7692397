# The option store is compiled into its Wine test, which runs it against
# Windows' own profile functions.
target_sources(settings_test PRIVATE ${CMAKE_SOURCE_DIR}/settings/settings.cpp
                                     ${CMAKE_SOURCE_DIR}/plugin/paths.cpp)
