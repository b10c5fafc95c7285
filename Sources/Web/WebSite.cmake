# The browser build's program and its site: zembravale.js and zembravale.wasm beside the page, in
# site/, which any static web server serves as it is.
set(ZV_SITE "${CMAKE_BINARY_DIR}/site")
# Its line of Sources/Layers.txt gives it the modules it links (the offline renderer lives in Production).
add_executable(zembravale-web Sources/Web/WebMain.cpp)
zv_layer(zembravale-web Web)
set_target_properties(zembravale-web PROPERTIES OUTPUT_NAME zembravale SUFFIX ".js"
  RUNTIME_OUTPUT_DIRECTORY "${ZV_SITE}")
target_link_options(zembravale-web PRIVATE
  -sMODULARIZE=1 -sEXPORT_NAME=createZembravale -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=268435456 -sMAXIMUM_MEMORY=2147483648
  -sEXPORTED_FUNCTIONS=_main,_zv_open,_zv_failure,_zv_seek,_zv_play,_zv_stop,_zv_canvas_words,_zv_track,_zv_track_frames,_zv_render_range,_zv_decode_music,_zv_decode_music_to,_zv_prepare,_zv_part_count,_zv_part_name,_zv_part_start,_zv_part_end,_zv_resume
  -sEXPORTED_RUNTIME_METHODS=FS,UTF8ToString,allocateUTF8OnStack
  -sFORCE_FILESYSTEM=1)
# The page's own files, copied whenever they change.
set(ZV_SITE_FILES)
foreach(file index.html page.js)
  add_custom_command(OUTPUT "${ZV_SITE}/${file}"
    COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_SOURCE_DIR}/Sources/Web/${file}" "${ZV_SITE}/${file}"
    DEPENDS "${CMAKE_SOURCE_DIR}/Sources/Web/${file}")
  list(APPEND ZV_SITE_FILES "${ZV_SITE}/${file}")
endforeach()
add_custom_target(zembravale-site ALL DEPENDS ${ZV_SITE_FILES})
