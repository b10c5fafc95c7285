# The Windows programs and the test suites that run under wine (make windows, make test-windows).
add_library(zembravale_core INTERFACE)
get_property(ZV_MODULE_LIBRARIES GLOBAL PROPERTY ZV_MODULE_LIBRARIES)
target_link_libraries(zembravale_core INTERFACE ${ZV_MODULE_LIBRARIES})

# The player: a windowed program (no console window on a double-click; Desktop.cpp attaches to
# the console it was started from).
file(GLOB ZV_MAIN_SOURCES CONFIGURE_DEPENDS Sources/Main/*.cpp)
add_executable(zembravale ${ZV_MAIN_SOURCES})
zv_layer(zembravale Main)
target_link_libraries(zembravale PRIVATE PkgConfig::SDL2 CLI11::CLI11)
target_link_options(zembravale PRIVATE -mwindows)

add_library(zembravale_png STATIC Tools/Common/PngEncoder.cpp)
target_include_directories(zembravale_png PUBLIC Tools)
target_link_libraries(zembravale_png PUBLIC PkgConfig::PNG)

# The capture tool writes PNG frames only here: no video encoders are built for Windows.
file(GLOB ZV_CAPTURE_SOURCES CONFIGURE_DEPENDS Tools/Capture/*.cpp)
list(FILTER ZV_CAPTURE_SOURCES EXCLUDE REGEX "/VideoEncoder\\.cpp$")
add_executable(zembravale-capture ${ZV_CAPTURE_SOURCES})
target_include_directories(zembravale-capture PRIVATE Tools)
target_compile_definitions(zembravale-capture PRIVATE ZV_PNG_ONLY)
target_link_libraries(zembravale-capture PRIVATE zembravale_core zembravale_png CLI11::CLI11)

# The suites that run under wine, each with what the Linux build links but DevIL and ffmpeg. The
# archive they read is the one the Linux build generates, copied in by make test-windows.
if(NOT ZV_WINDOWS_TESTS)
  return()
endif()
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
enable_testing()
include(GoogleTest)
set(ZV_TEST_LINKS_Utils zv_utils PkgConfig::TINYXML)
set(ZV_TEST_LINKS_Render zv_render zv_utils)
set(ZV_TEST_LINKS_Audio zv_audio zv_production PkgConfig::LAME)
set(ZV_TEST_LINKS_Data zv_data zv_production zv_picture_library PkgConfig::MINIZIP ZLIB::ZLIB PkgConfig::PNG
  JPEG::JPEG)
set(ZV_TEST_LINKS_Sync zv_sync zv_audio zv_production PkgConfig::TINYXML)
set(ZV_TEST_LINKS_Parts zv_parts zv_production)
set(ZV_TEST_LINKS_Production zv_production zv_parts PkgConfig::MINIZIP ZLIB::ZLIB PkgConfig::LAME)
set(ZV_TEST_LINKS_Capture zv_production PkgConfig::PNG JPEG::JPEG PkgConfig::MINIZIP ZLIB::ZLIB PkgConfig::LAME)
# What needs DevIL, ffmpeg or open_memstream (the progress line's test), which Windows lacks, and
# the player on SDL's disk driver, which in SDL 2.26.5 on Windows writes to a file named 0 whatever
# SDL_DISKAUDIOFILE says.
set(ZV_WINDOWS_TEST_SKIP "PictureLibraryTest|VideoTest|ProgressTest|MusicPlayerTest")
foreach(module Utils Render Data Sync Audio Parts Production Capture)
  file(GLOB test_sources CONFIGURE_DEPENDS Tests/${module}/*.cpp)
  list(FILTER test_sources EXCLUDE REGEX "/(${ZV_WINDOWS_TEST_SKIP})\\.cpp$")
  string(TOLOWER ${module} module_lower)
  set(test_target zembravale-tests-${module_lower})
  add_executable(${test_target} ${test_sources})
  target_include_directories(${test_target} PRIVATE Tests Shared Tools)
  target_link_libraries(${test_target} PRIVATE ${ZV_TEST_LINKS_${module}} gtest gtest_main)
  if(module STREQUAL "Capture")
    file(GLOB capture_helpers Tools/Capture/Progress.cpp)
    target_sources(${test_target} PRIVATE ${capture_helpers})
    add_dependencies(${test_target} zembravale-capture)
  endif()
  target_compile_definitions(${test_target} PRIVATE
    ZV_BINARY_DIR="${CMAKE_BINARY_DIR}" ZV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${test_target} DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endforeach()
