# The libraries of the Windows build: cross-built for x86_64-w64-mingw32 from Debian's own sources
# by scripts/web-deps.sh --windows into ZV_WINDOWS_DEPS, static, and offered under the names the
# Linux build finds them by, so the modules link the same way on both. Pictures are decoded by
# Sources/PictureLibrary, which answers DevIL's calls (DevIL is not built for Windows).
set(ZV_WINDOWS_DEPS "${CMAKE_BINARY_DIR}/deps" CACHE PATH "Where scripts/web-deps.sh --windows installed the libraries")
if(NOT EXISTS "${ZV_WINDOWS_DEPS}/include/SDL.h")
  message(FATAL_ERROR "No libraries for Windows in ${ZV_WINDOWS_DEPS}: run scripts/web-deps.sh --windows first (make windows does)")
endif()
# Everything linked in, the C and C++ runtimes too: the programs need no DLL beyond Windows' own.
# Stripped: the debug information stays with the Linux build.
add_link_options(-static -static-libgcc -static-libstdc++ -s)

function(zv_windows_library name)
  add_library(${name} INTERFACE IMPORTED)
  set(files)
  foreach(lib ${ARGN})
    if(lib MATCHES "\\.a$")
      list(APPEND files "${ZV_WINDOWS_DEPS}/lib/${lib}")
    else()
      list(APPEND files "${lib}")
    endif()
  endforeach()
  set_target_properties(${name} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${ZV_WINDOWS_DEPS}/include"
    INTERFACE_LINK_LIBRARIES "${files}")
endfunction()

zv_windows_library(PkgConfig::PNG libpng16.a libz.a)
zv_windows_library(JPEG::JPEG libjpeg.a)
add_library(zv_picture_library STATIC "${CMAKE_SOURCE_DIR}/Sources/PictureLibrary/PictureLibrary.cpp")
target_include_directories(zv_picture_library PUBLIC "${CMAKE_SOURCE_DIR}/Sources/PictureLibrary")
target_link_libraries(zv_picture_library PUBLIC PkgConfig::PNG JPEG::JPEG)
add_library(PkgConfig::DEVIL ALIAS zv_picture_library)
zv_windows_library(PkgConfig::TINYXML libtinyxml.a)
zv_windows_library(PkgConfig::MINIZIP libminizip.a libz.a)
zv_windows_library(ZLIB::ZLIB libz.a)
zv_windows_library(PkgConfig::MPG123 libmpg123.a shlwapi)
zv_windows_library(PkgConfig::KISSFFT libkissfft-float.a)
zv_windows_library(PkgConfig::LAME libmp3lame.a)
set_property(TARGET PkgConfig::TINYXML APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS TIXML_USE_STL)
set_property(TARGET PkgConfig::KISSFFT APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS kiss_fft_scalar=float)
# SDL2's static library and the Windows libraries its video, audio and input back ends call.
zv_windows_library(PkgConfig::SDL2 libSDL2.a
  m kernel32 user32 gdi32 winmm imm32 ole32 oleaut32 version uuid advapi32 setupapi shell32 dinput8)
add_library(Threads::Threads INTERFACE IMPORTED)  # std::thread: the posix tool chain's own
# The option parser is headers only: Debian's, copied out of /usr/include so that no other Linux
# header is on the cross compiler's path.
file(COPY /usr/include/CLI DESTINATION "${CMAKE_BINARY_DIR}/cli11/include")
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${CMAKE_BINARY_DIR}/cli11/include")
