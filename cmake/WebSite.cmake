# The web build's product: build/web/site/, a folder any static file server
# can serve.
#   index.html, page.js          the demo's page (platform/portable/web/)
#   bunnymark.html, bunnymark.js the bunnymark's page
#   page-common.js, page.css     what the two pages share
#   spritedemo.js, .wasm         the program, with the SIMD128 row kernels
#   spritedemo-nosimd.js, .wasm  the same without SIMD, for browsers lacking it
#   spritedemo-bunnymark.js, .wasm, spritedemo-bunnymark-nosimd.js, .wasm
#                                the bunnymark, likewise (bunnymark/)
#   spritetool.js, .wasm         the demo's SPRITE reader and spritetool's
#                                packing, which the page checks dropped files
#                                with and packs dropped PNGs with
#   pngjs.js                     the PNG decoder the page hands the packing
#                                exact RGBA with (npm's pngjs, its browser
#                                build; installed by npm ci at configure time)
#   girl.spr, bg.spr, bunny.spr  the sample sprites (assets/); the pages put
#                                them (or files dropped on the demo's) in
#                                the program's file system before it starts
set(SPRITEDEMO_SITE_DIR ${PROJECT_BINARY_DIR}/site)
set(page_dir ${PROJECT_SOURCE_DIR}/platform/portable/web)

# All four programs: a factory the page calls for each run (MODULARIZE,
# createSpritedemo or createBunnymark), main started by the page once the
# files are in place, exit-time destruction and an exit status when the loop
# ends, memory that grows for large sprites.
add_executable(spritedemo-nosimd)
target_link_libraries(spritedemo-nosimd PRIVATE spritedemo_app spritedemo_portable_main)
spritedemo_link(spritedemo-nosimd web scalar)
foreach(program spritedemo spritedemo-nosimd spritedemo-bunnymark spritedemo-bunnymark-nosimd)
  set(factory createSpritedemo)
  if(program MATCHES "bunnymark")
    set(factory createBunnymark)
  endif()
  set_target_properties(${program} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SPRITEDEMO_SITE_DIR})
  target_link_options(${program} PRIVATE -sMODULARIZE -sEXPORT_NAME=${factory} -sINVOKE_RUN=0
    -sEXIT_RUNTIME -sENVIRONMENT=web -sFORCE_FILESYSTEM -sALLOW_MEMORY_GROWTH
    "-sEXPORTED_RUNTIME_METHODS=['callMain','FS','ENV']")
endforeach()

# spritetool's own packing and the demo's own reader, for the page: a module
# beside the program's, so that it serves whether or not a program runs. No
# SIMD: it only reads and packs.
add_executable(spritetool-web ${PROJECT_SOURCE_DIR}/tools/spritetool/SpritetoolWeb.cpp
  ${PROJECT_SOURCE_DIR}/tools/spritetool/FrameImage.cpp
  ${PROJECT_SOURCE_DIR}/tools/spritetool/PackStream.cpp
  ${PROJECT_SOURCE_DIR}/tools/spritetool/SpriteWriter.cpp)
spritedemo_link(spritetool-web headless scalar)
target_link_libraries(spritetool-web PRIVATE spritedemo_sprite)
set_target_properties(spritetool-web PROPERTIES OUTPUT_NAME spritetool RUNTIME_OUTPUT_DIRECTORY ${SPRITEDEMO_SITE_DIR})
target_link_options(spritetool-web PRIVATE -sMODULARIZE -sEXPORT_NAME=createSpritetool -sENVIRONMENT=web
  -sALLOW_MEMORY_GROWTH "-sEXPORTED_FUNCTIONS=['_malloc','_free']"
  "-sEXPORTED_RUNTIME_METHODS=['UTF8ToString']")

# The page's PNG decoder, pinned by package-lock.json and installed from the
# npm registry when the build is configured; the site serves it, so the page
# fetches nothing from elsewhere.
set(npm_dir ${PROJECT_BINARY_DIR}/npm)
file(MAKE_DIRECTORY ${npm_dir})
configure_file(${page_dir}/package.json ${npm_dir}/package.json COPYONLY)
configure_file(${page_dir}/package-lock.json ${npm_dir}/package-lock.json COPYONLY)
find_program(NPM npm REQUIRED)
if(NOT EXISTS ${npm_dir}/node_modules/pngjs/browser.js OR
   ${page_dir}/package-lock.json IS_NEWER_THAN ${npm_dir}/node_modules/.package-lock.json)
  execute_process(COMMAND ${NPM} ci --no-audit --no-fund --ignore-scripts WORKING_DIRECTORY ${npm_dir}
    RESULT_VARIABLE npm_result)
  if(NOT npm_result EQUAL 0)
    message(FATAL_ERROR "npm ci in ${npm_dir} failed (${npm_result}): the page needs pngjs")
  endif()
endif()

set(site_files)
set(page_files index.html page.js bunnymark.html bunnymark.js page-common.js page.css)
list(TRANSFORM page_files PREPEND ${page_dir}/)
foreach(source ${page_files} ${SPRITEDEMO_SAMPLE_SPRITES} ${npm_dir}/node_modules/pngjs/browser.js)
  get_filename_component(name ${source} NAME)
  if(name STREQUAL "browser.js")
    set(name pngjs.js)
  endif()
  add_custom_command(
    OUTPUT ${SPRITEDEMO_SITE_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${SPRITEDEMO_SITE_DIR}/${name}
    DEPENDS ${source}
    COMMENT "Site: ${name}")
  list(APPEND site_files ${SPRITEDEMO_SITE_DIR}/${name})
endforeach()
add_custom_target(site ALL DEPENDS ${site_files} spritedemo spritedemo-nosimd spritedemo-bunnymark
  spritedemo-bunnymark-nosimd spritetool-web)
add_dependencies(site sample_art)
