# Which spritetool packs this build's sprite files, and spritedemo_pack, the
# one rule that packs them. A build that can run its own spritetool, on this
# machine or under its CMAKE_CROSSCOMPILING_EMULATOR, packs with it. The
# Windows and WebAssembly builds cannot: they pack with a spritetool built
# for this machine in host/, a headless build of this source tree that makes
# nothing but spritetool (no tests, so no GoogleTest or Python), unoptimised
# as it only packs a few pictures, and brought up to date by every build.
if(WIN32 OR EMSCRIPTEN)
  include(ExternalProject)
  set(host_dir ${PROJECT_BINARY_DIR}/host)
  set(SPRITEDEMO_SPRITETOOL ${host_dir}/tools/spritetool/spritetool)
  ExternalProject_Add(host_tools
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${host_dir}
    PREFIX ${PROJECT_BINARY_DIR}/host-steps
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS -DSPRITEDEMO_SCREEN=headless -DCMAKE_BUILD_TYPE=
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${host_dir} --target spritetool
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${SPRITEDEMO_SPRITETOOL})
  set(SPRITEDEMO_SPRITETOOL_DEPENDS host_tools ${SPRITEDEMO_SPRITETOOL})
else()
  set(SPRITEDEMO_SPRITETOOL ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:spritetool>)
  set(SPRITEDEMO_SPRITETOOL_DEPENDS spritetool)
endif()

# spritedemo_pack(OUT.spr IN.png): OUT.spr made by `spritetool pack IN.png -o OUT.spr`.
function(spritedemo_pack sprite png)
  get_filename_component(name ${sprite} NAME)
  get_filename_component(dir ${sprite} DIRECTORY)
  add_custom_command(
    OUTPUT ${sprite}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${SPRITEDEMO_SPRITETOOL} pack ${png} -o ${sprite}
    DEPENDS ${SPRITEDEMO_SPRITETOOL_DEPENDS} ${png}
    COMMENT "Packing ${name}")
endfunction()
