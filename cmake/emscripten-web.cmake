# Cross compilation to WebAssembly with Debian's emscripten (the web page).
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
# Debian's emscripten finds its JavaScript optimiser's modules (acorn) only
# through NODE_PATH when node is not Debian's own; the link step needs them.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
# WebAssembly SIMD (all current browsers): the compiler vectorises our
# Glide's span loops with it. Wasm has no fused multiply-add, so the
# pictures keep the native build's arithmetic.
set(CMAKE_C_FLAGS_INIT "-msimd128")
set(CMAKE_CXX_FLAGS_INIT "-msimd128")
