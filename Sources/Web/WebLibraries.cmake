# The libraries of the browser build: built for WebAssembly from Debian's own sources by
# scripts/web-deps.sh (all but DevIL, see below) into ZV_WEB_DEPS, and offered under the names the native build finds them by,
# so the modules link the same way on both. SDL 1.2 comes with Emscripten; no threads are used.
set(ZV_WEB_DEPS "${CMAKE_BINARY_DIR}/deps" CACHE PATH "Where scripts/web-deps.sh installed the libraries")
if(NOT EXISTS "${ZV_WEB_DEPS}/include/png.h")
  message(FATAL_ERROR "No libraries for the web in ${ZV_WEB_DEPS}: run scripts/web-deps.sh first (make web does)")
endif()

# SSE2 intrinsics become WebAssembly SIMD; without it the renderer's plain loops run.
option(ZV_WEB_SIMD "Build the renderer's SSE2 paths as WebAssembly SIMD" ON)
if(ZV_WEB_SIMD)
  add_compile_options(-msimd128 -msse2)
endif()

function(zv_web_library name)
  add_library(${name} INTERFACE IMPORTED)
  set(files)
  foreach(lib ${ARGN})
    list(APPEND files "${ZV_WEB_DEPS}/lib/${lib}")
  endforeach()
  set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${ZV_WEB_DEPS}/include"
    INTERFACE_LINK_LIBRARIES "${files}")
endfunction()

# DevIL is not built for the web: its calls are answered by our picture library over libpng and
# libjpeg, which decodes every picture to the same bytes (the data tests check it natively).
zv_web_library(zv_web_png libpng16.a libjpeg.a libz.a)
add_library(zv_picture_library STATIC "${CMAKE_SOURCE_DIR}/Sources/PictureLibrary/PictureLibrary.cpp")
target_include_directories(zv_picture_library PUBLIC "${CMAKE_SOURCE_DIR}/Sources/PictureLibrary")
target_link_libraries(zv_picture_library PUBLIC zv_web_png)
add_library(PkgConfig::DEVIL ALIAS zv_picture_library)
zv_web_library(PkgConfig::TINYXML libtinyxml.a)
zv_web_library(PkgConfig::MINIZIP libminizip.a libz.a)
zv_web_library(ZLIB::ZLIB libz.a)
zv_web_library(PkgConfig::MPG123 libmpg123.a)
zv_web_library(PkgConfig::KISSFFT libkissfft-float.a)
set_property(TARGET PkgConfig::TINYXML APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
set_property(TARGET PkgConfig::KISSFFT APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS kiss_fft_scalar=float)
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)  # the audio output's SDL 1.2 calls: Emscripten's
add_library(Threads::Threads INTERFACE IMPORTED)
